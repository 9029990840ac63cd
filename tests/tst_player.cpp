#include "app/Startup.h"
#include "list/Playlist.h"
#include "list/TListBoxs.h"
#include "main/TProgress.h"
#include "main/TTextLable.h"
#include "main/TfrmMain.h"
#include "platform/ErrorBox.h"
#include "player/PlaybackClock.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"
#include "MediaFiles.h"
#include "SoundWriter.h"
#include "SwfWriter.h"
#include "TestFiles.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;

namespace {

// A movie of `frames` frames with a square on each; `scripts` adds actions to frames.
QByteArray frames(int count, const std::map<int, QByteArray> &scripts = {}, double rate = 12)
{
    QByteArray tags = background(Qt::white) + rectangle(1, QRect(0, 0, 400, 400), Qt::red) + place(Place(1, 1));
    for (int f = 0; f < count; ++f) {
        const auto it = scripts.find(f);
        if (it != scripts.end())
            tags += doAction(it->second);
        tags += showFrame();
    }
    return movie(tags, 8, QSize(200, 150), rate);
}

} // namespace

class PlayerTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_errors;

    QString file(const char *name) const { return m_dir.filePath(name); }
    void setPlaylist(const QStringList &entries, int current)
    {
        PlayListBox->items().replaceAll(entries);
        CurrentIndex = current;
    }
    // Starts the entry and waits until it plays: a media file prerolls first.
    static bool started(int index)
    {
        StartEntry(index);
        return QTest::qWaitFor([index] { return frmPlayer->Playing.path() == PlayListItems->entry(index); },
                               MediaStartMs);
    }
    static constexpr int MediaStartMs = 10000;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void timeText_data();
    void timeText();
    void roadOfAnAudioItem();
    void zeroDurationAdvancesOnFirstTick();
    void stopResetsThePanel();
    void pauseAndResume();
    void oneFrameMovieAdvances();
    void loopingMovieAndNoLoop_data();
    void loopingMovieAndNoLoop();
    void movieThatStopsItself_data();
    void movieThatStopsItself();
    void jumpsAndTheirClamps();
    void popupShowsWhatApplies();
    void fullScreenAndBack();
    void rightPressOverAMovieOpensTheMenu();
    void unreadableMovieReachesTheErrorBox();
    void videoFillsThePlayerWindow();
    void closingHidesAndPlaybackGoesOn();
    void cartoonPlaysInStepWithItsSoundtrack();
    void keysTypedOnTheMovieReachIt();
    void movieHidesAndShowsThePointer();
};

void PlayerTest::initTestCase()
{
    gst_init(nullptr, nullptr);
    SetErrorBoxHandler([this](const QString &message) { m_errors << message; });
    QVERIFY(MediaFiles::make(MediaFiles::tone(1.2) + " ! wavenc ! filesink location=\"%1\"", file("short.wav")));
    QVERIFY(MediaFiles::make(MediaFiles::tone(3) + " ! wavenc ! filesink location=\"%1\"", file("long.wav")));
    QVERIFY(MediaFiles::make(MediaFiles::Avi, file("red.avi")));
    TestFiles::write(file("one.swf"), frames(1));
    TestFiles::write(file("loop.swf"), frames(3));
    TestFiles::write(file("hundred.swf"), frames(100));
    TestFiles::write(file("nineteen.swf"), frames(19));
    TestFiles::write(file("stopper.swf"), frames(5, {{1, as::stop() + as::getUrl("FSCommand:wait", "")}}));
    TestFiles::write(file("not-a-movie.swf"), "plain text");
}

void PlayerTest::init()
{
    m_errors.clear();
    InitSkin(m_dir.path());
    CreateWindows();
    frmMain->show();
}

void PlayerTest::cleanup()
{
    DestroyWindows();
    FreeGraph(DSMP);
}

void PlayerTest::timeText_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0:00:00";
    QTest::newRow("83 s") << qint64(83'000) << "0:01:23";
    QTest::newRow("rounds down") << qint64(1'999) << "0:00:01";
    QTest::newRow("last of a day") << qint64(86'399'999) << "23:59:59";
    QTest::newRow("days dropped") << qint64(90'000'000) << "1:00:00";
    QTest::newRow("many days") << qint64(86'400'000) * 400 + 61'000 << "0:01:01";
}

void PlayerTest::timeText()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(TimeText(ms), text);
}

