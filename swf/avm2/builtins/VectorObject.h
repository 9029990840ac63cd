#pragma once

#include "swf/avm2/Class.h"

#include <vector>

namespace swf::avm2 {

// A Vector.<T>: a dense list whose elements are coerced to the class's
// element type on every write. A fixed vector keeps its length.
class VectorObject : public Object {
public:
    // More elements than a movie may hold in one vector.
    static constexpr uint32_t MaxLength = 1u << 22;

    using Object::Object;

    std::vector<Value> elements;
    bool fixed = false;

    Class *elementType() const { return objectClass() ? objectClass()->elementType : nullptr; }
    uint32_t length() const { return uint32_t(elements.size()); }
    Value coerceElement(Runtime &rt, const Value &v) const;
    // What a new element holds before it is written: 0 or null.
    Value defaultElement(Runtime &rt) const;
    // RangeError #1126 when the vector is fixed.
    void checkResizable(Runtime &rt) const;
    // Grows with default elements or shrinks; refuses absurd lengths.
    void setLength(Runtime &rt, double length);
    // Reads and writes with the player's range checks (RangeError #1125);
    // writing at length appends.
    Value at(Runtime &rt, double index) const;
    void put(Runtime &rt, double index, const Value &v);
    // Appends a coerced element.
    void append(Runtime &rt, const Value &v);

    bool isDynamic() const override { return false; }
    bool getOwn(Runtime &rt, const Multiname &name, Value &out) override;
    bool setOwn(Runtime &rt, const Multiname &name, const Value &value) override;
    bool hasOwn(Runtime &rt, const Multiname &name) override;
    bool deleteOwn(Runtime &rt, const Multiname &name) override;
    bool getByKey(Runtime &rt, const Value &key, Value &out) override;
    bool setByKey(Runtime &rt, const Value &key, const Value &value) override;
    bool hasByKey(Runtime &rt, const Value &key, bool &has) override;
    bool deleteByKey(Runtime &rt, const Value &key, bool &deleted) override;
    int nextIndex(Runtime &rt, int index) override;
    Value nameAt(Runtime &rt, int index) override;
    Value valueAt(Runtime &rt, int index) override;
    bool propertyIsEnumerable(const QString &name) const override;
    void mark(const Marker &marker) const override;

private:
    // A key as an element index: a number, or a text that reads as one.
    // NaN when the key is not numeric at all (a plain property name).
    static double indexOfKey(Runtime &rt, const Value &key);
    static double indexOfName(const QString &name);
    [[noreturn]] void throwRange(Runtime &rt, double index) const;
};

} // namespace swf::avm2
