#include "app/Startup.h"
#include "list/ListGeometry.h"
#include "list/Playlist.h"
#include "list/PlaylistFile.h"
#include "list/PlaylistStep.h"
#include "list/TListBoxs.h"
#include "list/TScrbar.h"
#include "list/TfrmList.h"
#include "main/PanelLayout.h"
#include "main/TGbtn.h"
#include "main/TfrmMain.h"
#include "platform/ErrorBox.h"
#include "platform/FileDialogs.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"
#include "MediaFiles.h"
#include "TestFiles.h"

#include <gst/gst.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QMimeData>
#include <QTextDocument>
#include <QUrl>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray junkBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(1 + (i * 7) % 250); // never NUL
    return bytes;
}
} // namespace

class PlaylistTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_errors;
    QList<FileDialogRequest> m_requests;
    std::optional<QStringList> m_dialogAnswer;

    QString file(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const { return PlayListBox->items().entries(); }

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void mediaExtensionTest_data();
    void mediaExtensionTest();
    void fileFormat_data();
    void fileFormat();
    void writingUsesCrLf();
    void badPlaylistFilesLoadCalmly();
    void addFolderFiltersAndSorts();
    void trimRemovesWhatIsNotAFile();
    void stepIndex_data();
    void stepIndex();
    void stepPassesOverWhatCannotStart_data();
    void stepPassesOverWhatCannotStart();
    void stepWithNothingPlayable();
    void addingStartsOnlyWhileIdleSinceStartUp();
    void sortToggle();
    void errorMessages();
    void defaultPlaylistSurvivesARestart();
    void unreadableDefaultPlaylistIsKept();
    void menuCommandsUseTheDialogs();
    void scrollArithmetic();
    void scrollBarFollowsTheList();
    void draggingTheScrollThumbKeepsTheWindowInPlace();
    void hitTestBands_data();
    void hitTestBands();
    void snapping_data();
    void snapping();
    void frameCloseBoxAndMove();
    void namesAPlaylistCannotKeep();
    void playlistFilesThatAreNotFiles_data();
    void playlistFilesThatAreNotFiles();
    void defaultPlaylistThatIsNotAFile_data();
    void defaultPlaylistThatIsNotAFile();
    void entriesThatAreNotFilesFailAtOnce();
    void playingMarkFollowsTheEntry_data();
    void playingMarkFollowsTheEntry();
    void playingEntryIsMarkedWhilePlaying();
    void longPathsKeepTheirFileName();
    void dropsOnEveryWindow();
    void otherPlayersPlaylistsLoadAndDrop();
    void openedFilesStartAtOnce();
    void bringingToFrontRestoresTheWindows();
    void eventsGoOnWhileAnItemStarts();
    void stopWhileAnItemStartsDropsIt();
    void newerStartDropsTheOlder();
    void stepPassesOverAnItemThatFailsInItsPreroll();
    void stepOverItemsThatAllFailLater();
};

void PlaylistTest::initTestCase()
{
    gst_init(nullptr, nullptr);
    SetErrorBoxHandler([this](const QString &message) { m_errors << message; });
    SetFileDialogRunner([this](const FileDialogRequest &request) {
        m_requests << request;
        return m_dialogAnswer;
    });
}

void PlaylistTest::init()
{
    m_errors.clear();
    m_requests.clear();
    m_dialogAnswer.reset();
    QFile::remove(file("default.pls"));
    InitSkin(m_dir.path());
    CreateWindows();
    frmMain->show();
}

void PlaylistTest::cleanup()
{
    DestroyWindows();
    FreeGraph(DSMP);
}

void PlaylistTest::mediaExtensionTest_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("media");
    QTest::newRow("mp3") << "/music/a.mp3" << true;
    QTest::newRow("upper case") << "/music/a.MP3" << true;
    QTest::newRow("swf") << "b.swf" << true;
    QTest::newRow("mid") << "c.mid" << true;
    QTest::newRow("substring .mp") << "d.mp" << true;
    QTest::newRow("substring .wm") << "e.wm" << true;
    QTest::newRow("substring .w") << "f.w" << true;
    QTest::newRow("lone dot") << "g." << true;
    QTest::newRow("mp4") << "h.mp4" << true;
    QTest::newRow("ogg") << "i.ogg" << true;
    QTest::newRow("webm") << "i.WebM" << true;
    QTest::newRow("opus") << "i.opus" << true;
    QTest::newRow("flac") << "i.flac" << true;
    QTest::newRow("3gp") << "i.3gp" << true;
    QTest::newRow("substring .og") << "i.og" << true;
    QTest::newRow("mp5") << "h.mp5" << false;
    QTest::newRow("playlist") << "list.m3u" << false;
    QTest::newRow("no dot") << "/music/readme" << false;
    QTest::newRow("dot in folder only") << "/my.music/track" << false;
    QTest::newRow("txt") << "notes.txt" << false;
    QTest::newRow("comma space") << "odd., " << false;
}

void PlaylistTest::mediaExtensionTest()
{
    QFETCH(QString, name);
    QFETCH(bool, media);
    QCOMPARE(IsMediaFile(name), media);
}

void PlaylistTest::fileFormat_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lone LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("blank line, no final break") << QByteArray("x\r\n\r\ny") << QStringList{"x", "", "y"};
    QTest::newRow("mixed breaks") << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("two breaks at the end") << QByteArray("a\n\n") << QStringList{"a", ""};
    QTest::newRow("NUL ends the text") << QByteArray("a\r\nb\0c\r\nd", 9) << QStringList{"a", "b"};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("blanks kept") << QByteArray("  spaced  \r\n") << QStringList{"  spaced  "};
    QTest::newRow("utf-8") << QByteArray("/m\xC3\xBAsica/\xE6\xAD\x8C.mp3\r\n")
                           << QStringList{QString::fromUtf8("/m\xC3\xBAsica/\xE6\xAD\x8C.mp3")};
}

void PlaylistTest::fileFormat()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    TestFiles::write(file("format.pls"), bytes);
    const std::optional<QStringList> read = ReadPlaylistFile(file("format.pls"), nullptr);
    QVERIFY(read);
    QCOMPARE(*read, expected);
}

