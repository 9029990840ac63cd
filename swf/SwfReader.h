#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTransform>

#include <cstdint>

namespace swf {

// A colour transform: multiply terms first (256 means 1.0), then add; every
// channel is clamped to 0..255.
struct ColorTransform {
    int redMult = 256, greenMult = 256, blueMult = 256, alphaMult = 256;
    int redAdd = 0, greenAdd = 0, blueAdd = 0, alphaAdd = 0;

    bool isIdentity() const
    {
        return redMult == 256 && greenMult == 256 && blueMult == 256 && alphaMult == 256 && redAdd == 0 &&
               greenAdd == 0 && blueAdd == 0 && alphaAdd == 0;
    }
    QColor apply(const QColor &colour) const;
    QRgb applyPremultiplied(QRgb pixel) const;
    // this applied after inner.
    ColorTransform after(const ColorTransform &inner) const;
    friend bool operator==(const ColorTransform &a, const ColorTransform &b);
};

// Reads SWF's little-endian fields and bit-packed records. Every read is
// bounds-checked: past the end it yields zeros and marks the reader as
// overrun, so a truncated record decodes to harmless values.
class SwfReader {
public:
    SwfReader() = default;
    SwfReader(const char *data, int size) : m_data(reinterpret_cast<const uint8_t *>(data)), m_size(size) {}
    explicit SwfReader(const QByteArray &bytes) : SwfReader(bytes.constData(), int(bytes.size())) {}

    int position() const { return m_pos; }
    int size() const { return m_size; }
    int remaining() const { return m_size > m_pos ? m_size - m_pos : 0; }
    bool atEnd() const { return m_pos >= m_size; }
    bool overrun() const { return m_overrun; }
    void seek(int position);
    void skip(int bytes);
    // A reader over the next `bytes` bytes (fewer when the data ends first).
    SwfReader sub(int bytes);
    QByteArray bytes(int count);
    QByteArray rest();

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int16_t s16() { return int16_t(u16()); }
    double fixed8();  // 8.8
    double fixed16(); // 16.16
    float f32();
    double f64swapped(); // ActionScript doubles: the two 32-bit halves swapped
    QString string(int version); // NUL-terminated; UTF-8 from version 6, Latin-1 before

    void align() { m_bitCount = 0; }
    uint32_t ub(int bits);
    int32_t sb(int bits);
    double fb(int bits) { return sb(bits) / 65536.0; }

    QRectF rect(); // in twips
    QTransform matrix();
    QColor rgb();
    QColor rgba();
    ColorTransform cxform(bool withAlpha);

private:
    bool have(int count);

    const uint8_t *m_data = nullptr;
    int m_size = 0;
    int m_pos = 0;
    bool m_overrun = false;
    uint8_t m_bitBuffer = 0;
    int m_bitCount = 0;
};

} // namespace swf
