// End-to-end: the real tessaro executable under Xvfb, in a folder of its own,
// driven with xdotool clicks and keys, watched through window names,
// geometry, screenshots and the files it writes. Skips where no X server can
// be started.
#include "EndToEndFixture.h"
#include "VideoWriter.h"

#include <chrono>
#include <sys/stat.h>
#include <thread>

class EndToEndTest : public EndToEndFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void firstRunPlacesAndTheNextStart();
    void playingTheDemoPlaylist();
    void nightWalkCartoon();
    void actionScript3Cartoon();
    void embeddedVideo();
    void barsAndHotkeys();
    void playlistWindowDocksAndSnaps();
    void closeRequestWithAnErrorBoxOpen();
    void deleteOnANewAccount();
    void entriesThatAreNotFiles();
    void badPlacesInThePreferences_data();
    void badPlacesInThePreferences();
    void killedDuringShutdown();
};

void EndToEndTest::initTestCase()
{
    if (const QString reason = startDisplay(false); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    QCOMPARE(QProcess::execute(TESSARO_MAKE_DEMO, {m_dir.filePath("demo"), m_dir.filePath("demo.pls")}), 0);
}

void EndToEndTest::cleanup() { stopProgram(); }

void EndToEndTest::cleanupTestCase() { stopDisplay(); }

void EndToEndTest::firstRunPlacesAndTheNextStart()
{
    prepareFolder("first-run");
    QVERIFY(start());
    QCOMPARE(geometry(panelWindow()), QRect(150, 94, 268, 118));
    QVERIFY(window("Tessaro Playlist").isEmpty());
    QVERIFY(window("None Movie").isEmpty());

    drag(QPoint(155, 134), QPoint(255, 234)); // a free spot of the panel
    QTRY_COMPARE_WITH_TIMEOUT(panel(), QPoint(250, 194), 10000);
    click(ListButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty(), 10000);
    QCOMPARE(stop(SIGTERM), 0);
    QCOMPARE(stored("Window", "Main.Left"), QString("250"));
    QCOMPARE(stored("Show", "List"), QString("1"));
    QVERIFY(QFile::exists(m_folder + "/default.pls"));

    // The next start puts everything back; the panel's close button quits.
    QVERIFY(start());
    QCOMPARE(panel(), QPoint(250, 194));
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty(), 10000);
    click(Close);
    QVERIFY(m_app.waitForFinished(10000));
    QCOMPARE(m_app.exitCode(), 0);
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
}

void EndToEndTest::playingTheDemoPlaylist()
{
    prepareFolder("demo-run");
    QFile::copy(m_dir.filePath("demo.pls"), m_folder + "/default.pls");
    QVERIFY(start());
    click(PlayerButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window("None Movie").isEmpty(), 10000);
    key("ctrl+Home"); // the first entry
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Tessaro Chimes.mp3"), 10000);
    const QImage before = region(TimeDisplay);
    QTest::qWait(1300);
    QVERIFY(region(TimeDisplay) != before); // the time runs

    // The tune ends by itself and the video follows.
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Bouncing Ball.avi"), 20000);
    click(Pause);
    QTest::qWait(500);
    const QImage paused = region(TimeDisplay);
    QTest::qWait(1200);
    QCOMPARE(region(TimeDisplay), paused);
    click(Play);
    click(Next);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Sunny Hill.swf"), 10000);
    click(Next);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Night Walk.swf"), 10000);
    click(Next);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Bouncing Script.swf"), 10000);
    click(Next);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Music Box.mid"), 10000);
    // The tune, then the H.264 video, end by themselves.
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Colour Bars.mp4"), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("(lossless).flac"), 20000);
    // Past the last entry the playlist wraps to the first.
    click(Next);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Tessaro Chimes.mp3"), 10000);
    click(Prev);
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("(lossless).flac"), 10000);
    click(Stop);
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), QString("None Movie"), 10000);
    QCOMPARE(stop(SIGTERM), 0);
    QCOMPARE(TestFiles::read(m_folder + "/default.pls"), TestFiles::read(m_dir.filePath("demo.pls")));
}

