#include "app/Startup.h"
#include "list/Playlist.h"
#include "list/TListBoxs.h"
#include "list/TfrmList.h"
#include "main/AppKeyHook.h"
#include "main/PanelLayout.h"
#include "main/TGbtn.h"
#include "main/TProgress.h"
#include "main/TfrmMain.h"
#include "platform/ErrorBox.h"
#include "platform/FileDialogs.h"
#include "platform/ShellFileOperations.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"
#include "MediaFiles.h"
#include "SwfWriter.h"
#include "TestFiles.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;

class TransportTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppKeyHook m_hook;
    QStringList m_errors;
    std::optional<QStringList> m_folderAnswer;
    int m_folderQuestions = 0;
    bool m_replaceAnswer = false;
    QString m_tone;

    QString file(const QString &name) const { return m_dir.filePath(name); }
    // A fresh copy of the test tone, so it can be moved or deleted.
    QString tone(const QString &name)
    {
        const QString path = file(name);
        QFile::remove(path);
        QFile::copy(m_tone, path);
        return path;
    }
    void play(const QStringList &entries, int index)
    {
        PlayListBox->items().replaceAll(entries);
        StartEntry(index);
        settle();
    }
    // Waits while a media file prerolls: until it plays or has failed.
    static void settle()
    {
        QVERIFY(QTest::qWaitFor([] { return !DSMP.Graph || DSMP.Opened; }, StartMs));
    }
    static constexpr int StartMs = 10000;
    void click(int tag) { QTest::mouseClick(frmMain->button(tag), Qt::LeftButton); }
    static void press(QWidget *target, int key, Qt::KeyboardModifiers modifiers = {}, quint32 scanCode = 0,
                      bool autoRepeat = false)
    {
        // As the window system delivers a key: the shortcut check first, then the press.
        QKeyEvent shortcut(QEvent::ShortcutOverride, key, modifiers, scanCode, 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(target, &shortcut);
        QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(target, &event);
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void buttonsWithNothingLoaded();
    void playAndPauseButtons();
    void playlistPassesOverAMissingEntry();
    void seekBar();
    void keysWithControl_data();
    void keysWithControl();
    void keysInATextField();
    void deleteTheCurrentFile();
    void moveTheCurrentFile();
    void droppedFiles();
    void trayIcon_data();
    void trayIcon();
};

void TransportTest::initTestCase()
{
    // The trash lives in a temporary home.
    QDir().mkpath(m_dir.filePath("home/.local/share"));
    qputenv("XDG_DATA_HOME", m_dir.filePath("home/.local/share").toUtf8());
    gst_init(nullptr, nullptr);
    m_tone = file("tone-source.wav");
    QVERIFY(MediaFiles::make(MediaFiles::tone(2) + " ! wavenc ! filesink location=\"%1\"", m_tone));
    TestFiles::write(file("hundred.swf"), [] {
        QByteArray tags = rectangle(1, QRect(0, 0, 400, 400), Qt::red) + place(Place(1, 1));
        for (int f = 0; f < 100; ++f)
            tags += showFrame();
        return movie(tags);
    }());
    SetErrorBoxHandler([this](const QString &message) { m_errors << message; });
    SetFileDialogRunner([this](const FileDialogRequest &request) -> std::optional<QStringList> {
        if (request.kind == FileDialogRequest::Folder) {
            ++m_folderQuestions;
            return m_folderAnswer;
        }
        return std::nullopt;
    });
    SetReplaceQuestion([this](const QString &) { return m_replaceAnswer; });
    qApp->installEventFilter(&m_hook);
}

void TransportTest::init()
{
    m_errors.clear();
    m_folderAnswer.reset();
    m_folderQuestions = 0;
    MoveFolders = {};
    InitSkin(m_dir.path());
    CreateWindows();
    frmMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmMain));
}

void TransportTest::cleanup()
{
    DestroyWindows();
    FreeGraph(DSMP);
    TrayIcon::setAvailableForTesting(std::nullopt);
}

