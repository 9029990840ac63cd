#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace swf {

// Where a movie's shared objects (SharedObject.getLocal) are kept between
// runs: one file per object under a folder of the program's own, in a
// subfolder named after the movie's path (or the part of it the movie
// names as the object's local path), as the reference player keeps them
// per site and path. Without a folder nothing is kept.
class SharedObjectStore {
public:
    // The most one object may hold, encoded: the reference player's default
    // allowance for a site, which it does not exceed without asking.
    static constexpr qint64 SizeLimit = 100 * 1024;

    void setFolder(const QString &folder) { m_folder = folder; }
    // The movie's file, absolute.
    void setMovie(const QString &moviePath) { m_movie = moviePath; }

    // The file of the object NAME under LOCALPATH (empty: the movie's own
    // path); empty when no folder is set, the name is not one the reference
    // player accepts, or the local path is not the movie's path or a folder
    // above it.
    QString fileFor(const QString &name, const QString &localPath) const;

    // The stored bytes, or nothing when there are none to read.
    static std::optional<QByteArray> read(const QString &file);
    // Replaces the file whole, or leaves it as it was; false when it could not.
    static bool write(const QString &file, const QByteArray &bytes);
    static void remove(const QString &file);

    // The reference player's file layout: a header naming the object, the
    // format its members are in (AMF 0 for ActionScript 1 and 2 movies,
    // AMF 3 for ActionScript 3 ones), then the members.
    static constexpr quint32 Amf0Format = 0;
    static constexpr quint32 Amf3Format = 3;
    static QByteArray pack(const QString &name, quint32 format, const QByteArray &members);
    // The members part of a stored file; empty for another layout or format.
    static QByteArray unpack(const QByteArray &file, quint32 format);

private:
    QString m_folder;
    QString m_movie;
};

} // namespace swf
