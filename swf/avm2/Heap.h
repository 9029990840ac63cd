#pragma once

#include "swf/avm2/Object.h"

#include <memory>
#include <vector>

namespace swf::avm2 {

struct ScriptAbort;

// Every object of one virtual machine. Objects are freed when the machine
// goes, and in between by a collection from the values still in use.
class Heap {
public:
    // Most objects alive at once: a hostile movie cannot take the machine's memory.
    static constexpr size_t MaxObjects = 4'000'000;

    Heap() = default;
    Heap(const Heap &) = delete;
    Heap &operator=(const Heap &) = delete;

    // Takes ownership; throws ScriptAbort once the heap is full.
    template <class T, class... A> T *make(A &&...args)
    {
        checkRoom();
        auto object = std::make_unique<T>(std::forward<A>(args)...);
        T *raw = object.get();
        m_objects.push_back(std::move(object));
        return raw;
    }
    size_t size() const { return m_objects.size(); }
    // Marks from the roots, then frees the rest.
    void collect(const std::function<void(const Marker &)> &roots);

private:
    void checkRoom() const;

    std::vector<std::unique_ptr<Object>> m_objects;
};

} // namespace swf::avm2
