#include "swf/avm2/builtins/DictionaryObject.h"

#include "swf/avm2/Runtime.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

// Deleted entries tolerated before the list is rebuilt.
constexpr int CompactThreshold = 64;

} // namespace

int DictionaryObject::find(Runtime &rt, const Value &key) const
{
    if (const Object *object = key.asObject())
        return m_byObject.value(object, -1);
    return findText(rt.toString(key));
}

void DictionaryObject::put(Runtime &rt, const Value &key, const Value &value)
{
    const int found = find(rt, key);
    if (found >= 0) {
        m_entries[size_t(found)].value = value;
        return;
    }
    if (m_deleted > CompactThreshold && m_deleted * 2 > int(m_entries.size()))
        compact();
    if (m_entries.size() >= Heap::MaxObjects)
        throw ScriptAbort{QStringLiteral("a dictionary grew too large")};
    const int index = int(m_entries.size());
    if (const Object *object = key.asObject()) {
        m_byObject.insert(object, index);
        m_entries.push_back(Entry{key, QString(), value});
    } else {
        // Texts that are indices enumerate as numbers, as on any object.
        const QString text = rt.toString(key);
        const int64_t asIndex = ArrayIndexOf(text);
        m_byText.insert(text, index);
        m_entries.push_back(Entry{asIndex >= 0 ? Value::number(double(asIndex)) : Value(text), text, value});
    }
}

void DictionaryObject::erase(int entry)
{
    Entry &e = m_entries[size_t(entry)];
    if (const Object *object = e.key.asObject())
        m_byObject.remove(object);
    else
        m_byText.remove(e.text);
    e = Entry{Value(), QString(), Value(), true};
    ++m_deleted;
}

void DictionaryObject::compact()
{
    std::vector<Entry> kept;
    kept.reserve(m_entries.size() - size_t(m_deleted));
    m_byText.clear();
    m_byObject.clear();
    for (Entry &e : m_entries) {
        if (e.deleted)
            continue;
        const int index = int(kept.size());
        if (const Object *object = e.key.asObject())
            m_byObject.insert(object, index);
        else
            m_byText.insert(e.text, index);
        kept.push_back(std::move(e));
    }
    m_entries = std::move(kept);
    m_deleted = 0;
}

bool DictionaryObject::getOwn(Runtime &rt, const Multiname &name, Value &out)
{
    if (isPlainName(name)) {
        const int found = findText(name.name);
        if (found >= 0) {
            out = m_entries[size_t(found)].value;
            return true;
        }
    }
    return Object::getOwn(rt, name, out);
}

bool DictionaryObject::setOwn(Runtime &rt, const Multiname &name, const Value &value)
{
    if (!isPlainName(name))
        return Object::setOwn(rt, name, value);
    put(rt, Value(name.name), value);
    return true;
}

bool DictionaryObject::hasOwn(Runtime &rt, const Multiname &name)
{
    return (isPlainName(name) && findText(name.name) >= 0) || Object::hasOwn(rt, name);
}

bool DictionaryObject::deleteOwn(Runtime &rt, const Multiname &name)
{
    if (isPlainName(name)) {
        const int found = findText(name.name);
        if (found >= 0) {
            erase(found);
            return true;
        }
    }
    return Object::deleteOwn(rt, name);
}

bool DictionaryObject::getByKey(Runtime &rt, const Value &key, Value &out)
{
    const int found = find(rt, key);
    if (found >= 0) {
        out = m_entries[size_t(found)].value;
        return true;
    }
    // A missing text key may still name a prototype's property.
    if (!key.isObject())
        return false;
    out = Value();
    return true;
}

bool DictionaryObject::setByKey(Runtime &rt, const Value &key, const Value &value)
{
    put(rt, key, value);
    return true;
}

bool DictionaryObject::hasByKey(Runtime &rt, const Value &key, bool &has)
{
    const bool found = find(rt, key) >= 0;
    // A missing text key may still name a prototype's property.
    if (!key.isObject() && !found)
        return false;
    has = found;
    return true;
}

bool DictionaryObject::deleteByKey(Runtime &rt, const Value &key, bool &deleted)
{
    const int found = find(rt, key);
    if (found >= 0)
        erase(found);
    deleted = true;
    return true;
}

// Every key lives in the entries (setOwn stores names there too), so the
// object's own dynamic properties stay empty.
int DictionaryObject::nextIndex(Runtime &, int index)
{
    for (auto i = size_t(std::max(index, 0)); i < m_entries.size(); ++i)
        if (!m_entries[i].deleted)
            return int(i) + 1;
    return 0;
}

Value DictionaryObject::nameAt(Runtime &, int index)
{
    return index >= 1 && index <= int(m_entries.size()) ? m_entries[size_t(index - 1)].key : Value();
}

Value DictionaryObject::valueAt(Runtime &, int index)
{
    return index >= 1 && index <= int(m_entries.size()) ? m_entries[size_t(index - 1)].value : Value();
}

bool DictionaryObject::propertyIsEnumerable(const QString &name) const
{
    return findText(name) >= 0 || Object::propertyIsEnumerable(name);
}

void DictionaryObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    for (const Entry &e : m_entries) {
        if (e.key.isObject())
            marker(e.key);
        if (e.value.isObject())
            marker(e.value);
    }
}

} // namespace swf::avm2
