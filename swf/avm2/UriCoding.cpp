#include "swf/avm2/UriCoding.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace swf::avm2 {

namespace {

// The characters each function leaves as they are, besides letters and digits.
constexpr char kUriReserved[] = ";/?:@&=+$,";
constexpr char kUriMarks[] = "-_.!~*'()";
constexpr char kFragmentMark[] = "#";
constexpr char kEscapeKept[] = "@-_.*+/";

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kHexRadix = 16;
constexpr int kHexLetterValue = 10;
constexpr int kBitsPerHexDigit = 4;
constexpr uint32_t kHexDigitMask = 0xF;
constexpr char16_t kEscapeLimit = 0x100;
constexpr int kEscapeUnicodeDigits = 4;
constexpr int kByteDigits = 2;
constexpr int kEscapeLength = 1 + kByteDigits; // "%XX"

constexpr uint8_t kAsciiLimit = 0x80;
constexpr uint8_t kContinuationMask = 0xC0;
constexpr uint8_t kContinuationTag = 0x80;
constexpr uint8_t kContinuationBits = 0x3F;
// A lead byte's payload: the bits below its run of ones and the zero after it.
constexpr uint32_t kLeadPayloadMask = 0x7F;
constexpr int kContinuationShift = 6;
constexpr int kMaxSequenceLength = 4;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
// The smallest code point each sequence length may carry; smaller is overlong.
constexpr uint32_t kMinCodePoint[kMaxSequenceLength + 1] = {0, 0, 0x80, 0x800, 0x10000};
// Lead byte tags for 2, 3 and 4 byte sequences.
constexpr uint8_t kLeadTag[kMaxSequenceLength + 1] = {0, 0, 0xC0, 0xE0, 0xF0};
constexpr uint32_t kTwoByteLimit = 0x800;
constexpr uint32_t kThreeByteLimit = 0x10000;

bool isAsciiAlphanumeric(char16_t u)
{
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

bool inSet(char16_t u, const char *set)
{
    return u > 0 && u < kAsciiLimit && std::strchr(set, static_cast<char>(u)) != nullptr;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + kHexLetterValue;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + kHexLetterValue;
    return -1;
}

// The value of count hex digits at s[at], if all are there.
std::optional<uint32_t> hexNumber(const QString &s, qsizetype at, int count)
{
    if (at + count > s.size())
        return std::nullopt;
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        const int digit = hexValue(s[at + i]);
        if (digit < 0)
            return std::nullopt;
        value = value * kHexRadix + static_cast<uint32_t>(digit);
    }
    return value;
}

void appendHex(QString &out, uint32_t value, int digits)
{
    for (int shift = (digits - 1) * kBitsPerHexDigit; shift >= 0; shift -= kBitsPerHexDigit)
        out += QLatin1Char(kHexDigits[(value >> shift) & kHexDigitMask]);
}

void appendPercentByte(QString &out, uint32_t byte)
{
    out += QLatin1Char('%');
    appendHex(out, byte, kByteDigits);
}

void appendUtf8(QString &out, uint32_t codePoint)
{
    if (codePoint < kAsciiLimit) {
        appendPercentByte(out, codePoint);
        return;
    }
    const int length = codePoint < kTwoByteLimit ? 2 : codePoint < kThreeByteLimit ? 3 : kMaxSequenceLength;
    const int leadShift = (length - 1) * kContinuationShift;
    appendPercentByte(out, kLeadTag[length] | (codePoint >> leadShift));
    for (int shift = leadShift - kContinuationShift; shift >= 0; shift -= kContinuationShift)
        appendPercentByte(out, kContinuationTag | ((codePoint >> shift) & kContinuationBits));
}

QString failed(bool *ok)
{
    if (ok)
        *ok = false;
    return {};
}

QString encode(const QString &s, bool keepReserved, bool *ok)
{
    if (ok)
        *ok = true;
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const char16_t u = c.unicode();
        if (isAsciiAlphanumeric(u) || inSet(u, kUriMarks)
            || (keepReserved && (inSet(u, kUriReserved) || inSet(u, kFragmentMark)))) {
            out += c;
            continue;
        }
        if (c.isLowSurrogate())
            return failed(ok);
        uint32_t codePoint = u;
        if (c.isHighSurrogate()) {
            if (i + 1 >= s.size() || !s[i + 1].isLowSurrogate())
                return failed(ok);
            codePoint = QChar::surrogateToUcs4(c, s[++i]);
        }
        appendUtf8(out, codePoint);
    }
    return out;
}

