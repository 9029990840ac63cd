// Runs the real tessaro executable in a folder of its own, as a user would.
#include "TestFiles.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class ProgramTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString appFolder() const { return m_dir.filePath("Tessaro App"); }

    // Starts the program, lets it reach its message loop, sends the signal and
    // returns the exit code (-1 when it did not end normally).
    int runAndSignal(int signal)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // A runtime folder of its own: no other test's Tessaro takes the start.
        const QString runtime = m_dir.filePath("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert("XDG_RUNTIME_DIR", runtime);
        process.setProcessEnvironment(environment);
        process.setProgram(appFolder() + "/tessaro");
        process.start();
        if (!process.waitForStarted(10000))
            return -1;
        QTest::qWait(1500);
        ::kill(pid_t(process.processId()), signal);
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QString stored(const char *section, const char *key)
    {
        QSettings settings(appFolder() + "/preferences.ini", QSettings::IniFormat);
        return settings.value(QString(section) + '/' + key, "<none>").toString();
    }

private slots:
    void init();
    void sigtermWritesPreferencesAndNextStartRestores();
    void sigintClosesToo();
    void survivesBadOrUnwritablePreferences_data();
    void survivesBadOrUnwritablePreferences();
};

void ProgramTest::init()
{
    QDir(appFolder()).removeRecursively();
    QDir().mkpath(appFolder() + "/language");
    QVERIFY(QFile::copy(TESSARO_EXECUTABLE, appFolder() + "/tessaro"));
    for (const char *language : {"English.ini", "cn.ini"})
        QVERIFY(QFile::copy(QString(TESSARO_APP_DIR "/language/") + language,
                            appFolder() + "/language/" + language));
}

void ProgramTest::sigtermWritesPreferencesAndNextStartRestores()
{
    QCOMPARE(runAndSignal(SIGTERM), 0);
    QCOMPARE(stored("Window", "Main.Left"), QString("150"));
    QCOMPARE(stored("Window", "Main.Top"), QString("94"));
    QCOMPARE(stored("Window", "List.Width"), QString("270"));
    QCOMPARE(stored("Show", "List"), QString("0"));
    QCOMPARE(stored("Show", "Player"), QString("0"));

    // As if the user had moved the panel and opened the playlist last time.
    TestFiles::write(appFolder() + "/preferences.ini",
                     "[Window]\nMain.Left=222\nMain.Top=111\nList.Height=300\n[Show]\nList=1\n");
    QCOMPARE(runAndSignal(SIGTERM), 0);
    QCOMPARE(stored("Window", "Main.Left"), QString("222"));
    QCOMPARE(stored("Window", "Main.Top"), QString("111"));
    QCOMPARE(stored("Window", "List.Height"), QString("300"));
    QCOMPARE(stored("Show", "List"), QString("1"));
}

void ProgramTest::sigintClosesToo()
{
    QCOMPARE(runAndSignal(SIGINT), 0);
    QCOMPARE(stored("Window", "Main.Left"), QString("150"));
}

void ProgramTest::survivesBadOrUnwritablePreferences_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("binary preferences") << "binary";
    QTest::newRow("preferences cannot be written") << "folder";
    QTest::newRow("junk language file") << "language";
}

void ProgramTest::survivesBadOrUnwritablePreferences()
{
    QFETCH(QString, kind);
    const QString prefs = appFolder() + "/preferences.ini";
    QByteArray junk(100000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 131) ^ (i >> 3));
    if (kind == "binary")
        TestFiles::write(prefs, junk);
    else if (kind == "folder")
        QDir().mkpath(prefs); // a folder where the file should be: every write fails
    else
        TestFiles::write(appFolder() + "/language/English.ini", junk);

    QCOMPARE(runAndSignal(SIGTERM), 0);
    if (kind == "folder")
        QVERIFY(QFileInfo(prefs).isDir());
    else
        QCOMPARE(stored("Window", "Main.Left"), QString("150"));
}

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
