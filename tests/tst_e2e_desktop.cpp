// End-to-end on a desktop: the real tessaro executable under Xvfb with openbox
// and a tint2 panel (task bar and notification area), as a user runs it.
// Drags on the bars, full screen through the window manager, the tray and
// the task bar, and a playlist that steps over entries it cannot open.
#include "EndToEndFixture.h"
#include "MediaFiles.h"

namespace {

// On the panel: the seek bar's left end and a spot near its right end, the
// volume thumb at full volume, and the strips both bars are drawn in.
const QPoint SeekStart(16, 77), SeekNearEnd(238, 77);
const QPoint VolumeThumb(176, 60);
const QRect SeekStrip(12, 72, 246, 10), VolumeStrip(120, 52, 60, 16);
// On the playlist window: the scroll thumb at the top of its track, and the
// bottom of the track.
const QPoint ScrollThumbTop(258, 60), ScrollTrackBottom(258, 160);
// Where the lightness of the scroll thumb and of its track part.
constexpr int ThumbLightness = 120;
// The demo tune lasts seven seconds; after a seek near its end the next item
// comes well before that.
constexpr int AfterSeekNearEndMs = 4000;
// The notification icon is no larger than this.
const QSize TrayIconMaximum(48, 48);
constexpr int LongPlaylist = 10000;

} // namespace

class DesktopEndToEndTest : public EndToEndFixture {
    Q_OBJECT

    // xdotool names windows in decimal, xprop in hexadecimal.
    static QString decimal(const QString &hex) { return QString::number(hex.toULongLong(nullptr, 16)); }
    QStringList rootWindows(const char *property)
    {
        const QString line = output("xprop", {"-root", property}, m_display);
        QStringList ids;
        static const QRegularExpression id("0x[0-9a-f]+");
        for (auto it = id.globalMatch(line.section('#', 1)); it.hasNext();)
            ids << decimal(it.next().captured());
        return ids;
    }
    // The managed window stacked above all others.
    QString topWindow()
    {
        const QStringList stacking = rootWindows("_NET_CLIENT_LIST_STACKING");
        return stacking.isEmpty() ? QString() : stacking.constLast();
    }
    QString state(const QString &id) { return output("xprop", {"-id", id, "_NET_WM_STATE"}, m_display); }
    // The names the task bar lists: managed windows that do not skip it.
    QStringList taskBarEntries()
    {
        QStringList names;
        for (const QString &id : rootWindows("_NET_CLIENT_LIST"))
            if (!state(id).contains("_NET_WM_STATE_SKIP_TASKBAR"))
                names << xdotool({"getwindowname", id});
        names.sort();
        return names;
    }
    QStringList visibleNames()
    {
        QStringList names;
        for (const QString &id : xdotool({"search", "--onlyvisible", "--classname", "tessaro"}).split('\n'))
            if (!id.isEmpty() && !isTrayIcon(id))
                names << xdotool({"getwindowname", id});
        names.sort();
        return names;
    }
    bool isTrayIcon(const QString &id)
    {
        const QSize size = geometry(id).size();
        return size.width() <= TrayIconMaximum.width() && size.height() <= TrayIconMaximum.height();
    }
    QString trayIcon()
    {
        for (const QString &id : xdotool({"search", "--onlyvisible", "--classname", "tessaro"}).split('\n'))
            if (!id.isEmpty() && isTrayIcon(id) && geometry(id).width() > 1)
                return id;
        return QString();
    }
    QString playerWindow() { return xdotool({"search", "--name", "None Movie|/"}).section('\n', 0, 0); }
    void dragOn(QPoint origin, QPoint from, QPoint to) { drag(origin + from, origin + to); }
    int lightnessAt(QPoint onScreen) { return QColor(screen().pixel(onScreen)).lightness(); }

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void barsKeepTheirDrags();
    void scrollThumbOfALongPlaylist();
    void fullScreenCoversTheScreen();
    void trayHidesAndRestoresTheWindows();
    void playlistStepsOverEntriesItCannotOpen();
};

