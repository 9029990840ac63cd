#include "AppKeyHook.h"

#include "list/Playlist.h"
#include "list/PlaylistModel.h"
#include "list/TfrmList.h"
#include "main/TfrmMain.h"
#include "platform/ShellFileOperations.h"
#include "player/TfrmPlayer.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>

std::array<QString, 10> MoveFolders;

namespace {

// X11 key codes of the main keyboard's digits 1 to 9.
constexpr quint32 FirstDigitScanCode = 10;
constexpr quint32 LastDigitScanCode = 18;

bool isDigit(int key)
{
    return key >= Qt::Key_1 && key <= Qt::Key_9;
}

// Whether the filter takes this key: with Control, Enter, End, Home, Left,
// Right and O; without, Escape, Left, Right, Insert and Delete (digits aside).
bool isCommandKey(int key, bool ctrl)
{
    if (ctrl)
        return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_End || key == Qt::Key_Home ||
               key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_O;
    return key == Qt::Key_Escape || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Insert ||
           key == Qt::Key_Delete;
}

bool nothingLoaded()
{
    return !frmPlayer || frmPlayer->Playing.isNone();
}

} // namespace

int FilterKey(const QKeyEvent &event)
{
    if (event.modifiers() & Qt::KeypadModifier)
        return event.key() == Qt::Key_Enter ? Qt::Key_Enter : 0;
    if (isDigit(event.key()))
        return event.key();
    const quint32 scan = event.nativeScanCode();
    if (scan >= FirstDigitScanCode && scan <= LastDigitScanCode)
        return Qt::Key_1 + int(scan - FirstDigitScanCode);
    return event.key();
}

bool AppKeyHook::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    if (!frmMain || !frmList || !frmPlayer || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & Qt::AltModifier)
        return false;
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const int code = FilterKey(*key);

    bool take = false;
    if (isCommandKey(code, ctrl))
        take = true;
    else if (!ctrl && isDigit(code))
        take = !nothingLoaded();
    if (!take)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claim the key, so no shortcut fires; the press that follows is ours.
        event->accept();
        return true;
    }
    if (isDigit(code) && !ctrl)
        return MoveCurrentFile(code - Qt::Key_0);
    DispatchKey(code, ctrl);
    return true;
}

void DispatchKey(int Key, bool CtrlDown)
{
    if (CtrlDown) {
        switch (Key) {
        case Qt::Key_Return:
        case Qt::Key_Enter: frmPlayer->mnuPlaypasue->trigger(); break;
        case Qt::Key_Left: frmPlayer->mnuPrv->trigger(); break;
        case Qt::Key_Right: frmPlayer->mnuNext->trigger(); break;
        case Qt::Key_O: frmPlayer->mnuOpen->trigger(); break;
        case Qt::Key_Home:
            if (PlayListItems->count() > 0)
                StartEntry(0);
            break;
        case Qt::Key_End:
            if (PlayListItems->count() > 0)
                StartEntry(PlayListItems->count() - 1);
            break;
        default: break;
        }
        return;
    }
    switch (Key) {
    case Qt::Key_Escape: frmPlayer->mnuFullscreen->trigger(); break;
    case Qt::Key_Left: frmPlayer->mnuBack->trigger(); break;
    case Qt::Key_Right: frmPlayer->mnuForward->trigger(); break;
    case Qt::Key_Insert: frmList->mnuAddFile->trigger(); break;
    case Qt::Key_Delete: DeleteCurrentFile(); break;
    default: break;
    }
}

void DeleteCurrentFile()
{
    if (nothingLoaded())
        return;
    const QString Old = frmPlayer->Playing.path();
    // The playlist moves on first, so the player no longer holds the file;
    // the file goes once another plays (or none could).
    PlayStepThen(true, [Old] {
        if (frmPlayer->Playing.path() != Old)
            ShellMoveOrDelete(Old, QString(), FO_DELETE);
    });
}

bool MoveCurrentFile(int d)
{
    if (nothingLoaded())
        return false;
    if (MoveFolders[size_t(d)].isEmpty()) {
        if (!frmList->BrowseDialog.Execute())
            return false;
        MoveFolders[size_t(d)] = frmList->BrowseDialog.Directory;
    }
    const QString Old = frmPlayer->Playing.path();
    PlayStepThen(true, [Old, Target = MoveFolders[size_t(d)]] {
        if (frmPlayer->Playing.path() != Old)
            ShellMoveOrDelete(Old, Target, FO_MOVE);
    });
    return true;
}

void ShellMoveOrDelete(const QString &Source, const QString &Target, FileOperation Operation)
{
    if (!QFileInfo::exists(Source))
        return;
    if (Operation == FO_DELETE)
        TrashFile(Source);
    else
        MoveFileInto(Source, Target);
}
