#include "Startup.h"

#include "list/TfrmList.h"
#include "main/AppKeyHook.h"
#include "main/TfrmMain.h"
#include "platform/DisplayPlatform.h"
#include "platform/TerminationSignals.h"
#include "player/TDSMP.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"

#include <QApplication>
#include <QIcon>

#include <gst/gst.h>

void CreateWindows()
{
    frmMain = new TfrmMain;
    frmList = new TfrmList;
    frmPlayer = new TfrmPlayer;
}

void DestroyWindows()
{
    delete frmPlayer;
    frmPlayer = nullptr;
    delete frmList;
    frmList = nullptr;
    delete frmMain;
    frmMain = nullptr;
}

int RunTessaro(int argc, char **argv)
{
    PreferXcbOnWayland(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaro"));
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

    frmMain->show();
    QApplication::exec();

    DestroyWindows();
    // The media graph of an item still playing goes after the windows.
    FreeGraph(DSMP);
    return 0;
}
