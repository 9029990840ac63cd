// String: text values and their methods.
#include "swf/avm2/builtins/StringMethods.h"
#include "swf/avm2/NumberConversion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace swf::avm2 {

QString ThisText(Runtime &rt, const Value &self)
{
    if (self.isString())
        return self.asString();
    return rt.toString(self);
}

void CheckArgCount(Runtime &rt, Args args, int most, const char *method)
{
    if (args.count > most)
        rt.throwError(ErrorType::ArgumentError, ArgumentCountError,
                      QStringList{QStringLiteral("String/%1()").arg(QLatin1String(method)), QString::number(most),
                                  QString::number(args.count)});
}

void CheckTextLength(qsizetype length)
{
    if (length > MaxTextLength)
        throw ScriptAbort{QStringLiteral("the text grew too long")};
}

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

// An integer argument (ToInteger), or fallback when it is missing.
double integerArg(Runtime &rt, Args args, int i, double fallback)
{
    if (!args.has(i) || args[i].isUndefined())
        return fallback;
    return ToInteger(rt.toNumber(args[i]));
}

// A position counted from the end when negative, clamped into [0, size].
int relativePosition(double position, int size)
{
    if (position < 0)
        return int(std::max(double(size) + position, 0.0));
    return int(std::min(position, double(size)));
}

int clampPosition(double position, int size) { return int(std::clamp(position, 0.0, double(size))); }

// The text searched for: its argument converted, "undefined" when missing.
QString needleArg(Runtime &rt, Args args) { return rt.toString(args[0]); }

bool isStringPrototype(Runtime &rt, const Value &self)
{
    return self.isObject() && self.asObject() == rt.stringClass->prototypeObject;
}

// toString and valueOf work only on strings (String.prototype is the empty string).
Value ownValue(Runtime &rt, const Value &self, const char *method)
{
    if (self.isString())
        return self;
    if (!isStringPrototype(rt, self))
        rt.throwError(ErrorType::TypeError, 1004, QStringList{QString::fromLatin1(method)});
    return Value(QString());
}

Value length(Runtime &rt, const Value &self, Args) { return Value(int32_t(ThisText(rt, self).size())); }

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return ownValue(rt, self, "String.prototype.toString");
}

Value valueOf(Runtime &rt, const Value &self, Args) { return ownValue(rt, self, "String.prototype.valueOf"); }

Value charAt(Runtime &rt, const Value &self, Args args)
{
    const QString s = ThisText(rt, self);
    const double i = integerArg(rt, args, 0, 0);
    if (!(i >= 0 && i < s.size()))
        return Value(QString());
    return Value(QString(s[int(i)]));
}

Value charCodeAt(Runtime &rt, const Value &self, Args args)
{
    const QString s = ThisText(rt, self);
    const double i = integerArg(rt, args, 0, 0);
    if (!(i >= 0 && i < s.size()))
        return Value(std::nan(""));
    return Value(int32_t(s[int(i)].unicode()));
}

Value concat(Runtime &rt, const Value &self, Args args)
{
    QString out = ThisText(rt, self);
    for (int i = 0; i < args.count; ++i) {
        out += rt.toString(args[i]);
        CheckTextLength(out.size());
    }
    return Value(out);
}

Value indexOf(Runtime &rt, const Value &self, Args args)
{
    const QString s = ThisText(rt, self);
    const QString needle = needleArg(rt, args);
    const int from = clampPosition(integerArg(rt, args, 1, 0), int(s.size()));
    if (needle.isEmpty())
        return Value(int32_t(from));
    return Value(int32_t(s.indexOf(needle, from)));
}

Value lastIndexOf(Runtime &rt, const Value &self, Args args)
{
    const QString s = ThisText(rt, self);
    const QString needle = needleArg(rt, args);
    double position = args.has(1) ? rt.toNumber(args[1]) : Infinity;
    position = std::isnan(position) ? Infinity : ToInteger(position);
    const int start = std::min(clampPosition(position, int(s.size())), int(s.size() - needle.size()));
    for (int k = start; k >= 0; --k) {
        if (QStringView(s).mid(k, needle.size()) == needle)
            return Value(int32_t(k));
    }
    return Value(int32_t(-1));
}

// The player gives the difference of the first code units that differ, or
// -1 or 1 when one text begins the other.
Value localeCompare(Runtime &rt, const Value &self, Args args)
{
    CheckArgCount(rt, args, 1, "localeCompare");
    const QString a = ThisText(rt, self);
    const QString b = rt.toString(args[0]);
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] != b[i])
            return Value(int32_t(a[i].unicode()) - int32_t(b[i].unicode()));
    }
    return Value(int32_t(a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0));
}

