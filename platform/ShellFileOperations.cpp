#include "ShellFileOperations.h"

#include "platform/BoundedFile.h"
#include "platform/ErrorBox.h"
#include "platform/Trash.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace {

// The copy made across file systems is named so that no file of the user's
// can hold the name: a hidden name of the program's own with a random part.
const QString CopyNameTemplate = QStringLiteral(".tessaro-move-XXXXXX");
constexpr qint64 CopyChunk = 1 << 20;

ReplaceQuestion &question()
{
    static ReplaceQuestion current;
    return current;
}

bool askReplace(const QString &existing)
{
    if (question())
        return question()(existing);
    const QPointer<QMessageBox> box =
        MakeMessageBox(QMessageBox::Question,
                       QObject::tr("The folder already holds \"%1\".\nReplace it with the file being moved?")
                           .arg(QFileInfo(existing).fileName()),
                       QMessageBox::Yes | QMessageBox::No)
            .release();
    box->setDefaultButton(QMessageBox::No);
    const bool replace = box->exec() == QMessageBox::Yes;
    delete box.data();
    return replace;
}

void report(const QString &what, const QString &path, const QString &reason)
{
    ShowErrorBox(QObject::tr("Cannot %1 \"%2\". %3").arg(what, path, reason));
}

// Renames from to to; replacing an existing to only when asked to. Returns
// 0 or the error number.
int renameFile(const QString &from, const QString &to, bool replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (!replace) {
        if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        // A file system without no-replace renames: the check made before
        // the question stands.
    }
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

// Copies the file into the open temporary file, with its permissions.
bool copyInto(const QString &path, QTemporaryFile &copy)
{
    QFile source(path);
    if (!IsRegularFile(path) || !source.open(QIODevice::ReadOnly))
        return false;
    QByteArray chunk;
    do {
        chunk = source.read(CopyChunk);
        if (source.error() != QFileDevice::NoError || copy.write(chunk) != chunk.size())
            return false;
    } while (!chunk.isEmpty());
    return copy.flush() && copy.setPermissions(source.permissions());
}

} // namespace

ReplaceQuestion SetReplaceQuestion(ReplaceQuestion replacement)
{
    ReplaceQuestion previous = std::move(question());
    question() = std::move(replacement);
    return previous;
}

bool TrashFile(const QString &path)
{
    const Trash::Result result = Trash::MoveToTrash(path);
    if (result.moved)
        return true;
    report(QObject::tr("move to the trash"), path, result.error);
    return false;
}

bool MoveFileInto(const QString &path, const QString &folder)
{
    const QString target = QDir(folder).filePath(QFileInfo(path).fileName());
    if (QFileInfo(target) == QFileInfo(path))
        return true; // already there
    if (!QFileInfo(folder).isDir()) {
        report(QObject::tr("move"), path, QObject::tr("The folder \"%1\" does not exist.").arg(folder));
        return false;
    }
    const bool replacing = QFileInfo::exists(target) || QFileInfo(target).isSymLink();
    if (replacing && !askReplace(target))
        return false;

    const int renamed = renameFile(path, target, replacing);
    if (renamed == 0)
        return true;
    if (renamed != EXDEV) {
        report(QObject::tr("move"), path, qt_error_string(renamed));
        return false;
    }

    // Across file systems: copy under a name of the program's own first, so
    // the target is replaced only by a complete copy.
    QTemporaryFile copy(QDir(folder).filePath(CopyNameTemplate));
    if (!copy.open() || !copyInto(path, copy)) {
        report(QObject::tr("move"), path, QObject::tr("It could not be copied into \"%1\".").arg(folder));
        return false;
    }
    copy.close();
    if (renameFile(copy.fileName(), target, replacing) != 0) {
        report(QObject::tr("move"), path, QObject::tr("\"%1\" could not be replaced.").arg(target));
        return false;
    }
    copy.setAutoRemove(false);
    if (!QFile::remove(path)) {
        report(QObject::tr("move"), path, QObject::tr("A copy is in \"%1\", but the original could not be removed.").arg(folder));
        return false;
    }
    return true;
}