void PlaylistTest::writingUsesCrLf()
{
    QVERIFY(WritePlaylistFile(file("out.pls"), {"x", "", "y"}, nullptr));
    QCOMPARE(TestFiles::read(file("out.pls")), QByteArray("x\r\n\r\ny\r\n"));
    QVERIFY(WritePlaylistFile(file("out.pls"), {}, nullptr));
    QCOMPARE(TestFiles::read(file("out.pls")), QByteArray());
    QCOMPARE(QDir(m_dir.path()).entryList({"out.pls*"}), QStringList{"out.pls"});
}

void PlaylistTest::badPlaylistFilesLoadCalmly()
{
    QByteArray big;
    for (int i = 0; i < 1'000'000; ++i)
        big += "/music/line " + QByteArray::number(i) + "\n";
    TestFiles::write(file("million.pls"), big);
    TestFiles::write(file("binary.pls"), junkBytes(100000));
    TestFiles::write(file("longline.pls"), QByteArray(5'000'000, 'x') + "\nshort");
    TestFiles::write(file("bad-utf8.pls"), QByteArray("ok\n\xFF\xFE\xC3\n"));

    LoadList(file("million.pls"));
    QCOMPARE(PlayListBox->items().count(), 1'000'000);
    LoadList(file("binary.pls"));
    QVERIFY(PlayListBox->items().count() > 0);
    LoadList(file("longline.pls"));
    QCOMPARE(PlayListBox->items().count(), 2);
    QCOMPARE(PlayListBox->items().entry(0).size(), 5'000'000);
    LoadList(file("bad-utf8.pls"));
    QCOMPARE(PlayListBox->items().count(), 2);
    QVERIFY(m_errors.isEmpty());
}

void PlaylistTest::openedFilesStartAtOnce()
{
    // As from the command line: the first of them starts even though the
    // player is no longer idle since start-up.
    const QString folder = file("opened");
    for (const char *name : {"b.mp3", "a.wav", "notes.txt"})
        TestFiles::write(folder + '/' + name, "x");
    AddFiles({"/m/old.mp3"});
    Flash->setMovie("res://");
    m_errors.clear();
    OpenFiles({"/m/z.mp3", folder, folder + "/notes.txt", "/m/y.swf"});
    QCOMPARE(entries(), (QStringList{"/m/old.mp3", "/m/z.mp3", folder + "/a.wav", folder + "/b.mp3", "/m/y.swf"}));
    QCOMPARE(CurrentIndex, 1);
    // Nothing that passes: nothing is added and nothing starts.
    CurrentIndex = 4;
    OpenFiles({folder + "/notes.txt", file("empty-folder-that-is-not-there")});
    QCOMPARE(entries().size(), 5);
    QCOMPARE(CurrentIndex, 4);
    // In a sorted list the first given starts at its sorted place.
    frmList->mnuSort->trigger();
    OpenFiles({"/m/c.mp3", "/m/0.mp3"});
    QCOMPARE(entries().at(CurrentIndex), QString("/m/c.mp3"));
    // Names a playlist cannot keep are reported, as for every addition.
    m_errors.clear();
    OpenFiles({"/m/two\nlines.mp3"});
    QCOMPARE(m_errors.size(), 1);
    // A playlist file of any format brings its entries; one that cannot be read is reported.
    ClearList();
    TestFiles::write(file("opened.xspf"), "<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                                          "<track><location>file:///m/x%20y.ogg</location></track>"
                                          "</trackList></playlist>");
    m_errors.clear();
    OpenFiles({file("opened.xspf"), "/m/after.mp3", file("absent.m3u")});
    QCOMPARE(entries(), (QStringList{"/m/after.mp3", "/m/x y.ogg"})); // still sorted
    QCOMPARE(entries().at(CurrentIndex), QString("/m/x y.ogg"));
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors[0].contains("absent.m3u"));
}

void PlaylistTest::bringingToFrontRestoresTheWindows()
{
    frmList->show();
    frmMain->ShowTrayIcon(true);
    QTRY_VERIFY(!frmList->isVisible());
    frmMain->BringToFront();
    QVERIFY(!frmMain->TrayIconShown);
    QVERIFY(frmMain->isVisible());
    QVERIFY(frmList->isVisible());
    QVERIFY(!frmMain->isMinimized());
    // Already in front: nothing changes.
    frmMain->BringToFront();
    QVERIFY(frmMain->isVisible() && frmList->isVisible());
}

void PlaylistTest::addFolderFiltersAndSorts()
{
    const QString folder = file("folder");
    for (const char *name : {"b.MP3", "a.wav", "c.txt", "d.mp", ".hidden.mid", "Zulu.swf"})
        TestFiles::write(folder + '/' + name, "x");
    QDir().mkpath(folder + "/e.avi"); // a folder with a media name
    TestFiles::write(folder + "/e.avi/inside.mp3", "x");
    Flash->setMovie("res://"); // not idle since start-up: nothing starts
    AddFolder(folder);
    QCOMPARE(entries(), (QStringList{folder + "/.hidden.mid", folder + "/a.wav", folder + "/b.MP3",
                                     folder + "/d.mp", folder + "/Zulu.swf"}));
    AddFolder(file("no-such-folder"));
    QCOMPARE(PlayListBox->items().count(), 5);
}

void PlaylistTest::trimRemovesWhatIsNotAFile()
{
    TestFiles::write(file("real.mp3"), "x");
    QDir().mkpath(file("a-folder.mp3"));
    Flash->setMovie("res://");
    AddFiles({file("real.mp3"), "", file("a-folder.mp3"), file("missing.mp3"), file("real.mp3")});
    CurrentIndex = 3;
    TrimList();
    QCOMPARE(entries(), (QStringList{file("real.mp3"), file("real.mp3")}));
    QCOMPARE(CurrentIndex, 3);
}

