#pragma once
// Trace lines as bytes, the way the reference player writes them, so the
// render tool and the trace tests compare the same thing.
#include <QByteArray>
#include <QString>

namespace swf {

inline void AppendUtf8(QByteArray &out, char32_t c)
{
    constexpr char32_t LastOneByte = 0x7F, LastTwoBytes = 0x7FF, LastThreeBytes = 0xFFFF;
    constexpr int SixBits = 0x3F;
    const auto tail = [&out](char32_t bits) { out.append(char(0x80 | (bits & SixBits))); };
    if (c <= LastOneByte) {
        out.append(char(c));
    } else if (c <= LastTwoBytes) {
        out.append(char(0xC0 | (c >> 6)));
        tail(c);
    } else if (c <= LastThreeBytes) {
        out.append(char(0xE0 | (c >> 12)));
        tail(c >> 6);
        tail(c);
    } else {
        out.append(char(0xF0 | (c >> 18)));
        tail(c >> 12);
        tail(c >> 6);
        tail(c);
    }
}

// A trace line as the reference player writes it: UTF-8, where a surrogate
// that pairs with none is written as a code point of its own rather than
// replaced. Its lines end at a NUL character, as C strings do.
inline QByteArray TraceBytes(const QString &line)
{
    QByteArray out;
    for (qsizetype i = 0; i < line.size() && !line.at(i).isNull(); ++i) {
        const QChar c = line.at(i);
        if (c.isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(c, line.at(i + 1)));
            ++i;
        } else {
            AppendUtf8(out, c.unicode());
        }
    }
    return out;
}

} // namespace swf
