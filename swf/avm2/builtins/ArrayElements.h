#pragma once

#include "swf/avm2/Function.h"
#include "swf/avm2/builtins/ArrayObject.h"

namespace swf::avm2 {

// The elements an Array method works on. On an Array they are its own; on
// any other object (Array.prototype.join.call(o)) they are the properties
// "0", "1", ... up to its length property, read and written as a script
// would. Walking such an object spends the entry's instruction budget, so a
// length of 4294967295 stops instead of hanging.
class ArrayElements {
public:
    using Entry = ArrayObject::Entry;

    // Where an Array's length is read: most methods take its own, concat
    // and splice ask the property, which a subclass may override.
    enum class LengthFrom { Elements, Property };

    ArrayElements(Runtime &rt, const Value &self, LengthFrom from = LengthFrom::Elements);

    ArrayObject *array() const { return m_array; }
    const Value &self() const { return m_self; }
    uint32_t length() const { return m_length; }
    void setLength(uint32_t length);
    bool get(uint32_t index, Value &out);
    Value at(uint32_t index);
    void set(uint32_t index, const Value &value);
    void remove(uint32_t index);
    std::vector<Entry> entries(uint32_t begin, uint32_t end);
    // Replaces every element below the old length by entries.
    void rebuild(std::vector<Entry> entries, uint32_t length);

private:
    Multiname nameOf(uint32_t index) const;

    Runtime &m_rt;
    Value m_self;
    ArrayObject *m_array = nullptr;
    uint32_t m_length = 0;
};

// One step of a native loop, counted against the entry's budget.
void SpendStep(Runtime &rt);

// ToInteger of a relative position (negative: from the end), clamped to
// [0, length]; missing: fallback.
uint32_t RelativeIndex(Runtime &rt, Args args, int i, uint32_t length, uint32_t fallback);

} // namespace swf::avm2
