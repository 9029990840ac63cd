#include "swf/avm2/NumberConversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

namespace swf::avm2 {

namespace {

constexpr int kDecimalRadix = 10;
constexpr int kMinRadix = 2;
constexpr int kMaxRadix = 36;
constexpr int kHexRadix = 16;
constexpr int kMaxFractionDigits = 20;
constexpr int kMinPrecision = 1;
constexpr int kMaxPrecision = 21;
// Beyond this many significant digits toFixed prints zeros, as the player does.
constexpr int kMaxFixedSignificantDigits = 17;
// A double's exact decimal expansion never needs more significant digits.
constexpr int kExactDigits = 770;
constexpr double kFixedNotationLimit = 1e21;
// ES3 9.8.1: plain notation for decimal points at -6 < n <= 21.
constexpr int kMaxPlainPoint = 21;
constexpr int kMinPlainPoint = -6;
// toPrecision switches to exponential form below this exponent.
constexpr int kMinPrecisionExponent = -6;
// The player prints a zero's exponent in toExponential as -16.
constexpr int kZeroExponentialExponent = -16;
constexpr double kTwoTo32 = 4294967296.0;
constexpr int kDoubleMantissaBits = 53;
constexpr int kLimbBits = 32;
// Caps a binary exponent far past the double range, so sums cannot overflow.
constexpr int64_t kExponentCap = 4096;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

const QString kNaNText = QStringLiteral("NaN");
const QString kInfinityText = QStringLiteral("Infinity");
const QString kNegativeInfinityText = QStringLiteral("-Infinity");

// A positive decimal value 0.d1d2d3... * 10^point; digits has no leading zero.
// An empty digit string is zero.
struct Decimal {
    std::string digits;
    int point = 0;
};

// Splits to_chars' scientific output "d.ddde+XX" into digits and point.
Decimal parseScientific(const char *begin, const char *end)
{
    Decimal d;
    const char *p = begin;
    for (; p != end && *p != 'e'; ++p) {
        if (*p != '.')
            d.digits.push_back(*p);
    }
    int exponent = 0;
    if (p != end)
        std::from_chars(p[1] == '+' ? p + 2 : p + 1, end, exponent);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    d.point = exponent + 1;
    return d;
}

// The shortest digits that read back as a (positive, finite).
Decimal shortestDecimal(double a)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
    return parseScientific(buf, r.ptr);
}

// Every digit of a's exact binary value (positive, finite).
Decimal exactDecimal(double a)
{
    std::vector<char> buf(kExactDigits + 16);
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), a,
                                 std::chars_format::scientific, kExactDigits);
    return parseScientific(buf.data(), r.ptr);
}

// Rounds half up to keep significant digits; keep <= 0 rounds at or above
// the first digit. The result may gain a digit in front (9.99 -> 10.0).
Decimal roundDecimal(Decimal d, int keep)
{
    if (keep < 0 || d.digits.empty())
        return Decimal{{}, d.point};
    if (static_cast<size_t>(keep) >= d.digits.size())
        return d;
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (!up)
        return d;
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9')
        d.digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
        ++d.digits[static_cast<size_t>(i)];
    } else {
        d.digits.insert(d.digits.begin(), '1');
        ++d.point;
    }
    return d;
}

// The digit at a decimal position (0 = first after the leading point).
char digitAt(const Decimal &d, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= d.digits.size())
        return '0';
    return d.digits[static_cast<size_t>(index)];
}

QString repeatedZeros(int count)
{
    return QString(std::max(count, 0), QLatin1Char('0'));
}

QString exponentSuffix(int exponent)
{
    return (exponent < 0 ? QStringLiteral("e-") : QStringLiteral("e+")) + QString::number(std::abs(exponent));
}

// d in plain notation with exactly fractionDigits after the point.
QString plainText(const Decimal &d, int fractionDigits)
{
    QString text;
    if (d.point <= 0 || d.digits.empty()) {
        text = QStringLiteral("0");
    } else {
        for (int i = 0; i < d.point; ++i)
            text += QLatin1Char(digitAt(d, i));
    }
    if (fractionDigits > 0) {
        text += QLatin1Char('.');
        for (int i = 0; i < fractionDigits; ++i)
            text += QLatin1Char(digitAt(d, d.point + i));
    }
    return text;
}

// d as "d.ddde+x" with exactly fractionDigits after the point.
QString exponentialText(const Decimal &d, int fractionDigits)
{
    QString text(QLatin1Char(digitAt(d, 0)));
    if (fractionDigits > 0) {
        text += QLatin1Char('.');
        for (int i = 1; i <= fractionDigits; ++i)
            text += QLatin1Char(digitAt(d, i));
    }
    return text + exponentSuffix(d.point - 1);
}

