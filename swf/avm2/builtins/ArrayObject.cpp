#include "swf/avm2/builtins/ArrayObject.h"

#include "swf/avm2/Runtime.h"

#include <cmath>

namespace swf::avm2 {

namespace {

// Elements written this far past the dense run still extend it.
constexpr uint32_t DenseSlack = 64;

} // namespace

void ArrayObject::setLength(uint32_t length)
{
    if (length < m_dense.size())
        m_dense.resize(length);
    m_sparse.erase(m_sparse.lower_bound(length), m_sparse.end());
    m_cursorPosition = NoCursor;
    m_length = length;
}

bool ArrayObject::get(uint32_t index, Value &out) const
{
    if (index < m_dense.size()) {
        out = m_dense[index];
        return true;
    }
    const auto it = m_sparse.find(index);
    if (it == m_sparse.end())
        return false;
    out = it->second;
    return true;
}

Value ArrayObject::at(uint32_t index) const
{
    Value v;
    get(index, v);
    return v;
}

bool ArrayObject::has(uint32_t index) const { return index < m_dense.size() || m_sparse.count(index); }

void ArrayObject::set(uint32_t index, Value v)
{
    if (index < m_dense.size()) {
        m_dense[index] = std::move(v);
    } else if (index == m_dense.size() && (m_sparse.empty() || m_sparse.begin()->first > index)) {
        m_dense.push_back(std::move(v));
        absorbSparse();
    } else {
        const auto [it, added] = m_sparse.try_emplace(index);
        it->second = std::move(v);
        if (added)
            m_cursorPosition = NoCursor;
    }
    if (index >= m_length)
        m_length = index + 1;
}

void ArrayObject::absorbSparse()
{
    while (!m_sparse.empty() && m_sparse.begin()->first == m_dense.size()) {
        m_dense.push_back(std::move(m_sparse.begin()->second));
        m_sparse.erase(m_sparse.begin());
        m_cursorPosition = NoCursor;
    }
}

bool ArrayObject::remove(uint32_t index)
{
    m_cursorPosition = NoCursor;
    if (index < m_dense.size()) {
        // The elements after a hole are kept sparsely.
        for (size_t i = index + 1; i < m_dense.size(); ++i)
            m_sparse.emplace(uint32_t(i), std::move(m_dense[i]));
        m_dense.resize(index);
        return true;
    }
    return m_sparse.erase(index) > 0;
}

void ArrayObject::push(Value v)
{
    if (m_length == 0xFFFFFFFFu)
        return;
    set(m_length, std::move(v));
}

void ArrayObject::assign(std::vector<Value> elements)
{
    m_sparse.clear();
    m_cursorPosition = NoCursor;
    m_dense = std::move(elements);
    m_length = uint32_t(m_dense.size());
}

std::vector<Value> ArrayObject::toVector() const
{
    if (m_length > Heap::MaxObjects * 4)
        throw ScriptAbort{QStringLiteral("the array is too long to rearrange")};
    std::vector<Value> out(m_dense);
    out.resize(m_length);
    for (const auto &[index, value] : m_sparse)
        out[index] = value;
    return out;
}

std::vector<ArrayObject::Entry> ArrayObject::entries(uint32_t begin, uint32_t end) const
{
    std::vector<Entry> out;
    for (size_t i = begin; i < m_dense.size() && i < end; ++i)
        out.emplace_back(uint32_t(i), m_dense[i]);
    for (auto it = m_sparse.lower_bound(begin); it != m_sparse.end() && it->first < end; ++it)
        out.emplace_back(it->first, it->second);
    return out;
}

void ArrayObject::rebuild(std::vector<Entry> entries, uint32_t length)
{
    m_dense.clear();
    m_sparse.clear();
    m_cursorPosition = NoCursor;
    for (Entry &entry : entries) {
        if (entry.first == m_dense.size() && m_sparse.empty())
            m_dense.push_back(std::move(entry.second));
        else
            m_sparse.emplace(entry.first, std::move(entry.second));
    }
    m_length = length;
}

int64_t ArrayObject::indexOfKey(const Value &key)
{
    if (key.isInt())
        return key.asInt() >= 0 ? key.asInt() : -1;
    if (key.kind() == Value::Kind::Number) {
        const double d = key.asNumber();
        if (d >= 0 && d < 4294967295.0 && d == std::floor(d))
            return int64_t(d);
        return -1;
    }
    if (key.isString())
        return ArrayIndexOf(key.asString());
    return -1;
}

bool ArrayObject::getOwn(Runtime &rt, const Multiname &name, Value &out)
{
    if (!name.anyName && name.hasPublic() && !name.attribute) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0)
            return get(uint32_t(index), out);
    }
    return Object::getOwn(rt, name, out);
}

