#include "ScriptObject.h"

#include "swf/script/ScriptHeap.h"

#include <algorithm>

namespace swf {

namespace {
// Longest prototype chain followed: a chain made circular by a script ends.
constexpr int MaxPrototypeChain = 256;
} // namespace

const Value *ScriptObject::own(const QString &key) const
{
    const auto it = m_index.constFind(key);
    return it == m_index.cend() ? nullptr : &m_members[size_t(*it)].value;
}

Value *ScriptObject::own(const QString &key)
{
    const auto it = m_index.constFind(key);
    return it == m_index.cend() ? nullptr : &m_members[size_t(*it)].value;
}

const Value *ScriptObject::find(const QString &key) const
{
    const ScriptObject *object = this;
    for (int depth = 0; object && depth < MaxPrototypeChain; ++depth, object = object->prototype)
        if (const Value *value = object->own(key))
            return value;
    return nullptr;
}

bool ScriptObject::resizeElements(size_t size)
{
    if (size > elements.size() && m_heap && !m_heap->take(qint64(size - elements.size())))
        return false;
    elements.resize(size);
    return true;
}

bool ScriptObject::insertElements(size_t at, const Value *first, size_t count)
{
    if (m_heap && !m_heap->take(qint64(count)))
        return false;
    elements.insert(elements.begin() + std::ptrdiff_t(std::min(at, elements.size())), first, first + count);
    return true;
}

const ScriptObject::Member *ScriptObject::ownMember(const QString &key) const
{
    const auto it = m_index.constFind(key);
    return it == m_index.cend() ? nullptr : &m_members[size_t(*it)];
}

void ScriptObject::set(const QString &key, const QString &name, Value value, int flags)
{
    if (const auto it = m_index.constFind(key); it != m_index.cend()) {
        Member &member = m_members[size_t(*it)];
        if (!(member.flags & ReadOnly))
            member.value = std::move(value);
        return;
    }
    if (m_heap && !m_heap->take(1))
        return;
    m_index.insert(key, int(m_members.size()));
    m_members.push_back({key, name, std::move(value), flags});
}

void ScriptObject::setFlags(const QString &key, int set, int clear)
{
    if (const auto it = m_index.constFind(key); it != m_index.cend()) {
        Member &member = m_members[size_t(*it)];
        member.flags = (member.flags & ~clear) | set;
    }
}

bool ScriptObject::remove(const QString &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.cend() || (m_members[size_t(*it)].flags & DontDelete))
        return false;
    m_members.erase(m_members.begin() + *it);
    m_index.clear();
    for (int i = 0; i < int(m_members.size()); ++i)
        m_index.insert(m_members[size_t(i)].key, i);
    return true;
}

} // namespace swf