void TransportTest::buttonsWithNothingLoaded()
{
    for (int tag : {PanelLayout::TagPrev, PanelLayout::TagPlay, PanelLayout::TagPause, PanelLayout::TagStop,
                    PanelLayout::TagNext, PanelLayout::TagAdd}) {
        click(tag);
        QVERIFY(!frmPlayer->Timer->isActive());
        QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    }
    QCOMPARE(frmMain->pbSeek->Position, 4);
}

void TransportTest::playAndPauseButtons()
{
    play({tone("a.wav"), file("hundred.swf")}, 0);
    click(PanelLayout::TagPause);
    QVERIFY(!frmPlayer->Timer->isActive());
    click(PanelLayout::TagPause); // pause again: still paused
    QVERIFY(!frmPlayer->Timer->isActive());
    click(PanelLayout::TagPlay);
    QVERIFY(frmPlayer->Timer->isActive());

    click(PanelLayout::TagNext);
    QCOMPARE(frmPlayer->windowTitle(), file("hundred.swf"));
    click(PanelLayout::TagPause);
    QVERIFY(!Flash->Playing());
    QVERIFY(!frmPlayer->Timer->isActive());
    frmPlayer->mnuAutoSkip->setChecked(false);
    click(PanelLayout::TagPlay); // play resumes the movie itself
    QVERIFY(Flash->Playing());
    QVERIFY(frmPlayer->Timer->isActive());

    click(PanelLayout::TagPrev);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), file("a.wav"), StartMs);
    click(PanelLayout::TagStop);
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
}

void TransportTest::playlistPassesOverAMissingEntry()
{
    const QString a = tone("a.wav"), b = tone("b.wav"), missing = file("missing.mp3");
    play({a, missing, b}, 0);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), a, StartMs);
    // The end of the first item: sought to its end, the clock notices it.
    frmMain->SeekTrack(frmMain->pbSeek->width());
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), b, StartMs);
    QCOMPARE(CurrentIndex, 2);
    click(PanelLayout::TagPrev);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), a, StartMs);
    QCOMPARE(CurrentIndex, 0);
    click(PanelLayout::TagNext);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), b, StartMs);
    // Started directly, the broken entry leaves the player idle.
    StartEntry(1);
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    QVERIFY(!frmPlayer->Timer->isActive());
    QVERIFY(m_errors.isEmpty());
}

