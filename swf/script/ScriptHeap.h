#pragma once

#include "swf/script/ScriptObject.h"

#include <functional>
#include <memory>
#include <vector>

namespace swf {

// Every script object of one movie. Objects are freed all at once when the
// movie goes, and in between by a collection from the values still in use.
class ScriptHeap {
public:
    static constexpr int MaxObjects = 200000;
    // Objects, members and array elements the heap holds at most: a hostile
    // script cannot take the machine's memory.
    static constexpr qint64 MaxCells = 2000000;
    // The version a heap outside a movie sees members as.
    static constexpr int NewestVersion = 10;

    ScriptHeap() = default;
    ScriptHeap(const ScriptHeap &) = delete;
    ScriptHeap &operator=(const ScriptHeap &) = delete;

    // A new object inheriting from prototype (none: nullptr), or nullptr
    // once the heap is full.
    ScriptObject *make(ScriptObject::Kind kind, ScriptObject *prototype);
    // Forgets every object; the objects made next belong to a movie of version.
    void clear(int version = NewestVersion);
    // The movie version whose eyes the objects' members are seen with.
    int version() const { return m_version; }
    int size() const { return int(m_objects.size()); }
    // Claims room for cells more members or elements; false when the heap is full.
    bool take(qint64 cells);
    bool canTake(qint64 cells) const { return cells >= 0 && cells <= MaxCells - m_cells; }

    // Frees what the roots do not reach; roots calls mark for each value in use.
    void collect(const std::function<void(const std::function<void(const Value &)> &mark)> &roots);

private:
    std::vector<std::unique_ptr<ScriptObject>> m_objects;
    qint64 m_cells = 0; // counted as they are taken, recounted by each collection
    int m_version = NewestVersion;
};

} // namespace swf
