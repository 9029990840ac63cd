// ByteArray's readObject and writeObject: values in AMF 3, the player's
// serialisation format (plain values, arrays, objects, byte arrays and
// vectors; each object once, later occurrences by reference).
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/ByteArrayMethods.h"
#include "swf/avm2/builtins/VectorObject.h"

#include <QHash>

#include <cstring>

namespace swf::avm2 {

namespace {

enum Marker : uint8_t {
    AmfUndefined = 0, AmfNull = 1, AmfFalse = 2, AmfTrue = 3, AmfInteger = 4, AmfDouble = 5, AmfString = 6,
    AmfXmlDocument = 7, AmfDate = 8, AmfArray = 9, AmfObject = 10, AmfXml = 11, AmfByteArray = 12,
    AmfVectorInt = 13, AmfVectorUint = 14, AmfVectorDouble = 15, AmfVectorObject = 16,
};

// Nesting deeper than this is refused on both sides.
constexpr int MaxDepth = 256;
constexpr int32_t MinInteger = -(1 << 28), MaxInteger = (1 << 28) - 1;
constexpr uint32_t InlineFlag = 1;
constexpr uint32_t TraitsInline = 0x3, TraitsExternal = 0x4, TraitsDynamic = 0x8;
constexpr int TraitsCountShift = 4;
constexpr int IntBytes = 4, DoubleBytes = 8;
constexpr int EndOfFile = 2030;

class Writer {
public:
    Writer(Runtime &rt, ByteArrayObject *out) : m_rt(rt), m_out(out) {}

    void value(const Value &v, int depth)
    {
        if (depth > MaxDepth)
            throw ScriptAbort{QStringLiteral("an object nests too deeply to serialise")};
        switch (v.kind()) {
        case Value::Kind::Undefined: byte(AmfUndefined); return;
        case Value::Kind::Null: byte(AmfNull); return;
        case Value::Kind::Boolean: byte(v.asBool() ? AmfTrue : AmfFalse); return;
        case Value::Kind::Int:
            if (v.asInt() >= MinInteger && v.asInt() <= MaxInteger) {
                byte(AmfInteger);
                u29(uint32_t(v.asInt()) & 0x1FFFFFFF);
                return;
            }
            [[fallthrough]];
        case Value::Kind::Number:
            byte(AmfDouble);
            number(v.asNumber());
            return;
        case Value::Kind::String:
            byte(AmfString);
            string(v.asString());
            return;
        case Value::Kind::Object: object(v.asObject(), depth); return;
        }
    }

private:
    void byte(uint8_t b) { m_out->write(m_rt, QByteArray(1, char(b))); }

    void u29(uint32_t v)
    {
        if (v < 0x80) {
            byte(uint8_t(v));
        } else if (v < 0x4000) {
            byte(uint8_t(0x80 | (v >> 7)));
            byte(uint8_t(v & 0x7F));
        } else if (v < 0x200000) {
            byte(uint8_t(0x80 | (v >> 14)));
            byte(uint8_t(0x80 | ((v >> 7) & 0x7F)));
            byte(uint8_t(v & 0x7F));
        } else {
            byte(uint8_t(0x80 | (v >> 22)));
            byte(uint8_t(0x80 | ((v >> 15) & 0x7F)));
            byte(uint8_t(0x80 | ((v >> 8) & 0x7F)));
            byte(uint8_t(v & 0xFF));
        }
    }

    void number(double d)
    {
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        bigEndian(bits, DoubleBytes);
    }

    void bigEndian(uint64_t v, int size)
    {
        QByteArray data(size, '\0');
        for (int i = 0; i < size; ++i)
            data[i] = char((v >> (8 * (size - 1 - i))) & 0xFF);
        m_out->write(m_rt, data);
    }

    void string(const QString &s)
    {
        if (s.isEmpty()) {
            byte(InlineFlag);
            return;
        }
        const auto found = m_strings.constFind(s);
        if (found != m_strings.cend()) {
            u29(uint32_t(*found) << 1);
            return;
        }
        m_strings.insert(s, int(m_strings.size()));
        const QByteArray utf8 = s.toUtf8();
        u29((uint32_t(utf8.size()) << 1) | InlineFlag);
        m_out->write(m_rt, utf8);
    }

    // True when the object went out as a reference.
    bool reference(Object *o)
    {
        const auto found = m_objects.constFind(o);
        if (found != m_objects.cend()) {
            u29(uint32_t(*found) << 1);
            return true;
        }
        m_objects.insert(o, int(m_objects.size()));
        return false;
    }

    void dynamicMembers(Object *o, int depth)
    {
        for (const auto &entry : o->dynamics.entries())
            if (!entry.deleted && entry.enumerable && ArrayIndexOf(entry.name) < 0) {
                string(entry.name);
                value(entry.value, depth + 1);
            }
        string(QString());
    }

