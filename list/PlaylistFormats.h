#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Playlists written by other players, told by their content: M3U and M3U8
// (comments and #EXT lines skipped), PLS in its INI form ([playlist] with
// FileN= keys, read in N order) and XSPF (<location> URIs). Relative paths
// are resolved against the playlist's folder and file:// URIs decoded; other
// URIs stay as written. Anything else is the program's own format (one entry
// per line, exactly the line's text), read as it always was.

enum class PlaylistFormat { Own, M3u, PlsIni, Xspf };

// The format of a playlist file named fileName holding bytes.
PlaylistFormat DetectPlaylistFormat(const QString &fileName, const QByteArray &bytes);

// The entries of bytes in format, relative paths resolved against folder.
// What cannot be read (a malformed line, broken XML) gives the entries read
// up to it.
QStringList ParsePlaylist(PlaylistFormat format, const QByteArray &bytes, const QString &folder);

// Whether a name ends in an extension of a playlist file of another player
// (.m3u, .m3u8, .pls, .xspf).
bool IsPlaylistFileName(const QString &name);

// Reads a playlist file of any of the formats. An entry of another player's
// playlist that is itself a playlist is read in its place, each file once,
// so a playlist that names itself or a loop of playlists ends. Nullopt, with
// the reason, when the file itself cannot be read.
std::optional<QStringList> ReadAnyPlaylist(const QString &fileName, QString *error);
