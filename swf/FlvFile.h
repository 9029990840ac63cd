#pragma once

#include "swf/VideoDecoder.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace swf {

// What a NetStream plays from an FLV file: its video pictures with their
// times, and the data of its onMetaData script tag. Sound is not read.
struct FlvFile {
    int codec = 0;         // of the first video tag; pictures in another codec are left out
    QByteArray codecData;  // VP6's size adjustment
    std::vector<VideoPacket> video;
    std::vector<qint64> times; // milliseconds, one per picture
    QByteArray metaData;   // AMF 0: the value after the name onMetaData
    qint64 durationMs = 0; // of the last tag of any kind
};

// Reads an FLV file; nothing when it is not one.
std::optional<FlvFile> ReadFlv(const QByteArray &bytes);

} // namespace swf