void PlaylistTest::stepIndex_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("expected");
    QTest::newRow("on") << 0 << 3 << true << 1;
    QTest::newRow("last wraps to first") << 2 << 3 << true << 0;
    QTest::newRow("first wraps to last") << 0 << 3 << false << 2;
    QTest::newRow("back") << 2 << 3 << false << 1;
    // Left over after removals: the upper bound is tested first.
    QTest::newRow("far beyond, back") << 7 << 3 << false << 0;
    QTest::newRow("far beyond, on") << 7 << 3 << true << 0;
    QTest::newRow("one entry") << 0 << 1 << true << 0;
    QTest::newRow("minus one, back") << -1 << 3 << false << 2;
}

void PlaylistTest::stepIndex()
{
    QFETCH(int, current);
    QFETCH(int, count);
    QFETCH(bool, forward);
    QFETCH(int, expected);
    QCOMPARE(StepIndex(current, count, forward), expected);
}

void PlaylistTest::stepPassesOverWhatCannotStart_data()
{
    QTest::addColumn<QString>("playable"); // one letter per entry: y starts, n does not
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QList<int>>("tried");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("started");
    QTest::newRow("next is fine") << "yyy" << 0 << true << QList<int>{1} << 1 << true;
    QTest::newRow("one broken on") << "yny" << 0 << true << QList<int>{1, 2} << 2 << true;
    QTest::newRow("one broken back") << "yny" << 2 << false << QList<int>{1, 0} << 0 << true;
    QTest::newRow("broken across the wrap") << "ynnn" << 1 << true << QList<int>{2, 3, 0} << 0 << true;
    QTest::newRow("only the current one plays") << "nyn" << 1 << true << QList<int>{2, 0, 1} << 1 << true;
    QTest::newRow("nothing plays: once round") << "nnn" << 1 << true << QList<int>{2, 0, 1} << 1 << false;
    QTest::newRow("nothing plays, out of range") << "nnn" << 7 << false << QList<int>{0, 2, 1} << 1 << false;
}

void PlaylistTest::stepPassesOverWhatCannotStart()
{
    QFETCH(QString, playable);
    QFETCH(int, current);
    QFETCH(bool, forward);
    QFETCH(QList<int>, tried);
    QFETCH(int, index);
    QFETCH(bool, started);
    // Told at once, as a movie is, or later, as a media file is once its
    // preroll ends: the same entries are tried.
    for (const bool later : {false, true}) {
        QList<int> seen;
        std::optional<StepOutcome> outcome;
        StepToPlayable(
            current, int(playable.size()), forward,
            [&](int i, const std::function<void(bool)> &tell) {
                seen << i;
                const bool ok = playable[i] == u'y';
                if (later)
                    QTimer::singleShot(0, this, [tell, ok] { tell(ok); });
                else
                    tell(ok);
            },
            [&outcome](const StepOutcome &end) { outcome = end; });
        QCOMPARE(outcome.has_value(), !later);
        QTRY_VERIFY(outcome);
        QCOMPARE(seen, tried);
        QCOMPARE(outcome->index, index);
        QCOMPARE(outcome->started, started);
    }

    // A start never told (dropped by a newer one) ends the step there.
    QList<int> seen;
    bool ended = false;
    StepToPlayable(
        current, int(playable.size()), forward, [&seen](int i, const std::function<void(bool)> &) { seen << i; },
        [&ended](const StepOutcome &) { ended = true; });
    QCOMPARE(seen, tried.mid(0, 1));
    QVERIFY(!ended);
}

void PlaylistTest::stepWithNothingPlayable()
{
    Flash->setMovie("res://");
    // Movies that cannot be read: each start reports and fails; the step
    // tries each once and leaves the player idle.
    AddFiles({file("1.swf"), file("2.swf"), file("3.swf")});
    m_errors.clear();
    CurrentIndex = 1;
    PlayStep(true);
    QCOMPARE(CurrentIndex, 1);
    QCOMPARE(m_errors.size(), 3);
    QVERIFY(!frmPlayer->Timer->isActive());
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);

    ClearList();
    frmPlayer->Timer->start();
    frmMain->TitleScroll = 40;
    PlayStep(true);
    QVERIFY(!frmPlayer->Timer->isActive());
    QCOMPARE(frmMain->TitleScroll, 0);
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
}

void PlaylistTest::addingStartsOnlyWhileIdleSinceStartUp()
{
    // Idle since start-up: the first added entry starts (and fails: not a movie).
    AddFiles({file("x.swf"), file("y.swf")});
    QCOMPARE(CurrentIndex, 0);
    QCOMPARE(m_errors.size(), 1);
    // The player has stopped an item since: adding starts nothing.
    AddFiles({file("z.swf")});
    QCOMPARE(m_errors.size(), 1);

    DestroyWindows();
    InitSkin(m_dir.path());
    CreateWindows();
    TestFiles::write(file("three.pls"), "a.swf\r\nb.swf\r\nc.swf\r\n");
    LoadList(file("three.pls")); // idle: the last entry starts
    QCOMPARE(CurrentIndex, 2);

    DestroyWindows();
    InitSkin(m_dir.path());
    CreateWindows();
    TestFiles::write(file("empty.pls"), "");
    LoadList(file("empty.pls"));
    QCOMPARE(CurrentIndex, -1);
    QCOMPARE(PlayListBox->items().count(), 0);
}

void PlaylistTest::sortToggle()
{
    Flash->setMovie("res://");
    AddFiles({"/m/b.mp3", "/m/C.mp3", "/m/a.mp3"});
    frmList->mnuSort->trigger();
    QVERIFY(frmList->mnuSort->isChecked());
    QCOMPARE(entries(), (QStringList{"/m/a.mp3", "/m/b.mp3", "/m/C.mp3"}));
    AddFiles({"/m/B2.mp3"});
    QCOMPARE(entries(), (QStringList{"/m/a.mp3", "/m/b.mp3", "/m/B2.mp3", "/m/C.mp3"}));
    frmList->mnuSort->trigger();
    AddFiles({"/m/0.mp3"});
    QCOMPARE(entries().last(), QString("/m/0.mp3")); // appended again, order kept
    QCOMPARE(entries().first(), QString("/m/a.mp3"));
}

