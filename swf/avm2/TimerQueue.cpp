#include "swf/avm2/TimerQueue.h"

#include "swf/avm2/Runtime.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

// Delays are whole milliseconds of at most a signed 32-bit count, as the
// player keeps them.
constexpr double MaxDelayMs = 2147483647.0;

// Without a player (tests, tools) the clock runs from the first call.
int64_t fallbackClock()
{
    static QElapsedTimer started;
    if (!started.isValid())
        started.start();
    return started.elapsed();
}

} // namespace

int64_t TimerQueue::now() const { return clock ? clock() : fallbackClock(); }

uint32_t TimerQueue::add(const Value &function, const Value &self, std::vector<Value> args, double delayMs,
                         bool repeat)
{
    if (m_entries.size() >= size_t(MaxPending))
        return 0;
    const double delay = std::isfinite(delayMs) ? std::clamp(std::trunc(delayMs), 0.0, MaxDelayMs) : 0.0;
    Entry entry;
    entry.id = m_nextId++;
    entry.delay = int64_t(delay);
    entry.due = now() + entry.delay;
    entry.repeat = repeat;
    entry.function = function;
    entry.self = self;
    entry.args = std::move(args);
    m_entries.push_back(std::move(entry));
    return m_entries.back().id;
}

void TimerQueue::remove(uint32_t id)
{
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [id](const Entry &e) { return e.id == id; }),
                    m_entries.end());
}

bool TimerQueue::contains(uint32_t id) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [id](const Entry &e) { return e.id == id; });
}

TimerQueue::Entry *TimerQueue::find(uint32_t id)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const Entry &e) { return e.id == id; });
    return it == m_entries.end() ? nullptr : &*it;
}

void TimerQueue::runDue(Runtime &rt, int64_t nowMs)
{
    // Earliest first; calls added or removed by the calls made are seen
    // as they happen.
    std::vector<std::pair<int64_t, uint32_t>> due;
    for (const Entry &entry : m_entries)
        if (entry.due <= nowMs)
            due.emplace_back(entry.due, entry.id);
    std::sort(due.begin(), due.end());
    for (const auto &[when, id] : due) {
        Entry *entry = find(id);
        if (!entry)
            continue;
        const Value function = entry->function;
        const Value self = entry->self;
        const std::vector<Value> args = entry->args;
        if (entry->repeat)
            entry->due = std::max(nowMs, when + entry->delay);
        else
            remove(id);
        rt.runEntry([&] { rt.call(function, self, Args{args.data(), int(args.size())}); });
    }
}

void TimerQueue::mark(const Marker &marker) const
{
    for (const Entry &entry : m_entries) {
        marker(entry.function);
        marker(entry.self);
        for (const Value &arg : entry.args)
            marker(arg);
    }
}

} // namespace swf::avm2
