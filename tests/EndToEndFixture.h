#pragma once
// The program under test in a display of its own: an Xvfb server (with a
// window manager and a panel holding a notification area when asked), a
// fresh application folder, and xdotool, xprop and import to drive and
// watch it. Skips where no X server can be started.
#include "TestFiles.h"

#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// Places on the panel (its top-left corner is added).
const QPoint Prev(23, 97), Play(46, 97), Pause(69, 97), Stop(92, 97), Next(115, 97);
const QPoint Close(253, 14), TrayButton(235, 14), ListButton(229, 61), PlayerButton(246, 61), VolumeLeft(120, 60), SeekMiddle(133, 77);
const QRect TimeDisplay(18, 35, 82, 28);
const QRect Screen(0, 0, 1024, 768);
const QSize PanelSize(268, 118);
// The playlist window's smallest size.
const QSize ListMinimum(100, 80);
// How temporary files of a preferences write are named.
const QString PreferencesTemporaries = "preferences.ini.tessaro-tmp-*";

QString output(const QString &program, const QStringList &args, const QString &display)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    process.setProcessEnvironment(environment);
    process.start(program, args);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

class EndToEndFixture : public QObject {
protected:
    QTemporaryDir m_dir;
    QProcess m_windowManager;
    QProcess m_taskBar;
    QProcess m_xvfb;
    QString m_display;
    QProcess m_app;
    QString m_folder;

    QString xdotool(const QStringList &args) { return output("xdotool", args, m_display); }

