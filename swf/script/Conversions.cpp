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
// Joined arrays stop growing at this length.
constexpr int MaxStringLength = 1 << 20;

// Keeps count of nested conversions that may call scripts.
class ConversionDepth {
public:
    explicit ConversionDepth(ScriptEngine &engine) : m_engine(engine) { ++m_engine.callDepth; }
    ~ConversionDepth() { --m_engine.callDepth; }
    ConversionDepth(const ConversionDepth &) = delete;
    ConversionDepth &operator=(const ConversionDepth &) = delete;

private:
    ScriptEngine &m_engine;
};

// The script function an object has for name, if it is one a script wrote.
const Value *scriptMethod(const ScriptObject &object, const QString &key)
{
    const Value *method = object.find(key);
    const ScriptObject *function = method ? objectOf(*method) : nullptr;
    return function && function->kind == ScriptObject::Kind::Function ? method : nullptr;
}

} // namespace

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
    ScriptObject *o = objectOf(v);
    if (o->isCallable())
        return QStringLiteral("[type Function]");
    if (o->kind != ScriptObject::Kind::Array && !o->elements.empty())
        return toString(o->elements.front()); // a boxed string
    if (m_engine.callDepth >= MaxConversionDepth)
        return QString();
    ConversionDepth depth(m_engine);
    if (o->kind == ScriptObject::Kind::Array) {
        QString joined;
        // Each element is charged to the frame's script work: arrays nested in
        // one another, or in themselves, would otherwise join for ages.
        for (size_t i = 0; i < o->elements.size() && joined.size() < MaxStringLength && m_calls.player().spend(1);
             ++i) {
            if (i > 0)
                joined += u',';
            if (!isNullish(o->elements[i]))
                joined += toString(o->elements[i]);
        }
        return joined;
    }
    // A script's own toString speaks for its objects.
    if (const Value *method = scriptMethod(*o, m_engine.key(QStringLiteral("toString")))) {
        const Value text = m_calls.call(*method, v, {});
        return objectOf(text) ? QStringLiteral("[object Object]") : toString(text);
    }
    return QStringLiteral("[object Object]");
}

double Conversions::toNumber(const Value &v)
{
    if (const auto *d = std::get_if<double>(&v))
        return *d;
    if (const auto *b = std::get_if<bool>(&v))
        return *b ? 1 : 0;
    if (const auto *s = std::get_if<QString>(&v)) {
        const QString text = s->trimmed();
        if (text.isEmpty())
            return m_version >= 7 ? std::nan("") : 0;
        bool ok = false;
        const double d = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? double(text.mid(2).toLongLong(&ok, 16))
                                                                                   : text.toDouble(&ok);
        return ok ? d : std::nan("");
    }
    if (objectOf(v)) {
        if (m_engine.callDepth >= MaxConversionDepth)
            return std::nan("");
        ConversionDepth depth(m_engine);
        return toNumber(toPrimitive(v));
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

Value Conversions::toPrimitive(const Value &v)
{
    ScriptObject *object = objectOf(v);
    if (!object)
        return v;
    if (!object->elements.empty() && object->kind != ScriptObject::Kind::Array)
        return object->elements.front();
    if (const Value *method = scriptMethod(*object, m_engine.key(QStringLiteral("valueOf")))) {
        const Value value = m_calls.call(*method, v, {});
        if (!objectOf(value))
            return value;
    }
    return toString(v);
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