// NaN and the infinities print by name in every format; empty otherwise.
QString nonFiniteText(double v)
{
    if (std::isnan(v))
        return kNaNText;
    if (std::isinf(v))
        return v < 0 ? kNegativeInfinityText : kInfinityText;
    return {};
}

QString signPrefix(double v)
{
    return v < 0 ? QStringLiteral("-") : QString();
}

// ES3 9.8.1 steps 6-10 for the shortest digits of a positive value.
QString shortestText(const Decimal &d)
{
    const int k = static_cast<int>(d.digits.size());
    const int n = d.point;
    const QString digits = QString::fromLatin1(d.digits.data(), k);
    if (k <= n && n <= kMaxPlainPoint)
        return digits + repeatedZeros(n - k);
    if (0 < n && n <= kMaxPlainPoint)
        return digits.left(n) + QLatin1Char('.') + digits.mid(n);
    if (kMinPlainPoint < n && n <= 0)
        return QStringLiteral("0.") + repeatedZeros(-n) + digits;
    return exponentialText(d, k - 1);
}

// An unsigned integer of any size, for exact radix printing.
class BigUnsigned {
public:
    explicit BigUnsigned(uint64_t value)
        : m_limbs{static_cast<uint32_t>(value), static_cast<uint32_t>(value >> kLimbBits)}
    {
        trim();
    }

    void shiftLeft(int bits)
    {
        const int whole = bits / kLimbBits;
        const int part = bits % kLimbBits;
        if (part > 0) {
            uint32_t carry = 0;
            for (uint32_t &limb : m_limbs) {
                const uint32_t next = limb >> (kLimbBits - part);
                limb = (limb << part) | carry;
                carry = next;
            }
            if (carry)
                m_limbs.push_back(carry);
        }
        m_limbs.insert(m_limbs.begin(), static_cast<size_t>(whole), 0u);
    }

    bool isZero() const { return m_limbs.empty(); }

    // Divides in place; returns the remainder.
    uint32_t divide(uint32_t divisor)
    {
        uint64_t remainder = 0;
        for (auto it = m_limbs.rbegin(); it != m_limbs.rend(); ++it) {
            const uint64_t current = (remainder << kLimbBits) | *it;
            *it = static_cast<uint32_t>(current / divisor);
            remainder = current % divisor;
        }
        trim();
        return static_cast<uint32_t>(remainder);
    }

private:
    void trim()
    {
        while (!m_limbs.empty() && m_limbs.back() == 0)
            m_limbs.pop_back();
    }

    std::vector<uint32_t> m_limbs;
};

// The digits of a positive integral double in a radix, exactly.
QString integerDigits(double integral, int radix)
{
    int exponent = 0;
    const double fraction = std::frexp(integral, &exponent);
    auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, kDoubleMantissaBits));
    int shift = exponent - kDoubleMantissaBits;
    if (shift < 0) {
        mantissa >>= -shift;
        shift = 0;
    }
    BigUnsigned value(mantissa);
    value.shiftLeft(shift);
    QString reversed;
    while (!value.isZero()) {
        const uint32_t digit = value.divide(static_cast<uint32_t>(radix));
        reversed += QLatin1Char("0123456789abcdefghijklmnopqrstuvwxyz"[digit]);
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

// ES3 white space and line terminators; ToNumber and the parsers skip them.
bool isScriptWhiteSpace(QChar c)
{
    switch (c.unicode()) {
    case 0x0009: case 0x000A: case 0x000B: case 0x000C: case 0x000D:
    case 0x0020: case 0x00A0: case 0x2028: case 0x2029:
        return true;
    default:
        return c.category() == QChar::Separator_Space;
    }
}

int skipWhiteSpace(const QString &s, int from)
{
    while (from < s.size() && isScriptWhiteSpace(s[from]))
        ++from;
    return from;
}

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'z')
        return u - 'a' + kDecimalRadix;
    if (u >= 'A' && u <= 'Z')
        return u - 'A' + kDecimalRadix;
    return kMaxRadix;
}

bool isDecimalDigit(const QString &s, int i)
{
    return i < s.size() && digitValue(s[i]) < kDecimalRadix;
}

int skipDecimalDigits(const QString &s, int i)
{
    while (isDecimalDigit(s, i))
        ++i;
    return i;
}

// The end of the longest unsigned decimal literal at from ("12", "1.5e3",
// ".5", "5."); from itself when there is none.
int scanDecimalLiteral(const QString &s, int from)
{
    int i = skipDecimalDigits(s, from);
    bool hasDigits = i > from;
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        const int fractionEnd = skipDecimalDigits(s, i + 1);
        hasDigits = hasDigits || fractionEnd > i + 1;
        i = fractionEnd;
    }
    if (!hasDigits)
        return from;
    if (i < s.size() && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int e = i + 1;
        if (e < s.size() && (s[e] == QLatin1Char('+') || s[e] == QLatin1Char('-')))
            ++e;
        if (isDecimalDigit(s, e))
            i = skipDecimalDigits(s, e);
    }
    return i;
}

