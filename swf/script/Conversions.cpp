#include "Conversions.h"

#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"
#include "swf/script/NumberText.h"
#include "swf/script/ScriptEngine.h"

#include <cmath>

namespace swf {

namespace {

// Deepest nesting of conversions that call scripts (an array holding itself).
constexpr int MaxConversionDepth = 64;

// Both conversion methods answered objects, or the object has none (a
// function in a version 5 movie, which does not see Function.prototype):
// the reference player's text for that names the kind of object.
QString unconvertibleText(const Value &v)
{
    const ScriptObject *object = objectOf(v);
    return object && object->isCallable() ? QStringLiteral("[type Function]") : QStringLiteral("[type Object]");
}

// Objects whose payload adds as text do so from this version on; before
// it they add by their number as any object does.
constexpr int FirstVersionAddingAsText = 6;

bool isPlain(const Value &v) { return !objectOf(v); }

bool addsAsText(const Value &v)
{
    const NativePayload *payload = objectOf(v)->payload.get();
    return payload && payload->addsAsText();
}

// Numbers wrap into 32 bits modulo this.
constexpr double Int32Range = 4294967296.0;

} // namespace

int32_t ToInt32(double d)
{
    return std::isfinite(d) ? int32_t(uint32_t(int64_t(std::fmod(std::trunc(d), Int32Range)))) : 0;
}

Conversions::Conversions(ScriptEngine &engine, ScriptContext &calls)
    : m_engine(engine), m_calls(calls), m_version(engine.version())
{
}

QString Conversions::clipText(const DisplayObject &clip, int version)
{
    if (version < 5)
        return clip.path();
    QString path = clip.path();
    path.replace(u'/', u'.');
    if (path == QLatin1String("."))
        return QStringLiteral("_level0");
    // Paths in levels above the root begin with their level's name already.
    return path.startsWith(u'.') ? QStringLiteral("_level0") + path : path;
}

std::optional<QString> Conversions::plainText(const Value &v, int version)
{
    if (const auto *s = std::get_if<QString>(&v))
        return *s;
    if (const auto *b = std::get_if<bool>(&v))
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    if (const auto *d = std::get_if<double>(&v))
        return NumberToString(*d);
    if (const auto *clip = std::get_if<ClipRef>(&v)) {
        const DisplayObject *c = clip->get();
        return c ? clipText(*c, version) : QString();
    }
    if (std::holds_alternative<Null>(v))
        return QStringLiteral("null");
    if (std::holds_alternative<Undefined>(v))
        return version >= 7 ? QStringLiteral("undefined") : QString();
    return std::nullopt;
}

QString Conversions::toString(const Value &v)
{
    if (std::optional<QString> text = plainText(v, m_version))
        return *text;
    // A String object gives the text it holds, whatever its toString.
    if (const Value *boxed = objectOf(v)->boxed(); boxed && std::holds_alternative<QString>(*boxed))
        return std::get<QString>(*boxed);
    if (m_engine.callDepth >= MaxConversionDepth)
        return QString();
    ScriptEngine::NestedCall depth(m_engine);
    // Only text from toString counts: any other answer names the kind of object.
    const std::optional<Value> text = callMethod(v, QStringLiteral("toString"));
    if (text && std::holds_alternative<QString>(*text))
        return std::get<QString>(*text);
    return unconvertibleText(v);
}

std::optional<Value> Conversions::callMethod(const Value &object, const QString &name)
{
    // super finds its methods above the prototype it starts from, and
    // runs them on the this it stands for.
    const ScriptObject *holder = objectOf(object);
    Value self = object;
    if (holder->kind == ScriptObject::Kind::Super) {
        const ScriptObject *base = holder->elements.size() > 1 ? objectOf(holder->elements[1]) : nullptr;
        self = holder->elements.empty() ? Value(Undefined{}) : holder->elements[0];
        holder = base ? base->prototype() : nullptr;
    }
    const Value *method = holder ? holder->find(m_engine.key(name)) : nullptr;
    const ScriptObject *function = method ? objectOf(*method) : nullptr;
    if (!function || !function->isCallable())
        return std::nullopt;
    return m_calls.call(*method, self, {});
}

double Conversions::toNumber(const Value &v)
{
    if (const auto *d = std::get_if<double>(&v))
        return *d;
    if (const auto *b = std::get_if<bool>(&v))
        return *b ? 1 : 0;
    if (const auto *s = std::get_if<QString>(&v))
        return TextToNumber(*s, m_version);
    if (objectOf(v)) {
        if (m_engine.callDepth >= MaxConversionDepth)
            return std::nan("");
        // Only valueOf gives an object's number: when it answers an
        // object, the reference player does not go on to toString; an
        // object without one counts as undefined.
        ScriptEngine::NestedCall depth(m_engine);
        const std::optional<Value> value = callMethod(v, QStringLiteral("valueOf"));
        if (!value)
            return toNumber(Undefined{});
        return isPlain(*value) ? toNumber(*value) : std::nan("");
    }
    if (std::holds_alternative<ClipRef>(v))
        return std::nan("");
    return m_version >= 7 ? std::nan("") : 0;
}

bool Conversions::toBool(const Value &v)
{
    if (const auto *b = std::get_if<bool>(&v))
        return *b;
    if (const auto *clip = std::get_if<ClipRef>(&v))
        return clip->get() != nullptr;
    if (objectOf(v))
        return true;
    if (std::holds_alternative<QString>(v) && m_version >= 7)
        return !std::get<QString>(v).isEmpty();
    const double d = toNumber(v);
    return d != 0 && !std::isnan(d);
}

Value Conversions::toPrimitive(const Value &v, Hint hint)
{
    if (isPlain(v))
        return v;
    if (m_engine.callDepth >= MaxConversionDepth)
        return Undefined{};
    ScriptEngine::NestedCall depth(m_engine);
    // valueOf (toString, for an object adding as text) alone: what it
    // answers, an object too, or undefined without one.
    const bool textFirst = hint == Hint::Addition && m_version >= FirstVersionAddingAsText && addsAsText(v);
    const std::optional<Value> value = callMethod(v, textFirst ? QStringLiteral("toString") : QStringLiteral("valueOf"));
    return value ? *value : Value(Undefined{});
}

bool Conversions::strictlyEquals(const Value &a, const Value &b)
{
    if (a.index() != b.index())
        return false;
    // The reference player has NaN equal to itself.
    if (const auto *x = std::get_if<double>(&a))
        return *x == std::get<double>(b) || (std::isnan(*x) && std::isnan(std::get<double>(b)));
    if (const auto *x = std::get_if<QString>(&a))
        return *x == std::get<QString>(b);
    if (const auto *x = std::get_if<bool>(&a))
        return *x == std::get<bool>(b);
    if (const auto *x = std::get_if<ClipRef>(&a))
        return x->get() == std::get<ClipRef>(b).get();
    if (const auto *x = std::get_if<ScriptObject *>(&a))
        return *x == std::get<ScriptObject *>(b);
    return true; // undefined, null
}

namespace {

// Objects and clips, which the reference player's comparisons take as objects alike.
bool isReference(const Value &v) { return objectOf(v) || std::holds_alternative<ClipRef>(v); }

// Two plain values once undefined and null are dealt with: texts as
// texts, the rest as numbers, NaN equal to NaN when both are numbers.
bool plainEquals(const Value &a, const Value &b, double x, double y)
{
    if (std::isnan(x) && std::isnan(y))
        return std::holds_alternative<double>(a) && std::holds_alternative<double>(b);
    return x == y;
}

} // namespace

bool Conversions::equals(const Value &a, const Value &b)
{
    return m_version < 6 ? equalsBefore6(a, b) : equalsFrom6(a, b);
}

// Version 6 on: objects are themselves; an object against a plain value
// gives its valueOf, and is unequal when that is still an object (a clip too).
bool Conversions::equalsFrom6(const Value &a, const Value &b)
{
    if (isReference(a) && isReference(b)) {
        const bool clipA = std::holds_alternative<ClipRef>(a), clipB = std::holds_alternative<ClipRef>(b);
        if (clipA == clipB)
            return strictlyEquals(a, b);
        const Value other = toPrimitive(clipA ? b : a);
        return isReference(other) && strictlyEquals(clipA ? a : b, other);
    }
    const Value x = toPrimitive(a);
    if (isReference(x))
        return false;
    const Value y = toPrimitive(b);
    if (isReference(y))
        return false;
    if (isNullish(x) || isNullish(y))
        return isNullish(x) && isNullish(y);
    if (std::holds_alternative<QString>(x) && std::holds_alternative<QString>(y))
        return std::get<QString>(x) == std::get<QString>(y);
    return plainEquals(x, y, toNumber(x), toNumber(y));
}

// Version 5: both sides give their valueOf first (the right one first);
// objects whose valueOf answers objects compare as the objects they are,
// and count by their number otherwise, asking valueOf again.
bool Conversions::equalsBefore6(const Value &a, const Value &b)
{
    // Version 5 has functions defined at the same place equal, though
    // each run of the definition makes one.
    const ScriptObject *f = objectOf(a), *g = objectOf(b);
    if (f && g && f->function && g->function && f->function->site)
        return f->function->site == g->function->site;
    const Value y = toPrimitive(b);
    const Value x = toPrimitive(a);
    if (isReference(x) && isReference(y)) {
        const bool clipX = std::holds_alternative<ClipRef>(x), clipY = std::holds_alternative<ClipRef>(y);
        if (clipX && clipY)
            return strictlyEquals(x, y);
        if (clipX || clipY) {
            const Value other = toPrimitive(clipX ? b : a);
            return isReference(other) && strictlyEquals(clipX ? x : y, other);
        }
        return strictlyEquals(a, b);
    }
    if (std::holds_alternative<QString>(x) && std::holds_alternative<QString>(y))
        return std::get<QString>(x) == std::get<QString>(y);
    const double p = objectOf(x) ? toNumber(a) : toNumber(x);
    const double q = objectOf(y) ? toNumber(b) : toNumber(y);
    if (isNullish(x) || isNullish(y))
        return isNullish(x) && isNullish(y);
    return plainEquals(x, y, p, q);
}

std::optional<bool> Conversions::less(const Value &a, const Value &b)
{
    // An object whose valueOf answers an object is neither less nor more;
    // a clip is no number.
    const Value x = toPrimitive(a);
    if (objectOf(x))
        return false;
    const Value y = toPrimitive(b);
    if (objectOf(y))
        return false;
    if (isReference(x) || isReference(y))
        return std::nullopt;
    if (std::holds_alternative<QString>(x) && std::holds_alternative<QString>(y)) {
        // The empty text comes after every other.
        const QString &s = std::get<QString>(x), &t = std::get<QString>(y);
        if (s.isEmpty() || t.isEmpty())
            return !s.isEmpty();
        return s < t;
    }
    const double p = toNumber(x), q = toNumber(y);
    if (std::isnan(p) || std::isnan(q))
        return std::nullopt;
    return p < q;
}

QString Conversions::typeOf(const Value &v)
{
    const ScriptObject *object = objectOf(v);
    // Text fields are objects to scripts, not clips.
    const auto *clip = std::get_if<ClipRef>(&v);
    if (clip && clip->get() && clip->get()->textField)
        return QStringLiteral("object");
    return QString::fromLatin1(std::holds_alternative<double>(v)    ? "number"
                               : std::holds_alternative<QString>(v) ? "string"
                               : std::holds_alternative<bool>(v)    ? "boolean"
                               : std::holds_alternative<ClipRef>(v) ? "movieclip"
                               : std::holds_alternative<Null>(v)    ? "null"
                               : object && object->isCallable()     ? "function"
                               : object                             ? "object"
                                                                    : "undefined");
}

Value Conversions::boolean(bool b) const
{
    return m_version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0);
}

} // namespace swf