namespace {

// Where the orange of the walking cat shows in an image, and how much of it.
struct CatSighting {
    int pixels = 0;
    double meanX = 0;
};

CatSighting findCat(const QImage &image)
{
    CatSighting cat;
    double sumX = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 100 && c.green() < 170 && c.blue() < 80) {
                ++cat.pixels;
                sumX += x;
            }
        }
    cat.meanX = cat.pixels ? sumX / cat.pixels : 0;
    return cat;
}

// Pixels of the caption's pale yellow in the top fifth of an image.
int captionPixels(const QImage &image)
{
    int pixels = 0;
    for (int y = 0; y < image.height() / 5; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            pixels += c.red() > 200 && c.green() > 190 && c.blue() > 110 && c.blue() < 195;
        }
    return pixels;
}

} // namespace

// The second cartoon loads its cat from a movie beside it, walks it across
// the stage from its script and captions the scene with a text field of its own.
void EndToEndTest::nightWalkCartoon()
{
    prepareFolder("night-walk");
    TestFiles::write(m_folder + "/default.pls", (m_dir.filePath("demo/Night Walk.swf") + "\r\n").toUtf8());
    QVERIFY(start());
    click(PlayerButton);
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Night Walk.swf"), 10000);
    const QString player = xdotool({"search", "--name", "Night Walk"}).section('\n', 0, 0);
    QVERIFY(!player.isEmpty());
    const auto shot = [&] { return screen().copy(geometry(player)); };
    CatSighting first;
    QTRY_VERIFY_WITH_TIMEOUT((first = findCat(shot())).pixels > 200, 10000);
    QTest::qWait(400);
    const CatSighting later = findCat(shot());
    QVERIFY(later.pixels > 200);
    // It walks right, unless it just went round from the right edge to the left.
    QVERIFY2(later.meanX > first.meanX + 5 || later.meanX < first.meanX - 100,
             qPrintable(QString("cat at %1, then %2").arg(first.meanX).arg(later.meanX)));
    QVERIFY(captionPixels(shot()) > 30);
    QCOMPARE(stop(SIGTERM), 0);
}

namespace {

// Pixels of the ActionScript 3 cartoon's sky (0x3366CC), which its script
// draws on every frame over the movie's darker background.
int skyPixels(const QImage &image)
{
    int pixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            pixels += std::abs(c.red() - 0x33) < 12 && std::abs(c.green() - 0x66) < 12 && std::abs(c.blue() - 0xCC) < 12;
        }
    return pixels;
}

} // namespace

// The third cartoon is all ActionScript 3: its document class redraws the
// stage with the drawing API on every frame, moving a ball, and its timer
// recolours it and recaptions the scene each second.
void EndToEndTest::actionScript3Cartoon()
{
    prepareFolder("as3-cartoon");
    TestFiles::write(m_folder + "/default.pls", (m_dir.filePath("demo/Bouncing Script.swf") + "\r\n").toUtf8());
    QVERIFY(start());
    click(PlayerButton);
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Bouncing Script.swf"), 10000);
    const QString player = xdotool({"search", "--name", "Bouncing Script"}).section('\n', 0, 0);
    QVERIFY(!player.isEmpty());
    const auto shot = [&] { return screen().copy(geometry(player)); };
    QTRY_VERIFY_WITH_TIMEOUT(skyPixels(shot()) > 5000, 10000);
    const QImage first = shot();
    QTest::qWait(700);
    const QImage later = shot();
    QVERIFY(skyPixels(later) > 5000);
    QVERIFY2(later != first, "the cartoon's picture stays the same");
    QCOMPARE(stop(SIGTERM), 0);
}

