// flash.utils.ByteArray: reading and writing numbers in either byte order.
#include "swf/avm2/builtins/ByteArrayMethods.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <cstring>

namespace swf::avm2 {

ByteArrayObject *ThisByteArray(Runtime &rt, const Value &self)
{
    return ThisAs<ByteArrayObject>(rt, self, "flash.utils.ByteArray");
}

namespace {

constexpr int BadIndex = 2006;
constexpr int NotAcceptedValue = 2008;
constexpr int ShortBytes = 2, IntBytes = 4, DoubleBytes = 8;
constexpr uint32_t Amf0 = 0, Amf3 = 3;

const QString BigEndian = QStringLiteral("bigEndian");
const QString LittleEndian = QStringLiteral("littleEndian");

// ByteArray.defaultObjectEncoding lives on the class object, hidden behind
// the accessor of the same name, so that each movie has its own.
const QString DefaultEncodingName = QStringLiteral("defaultObjectEncoding");

uint32_t defaultObjectEncoding(Runtime &rt)
{
    Class *cls = rt.builtin("flash.utils::ByteArray");
    const Value *stored = cls ? cls->dynamics.find(DefaultEncodingName) : nullptr;
    return stored ? rt.toUint(*stored) : Amf3;
}

Value construct(Runtime &rt, const Value &self, Args)
{
    ThisByteArray(rt, self)->objectEncoding = defaultObjectEncoding(rt);
    return Value();
}

Value getLength(Runtime &rt, const Value &self, Args) { return Value::fromUint(ThisByteArray(rt, self)->length()); }

Value setLength(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->setLength(rt, rt.toUint(args[0]));
    return Value();
}

Value getPosition(Runtime &rt, const Value &self, Args) { return Value::fromUint(ThisByteArray(rt, self)->position); }

Value setPosition(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->position = rt.toUint(args[0]);
    return Value();
}

Value bytesAvailable(Runtime &rt, const Value &self, Args) { return Value::fromUint(ThisByteArray(rt, self)->available()); }

Value getEndian(Runtime &rt, const Value &self, Args)
{
    return Value(ThisByteArray(rt, self)->littleEndian ? LittleEndian : BigEndian);
}

Value setEndian(Runtime &rt, const Value &self, Args args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    const QString endian = args[0].isNullish() ? QString() : rt.toString(args[0]);
    if (endian != BigEndian && endian != LittleEndian)
        rt.throwError(ErrorType::ArgumentError, NotAcceptedValue, QStringList{QStringLiteral("type")});
    array->littleEndian = endian == LittleEndian;
    return Value();
}

Value getObjectEncoding(Runtime &rt, const Value &self, Args) { return Value::fromUint(ThisByteArray(rt, self)->objectEncoding); }

uint32_t checkedEncoding(Runtime &rt, const Value &v)
{
    const uint32_t encoding = rt.toUint(v);
    if (encoding != Amf0 && encoding != Amf3)
        rt.throwError(ErrorType::ArgumentError, NotAcceptedValue, QStringList{QStringLiteral("version")});
    return encoding;
}

Value setObjectEncoding(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->objectEncoding = checkedEncoding(rt, args[0]);
    return Value();
}

Value getDefaultObjectEncoding(Runtime &rt, const Value &, Args) { return Value::fromUint(defaultObjectEncoding(rt)); }

Value setDefaultObjectEncoding(Runtime &rt, const Value &, Args args)
{
    const uint32_t encoding = checkedEncoding(rt, args[0]);
    if (Class *cls = rt.builtin("flash.utils::ByteArray"))
        cls->dynamics.set(DefaultEncodingName, Value::fromUint(encoding), false);
    return Value();
}

Value clear(Runtime &rt, const Value &self, Args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    array->bytes.clear();
    array->position = 0;
    return Value();
}

Value readBoolean(Runtime &rt, const Value &self, Args) { return Value(ThisByteArray(rt, self)->read(rt, 1)[0] != 0); }
Value readByte(Runtime &rt, const Value &self, Args) { return Value(int32_t(int8_t(ThisByteArray(rt, self)->read(rt, 1)[0]))); }
Value readUnsignedByte(Runtime &rt, const Value &self, Args)
{
    return Value(int32_t(uint8_t(ThisByteArray(rt, self)->read(rt, 1)[0])));
}
Value readShort(Runtime &rt, const Value &self, Args)
{
    return Value(int32_t(int16_t(ThisByteArray(rt, self)->readOrdered(rt, ShortBytes))));
}
Value readUnsignedShort(Runtime &rt, const Value &self, Args)
{
    return Value(int32_t(uint16_t(ThisByteArray(rt, self)->readOrdered(rt, ShortBytes))));
}
Value readInt(Runtime &rt, const Value &self, Args)
{
    return Value(int32_t(uint32_t(ThisByteArray(rt, self)->readOrdered(rt, IntBytes))));
}
Value readUnsignedInt(Runtime &rt, const Value &self, Args)
{
    return Value::fromUint(uint32_t(ThisByteArray(rt, self)->readOrdered(rt, IntBytes)));
}

Value readFloat(Runtime &rt, const Value &self, Args)
{
    const auto bits = uint32_t(ThisByteArray(rt, self)->readOrdered(rt, IntBytes));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return Value(double(f));
}

Value readDouble(Runtime &rt, const Value &self, Args)
{
    const uint64_t bits = ThisByteArray(rt, self)->readOrdered(rt, DoubleBytes);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return Value(d);
}

Value writeBoolean(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->write(rt, QByteArray(1, rt.toBoolean(args[0]) ? '\1' : '\0'));
    return Value();
}

Value writeByte(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->write(rt, QByteArray(1, char(rt.toInt(args[0]))));
    return Value();
}

Value writeShort(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->writeOrdered(rt, uint16_t(rt.toInt(args[0])), ShortBytes);
    return Value();
}

Value writeInt(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->writeOrdered(rt, uint32_t(rt.toInt(args[0])), IntBytes);
    return Value();
}

Value writeUnsignedInt(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->writeOrdered(rt, rt.toUint(args[0]), IntBytes);
    return Value();
}

Value writeFloat(Runtime &rt, const Value &self, Args args)
{
    const auto f = float(rt.toNumber(args[0]));
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    ThisByteArray(rt, self)->writeOrdered(rt, bits, IntBytes);
    return Value();
}

Value writeDouble(Runtime &rt, const Value &self, Args args)
{
    const double d = rt.toNumber(args[0]);
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    ThisByteArray(rt, self)->writeOrdered(rt, bits, DoubleBytes);
    return Value();
}

// The bytes [offset, offset + length) of an array; length 0 means to its end.
void checkSpan(Runtime &rt, uint32_t size, uint32_t offset, uint32_t &length)
{
    if (offset > size)
        rt.throwError(ErrorType::RangeError, BadIndex, QStringList{});
    if (length == 0)
        length = size - offset;
    if (uint64_t(offset) + length > size)
        rt.throwError(ErrorType::RangeError, BadIndex, QStringList{});
}

// readBytes(into, offset, length): copies from this array's position into another's offset.
Value readBytes(Runtime &rt, const Value &self, Args args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    auto *into = dynamic_cast<ByteArrayObject *>(args[0].asObject());
    if (!into)
        rt.throwError(ErrorType::TypeError, 2007, QStringList{QStringLiteral("bytes")});
    const uint32_t offset = rt.toUint(args[1]);
    uint32_t length = rt.toUint(args[2]);
    if (length == 0)
        length = array->available();
    if (uint64_t(offset) + length > ByteArrayObject::MaxLength)
        rt.throwError(ErrorType::RangeError, BadIndex, QStringList{});
    const QByteArray data = array->read(rt, length);
    const uint32_t kept = into->position;
    into->position = offset;
    into->write(rt, data);
    into->position = kept;
    return Value();
}

// writeBytes(from, offset, length): copies another array's bytes to this one's position.
Value writeBytes(Runtime &rt, const Value &self, Args args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    auto *from = dynamic_cast<ByteArrayObject *>(args[0].asObject());
    if (!from)
        rt.throwError(ErrorType::TypeError, 2007, QStringList{QStringLiteral("bytes")});
    const uint32_t offset = rt.toUint(args[1]);
    uint32_t length = rt.toUint(args[2]);
    checkSpan(rt, from->length(), offset, length);
    array->write(rt, from->bytes.mid(int(offset), int(length)));
    return Value();
}

} // namespace

extern const NativeClass ByteArrayClass = {
    "flash.utils", "ByteArray", "Object", 0, CreateNative<ByteArrayObject>, construct, nullptr,
    {
        {"length", MemberKind::Getter, getLength},
        {"length", MemberKind::Setter, setLength},
        {"position", MemberKind::Getter, getPosition},
        {"position", MemberKind::Setter, setPosition},
        {"bytesAvailable", MemberKind::Getter, bytesAvailable},
        {"endian", MemberKind::Getter, getEndian},
        {"endian", MemberKind::Setter, setEndian},
        {"objectEncoding", MemberKind::Getter, getObjectEncoding},
        {"objectEncoding", MemberKind::Setter, setObjectEncoding},
        {"defaultObjectEncoding", MemberKind::Getter, getDefaultObjectEncoding, 0, MemberStatic},
        {"defaultObjectEncoding", MemberKind::Setter, setDefaultObjectEncoding, 0, MemberStatic},
        {"clear", MemberKind::Method, clear},
        {"readBoolean", MemberKind::Method, readBoolean},
        {"readByte", MemberKind::Method, readByte},
        {"readUnsignedByte", MemberKind::Method, readUnsignedByte},
        {"readShort", MemberKind::Method, readShort},
        {"readUnsignedShort", MemberKind::Method, readUnsignedShort},
        {"readInt", MemberKind::Method, readInt},
        {"readUnsignedInt", MemberKind::Method, readUnsignedInt},
        {"readFloat", MemberKind::Method, readFloat},
        {"readDouble", MemberKind::Method, readDouble},
        {"readBytes", MemberKind::Method, readBytes, 1},
        {"readUTF", MemberKind::Method, ByteArrayReadUTF},
        {"readUTFBytes", MemberKind::Method, ByteArrayReadUTFBytes, 1},
        {"readMultiByte", MemberKind::Method, ByteArrayReadMultiByte, 2},
        {"writeBoolean", MemberKind::Method, writeBoolean, 1},
        {"writeByte", MemberKind::Method, writeByte, 1},
        {"writeShort", MemberKind::Method, writeShort, 1},
        {"writeInt", MemberKind::Method, writeInt, 1},
        {"writeUnsignedInt", MemberKind::Method, writeUnsignedInt, 1},
        {"writeFloat", MemberKind::Method, writeFloat, 1},
        {"writeDouble", MemberKind::Method, writeDouble, 1},
        {"writeBytes", MemberKind::Method, writeBytes, 1},
        {"writeUTF", MemberKind::Method, ByteArrayWriteUTF, 1},
        {"writeUTFBytes", MemberKind::Method, ByteArrayWriteUTFBytes, 1},
        {"writeMultiByte", MemberKind::Method, ByteArrayWriteMultiByte, 2},
        {"readObject", MemberKind::Method, ByteArrayReadObject},
        {"writeObject", MemberKind::Method, ByteArrayWriteObject, 1},
        {"compress", MemberKind::Method, ByteArrayCompress},
        {"uncompress", MemberKind::Method, ByteArrayUncompress},
        {"deflate", MemberKind::Method, ByteArrayDeflate},
        {"inflate", MemberKind::Method, ByteArrayInflate},
        {"toString", MemberKind::Method, ByteArrayToString},
    },
    {}, nullptr, {"flash.utils::IDataInput", "flash.utils::IDataOutput"}, nullptr,
};

} // namespace swf::avm2