// Whether the literal's value lies above 1, judged from its digits and
// exponent: decides overflow from underflow when the value is out of range.
bool literalAboveOne(const std::string &text)
{
    const size_t e = text.find_first_of("eE");
    const std::string mantissa = text.substr(0, e);
    const size_t dot = std::min(mantissa.find('.'), mantissa.size());
    const size_t firstNonZero = mantissa.find_first_not_of("0.");
    if (firstNonZero == std::string::npos)
        return false;
    int64_t magnitude = firstNonZero < dot ? static_cast<int64_t>(dot - firstNonZero)
                                           : -static_cast<int64_t>(firstNonZero - dot - 1);
    if (e != std::string::npos) {
        size_t i = e + 1;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            ++i;
        int64_t exponent = 0;
        for (; i < text.size(); ++i)
            exponent = std::min<int64_t>(exponent * kDecimalRadix + (text[i] - '0'), kExponentCap * kDecimalRadix);
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0;
}

// The value of the decimal literal s[from, to), correctly rounded.
double decimalValue(const QString &s, int from, int to)
{
    const std::string text = s.mid(from, to - from).toStdString();
    double value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        return literalAboveOne(text) ? kInfinity : 0.0;
    return value;
}

// Digits of a power-of-two radix, rounded to the nearest double as ES3
// requires: the first 64 significant bits kept, the rest only counted.
double powerOfTwoValue(const QString &s, int from, int to, int radix)
{
    int bitsPerDigit = 0;
    while ((1 << bitsPerDigit) < radix)
        ++bitsPerDigit;
    constexpr int kKeptBits = 64;
    uint64_t mantissa = 0;
    int mantissaBits = 0;
    int64_t extraBits = 0;
    bool sticky = false;
    for (int i = from; i < to; ++i) {
        const int digit = digitValue(s[i]);
        for (int b = bitsPerDigit - 1; b >= 0; --b) {
            const bool bit = (digit >> b) & 1;
            if (mantissaBits == 0 && !bit)
                continue;
            if (mantissaBits < kKeptBits) {
                mantissa = (mantissa << 1) | uint64_t(bit);
                ++mantissaBits;
            } else {
                extraBits = std::min(extraBits + 1, kExponentCap);
                sticky = sticky || bit;
            }
        }
    }
    if (mantissaBits <= kDoubleMantissaBits)
        return std::ldexp(static_cast<double>(mantissa), static_cast<int>(extraBits));
    const int drop = mantissaBits - kDoubleMantissaBits;
    uint64_t top = mantissa >> drop;
    const uint64_t rest = mantissa & ((uint64_t(1) << drop) - 1);
    const uint64_t half = uint64_t(1) << (drop - 1);
    if (rest > half || (rest == half && (sticky || (top & 1))))
        ++top;
    return std::ldexp(static_cast<double>(top), drop + static_cast<int>(extraBits));
}

// Other radices accumulate digit by digit, as the player does: decimal
// parseInt("123456789012345678") gives 123456789012345700.
double accumulatedValue(const QString &s, int from, int to, int radix)
{
    double value = 0;
    for (int i = from; i < to; ++i)
        value = value * radix + digitValue(s[i]);
    return value;
}

bool isPowerOfTwo(int radix)
{
    return (radix & (radix - 1)) == 0;
}

bool hasHexPrefix(const QString &s, int i)
{
    return i + 1 < s.size() && s[i] == QLatin1Char('0')
        && (s[i + 1] == QLatin1Char('x') || s[i + 1] == QLatin1Char('X'));
}

// Reads an optional sign at i; returns -1 or 1 and moves i past it.
double readSign(const QString &s, int &i)
{
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        return s[i++] == QLatin1Char('-') ? -1.0 : 1.0;
    return 1.0;
}

int skipRadixDigits(const QString &s, int i, int radix)
{
    while (i < s.size() && digitValue(s[i]) < radix)
        ++i;
    return i;
}

// The unsigned body of a string numeric literal, s[from, to); NaN if invalid.
double unsignedLiteralValue(const QString &s, int from, int to)
{
    if (from == to)
        return kNaN;
    if (QStringView(s).mid(from, to - from) == kInfinityText)
        return kInfinity;
    if (hasHexPrefix(s, from)) {
        const int digits = from + 2;
        if (digits == to || skipRadixDigits(s, digits, kHexRadix) != to)
            return kNaN;
        return powerOfTwoValue(s, digits, to, kHexRadix);
    }
    if (scanDecimalLiteral(s, from) != to)
        return kNaN;
    return decimalValue(s, from, to);
}

} // namespace