// A movie made here with a Sorenson H.263 video over its whole stage: the
// player window shows the video's magenta.
void EndToEndTest::embeddedVideo()
{
    prepareFolder("video");
    gst_init(nullptr, nullptr);
    const QColor magenta(255, 0, 255);
    constexpr int Frames = 12;
    const std::vector<QByteArray> pictures = VideoWriter::flvPictures(
        VideoWriter::encodeFlv(VideoWriter::H263, magenta, QSize(64, 48), Frames, m_folder + "/pictures.flv"));
    QCOMPARE(int(pictures.size()), Frames);
    QByteArray tags = VideoWriter::defineStream(1, Frames, QSize(200, 150), VideoWriter::H263) +
                      SwfWriter::place(SwfWriter::Place(1, 1));
    for (int i = 0; i < Frames; ++i)
        tags += VideoWriter::videoFrame(1, i, pictures[size_t(i)]) + VideoWriter::showPicture(1, i) +
                SwfWriter::showFrame();
    TestFiles::write(m_folder + "/Sorenson Clip.swf", SwfWriter::movie(tags));
    TestFiles::write(m_folder + "/default.pls", (m_folder + "/Sorenson Clip.swf\r\n").toUtf8());
    QVERIFY(start());
    click(PlayerButton);
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Sorenson Clip.swf"), 10000);
    const QString player = xdotool({"search", "--name", "Sorenson Clip"}).section('\n', 0, 0);
    QVERIFY(!player.isEmpty());
    const auto magentaPixels = [&] {
        const QImage shot = screen().copy(geometry(player));
        int pixels = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                pixels += c.red() > 215 && c.green() < 40 && c.blue() > 215;
            }
        return pixels;
    };
    QTRY_VERIFY_WITH_TIMEOUT(magentaPixels() > 5000, 10000);
    QCOMPARE(stop(SIGTERM), 0);
}

void EndToEndTest::barsAndHotkeys()
{
    prepareFolder("keys");
    QFile::copy(m_dir.filePath("demo.pls"), m_folder + "/default.pls");
    QVERIFY(start());
    click(PlayerButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window("None Movie").isEmpty(), 10000);
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Tessaro Chimes.mp3"), 10000);
    key("ctrl+Right");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Bouncing Ball.avi"), 10000);
    key("ctrl+Left");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("Tessaro Chimes.mp3"), 10000);

    // The volume bar: its thumb goes to the far left.
    const QImage volumeBefore = region(QRect(120, 52, 60, 16));
    click(VolumeLeft);
    QTest::qWait(300);
    QVERIFY(region(QRect(120, 52, 60, 16)) != volumeBefore);

    // The seek bar: halfway through a 7-second tune reads 0:00:03.
    click(Pause);
    const QImage start = region(TimeDisplay);
    click(SeekMiddle);
    click(Play);
    QTest::qWait(500);
    click(Pause);
    QTest::qWait(400);
    QVERIFY(region(TimeDisplay) != start);

    // Escape: the player goes full screen and back.
    const QString player = xdotool({"search", "--name", "Tessaro Chimes"}).section('\n', 0, 0);
    QVERIFY(!player.isEmpty());
    xdotool({"windowmap", "--sync", player});
    key("Escape");
    QTRY_COMPARE_WITH_TIMEOUT(geometry(player).size(), QSize(1024, 768), 10000);
    key("Escape");
    QTRY_VERIFY_WITH_TIMEOUT(geometry(player).size() != QSize(1024, 768), 10000);
    QCOMPARE(stop(SIGINT), 0);
}

