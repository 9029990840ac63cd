#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// Writes 8-bit palette Windows bitmaps, plain or RLE8-compressed, for tests
// that feed the program bitmap files of the kind skins carry.
namespace BmpWriter {

struct Bitmap {
    int width = 0;
    int height = 0;
    QVector<QRgb> palette;        // up to 256 colours
    QVector<quint8> pixels;       // width * height indices, top row first
};

inline void put16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

inline void put32(QByteArray &out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

inline QByteArray encode(const Bitmap &bitmap, bool rle8)
{
    QByteArray data;
    for (int row = bitmap.height - 1; row >= 0; --row) { // bottom-up
        const quint8 *line = bitmap.pixels.constData() + row * bitmap.width;
        if (rle8) {
            int x = 0;
            while (x < bitmap.width) {
                int run = 1;
                while (x + run < bitmap.width && run < 255 && line[x + run] == line[x])
                    ++run;
                data.append(char(run));
                data.append(char(line[x]));
                x += run;
            }
            data.append('\0');
            data.append('\0'); // end of line
        } else {
            for (int x = 0; x < bitmap.width; ++x)
                data.append(char(line[x]));
            while (data.size() % 4)
                data.append('\0');
        }
    }
    if (rle8) {
        data.append('\0');
        data.append('\1'); // end of bitmap
    }

    const quint32 paletteBytes = 256 * 4;
    const quint32 offset = 14 + 40 + paletteBytes;
    QByteArray out("BM");
    put32(out, offset + data.size());
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, quint32(bitmap.width));
    put32(out, quint32(bitmap.height));
    put16(out, 1);
    put16(out, 8);
    put32(out, rle8 ? 1 : 0);
    put32(out, quint32(data.size()));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 256);
    put32(out, 0);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < bitmap.palette.size() ? bitmap.palette[i] : 0;
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append('\0');
    }
    out.append(data);
    return out;
}

// A bitmap of the given size whose rows alternate between two colours in
// horizontal bands, so decoding errors show.
inline Bitmap banded(int width, int height, QRgb first, QRgb second)
{
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.palette = {first, second};
    bitmap.pixels.resize(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.pixels[y * width + x] = quint8(((x / 3) + y) % 2);
    return bitmap;
}

} // namespace BmpWriter
