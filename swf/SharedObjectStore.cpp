#include "SharedObjectStore.h"

#include "platform/BoundedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace swf {

namespace {

// Characters the reference player refuses in an object's name.
const QString RefusedInNames = QStringLiteral("~%&\\;:\"',<>?# ");
const QString StoredExtension = QStringLiteral(".sol");
// The site a local movie's objects belong to.
const QString LocalSite = QStringLiteral("localhost");

// A path of plain segments: none empty, none "." or "..", nothing refused.
bool plainSegments(const QString &path)
{
    for (const QString &segment : path.split(u'/')) {
        if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
            return false;
    }
    return true;
}

bool validName(const QString &name)
{
    for (const QChar c : name)
        if (RefusedInNames.contains(c) || c.unicode() < 0x20)
            return false;
    return !name.isEmpty() && plainSegments(name);
}

// LOCALPATH as the folder under the site: "/" the site itself; otherwise
// the movie's path or a folder above it, at a whole segment.
std::optional<QString> siteFolder(const QString &moviePath, const QString &localPath)
{
    const QString movie = QDir::cleanPath(moviePath);
    if (localPath.isEmpty())
        return movie;
    const QString wanted = QDir::cleanPath(localPath);
    if (wanted == QLatin1String("/"))
        return QString();
    if (!wanted.startsWith(u'/') || !plainSegments(wanted.mid(1)))
        return std::nullopt;
    if (movie == wanted || movie.startsWith(wanted + u'/'))
        return wanted;
    return std::nullopt;
}

} // namespace

QString SharedObjectStore::fileFor(const QString &name, const QString &localPath) const
{
    if (m_folder.isEmpty() || m_movie.isEmpty() || !validName(name))
        return {};
    const std::optional<QString> under = siteFolder(m_movie, localPath);
    if (!under)
        return {};
    return m_folder + u'/' + LocalSite + *under + u'/' + name + StoredExtension;
}

std::optional<QByteArray> SharedObjectStore::read(const QString &file)
{
    // Anything larger than an object may hold was not written here.
    const BoundedRead stored = ReadBoundedFile(file, 2 * SizeLimit);
    if (!stored.ok())
        return std::nullopt;
    return stored.bytes;
}

bool SharedObjectStore::write(const QString &file, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(file).path()))
        return false;
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

void SharedObjectStore::remove(const QString &file)
{
    QFile::remove(file);
}

} // namespace swf