void EndToEndTest::playlistWindowDocksAndSnaps()
{
    prepareFolder("dock");
    QVERIFY(start());
    click(ListButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty(), 10000);
    const QString list = window("Tessaro Playlist");
    // Its designed place, 149, lies a pixel off the panel's left edge: it snaps there.
    QCOMPARE(geometry(list).topLeft(), QPoint(150, 240));

    // Dropped 7 pixels below the panel and 4 to the right, it snaps flush.
    drag(QPoint(150 + 60, 240 + 10), QPoint(150 + 60 + 4, 212 + 7 + 10));
    QTRY_COMPARE_WITH_TIMEOUT(geometry(list).topLeft(), QPoint(150, 212), 10000);
    // Docked, it follows the panel.
    drag(QPoint(155, 134), QPoint(205, 164));
    QTRY_COMPARE_WITH_TIMEOUT(panel(), QPoint(200, 124), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(geometry(list).topLeft(), QPoint(200, 242), 10000);
    // Its close box hides it; the panel's button shows it again.
    const QPoint closeBox = geometry(list).topLeft() + QPoint(geometry(list).width() - 10, 10);
    xdotool({"mousemove", QString::number(closeBox.x()), QString::number(closeBox.y()), "click", "1"});
    QTRY_VERIFY_WITH_TIMEOUT(window("Tessaro Playlist").isEmpty(), 10000);
    click(ListButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty(), 10000);
    QCOMPARE(stop(SIGTERM), 0);
    QCOMPARE(stored("Window", "List.Top"), QString("242"));
}

void EndToEndTest::closeRequestWithAnErrorBoxOpen()
{
    prepareFolder("error-box");
    TestFiles::write(m_folder + "/broken.swf", "not a movie");
    TestFiles::write(m_folder + "/default.pls", (m_folder + "/broken.swf\r\n").toUtf8());
    QVERIFY(start());
    click(Next);
    // The error box stands open, waiting for a person...
    QTRY_VERIFY_WITH_TIMEOUT(xdotool({"search", "--onlyvisible", "--name", "^Tessaro$"}).split('\n').size() > 1, 10000);
    // ...and a close request from outside still ends the program cleanly.
    QCOMPARE(stop(SIGTERM), 0);
    QVERIFY(QFile::exists(m_folder + "/preferences.ini"));
}

void EndToEndTest::deleteOnANewAccount()
{
    prepareFolder("new-account");
    const QString home = m_dir.filePath("fresh-home");
    const QString elsewhere = m_dir.filePath("elsewhere");
    QDir().mkpath(home);
    QDir().mkpath(elsewhere);
    const QString doomed = m_folder + "/doomed.mp3";
    QVERIFY(QFile::copy(m_dir.filePath("demo/Tessaro Chimes.mp3"), doomed));
    QVERIFY(QFile::copy(m_dir.filePath("demo/Music Box.mid"), m_folder + "/next.mid"));
    TestFiles::write(m_folder + "/default.pls", (doomed + "\r\n" + m_folder + "/next.mid\r\n").toUtf8());
    QVERIFY(start(home, elsewhere));
    click(PlayerButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window("None Movie").isEmpty(), 10000);
    key("ctrl+Home");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle() == doomed, 10000);
    key("Delete");
    QTRY_VERIFY_WITH_TIMEOUT(playerTitle().endsWith("next.mid"), 10000);
    const QString trash = home + "/.local/share/Trash";
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(trash + "/files/doomed.mp3"), 10000);
    QVERIFY(!QFile::exists(doomed));
    QVERIFY(TestFiles::read(trash + "/info/doomed.mp3.trashinfo").contains("Path=" + doomed.toUtf8()));
    QCOMPARE(QFile(trash + "/files").permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
             QFileDevice::Permissions());
    QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(stop(SIGTERM), 0);
}

void EndToEndTest::entriesThatAreNotFiles()
{
    prepareFolder("not-files");
    const QString fifo = m_folder + "/x.mp3";
    const QString zero = m_folder + "/z.swf";
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(QFile::link("/dev/zero", zero));
    TestFiles::write(m_folder + "/default.pls", (fifo + "\r\n" + zero + "\r\n").toUtf8());
    QVERIFY(start());
    click(PlayerButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window("None Movie").isEmpty(), 10000);
    key("ctrl+Home"); // the FIFO: nothing plays, and nothing waits for a writer
    QTest::qWait(500);
    QCOMPARE(playerTitle(), QString("None Movie"));
    // The device link fails at once with the error box, instead of reading without end.
    key("ctrl+End");
    QTRY_VERIFY_WITH_TIMEOUT(xdotool({"search", "--onlyvisible", "--name", "^Tessaro$"}).split('\n').size() > 1, 5000);
    QCOMPARE(playerTitle(), QString("None Movie"));
    QCOMPARE(stop(SIGTERM), 0);
    QVERIFY(!QFileInfo(fifo).isFile());
    QVERIFY(QFileInfo(zero).isSymLink());
}

void EndToEndTest::badPlacesInThePreferences_data()
{
    QTest::addColumn<QByteArray>("places");
    QTest::newRow("huge list, panel far left")
        << QByteArray("Main.Left=-99999999\nMain.Top=94\nList.Left=149\nList.Top=240\n"
                      "List.Width=32767\nList.Height=32767\n");
    QTest::newRow("empty list far off, panel far below")
        << QByteArray("Main.Left=300\nMain.Top=99999999\nList.Left=-5000\nList.Top=-5000\n"
                      "List.Width=0\nList.Height=0\n");
    QTest::newRow("extremes") << QByteArray("Main.Left=2147483647\nMain.Top=-2147483648\nList.Left=-2147483648\n"
                                            "List.Top=2147483647\nList.Width=-1\nList.Height=2147483647\n");
}

