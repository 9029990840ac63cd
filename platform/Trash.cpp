#include "Trash.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Trash {
namespace {

constexpr mode_t PrivateFolder = 0700;
constexpr mode_t PrivateFile = 0600;
// Names tried for one file before giving up: NAME, then NAME.2, NAME.3, ...
constexpr int MaxNameTries = 10000;
const QString InfoSuffix = QStringLiteral(".trashinfo");

QString tr(const char *text)
{
    return QCoreApplication::translate("Trash", text);
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool lstatPath(const QString &path, struct stat &info)
{
    return ::lstat(native(path).constData(), &info) == 0;
}

bool isAbsoluteEnvironmentPath(const char *value)
{
    return value && value[0] == '/';
}

// Makes every missing folder of path, each private to the user. An existing
// path must be a folder (not a link to one): trash folders are never reached
// through someone's link.
bool makeFolders(const QString &path, QString *error)
{
    struct stat info {};
    if (lstatPath(path, info)) {
        if (S_ISDIR(info.st_mode))
            return true;
        *error = tr("\"%1\" is not a folder.").arg(path);
        return false;
    }
    const QString parent = QFileInfo(path).path();
    if (parent != path && !QFileInfo(parent).isDir() && !makeFolders(parent, error))
        return false;
    if (::mkdir(native(path).constData(), PrivateFolder) != 0 && errno != EEXIST) {
        *error = tr("The folder \"%1\" could not be made: %2").arg(path, qt_error_string(errno));
        return false;
    }
    return true;
}

// A trash folder of a mount must be the user's own folder, not a link.
bool isOwnFolder(const QString &path, uint uid)
{
    struct stat info {};
    return lstatPath(path, info) && S_ISDIR(info.st_mode) && info.st_uid == uid;
}

// NAME, NAME.2, NAME.3, ...: the counter goes before the extension, so the
// trashed file keeps its type.
QString candidateName(const QString &name, int attempt)
{
    if (attempt == 1)
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return name + u'.' + QString::number(attempt);
    return name.left(dot) + u'.' + QString::number(attempt) + name.mid(dot);
}

QByteArray infoText(const QString &recordedPath)
{
    QByteArray text = "[Trash Info]\nPath=" + native(recordedPath).toPercentEncoding("/") + '\n';
    text += "DeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
    return text;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

Result failed(const QString &error)
{
    Result result;
    result.error = error;
    return result;
}

// The folder holding path, with links resolved, and the path's own name.
QString realParentPath(const QString &path)
{
    const QFileInfo file(QFileInfo(path).absoluteFilePath());
    const QString folder = QFileInfo(file.path()).canonicalFilePath();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(file.fileName());
}

// The device of path, or of its nearest existing folder.
dev_t deviceOf(QString path)
{
    struct stat info {};
    while (!path.isEmpty()) {
        if (::stat(native(path).constData(), &info) == 0)
            return info.st_dev;
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return dev_t(-1);
}

Result moveInto(const QString &path, const QString &trashFolder, const QString &topdir, int *renameError)
{
    if (!QDir::isAbsolutePath(trashFolder))
        return failed(tr("There is no trash folder: the home folder is not known."));
    const QString source = realParentPath(path);
    struct stat sourceInfo {};
    if (source.isEmpty() || !lstatPath(source, sourceInfo))
        return failed(tr("The file does not exist."));

    QString error;
    const QString filesFolder = trashFolder + QStringLiteral("/files");
    const QString infoFolder = trashFolder + QStringLiteral("/info");
    if (!makeFolders(filesFolder, &error) || !makeFolders(infoFolder, &error))
        return failed(error);

    QString recorded = source;
    if (!topdir.isEmpty()) {
        const QString top = QFileInfo(topdir).canonicalFilePath();
        if (!top.isEmpty() && source.startsWith(top + u'/'))
            recorded = source.mid(top.size() + 1);
        else if (top == QStringLiteral("/"))
            recorded = source.mid(1);
    }

    const QString name = QFileInfo(source).fileName();
    for (int attempt = 1; attempt <= MaxNameTries; ++attempt) {
        const QString trashName = candidateName(name, attempt);
        const QString infoFile = infoFolder + u'/' + trashName + InfoSuffix;
        const QString target = filesFolder + u'/' + trashName;
        // The info file is the claim on the name: made exclusively, first.
        const int fd = ::open(native(infoFile).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, PrivateFile);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return failed(tr("Its record in the trash could not be written: %1").arg(qt_error_string(errno)));
        }
        const bool written = writeAll(fd, infoText(recorded));
        const bool closed = ::close(fd) == 0;
        struct stat taken {};
        if (written && closed && lstatPath(target, taken)) {
            ::unlink(native(infoFile).constData()); // a file without a record holds this name
            continue;
        }
        if (!written || !closed) {
            const int reason = errno;
            ::unlink(native(infoFile).constData());
            return failed(tr("Its record in the trash could not be written: %1").arg(qt_error_string(reason)));
        }
        if (::rename(native(source).constData(), native(target).constData()) != 0) {
            *renameError = errno;
            ::unlink(native(infoFile).constData());
            if (*renameError == EXDEV)
                return failed(tr("The trash \"%1\" is on another file system.").arg(trashFolder));
            return failed(qt_error_string(*renameError));
        }
        struct stat moved {};
        struct stat left {};
        if (!lstatPath(target, moved) || moved.st_ino != sourceInfo.st_ino || lstatPath(source, left))
            return failed(tr("The file did not arrive in the trash \"%1\".").arg(trashFolder));
        Result result;
        result.moved = true;
        result.trashedAs = target;
        result.infoFile = infoFile;
        return result;
    }
    return failed(tr("The trash \"%1\" holds too many files of this name.").arg(trashFolder));
}

} // namespace

QString HomeTrashFolder()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (isAbsoluteEnvironmentPath(dataHome))
        return QDir::cleanPath(QFile::decodeName(dataHome)) + QStringLiteral("/Trash");
    const char *home = std::getenv("HOME");
    if (isAbsoluteEnvironmentPath(home))
        return QDir::cleanPath(QFile::decodeName(home)) + QStringLiteral("/.local/share/Trash");
    return QString();
}

QString TopdirTrashFolder(const QString &topdir, uint uid)
{
    const QString shared = QDir(topdir).filePath(QStringLiteral(".Trash"));
    struct stat info {};
    if (lstatPath(shared, info) && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX))
        return shared + u'/' + QString::number(uid);
    return QDir(topdir).filePath(QStringLiteral(".Trash-%1").arg(uid));
}