QString NumberToString(double v)
{
    const QString named = nonFiniteText(v);
    if (!named.isEmpty())
        return named;
    if (v == 0)
        return QStringLiteral("0");
    return signPrefix(v) + shortestText(shortestDecimal(std::fabs(v)));
}

QString NumberToStringRadix(double v, int radix)
{
    if (radix == kDecimalRadix || radix < kMinRadix || radix > kMaxRadix)
        return NumberToString(v);
    const QString named = nonFiniteText(v);
    if (!named.isEmpty())
        return named;
    const double integral = std::trunc(std::fabs(v));
    if (integral == 0)
        return QStringLiteral("0");
    return signPrefix(v) + integerDigits(integral, radix);
}

QString NumberToFixed(double v, int digits)
{
    if (std::isnan(v) || std::fabs(v) >= kFixedNotationLimit)
        return NumberToString(v);
    digits = std::clamp(digits, 0, kMaxFractionDigits);
    if (v == 0)
        return plainText(Decimal{}, digits);
    const Decimal exact = exactDecimal(std::fabs(v));
    const int keep = std::min(exact.point + digits, kMaxFixedSignificantDigits);
    return signPrefix(v) + plainText(roundDecimal(exact, keep), digits);
}

QString NumberToExponential(double v, int digits)
{
    const QString named = nonFiniteText(v);
    if (!named.isEmpty())
        return named;
    digits = std::min(digits, kMaxFractionDigits);
    if (v == 0) {
        if (digits < 0)
            return QStringLiteral("0e+0");
        return plainText(Decimal{}, digits) + exponentSuffix(kZeroExponentialExponent);
    }
    const double a = std::fabs(v);
    if (digits < 0) {
        const Decimal shortest = shortestDecimal(a);
        return signPrefix(v) + exponentialText(shortest, static_cast<int>(shortest.digits.size()) - 1);
    }
    return signPrefix(v) + exponentialText(roundDecimal(exactDecimal(a), digits + 1), digits);
}

QString NumberToPrecision(double v, int precision)
{
    const QString named = nonFiniteText(v);
    if (!named.isEmpty())
        return named;
    precision = std::clamp(precision, kMinPrecision, kMaxPrecision);
    // The player prints zero with precision digits after the point: "0.0000" for 4.
    if (v == 0)
        return plainText(Decimal{}, precision);
    const Decimal d = roundDecimal(exactDecimal(std::fabs(v)), precision);
    const int exponent = d.point - 1;
    if (exponent < kMinPrecisionExponent || exponent >= precision)
        return signPrefix(v) + exponentialText(d, precision - 1);
    return signPrefix(v) + plainText(d, precision - d.point);
}

double StringToNumber(const QString &s)
{
    int from = skipWhiteSpace(s, 0);
    int to = static_cast<int>(s.size());
    while (to > from && isScriptWhiteSpace(s[to - 1]))
        --to;
    if (from == to)
        return 0.0;
    const double sign = readSign(s, from);
    return sign * unsignedLiteralValue(s, from, to);
}

double ParseInt(const QString &s, int radix)
{
    int i = skipWhiteSpace(s, 0);
    const double sign = readSign(s, i);
    if (radix == 0) {
        radix = kDecimalRadix;
        if (hasHexPrefix(s, i)) {
            radix = kHexRadix;
            i += 2;
        }
    } else if (radix == kHexRadix && hasHexPrefix(s, i)) {
        i += 2;
    }
    if (radix < kMinRadix || radix > kMaxRadix)
        return kNaN;
    const int end = skipRadixDigits(s, i, radix);
    if (end == i)
        return kNaN;
    const double value = isPowerOfTwo(radix) ? powerOfTwoValue(s, i, end, radix)
                                              : accumulatedValue(s, i, end, radix);
    return sign * value;
}

double ParseFloat(const QString &s)
{
    int i = skipWhiteSpace(s, 0);
    const double sign = readSign(s, i);
    if (QStringView(s).mid(i).startsWith(kInfinityText))
        return sign * kInfinity;
    const int end = scanDecimalLiteral(s, i);
    if (end == i)
        return kNaN;
    return sign * decimalValue(s, i, end);
}

uint32_t ToUint32(double v)
{
    if (!std::isfinite(v))
        return 0;
    double m = std::fmod(std::trunc(v), kTwoTo32);
    if (m < 0)
        m += kTwoTo32;
    return static_cast<uint32_t>(m);
}

int32_t ToInt32(double v)
{
    const uint32_t u = ToUint32(v);
    if (u <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return static_cast<int32_t>(u);
    return static_cast<int32_t>(static_cast<int64_t>(u) - static_cast<int64_t>(kTwoTo32));
}

double ToInteger(double v)
{
    if (std::isnan(v))
        return 0.0;
    return std::trunc(v);
}

QString IntToString(int32_t v)
{
    return QString::number(v);
}

} // namespace swf::avm2