    void object(Object *o, int depth)
    {
        if (auto *array = dynamic_cast<ArrayObject *>(o)) {
            byte(AmfArray);
            if (reference(o))
                return;
            const std::vector<Value> elements = array->toVector();
            u29((uint32_t(elements.size()) << 1) | InlineFlag);
            dynamicMembers(o, depth);
            for (const Value &v : elements)
                value(v, depth + 1);
        } else if (auto *bytes = dynamic_cast<ByteArrayObject *>(o)) {
            byte(AmfByteArray);
            if (reference(o))
                return;
            const QByteArray data = bytes->bytes;
            u29((uint32_t(data.size()) << 1) | InlineFlag);
            m_out->write(m_rt, data);
        } else if (auto *vector = dynamic_cast<VectorObject *>(o)) {
            writeVector(vector, depth);
        } else {
            byte(AmfObject);
            if (reference(o))
                return;
            u29(TraitsInline | TraitsDynamic);
            string(QString());
            dynamicMembers(o, depth);
        }
    }

    void writeVector(VectorObject *vector, int depth)
    {
        Class *type = vector->elementType();
        const uint8_t marker = type == m_rt.intClass      ? AmfVectorInt
                               : type == m_rt.uintClass   ? AmfVectorUint
                               : type == m_rt.numberClass ? AmfVectorDouble
                                                          : AmfVectorObject;
        byte(marker);
        if (reference(vector))
            return;
        const std::vector<Value> elements = vector->elements;
        u29((uint32_t(elements.size()) << 1) | InlineFlag);
        byte(vector->fixed ? 1 : 0);
        if (marker == AmfVectorObject)
            string(type ? type->qualifiedName() : QStringLiteral("*"));
        for (const Value &v : elements) {
            if (marker == AmfVectorDouble)
                number(m_rt.toNumber(v));
            else if (marker == AmfVectorObject)
                value(v, depth + 1);
            else
                bigEndian(marker == AmfVectorInt ? uint32_t(m_rt.toInt(v)) : m_rt.toUint(v), IntBytes);
        }
    }

    Runtime &m_rt;
    ByteArrayObject *m_out;
    QHash<QString, int> m_strings;
    QHash<const Object *, int> m_objects;
};

class Reader {
public:
    Reader(Runtime &rt, ByteArrayObject *in) : m_rt(rt), m_in(in) {}

    Value value(int depth)
    {
        if (depth > MaxDepth)
            throw ScriptAbort{QStringLiteral("serialised data nests too deeply")};
        switch (byte()) {
        case AmfUndefined: return Value();
        case AmfNull: return Value::null();
        case AmfFalse: return Value(false);
        case AmfTrue: return Value(true);
        case AmfInteger: {
            const uint32_t v = u29();
            return Value(int32_t(v << 3) >> 3); // 29 bits, signed
        }
        case AmfDouble: return Value::number(number());
        case AmfString:
        case AmfXml:
        case AmfXmlDocument: return Value(string());
        case AmfDate: return date();
        case AmfArray: return array(depth);
        case AmfObject: return object(depth);
        case AmfByteArray: return byteArray();
        case AmfVectorInt:
        case AmfVectorUint:
        case AmfVectorDouble:
        case AmfVectorObject: return vector(m_last, depth);
        default: m_rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
        }
    }

private:
    uint8_t byte()
    {
        m_last = uint8_t(m_in->read(m_rt, 1)[0]);
        return m_last;
    }

    uint32_t u29()
    {
        uint32_t v = 0;
        for (int i = 0; i < 3; ++i) {
            const uint8_t b = uint8_t(m_in->read(m_rt, 1)[0]);
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return v;
        }
        return (v << 8) | uint8_t(m_in->read(m_rt, 1)[0]);
    }

    uint64_t bigEndian(int size)
    {
        const QByteArray data = m_in->read(m_rt, uint32_t(size));
        uint64_t v = 0;
        for (char c : data)
            v = (v << 8) | uint8_t(c);
        return v;
    }

