// String: the constructor, String.prototype and String.fromCharCode.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <algorithm>

namespace swf {

namespace {

// The string a boxed String holds, if this is one.
const QString *boxedText(NativeCall &call)
{
    const ScriptObject *object = call.object();
    const Value *boxed = object ? object->boxed() : nullptr;
    return boxed ? std::get_if<QString>(boxed) : nullptr;
}

QString text(NativeCall &call)
{
    const QString *boxed = boxedText(call);
    return boxed ? *boxed : call.cx.toString(call.self);
}

Value construct(NativeCall &call) { return BoxedUnderNew(call, call.string(0)); }

Value charAt(NativeCall &call)
{
    const QString s = text(call);
    const double i = call.number(0, 0);
    return i >= 0 && i < s.size() ? QString(s.at(int(i))) : QString();
}

Value charCodeAt(NativeCall &call)
{
    const QString s = text(call);
    const double i = call.number(0, 0);
    return i >= 0 && i < s.size() ? double(s.at(int(i)).unicode()) : std::nan("");
}

QString needle(NativeCall &call)
{
    return call.args.empty() ? QStringLiteral("undefined") : call.string(0);
}

Value indexOf(NativeCall &call)
{
    const QString s = text(call);
    return double(s.indexOf(needle(call), ClampedInt(call.number(1, 0), 0, int(s.size()))));
}

Value lastIndexOf(NativeCall &call)
{
    const QString s = text(call);
    const int size = int(s.size());
    return double(s.lastIndexOf(needle(call), ClampedInt(call.number(1, size), 0, size, size)));
}

// substr(from, count): a negative count counts back from the end, and then
// a piece that would reach the last character is empty in the reference player.
Value substr(NativeCall &call)
{
    const QString s = text(call);
    const int size = int(s.size());
    const int from = RelativeIndex(call.number(0, 0), size);
    if (call.args.size() < 2)
        return s.mid(from);
    const double given = call.number(1);
    if (std::isnan(given))
        return QString();
    if (given >= 0)
        return s.mid(from, int(std::min(std::trunc(given), double(size))));
    const int count = int(std::max(0.0, size + std::trunc(std::max(given, -double(size)))));
    return from + count < size ? s.mid(from, count) : QString();
}

Value substring(NativeCall &call)
{
    const QString s = text(call);
    int a = ClampedInt(call.number(0, 0), 0, int(s.size()));
    int b = ClampedInt(call.number(1, s.size()), 0, int(s.size()));
    if (a > b)
        std::swap(a, b);
    return s.mid(a, b - a);
}

Value slice(NativeCall &call)
{
    if (call.args.empty())
        return Undefined{};
    const QString s = text(call);
    const int from = RelativeIndex(call.number(0, 0), int(s.size()));
    const int to = RelativeIndex(call.number(1, s.size()), int(s.size()));
    return to > from ? s.mid(from, to - from) : QString();
}

Value toUpperCase(NativeCall &call) { return text(call).toUpper(); }
Value toLowerCase(NativeCall &call) { return text(call).toLower(); }

// Version 5 players split only at a separator of one character; longer or
// empty ones leave the text whole.
constexpr int FirstVersionSplittingAtAnySeparator = 6;

std::vector<Value> pieces(NativeCall &call, const QString &s, const QString &separator)
{
    std::vector<Value> parts;
    if (call.engine().version() < FirstVersionSplittingAtAnySeparator && separator.size() != 1) {
        parts.push_back(s);
    } else if (separator.isEmpty()) {
        for (QChar c : s)
            parts.push_back(QString(c));
    } else {
        for (const QString &piece : s.split(separator))
            parts.push_back(piece);
    }
    return parts;
}

// split(separator, limit): at most limit pieces; a limit of 0 or less, as a
// 32-bit integer, gives none. From version 6 the empty text split at a
// separator is one empty piece whatever the limit.
Value split(NativeCall &call)
{
    const QString s = text(call);
    std::vector<Value> parts;
    if (call.args.empty() || std::holds_alternative<Undefined>(call.args[0]))
        parts.push_back(s);
    else
        parts = pieces(call, s, call.string(0));
    call.player().spend(int(parts.size()));
    const bool keepsEmptyText = s.isEmpty() && call.engine().version() >= FirstVersionSplittingAtAnySeparator;
    if (call.args.size() > 1 && !std::holds_alternative<Undefined>(call.args[1]) && !keepsEmptyText) {
        const int32_t limit = ToInt32(call.number(1));
        parts.resize(size_t(std::clamp<int64_t>(limit, 0, int64_t(parts.size()))));
    }
    return ObjectValue(call.engine().newArray(std::move(parts)));
}

Value concat(NativeCall &call)
{
    QString s = text(call);
    for (const Value &arg : call.args)
        s += call.cx.toString(arg);
    return s;
}

// A String's own text; other objects borrowing the method keep theirs.
Value toString(NativeCall &call)
{
    if (const QString *boxed = boxedText(call))
        return *boxed;
    if (std::holds_alternative<QString>(call.self))
        return call.self;
    return QStringLiteral("[object Object]");
}

// Text is Unicode from this version on, and bytes before it.
constexpr int FirstVersionWithUnicodeText = 6;
constexpr int ByteBits = 8;
constexpr int ByteMask = 0xFF;
constexpr int CodeUnitMask = 0xFFFF;

// Appends a character code, false at a byte 0: it ends the string in the
// reference player. Before version 6 codes beyond a byte add their two bytes.
bool appendCode(QString &s, int code, int version)
{
    const auto appendByte = [&s](int byte) {
        if (byte == 0)
            return false;
        s += QChar(char16_t(byte));
        return true;
    };
    if (version < FirstVersionWithUnicodeText && code > ByteMask)
        return appendByte(code >> ByteBits) && appendByte(code & ByteMask);
    return appendByte(code);
}

Value fromCharCode(NativeCall &call)
{
    QString s;
    for (size_t i = 0; i < call.args.size(); ++i)
        if (!appendCode(s, ToInt32(call.number(i, 0)) & CodeUnitMask, call.engine().version()))
            break;
    return s;
}

// The text with the ASCII letters in one range moved by the distance to the other.
QString asciiCase(NativeCall &call, char16_t first, char16_t last, int shift)
{
    QString s = text(call);
    for (QChar &c : s)
        if (c.unicode() >= first && c.unicode() <= last)
            c = QChar(char16_t(c.unicode() + shift));
    return s;
}

constexpr int AsciiCaseDistance = 'a' - 'A';

} // namespace

Value AsciiUpperCase(NativeCall &call) { return asciiCase(call, u'a', u'z', -AsciiCaseDistance); }
Value AsciiLowerCase(NativeCall &call) { return asciiCase(call, u'A', u'Z', AsciiCaseDistance); }

const ClassDecl StringClass{
    "String",
    construct,
    {{"charAt", charAt},
     {"charCodeAt", charCodeAt},
     {"indexOf", indexOf},
     {"lastIndexOf", lastIndexOf},
     {"substr", substr},
     {"substring", substring},
     {"slice", slice},
     {"toUpperCase", toUpperCase},
     {"toLowerCase", toLowerCase},
     {"split", split},
     {"concat", concat},
     {"toString", toString},
     {"valueOf", toString}},
    {{"fromCharCode", fromCharCode}},
    {},
};

} // namespace swf
