#include "AtomicReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace AtomicReplace {
namespace {

// Temporary names tried before giving up; a clash needs another writer using
// the same random suffix at the same moment.
constexpr int NameAttempts = 8;
// A temporary name ends in a 32-bit random number written as hex digits.
constexpr int SuffixLength = 8;
constexpr int SuffixBase = 16;

// The file that is really replaced: a symbolic link keeps pointing at its
// target, which gets the new content, as an editor would leave it.
QString resolvedTarget(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.isSymLink() ? info.symLinkTarget() : fileName;
}

QString temporaryPrefix(const QString &target)
{
    return target + QLatin1String(TemporaryMark);
}

// Whether fileName is one of target's temporary names: a name of another
// file, or one that merely begins alike, is not.
bool isTemporaryName(const QString &fileName, const QString &prefix)
{
    if (fileName.size() != prefix.size() + SuffixLength || !fileName.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < fileName.size(); ++i) {
        const QChar c = fileName[i];
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

// Removes the temporary file unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString &target) : m_target(target) {}
    ~TemporaryFile()
    {
        if (m_file.isOpen())
            m_file.close();
        if (!m_file.fileName().isEmpty() && !m_renamed)
            QFile::remove(m_file.fileName());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool open()
    {
        for (int attempt = 0; attempt < NameAttempts; ++attempt) {
            const QString suffix = QString::number(QRandomGenerator::global()->generate(), SuffixBase)
                                       .rightJustified(SuffixLength, u'0');
            m_file.setFileName(temporaryPrefix(m_target) + suffix);
            if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                return true;
            if (!QFileInfo::exists(m_file.fileName())) {
                m_file.setFileName(QString()); // not a clash: the folder refuses
                return false;
            }
        }
        m_file.setFileName(QString());
        return false;
    }

    // Writes the bytes and brings them to the disk before the rename, so a
    // crash of the whole system cannot leave the new name with no content.
    bool write(const QByteArray &bytes)
    {
        if (m_file.write(bytes) != bytes.size() || !m_file.flush())
            return false;
        return ::fsync(m_file.handle()) == 0;
    }

    bool renameOverTarget()
    {
        m_file.close();
        if (std::rename(QFile::encodeName(m_file.fileName()).constData(),
                        QFile::encodeName(m_target).constData()) != 0)
            return false;
        m_renamed = true;
        return true;
    }

    QFile &file() { return m_file; }

private:
    QString m_target;
    QFile m_file;
    bool m_renamed = false;
};

// Brings the rename itself to the disk.
void syncFolder(const QString &target)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    ::fsync(folder);
    ::close(folder);
}

} // namespace

bool ReplaceFile(const QString &fileName, const QByteArray &bytes)
{
    const QString target = resolvedTarget(fileName);
    const QFileInfo info(target);
    const bool existed = info.exists();
    if (existed && !info.isFile())
        return false;

    TemporaryFile temporary(target);
    if (!temporary.open())
        return false;
    if (existed)
        temporary.file().setPermissions(info.permissions());
    if (!temporary.write(bytes) || !temporary.renameOverTarget())
        return false;
    syncFolder(target);
    return true;
}

void RemoveStaleTemporaries(const QString &fileName)
{
    const QString target = resolvedTarget(fileName);
    const QString prefix = QFileInfo(temporaryPrefix(target)).fileName();
    const QFileInfoList entries =
        QFileInfo(target).dir().entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries) {
        if (isTemporaryName(entry.fileName(), prefix))
            QFile::remove(entry.filePath());
    }
}

} // namespace AtomicReplace
