// End-to-end over MPRIS 2: the real tessaro executable under Xvfb on a
// private session bus (a dbus-daemon of the test's own), driven with
// dbus-send as the desktop's media keys and now-playing controls drive it,
// and watched through the player's caption and the PropertiesChanged signals.
// Without a bus, or with the name taken, the program still starts and plays.
#include "EndToEndFixture.h"
#include "MediaFiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QRegularExpression>

namespace {

const QString Service = "org.mpris.MediaPlayer2.tessaro";
const QString Path = "/org/mpris/MediaPlayer2";
const QString Root = "org.mpris.MediaPlayer2";
const QString Player = "org.mpris.MediaPlayer2.Player";
constexpr qint64 Second = 1'000'000; // µs
// Long enough that no item ends by itself while a test runs.
constexpr double ToneSeconds = 60;

// Records the player's PropertiesChanged signals.
class ChangeLog : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    // Whether a change set property to value.
    bool saw(const QString &property, const QVariant &value) const
    {
        for (const QVariantMap &change : changes)
            if (change.contains(property) && change[property] == value)
                return true;
        return false;
    }
public slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        if (interface == Player)
            changes.append(changed);
    }
};

} // namespace

class MprisEndToEndTest : public EndToEndFixture {
    Q_OBJECT

    QProcess m_busDaemon;
    QString m_address;
    ChangeLog m_log;

