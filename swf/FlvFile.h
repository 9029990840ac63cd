#pragma once

#include "swf/Definitions.h"
#include "swf/VideoDecoder.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace swf {

// What a NetStream plays from an FLV file: its video pictures with their
// times, its sound in the codecs movies' own sounds use, and the data of
// its onMetaData script tag.
struct FlvFile {
    int codec = 0;         // of the first video tag; pictures in another codec are left out
    QByteArray codecData;  // VP6's size adjustment
    std::vector<VideoPacket> video;
    std::vector<qint64> times; // milliseconds, one per picture
    QByteArray metaData;   // AMF 0: the value after the name onMetaData
    // The sound pieces of the first audio tag's format when movies' sounds
    // use that codec (PCM, ADPCM, MP3); other codecs are left out.
    std::optional<SoundFormat> audioFormat;
    std::vector<QByteArray> audio;
    qint64 durationMs = 0; // of the last tag of any kind
};

// Reads an FLV file; nothing when it is not one.
std::optional<FlvFile> ReadFlv(const QByteArray &bytes);

} // namespace swf
