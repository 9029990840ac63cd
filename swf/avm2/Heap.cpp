#include "swf/avm2/Heap.h"

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

void Heap::checkRoom() const
{
    if (m_objects.size() >= MaxObjects)
        throw ScriptAbort{QStringLiteral("the script heap is full")};
}

void Heap::collect(const std::function<void(const Marker &)> &roots)
{
    for (auto &object : m_objects)
        object->marked = false;
    // An explicit work list: deep structures must not deepen the C++ stack.
    std::vector<Object *> pending;
    const Marker mark = [&pending](const Value &v) {
        Object *object = v.asObject();
        if (object && !object->marked) {
            object->marked = true;
            pending.push_back(object);
        }
    };
    roots(mark);
    while (!pending.empty()) {
        Object *object = pending.back();
        pending.pop_back();
        object->mark(mark);
    }
    std::vector<std::unique_ptr<Object>> kept;
    kept.reserve(m_objects.size());
    for (auto &object : m_objects)
        if (object->marked)
            kept.push_back(std::move(object));
    m_objects = std::move(kept);
}

} // namespace swf::avm2
