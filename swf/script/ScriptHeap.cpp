#include "ScriptHeap.h"

#include <algorithm>

namespace swf {

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
    m_objects.push_back(std::move(object));
    ScriptObject *made = m_objects.back().get();
    made->setPrototype(prototype);
    if (kind == ScriptObject::Kind::Array)
        made->makeArray();
    return made;
}

void ScriptHeap::clear(int version)
{
    m_objects.clear();
    m_cells = 0;
    m_version = version;
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
        for (const ScriptObject::Member &member : object->m_members) {
            mark(member.value);
            mark(member.getter);
            mark(member.setter);
        }
        for (const Value &element : object->elements)
            mark(element);
        for (const ScriptObject::Watch &watch : object->watches) {
            mark(watch.callback);
            mark(watch.data);
        }
        for (const Value &scope : object->scopes)
            mark(scope);
        for (ScriptObject *face : object->interfaces)
            mark(face);
        if (object->payload)
            object->payload->markReferences(mark);
    }
    m_objects.erase(std::remove_if(m_objects.begin(), m_objects.end(), [](const auto &o) { return !o->m_marked; }),
                    m_objects.end());
    m_cells = 0;
    for (auto &object : m_objects) {
        object->m_marked = false;
        m_cells += 1 + qint64(object->m_members.size() + object->elements.size() + object->watches.size());
    }
}

} // namespace swf