bool ArrayObject::setOwn(Runtime &rt, const Multiname &name, const Value &value)
{
    if (!name.anyName && name.hasPublic() && !name.attribute) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0)
            return setIndex(uint32_t(index), value);
    }
    return Object::setOwn(rt, name, value);
}

bool ArrayObject::hasOwn(Runtime &rt, const Multiname &name)
{
    if (!name.anyName && name.hasPublic()) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0)
            return has(uint32_t(index));
    }
    return Object::hasOwn(rt, name);
}

bool ArrayObject::deleteOwn(Runtime &rt, const Multiname &name)
{
    if (!name.anyName && name.hasPublic()) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0)
            return remove(uint32_t(index));
    }
    return Object::deleteOwn(rt, name);
}

bool ArrayObject::getByKey(Runtime &, const Value &key, Value &out)
{
    const int64_t index = indexOfKey(key);
    if (index < 0)
        return false;
    if (!get(uint32_t(index), out))
        out = Value();
    // A hole reads as undefined unless a prototype has the index.
    return has(uint32_t(index)) || !prototype() || !prototype()->dynamics.size();
}

bool ArrayObject::setByKey(Runtime &, const Value &key, const Value &value)
{
    const int64_t index = indexOfKey(key);
    return index >= 0 && setIndex(uint32_t(index), value);
}

bool ArrayObject::setIndex(uint32_t index, const Value &value)
{
    // A sealed subclass keeps the elements it has but gets no new ones.
    if (!isDynamic() && !has(index))
        return false;
    set(index, value);
    return true;
}

bool ArrayObject::hasByKey(Runtime &, const Value &key, bool &result)
{
    const int64_t index = indexOfKey(key);
    if (index < 0 || !has(uint32_t(index)))
        return false;
    result = true;
    return true;
}

bool ArrayObject::deleteByKey(Runtime &, const Value &key, bool &deleted)
{
    const int64_t index = indexOfKey(key);
    if (index < 0)
        return false;
    remove(uint32_t(index));
    deleted = true;
    return true;
}

int ArrayObject::nextIndex(Runtime &rt, int index)
{
    const auto dense = int(m_dense.size());
    const auto sparse = int(m_sparse.size());
    if (index < dense)
        return index + 1;
    if (index < dense + sparse)
        return index + 1;
    const int next = Object::nextIndex(rt, index - dense - sparse);
    return next ? next + dense + sparse : 0;
}

Value ArrayObject::nameAt(Runtime &rt, int index)
{
    const auto dense = int(m_dense.size());
    const auto sparse = int(m_sparse.size());
    if (index >= 1 && index <= dense)
        return Value(index - 1);
    if (index > dense && index <= dense + sparse) {
        return Value::fromUint(sparseAt(index - dense - 1)->first);
    }
    return Object::nameAt(rt, index - dense - sparse);
}

Value ArrayObject::valueAt(Runtime &rt, int index)
{
    const auto dense = int(m_dense.size());
    const auto sparse = int(m_sparse.size());
    if (index >= 1 && index <= dense)
        return m_dense[size_t(index - 1)];
    if (index > dense && index <= dense + sparse) {
        return sparseAt(index - dense - 1)->second;
    }
    return Object::valueAt(rt, index - dense - sparse);
}

std::map<uint32_t, Value>::const_iterator ArrayObject::sparseAt(int position) const
{
    if (m_cursorPosition == NoCursor || position < m_cursorPosition) {
        m_cursor = m_sparse.begin();
        m_cursorPosition = 0;
    }
    std::advance(m_cursor, position - m_cursorPosition);
    m_cursorPosition = position;
    return m_cursor;
}

bool ArrayObject::propertyIsEnumerable(const QString &name) const
{
    const int64_t index = ArrayIndexOf(name);
    if (index >= 0)
        return has(uint32_t(index));
    return Object::propertyIsEnumerable(name);
}

void ArrayObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    for (const Value &v : m_dense)
        if (v.isObject())
            marker(v);
    for (const auto &[index, v] : m_sparse)
        if (v.isObject())
            marker(v);
}

} // namespace swf::avm2
