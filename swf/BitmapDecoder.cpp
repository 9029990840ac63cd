#include "BitmapDecoder.h"

#include "swf/Decompress.h"
#include "swf/Definitions.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace swf {

namespace {

bool sizeAllowed(int width, int height)
{
    return width > 0 && height > 0 && width <= MaxBitmapSide && height <= MaxBitmapSide &&
           qint64(width) * height <= MaxBitmapPixels;
}

// Some encoders put an end-of-image, start-of-image pair before the frame
// header; decoders stop at it, so it goes.
void removeStrayImageBreak(QByteArray &jpeg)
{
    const int brk = int(jpeg.indexOf(QByteArray("\xFF\xD9\xFF\xD8", 4)));
    if (brk < 0)
        return;
    int frame = int(jpeg.indexOf(QByteArray("\xFF\xC0", 2)));
    if (frame < 0)
        frame = int(jpeg.indexOf(QByteArray("\xFF\xC2", 2)));
    if (frame < 0 || brk < frame)
        jpeg.remove(brk, 4);
}

} // namespace

QImage DecodeJpegBitmap(QByteArray data, const QByteArray &tables, const QByteArray &zlibAlpha)
{
    const bool isJpeg = data.startsWith("\xFF\xD8") || data.startsWith("\xFF\xD9");
    if (isJpeg) {
        if (!tables.isEmpty())
            data.prepend(tables);
        // A leading empty image (FF D9 FF D8) that some files start with.
        if (data.startsWith("\xFF\xD9\xFF\xD8"))
            data.remove(0, 4);
        removeStrayImageBreak(data);
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && !sizeAllowed(size.width(), size.height()))
        return QImage();
    QImage image = reader.read();
    if (image.isNull() || !sizeAllowed(image.width(), image.height()))
        return QImage();
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    if (!zlibAlpha.isEmpty()) {
        const int pixels = image.width() * image.height();
        const QByteArray alpha = InflateZlib(zlibAlpha, pixels);
        for (int y = 0; y < image.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int index = y * image.width() + x;
                const int a = index < alpha.size() ? uint8_t(alpha[index]) : 255;
                // The colour data is premultiplied already (encoders store it so); it
                // only needs clamping to alpha, never multiplying again.
                row[x] = qRgba(std::min(qRed(row[x]), a), std::min(qGreen(row[x]), a), std::min(qBlue(row[x]), a), a);
            }
        }
    }
    return image;
}

QImage DecodeLosslessBitmap(int format, int width, int height, int colorTableSize, const QByteArray &zlibData,
                            int losslessVersion)
{
    if (!sizeAllowed(width, height))
        return QImage();
    const bool withAlpha = losslessVersion == 2;
    int paletteBytes = 0;
    int rowBytes = 0;
    if (format == 3) {
        paletteBytes = colorTableSize * (withAlpha ? 4 : 3);
        rowBytes = (width + 3) & ~3;
    } else if (format == 4) {
        rowBytes = ((width + 1) & ~1) * 2;
    } else if (format == 5) {
        rowBytes = width * 4;
    } else {
        return QImage();
    }
    const qint64 needed = paletteBytes + qint64(rowBytes) * height;
    const QByteArray data = InflateZlib(zlibData, int(std::min<qint64>(needed, MaxUncompressedSize)));
    const auto byte = [&data](qint64 i) { return i < data.size() ? int(uint8_t(data[i])) : 0; };

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    std::vector<QRgb> palette(size_t(colorTableSize), qRgba(0, 0, 0, 0));
    for (int i = 0; i < colorTableSize; ++i) {
        const qint64 at = qint64(i) * (withAlpha ? 4 : 3);
        const int a = withAlpha ? byte(at + 3) : 255;
        // Lossless2 palettes are premultiplied already.
        palette[size_t(i)] = qRgba(std::min(byte(at), a), std::min(byte(at + 1), a), std::min(byte(at + 2), a), a);
    }
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        const qint64 base = paletteBytes + qint64(rowBytes) * y;
        for (int x = 0; x < width; ++x) {
            if (format == 3) {
                const int index = byte(base + x);
                row[x] = index < colorTableSize ? palette[size_t(index)] : qRgba(0, 0, 0, 0);
            } else if (format == 4) {
                const int v = (byte(base + 2 * x) << 8) | byte(base + 2 * x + 1);
                row[x] = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
            } else {
                const qint64 at = base + 4 * qint64(x);
                const int a = withAlpha ? byte(at) : 255;
                row[x] = qRgba(std::min(byte(at + 1), a), std::min(byte(at + 2), a), std::min(byte(at + 3), a), a);
            }
        }
    }
    return image;
}

} // namespace swf
