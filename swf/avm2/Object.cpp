#include "swf/avm2/Object.h"

#include "swf/avm2/Class.h"

namespace swf::avm2 {

Value *DynamicProperties::find(const QString &name)
{
    const auto it = m_index.constFind(name);
    return it == m_index.cend() ? nullptr : &m_entries[size_t(*it)].value;
}

const Value *DynamicProperties::find(const QString &name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.cend() ? nullptr : &m_entries[size_t(*it)].value;
}

void DynamicProperties::set(const QString &name, const Value &value, bool enumerable)
{
    if (Value *existing = find(name)) {
        *existing = value;
        return;
    }
    m_index.insert(name, int(m_entries.size()));
    m_entries.push_back(Entry{name, value, enumerable, false});
    ++m_live;
}

bool DynamicProperties::remove(const QString &name)
{
    const auto it = m_index.find(name);
    if (it == m_index.end())
        return false;
    Entry &entry = m_entries[size_t(*it)];
    entry.deleted = true;
    entry.value = Value();
    entry.name.clear();
    m_index.erase(it);
    --m_live;
    // Many deletions leave many gaps: squeeze them out while nothing enumerates.
    if (m_entries.size() > 64 && size_t(m_live) * 4 < m_entries.size())
        compact();
    return true;
}

void DynamicProperties::compact()
{
    std::vector<Entry> kept;
    kept.reserve(size_t(m_live));
    m_index.clear();
    for (Entry &entry : m_entries) {
        if (entry.deleted)
            continue;
        m_index.insert(entry.name, int(kept.size()));
        kept.push_back(std::move(entry));
    }
    m_entries = std::move(kept);
}

bool DynamicProperties::setEnumerable(const QString &name, bool enumerable)
{
    const auto it = m_index.constFind(name);
    if (it == m_index.cend())
        return false;
    m_entries[size_t(*it)].enumerable = enumerable;
    return true;
}

bool DynamicProperties::isEnumerable(const QString &name) const
{
    const auto it = m_index.constFind(name);
    return it != m_index.cend() && m_entries[size_t(*it)].enumerable;
}

int DynamicProperties::next(int index) const
{
    for (size_t i = size_t(index); i < m_entries.size(); ++i)
        if (!m_entries[i].deleted && m_entries[i].enumerable)
            return int(i) + 1;
    return 0;
}

void DynamicProperties::mark(const Marker &marker) const
{
    for (const Entry &entry : m_entries)
        if (entry.value.isObject())
            marker(entry.value);
}

Object::Object(Class *cls) : m_class(cls) {}

const Traits *Object::traits() const { return m_class ? &m_class->instanceTraits : nullptr; }

bool Object::isDynamic() const { return !m_class || !m_class->sealed; }

bool Object::getOwn(Runtime &, const Multiname &name, Value &out)
{
    if (name.anyName || !name.hasPublic() || name.attribute)
        return false;
    if (const Value *v = dynamics.find(name.name)) {
        out = *v;
        return true;
    }
    return false;
}

bool Object::setOwn(Runtime &, const Multiname &name, const Value &value)
{
    if (!isDynamic() || name.anyName || !name.hasPublic() || name.attribute)
        return false;
    dynamics.set(name.name, value);
    return true;
}

bool Object::hasOwn(Runtime &, const Multiname &name)
{
    return !name.anyName && name.hasPublic() && !name.attribute && dynamics.find(name.name);
}

bool Object::deleteOwn(Runtime &, const Multiname &name)
{
    if (name.anyName || !name.hasPublic())
        return false;
    return dynamics.remove(name.name);
}

bool Object::getByKey(Runtime &, const Value &, Value &) { return false; }
bool Object::setByKey(Runtime &, const Value &, const Value &) { return false; }
bool Object::hasByKey(Runtime &, const Value &, bool &) { return false; }
bool Object::deleteByKey(Runtime &, const Value &, bool &) { return false; }

int Object::nextIndex(Runtime &, int index) { return dynamics.next(index); }

Value Object::nameAt(Runtime &, int index)
{
    if (index < 1 || size_t(index) > dynamics.entries().size())
        return Value();
    const QString &name = dynamics.at(index).name;
    const int64_t asIndex = ArrayIndexOf(name);
    // Names that are indices come back as numbers, as the player gives them.
    return asIndex >= 0 ? Value::number(double(asIndex)) : Value(name);
}

Value Object::valueAt(Runtime &, int index)
{
    if (index < 1 || size_t(index) > dynamics.entries().size())
        return Value();
    return dynamics.at(index).value;
}

bool Object::propertyIsEnumerable(const QString &name) const { return dynamics.isEnumerable(name); }

bool Object::setPropertyIsEnumerable(const QString &name, bool enumerable)
{
    return dynamics.setEnumerable(name, enumerable);
}

void Object::mark(const Marker &marker) const
{
    if (m_class)
        marker(Value(static_cast<Object *>(m_class)));
    if (m_prototype)
        marker(Value(m_prototype));
    for (const Value &v : slotValues)
        if (v.isObject())
            marker(v);
    dynamics.mark(marker);
}

int64_t ArrayIndexOf(const QString &name)
{
    const int n = int(name.size());
    if (n == 0 || n > 10)
        return -1;
    if (n > 1 && name[0] == u'0')
        return -1;
    int64_t value = 0;
    for (QChar c : name) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= 0xFFFFFFFEll ? value : -1;
}

} // namespace swf::avm2
