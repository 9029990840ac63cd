// The global functions: parseInt, parseFloat, isNaN, isFinite, escape,
// unescape, ASSetPropFlags, stopAllSounds, trace, updateAfterEvent, the
// debugger's, AsSetupError, and the numbers NaN and Infinity.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/Interpreter.h"
#include "swf/script/NumberText.h"
#include "swf/script/ScriptEngine.h"

#include <QStringList>

#include <algorithm>
#include <climits>

namespace swf {

namespace {

int digitValue(QChar c)
{
    c = c.toLower();
    return c.isDigit() ? c.digitValue() : (c >= u'a' && c <= u'z') ? c.unicode() - 'a' + 10 : 99;
}

constexpr int DecimalRadix = 10;
constexpr int OctalRadix = 8;
constexpr int HexRadix = 16;
constexpr int LowestRadix = 2;
constexpr int HighestRadix = 36;

bool isSign(QChar c) { return c == u'-' || c == u'+'; }

bool hasHexPrefix(const QString &s, int at)
{
    return s.size() >= at + 2 && s.at(at) == u'0' && s.at(at + 1).toLower() == u'x';
}

// The digits from `at` in radix, or NaN when there are none.
double digitsValue(const QString &s, int at, int radix)
{
    double value = 0;
    int i = at;
    for (; i < s.size() && digitValue(s.at(i)) < radix; ++i)
        value = value * radix + digitValue(s.at(i));
    return i == at ? std::nan("") : value;
}

// parseInt(text, radix). As in the reference player, only the very start of
// the text may hold a "0x" prefix (followed by a sign) or, without a radix,
// a leading 0 (after a sign) that makes it octal; a sign before "0x" is not a
// number. Leading white space comes before the sign and turns both prefixes off.
Value parseInt(NativeCall &call)
{
    const QString s = call.string(0);
    const bool radixGiven = call.args.size() > 1 && !std::holds_alternative<Undefined>(call.args[1]);
    int radix = radixGiven ? ToInt32(call.number(1)) : 0;
    if (radixGiven && (radix < LowestRadix || radix > HighestRadix))
        return std::nan("");
    int at = 0;
    bool negative = false;
    const auto readSign = [&] {
        if (at < s.size() && isSign(s.at(at)))
            negative = s.at(at++) == u'-';
    };
    if (hasHexPrefix(s, 0)) {
        at = 2;
        readSign();
        radix = radixGiven ? radix : HexRadix;
    } else if (!s.isEmpty() && isSign(s.at(0)) && hasHexPrefix(s, 1)) {
        return std::nan("");
    } else {
        while (at < s.size() && s.at(at).isSpace())
            ++at;
        const bool atStart = at == 0;
        readSign();
        if (!radixGiven)
            radix = atStart && at < s.size() && s.at(at) == u'0' ? OctalRadix : DecimalRadix;
    }
    const double value = digitsValue(s, at, radix);
    return negative ? -value : value;
}

Value parseFloat(NativeCall &call) { return LeadingNumber(call.string(0)); }

Value isNaN(NativeCall &call) { return std::isnan(call.number(0)); }
Value isFinite(NativeCall &call) { return std::isfinite(call.number(0)); }
// escape and unescape work on bytes: from version 6 the text's UTF-8,
// before it one byte a character (characters past Latin-1, which such
// movies rarely hold, as UTF-8 still).
constexpr int FirstVersionWithUtf8 = 6;
constexpr char16_t LastLatin1 = 0xFF;
constexpr int NibbleBits = 4;
constexpr int NibbleMask = 0xF;

QByteArray textBytes(const QString &text, int version)
{
    if (version >= FirstVersionWithUtf8)
        return text.toUtf8();
    QByteArray bytes;
    for (const QChar c : text)
        bytes += c.unicode() <= LastLatin1 ? QByteArray(1, char(c.unicode())) : QString(c).toUtf8();
    return bytes;
}

bool isAsciiAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Every byte but ASCII letters and digits becomes %XX.
Value escape(NativeCall &call)
{
    static const char HexDigits[] = "0123456789ABCDEF";
    QString text;
    for (const char byte : textBytes(call.string(0), call.engine().version())) {
        if (isAsciiAlphanumeric(byte)) {
            text += QLatin1Char(byte);
            continue;
        }
        const auto b = uchar(byte);
        text += u'%';
        text += QLatin1Char(HexDigits[b >> NibbleBits]);
        text += QLatin1Char(HexDigits[b & NibbleMask]);
    }
    return text;
}

int hexValue(char c)
{
    const int value = digitValue(QLatin1Char(c));
    return value < HexRadix ? value : -1;
}

// The bytes %XX sequences stand for, + as a space. A broken sequence is
// dropped up to the first character that is no hexadecimal digit, that one
// included; the first zero byte ends the text.
QByteArray unescapedBytes(const QByteArray &text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text.at(i);
        if (c != '%') {
            bytes += c == '+' ? ' ' : c;
            ++i;
            continue;
        }
        const int high = i + 1 < text.size() ? hexValue(text.at(i + 1)) : -1;
        const int low = high >= 0 && i + 2 < text.size() ? hexValue(text.at(i + 2)) : -1;
        if (low >= 0)
            bytes += char(high << NibbleBits | low);
        i += high < 0 ? 2 : 3;
    }
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

// How many bytes the UTF-8 sequence a byte starts holds: 1 for ASCII and
// for stray continuation bytes (read as Latin-1), 0 for bytes no sequence
// starts with, which end the text.
int sequenceLength(uchar lead)
{
    constexpr uchar FirstLead = 0xC0, FirstOf3 = 0xE0, FirstOf4 = 0xF0, FirstOf5 = 0xF8, FirstOf6 = 0xFC,
                    FirstInvalid = 0xFE;
    if (lead < FirstLead)
        return 1;
    if (lead >= FirstInvalid)
        return 0;
    return lead >= FirstOf6 ? 6 : lead >= FirstOf5 ? 5 : lead >= FirstOf4 ? 4 : lead >= FirstOf3 ? 3 : 2;
}

// UTF-8 as the reference player reads it: a sequence with a byte that does
// not continue it, or past Unicode, reads as U+FFFD, the bytes it should
// have held swallowed; a sequence the text ends in is dropped.
QString decodedUtf8(const QByteArray &bytes)
{
    constexpr uchar ContinuationMask = 0xC0, Continuation = 0x80, PayloadMask = 0x3F;
    constexpr int PayloadBits = 6;
    constexpr char32_t LastCodePoint = 0x10FFFF;
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = uchar(bytes.at(i));
        const int length = sequenceLength(lead);
        if (length == 0 || i + length > bytes.size())
            break;
        if (length == 1) {
            text += QChar(lead);
            ++i;
            continue;
        }
        // The lead byte's own bits: those below its run of length ones and a zero.
        constexpr uchar LeadBits = 0x7F;
        char32_t code = lead & (LeadBits >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            const auto b = uchar(bytes.at(i + k));
            valid = valid && (b & ContinuationMask) == Continuation;
            code = code << PayloadBits | (b & PayloadMask);
        }
        text += valid && code <= LastCodePoint ? QString::fromUcs4(&code, 1) : QString(QChar::ReplacementCharacter);
        i += length;
    }
    return text;
}

// Version 5 has no text for an empty one, and reads the bytes as Latin-1.
Value unescape(NativeCall &call)
{
    const int version = call.engine().version();
    const QString text = call.string(0);
    if (version < FirstVersionWithUtf8 && text.isEmpty())
        return Undefined{};
    const QByteArray bytes = unescapedBytes(textBytes(text, version));
    return version >= FirstVersionWithUtf8 ? decodedUtf8(bytes) : QString::fromLatin1(bytes);
}
// The names ASSetPropFlags is given: an array of them, or a list in one
// string separated by commas.
QStringList flagNames(NativeCall &call, const Value &names)
{
    const ScriptObject *list = objectOf(names);
    if (!list || list->kind != ScriptObject::Kind::Array)
        return call.cx.toString(names).split(u',');
    QStringList result;
    for (const Value &name : list->elements) {
        if (!call.player().spend(1))
            break;
        result.push_back(call.cx.toString(name));
    }
    return result;
}

// ASSetPropFlags(object, names, set, clear): sets and clears flags of the
// object's own members; names null means every member. Names the object has
// no member of are passed over.
Value setPropFlags(NativeCall &call)
{
    ScriptObject *object = objectOf(call.arg(0));
    if (!object)
        return Undefined{};
    const int set = ClampedInt(call.number(2, 0), INT_MIN, INT_MAX);
    const int clear = ClampedInt(call.number(3, 0), INT_MIN, INT_MAX);
    if (std::holds_alternative<Null>(call.arg(1))) {
        if (call.player().spend(int(std::min<size_t>(object->members().size(), INT_MAX))))
            object->setAllFlags(set, clear);
        return Undefined{};
    }
    for (const QString &name : flagNames(call, call.arg(1))) {
        if (!call.player().spend(1))
            break;
        object->setFlags(call.key(name), set, clear);
    }
    return Undefined{};
}

Value stopAllSounds(NativeCall &call)
{
    call.player().stopSounds();
    return Undefined{};
}

// trace(value) called as a function prints as the trace action does.
Value trace(NativeCall &call)
{
    const Value &value = call.arg(0);
    call.player().trace(std::holds_alternative<Undefined>(value) ? QStringLiteral("undefined") : call.string(0));
    return Undefined{};
}

Value updateAfterEvent(NativeCall &call)
{
    call.player().markChanged();
    return Undefined{};
}

// showRedrawRegions and enableDebugConsole serve the debugging player; the
// release player, as this one, does nothing with them.
Value debuggerOnly(NativeCall &) { return Undefined{}; }

// AsSetupError("Name,Name..."): makes an Error, by whatever _global.Error
// is now, for each name in the list, itself the caller those constructors see.
Value asSetupError(NativeCall &call)
{
    if (call.args.empty())
        return Undefined{};
    const Value error = call.cx.getMember(call.engine().global(), QStringLiteral("Error"));
    for (qsizetype i = 0, names = call.string(0).count(u',') + 1; i < names && call.player().spend(1); ++i)
        call.cx.construct(error, {});
    return Undefined{};
}

ScriptObject *globalFunction(ScriptEngine &engine, ScriptObject &global, const char *name)
{
    const Value *function = global.own(engine.key(QString::fromLatin1(name)));
    return function ? objectOf(*function) : nullptr;
}

// enableDebugConsole is a bare function: no __proto__, no constructor.
// AsSetupError is written in ActionScript by the reference player.
void setup(ScriptEngine &engine, ScriptObject &global)
{
    if (ScriptObject *bare = globalFunction(engine, global, "enableDebugConsole"))
        RemoveFunctionMembers(engine, *bare);
    if (ScriptObject *written = globalFunction(engine, global, "AsSetupError"))
        written->payload = std::make_unique<WrittenAsScript>();
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
     {"stopAllSounds", stopAllSounds},
     {"trace", trace},
     {"updateAfterEvent", updateAfterEvent},
     {"showRedrawRegions", debuggerOnly},
     {"enableDebugConsole", debuggerOnly},
     ScriptMethod("AsSetupError", asSetupError)},
    {{"NaN", std::nan(""), DontEnum}, {"Infinity", double(INFINITY), DontEnum}},
    5,
    DontEnum,
    BuiltinFlags,
    {},
    {},
    setup,
};

void RemoveFunctionMembers(ScriptEngine &engine, ScriptObject &function)
{
    for (const char *name : {"__proto__", "constructor"}) {
        const QString key = engine.key(QString::fromLatin1(name));
        // Made deletable and seen by every version first.
        function.setFlags(key, 0, DontDelete | HiddenBefore6 | HiddenIn6 | HiddenBefore7 | HiddenBefore8 | HiddenBefore9);
        function.remove(key);
    }
}

} // namespace swf