void PlaylistTest::errorMessages()
{
    AddFiles({"/m/keep.mp3"});
    m_errors.clear();
    LoadList(file("absent.pls"));
    AddList(file("absent.pls"));
    QCOMPARE(m_errors.size(), 2);
    QVERIFY(m_errors[0].startsWith("Cannot open file \"" + file("absent.pls") + "\". "));
    QCOMPARE(entries(), QStringList{"/m/keep.mp3"}); // unchanged
    TestFiles::write(file("blocker"), "a file, not a folder");
    SaveList(file("blocker/list.pls"));
    QCOMPARE(m_errors.size(), 3);
    QVERIFY(m_errors[2].startsWith("Cannot create file \"" + file("blocker/list.pls") + "\". "));
}

void PlaylistTest::defaultPlaylistSurvivesARestart()
{
    Flash->setMovie("res://");
    AddFiles({"/m/one.mp3", "", "/m/two.swf"});
    DestroyWindows();
    QCOMPARE(TestFiles::read(file("default.pls")), QByteArray("/m/one.mp3\r\n\r\n/m/two.swf\r\n"));
    InitSkin(m_dir.path());
    CreateWindows();
    QCOMPARE(entries(), (QStringList{"/m/one.mp3", "", "/m/two.swf"}));
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie); // loading it starts nothing
    ClearList();
    DestroyWindows();
    QCOMPARE(TestFiles::read(file("default.pls")), QByteArray()); // an empty playlist is written too
    InitSkin(m_dir.path());
    CreateWindows();
}

void PlaylistTest::unreadableDefaultPlaylistIsKept()
{
    DestroyWindows();
    // Too large to read (a sparse file: it takes no disk space).
    {
        QFile huge(file("default.pls"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write("/m/precious.mp3\r\n");
        QVERIFY(huge.resize(MaxPlaylistFileSize + 1024));
    }
    InitSkin(m_dir.path());
    CreateWindows();
    QCOMPARE(PlayListBox->items().count(), 0);
    DestroyWindows();
    QCOMPARE(QFileInfo(file("default.pls")).size(), MaxPlaylistFileSize + 1024);
    QFile::remove(file("default.pls"));
    InitSkin(m_dir.path());
    CreateWindows();
}

void PlaylistTest::menuCommandsUseTheDialogs()
{
    Flash->setMovie("res://");
    // Cancelled: nothing changes.
    frmList->mnuAddFile->trigger();
    QCOMPARE(m_requests.size(), 1);
    QCOMPARE(m_requests[0].filterIndex, 1);
    QVERIFY(m_requests[0].multiSelect);
    QCOMPARE(PlayListBox->items().count(), 0);

    m_dialogAnswer = QStringList{"/m/c.mp3", "/m/a.mp3"};
    frmList->mnuAddFile->trigger();
    QCOMPARE(entries(), (QStringList{"/m/c.mp3", "/m/a.mp3"})); // in the dialog's order

    TestFiles::write(file("first.pls"), "/m/from-first.mp3\r\n");
    TestFiles::write(file("second.pls"), "/m/from-second.mp3\r\n");
    m_dialogAnswer = QStringList{file("first.pls"), file("second.pls"), file("third.pls")};
    frmList->mnuAddList->trigger();
    QCOMPARE(m_requests.last().filterIndex, 2);
    QCOMPARE(entries().last(), QString("/m/from-first.mp3")); // only the first is read

    m_dialogAnswer = QStringList{file("saved-without-extension")};
    frmList->mnuSave->trigger();
    QCOMPARE(m_requests.last().kind, FileDialogRequest::SaveFile);
    QCOMPARE(m_requests.last().filterIndex, 2);
    QVERIFY(QFile::exists(file("saved-without-extension")));
    QVERIFY(!QFile::exists(file("saved-without-extension.pls")));

    TestFiles::write(file("folder2/x.wav"), "x");
    m_dialogAnswer = QStringList{file("folder2")};
    frmList->mnuAddDir->trigger();
    QCOMPARE(m_requests.last().kind, FileDialogRequest::Folder);
    QCOMPARE(entries().last(), file("folder2") + "/x.wav");

    PlayListBox->setCurrentIndex(PlayListBox->model()->index(0, 0));
    frmList->mnuSelAll->trigger();
    frmList->mnuRemove->trigger();
    QCOMPARE(PlayListBox->items().count(), 0);
}

void PlaylistTest::scrollArithmetic()
{
    QCOMPARE(HiddenEntries(10, 130, 13), 0);
    QCOMPARE(HiddenEntries(11, 130, 13), 1);
    QCOMPARE(qBound(11, ThumbPositionFor(0, 100, 20), 89), 11);  // 5, clamped up
    QCOMPARE(qBound(11, ThumbPositionFor(20, 100, 20), 89), 89); // 105, clamped down
    QCOMPARE(TopIndexForTrack(5, 100, 20), 0);
    QCOMPARE(TopIndexForTrack(95, 100, 20), 20);
    QCOMPARE(TopIndexForTrack(50, 100, 20), 10);
    QCOMPARE(TopIndexForTrack(-40, 100, 20), 0);
    QCOMPARE(TopIndexForTrack(400, 100, 20), 20);
}

void PlaylistTest::scrollBarFollowsTheList()
{
    frmList->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmList));
    Flash->setMovie("res://");
    AddFiles({"/m/only.mp3"});
    QTRY_VERIFY(!ListScrbar->isVisible());
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many << QStringLiteral("/m/%1.mp3").arg(i);
    AddFiles(many);
    QTRY_VERIFY(ListScrbar->isVisible());
    QCOMPARE(PlayListBox->geometry().right() + 1, ListScrbar->geometry().left());
    QCOMPARE(ListScrbar->Position, TScrbar::ThumbHalf);

    // A press near the bottom of the bar scrolls to the end; a drag above it to the top.
    QTest::mousePress(ListScrbar, Qt::LeftButton, {}, QPoint(5, ListScrbar->height() - 3));
    const int hidden = HiddenEntries(201, PlayListBox->height(), PlayListBox->itemHeight());
    QCOMPARE(PlayListBox->topIndex(), hidden);
    QTRY_COMPARE(ListScrbar->Position, ListScrbar->height() - TScrbar::ThumbHalf);
    QMouseEvent drag(QEvent::MouseMove, QPointF(5, -30), ListScrbar->mapToGlobal(QPointF(5, -30)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ListScrbar, &drag);
    QCOMPARE(PlayListBox->topIndex(), 0);
    QTest::mouseRelease(ListScrbar, Qt::LeftButton);
    QTest::mousePress(ListScrbar, Qt::RightButton, {}, QPoint(5, ListScrbar->height() - 3));
    QCOMPARE(PlayListBox->topIndex(), 0);

    // Enter starts the selected entry; double-clicking below the last entry does nothing.
    ClearList();
    AddFiles({file("p.swf"), file("q.swf")});
    PlayListBox->setFocus();
    PlayListBox->setCurrentIndex(PlayListBox->model()->index(1, 0));
    QTest::keyClick(PlayListBox, Qt::Key_Return);
    QCOMPARE(CurrentIndex, 1);
    CurrentIndex = 0;
    QTest::mouseDClick(PlayListBox->viewport(), Qt::LeftButton, {}, QPoint(10, PlayListBox->height() - 2));
    QCOMPARE(CurrentIndex, 0);
}

void PlaylistTest::draggingTheScrollThumbKeepsTheWindowInPlace()
{
    frmList->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmList));
    Flash->setMovie("res://");
    QStringList many;
    for (int i = 0; i < 10000; ++i)
        many << QStringLiteral("/m/%1.mp3").arg(i);
    AddFiles(many);
    QTRY_VERIFY(ListScrbar->isVisible());
    const int hidden = HiddenEntries(10000, PlayListBox->height(), PlayListBox->itemHeight());
    const QPoint before = frmList->pos();
    // Real window events: the press picks the bar, the moves follow the grab.
    QWindow *window = frmList->windowHandle();
    const auto at = [](int y) { return ListScrbar->mapTo(frmList, QPoint(5, y)); };
    QTest::mousePress(window, Qt::LeftButton, {}, at(ListScrbar->height() / 2));
    QCOMPARE(PlayListBox->topIndex(), hidden * (ListScrbar->height() / 2) / ListScrbar->height());
    QTest::mouseMove(window, at(ListScrbar->height() + 40));
    QCOMPARE(PlayListBox->topIndex(), hidden);
    QTest::mouseMove(window, at(-40));
    QCOMPARE(PlayListBox->topIndex(), 0);
    QTest::mouseRelease(window, Qt::LeftButton, {}, at(-40));
    QCOMPARE(frmList->pos(), before);
}