// One %XX byte at s[at]; nothing when the escape is malformed.
std::optional<uint32_t> escapedByte(const QString &s, qsizetype at)
{
    if (at >= s.size() || s[at] != QLatin1Char('%'))
        return std::nullopt;
    return hexNumber(s, at + 1, kByteDigits);
}

int sequenceLength(uint32_t lead)
{
    int length = 0;
    while (length <= kMaxSequenceLength && (lead & (kContinuationTag >> length)))
        ++length;
    return length;
}

// Decodes the UTF-8 sequence whose lead byte is at s[at]; moves at past it.
std::optional<uint32_t> decodeSequence(const QString &s, qsizetype &at, uint32_t lead)
{
    const int length = sequenceLength(lead);
    if (length < 2 || length > kMaxSequenceLength)
        return std::nullopt;
    uint32_t codePoint = lead & (kLeadPayloadMask >> length);
    at += kEscapeLength;
    for (int i = 1; i < length; ++i, at += kEscapeLength) {
        const auto byte = escapedByte(s, at);
        if (!byte || (*byte & kContinuationMask) != kContinuationTag)
            return std::nullopt;
        codePoint = (codePoint << kContinuationShift) | (*byte & kContinuationBits);
    }
    if (codePoint < kMinCodePoint[length] || codePoint > kMaxCodePoint
        || QChar::isSurrogate(codePoint))
        return std::nullopt;
    return codePoint;
}

QString decode(const QString &s, bool keepReserved, bool *ok)
{
    if (ok)
        *ok = true;
    QString out;
    qsizetype i = 0;
    while (i < s.size()) {
        if (s[i] != QLatin1Char('%')) {
            out += s[i++];
            continue;
        }
        const auto byte = escapedByte(s, i);
        if (!byte)
            return failed(ok);
        if (*byte < kAsciiLimit) {
            const auto u = static_cast<char16_t>(*byte);
            const bool keep = keepReserved && (inSet(u, kUriReserved) || inSet(u, kFragmentMark));
            out += keep ? s.mid(i, kEscapeLength) : QString(QChar(u));
            i += kEscapeLength;
            continue;
        }
        const auto codePoint = decodeSequence(s, i, *byte);
        if (!codePoint)
            return failed(ok);
        const char32_t ucs4 = *codePoint;
        out += QString::fromUcs4(&ucs4, 1);
    }
    return out;
}

} // namespace

QString Escape(const QString &s)
{
    QString out;
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (isAsciiAlphanumeric(u) || inSet(u, kEscapeKept)) {
            out += c;
        } else if (u < kEscapeLimit) {
            appendPercentByte(out, u);
        } else {
            out += QStringLiteral("%u");
            appendHex(out, u, kEscapeUnicodeDigits);
        }
    }
    return out;
}

QString Unescape(const QString &s)
{
    QString out;
    qsizetype i = 0;
    while (i < s.size()) {
        if (s[i] == QLatin1Char('%')) {
            const bool wide = i + 1 < s.size() && s[i + 1] == QLatin1Char('u');
            const int digits = wide ? kEscapeUnicodeDigits : kByteDigits;
            const qsizetype start = i + (wide ? 2 : 1);
            if (const auto value = hexNumber(s, start, digits)) {
                out += QChar(static_cast<char16_t>(*value));
                i = start + digits;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

QString EncodeUri(const QString &s, bool *ok)
{
    return encode(s, true, ok);
}

QString EncodeUriComponent(const QString &s, bool *ok)
{
    return encode(s, false, ok);
}

QString DecodeUri(const QString &s, bool *ok)
{
    return decode(s, true, ok);
}

QString DecodeUriComponent(const QString &s, bool *ok)
{
    return decode(s, false, ok);
}

} // namespace swf::avm2
