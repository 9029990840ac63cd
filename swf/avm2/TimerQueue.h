#pragma once

#include "swf/avm2/Object.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace swf::avm2 {

class Runtime;

// The calls scripts asked to have made later: setTimeout, setInterval and
// the Timer class. The movie's player drives it once a frame, so a call is
// made on the first frame at which its time has come.
class TimerQueue {
public:
    // More waiting calls than this are refused, so that a movie adding
    // intervals in a loop cannot grow the queue without bound.
    static constexpr int MaxPending = 1000;

    // Milliseconds since the movie started; set by the player.
    std::function<int64_t()> clock;
    int64_t now() const;

    // Calls function with self and args once delayMs have passed, and again
    // every delayMs when repeating. The id (from 1) cancels it; 0 when the
    // queue is full.
    uint32_t add(const Value &function, const Value &self, std::vector<Value> args, double delayMs, bool repeat);
    void remove(uint32_t id);
    bool contains(uint32_t id) const;
    // Makes every call due by nowMs, each at most once; an uncaught error
    // is reported and the others still run.
    void runDue(Runtime &rt, int64_t nowMs);
    void mark(const Marker &marker) const;

private:
    struct Entry {
        uint32_t id = 0;
        int64_t due = 0;
        int64_t delay = 0;
        bool repeat = false;
        Value function;
        Value self;
        std::vector<Value> args;
    };
    Entry *find(uint32_t id);

    std::vector<Entry> m_entries;
    uint32_t m_nextId = 1;
};

} // namespace swf::avm2