void DesktopEndToEndTest::initTestCase()
{
    if (const QString reason = startDisplay(true); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    gst_init(nullptr, nullptr);
    QCOMPARE(QProcess::execute(TESSARO_MAKE_DEMO, {m_dir.filePath("demo"), m_dir.filePath("demo.pls")}), 0);
    QVERIFY(MediaFiles::make(MediaFiles::Wav, m_dir.filePath("tone.wav")));
    QVERIFY(QFile::copy(m_dir.filePath("tone.wav"), m_dir.filePath("square.wav")));
}

void DesktopEndToEndTest::cleanup() { stopProgram(); }

void DesktopEndToEndTest::cleanupTestCase() { stopDisplay(); }

// A press on a bar is the bar's: it seeks or sets the volume as the pointer
// moves, and the panel stays where it is.
void DesktopEndToEndTest::barsKeepTheirDrags()
{
    prepareFolder("bars");
    QFile::copy(m_dir.filePath("demo.pls"), m_folder + "/default.pls");
    TestFiles::write(m_folder + "/preferences.ini", "[Show]\nPlayer=1\n");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(!playerWindow().isEmpty(), 10000);
    const QPoint place = panel();
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Tessaro Chimes.mp3"), 10000);

    const QImage volumeBefore = region(VolumeStrip);
    dragOn(place, VolumeThumb, VolumeStrip.topLeft() + QPoint(2, 8));
    QCOMPARE(panel(), place);
    QVERIFY(region(VolumeStrip) != volumeBefore);

    const QImage seekBefore = region(SeekStrip);
    dragOn(place, SeekStart, SeekNearEnd);
    QCOMPARE(panel(), place);
    QVERIFY(region(SeekStrip) != seekBefore);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Bouncing Ball.avi"), AfterSeekNearEndMs);
    QCOMPARE(panel(), place);
    QCOMPARE(stop(SIGTERM), 0);
}

// Dragging the scroll thumb of a long playlist scrolls it all the way, and
// the playlist window does not move.
void DesktopEndToEndTest::scrollThumbOfALongPlaylist()
{
    prepareFolder("long-list");
    QByteArray entries;
    for (int i = 0; i < LongPlaylist; ++i)
        entries += QString("%1/song%2.mp3\r\n").arg(m_folder).arg(i, 5, 10, QChar('0')).toUtf8();
    TestFiles::write(m_folder + "/default.pls", entries);
    TestFiles::write(m_folder + "/preferences.ini", "[Show]\nList=1\n");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty(), 10000);
    const QString list = window("Tessaro Playlist");
    const QPoint place = geometry(list).topLeft();
    QVERIFY(lightnessAt(place + ScrollThumbTop) > ThumbLightness);
    QVERIFY(lightnessAt(place + ScrollTrackBottom) < ThumbLightness);

    dragOn(place, ScrollThumbTop, ScrollTrackBottom + QPoint(0, 40));
    QCOMPARE(geometry(list).topLeft(), place);
    QTRY_VERIFY_WITH_TIMEOUT(lightnessAt(place + ScrollTrackBottom) > ThumbLightness, 5000);
    QVERIFY(lightnessAt(place + ScrollThumbTop) < ThumbLightness);
    QCOMPARE(stop(SIGTERM), 0);
}

// Escape on a playing video: the window manager's full-screen state, the whole
// screen, above the task bar and the playlist; Escape again gives back the
// place and size.
void DesktopEndToEndTest::fullScreenCoversTheScreen()
{
    prepareFolder("full-screen");
    TestFiles::write(m_folder + "/default.pls", (m_dir.filePath("demo/Bouncing Ball.avi") + "\r\n").toUtf8());
    TestFiles::write(m_folder + "/preferences.ini", "[Show]\nList=1\nPlayer=1\n");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty() && !playerWindow().isEmpty(), 10000);
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Bouncing Ball.avi"), 10000);
    click(Pause);
    const QString player = playerWindow();
    const QRect before = geometry(player);

    key("Escape");
    QTRY_COMPARE_WITH_TIMEOUT(geometry(player), Screen, 10000);
    QVERIFY(state(player).contains("_NET_WM_STATE_FULLSCREEN"));
    QTRY_COMPARE_WITH_TIMEOUT(topWindow(), player, 10000);

    key("Escape");
    QTRY_COMPARE_WITH_TIMEOUT(geometry(player), before, 10000);
    QVERIFY(!state(player).contains("_NET_WM_STATE_FULLSCREEN"));
    QCOMPARE(stop(SIGTERM), 0);
}

