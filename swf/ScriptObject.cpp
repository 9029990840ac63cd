#include "ScriptObject.h"

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

void ScriptObject::set(const QString &key, const QString &name, Value value)
{
    if (Value *existing = own(key)) {
        *existing = std::move(value);
        return;
    }
    if (m_heap && !m_heap->take(1))
        return;
    m_index.insert(key, int(m_members.size()));
    m_members.push_back({key, name, std::move(value)});
}

bool ScriptObject::remove(const QString &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.cend())
        return false;
    m_members.erase(m_members.begin() + *it);
    m_index.clear();
    for (int i = 0; i < int(m_members.size()); ++i)
        m_index.insert(m_members[size_t(i)].key, i);
    return true;
}

bool ScriptHeap::take(qint64 cells)
{
    if (!canTake(cells))
        return false;
    m_cells += cells;
    return true;
}

ScriptObject *ScriptHeap::make(ScriptObject::Kind kind, ScriptObject *prototype)
{
    if (int(m_objects.size()) >= MaxObjects || !take(1))
        return nullptr;
    auto object = std::make_unique<ScriptObject>();
    object->m_heap = this;
    object->kind = kind;
    object->prototype = prototype;
    m_objects.push_back(std::move(object));
    return m_objects.back().get();
}

void ScriptHeap::clear()
{
    m_objects.clear();
    m_cells = 0;
}

void ScriptHeap::collect(const std::function<void(const std::function<void(const Value &)> &mark)> &roots)
{
    std::vector<ScriptObject *> pending;
    const std::function<void(const Value &)> mark = [&pending](const Value &value) {
        if (const auto *object = std::get_if<ScriptObject *>(&value); object && *object && !(*object)->m_marked) {
            (*object)->m_marked = true;
            pending.push_back(*object);
        }
    };
    roots(mark);
    while (!pending.empty()) {
        ScriptObject *object = pending.back();
        pending.pop_back();
        mark(object->prototype);
        for (const ScriptObject::Member &member : object->m_members)
            mark(member.value);
        for (const Value &element : object->elements)
            mark(element);
        for (ScriptObject *scope : object->scopes)
            mark(scope);
    }
    m_objects.erase(std::remove_if(m_objects.begin(), m_objects.end(), [](const auto &o) { return !o->m_marked; }),
                    m_objects.end());
    m_cells = 0;
    for (auto &object : m_objects) {
        object->m_marked = false;
        m_cells += 1 + qint64(object->m_members.size() + object->elements.size());
    }
}

} // namespace swf