void PlaylistTest::hitTestBands_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("code");
    // A 270 x 169 window with 5-pixel borders.
    QTest::newRow("3 from the left") << QPoint(3, 80) << int(HitLeft);
    QTest::newRow("5 from the left") << QPoint(5, 80) << int(Inside);
    QTest::newRow("3 from the right") << QPoint(267, 80) << int(HitRight);
    QTest::newRow("exactly 5 from the right") << QPoint(265, 80) << int(Inside);
    QTest::newRow("4 from the right") << QPoint(266, 80) << int(HitRight);
    QTest::newRow("top band in the title") << QPoint(100, 2) << int(HitTop);
    QTest::newRow("title row") << QPoint(100, 10) << int(Inside);
    QTest::newRow("bottom") << QPoint(100, 166) << int(HitBottom);
    QTest::newRow("top left") << QPoint(0, 0) << int(HitTopLeft);
    QTest::newRow("top right") << QPoint(269, 0) << int(HitTopRight);
    QTest::newRow("bottom left") << QPoint(2, 168) << int(HitBottomLeft);
    QTest::newRow("bottom right") << QPoint(269, 168) << int(HitBottomRight);
}

void PlaylistTest::hitTestBands()
{
    QFETCH(QPoint, point);
    QFETCH(int, code);
    QCOMPARE(int(HitTest(point, QSize(270, 169), 5)), code);
}

void PlaylistTest::snapping_data()
{
    QTest::addColumn<QPoint>("dropAt");
    QTest::addColumn<bool>("panelShown");
    QTest::addColumn<QPoint>("expected");
    // The panel: 150, 94, 268 x 118; its right edge is 418, its bottom 212.
    QTest::newRow("7 right of the right edge") << QPoint(425, 300) << true << QPoint(418, 300);
    QTest::newRow("10 right of the right edge") << QPoint(428, 300) << true << QPoint(428, 300);
    QTest::newRow("7 below the bottom edge") << QPoint(600, 219) << true << QPoint(600, 212);
    QTest::newRow("near the left and bottom") << QPoint(144, 205) << true << QPoint(150, 212);
    QTest::newRow("panel hidden") << QPoint(425, 219) << false << QPoint(425, 219);
}

void PlaylistTest::snapping()
{
    QFETCH(QPoint, dropAt);
    QFETCH(bool, panelShown);
    QFETCH(QPoint, expected);
    QCOMPARE(frmMain->geometry(), QRect(150, 94, 268, 118));
    if (!panelShown)
        frmMain->hide();
    frmList->show();
    frmList->move(dropAt);
    QCOMPARE(frmList->pos(), expected);
}

void PlaylistTest::frameCloseBoxAndMove()
{
    frmList->move(500, 400);
    frmList->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmList));
    // 30 pixels from the right edge in the title row: a drag moves the window.
    const QPoint grip(frmList->width() - 30, 10);
    QTest::mousePress(frmList, Qt::LeftButton, {}, grip);
    const QPoint to = frmList->mapToGlobal(grip) + QPoint(40, 25);
    QMouseEvent move(QEvent::MouseMove, QPointF(frmList->mapFromGlobal(to)), QPointF(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frmList, &move);
    QTest::mouseRelease(frmList, Qt::LeftButton, {}, grip);
    QCOMPARE(frmList->pos(), QPoint(540, 425));
    QVERIFY(frmList->isVisible());
    // 10 pixels from the right edge and from the top: the close box hides it.
    QTest::mouseClick(frmList, Qt::LeftButton, {}, QPoint(frmList->width() - 10, 10));
    QVERIFY(!frmList->isVisible());
}

