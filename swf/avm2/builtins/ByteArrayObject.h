#pragma once

#include "swf/avm2/Object.h"

#include <QByteArray>

namespace swf::avm2 {

// A flash.utils.ByteArray: bytes with a read and write position and the
// byte order multi-byte values use.
class ByteArrayObject : public Object {
public:
    // Longest array a movie may make; longer lengths stop the script.
    static constexpr uint32_t MaxLength = 512u << 20;

    using Object::Object;

    QByteArray bytes;
    uint32_t position = 0;
    bool littleEndian = false;
    uint32_t objectEncoding = 3;

    uint32_t length() const { return uint32_t(bytes.size()); }
    uint32_t available() const { return position < length() ? length() - position : 0; }
    // Zero-fills or truncates; absurd lengths throw the player's MemoryError.
    void setLength(Runtime &rt, uint32_t length);
    [[noreturn]] static void throwOutOfMemory(Runtime &rt);
    // Reads count bytes at the position and moves past them, or throws
    // EOFError #2030 leaving the position alone.
    QByteArray read(Runtime &rt, uint32_t count);
    // Writes at the position (growing the array) and moves past.
    void write(Runtime &rt, const QByteArray &data);
    // Multi-byte values in the array's byte order.
    uint64_t readOrdered(Runtime &rt, int size);
    void writeOrdered(Runtime &rt, uint64_t value, int size);

    bool getByKey(Runtime &rt, const Value &key, Value &out) override;
    bool setByKey(Runtime &rt, const Value &key, const Value &value) override;
    bool hasByKey(Runtime &rt, const Value &key, bool &has) override;
    bool getOwn(Runtime &rt, const Multiname &name, Value &out) override;
    bool setOwn(Runtime &rt, const Multiname &name, const Value &value) override;
    bool hasOwn(Runtime &rt, const Multiname &name) override;

private:
    // The index a key names, or -1.
    static int64_t indexOfKey(const Value &key);
    Value byteAt(int64_t index) const;
    void putByte(Runtime &rt, int64_t index, const Value &value);
};

} // namespace swf::avm2
