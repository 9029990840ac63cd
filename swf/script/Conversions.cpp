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
    return path == QLatin1String(".") ? QStringLiteral("_level0") : QStringLiteral("_level0") + path;
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
    if (m_engine.callDepth >= MaxConversionDepth)
        return QString();
    ScriptEngine::NestedCall depth(m_engine);
    const std::optional<Value> text = callMethod(v, QStringLiteral("toString"));
    if (text && isPlain(*text))
        return toString(*text);
    return unconvertibleText(v);
}

std::optional<Value> Conversions::callMethod(const Value &object, const QString &name)
{
    const Value *method = objectOf(object)->find(m_engine.key(name));
    const ScriptObject *function = method ? objectOf(*method) : nullptr;
    if (!function || !function->isCallable())
        return std::nullopt;
    return m_calls.call(*method, object, {});
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
    // valueOf first (toString, for an object adding as text); when it
    // answers an object, the other method has its turn.
    const bool textFirst = hint == Hint::Addition && m_version >= FirstVersionAddingAsText && addsAsText(v);
    const QString first = textFirst ? QStringLiteral("toString") : QStringLiteral("valueOf");
    const QString second = textFirst ? QStringLiteral("valueOf") : QStringLiteral("toString");
    const std::optional<Value> value = callMethod(v, first);
    if (!value)
        return Undefined{};
    if (isPlain(*value))
        return *value;
    const std::optional<Value> other = callMethod(v, second);
    if (other && isPlain(*other))
        return *other;
    return unconvertibleText(v);
}

bool Conversions::strictlyEquals(const Value &a, const Value &b)
{
    if (a.index() != b.index())
        return false;
    if (const auto *x = std::get_if<double>(&a))
        return *x == std::get<double>(b);
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

bool Conversions::equals(const Value &a, const Value &b)
{
    // Version 5 has functions defined at the same place equal, though
    // each run of the definition makes one.
    const ScriptObject *f = objectOf(a), *g = objectOf(b);
    if (m_version < 6 && f && g && f->function && g->function && f->function->site)
        return f->function->site == g->function->site;
    if (a.index() == b.index())
        return strictlyEquals(a, b);
    if (isNullish(a) || isNullish(b))
        return isNullish(a) && isNullish(b);
    const auto reference = [](const Value &v) { return objectOf(v) || std::holds_alternative<ClipRef>(v); };
    if (reference(a) && reference(b))
        return false;
    if (reference(a) || reference(b)) {
        const Value &object = reference(a) ? a : b;
        const Value &other = reference(a) ? b : a;
        if (std::holds_alternative<ClipRef>(object))
            return std::holds_alternative<QString>(other) && toString(object) == std::get<QString>(other);
        return equals(toPrimitive(object), other);
    }
    return toNumber(a) == toNumber(b);
}

QString Conversions::typeOf(const Value &v)
{
    const ScriptObject *object = objectOf(v);
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