void TransportTest::seekBar()
{
    TProgress *seek = frmMain->pbSeek;
    // Nothing loaded: the thumb stays where it was.
    QTest::mousePress(seek, Qt::LeftButton, {}, QPoint(100, 5));
    QTest::mouseRelease(seek, Qt::LeftButton, {}, QPoint(100, 5));
    QCOMPARE(seek->Position, 4);

    play({tone("a.wav")}, 0);
    click(PanelLayout::TagPause);
    QTest::mousePress(seek, Qt::LeftButton, {}, QPoint(122, 5));
    QMouseEvent drag(QEvent::MouseMove, QPointF(600, 5), seek->mapToGlobal(QPointF(600, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(seek, &drag);
    QTest::mouseRelease(seek, Qt::LeftButton, {}, QPoint(600, 5));
    QCOMPARE(seek->Position, 241);
    REFERENCE_TIME stop = 0, pos = 0;
    DSMP.Seeking->GetStopPosition(stop);
    QTRY_VERIFY_WITH_TIMEOUT((DSMP.Seeking->GetCurrentPosition(pos), stop - pos < 600'000), 3000);
    QVERIFY(pos <= stop);

    play({file("hundred.swf")}, 0);
    QTest::mouseClick(seek, Qt::LeftButton, {}, QPoint(122, 5));
    QCOMPARE(Flash->CurrentFrame(), 100 * 122 / 245);
    QCOMPARE(LastFrame, 100 * 122 / 245);
}

void TransportTest::keysWithControl_data()
{
    QTest::addColumn<int>("window"); // 0 main, 1 playlist, 2 player
    QTest::newRow("main window") << 0;
    QTest::newRow("playlist window") << 1;
    QTest::newRow("player window") << 2;
}

void TransportTest::keysWithControl()
{
    QFETCH(int, window);
    frmList->show();
    frmPlayer->show();
    QWidget *target = window == 0 ? static_cast<QWidget *>(frmMain)
                                  : window == 1 ? static_cast<QWidget *>(PlayListBox) : static_cast<QWidget *>(Flash);
    play({tone("a.wav"), tone("b.wav"), file("hundred.swf")}, 0);

    press(target, Qt::Key_Return, Qt::ControlModifier); // play/pause
    QVERIFY(!frmPlayer->Timer->isActive());
    press(target, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QVERIFY(frmPlayer->Timer->isActive());
    press(target, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(CurrentIndex, 1);
    press(target, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier); // Shift is not looked at
    QCOMPARE(CurrentIndex, 0);
    press(target, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(CurrentIndex, 2);
    Flash->Stop();
    Flash->GotoFrame(50);
    press(target, Qt::Key_Right); // jump forward a twentieth
    QCOMPARE(Flash->CurrentFrame(), 55);
    press(target, Qt::Key_Left, {}, 0, true); // auto-repeat counts
    QCOMPARE(Flash->CurrentFrame(), 50);
    press(target, Qt::Key_Left, Qt::AltModifier); // Alt passes
    QCOMPARE(Flash->CurrentFrame(), 50);
    press(target, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(CurrentIndex, 0);
    press(target, Qt::Key_Escape);
    QVERIFY(frmPlayer->mnuFullscreen->isChecked());
    press(target, Qt::Key_Escape);
    QVERIFY(!frmPlayer->mnuFullscreen->isChecked());
}

void TransportTest::keysInATextField()
{
    QLineEdit field;
    field.show();
    field.setFocus();
    QTest::keyClicks(&field, "ab");
    field.setCursorPosition(1);
    // Delete, Escape, Left and Right never reach a text field.
    for (int key : {Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right, Qt::Key_Escape})
        press(&field, key);
    frmPlayer->mnuFullscreen->setChecked(false);
    QCOMPARE(field.text(), QString("ab"));
    QCOMPARE(field.cursorPosition(), 1);
    // Enter without Control is not taken; a digit types while nothing is loaded.
    QTest::keyClick(&field, Qt::Key_3);
    QCOMPARE(field.text(), QString("a3b"));

    // With a file loaded the digit is a move; a cancelled picker lets it type.
    play({tone("a.wav")}, 0);
    QTest::keyClick(&field, Qt::Key_3);
    QCOMPARE(m_folderQuestions, 1);
    QCOMPARE(field.text(), QString("a33b"));
    QTest::keyClick(&field, Qt::Key_3); // the slot stayed empty: asked again
    QCOMPARE(m_folderQuestions, 2);
}

void TransportTest::deleteTheCurrentFile()
{
    const QString trash = m_dir.filePath("home/.local/share/Trash/files");
    // Nothing loaded: swallowed, nothing happens.
    press(frmMain, Qt::Key_Delete);

    // One entry: the playlist comes back to the same file, which stays.
    const QString only = tone("only.wav");
    play({only}, 0);
    press(frmMain, Qt::Key_Delete);
    settle();
    QVERIFY(QFile::exists(only));

    const QString a = tone("a.wav"), b = tone("b.wav");
    play({a, b}, 0);
    press(frmMain, Qt::Key_Delete);
    settle();
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), b, StartMs);
    QVERIFY(!QFile::exists(a));
    QVERIFY(QFile::exists(trash + "/a.wav"));
    QCOMPARE(PlayListBox->items().count(), 2); // the entry stays
    QVERIFY(m_errors.isEmpty());
}

void TransportTest::moveTheCurrentFile()
{
    const QString target = m_dir.filePath("keep");
    QDir().mkpath(target);
    const QString a = tone("a.wav"), b = tone("b.wav"), c = tone("c.wav");
    play({a, b, c}, 0);

    // Cancelled picker: nothing moves, the slot stays empty.
    press(frmMain, Qt::Key_5);
    settle();
    QVERIFY(QFile::exists(a));
    QVERIFY(MoveFolders[5].isEmpty());

    // Shift+5 by its physical key (X11 code 14) chooses the folder and moves.
    m_folderAnswer = QStringList{target};
    press(frmMain, Qt::Key_Percent, Qt::ShiftModifier, 14);
    settle();
    QCOMPARE(MoveFolders[5], target);
    QTRY_COMPARE_WITH_TIMEOUT(frmPlayer->windowTitle(), b, StartMs);
    QVERIFY(!QFile::exists(a));
    QVERIFY(QFile::exists(target + "/a.wav"));

    // A name clash: declined, the file stays; accepted, it replaces.
    TestFiles::write(target + "/b.wav", "older");
    m_replaceAnswer = false;
    press(frmMain, Qt::Key_5);
    settle();
    QVERIFY(QFile::exists(b));
    QCOMPARE(TestFiles::read(target + "/b.wav"), QByteArray("older"));
    QCOMPARE(m_folderQuestions, 2); // the slot is remembered

    TestFiles::write(target + "/c.wav", "older");
    m_replaceAnswer = true;
    press(frmMain, Qt::Key_5);
    settle();
    QVERIFY(!QFile::exists(c));
    QVERIFY(TestFiles::read(target + "/c.wav").size() > 1000);

    // A source that is gone is skipped quietly.
    QFile::remove(a);
    QFile::remove(b);
    play({file("gone.swf"), b}, 1);
    QFile::remove(b);
    press(frmMain, Qt::Key_5);
    settle();
    QVERIFY(m_errors.size() <= 1); // only the unreadable movie, if anything
}

void TransportTest::droppedFiles()
{
    PlayListBox->items().replaceAll({"/m/first.mp3"});
    CurrentIndex = 0;
    QDir().mkpath(file("Music"));
    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile("/m/a.mp3"), QUrl::fromLocalFile("/m/b.txt"),
                   QUrl::fromLocalFile("/m/c.AVI"), QUrl::fromLocalFile(file("Music"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frmMain, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frmMain, &drop);
    QCOMPARE(PlayListBox->items().entries(), (QStringList{"/m/first.mp3", "/m/c.AVI", "/m/a.mp3"}));
    QCOMPARE(CurrentIndex, 0);
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    delete mime;
}

void TransportTest::trayIcon_data()
{
    QTest::addColumn<bool>("available");
    QTest::newRow("with a notification area") << true;
    QTest::newRow("without one") << false;
}

void TransportTest::trayIcon()
{
    QFETCH(bool, available);
    TrayIcon::setAvailableForTesting(available);
    frmList->show();
    click(PanelLayout::TagTray);
    // Into the tray the windows hide, leaving only the icon; without a
    // notification area the panel minimises to its task-bar entry.
    if (available)
        QVERIFY(!frmMain->isVisible());
    else
        QTRY_VERIFY(frmMain->isMinimized());
    QVERIFY(!frmList->isVisible());
    QCOMPARE(frmMain->TrayIconShown, available);
    QCOMPARE(frmMain->trayIcon().shown(), available);
    if (!available)
        return;
    QCOMPARE(frmMain->trayIcon().tip(), QString("Brelvan"));

    emit frmMain->trayIcon().rightClicked();
    QTRY_VERIFY(frmMain->PopupMenu->isVisible());
    frmMain->PopupMenu->close();
    QVERIFY(frmMain->TrayIconShown);

    emit frmMain->trayIcon().leftClicked();
    QVERIFY(!frmMain->TrayIconShown);
    QVERIFY(!frmMain->trayIcon().shown());
    QTRY_VERIFY(frmMain->isVisible() && !frmMain->isMinimized());
    // Exactly the windows that were showing come back.
    QVERIFY(frmList->isVisible());
    QVERIFY(!frmPlayer->isVisible());

    // Quitting with the icon shown leaves none behind.
    click(PanelLayout::TagTray);
    QVERIFY(frmMain->TrayIconShown);
}

QTEST_MAIN(TransportTest)
#include "tst_transport.moc"
