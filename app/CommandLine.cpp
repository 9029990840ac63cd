#include "CommandLine.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

#include <cstdio>

#ifndef TESSARO_VERSION
#error "TESSARO_VERSION comes from CMake's project version (app/CMakeLists.txt)"
#endif

namespace {

// The options QGuiApplication and QApplication read on Linux (Qt 6), which
// they accept with one dash or two. The command line is read before the
// application object exists, so that --help, --version and a usage error
// answer without a display; these are therefore known here and skipped, and
// QApplication, given the untouched argv, takes them itself.
const QStringList QtOptionsWithValue = {
    QStringLiteral("platform"),     QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),       QStringLiteral("qwindowgeometry"),    QStringLiteral("geometry"),
    QStringLiteral("qwindowicon"),  QStringLiteral("icon"),               QStringLiteral("qwindowtitle"),
    QStringLiteral("title"),        QStringLiteral("display"),            QStringLiteral("session"),
    QStringLiteral("style"),        QStringLiteral("stylesheet"),         QStringLiteral("qmljsdebugger"),
};
const QStringList QtFlags = {
    QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
    QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
};

enum class QtOption { None, Flag, WithValue, WithJoinedValue };

QtOption qtOption(const QString &argument)
{
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    if (equals >= 0)
        return QtOptionsWithValue.contains(name.left(equals)) ? QtOption::WithJoinedValue : QtOption::None;
    if (QtOptionsWithValue.contains(name))
        return QtOption::WithValue;
    return QtFlags.contains(name) ? QtOption::Flag : QtOption::None;
}

// A file:// URI gives its local path; any other URI scheme is not a file.
bool isUri(const QString &argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(argument).hasMatch() && argument.contains(QLatin1String("://"));
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments, const QString &currentFolder)
{
    CommandLine command;
    const QDir folder(currentFolder);
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && argument.startsWith(u'-') && argument.size() > 1) {
            if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
                return {CommandLine::Action::Help, {}, command.notes, {}};
            }
            if (argument == QLatin1String("--version")) {
                return {CommandLine::Action::Version, {}, command.notes, {}};
            }
            switch (qtOption(argument)) {
            case QtOption::WithValue:
                ++i;
                continue;
            case QtOption::Flag:
            case QtOption::WithJoinedValue:
                continue;
            case QtOption::None:
                break;
            }
            return {CommandLine::Action::UsageError, {}, command.notes,
                    QStringLiteral("unknown option %1").arg(argument)};
        }
        if (argument.isEmpty()) {
            command.notes.append(QStringLiteral("an empty argument is not a file"));
            continue;
        }
        QString path = argument;
        if (isUri(argument)) {
            const QUrl url(argument);
            const QString host = url.host();
            const bool local = url.isValid() && url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0
                               && (host.isEmpty() || host == QLatin1String("localhost"));
            path = url.path(QUrl::FullyDecoded);
            if (!local || !path.startsWith(u'/') || path.contains(QChar(0))) {
                command.notes.append(QStringLiteral("not a local file: %1").arg(argument));
                continue;
            }
        }
        command.files.append(QDir::cleanPath(folder.absoluteFilePath(path)));
    }
    return command;
}

QStringList CommandLineArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QString VersionText()
{
    return QStringLiteral("Tessaro " TESSARO_VERSION);
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: tessaro [OPTION]... [FILE|FOLDER|file://URI]...\n"
        "Plays the media files given, after adding them to the playlist; a folder\n"
        "gives its media files. A Tessaro already running takes them instead.\n"
        "\n"
        "  -h, --help     print this help and exit\n"
        "      --version  print the version and exit\n"
        "      --         end of options: what follows is a file\n"
        "\n"
        "Qt's own options (-platform NAME, -display NAME, -style NAME...) are passed on.\n");
}

std::optional<int> AnswerCommandLine(const CommandLine &command)
{
    for (const QString &note : command.notes)
        std::fprintf(stderr, "tessaro: %s\n", qPrintable(note));
    switch (command.action) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(UsageText()), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fprintf(stdout, "%s\n", qPrintable(VersionText()));
        return 0;
    case CommandLine::Action::UsageError:
        std::fprintf(stderr, "tessaro: %s; usage: tessaro [--help] [--version] [FILE|FOLDER|file://URI]...\n",
                     qPrintable(command.error));
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return std::nullopt;
}