// The tray button leaves only the icon: no window shown, nothing in the task
// bar. A click on the icon brings back exactly the windows that were shown.
// The playlist, a tool window, never has a task-bar entry.
void DesktopEndToEndTest::trayHidesAndRestoresTheWindows()
{
    prepareFolder("tray");
    QFile::copy(m_dir.filePath("demo.pls"), m_folder + "/default.pls");
    TestFiles::write(m_folder + "/preferences.ini", "[Show]\nList=1\nPlayer=1\n");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty() && !playerWindow().isEmpty(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(taskBarEntries(), QStringList({"None Movie", "Tessaro"}), 10000);
    // The playlist closed: the tray gives back the panel and the player only.
    const QString list = window("Tessaro Playlist");
    const QPoint closeBox = geometry(list).topLeft() + QPoint(geometry(list).width() - 10, 10);
    xdotool({"mousemove", QString::number(closeBox.x()), QString::number(closeBox.y()), "click", "1"});
    QTRY_COMPARE_WITH_TIMEOUT(visibleNames(), QStringList({"None Movie", "Tessaro"}), 10000);

    const QPoint place = panel();
    click(TrayButton);
    QTRY_COMPARE_WITH_TIMEOUT(visibleNames(), QStringList(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(taskBarEntries(), QStringList(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!trayIcon().isEmpty(), 10000);

    const QRect icon = geometry(trayIcon());
    xdotool({"mousemove", QString::number(icon.center().x()), QString::number(icon.center().y()), "click", "1"});
    QTRY_COMPARE_WITH_TIMEOUT(visibleNames(), QStringList({"None Movie", "Tessaro"}), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(taskBarEntries(), QStringList({"None Movie", "Tessaro"}), 10000);
    QCOMPARE(panel(), place);
    QCOMPARE(stop(SIGTERM), 0);
}

// An entry that cannot be opened is stepped over in the direction of the step,
// at the end of an item as with Next and Previous; with none to open, the
// player ends idle.
void DesktopEndToEndTest::playlistStepsOverEntriesItCannotOpen()
{
    prepareFolder("broken-entries");
    const QString tone = m_dir.filePath("tone.wav"), square = m_dir.filePath("square.wav");
    TestFiles::write(m_folder + "/default.pls",
                     (tone + "\r\n" + m_folder + "/missing.mp3\r\n" + square + "\r\n").toUtf8());
    TestFiles::write(m_folder + "/preferences.ini", "[Show]\nPlayer=1\n");
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(!playerWindow().isEmpty(), 10000);
    key("ctrl+Home");
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), tone, 10000);
    // The tone ends: the missing entry is passed, the square wave plays.
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), square, 10000);
    click(Prev);
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), tone, 10000);
    click(Next);
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), square, 10000);
    QCOMPARE(stop(SIGTERM), 0);

    // Nothing to open: Next goes round once and leaves the player idle.
    TestFiles::write(m_folder + "/default.pls",
                     (m_folder + "/gone.mp3\r\n" + m_folder + "/missing.mp3\r\n").toUtf8());
    QVERIFY(start());
    QTRY_VERIFY_WITH_TIMEOUT(!playerWindow().isEmpty(), 10000);
    click(Next);
    QTest::qWait(500);
    QCOMPARE(playerTitle(), QString("None Movie"));
    QVERIFY(!panelWindow().isEmpty());
    QCOMPARE(stop(SIGTERM), 0);
}

QTEST_GUILESS_MAIN(DesktopEndToEndTest)
#include "tst_e2e_desktop.moc"
