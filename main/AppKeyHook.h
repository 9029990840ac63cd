#pragma once

#include <QObject>
#include <QString>

#include <array>

class QKeyEvent;

// The application-wide keyboard filter: it sees the keys of every window,
// text fields included, and turns a few into player commands, swallowing
// them so no widget and no menu shortcut sees them. Shift is not looked at
// (digits are taken by their physical key); keys with Alt pass. While a
// dialog or menu of the program is open, keys go to it unchanged.
class AppKeyHook : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// The key a press stands for, as the filter sees it: a Qt key code, with the
// digits 1 to 9 of the main keyboard taken by their physical key whatever
// Shift makes them type. 0 for keys the filter never takes.
int FilterKey(const QKeyEvent &event);

// Runs one keyboard command; the key has been swallowed.
void DispatchKey(int Key, bool CtrlDown);

// The folders of the digit keys 1 to 9 (index 0 unused): empty until first
// used, kept until the program ends.
extern std::array<QString, 10> MoveFolders;

// Deletes the current file after the playlist has moved on.
void DeleteCurrentFile();
// Moves the current file into the folder of digit d; false when the key
// should pass (nothing loaded, or the folder picker was cancelled).
bool MoveCurrentFile(int d);

enum FileOperation { FO_MOVE = 1, FO_DELETE = 3 };
// Moves or trashes one file; a source that no longer exists is skipped.
void ShellMoveOrDelete(const QString &Source, const QString &Target, FileOperation Operation);