void PlayerTest::roadOfAnAudioItem()
{
    setPlaylist({file("long.wav"), file("short.wav")}, -1);
    PlayStep(true);
    QCOMPARE(CurrentIndex, 0);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("long.wav"), MediaStartMs);
    QVERIFY(frmPlayer->Timer->isActive());
    QVERIFY(DSMP.Seeking);
    QTRY_COMPARE_WITH_TIMEOUT(frmMain->lblTime->text(), QString("0:00:01"), 3000);
    QVERIFY(frmMain->pbSeek->Position > 60);

    // The clock notices the end and moves on to the next entry.
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("short.wav"), 5000);
    QCOMPARE(CurrentIndex, 1);
    // And from the last entry back to the first.
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("long.wav"), 4000);
    QCOMPARE(CurrentIndex, 0);
}

void PlayerTest::zeroDurationAdvancesOnFirstTick()
{
    setPlaylist({file("long.wav"), file("short.wav")}, 0);
    QVERIFY(started(0));
    frmPlayer->Timer->stop();
    Duration = 0;
    frmPlayer->TimerTimer();
    QCOMPARE(CurrentIndex, 1);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("short.wav"), MediaStartMs);
}

void PlayerTest::stopResetsThePanel()
{
    setPlaylist({file("long.wav")}, 0);
    QVERIFY(started(0));
    QTest::qWait(600);
    frmPlayer->TimerTimer();
    QVERIFY(frmMain->pbSeek->Position > 4);
    frmPlayer->mnuStop->trigger();
    QVERIFY(!frmPlayer->Timer->isActive());
    QVERIFY(!DSMP.Graph);
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    QCOMPARE(frmMain->pbSeek->Position, 4);
    QCOMPARE(frmMain->lblTime->text(), QString("0:00:00"));
    QCOMPARE(Flash->Movie(), QString("res://"));
}

void PlayerTest::pauseAndResume()
{
    // Nothing loaded: nothing happens and the clock stays off.
    frmPlayer->mnuPlaypasue->trigger();
    QVERIFY(!frmPlayer->Timer->isActive());

    setPlaylist({file("long.wav"), file("hundred.swf")}, 0);
    QVERIFY(started(0));
    frmPlayer->mnuPlaypasue->trigger();
    QVERIFY(!frmPlayer->Timer->isActive());
    QTest::qWait(100);
    REFERENCE_TIME before = 0, after = 0;
    DSMP.Seeking->GetCurrentPosition(before);
    QTest::qWait(400);
    DSMP.Seeking->GetCurrentPosition(after);
    QVERIFY(after - before < 200'000); // under 20 ms: paused
    frmPlayer->mnuPlaypasue->trigger();
    QVERIFY(frmPlayer->Timer->isActive());

    // A movie with auto-skip off: pause halts it, resume sets it playing again.
    frmPlayer->mnuAutoSkip->setChecked(false);
    StartEntry(1);
    QVERIFY(Flash->Playing());
    frmPlayer->mnuPlaypasue->trigger();
    QVERIFY(!Flash->Playing());
    QVERIFY(!frmPlayer->Timer->isActive());
    frmPlayer->mnuPlaypasue->trigger();
    QVERIFY(Flash->Playing());
    QVERIFY(frmPlayer->Timer->isActive());
}

void PlayerTest::oneFrameMovieAdvances()
{
    setPlaylist({file("one.swf"), file("short.wav")}, 0);
    StartEntry(0);
    QCOMPARE(Flash->TotalFrames(), 1);
    frmPlayer->TimerTimer();
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("short.wav"), MediaStartMs);
}

void PlayerTest::loopingMovieAndNoLoop_data()
{
    QTest::addColumn<bool>("noLoop");
    QTest::newRow("no-loop on") << true;
    QTest::newRow("no-loop off") << false;
}

