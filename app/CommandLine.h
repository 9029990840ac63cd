#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks of the program: run (with files to open, maybe
// none), print the usage or the version, or a usage error.
struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    // Absolute, cleaned paths in the order given; not yet tested for media or
    // existence: that is the playlist's business (OpenFiles).
    QStringList files;
    // Arguments passed over, one line each, for standard error.
    QStringList notes;
    // With UsageError: what was wrong.
    QString error;
};

// Reads the arguments (without the program's own name). Paths and file://
// URIs (percent-decoded) become absolute paths, relative ones resolved
// against currentFolder. "--help"/"-h" and "--version" win over files; an
// unknown option is a usage error; "--" ends the options. Qt's own options
// (-platform NAME, -display NAME, -style=NAME, -reverse...) are passed over,
// with their values: QApplication takes them from argv itself.
CommandLine ParseCommandLine(const QStringList &arguments, const QString &currentFolder);

// The arguments of main() after the program's name, decoded as the system does.
QStringList CommandLineArguments(int argc, char **argv);

// "Tessaro VERSION", the version being CMake's project version.
QString VersionText();
// The usage, several lines.
QString UsageText();

// Prints what the command asks: the notes on standard error, the usage or
// the version on standard output, a usage error as one line on standard
// error. Returns the exit code when the program ends here (0 for Help and
// Version, 2 for UsageError), nothing for Run.
std::optional<int> AnswerCommandLine(const CommandLine &command);
