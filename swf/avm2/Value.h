#pragma once

#include <QString>

#include <cmath>
#include <cstdint>

namespace swf::avm2 {

class Object;

// An ActionScript 3 value. Integers that fit 32 bits are kept as Int, as the
// virtual machine keeps int and uint values; arithmetic may widen them to
// Number. Objects live in the runtime's heap.
class Value {
public:
    enum class Kind : uint8_t { Undefined, Null, Boolean, Int, Number, String, Object };

    Value() = default;
    Value(bool b) : m_kind(Kind::Boolean) { m_b = b; }
    Value(int32_t i) : m_kind(Kind::Int) { m_i = i; }
    Value(double d) : m_kind(Kind::Number) { m_d = d; }
    Value(const QString &s) : m_kind(Kind::String), m_s(s) {}
    Value(QString &&s) : m_kind(Kind::String), m_s(std::move(s)) {}
    Value(const char *s) : m_kind(Kind::String), m_s(QString::fromLatin1(s)) {}
    Value(Object *o) : m_kind(o ? Kind::Object : Kind::Null) { m_o = o; }

    static Value null() { Value v; v.m_kind = Kind::Null; return v; }
    static Value fromUint(uint32_t u)
    {
        return u <= uint32_t(INT32_MAX) ? Value(int32_t(u)) : Value(double(u));
    }
    // A Number that is an integer of 32 bits is kept as Int, so that the
    // int and uint type checks see it as one.
    static Value number(double d);

    Kind kind() const { return m_kind; }
    bool isUndefined() const { return m_kind == Kind::Undefined; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isNullish() const { return m_kind == Kind::Undefined || m_kind == Kind::Null; }
    bool isBoolean() const { return m_kind == Kind::Boolean; }
    bool isInt() const { return m_kind == Kind::Int; }
    bool isNumber() const { return m_kind == Kind::Int || m_kind == Kind::Number; }
    bool isString() const { return m_kind == Kind::String; }
    bool isObject() const { return m_kind == Kind::Object; }
    bool isPrimitive() const { return m_kind != Kind::Object; }

    bool asBool() const { return m_b; }
    int32_t asInt() const { return m_i; }
    double asNumber() const { return m_kind == Kind::Int ? double(m_i) : m_d; }
    const QString &asString() const { return m_s; }
    Object *asObject() const { return m_kind == Kind::Object ? m_o : nullptr; }

private:
    Kind m_kind = Kind::Undefined;
    union {
        bool m_b;
        int32_t m_i;
        double m_d;
        Object *m_o = nullptr;
    };
    QString m_s;
};

inline Value Value::number(double d)
{
    if (d >= -2147483648.0 && d <= 2147483647.0) {
        const auto i = int32_t(d);
        if (double(i) == d && !(i == 0 && std::signbit(d)))
            return Value(i);
    }
    return Value(d);
}

} // namespace swf::avm2