void PlayerTest::loopingMovieAndNoLoop()
{
    QFETCH(bool, noLoop);
    frmPlayer->mnuDisLoop->setChecked(noLoop);
    setPlaylist({file("loop.swf"), file("short.wav")}, 0);
    StartEntry(0);
    frmPlayer->Timer->stop();
    Flash->control().advanceFrame();
    frmPlayer->TimerTimer(); // sees frame 1
    QCOMPARE(LastFrame, 1);
    const int atFrameOne = frmMain->pbSeek->Position;
    Flash->control().advanceFrame();
    Flash->control().advanceFrame(); // past the last frame, back to the first
    QCOMPARE(Flash->CurrentFrame(), 0);
    frmPlayer->TimerTimer();
    if (noLoop) {
        QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("short.wav"), MediaStartMs);
    } else {
        QCOMPARE(frmPlayer->windowTitle(), file("loop.swf"));
        QCOMPARE(LastFrame, 0);
        QVERIFY(frmMain->pbSeek->Position < atFrameOne); // the bar follows the loop
    }
}

void PlayerTest::movieThatStopsItself_data()
{
    QTest::addColumn<bool>("autoSkip");
    QTest::newRow("auto-skip on") << true;
    QTest::newRow("auto-skip off") << false;
}

void PlayerTest::movieThatStopsItself()
{
    QFETCH(bool, autoSkip);
    frmPlayer->mnuAutoSkip->setChecked(autoSkip);
    setPlaylist({file("stopper.swf")}, 0);
    StartEntry(0);
    frmPlayer->Timer->stop();
    Flash->control().advanceFrame(); // frame 1 stops and raises an fscommand
    QVERIFY(!Flash->Playing());
    QCOMPARE(Flash->CurrentFrame(), autoSkip ? 2 : 1);
    frmPlayer->TimerTimer();
    QCOMPARE(Flash->Playing(), autoSkip);
    Flash->control().advanceFrame();
    QCOMPARE(Flash->CurrentFrame(), autoSkip ? 3 : 1);
}

void PlayerTest::jumpsAndTheirClamps()
{
    Jump(true); // no movie: nothing
    setPlaylist({file("hundred.swf"), file("nineteen.swf")}, 0);
    StartEntry(0);
    Flash->Stop();
    Flash->GotoFrame(3);
    frmPlayer->mnuBack->trigger();
    QCOMPARE(Flash->CurrentFrame(), 0);
    QCOMPARE(LastFrame, 0);
    Flash->GotoFrame(98);
    frmPlayer->mnuForward->trigger();
    QCOMPARE(Flash->CurrentFrame(), 99);
    Flash->GotoFrame(50);
    frmPlayer->mnuForward->trigger();
    QCOMPARE(Flash->CurrentFrame(), 55);
    // A backward jump is not taken for a loop by the next tick.
    frmPlayer->mnuBack->trigger();
    frmPlayer->TimerTimer();
    QCOMPARE(frmPlayer->windowTitle(), file("hundred.swf"));

    StartEntry(1); // 19 frames: the step is 0
    Flash->Stop();
    Flash->GotoFrame(7);
    frmPlayer->mnuForward->trigger();
    QCOMPARE(Flash->CurrentFrame(), 7);
}

void PlayerTest::popupShowsWhatApplies()
{
    setPlaylist({file("short.wav")}, 0);
    frmPlayer->PopupMenuPopup();
    QVERIFY(!frmPlayer->mnuPlaypasue->isVisible());
    QVERIFY(!frmPlayer->mnuStop->isVisible());
    QVERIFY(!frmPlayer->mnuPrv->isVisible());
    QVERIFY(!frmPlayer->mnuBack->isVisible());
    setPlaylist({file("short.wav"), file("long.wav")}, 0);
    QVERIFY(started(0));
    frmPlayer->PopupMenuPopup();
    QVERIFY(frmPlayer->mnuPlaypasue->isVisible());
    QVERIFY(frmPlayer->mnuStop->isVisible());
    QVERIFY(frmPlayer->mnuPrv->isVisible());
    QVERIFY(frmPlayer->mnuNext->isVisible());
    QVERIFY(frmPlayer->mnuAutoSkip->isChecked() && frmPlayer->mnuDisLoop->isChecked());
}