Result MoveIntoTrashFolder(const QString &path, const QString &trashFolder, const QString &topdir)
{
    int renameError = 0;
    return moveInto(path, trashFolder, topdir, &renameError);
}

Result MoveToTrash(const QString &path)
{
    const QString source = realParentPath(path);
    struct stat info {};
    if (source.isEmpty() || !lstatPath(source, info))
        return failed(tr("The file does not exist."));
    const QString home = HomeTrashFolder();
    if (home.isEmpty())
        return failed(tr("There is no trash folder: the home folder is not known."));
    if (deviceOf(home) == deviceOf(QFileInfo(source).path())) {
        // A bind mount shares the device but not the rename: then the
        // mount's own trash serves.
        int renameError = 0;
        Result result = moveInto(source, home, QString(), &renameError);
        if (renameError != EXDEV)
            return result;
    }
    // Another mount: its own trash, never a copy into the home trash.
    const QString topdir = QStorageInfo(QFileInfo(source).path()).rootPath();
    if (topdir.isEmpty())
        return failed(tr("The mount holding the file could not be found."));
    const uint uid = ::getuid();
    const QString folder = TopdirTrashFolder(topdir, uid);
    QString error;
    if (!makeFolders(folder, &error))
        return failed(error);
    if (!isOwnFolder(folder, uid))
        return failed(tr("The trash folder \"%1\" is not the user's own.").arg(folder));
    return MoveIntoTrashFolder(source, folder, topdir);
}

} // namespace Trash