    // A fresh application folder holding the executable and its language files.
    void prepareFolder(const QString &name)
    {
        m_folder = m_dir.filePath(name);
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder + "/language");
        QFile::copy(TESSARO_EXECUTABLE, m_folder + "/tessaro");
        QFile::setPermissions(m_folder + "/tessaro", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        for (const char *language : {"English.ini", "cn.ini"})
            QFile::copy(QString(TESSARO_APP_DIR "/language/") + language, m_folder + "/language/" + language);
    }
    // The runtime folder of this test's programs (XDG_RUNTIME_DIR): where
    // the running instance listens, apart from other tests' and the user's.
    QString runtimeFolder()
    {
        const QString folder = m_dir.filePath("runtime");
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return folder;
    }
    // The environment the program runs in, on this test's display.
    QProcessEnvironment programEnvironment()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_display);
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("XDG_RUNTIME_DIR", runtimeFolder());
        return environment;
    }
    // Starts the program with HOME set to home when given (XDG_DATA_HOME
    // then unset, as on a new account), from the working folder when given,
    // with these arguments.
    bool start(const QString &home = QString(), const QString &workingFolder = QString(),
               const QStringList &arguments = {})
    {
        QProcessEnvironment environment = programEnvironment();
        if (!home.isEmpty()) {
            environment.insert("HOME", home);
            environment.remove("XDG_DATA_HOME");
        }
        m_app.setProcessEnvironment(environment);
        m_app.setWorkingDirectory(workingFolder);
        m_app.setProgram(m_folder + "/tessaro");
        m_app.setArguments(arguments);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start();
        if (!m_app.waitForStarted(10000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000) {
            if (!panelWindow().isEmpty())
                return true;
            if (m_app.state() == QProcess::NotRunning) {
                qWarning() << "tessaro ended at start-up:" << m_app.exitStatus() << m_app.exitCode();
                return false;
            }
            QTest::qWait(StartPollMs);
        }
        qWarning() << "no panel window appeared; windows:" << xdotool({"search", "--name", "."});
        return false;
    }
    int stop(int signal)
    {
        ::kill(pid_t(m_app.processId()), signal);
        if (!m_app.waitForFinished(15000)) {
            m_app.kill();
            m_app.waitForFinished();
            return -1;
        }
        return m_app.exitStatus() == QProcess::NormalExit ? m_app.exitCode() : -1;
    }
    QString window(const QString &name) { return xdotool({"search", "--onlyvisible", "--name", name}).section('\n', 0, 0); }
    QRect geometry(const QString &id)
    {
        const QString shell = xdotool({"getwindowgeometry", "--shell", id});
        QHash<QString, int> values;
        for (const QString &line : shell.split('\n'))
            values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
        return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
    }
    // The panel: the visible window named "Tessaro" of the panel's size (the
    // notification icon bears the same name).
    QString panelWindow()
    {
        for (const QString &id : xdotool({"search", "--onlyvisible", "--name", "^Tessaro$"}).split('\n'))
            if (!id.isEmpty() && geometry(id).size() == PanelSize)
                return id;
        return QString();
    }
    QPoint panel() { return geometry(panelWindow()).topLeft(); }
    void click(QPoint onPanel)
    {
        const QPoint at = panel() + onPanel;
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    void drag(QPoint from, QPoint to)
    {
        xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"});
        for (int step = 1; step <= 5; ++step) {
            const QPoint p = from + (to - from) * step / 5;
            xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
        }
        xdotool({"mouseup", "1"});
    }
    void key(const QString &keys)
    {
        xdotool({"windowfocus", "--sync", panelWindow()});
        xdotool({"key", keys});
    }
    QImage screen()
    {
        const QString file = m_dir.filePath("screen.png");
        output("import", {"-window", "root", file}, m_display);
        return QImage(file);
    }
    QImage region(const QRect &onPanel) { return screen().copy(onPanel.translated(panel())); }
    QString playerTitle()
    {
        return xdotool({"getwindowname", xdotool({"search", "--name", "None Movie|/"}).section('\n', 0, 0)});
    }
    QString stored(const char *section, const char *keyName)
    {
        QSettings settings(m_folder + "/preferences.ini", QSettings::IniFormat);
        return settings.value(QString(section) + '/' + keyName).toString();
    }
    QRect storedListPlace()
    {
        return QRect(stored("Window", "List.Left").toInt(), stored("Window", "List.Top").toInt(),
                     stored("Window", "List.Width").toInt(), stored("Window", "List.Height").toInt());
    }
    QStringList temporaries() { return QDir(m_folder).entryList({PreferencesTemporaries}, QDir::Files | QDir::Hidden); }
    // Polls for the panel this often while the program starts.
    static constexpr int StartPollMs = 20;


    // Starts the X server, and with a desktop also openbox and a tint2 panel
    // holding a task bar and a notification area along the bottom. Returns
    // why it could not, or nothing.
    QString startDisplay(bool desktop)
    {
        QStringList tools{"Xvfb", "xdotool", "import"};
        if (desktop)
            tools << "openbox" << "tint2" << "xprop";
        for (const QString &tool : tools)
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return tool + " is not installed";
        for (int n = desktop ? 180 : 140; n < (desktop ? 220 : 180) && m_display.isEmpty(); ++n) {
            if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            // -noreset: the server must not restart between two runs of the program.
            m_xvfb.start("Xvfb", {QString(":%1").arg(n), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
            if (!m_xvfb.waitForStarted(5000))
                break;
            for (int i = 0; i < 50 && !QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)); ++i)
                QTest::qWait(100);
            if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
                m_display = QString(":%1").arg(n);
            else
                m_xvfb.kill();
        }
        if (m_display.isEmpty())
            return "no X server could be started";
        if (desktop) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("DISPLAY", m_display);
            environment.insert("HOME", m_dir.filePath("desktop-home"));
            m_windowManager.setProcessEnvironment(environment);
            m_windowManager.start("openbox", {"--sm-disable"});
            if (!waitFor([&] { return output("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, m_display).contains("window id"); }))
                return "openbox did not start";
            TestFiles::write(m_dir.filePath("tint2rc"), TaskBarConfig);
            m_taskBar.setProcessEnvironment(environment);
            m_taskBar.start("tint2", {"-c", m_dir.filePath("tint2rc")});
            if (!waitFor([&] { return !xdotool({"search", "--classname", "tint2"}).isEmpty(); }))
                return "tint2 did not start";
            QTest::qWait(TaskBarSettleMs);
        }
        return QString();
    }
    template <typename Condition> static bool waitFor(Condition condition, int timeoutMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(StartPollMs);
        }
        return true;
    }
    void stopDisplay()
    {
        for (QProcess *process : {&m_taskBar, &m_windowManager, &m_xvfb}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished();
            }
        }
    }
    void stopProgram()
    {
        if (m_app.state() != QProcess::NotRunning) {
            m_app.kill();
            m_app.waitForFinished();
        }
    }

    // A panel along the bottom with the task bar and the notification area.
    static constexpr const char *TaskBarConfig =
        "panel_items = TS\npanel_position = bottom center horizontal\npanel_size = 100% 30\n"
        "systray_icon_size = 22\ntask_text = 1\ntask_icon = 1\n";
    // tint2 takes the notification area's selection a moment after its window shows.
    static constexpr int TaskBarSettleMs = 500;
};