void PlayerTest::fullScreenAndBack()
{
    frmPlayer->show();
    frmPlayer->move(100, 120);
    frmPlayer->resize(300, 200);
    QVERIFY(QTest::qWaitForWindowExposed(frmPlayer));
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QTest::keyClick(frmPlayer, Qt::Key_Escape);
    QVERIFY(frmPlayer->mnuFullscreen->isChecked());
    // The picture covers the whole screen, no frame around it.
    QCOMPARE(frmPlayer->geometry(), QRect(QPoint(0, 0), screen));
    // The desktop's full-screen state, which takes the frame away.
    QVERIFY(frmPlayer->windowState() & Qt::WindowFullScreen);
    QVERIFY(!frmPlayer->isInNormalState());
    QCOMPARE(Flash->size(), screen); // the movie control keeps filling the window
    frmPlayer->mnuFullscreen->trigger();
    QVERIFY(!frmPlayer->mnuFullscreen->isChecked());
    QCOMPARE(frmPlayer->pos(), QPoint(100, 120));
    QCOMPARE(frmPlayer->size(), QSize(300, 200));
    QVERIFY(!(frmPlayer->windowState() & Qt::WindowFullScreen));
    QVERIFY(frmPlayer->isInNormalState());
    QVERIFY(frmPlayer->isVisible());
}

void PlayerTest::rightPressOverAMovieOpensTheMenu()
{
    const QByteArray tags = rectangle(1, QRect(0, 0, 4000, 3000), Qt::red) +
                            button(2, 1, 1, as::getUrl("FSCommand:pressed", "")) + place(Place(1, 2)) + showFrame();
    TestFiles::write(file("button.swf"), movie(tags));
    setPlaylist({file("button.swf")}, 0);
    frmPlayer->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmPlayer));
    StartEntry(0);
    QSignalSpy commands(&Flash->control(), &swf::FlashControl::FSCommand);
    QTest::mouseClick(Flash, Qt::RightButton, {}, QPoint(50, 50));
    QTRY_VERIFY(frmPlayer->PopupMenu->isVisible());
    frmPlayer->PopupMenu->close();
    QCOMPARE(commands.count(), 0);
    QTest::mouseClick(Flash, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(commands.count(), 1); // a left click does reach it
}

void PlayerTest::unreadableMovieReachesTheErrorBox()
{
    setPlaylist({file("not-a-movie.swf")}, 0);
    StartEntry(0);
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors.first().contains("not-a-movie.swf"));
    QVERIFY(!frmPlayer->Timer->isActive());
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    QVERIFY(Flash->FrameNum() < 0);
}

void PlayerTest::videoFillsThePlayerWindow()
{
    frmPlayer->show();
    frmPlayer->resize(240, 180);
    QVERIFY(QTest::qWaitForWindowExposed(frmPlayer));
    setPlaylist({file("red.avi")}, 0);
    QVERIFY(started(0));
    QVERIFY(DSMP.HasVideo);
    const auto red = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
    QTRY_VERIFY_WITH_TIMEOUT(red(frmPlayer->grab().toImage().pixel(120, 90)), 3000);
    frmPlayer->resize(320, 120);
    QTRY_VERIFY_WITH_TIMEOUT(red(frmPlayer->grab().toImage().pixel(319, 119)), 3000);
    QVERIFY(red(frmPlayer->grab().toImage().pixel(0, 0)));
}

void PlayerTest::closingHidesAndPlaybackGoesOn()
{
    frmPlayer->show();
    setPlaylist({file("long.wav")}, 0);
    QVERIFY(started(0));
    frmPlayer->mnuClose->trigger();
    QVERIFY(!frmPlayer->isVisible());
    QVERIFY(frmPlayer->Timer->isActive());
    frmPlayer->show();
    frmPlayer->close(); // the close box hides too
    QVERIFY(!frmPlayer->isVisible());
    QVERIFY(frmPlayer->Timer->isActive());
}

QTEST_MAIN(PlayerTest)
#include "tst_player.moc"