void PlaylistTest::namesAPlaylistCannotKeep()
{
    Flash->setMovie("res://"); // nothing starts
    AddFiles({"/m/a\nb.wav", "/m/fine.wav", "/m/c\r\nd.mp3"});
    QCOMPARE(entries(), QStringList{"/m/fine.wav"});
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors[0].contains("Cannot add \"/m/a\u240Ab.wav\". Its name holds a line break"), qPrintable(m_errors[0]));
    QVERIFY(m_errors[0].contains("/m/c\u240D\u240Ad.mp3"));

    // A folder with such names, and with a name that is not UTF-8.
    const QString folder = file("odd-names");
    TestFiles::write(folder + "/ok.mp3", "x");
    TestFiles::write(folder + "/two\nlines.mp3", "x");
    const QByteArray latin1 = QFile::encodeName(folder) + "/caf\xE9.wav";
    const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);
    m_errors.clear();
    AddFolder(folder);
    QCOMPARE(entries(), (QStringList{"/m/fine.wav", folder + "/ok.mp3"}));
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors[0].contains("line break"));
    QVERIFY2(m_errors[0].contains("not valid UTF-8"), qPrintable(m_errors[0]));
    ::unlink(latin1.constData()); // Qt cannot name it to clean up

    // Dropped files are held to the same rule.
    m_errors.clear();
    frmMain->WMDropFiles({QUrl::fromLocalFile("/m/drop\nped.mp3"), QUrl::fromLocalFile("/m/dropped.mp3")});
    QCOMPARE(entries(), (QStringList{"/m/fine.wav", folder + "/ok.mp3", "/m/dropped.mp3"}));
    QCOMPARE(m_errors.size(), 1);

    // What was kept comes back exactly.
    SaveList(file("kept.pls"));
    LoadList(file("kept.pls"));
    QCOMPARE(entries(), (QStringList{"/m/fine.wav", folder + "/ok.mp3", "/m/dropped.mp3"}));
}

void PlaylistTest::playlistFilesThatAreNotFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("FIFO") << "fifo.pls";
    QTest::newRow("link to /dev/zero") << "zero.pls";
    QTest::newRow("folder") << "folder.pls";
}

void PlaylistTest::playlistFilesThatAreNotFiles()
{
    QFETCH(QString, name);
    if (!QFileInfo::exists(file("fifo.pls"))) {
        QCOMPARE(::mkfifo(QFile::encodeName(file("fifo.pls")).constData(), 0600), 0);
        QVERIFY(QFile::link("/dev/zero", file("zero.pls")));
        QDir().mkpath(file("folder.pls"));
    }
    AddFiles({"/m/keep.mp3"});
    m_errors.clear();
    LoadList(file(name));
    AddList(file(name));
    QCOMPARE(entries(), QStringList{"/m/keep.mp3"});
    QCOMPARE(m_errors.size(), 2);
    QVERIFY2(m_errors[0].startsWith("Cannot open file \"" + file(name) + "\". It is "), qPrintable(m_errors[0]));
    if (name == "fifo.pls") { // never written through (a link to a device is not tried: root may replace it)
        SaveList(file(name));
        QCOMPARE(m_errors.size(), 3);
        QVERIFY(m_errors[2].startsWith("Cannot create file \"" + file(name) + "\". "));
        QVERIFY(QFileInfo(file(name)).exists() && !QFileInfo(file(name)).isFile());
    }
}

void PlaylistTest::defaultPlaylistThatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to /dev/zero") << "zero";
}

void PlaylistTest::defaultPlaylistThatIsNotAFile()
{
    QFETCH(QString, kind);
    DestroyWindows();
    QFile::remove(file("default.pls"));
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(file("default.pls")).constData(), 0600), 0);
    else
        QVERIFY(QFile::link("/dev/zero", file("default.pls")));
    InitSkin(m_dir.path());
    CreateWindows(); // returns at once, with an empty list
    QCOMPARE(PlayListBox->items().count(), 0);
    AddFiles({"/m/new.mp3"});
    DestroyWindows();
    // Left as it was: neither replaced nor written through.
    const QFileInfo kept(file("default.pls"));
    QVERIFY(!kept.isFile());
    QCOMPARE(kept.isSymLink(), kind == "zero");
    QFile::remove(file("default.pls"));
    InitSkin(m_dir.path());
    CreateWindows();
}

void PlaylistTest::entriesThatAreNotFilesFailAtOnce()
{
    QCOMPARE(::mkfifo(QFile::encodeName(file("x.mp3")).constData(), 0600), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(file("y.swf")).constData(), 0600), 0);
    QVERIFY(QFile::link("/dev/zero", file("z.swf")));
    QVERIFY(QFile::link("/dev/zero", file("z.wav")));
    QDir().mkpath(file("d.avi"));
    Flash->setMovie("res://");
    AddFiles({file("x.mp3"), file("y.swf"), file("z.swf"), file("z.wav"), file("d.avi")});
    for (int i = 0; i < 5; ++i) {
        m_errors.clear();
        StartEntry(i);
        QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
        QVERIFY(!frmPlayer->Timer->isActive());
        // Movies say why in the error box, as a movie that cannot be read does.
        if (entries()[i].endsWith(".swf")) {
            QCOMPARE(m_errors.size(), 1);
            QVERIFY2(m_errors[0].contains("It is not a regular file."), qPrintable(m_errors[0]));
        } else {
            QVERIFY(m_errors.isEmpty());
        }
    }
}

