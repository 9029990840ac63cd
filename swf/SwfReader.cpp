#include "SwfReader.h"

#include <algorithm>
#include <cstring>

namespace swf {

namespace {
int clampChannel(int value) { return std::clamp(value, 0, 255); }

constexpr int FirstVersionWithUtf8Text = 6;

// The bytes a UTF-8 sequence starting with lead takes, or 0 for a byte
// that cannot start one.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the text's leading well-formed UTF-8: the reference player
// ends a string at its first malformed sequence.
int wellFormedLength(const char *text, int length)
{
    int at = 0;
    while (at < length) {
        const int n = sequenceLength(static_cast<unsigned char>(text[at]));
        if (n == 0 || at + n > length)
            break;
        for (int i = 1; i < n; ++i)
            if (!isContinuation(static_cast<unsigned char>(text[at + i])))
                return at;
        at += n;
    }
    return at;
}
} // namespace

QColor ColorTransform::apply(const QColor &c) const
{
    return QColor(clampChannel(c.red() * redMult / 256 + redAdd), clampChannel(c.green() * greenMult / 256 + greenAdd),
                  clampChannel(c.blue() * blueMult / 256 + blueAdd),
                  clampChannel(c.alpha() * alphaMult / 256 + alphaAdd));
}

QRgb ColorTransform::applyPremultiplied(QRgb pixel) const
{
    const QColor straight = QColor::fromRgba(qUnpremultiply(pixel));
    return qPremultiply(apply(straight).rgba());
}

ColorTransform ColorTransform::after(const ColorTransform &inner) const
{
    ColorTransform r;
    r.redMult = redMult * inner.redMult / 256;
    r.greenMult = greenMult * inner.greenMult / 256;
    r.blueMult = blueMult * inner.blueMult / 256;
    r.alphaMult = alphaMult * inner.alphaMult / 256;
    r.redAdd = inner.redAdd * redMult / 256 + redAdd;
    r.greenAdd = inner.greenAdd * greenMult / 256 + greenAdd;
    r.blueAdd = inner.blueAdd * blueMult / 256 + blueAdd;
    r.alphaAdd = inner.alphaAdd * alphaMult / 256 + alphaAdd;
    return r;
}

bool operator==(const ColorTransform &a, const ColorTransform &b)
{
    return a.redMult == b.redMult && a.greenMult == b.greenMult && a.blueMult == b.blueMult &&
           a.alphaMult == b.alphaMult && a.redAdd == b.redAdd && a.greenAdd == b.greenAdd &&
           a.blueAdd == b.blueAdd && a.alphaAdd == b.alphaAdd;
}

bool SwfReader::have(int count)
{
    if (count < 0 || m_pos + qint64(count) > m_size) {
        m_overrun = true;
        m_pos = m_size;
        return false;
    }
    return true;
}

void SwfReader::seek(int position)
{
    m_bitCount = 0;
    m_pos = std::clamp(position, 0, m_size);
}

void SwfReader::skip(int bytes)
{
    m_bitCount = 0;
    if (have(bytes))
        m_pos += bytes;
}

SwfReader SwfReader::sub(int bytes)
{
    m_bitCount = 0;
    const int count = std::clamp(bytes, 0, remaining());
    if (count < bytes)
        m_overrun = true;
    SwfReader reader(reinterpret_cast<const char *>(m_data) + m_pos, count);
    m_pos += count;
    return reader;
}

QByteArray SwfReader::bytes(int count)
{
    m_bitCount = 0;
    const int available = std::clamp(count, 0, remaining());
    if (available < count)
        m_overrun = true;
    QByteArray out(reinterpret_cast<const char *>(m_data) + m_pos, available);
    m_pos += available;
    return out;
}

QByteArray SwfReader::rest()
{
    return bytes(remaining());
}

uint8_t SwfReader::u8()
{
    m_bitCount = 0;
    return have(1) ? m_data[m_pos++] : 0;
}

uint16_t SwfReader::u16()
{
    m_bitCount = 0;
    if (!have(2))
        return 0;
    const uint16_t v = uint16_t(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

uint32_t SwfReader::u32()
{
    m_bitCount = 0;
    if (!have(4))
        return 0;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | m_data[m_pos + i];
    m_pos += 4;
    return v;
}

double SwfReader::fixed8()
{
    return int16_t(u16()) / 256.0;
}

double SwfReader::fixed16()
{
    return int32_t(u32()) / 65536.0;
}

float SwfReader::f32()
{
    const uint32_t bits = u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double SwfReader::f64swapped()
{
    const uint64_t high = u32();
    const uint64_t low = u32();
    const uint64_t bits = (high << 32) | low;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString SwfReader::string(int version)
{
    m_bitCount = 0;
    const int start = m_pos;
    while (m_pos < m_size && m_data[m_pos] != 0)
        ++m_pos;
    const char *text = reinterpret_cast<const char *>(m_data) + start;
    const int length = m_pos - start;
    if (m_pos < m_size)
        ++m_pos; // the NUL
    else
        m_overrun = true;
    return version >= FirstVersionWithUtf8Text ? QString::fromUtf8(text, wellFormedLength(text, length))
                                                : QString::fromLatin1(text, length);
}

uint32_t SwfReader::ub(int bits)
{
    uint32_t value = 0;
    for (int i = 0; i < bits; ++i) {
        if (m_bitCount == 0) {
            if (!have(1))
                return 0;
            m_bitBuffer = m_data[m_pos++];
            m_bitCount = 8;
        }
        --m_bitCount;
        value = (value << 1) | ((m_bitBuffer >> m_bitCount) & 1u);
    }
    return value;
}

int32_t SwfReader::sb(int bits)
{
    if (bits <= 0)
        return 0;
    const uint32_t raw = ub(bits);
    if (bits < 32 && (raw & (1u << (bits - 1))))
        return int32_t(raw | ~((1u << bits) - 1));
    return int32_t(raw);
}

QRectF SwfReader::rect()
{
    align();
    const int bits = int(ub(5));
    const int xMin = sb(bits), xMax = sb(bits), yMin = sb(bits), yMax = sb(bits);
    align();
    return QRectF(QPointF(xMin, yMin), QPointF(xMax, yMax));
}

QTransform SwfReader::matrix()
{
    align();
    double scaleX = 1, scaleY = 1, rotate0 = 0, rotate1 = 0;
    if (ub(1)) {
        const int bits = int(ub(5));
        scaleX = fb(bits);
        scaleY = fb(bits);
    }
    if (ub(1)) {
        const int bits = int(ub(5));
        rotate0 = fb(bits);
        rotate1 = fb(bits);
    }
    const int bits = int(ub(5));
    const int translateX = sb(bits);
    const int translateY = sb(bits);
    align();
    return QTransform(scaleX, rotate0, rotate1, scaleY, translateX, translateY);
}

QColor SwfReader::rgb()
{
    const int r = u8(), g = u8(), b = u8();
    return QColor(r, g, b);
}

QColor SwfReader::rgba()
{
    const int r = u8(), g = u8(), b = u8(), a = u8();
    return QColor(r, g, b, a);
}

ColorTransform SwfReader::cxform(bool withAlpha)
{
    align();
    ColorTransform cx;
    const bool hasAdd = ub(1);
    const bool hasMult = ub(1);
    const int bits = int(ub(4));
    if (hasMult) {
        cx.redMult = sb(bits);
        cx.greenMult = sb(bits);
        cx.blueMult = sb(bits);
        if (withAlpha)
            cx.alphaMult = sb(bits);
    }
    if (hasAdd) {
        cx.redAdd = sb(bits);
        cx.greenAdd = sb(bits);
        cx.blueAdd = sb(bits);
        if (withAlpha)
            cx.alphaAdd = sb(bits);
    }
    align();
    return cx;
}

} // namespace swf
