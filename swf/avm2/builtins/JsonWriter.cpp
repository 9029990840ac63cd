// JSON.stringify's writer: values become text level by level, each object
// on the path checked against cycles and the nesting bounded.
#include "swf/avm2/builtins/JsonWriter.h"

#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

constexpr int CyclicStructureError = 1129;
constexpr int StackOverflowError = 1023;
// Deeper structures stop with the player's stack overflow error, as its
// recursive writer does.
constexpr int MaxNesting = 2000;
// Shared branches are written once per use, so a small structure can ask
// for enormous text; past this many characters the script is stopped.
constexpr qsizetype MaxTextLength = qsizetype(1) << 24;
constexpr int HexRadix = 16;
constexpr int UnicodeEscapeDigits = 4;

bool isFunction(const Value &v) { return dynamic_cast<FunctionObject *>(v.asObject()) != nullptr; }

bool isArrayLike(Object *object)
{
    if (dynamic_cast<ArrayObject *>(object))
        return true;
    const Class *cls = object->objectClass();
    return cls && cls->isVectorClass;
}

// The public properties a sealed class declares that can be read: its
// variables, constants and getters, inherited ones included, by name.
QStringList declaredNames(const Object *object)
{
    QStringList names;
    const Class *cls = object->objectClass();
    if (!cls || dynamic_cast<const Class *>(object))
        return names;
    for (auto it = cls->instanceTraits.byName.cbegin(); it != cls->instanceTraits.byName.cend(); ++it) {
        for (const TraitBinding &binding : it.value()) {
            if (!binding.ns || !binding.ns->isPublic())
                continue;
            if (binding.kind == TraitBinding::Kind::Method
                || (binding.kind == TraitBinding::Kind::Accessor && !binding.getter))
                continue;
            names.push_back(it.key());
            break;
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class JsonWriter {
public:
    JsonWriter(Runtime &rt, const JsonStyle &style) : m_rt(rt), m_style(style) {}

    // False when the value has no text (undefined, functions).
    bool write(const QString &key, const Value &holder, Value value, QString &out)
    {
        if (value.isObject()) {
            const Multiname toJson = m_rt.publicName(QStringLiteral("toJSON"));
            if (m_rt.hasProperty(value, toJson)) {
                const Value method = m_rt.getProperty(value, toJson);
                if (isFunction(method)) {
                    const Value arg(key);
                    value = CallJsonFunction(m_rt, method, value, Args{&arg, 1});
                }
            }
        }
        if (isFunction(m_style.replacer)) {
            const Value args[] = {Value(key), value};
            value = CallJsonFunction(m_rt, m_style.replacer, holder, Args{args, 2});
        }
        return writeValue(value, out);
    }

private:
    bool writeValue(const Value &value, QString &out)
    {
        switch (value.kind()) {
        case Value::Kind::Undefined: return false;
        case Value::Kind::Null: out += QStringLiteral("null"); return true;
        case Value::Kind::Boolean: out += value.asBool() ? QStringLiteral("true") : QStringLiteral("false"); return true;
        case Value::Kind::Int:
        case Value::Kind::Number: {
            const double n = value.asNumber();
            out += std::isfinite(n) ? NumberToString(n) : QStringLiteral("null");
            return true;
        }
        case Value::Kind::String: out += QuoteJson(value.asString()); return true;
        case Value::Kind::Object: break;
        }
        if (isFunction(value))
            return false;
        Object *object = value.asObject();
        enter(object);
        if (isArrayLike(object))
            writeArray(value, out);
        else
            writeObject(value, out);
        m_stack.pop_back();
        return true;
    }

    void enter(Object *object)
    {
        if (std::find(m_stack.begin(), m_stack.end(), object) != m_stack.end())
            m_rt.throwError(ErrorType::TypeError, CyclicStructureError);
        if (m_stack.size() >= size_t(MaxNesting))
            m_rt.throwError(ErrorType::Error, StackOverflowError);
        m_stack.push_back(object);
    }

    QStringList keysOf(const Value &value)
    {
        if (m_style.keepOnly)
            return m_style.keep;
        Object *object = value.asObject();
        QStringList keys = declaredNames(object);
        for (int i = object->nextIndex(m_rt, 0); i > 0; i = object->nextIndex(m_rt, i))
            keys.push_back(m_rt.toString(object->nameAt(m_rt, i)));
        return keys;
    }

    void writeObject(const Value &value, QString &out)
    {
        const QString outer = m_indent;
        m_indent += m_style.gap;
        QStringList members;
        qsizetype written = 0;
        for (const QString &key : keysOf(value)) {
            const Multiname name = m_rt.publicName(key);
            if (!m_rt.hasProperty(value, name))
                continue;
            QString member = QuoteJson(key) + u':';
            if (!m_style.gap.isEmpty())
                member += u' ';
            if (write(key, value, m_rt.getProperty(value, name), member)) {
                written += member.size() + 1;
                checkLength(written);
                members.push_back(member);
            }
        }
        out += join(members, u'{', u'}', outer);
        m_indent = outer;
    }

    void writeArray(const Value &value, QString &out)
    {
        const QString outer = m_indent;
        m_indent += m_style.gap;
        const uint32_t length = m_rt.toUint(m_rt.get(value, QStringLiteral("length")));
        QStringList elements;
        qsizetype written = 0;
        for (uint32_t i = 0; i < length; ++i) {
            const Value index = Value::fromUint(i);
            QString element;
            if (!write(m_rt.toString(index), value, m_rt.getKeyed(value, index, m_rt.publicName(m_rt.toString(index))), element))
                element = QStringLiteral("null");
            written += element.size() + 1;
            checkLength(written);
            elements.push_back(element);
        }
        out += join(elements, u'[', u']', outer);
        m_indent = outer;
    }

    // Each element is at least "null", so this also bounds a long array.
    static void checkLength(qsizetype written)
    {
        if (written > MaxTextLength)
            throw ScriptAbort{QStringLiteral("JSON.stringify: the text grew too long")};
    }

    QString join(const QStringList &parts, QChar open, QChar close, const QString &outer) const
    {
        if (parts.isEmpty())
            return QString(open) + close;
        if (m_style.gap.isEmpty())
            return open + parts.join(u',') + close;
        const QString separator = QStringLiteral(",\n") + m_indent;
        return open + (u'\n' + m_indent) + parts.join(separator) + u'\n' + outer + close;
    }

    Runtime &m_rt;
    const JsonStyle &m_style;
    QString m_indent;
    std::vector<Object *> m_stack;
};

} // namespace

Value CallJsonFunction(Runtime &rt, const Value &function, const Value &self, Args args)
{
    const auto *fn = dynamic_cast<const FunctionObject *>(function.asObject());
    const AbcMethod *info = fn && fn->method ? fn->method->info : nullptr;
    if (info && !(info->flags & (MethodNeedRest | MethodNeedArguments)))
        args.count = std::min(args.count, int(info->paramTypes.size()));
    return rt.call(function, self, args);
}

QString QuoteJson(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\b': out += QStringLiteral("\\b"); break;
        case u'\f': out += QStringLiteral("\\f"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < u' ')
                out += QStringLiteral("\\u") + QString::number(c.unicode(), HexRadix).rightJustified(UnicodeEscapeDigits, u'0');
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

Value StringifyJson(Runtime &rt, const Value &value, const JsonStyle &style)
{
    Object *wrapper = rt.newObject();
    rt.set(Value(wrapper), QString(), value);
    QString out;
    if (!JsonWriter(rt, style).write(QString(), Value(wrapper), value, out))
        return Value();
    return Value(out);
}

} // namespace swf::avm2