void PlaylistTest::playingMarkFollowsTheEntry_data()
{
    using Operation = std::function<void(PlaylistModel &)>;
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<QString>("playing");
    QTest::addColumn<int>("row");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("expected");
    const QStringList abc{"/c.mp3", "/a.mp3", "/b.mp3", "/a.mp3"};
    const Operation nothing = [](PlaylistModel &) {};
    QTest::newRow("the row given") << abc << "/a.mp3" << 3 << nothing << 3;
    QTest::newRow("the first with the text when the row holds another") << abc << "/a.mp3" << 2 << nothing << 1;
    QTest::newRow("not in the list") << abc << "/z.mp3" << 0 << nothing << -1;
    QTest::newRow("nothing plays") << abc << "" << 1 << nothing << -1;
    QTest::newRow("a row above removed") << abc << "/b.mp3" << 2 << Operation([](PlaylistModel &m) { m.removeRows({0}); }) << 1;
    QTest::newRow("a row below removed") << abc << "/b.mp3" << 2 << Operation([](PlaylistModel &m) { m.removeRows({3}); }) << 2;
    QTest::newRow("itself removed") << abc << "/b.mp3" << 2 << Operation([](PlaylistModel &m) { m.removeRows({2}); }) << -1;
    QTest::newRow("several removed") << abc << "/a.mp3" << 3 << Operation([](PlaylistModel &m) { m.removeRows({2, 0}); }) << 1;
    QTest::newRow("several with itself") << abc << "/a.mp3" << 3 << Operation([](PlaylistModel &m) { m.removeRows({3, 0}); }) << -1;
    QTest::newRow("sorted") << abc << "/c.mp3" << 0 << Operation([](PlaylistModel &m) { m.setSorted(true); }) << 3;
    QTest::newRow("appended") << abc << "/b.mp3" << 2 << Operation([](PlaylistModel &m) { m.append({"/d.mp3"}); }) << 2;
    QTest::newRow("cleared") << abc << "/b.mp3" << 2 << Operation([](PlaylistModel &m) { m.clear(); }) << -1;
    QTest::newRow("replaced") << abc << "/b.mp3" << 2 << Operation([](PlaylistModel &m) { m.replaceAll({"/x.mp3", "/b.mp3"}); }) << 1;
}

void PlaylistTest::playingMarkFollowsTheEntry()
{
    using Operation = std::function<void(PlaylistModel &)>;
    QFETCH(QStringList, start);
    QFETCH(QString, playing);
    QFETCH(int, row);
    QFETCH(Operation, operation);
    QFETCH(int, expected);
    PlaylistModel model;
    model.append(start);
    model.setPlaying(playing, row);
    operation(model);
    QCOMPARE(model.playingRow(), expected);
    for (int i = 0; i < model.count(); ++i)
        QCOMPARE(model.data(model.index(i), Qt::FontRole).value<QFont>().bold(), i == expected);
}

void PlaylistTest::playingEntryIsMarkedWhilePlaying()
{
    const QString wave = file("tone.wav");
    QVERIFY(MediaFiles::make(MediaFiles::tone(1) + " ! wavenc ! filesink location=\"%1\"", wave));
    AddFiles({file("other.wav"), wave});
    StartEntry(1);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), wave, 10000);
    QCOMPARE(PlayListBox->items().playingRow(), 1);
    QVERIFY(PlayListBox->selectedRows().isEmpty()); // the selection stays the user's
    frmPlayer->mnuStop->trigger();
    QCOMPARE(PlayListBox->items().playingRow(), -1);
}

void PlaylistTest::longPathsKeepTheirFileName()
{
    const QString folder = "/music/" + QString(120, u'f') + "/";
    const QString markup = "/m/<h1>UPDATE</h1><font color=red>x</font>.mp3";
    AddFiles({folder + "one.mp3", folder + "two.mp3", markup});
    frmList->show();
    frmList->resize(220, 200);
    QApplication::processEvents();
    const int rowHeight = PlayListBox->itemHeight();
    const QImage shot = PlayListBox->grab().toImage();
    const auto rowPart = [&](int row, bool rightPart) {
        const int half = PlayListBox->viewport()->width() / 2;
        return shot.copy(rightPart ? half : 0, row * rowHeight, half, rowHeight);
    };
    const auto differing = [](const QImage &a, const QImage &b) {
        int count = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                count += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64;
        return count;
    };
    // The two paths share a long beginning: elided in the middle, their rows
    // begin alike and end with different names.
    QCOMPARE(differing(rowPart(0, false), rowPart(1, false)), 0);
    const int ends = differing(rowPart(0, true), rowPart(1, true));
    QVERIFY2(ends > 10, qPrintable(QString::number(ends)));
    // The tool tip quotes the whole path, markup and all, as plain text.
    for (int row : {0, 2}) {
        QTextDocument tip;
        tip.setHtml(PlayListBox->model()->index(row, 0).data(Qt::ToolTipRole).toString());
        QCOMPARE(tip.toPlainText(), entries()[row]);
    }
}

void PlaylistTest::otherPlayersPlaylistsLoadAndDrop()
{
    TestFiles::write(file("theirs.m3u"), "#EXTM3U\n#EXTINF:1,One\none.mp3\n#EXTINF:2,Two\n/m/two.ogg\n");
    TestFiles::write(file("theirs.pls"), "[playlist]\nFile2=/m/b.mp3\nFile1=/m/a.mp3\nNumberOfEntries=2\n");
    m_errors.clear();
    LoadList(file("theirs.m3u"));
    QCOMPARE(entries(), (QStringList{file("one.mp3"), "/m/two.ogg"}));
    AddList(file("theirs.pls"));
    QCOMPARE(entries(), (QStringList{file("one.mp3"), "/m/two.ogg", "/m/a.mp3", "/m/b.mp3"}));
    // Dropped: media files in the reverse order of the drop, a playlist with its entries.
    ClearList();
    frmMain->WMDropFiles({QUrl::fromLocalFile("/m/x.mp3"), QUrl::fromLocalFile(file("theirs.pls")),
                          QUrl::fromLocalFile("/m/notes.txt")});
    QCOMPARE(entries(), (QStringList{"/m/a.mp3", "/m/b.mp3", "/m/x.mp3"}));
    // Saving writes the program's own format, which reads back the same.
    SaveList(file("mine.pls"));
    QCOMPARE(TestFiles::read(file("mine.pls")), QByteArray("/m/a.mp3\r\n/m/b.mp3\r\n/m/x.mp3\r\n"));
    QVERIFY(m_errors.isEmpty());
}