    QString busSend(const QStringList &args)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
        process.setProcessEnvironment(environment);
        process.start("dbus-send", QStringList{"--session", "--print-reply", "--reply-timeout=5000"} + args);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    QString call(const QString &interface, const QString &method, const QStringList &args = {})
    {
        return busSend(QStringList{"--dest=" + Service, Path, interface + '.' + method} + args);
    }
    QString get(const QString &interface, const QString &property)
    {
        return call("org.freedesktop.DBus.Properties", "Get", {"string:" + interface, "string:" + property});
    }
    // A string property's value, as dbus-send prints it.
    QString text(const QString &interface, const QString &property)
    {
        static const QRegularExpression value("variant\\s+string \"(.*)\"");
        return value.match(get(interface, property)).captured(1);
    }
    QString status() { return text(Player, "PlaybackStatus"); }
    double number(const QString &property)
    {
        static const QRegularExpression value("variant\\s+double ([-0-9.e+]+)");
        const QRegularExpressionMatch match = value.match(get(Player, property));
        return match.hasMatch() ? match.captured(1).toDouble() : -1;
    }
    qint64 position()
    {
        static const QRegularExpression value("variant\\s+int64 (-?[0-9]+)");
        const QRegularExpressionMatch match = value.match(get(Player, "Position"));
        return match.hasMatch() ? match.captured(1).toLongLong() : -1;
    }
    bool serviceOnBus()
    {
        return busSend({"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                        "string:" + Service})
            .contains("boolean true");
    }
    // A folder with both files in its default playlist and the player window shown.
    void prepare(const QString &name)
    {
        prepareFolder(name);
        TestFiles::write(m_folder + "/default.pls",
                         (m_dir.filePath("first.mp3") + "\r\n" + m_dir.filePath("second.wav") + "\r\n").toUtf8());
        TestFiles::write(m_folder + "/preferences.ini", "[Show]\nPlayer=1\n");
    }

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void theApplication();
    void transportFromTheDesktop();
    void openUriAddsAndPlays();
    void withoutABus();
    void nameTaken();
};

void MprisEndToEndTest::initTestCase()
{
    for (const char *tool : {"dbus-daemon", "dbus-send"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(QString(tool) + " is not installed"));
    if (const QString reason = startDisplay(false); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    gst_init(nullptr, nullptr);
    const QString tags = R"( ! taginject tags="title=\"First Tone\",artist=\"Tessaro Tests\"")";
    QVERIFY(MediaFiles::make(MediaFiles::tone(ToneSeconds) + " ! lamemp3enc target=bitrate bitrate=64 cbr=true" +
                                 tags + " ! id3v2mux ! filesink location=\"%1\"",
                             m_dir.filePath("first.mp3")));
    QVERIFY(MediaFiles::make(MediaFiles::tone(ToneSeconds) + " ! wavenc ! filesink location=\"%1\"",
                             m_dir.filePath("second.wav")));

    // The test's own session bus, gone with the test.
    m_busDaemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    QVERIFY(m_busDaemon.waitForStarted(5000));
    QVERIFY(waitFor([&] { return m_busDaemon.canReadLine() || m_busDaemon.waitForReadyRead(100); }));
    m_address = QString::fromUtf8(m_busDaemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());

    QDBusConnection bus = QDBusConnection::connectToBus(m_address, "watcher");
    QVERIFY(bus.isConnected());
    QVERIFY(bus.connect(Service, Path, "org.freedesktop.DBus.Properties", "PropertiesChanged", &m_log,
                        SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
}

void MprisEndToEndTest::cleanup()
{
    stopProgram();
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    m_log.changes.clear();
}

void MprisEndToEndTest::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus("watcher");
    if (m_busDaemon.state() != QProcess::NotRunning) {
        m_busDaemon.terminate();
        if (!m_busDaemon.waitForFinished(5000))
            m_busDaemon.kill();
        m_busDaemon.waitForFinished();
    }
    stopDisplay();
}

// The root interface: who the player is, what it takes, and Quit, which ends
// it as the panel's close button does.
void MprisEndToEndTest::theApplication()
{
    prepare("application");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(serviceOnBus(), 10000);
    QCOMPARE(text(Root, "Identity"), QString("Tessaro"));
    QCOMPARE(text(Root, "DesktopEntry"), QString("tessaro"));
    QVERIFY(get(Root, "CanQuit").contains("boolean true"));
    QVERIFY(get(Root, "CanRaise").contains("boolean true"));
    QVERIFY(get(Root, "HasTrackList").contains("boolean false"));
    QVERIFY(get(Root, "SupportedUriSchemes").contains("\"file\""));
    const QString types = get(Root, "SupportedMimeTypes");
    QVERIFY2(types.contains("\"audio/mpeg\"") && types.contains("\"video/x-msvideo\""), qPrintable(types));
    QCOMPARE(status(), QString("Stopped"));
    QVERIFY(get(Player, "CanPlay").contains("boolean true"));
    QVERIFY(get(Player, "CanPause").contains("boolean false"));
    QVERIFY(get(Player, "CanControl").contains("boolean true"));
    QCOMPARE(number("Rate"), 1.0);
    QCOMPARE(number("MinimumRate"), 1.0);
    QCOMPARE(number("MaximumRate"), 1.0);

    call(Root, "Raise");
    call(Root, "Quit");
    QVERIFY(m_app.waitForFinished(10000));
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!serviceOnBus(), 5000);
}

void MprisEndToEndTest::transportFromTheDesktop()
{
    prepare("transport");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(serviceOnBus(), 10000);
    QCOMPARE(status(), QString("Stopped"));
    QVERIFY(!get(Player, "Metadata").contains("xesam:url"));

    // Play with nothing loaded starts the current entry: the first.
    call(Player, "Play");
    QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Playing"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("first.mp3"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(m_log.saw("PlaybackStatus", "Playing"), 5000);
    QString metadata = get(Player, "Metadata");
    QVERIFY2(metadata.contains(QUrl::fromLocalFile(m_dir.filePath("first.mp3")).toString(QUrl::FullyEncoded)),
             qPrintable(metadata));
    // The stream's tags, and its length in microseconds.
    QTRY_VERIFY_WITH_TIMEOUT(get(Player, "Metadata").contains("\"First Tone\""), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(get(Player, "Metadata").contains("mpris:length"), 5000);
    metadata = get(Player, "Metadata");
    QVERIFY2(metadata.contains("\"Tessaro Tests\""), qPrintable(metadata));
    QVERIFY2(metadata.contains("mpris:trackid") && metadata.contains("object path \"/org/tessaro/Track/"),
             qPrintable(metadata));
    static const QRegularExpression length("\"mpris:length\"\\s+variant\\s+int64 ([0-9]+)");
    const qint64 lengthUs = length.match(metadata).captured(1).toLongLong();
    QVERIFY2(qAbs(lengthUs - qint64(ToneSeconds * Second)) < Second / 2, qPrintable(metadata));
    QVERIFY(get(Player, "CanSeek").contains("boolean true"));
    QVERIFY(get(Player, "CanGoNext").contains("boolean true"));

    call(Player, "Next");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("second.wav"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        get(Player, "Metadata").contains(QUrl::fromLocalFile(m_dir.filePath("second.wav")).toString(QUrl::FullyEncoded)),
        5000);
    QVERIFY(get(Player, "Metadata").contains("\"second.wav\"")); // no tags: the file's name
    QCOMPARE(status(), QString("Playing"));

    // Seek forward: the position follows.
    call(Player, "Seek", {"int64:" + QString::number(10 * Second)});
    QTRY_VERIFY_WITH_TIMEOUT(position() >= 10 * Second, 5000);

    call(Player, "Pause");
    QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Paused"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_log.saw("PlaybackStatus", "Paused"), 5000);
    const qint64 pausedAt = position();
    QTest::qWait(700);
    QVERIFY(qAbs(position() - pausedAt) < Second / 10);

    call(Player, "PlayPause");
    QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Playing"), 5000);

    call(Player, "Stop");
    QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Stopped"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), QString("None Movie"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_log.saw("PlaybackStatus", "Stopped"), 5000);
    QVERIFY(!get(Player, "Metadata").contains("xesam:url"));
    QVERIFY(get(Player, "CanPause").contains("boolean false"));

    // The volume the panel's bar sets, set and read back.
    QCOMPARE(number("Volume"), 1.0);
    call("org.freedesktop.DBus.Properties", "Set", {"string:" + Player, "string:Volume", "variant:double:0.25"});
    QVERIFY(qAbs(number("Volume") - 0.25) <= 1.0 / 65535);
    QTRY_VERIFY_WITH_TIMEOUT(!m_log.changes.isEmpty() && m_log.changes.last().contains("Volume"), 5000);
    QVERIFY(qAbs(m_log.changes.last()["Volume"].toDouble() - 0.25) <= 1.0 / 65535);

    // Previous from the stop goes back one entry, as the panel's button does.
    call(Player, "Previous");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("first.mp3"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Playing"), 5000);
    QCOMPARE(stop(SIGTERM), 0);
}

// OpenUri adds the file to the playlist, as a dropped file is added, and plays it.
void MprisEndToEndTest::openUriAddsAndPlays()
{
    prepareFolder("open-uri");
    TestFiles::write(m_folder + "/preferences.ini", "[Show]\nPlayer=1\n");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(serviceOnBus(), 10000);
    QVERIFY(get(Player, "CanPlay").contains("boolean false"));
    call(Player, "OpenUri", {"string:" + QUrl::fromLocalFile(m_dir.filePath("second.wav")).toString()});
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("second.wav"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Playing"), 5000);
    // Not a file: nothing happens.
    call(Player, "OpenUri", {"string:http://example.invalid/a.mp3"});
    QTest::qWait(300);
    QVERIFY(playerTitle().endsWith("second.wav"));
    QCOMPARE(stop(SIGTERM), 0);
    QVERIFY(TestFiles::read(m_folder + "/default.pls").contains("second.wav"));
}

// With the bus address pointing nowhere the program starts and plays as ever.
void MprisEndToEndTest::withoutABus()
{
    prepare("no-bus");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_dir.filePath("no-bus-here").toUtf8());
    QVERIFY(start());
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("first.mp3"), 10000);
    click(Next);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("second.wav"), 10000);
    QCOMPARE(stop(SIGTERM), 0);
}

// Another owner of the name keeps it; the program plays without it.
void MprisEndToEndTest::nameTaken()
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, "owner");
    QVERIFY(bus.registerService(Service));
    const QString owner = bus.baseService();
    prepare("name-taken");
    QVERIFY(start());
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("first.mp3"), 10000);
    QCOMPARE(bus.interface()->serviceOwner(Service).value(), owner);
    QCOMPARE(stop(SIGTERM), 0);
    bus.unregisterService(Service);
    QDBusConnection::disconnectFromBus("owner");
}

QTEST_MAIN(MprisEndToEndTest)
#include "tst_e2e_mpris.moc"
