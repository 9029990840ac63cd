#pragma once

// The ABC blocks of a movie file, for the ABC dump tool and the ABC reader's
// test, until the movie reader keeps them itself.

#include "swf/Decompress.h"
#include "swf/Definitions.h"
#include "swf/SwfReader.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <vector>

namespace MovieAbcBlocks {

constexpr int DoAbcPlainTag = 72; // just the block
constexpr int DoAbcTag = 82;      // flags and a name, then the block
constexpr int EndTag = 0;
// The first movie version with ActionScript 3, whose names are UTF-8.
constexpr int FirstAbcVersion = 9;
constexpr int ShortLengthBits = 6;
constexpr int LongLength = 0x3F;
constexpr int HeaderSize = 8;
constexpr int LzmaPropertiesAt = 12;
constexpr int LzmaPropertiesSize = 5;
constexpr int LzmaDataAt = LzmaPropertiesAt + LzmaPropertiesSize;

struct Block {
    QString name; // empty for the plain tag
    QByteArray bytes;
};

// The movie's body after its 8-byte header, decompressed; empty when it is not a movie.
inline QByteArray body(const QByteArray &file)
{
    if (file.size() < HeaderSize)
        return QByteArray();
    swf::SwfReader header(file);
    header.skip(4);
    const uint32_t declared = header.u32();
    const int expected =
        int(std::min<uint32_t>(std::max<uint32_t>(declared, HeaderSize), swf::MaxUncompressedSize)) - HeaderSize;
    const QByteArray signature = file.left(3);
    if (signature == "FWS")
        return file.mid(HeaderSize, expected);
    if (signature == "CWS")
        return swf::InflateZlib(file.mid(HeaderSize), expected);
    if (signature == "ZWS" && file.size() >= LzmaDataAt)
        return swf::DecodeLzma(file.mid(LzmaPropertiesAt, LzmaPropertiesSize), file.mid(LzmaDataAt), expected);
    return QByteArray();
}

// Every DoABC tag on the main timeline, in order.
inline std::vector<Block> read(const QByteArray &file)
{
    std::vector<Block> blocks;
    const QByteArray movie = body(file);
    swf::SwfReader r(movie);
    r.rect();
    r.u16(); // frame rate
    r.u16(); // frame count
    while (!r.atEnd() && !r.overrun()) {
        const uint16_t header = r.u16();
        const int code = header >> ShortLengthBits;
        int64_t length = header & LongLength;
        if (length == LongLength)
            length = r.u32();
        if (code == EndTag || r.overrun())
            break;
        swf::SwfReader tag = r.sub(int(std::min<int64_t>(length, r.remaining())));
        if (code == DoAbcTag) {
            tag.u32(); // flags: lazy initialisation
            const QString name = tag.string(FirstAbcVersion);
            blocks.push_back({name, tag.rest()});
        } else if (code == DoAbcPlainTag) {
            blocks.push_back({QString(), tag.rest()});
        }
    }
    return blocks;
}

} // namespace MovieAbcBlocks