void PlaylistTest::dropsOnEveryWindow()
{
    Flash->setMovie("res://");
    const QList<QWidget *> windows{frmMain, frmList, frmPlayer};
    QStringList expected;
    for (QWidget *window : windows) {
        window->show();
        const QString name = window->objectName().isEmpty() ? QString::number(expected.size()) : window->objectName();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/d/" + name + "-1.mp3"), QUrl::fromLocalFile("/d/notes.txt"),
                      QUrl("http://example.org/x.mp3"), QUrl::fromLocalFile("/d/" + name + "-2.wav")});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        QVERIFY(drop.isAccepted());
        expected << "/d/" + name + "-2.wav" << "/d/" + name + "-1.mp3";
        QCOMPARE(entries(), expected);
    }
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie); // a drop starts nothing
}

namespace {

// Bytes no demuxer takes, which fail only once the graph has looked at them.
QByteArray junkBytes()
{
    QByteArray junk(20000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 2654435761u) >> 13);
    return junk;
}

} // namespace

// A MIDI file loads its soundfont and renders its first sound before it
// plays; meanwhile the player is idle and events go on.
void PlaylistTest::eventsGoOnWhileAnItemStarts()
{
    TestFiles::write(file("tune.mid"), MediaFiles::midiTune());
    PlayListBox->items().replaceAll({file("tune.mid")});
    // An event posted now runs before the item plays: the start did not hold the thread.
    bool ranBeforePlaying = false;
    QTimer::singleShot(0, [&ranBeforePlaying] { ranBeforePlaying = frmPlayer->Playing.isNone(); });
    StartEntry(0);
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    QVERIFY(!frmPlayer->Timer->isActive());
    QVERIFY(!DSMP.Seeking);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("tune.mid"), 10000);
    QVERIFY(ranBeforePlaying);
    QVERIFY(frmPlayer->Timer->isActive());
    QVERIFY(DSMP.Seeking);
    QCOMPARE(PlayListBox->items().playingRow(), 0);
}

void PlaylistTest::stopWhileAnItemStartsDropsIt()
{
    TestFiles::write(file("tune.mid"), MediaFiles::midiTune());
    PlayListBox->items().replaceAll({file("tune.mid")});
    QSignalSpy changes(&frmPlayer->Playing, &PlayingItem::changed);
    StartEntry(0);
    QVERIFY(DSMP.Graph);
    QTest::mouseClick(frmMain->button(PanelLayout::TagStop), Qt::LeftButton);
    QVERIFY(!DSMP.Graph);
    QTest::qWait(1000); // long enough for the tune to have started had it been kept
    QCOMPARE(changes.count(), 0);
    QVERIFY(!frmPlayer->Timer->isActive());
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
}

void PlaylistTest::newerStartDropsTheOlder()
{
    TestFiles::write(file("tune.mid"), MediaFiles::midiTune());
    QVERIFY(MediaFiles::make(MediaFiles::Wav, file("tone.wav")));
    PlayListBox->items().replaceAll({file("tune.mid"), file("tone.wav")});
    QSignalSpy changes(&frmPlayer->Playing, &PlayingItem::changed);
    StartEntry(0);
    StartEntry(1);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("tone.wav"), 10000);
    QTest::qWait(1000); // and the tune, dropped, never comes
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes[0][0].toString(), file("tone.wav"));
    QCOMPARE(frmPlayer->windowTitle(), file("tone.wav"));
    QCOMPARE(CurrentIndex, 1);
    QCOMPARE(PlayListBox->items().playingRow(), 1);
}

// Junk bytes fail in their preroll, after PlayFile has returned; a missing
// file fails at once. The step passes over both.
void PlaylistTest::stepPassesOverAnItemThatFailsInItsPreroll()
{
    TestFiles::write(file("junk.avi"), junkBytes());
    QVERIFY(MediaFiles::make(MediaFiles::Wav, file("tone.wav")));
    PlayListBox->items().replaceAll({file("junk.avi"), file("missing.mp3"), file("tone.wav")});
    CurrentIndex = 2;
    m_errors.clear();
    PlayStep(true);
    QCOMPARE(CurrentIndex, 0); // junk.avi still on trial
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("tone.wav"), 10000);
    QCOMPARE(CurrentIndex, 2);
    QVERIFY(frmPlayer->Timer->isActive());
    QVERIFY(m_errors.isEmpty());

    // Backwards, from the first entry round to the wave.
    CurrentIndex = 0;
    PlayListBox->items().replaceAll({file("tone.wav"), file("junk.avi")});
    QSignalSpy changes(&frmPlayer->Playing, &PlayingItem::changed);
    PlayStep(false);
    QCOMPARE(CurrentIndex, 1);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("tone.wav"), 10000);
    QCOMPARE(CurrentIndex, 0);
}

// Once round at most, then idle.
void PlaylistTest::stepOverItemsThatAllFailLater()
{
    TestFiles::write(file("junk.avi"), junkBytes());
    TestFiles::write(file("junk-too.avi"), junkBytes());
    PlayListBox->items().replaceAll({file("junk.avi"), file("junk-too.avi")});
    CurrentIndex = 0;
    QSignalSpy stops(frmPlayer, &TfrmPlayer::clockStopped);
    PlayStep(true);
    QCOMPARE(CurrentIndex, 1);
    QTRY_COMPARE_WITH_TIMEOUT(CurrentIndex, 0, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!DSMP.Graph, 10000);
    QTest::qWait(500); // nothing more is tried
    QCOMPARE(stops.count(), 2); // one stop for each start
    QVERIFY(!DSMP.Graph);
    QCOMPARE(CurrentIndex, 0);
    QVERIFY(!frmPlayer->Timer->isActive());
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
}

QTEST_MAIN(PlaylistTest)
#include "tst_playlist.moc"
