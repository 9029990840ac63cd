#include "ShellFileOperations.h"

#include "platform/ErrorBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace {

ReplaceQuestion &question()
{
    static ReplaceQuestion current;
    return current;
}

bool askReplace(const QString &existing)
{
    if (question())
        return question()(existing);
    return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(),
                                 QObject::tr("The folder already holds \"%1\".\nReplace it with the file being moved?")
                                     .arg(QFileInfo(existing).fileName()),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void report(const QString &what, const QString &path, const QString &reason)
{
    ShowErrorBox(QObject::tr("Cannot %1 \"%2\". %3").arg(what, path, reason));
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
    QFile file(path);
    if (file.moveToTrash())
        return true;
    report(QObject::tr("move to the trash"), path, file.errorString());
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
    const bool replacing = QFileInfo::exists(target);
    if (replacing && !askReplace(target))
        return false;

    // Rename within a file system; across file systems copy to a temporary
    // name first, so the target is replaced only by a complete copy.
    QFile source(path);
    if (!replacing && source.rename(target))
        return true;
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(path, partial)) {
        report(QObject::tr("move"), path, QObject::tr("It could not be copied into \"%1\".").arg(folder));
        return false;
    }
    if ((replacing && !QFile::remove(target)) || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        report(QObject::tr("move"), path, QObject::tr("\"%1\" could not be replaced.").arg(target));
        return false;
    }
    if (!QFile::remove(path)) {
        report(QObject::tr("move"), path, QObject::tr("A copy is in \"%1\", but the original could not be removed.").arg(folder));
        return false;
    }
    return true;
}
