// The global functions: parseInt, parseFloat, isNaN, isFinite, escape,
// unescape, ASSetPropFlags, stopAllSounds, and the numbers NaN and Infinity.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

#include <QUrl>

namespace swf {

namespace {

int digitValue(QChar c)
{
    c = c.toLower();
    return c.isDigit() ? c.digitValue() : (c >= u'a' && c <= u'z') ? c.unicode() - 'a' + 10 : 99;
}

Value parseInt(NativeCall &call)
{
    QString s = call.string(0).trimmed();
    int radix = call.args.size() > 1 ? ClampedInt(call.number(1), -1, 37) : 0;
    bool negative = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = s.startsWith(u'-');
        s = s.mid(1);
    }
    if ((radix == 0 || radix == 16) && s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        s = s.mid(2);
        radix = 16;
    }
    if (radix == 0)
        radix = 10;
    if (radix < 2 || radix > 36)
        return std::nan("");
    int length = 0;
    while (length < s.size() && digitValue(s.at(length)) < radix)
        ++length;
    if (length == 0)
        return std::nan("");
    double value = 0;
    for (int i = 0; i < length; ++i)
        value = value * radix + digitValue(s.at(i));
    return negative ? -value : value;
}

Value parseFloat(NativeCall &call)
{
    const QString s = call.string(0).trimmed();
    // The longest prefix that reads as a number.
    for (int end = int(s.size()); end > 0; --end) {
        bool ok = false;
        const double d = s.left(end).toDouble(&ok);
        if (ok)
            return d;
    }
    return std::nan("");
}

Value isNaN(NativeCall &call) { return std::isnan(call.number(0)); }
Value isFinite(NativeCall &call) { return std::isfinite(call.number(0)); }
Value escape(NativeCall &call) { return QString::fromLatin1(QUrl::toPercentEncoding(call.string(0))); }
Value unescape(NativeCall &call) { return QUrl::fromPercentEncoding(call.string(0).toUtf8()); }
Value setPropFlags(NativeCall &) { return Undefined{}; }
Value stopAllSounds(NativeCall &call)
{
    call.player().stopSounds();
    return Undefined{};
}

} // namespace

const ClassDecl GlobalFunctions{
    nullptr,
    nullptr,
    {},
    {{"parseInt", parseInt},
     {"parseFloat", parseFloat},
     {"isNaN", isNaN},
     {"isFinite", isFinite},
     {"escape", escape},
     {"unescape", unescape},
     {"ASSetPropFlags", setPropFlags},
     {"stopAllSounds", stopAllSounds}},
    {{"NaN", std::nan("")}, {"Infinity", double(INFINITY)}},
};

} // namespace swf
