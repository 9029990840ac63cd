#pragma once

#include <QByteArray>

namespace swf {

// Inflates zlib data, stopping at maxSize bytes; a truncated or damaged
// stream yields what could be decoded.
QByteArray InflateZlib(const QByteArray &data, int maxSize);

// Decodes raw LZMA1 data with its 5 property bytes, stopping at maxSize bytes.
QByteArray DecodeLzma(const QByteArray &properties, const QByteArray &data, int maxSize);

} // namespace swf
