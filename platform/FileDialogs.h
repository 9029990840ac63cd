#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// What the program asks of a file dialog.
struct FileDialogRequest {
    enum Kind { OpenFiles, SaveFile, Folder } kind = OpenFiles;
    QString filter;      // "desc|pattern;pattern|desc|pattern", as language files give it
    int filterIndex = 1; // 1-based
    bool multiSelect = false;
};

// Runs a dialog modally over the program's windows; the chosen paths, or
// nothing when cancelled. Tests put a scripted runner in its place.
using FileDialogRunner = std::function<std::optional<QStringList>(const FileDialogRequest &request)>;
std::optional<QStringList> RunFileDialog(const FileDialogRequest &request);
// Replaces the runner (an empty one restores the real dialogs); returns the previous one.
FileDialogRunner SetFileDialogRunner(FileDialogRunner runner);

// "Media files (*.mp3;*.wav)|*.mp3;*.wav|All|*.*" becomes
// ["Media files (*.mp3 *.wav)", "All (*.*)"]: the names Qt's dialogs take.
QStringList QtFilters(const QString &windowsFilter);

// The open-file dialog: several files, read-only box hidden, resizable.
class TOpenDialog {
public:
    QString Filter = QStringLiteral("All Files(*.*)|*.*");
    int FilterIndex = 1;
    QStringList Files;
    QString FileName; // the first chosen file

    bool Execute();
};

// The save-file dialog: asks before overwriting; the name is kept as typed,
// no extension added.
class TSaveDialog {
public:
    QString Filter = QStringLiteral("All Files(*.*)|*.*");
    int FilterIndex = 1;
    QString FileName;

    bool Execute();
};
