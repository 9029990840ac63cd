#pragma once

#include "swf/avm2/Object.h"

#include <map>
#include <vector>

namespace swf::avm2 {

// An Array's elements: a dense run from index 0, and the elements past it
// (or after a hole) kept sparsely, so `a[4294967294] = 1` costs one entry.
class ArrayObject : public Object {
public:
    using Object::Object;

    uint32_t length() const { return m_length; }
    void setLength(uint32_t length);
    // The element at index, or false for a hole.
    bool get(uint32_t index, Value &out) const;
    Value at(uint32_t index) const;
    bool has(uint32_t index) const;
    void set(uint32_t index, Value v);
    bool remove(uint32_t index);
    void push(Value v);
    void assign(std::vector<Value> elements);
    // Every element up to length, holes as undefined; for the methods that
    // rearrange the whole array. Bounded by the heap's room.
    std::vector<Value> toVector() const;
    bool isDense() const { return m_sparse.empty() && m_dense.size() == m_length; }

    // The elements from begin up to end, holes left out, in index order: the
    // methods that move elements work on these, so their cost follows the
    // elements there are, not the length.
    using Entry = std::pair<uint32_t, Value>;
    std::vector<Entry> entries(uint32_t begin, uint32_t end) const;
    // Replaces every element by entries (in index order, each below length).
    void rebuild(std::vector<Entry> entries, uint32_t length);

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
    // The index a key names, or -1.
    static int64_t indexOfKey(const Value &key);
    bool setIndex(uint32_t index, const Value &value);
    void absorbSparse();
    // The sparse element at a position in index order. Enumeration asks for
    // them one after another, so the last place found is kept: each step is
    // one move, not a walk from the start.
    std::map<uint32_t, Value>::const_iterator sparseAt(int position) const;

    std::vector<Value> m_dense;
    std::map<uint32_t, Value> m_sparse;
    uint32_t m_length = 0;
    static constexpr int NoCursor = -1;
    mutable int m_cursorPosition = NoCursor; // any change of the sparse part clears it
    mutable std::map<uint32_t, Value>::const_iterator m_cursor;
};

} // namespace swf::avm2
