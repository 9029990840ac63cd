// The conversions between values, their comparisons and the + operator, as
// the AVM2 overview and ECMAScript define them.
#include "swf/avm2/AbcUnit.h"
#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/NamespaceObject.h"

#include <cmath>

namespace swf::avm2 {

bool Runtime::toBoolean(const Value &v)
{
    switch (v.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return false;
    case Value::Kind::Boolean: return v.asBool();
    case Value::Kind::Int: return v.asInt() != 0;
    case Value::Kind::Number: return !(v.asNumber() == 0 || std::isnan(v.asNumber()));
    case Value::Kind::String: return !v.asString().isEmpty();
    case Value::Kind::Object: return true;
    }
    return false;
}

double Runtime::toNumber(const Value &v)
{
    switch (v.kind()) {
    case Value::Kind::Undefined: return std::nan("");
    case Value::Kind::Null: return 0;
    case Value::Kind::Boolean: return v.asBool() ? 1 : 0;
    case Value::Kind::Int:
    case Value::Kind::Number: return v.asNumber();
    case Value::Kind::String: return StringToNumber(v.asString());
    case Value::Kind::Object: return toNumber(toPrimitive(v));
    }
    return 0;
}

int32_t Runtime::toInt(const Value &v) { return v.isInt() ? v.asInt() : ToInt32(toNumber(v)); }

uint32_t Runtime::toUint(const Value &v) { return v.isInt() ? uint32_t(v.asInt()) : ToUint32(toNumber(v)); }

QString Runtime::toString(const Value &v)
{
    switch (v.kind()) {
    case Value::Kind::Undefined: return QStringLiteral("undefined");
    case Value::Kind::Null: return QStringLiteral("null");
    case Value::Kind::Boolean: return v.asBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Kind::Int: return QString::number(v.asInt());
    case Value::Kind::Number: return NumberToString(v.asNumber());
    case Value::Kind::String: return v.asString();
    case Value::Kind::Object: return toString(toPrimitive(v, true));
    }
    return QString();
}

Value Runtime::toPrimitive(const Value &v, bool preferString)
{
    Object *object = v.asObject();
    if (!object)
        return v;
    if (Value own; object->toPrimitiveValue(*this, own))
        return own;
    // Dates are strings first, as in ECMAScript.
    if (!preferString && object->objectClass() && object->objectClass()->qualifiedName() == QLatin1String("Date"))
        preferString = true;
    const QString first = preferString ? QStringLiteral("toString") : QStringLiteral("valueOf");
    const QString second = preferString ? QStringLiteral("valueOf") : QStringLiteral("toString");
    for (const QString &name : {first, second}) {
        const Value fn = getProperty(v, publicName(name));
        if (!fn.isObject() || !dynamic_cast<FunctionObject *>(fn.asObject()))
            continue;
        const Value result = call(fn, v, Args{});
        if (result.isPrimitive())
            return result;
    }
    throwError(ErrorType::TypeError, 1050, QStringList{describe(v)});
}

QString Runtime::describe(const Value &v)
{
    if (Object *object = v.asObject()) {
        if (auto *cls = dynamic_cast<Class *>(object))
            return cls->qualifiedName().replace(QStringLiteral("::"), QStringLiteral("."));
        Class *cls = object->objectClass();
        return cls ? cls->qualifiedName() : QStringLiteral("Object");
    }
    if (Class *cls = classOf(v))
        return cls->qualifiedName();
    return toString(v);
}

Object *Runtime::toObject(const Value &v)
{
    if (v.isUndefined())
        throwError(ErrorType::TypeError, 1010, QStringList{});
    if (v.isNull())
        throwError(ErrorType::TypeError, 1009, QStringList{});
    return v.asObject();
}

QString Runtime::typeOf(const Value &v)
{
    switch (v.kind()) {
    case Value::Kind::Undefined: return QStringLiteral("undefined");
    case Value::Kind::Null: return QStringLiteral("object");
    case Value::Kind::Boolean: return QStringLiteral("boolean");
    case Value::Kind::Int:
    case Value::Kind::Number: return QStringLiteral("number");
    case Value::Kind::String: return QStringLiteral("string");
    case Value::Kind::Object: break;
    }
    Object *object = v.asObject();
    if (dynamic_cast<FunctionObject *>(object))
        return QStringLiteral("function");
    const Class *cls = object->objectClass();
    if (cls && !dynamic_cast<Class *>(object)) {
        const QString name = cls->qualifiedName();
        if (name == QLatin1String("XML") || name == QLatin1String("XMLList"))
            return QStringLiteral("xml");
    }
    return QStringLiteral("object");
}

Class *Runtime::classOf(const Value &v)
{
    switch (v.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return nullptr;
    case Value::Kind::Boolean: return booleanClass;
    case Value::Kind::Int: return intClass;
    case Value::Kind::Number: return numberClass;
    case Value::Kind::String: return stringClass;
    case Value::Kind::Object: break;
    }
    Object *object = v.asObject();
    if (dynamic_cast<Class *>(object))
        return classClass;
    return object->objectClass() ? object->objectClass() : objectClass;
}

bool Runtime::isType(const Value &v, Class *type)
{
    if (!type)
        return true;
    if (v.isNullish())
        return false;
    if (type == objectClass)
        return true;
    if (v.isNumber()) {
        const double d = v.asNumber();
        if (type == numberClass)
            return true;
        if (type == intClass)
            return d == std::trunc(d) && d >= -2147483648.0 && d <= 2147483647.0 && !(d == 0 && std::signbit(d));
        if (type == uintClass)
            return d == std::trunc(d) && d >= 0 && d <= 4294967295.0 && !(d == 0 && std::signbit(d));
        return false;
    }
    Class *cls = classOf(v);
    return cls && (cls->isSubclassOf(type) || cls->implements(type));
}

Value Runtime::coerce(const Value &v, Class *type)
{
    if (!type)
        return v;
    if (type == intClass)
        return Value(toInt(v));
    if (type == uintClass)
        return Value::fromUint(toUint(v));
    if (type == numberClass)
        return Value::number(toNumber(v));
    if (type == booleanClass)
        return Value(toBoolean(v));
    if (type == stringClass)
        return v.isNullish() ? Value::null() : Value(toString(v));
    if (v.isNullish())
        return Value::null();
    if (type == objectClass || isType(v, type))
        return v;
    throwError(ErrorType::TypeError, 1034, QStringList{describe(v), type->qualifiedName()});
}

bool Runtime::strictEquals(const Value &a, const Value &b)
{
    if (a.isNumber() && b.isNumber())
        return a.asNumber() == b.asNumber();
    if (a.kind() != b.kind())
        return false;
    switch (a.kind()) {
    case Value::Kind::Undefined:
    case Value::Kind::Null: return true;
    case Value::Kind::Boolean: return a.asBool() == b.asBool();
    case Value::Kind::String: return a.asString() == b.asString();
    case Value::Kind::Object: {
        if (a.asObject() == b.asObject())
            return true;
        auto *na = dynamic_cast<NamespaceObject *>(a.asObject());
        auto *nb = dynamic_cast<NamespaceObject *>(b.asObject());
        if (na && nb)
            return na->ns->uri == nb->ns->uri;
        return a.asObject()->equalsValue(*this, b);
    }
    default: return false;
    }
}

bool Runtime::looseEquals(const Value &a, const Value &b)
{
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNullish() || b.isNullish())
        return false;
    if (a.isNumber() && b.isNumber())
        return a.asNumber() == b.asNumber();
    if (a.kind() == b.kind())
        return strictEquals(a, b);
    if (a.isObject() && a.asObject()->equalsValue(*this, b))
        return true;
    if (b.isObject() && b.asObject()->equalsValue(*this, a))
        return true;
    if (a.isObject() && b.isObject())
        return false;
    if (a.isBoolean())
        return looseEquals(Value::number(a.asBool() ? 1 : 0), b);
    if (b.isBoolean())
        return looseEquals(a, Value::number(b.asBool() ? 1 : 0));
    if (a.isNumber() && b.isString())
        return a.asNumber() == toNumber(b);
    if (a.isString() && b.isNumber())
        return toNumber(a) == b.asNumber();
    if (a.isObject())
        return looseEquals(toPrimitive(a), b);
    if (b.isObject())
        return looseEquals(a, toPrimitive(b));
    return false;
}