    double number()
    {
        const uint64_t bits = bigEndian(DoubleBytes);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    // A count read from the data: never more than the bytes left could hold.
    uint32_t count(uint32_t header)
    {
        const uint32_t n = header >> 1;
        if (n > m_in->available())
            m_rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
        return n;
    }

    QString string()
    {
        const uint32_t header = u29();
        if (!(header & InlineFlag)) {
            if ((header >> 1) >= m_strings.size())
                m_rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
            return m_strings[int(header >> 1)];
        }
        const QString s = QString::fromUtf8(m_in->read(m_rt, count(header)));
        if (!s.isEmpty())
            m_strings.append(s);
        return s;
    }

    // Whether the header is a reference; out is then the object it names.
    bool referenced(uint32_t header, Value &out)
    {
        if (header & InlineFlag)
            return false;
        if ((header >> 1) >= m_objects.size())
            m_rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
        out = m_objects[size_t(header >> 1)];
        return true;
    }

    Value date()
    {
        Value out;
        if (referenced(u29(), out))
            return out;
        const Value time = Value(number());
        Class *dateClass = m_rt.builtin("Date");
        out = dateClass ? Value(m_rt.constructClass(dateClass, Args{&time, 1})) : time;
        m_objects.push_back(out);
        return out;
    }

    Value array(int depth)
    {
        Value out;
        const uint32_t header = u29();
        if (referenced(header, out))
            return out;
        const uint32_t dense = count(header);
        ArrayObject *made = m_rt.newArray();
        m_objects.push_back(Value(static_cast<Object *>(made)));
        for (QString name = string(); !name.isEmpty(); name = string())
            m_rt.set(Value(static_cast<Object *>(made)), name, value(depth + 1));
        for (uint32_t i = 0; i < dense; ++i)
            made->set(i, value(depth + 1));
        return Value(static_cast<Object *>(made));
    }

    Value object(int depth)
    {
        Value out;
        const uint32_t header = u29();
        if (referenced(header, out))
            return out;
        ObjectTraits traits;
        if ((header & TraitsInline) == InlineFlag) {
            if ((header >> 2) >= m_traits.size())
                m_rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
            traits = m_traits[size_t(header >> 2)];
        } else {
            if (header & TraitsExternal)
                m_rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
            traits.dynamic = header & TraitsDynamic;
            string(); // the class alias: objects come back as plain objects
            const uint32_t sealed = header >> TraitsCountShift;
            if (sealed > m_in->available())
                m_rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
            for (uint32_t i = 0; i < sealed; ++i)
                traits.sealed.push_back(string());
            m_traits.push_back(traits);
        }
        Object *made = m_rt.newObject();
        const Value result(made);
        m_objects.push_back(result);
        for (const QString &name : traits.sealed)
            m_rt.set(result, name, value(depth + 1));
        if (traits.dynamic)
            for (QString name = string(); !name.isEmpty(); name = string())
                m_rt.set(result, name, value(depth + 1));
        return result;
    }

    Value byteArray()
    {
        Value out;
        const uint32_t header = u29();
        if (referenced(header, out))
            return out;
        const QByteArray data = m_in->read(m_rt, count(header));
        auto *made = dynamic_cast<ByteArrayObject *>(m_rt.constructClass(m_in->objectClass(), Args{}));
        if (made)
            made->bytes = data;
        out = Value(static_cast<Object *>(made));
        m_objects.push_back(out);
        return out;
    }

    Value vector(uint8_t marker, int depth)
    {
        Value out;
        const uint32_t header = u29();
        if (referenced(header, out))
            return out;
        const uint32_t length = count(header);
        const bool fixed = byte() != 0;
        Class *element = marker == AmfVectorInt ? m_rt.intClass : marker == AmfVectorUint ? m_rt.uintClass
                       : marker == AmfVectorDouble ? m_rt.numberClass : nullptr;
        if (marker == AmfVectorObject) {
            const QString typeName = string();
            element = typeName == QLatin1String("*") ? nullptr : m_rt.findClass(typeName);
        }
        auto *made = dynamic_cast<VectorObject *>(m_rt.allocate(m_rt.vectorOf(element)));
        if (!made)
            throw ScriptAbort{QStringLiteral("a vector class makes no vectors")};
        out = Value(static_cast<Object *>(made));
        m_objects.push_back(out);
        for (uint32_t i = 0; i < length; ++i) {
            if (marker == AmfVectorDouble) {
                made->append(m_rt, Value(number()));
            } else if (marker == AmfVectorObject) {
                made->append(m_rt, value(depth + 1));
            } else {
                const auto bits = uint32_t(bigEndian(IntBytes));
                made->append(m_rt, marker == AmfVectorInt ? Value(int32_t(bits)) : Value::fromUint(bits));
            }
        }
        made->fixed = fixed;
        return out;
    }

    struct ObjectTraits {
        bool dynamic = false;
        QStringList sealed;
    };

    Runtime &m_rt;
    ByteArrayObject *m_in;
    uint8_t m_last = 0;
    QStringList m_strings;
    std::vector<Value> m_objects;
    std::vector<ObjectTraits> m_traits;
};

} // namespace

Value ByteArrayWriteObject(Runtime &rt, const Value &self, Args args)
{
    Writer(rt, ThisByteArray(rt, self)).value(args[0], 0);
    return Value();
}

Value ByteArrayReadObject(Runtime &rt, const Value &self, Args)
{
    return Reader(rt, ThisByteArray(rt, self)).value(0);
}

} // namespace swf::avm2
