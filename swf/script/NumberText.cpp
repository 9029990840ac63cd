#include "NumberText.h"

#include <cmath>

namespace swf {

namespace {

// Whole parts longer than the 15 significant digits print in exponent notation.
constexpr int MaxPlainDigits = 15;

} // namespace

// A number as scripts print it: up to 15 significant digits, in plain
// notation from 1e-6 to below 1e15 and in exponent notation beyond.
QString NumberToString(double d)
{
    if (std::isnan(d))
        return QStringLiteral("NaN");
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (d == 0)
        return QStringLiteral("0");
    // "-d.dddddddddddddde+XX": the digits and the decimal exponent.
    const QString scientific = QString::number(std::fabs(d), 'e', 14);
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
    else if (-6 < n && n <= 0)
        text = QStringLiteral("0.") + QString(-n, u'0') + digits;
    else
        text = digits.left(1) + (k > 1 ? u'.' + digits.mid(1) : QString()) + u'e' + (n - 1 >= 0 ? u'+' : u'-') +
               QString::number(std::abs(n - 1));
    return d < 0 ? u'-' + text : text;
}

} // namespace swf
