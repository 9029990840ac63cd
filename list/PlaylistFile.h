#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The playlist file: one entry per line, exactly the line's text. Reading
// accepts CR LF, lone CR and lone LF; a NUL byte ends the text; a line break at
// the very end adds no entry. Writing ends every entry with CR LF and replaces
// the file atomically, so a crash or full disk never leaves half a file.

// Files larger than this are refused rather than read whole.
constexpr qint64 MaxPlaylistFileSize = 512ll * 1024 * 1024;

std::optional<QStringList> ReadPlaylistFile(const QString &fileName, QString *error);
// The whole file, refused as ReadPlaylistFile refuses it.
std::optional<QByteArray> ReadPlaylistBytes(const QString &fileName, QString *error);
// The entries of a playlist file's bytes, as ReadPlaylistFile reads them.
QStringList ParsePlaylistBytes(QByteArray bytes);
bool WritePlaylistFile(const QString &fileName, const QStringList &entries, QString *error);

// Why the playlist file cannot keep this file name exactly (a line break
// would split it; a name that is not valid UTF-8 has no exact text); empty
// when it can.
QString UnkeepableNameReason(const QString &path);
extern const QString UndecodableNameReason;

// The entries of playlist text (already decoded).
QStringList SplitPlaylistText(const QString &text);
