#include "swf/avm2/builtins/VectorObject.h"

#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/Runtime.h"

#include <cmath>
#include <limits>

namespace swf::avm2 {

namespace {

constexpr int IndexOutOfRange = 1125;
constexpr int FixedLengthChange = 1126;

bool isIndex(double d) { return d >= 0 && d < 4294967295.0 && d == std::floor(d); }

} // namespace

Value VectorObject::coerceElement(Runtime &rt, const Value &v) const { return rt.coerce(v, elementType()); }

Value VectorObject::defaultElement(Runtime &rt) const
{
    // Vectors of objects start out null whatever the type (even Boolean).
    Class *type = elementType();
    const bool numeric = type && (type == rt.intClass || type == rt.uintClass || type == rt.numberClass);
    return numeric ? rt.coerce(Value(), type) : Value::null();
}

void VectorObject::checkResizable(Runtime &rt) const
{
    if (fixed)
        rt.throwError(ErrorType::RangeError, FixedLengthChange, QStringList{});
}

void VectorObject::setLength(Runtime &rt, double length)
{
    checkResizable(rt);
    if (!(length >= 0) || length > MaxLength)
        throw ScriptAbort{QStringLiteral("a vector of %1 elements is too long").arg(NumberToString(length))};
    elements.resize(size_t(length), defaultElement(rt));
}

void VectorObject::throwRange(Runtime &rt, double index) const
{
    rt.throwError(ErrorType::RangeError, IndexOutOfRange,
                  QStringList{NumberToString(index), QString::number(length())});
}

Value VectorObject::at(Runtime &rt, double index) const
{
    if (!isIndex(index) || index >= elements.size())
        throwRange(rt, index);
    return elements[size_t(index)];
}

void VectorObject::put(Runtime &rt, double index, const Value &v)
{
    if (!isIndex(index) || index > elements.size() || (fixed && index == elements.size()))
        throwRange(rt, index);
    const Value coerced = coerceElement(rt, v);
    if (index == elements.size())
        append(rt, coerced);
    else
        elements[size_t(index)] = coerced;
}

void VectorObject::append(Runtime &rt, const Value &v)
{
    if (elements.size() >= MaxLength)
        throw ScriptAbort{QStringLiteral("a vector grew too long")};
    elements.push_back(coerceElement(rt, v));
}

double VectorObject::indexOfName(const QString &name)
{
    const int64_t index = ArrayIndexOf(name);
    if (index >= 0)
        return double(index);
    bool ok = false;
    const double d = name.toDouble(&ok);
    return ok ? d : std::numeric_limits<double>::quiet_NaN();
}

double VectorObject::indexOfKey(Runtime &, const Value &key)
{
    if (key.isNumber())
        return key.asNumber();
    if (key.isString())
        return indexOfName(key.asString());
    return std::numeric_limits<double>::quiet_NaN();
}

bool VectorObject::getOwn(Runtime &rt, const Multiname &name, Value &out)
{
    if (!name.anyName && name.hasPublic() && !name.attribute) {
        const double index = indexOfName(name.name);
        if (!std::isnan(index)) {
            out = at(rt, index);
            return true;
        }
    }
    return Object::getOwn(rt, name, out);
}

bool VectorObject::setOwn(Runtime &rt, const Multiname &name, const Value &value)
{
    if (!name.anyName && name.hasPublic() && !name.attribute) {
        const double index = indexOfName(name.name);
        if (!std::isnan(index)) {
            put(rt, index, value);
            return true;
        }
    }
    return Object::setOwn(rt, name, value);
}

bool VectorObject::hasOwn(Runtime &rt, const Multiname &name)
{
    if (!name.anyName && name.hasPublic()) {
        const double index = indexOfName(name.name);
        if (!std::isnan(index))
            return isIndex(index) && index < elements.size();
    }
    return Object::hasOwn(rt, name);
}

bool VectorObject::deleteOwn(Runtime &rt, const Multiname &name)
{
    if (!name.anyName && name.hasPublic() && !std::isnan(indexOfName(name.name)))
        return false;
    return Object::deleteOwn(rt, name);
}

bool VectorObject::getByKey(Runtime &rt, const Value &key, Value &out)
{
    const double index = indexOfKey(rt, key);
    if (std::isnan(index))
        return false;
    out = at(rt, index);
    return true;
}

bool VectorObject::setByKey(Runtime &rt, const Value &key, const Value &value)
{
    const double index = indexOfKey(rt, key);
    if (std::isnan(index))
        return false;
    put(rt, index, value);
    return true;
}

bool VectorObject::hasByKey(Runtime &rt, const Value &key, bool &has)
{
    const double index = indexOfKey(rt, key);
    if (std::isnan(index))
        return false;
    has = isIndex(index) && index < elements.size();
    return true;
}

bool VectorObject::deleteByKey(Runtime &rt, const Value &key, bool &deleted)
{
    // Elements cannot be deleted, only the vector shortened.
    if (std::isnan(indexOfKey(rt, key)))
        return false;
    deleted = false;
    return true;
}

int VectorObject::nextIndex(Runtime &, int index)
{
    return index >= 0 && index < int(elements.size()) ? index + 1 : 0;
}

Value VectorObject::nameAt(Runtime &, int index)
{
    return index >= 1 && index <= int(elements.size()) ? Value(index - 1) : Value();
}

Value VectorObject::valueAt(Runtime &, int index)
{
    return index >= 1 && index <= int(elements.size()) ? elements[size_t(index - 1)] : Value();
}

bool VectorObject::propertyIsEnumerable(const QString &name) const
{
    const int64_t index = ArrayIndexOf(name);
    if (index >= 0)
        return index < int64_t(elements.size());
    return Object::propertyIsEnumerable(name);
}

void VectorObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    for (const Value &v : elements)
        if (v.isObject())
            marker(v);
}

} // namespace swf::avm2
