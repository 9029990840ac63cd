#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace swf {

// What a movie may read: files it names relative to its own folder, inside
// that folder or below it, regular files only and no larger than a movie
// may be. Nothing goes over the network: a web address, another scheme, an
// absolute path or a `file:` URL elsewhere, or `..` leading out of the
// folder fail as a failed load does, before anything is opened.

// The largest file a movie, or anything a movie loads, may be.
constexpr qint64 MaxMovieFileSize = 128 * 1024 * 1024;

// The canonical path of the file url names, when it is one a movie in
// folder may read.
std::optional<QString> MovieFilePath(const QString &folder, const QString &url);

// What reading a file for a movie came to: its bytes, or why not. A
// refused load (a web address, a file outside the folder) reads nothing.
struct MovieFile {
    enum Status { Read, Refused, Unreadable };
    Status status = Unreadable;
    QByteArray bytes;
    bool ok() const { return status == Read; }
};

MovieFile ReadMovieFile(const QString &folder, const QString &url);

} // namespace swf
