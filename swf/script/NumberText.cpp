#include "NumberText.h"

#include <cmath>
#include <optional>

namespace swf {

namespace {

// Whole parts longer than the 15 significant digits print in exponent notation.
constexpr int MaxPlainDigits = 15;
// Enough significant digits to tell every double apart.
constexpr int ExactDigits = 17;
// Numbers below 1e-5 (the first digit further than this behind the point)
// print in exponent notation.
constexpr int MinPlainExponent = -5;

constexpr int FirstVersionReadingRadixPrefixes = 6;
constexpr int FirstVersionReadingEmptyAsNaN = 5;
constexpr int HexRadix = 16;
constexpr int OctalRadix = 8;

bool isSign(QChar c) { return c == u'-' || c == u'+'; }

// "0x", then an optional sign and hexadecimal digits.
std::optional<double> hexNumber(const QString &text)
{
    if (text.size() < 2 || text.at(0) != u'0' || text.at(1).toLower() != u'x')
        return std::nullopt;
    bool ok = false;
    const qlonglong n = QStringView(text).mid(2).toLongLong(&ok, HexRadix);
    return ok ? double(n) : std::nan("");
}

// An optional sign, a 0 and octal digits only.
std::optional<double> octalNumber(const QString &text)
{
    const int digitsAt = !text.isEmpty() && isSign(text.at(0)) ? 1 : 0;
    if (text.size() < digitsAt + 2 || text.at(digitsAt) != u'0')
        return std::nullopt;
    for (int i = digitsAt; i < text.size(); ++i)
        if (text.at(i) < u'0' || text.at(i) > u'7')
            return std::nullopt;
    bool ok = false;
    const qlonglong n = QStringView(text).toLongLong(&ok, OctalRadix);
    return ok ? std::optional<double>(double(n)) : std::nullopt;
}

// The length of the run of decimal digits at `at`.
int digitRun(const QString &text, int at)
{
    int i = at;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128)
        ++i;
    return i - at;
}

// The number rounded to 15 significant digits, "d.dddddddddddddde+XX".
// Digits that would read back past the largest number are cut instead, as
// the reference player prints Number.MAX_VALUE.
QString scientificDigits(double magnitude)
{
    const QString rounded = QString::number(magnitude, 'e', MaxPlainDigits - 1);
    bool ok = false;
    if (const double back = rounded.toDouble(&ok); ok && !std::isinf(back))
        return rounded;
    const QString exact = QString::number(magnitude, 'e', ExactDigits - 1);
    const int e = int(exact.indexOf(u'e'));
    return exact.left(MaxPlainDigits + 1) + exact.mid(e);
}

} // namespace

QString NumberToString(double d)
{
    if (std::isnan(d))
        return QStringLiteral("NaN");
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (d == 0)
        return QStringLiteral("0");
    // "-d.dddddddddddddde+XX": the digits and the decimal exponent.
    const QString scientific = scientificDigits(std::fabs(d));
    const int e = int(scientific.indexOf(u'e'));
    QString digits = scientific.left(e).remove(u'.');
    const int exponent = scientific.mid(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    const int k = int(digits.size());
    const int n = exponent + 1; // the decimal point sits after n digits
    QString text;
    if (k <= n && n <= MaxPlainDigits)
        text = digits + QString(n - k, u'0');
    else if (0 < n && n <= MaxPlainDigits)
        text = digits.left(n) + u'.' + digits.mid(n);
    else if (MinPlainExponent < n && n <= 0)
        text = QStringLiteral("0.") + QString(-n, u'0') + digits;
    else
        text = digits.left(1) + (k > 1 ? u'.' + digits.mid(1) : QString()) + u'e' + (n - 1 >= 0 ? u'+' : u'-') +
               QString::number(std::abs(n - 1));
    return d < 0 ? u'-' + text : text;
}

double TextToNumber(const QString &text, int version)
{
    if (version >= FirstVersionReadingRadixPrefixes) {
        if (const std::optional<double> hex = hexNumber(text))
            return *hex;
        if (const std::optional<double> octal = octalNumber(text))
            return *octal;
    }
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return version >= FirstVersionReadingEmptyAsNaN ? std::nan("") : 0;
    if (trimmed.startsWith(u'0') && trimmed.size() > 1 && trimmed.at(1).toLower() == u'x')
        return std::nan("");
    bool ok = false;
    const double d = trimmed.toDouble(&ok);
    return ok ? d : std::nan("");
}

double LeadingNumber(const QString &text)
{
    int at = 0;
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    const int start = at;
    if (at < text.size() && isSign(text.at(at)))
        ++at;
    const int whole = digitRun(text, at);
    at += whole;
    int fraction = 0;
    if (at < text.size() && text.at(at) == u'.') {
        fraction = digitRun(text, at + 1);
        at += 1 + fraction;
    }
    if (whole + fraction == 0)
        return std::nan("");
    if (at < text.size() && text.at(at).toLower() == u'e') {
        int exponentAt = at + 1;
        if (exponentAt < text.size() && isSign(text.at(exponentAt)))
            ++exponentAt;
        if (const int digits = digitRun(text, exponentAt); digits > 0)
            at = exponentAt + digits;
    }
    return QStringView(text).mid(start, at - start).toDouble();
}

} // namespace swf
