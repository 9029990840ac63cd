#include "SharedObjectStore.h"

#include "platform/BoundedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace swf {

namespace {

// Characters the reference player refuses in an object's name.
const QString RefusedInNames = QStringLiteral("~%&\\;:\"',<>?# ");
const QString StoredExtension = QStringLiteral(".sol");
// The file layout: a 2-byte mark, the size of the rest, a signature and
// the object's name, then the format of the members.
const QByteArray FileMark = QByteArray::fromHex("00BF");
const QByteArray Signature = QByteArray::fromHex("5443534F000400000000"); // "TCSO", 00 04, 0
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

template <typename T> void appendBigEndian(QByteArray &out, T value)
{
    const T big = qToBigEndian(value);
    out.append(reinterpret_cast<const char *>(&big), sizeof big);
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

QByteArray SharedObjectStore::pack(const QString &name, quint32 format, const QByteArray &members)
{
    const QByteArray utf8Name = name.toUtf8();
    QByteArray rest = Signature;
    appendBigEndian(rest, quint16(utf8Name.size()));
    rest += utf8Name;
    appendBigEndian(rest, format);
    rest += members;
    QByteArray file = FileMark;
    appendBigEndian(file, quint32(rest.size()));
    return file + rest;
}

QByteArray SharedObjectStore::unpack(const QByteArray &file, quint32 format)
{
    const qsizetype nameAt = FileMark.size() + 4 + Signature.size();
    if (file.size() < nameAt + 2 || !file.startsWith(FileMark) || file.mid(FileMark.size() + 4, Signature.size()) != Signature)
        return {};
    const qsizetype nameSize = qFromBigEndian<quint16>(file.constData() + nameAt);
    const qsizetype membersAt = nameAt + 2 + nameSize + 4;
    if (file.size() < membersAt || qFromBigEndian<quint32>(file.constData() + membersAt - 4) != format)
        return {};
    return file.mid(membersAt);
}

} // namespace swf
