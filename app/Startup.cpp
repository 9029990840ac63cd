#include "Startup.h"

#include "app/CommandLine.h"
#include "app/MprisService.h"
#include "app/SingleInstance.h"
#include "list/FileDropFilter.h"
#include "list/Playlist.h"
#include "list/PlaylistModel.h"
#include "list/TfrmList.h"
#include "main/AppKeyHook.h"
#include "main/TTextLable.h"
#include "main/TfrmMain.h"
#include "platform/DisplayPlatform.h"
#include "platform/HeapMemory.h"
#include "platform/TerminationSignals.h"
#include "player/TDSMP.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>

#include <memory>

#include <gst/gst.h>

namespace {

// The player module knows neither the playlist nor the panel: what its clock
// and menu ask of them is wired here, once all three windows exist.
void ConnectPlayer()
{
    new FileDropFilter(frmPlayer);
    frmPlayer->EntryCount = [] { return PlayListItems ? PlayListItems->count() : 0; };
    QObject::connect(&frmPlayer->Playing, &PlayingItem::changed, frmList, &ShowPlaying);
    QObject::connect(&frmPlayer->Playing, &PlayingItem::changed, frmMain, [] { frmMain->lblTitle->repaint(); });
    QObject::connect(frmPlayer, &TfrmPlayer::itemEnded, frmList, [] { PlayStep(true); });
    QObject::connect(frmPlayer, &TfrmPlayer::stepRequested, frmList, &PlayStep);
    QObject::connect(frmPlayer, &TfrmPlayer::openRequested, frmList, [] { frmList->mnuAddFile->trigger(); });
    QObject::connect(frmPlayer, &TfrmPlayer::clockShown, frmMain, &TfrmMain::ClockShown);
    QObject::connect(frmPlayer, &TfrmPlayer::clockStopped, frmMain, &TfrmMain::ClockStopped);
    QObject::connect(frmPlayer, &TfrmPlayer::mainRequested, frmMain, [] {
        frmMain->raise();
        frmMain->activateWindow();
    });
    StepStarting = [] { frmMain->StepStarted(); };
}

} // namespace

void CreateWindows()
{
    frmMain = new TfrmMain;
    frmList = new TfrmList(frmMain);
    frmPlayer = new TfrmPlayer;
    ConnectPlayer();
}

void DestroyWindows()
{
    StepStarting = nullptr;
    delete frmPlayer;
    frmPlayer = nullptr;
    delete frmList;
    frmList = nullptr;
    delete frmMain;
    frmMain = nullptr;
}

int RunTessaro(int argc, char **argv)
{
    LimitHeapArenas();
    // Read before the application object, so that --help, --version and a
    // usage error need no display; Qt's options are left to QApplication.
    const CommandLine command = ParseCommandLine(CommandLineArguments(argc, argv), QDir::currentPath());
    if (const std::optional<int> exitCode = AnswerCommandLine(command))
        return *exitCode;
    PreferXcbOnWayland(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaro"));
    // A Tessaro already running takes the files, and this start ends here.
    SingleInstance instance;
    if (const std::optional<int> exitCode = instance.claim(command.files))
        return *exitCode;
    // The main window's close ends the program; the other windows only hide.
    QApplication::setQuitOnLastWindowClosed(false);

    // Outside close requests take the same road as the panel's close button.
    // A request that arrives during start-up waits for the message loop.
    TerminationSignals terminationSignals;
    // An open dialog or message box does not hold it back: leaving the main
    // loop ends the dialogs' loops too.
    const auto closeMainWindow = [] {
        if (frmMain)
            frmMain->close();
    };
    QObject::connect(&terminationSignals, &TerminationSignals::requested, closeMainWindow);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, closeMainWindow);

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/tessaro@2x.png")));
    gst_init(nullptr, nullptr);

    // Installed before any window exists; it reaches the windows through
    // frmMain, frmList and frmPlayer once the loop runs.
    AppKeyHook keyHook;
    application.installEventFilter(&keyHook);

    InitSkin(QApplication::applicationDirPath());
    CreateWindows();
    // Media keys and the desktop's now-playing controls; gone before the windows.
    auto mpris = std::make_unique<MprisService>();

    frmMain->show();
    OpenFiles(command.files);
    instance.serve(&OpenFiles, [] { frmMain->BringToFront(); });
    QApplication::exec();

    mpris.reset();
    DestroyWindows();
    // The media graph of an item still playing goes after the windows.
    FreeGraph(DSMP);
    return 0;
}
