#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace swf {

// The tags of an MP3 file as Sound.id3 shows them: each ID3v2 text or
// comment frame under its four-letter name (three-letter names of version
// 2.2 files included), and the ID3v1 tag's fields under songname, artist,
// album, year, comment, track and genre. A broken tag gives what was read
// before the break.
using Id3Tags = std::vector<std::pair<QString, QString>>;
Id3Tags ReadId3Tags(const QByteArray &file);

// The length of the ID3v2 tag opening the file (0 without one), so that
// decoding starts at the first MP3 frame.
qsizetype Id3v2Length(const QByteArray &file);

} // namespace swf