Value slice(Runtime &rt, const Value &self, Args args)
{
    const QString s = ThisText(rt, self);
    const int size = int(s.size());
    const int from = relativePosition(integerArg(rt, args, 0, 0), size);
    const int to = relativePosition(integerArg(rt, args, 1, size), size);
    return Value(from < to ? s.mid(from, to - from) : QString());
}

Value substring(Runtime &rt, const Value &self, Args args)
{
    const QString s = ThisText(rt, self);
    const int size = int(s.size());
    const int a = clampPosition(integerArg(rt, args, 0, 0), size);
    const int b = clampPosition(integerArg(rt, args, 1, size), size);
    return Value(s.mid(std::min(a, b), std::abs(a - b)));
}

Value substr(Runtime &rt, const Value &self, Args args)
{
    const QString s = ThisText(rt, self);
    const int size = int(s.size());
    const int from = relativePosition(integerArg(rt, args, 0, 0), size);
    const double count = std::clamp(integerArg(rt, args, 1, Infinity), 0.0, double(size - from));
    return Value(s.mid(from, int(count)));
}

// The player maps case one code unit at a time with an older Unicode table:
// no letter grows into two (ß stays), the micro sign keeps its case, and the
// Georgian capitals lower to the letters of the Mkhedruli block; İ lowers
// to a plain i.
constexpr char16_t MicroSign = 0x00B5;
constexpr char16_t CapitalIWithDot = 0x0130;
constexpr char16_t GeorgianFirst = 0x10A0;
constexpr char16_t GeorgianCapitalLast = 0x10C5;
constexpr char16_t GeorgianLast = 0x10FF;
constexpr char16_t GeorgianCapitalToSmall = 0x30;

char16_t lowerCase(char16_t c)
{
    if (c >= GeorgianFirst && c <= GeorgianLast)
        return c <= GeorgianCapitalLast ? char16_t(c + GeorgianCapitalToSmall) : c;
    if (c == CapitalIWithDot)
        return u'i';
    return QChar::toLower(c);
}

char16_t upperCase(char16_t c)
{
    if (c == MicroSign || (c >= GeorgianFirst && c <= GeorgianLast))
        return c;
    return QChar::toUpper(c);
}

template <char16_t (*Map)(char16_t)> Value mapCase(Runtime &rt, const Value &self, Args)
{
    QString s = ThisText(rt, self);
    for (QChar &c : s)
        c = QChar(Map(c.unicode()));
    return Value(s);
}

Value fromCharCode(Runtime &rt, const Value &, Args args)
{
    QString out;
    for (int i = 0; i < args.count; ++i)
        out += QChar(char16_t(rt.toUint(args[i]) & 0xFFFF));
    return Value(out);
}

Value call(Runtime &rt, const Value &, Args args) { return args.has(0) ? Value(rt.toString(args[0])) : Value(QString()); }

} // namespace

extern const NativeClass StringClass = {
    "", "String", "Object", ClassFinal, nullptr, nullptr, call,
    {
        {"length", MemberKind::Getter, length},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberAs3},
        {"valueOf", MemberKind::Method, valueOf, 0, MemberAs3},
        {"charAt", MemberKind::Method, charAt, 1, MemberAs3},
        {"charCodeAt", MemberKind::Method, charCodeAt, 1, MemberAs3},
        {"concat", MemberKind::Method, concat, 0, MemberAs3},
        {"indexOf", MemberKind::Method, indexOf, 2, MemberAs3},
        {"lastIndexOf", MemberKind::Method, lastIndexOf, 2, MemberAs3},
        {"localeCompare", MemberKind::Method, localeCompare, 1, MemberAs3},
        {"match", MemberKind::Method, StringMatch, 1, MemberAs3},
        {"replace", MemberKind::Method, StringReplace, 2, MemberAs3},
        {"search", MemberKind::Method, StringSearch, 1, MemberAs3},
        {"slice", MemberKind::Method, slice, 2, MemberAs3},
        {"split", MemberKind::Method, StringSplit, 2, MemberAs3},
        {"substr", MemberKind::Method, substr, 2, MemberAs3},
        {"substring", MemberKind::Method, substring, 2, MemberAs3},
        {"toLowerCase", MemberKind::Method, mapCase<lowerCase>, 0, MemberAs3},
        {"toUpperCase", MemberKind::Method, mapCase<upperCase>, 0, MemberAs3},
        {"toLocaleLowerCase", MemberKind::Method, mapCase<lowerCase>, 0, MemberAs3},
        {"toLocaleUpperCase", MemberKind::Method, mapCase<upperCase>, 0, MemberAs3},
        {"fromCharCode", MemberKind::Method, fromCharCode, 0, MemberStatic},
    },
    {{"length", 1}},
    nullptr, {}, call,
};

} // namespace swf::avm2
