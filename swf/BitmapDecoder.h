#pragma once

#include <QByteArray>
#include <QImage>

namespace swf {

// JPEG (with the movie's shared tables for DefineBits), or the PNG or GIF
// that DefineBitsJPEG2 and 3 may carry; alpha, when given, is one zlib-packed
// byte per pixel. A null image when the data is unusable or too large.
QImage DecodeJpegBitmap(QByteArray data, const QByteArray &tables, const QByteArray &zlibAlpha);

// DefineBitsLossless (1) and DefineBitsLossless2 (2) pixel data.
QImage DecodeLosslessBitmap(int format, int width, int height, int colorTableSize, const QByteArray &zlibData,
                            int losslessVersion);

} // namespace swf