Value Runtime::lessThan(const Value &a, const Value &b)
{
    if (a.isInt() && b.isInt())
        return Value(a.asInt() < b.asInt());
    const Value pa = toPrimitive(a);
    const Value pb = toPrimitive(b);
    if (pa.isString() && pb.isString())
        return Value(pa.asString() < pb.asString());
    const double x = toNumber(pa);
    const double y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y))
        return Value();
    return Value(x < y);
}

Value Runtime::add(const Value &a, const Value &b)
{
    if (a.isInt() && b.isInt())
        return Value::number(double(a.asInt()) + double(b.asInt()));
    if (a.isNumber() && b.isNumber())
        return Value::number(a.asNumber() + b.asNumber());
    if (a.isObject() || b.isObject()) {
        Value combined;
        if (a.isObject() && a.asObject()->addValues(*this, a, b, combined))
            return combined;
        if (b.isObject() && b.asObject()->addValues(*this, a, b, combined))
            return combined;
    }
    const Value pa = toPrimitive(a);
    const Value pb = toPrimitive(b);
    if (pa.isString() || pb.isString()) {
        QString left = toString(pa);
        const QString right = toString(pb);
        if (left.size() + right.size() > MaxStringLength)
            throw ScriptAbort{QStringLiteral("a text grew past the longest the player keeps")};
        // Copying counts against the script's budget, so a loop of growing
        // concatenations ends in bounded time.
        instructionsLeft -= (left.size() + right.size()) / CharactersPerInstruction;
        return Value(left.append(right));
    }
    return Value::number(toNumber(pa) + toNumber(pb));
}

} // namespace swf::avm2