void EndToEndTest::badPlacesInThePreferences()
{
    QFETCH(QByteArray, places);
    prepareFolder("bad-places");
    TestFiles::write(m_folder + "/preferences.ini", "[Window]\n" + places + "\n[Show]\nList=1\n");
    QVERIFY(start());
    const QRect panelPlace = geometry(panelWindow());
    QCOMPARE(panelPlace.size(), PanelSize);
    QVERIFY2(Screen.contains(panelPlace), qPrintable(QString("panel at %1,%2").arg(panelPlace.x()).arg(panelPlace.y())));
    QTRY_VERIFY_WITH_TIMEOUT(!window("Tessaro Playlist").isEmpty(), 10000);
    const QRect listPlace = geometry(window("Tessaro Playlist"));
    QVERIFY2(Screen.contains(listPlace), qPrintable(QString("list at %1,%2 %3x%4")
                                                        .arg(listPlace.x()).arg(listPlace.y())
                                                        .arg(listPlace.width()).arg(listPlace.height())));
    QVERIFY(listPlace.width() >= ListMinimum.width() && listPlace.height() >= ListMinimum.height());

    // What goes back to the file is the place shown, not the stored one.
    QCOMPARE(stop(SIGTERM), 0);
    QCOMPARE(QPoint(stored("Window", "Main.Left").toInt(), stored("Window", "Main.Top").toInt()), panelPlace.topLeft());
    QCOMPARE(storedListPlace(), listPlace);
}

// Killed at any moment of its shutdown, the program leaves the preferences
// wholly as they were or wholly as it meant to write them, and the next
// start clears away whatever temporary file the kill left.
void EndToEndTest::killedDuringShutdown()
{
    constexpr int Runs = 20;
    constexpr qint64 LatestKillUs = 25000;
    prepareFolder("killed");
    // Places the program corrects, so every write changes several keys.
    const QByteArray before = "; kept by hand\n[General]\nLanguage=English\n\n[Window]\nMain.Left=-99999999\n"
                              "Main.Top=300\nList.Left=5000\nList.Top=100\nList.Width=32767\nList.Height=0\n\n"
                              "[Show]\nList=1\nPlayer=0\n";
    const QString preferences = m_folder + "/preferences.ini";

    // An undisturbed shutdown gives the new content.
    TestFiles::write(preferences, before);
    QVERIFY(start());
    QCOMPARE(stop(SIGTERM), 0);
    const QByteArray after = TestFiles::read(preferences);
    QVERIFY(after != before);
    QVERIFY(after.startsWith("; kept by hand\n"));

    // A temporary file as a kill during an earlier write leaves it.
    const QString stale = m_folder + "/preferences.ini.tessaro-tmp-0badc0de";
    TestFiles::write(stale, "; kept by hand\n[General]\nLang");
    int old = 0, whole = 0;
    for (int run = 0; run < Runs; ++run) {
        TestFiles::write(preferences, before);
        QVERIFY(start());
        QCOMPARE(temporaries(), QStringList());
        // Kills from at once to past the end of the shutdown, most of them
        // early, where the preferences are written (some milliseconds in).
        const auto delay = std::chrono::microseconds(LatestKillUs * run * run / ((Runs - 1) * (Runs - 1)));
        ::kill(pid_t(m_app.processId()), SIGTERM);
        std::this_thread::sleep_for(delay);
        if (m_app.state() != QProcess::NotRunning)
            ::kill(pid_t(m_app.processId()), SIGKILL);
        QVERIFY(m_app.waitForFinished(10000));
        const QByteArray content = TestFiles::read(preferences);
        QVERIFY2(content == before || content == after,
                 qPrintable(QString("run %1, killed after %2 us:\n%3").arg(run).arg(delay.count())
                                .arg(QString::fromUtf8(content))));
        (content == before ? old : whole) += 1;
    }
    qInfo("preferences after %d kills: %d old, %d new", Runs, old, whole);

    // The next start clears away a temporary file the last kill may have left.
    if (!temporaries().isEmpty())
        qInfo() << "left by the last kill:" << temporaries();
    QVERIFY(start());
    QCOMPARE(temporaries(), QStringList());
    QCOMPARE(stop(SIGTERM), 0);
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_e2e.moc"