void PlayerTest::cartoonPlaysInStepWithItsSoundtrack()
{
    // Three seconds of MP3 soundtrack streamed over 36 frames, under a
    // square that moves right one step a frame.
    constexpr int Rate = 22050, Frames = 36;
    const QString mp3 = file("soundtrack.mp3");
    QVERIFY(MediaFiles::make(QStringLiteral("audiotestsrc wave=sine freq=330 num-buffers=30 samplesperbuffer=2205"
                                            " ! audio/x-raw,rate=22050,channels=1"
                                            " ! lamemp3enc target=bitrate bitrate=32 cbr=true") +
                                 QStringLiteral(" ! filesink location=\"%1\""),
                             mp3));
    const std::vector<QByteArray> blocks =
        sound::mp3Blocks(sound::mp3Frames(TestFiles::read(mp3)), Rate / 12.0, Frames);
    QByteArray tags = background(Qt::white) + sound::streamHead({sound::Mp3, Rate}, Rate / 12) +
                      rectangle(1, QRect(0, 0, 100, 3000), Qt::blue) + place(Place(1, 1));
    for (int f = 0; f < Frames; ++f) {
        tags += sound::streamBlock(blocks[size_t(f)]);
        tags += place(Place(1).moving().at(QPoint(f * 100, 0))) + showFrame();
    }
    TestFiles::write(file("cartoon.swf"), movie(tags, 8, QSize(200, 150), 12));

    setPlaylist({file("cartoon.swf")}, 0);
    StartEntry(0);
    QVERIFY(Flash->Playing());
    QElapsedTimer clock;
    clock.start();
    int checked = 0;
    while (clock.elapsed() < 2000) {
        QTest::qWait(40);
        const std::optional<int> heard = Flash->control().heardFrame();
        if (!heard)
            continue;
        // The picture shows the frame being heard, or one just before when
        // the sound crossed into the next since the last tick (two on a busy
        // machine, whose timer runs late).
        const int shown = Flash->FrameNum();
        QVERIFY2(*heard >= shown && *heard <= shown + 2,
                 qPrintable(QStringLiteral("heard %1, shown %2").arg(*heard).arg(shown)));
        ++checked;
    }
    QVERIFY(checked > 20);
    // Two seconds of sound went by at 12 frames a second, less the start.
    QVERIFY2(Flash->FrameNum() >= 15 && Flash->FrameNum() <= 26, qPrintable(QString::number(Flash->FrameNum())));
    // The square has moved on with the frames.
    const QImage stage = Flash->control().renderStage();
    const int x = Flash->FrameNum() * 5 + 2;
    QCOMPARE(stage.pixelColor(x, 20), QColor(Qt::blue));
}

void PlayerTest::keysTypedOnTheMovieReachIt()
{
    const QByteArray keyCode =
        as::pushNumber(0) + as::pushString("Key") + as::op(0x1C) + as::pushString("getCode") + as::op(0x52) + as::op(0x26);
    const QByteArray tags = background(Qt::white) + sprite(10, showFrame()) +
                            place(Place(1, 10).on(0x40, keyCode)) + showFrame();
    TestFiles::write(file("keys.swf"), movie(tags, 6));
    setPlaylist({file("keys.swf")}, 0);
    StartEntry(0);
    QStringList lines;
    connect(&Flash->control(), &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    frmPlayer->show();
    QTest::keyClick(Flash, Qt::Key_B);
    QTest::keyClick(Flash, Qt::Key_Space);
    QCOMPARE(lines, QStringList({"66", "32"}));
}

void PlayerTest::movieHidesAndShowsThePointer()
{
    // Frame 1 hides the pointer, frame 2 shows it again and stops.
    const QByteArray mouse = as::pushNumber(0) + as::pushString("Mouse") + as::op(0x1C);
    const QByteArray tags = background(Qt::white) + doAction(mouse + as::pushString("hide") + as::op(0x52) + as::op(0x17)) +
                            showFrame() +
                            doAction(mouse + as::pushString("show") + as::op(0x52) + as::op(0x17) + as::stop()) +
                            showFrame();
    TestFiles::write(file("pointer.swf"), movie(tags, 6));
    setPlaylist({file("pointer.swf")}, 0);
    StartEntry(0);
    frmPlayer->show();
    QCOMPARE(Flash->cursor().shape(), Qt::BlankCursor);
    Flash->control().advanceFrame();
    QCOMPARE(Flash->cursor().shape(), Qt::ArrowCursor);
}
