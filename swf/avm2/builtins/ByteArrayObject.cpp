#include "swf/avm2/builtins/ByteArrayObject.h"

#include "swf/avm2/Runtime.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr int EndOfFile = 2030;
constexpr int OutOfMemory = 1000;
constexpr int BitsPerByte = 8;
constexpr uint64_t ByteMask = 0xFF;

} // namespace

void ByteArrayObject::throwOutOfMemory(Runtime &rt)
{
    Class *cls = rt.builtin("flash.errors::MemoryError");
    if (!cls)
        throw ScriptAbort{QStringLiteral("a ByteArray grew too long")};
    const Value args[] = {Value(QStringLiteral("Error #%1: %2").arg(OutOfMemory).arg(Runtime::errorText(OutOfMemory))),
                          Value(OutOfMemory)};
    throw Exception{Value(rt.constructClass(cls, Args{args, 2}))};
}

void ByteArrayObject::setLength(Runtime &rt, uint32_t length)
{
    if (length > MaxLength)
        throwOutOfMemory(rt);
    bytes.resize(int(length), '\0');
    if (position > length)
        position = length;
}

QByteArray ByteArrayObject::read(Runtime &rt, uint32_t count)
{
    if (count > available())
        rt.throwError(ErrorType::EOFError, EndOfFile, QStringList{});
    const QByteArray out = bytes.mid(int(position), int(count));
    position += count;
    return out;
}

void ByteArrayObject::write(Runtime &rt, const QByteArray &data)
{
    const uint64_t end = uint64_t(position) + uint64_t(data.size());
    if (end > MaxLength)
        throwOutOfMemory(rt);
    if (end > length())
        bytes.resize(int(end), '\0');
    std::copy(data.begin(), data.end(), bytes.begin() + position);
    position = uint32_t(end);
}

uint64_t ByteArrayObject::readOrdered(Runtime &rt, int size)
{
    const QByteArray data = read(rt, uint32_t(size));
    uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
        const auto byte = uint64_t(uint8_t(data[littleEndian ? size - 1 - i : i]));
        value = (value << BitsPerByte) | byte;
    }
    return value;
}

void ByteArrayObject::writeOrdered(Runtime &rt, uint64_t value, int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i) {
        const char byte = char((value >> (BitsPerByte * (size - 1 - i))) & ByteMask);
        data[littleEndian ? size - 1 - i : i] = byte;
    }
    write(rt, data);
}

int64_t ByteArrayObject::indexOfKey(const Value &key)
{
    if (key.isNumber()) {
        const double d = key.asNumber();
        return d >= 0 && d < 4294967295.0 && d == std::floor(d) ? int64_t(d) : -1;
    }
    if (key.isString())
        return ArrayIndexOf(key.asString());
    return -1;
}

Value ByteArrayObject::byteAt(int64_t index) const
{
    return index < bytes.size() ? Value(int32_t(uint8_t(bytes[int(index)]))) : Value();
}

void ByteArrayObject::putByte(Runtime &rt, int64_t index, const Value &value)
{
    const char byte = char(rt.toInt(value) & int(ByteMask));
    if (index >= bytes.size()) {
        if (index >= MaxLength)
            throwOutOfMemory(rt);
        bytes.resize(int(index + 1), '\0');
    }
    bytes[int(index)] = byte;
}

bool ByteArrayObject::getByKey(Runtime &, const Value &key, Value &out)
{
    const int64_t index = indexOfKey(key);
    if (index < 0)
        return false;
    out = byteAt(index);
    return true;
}

bool ByteArrayObject::setByKey(Runtime &rt, const Value &key, const Value &value)
{
    const int64_t index = indexOfKey(key);
    if (index < 0)
        return false;
    putByte(rt, index, value);
    return true;
}

bool ByteArrayObject::hasByKey(Runtime &, const Value &key, bool &has)
{
    const int64_t index = indexOfKey(key);
    if (index < 0)
        return false;
    has = index < bytes.size();
    return true;
}

bool ByteArrayObject::getOwn(Runtime &rt, const Multiname &name, Value &out)
{
    if (!name.anyName && name.hasPublic() && !name.attribute) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0) {
            out = byteAt(index);
            return true;
        }
    }
    return Object::getOwn(rt, name, out);
}

bool ByteArrayObject::setOwn(Runtime &rt, const Multiname &name, const Value &value)
{
    if (!name.anyName && name.hasPublic() && !name.attribute) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0) {
            putByte(rt, index, value);
            return true;
        }
    }
    return Object::setOwn(rt, name, value);
}

bool ByteArrayObject::hasOwn(Runtime &rt, const Multiname &name)
{
    if (!name.anyName && name.hasPublic()) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0)
            return index < bytes.size();
    }
    return Object::hasOwn(rt, name);
}

} // namespace swf::avm2
