// Array: the methods that add, remove and find elements. They work through
// ArrayElements, so they run on any object with a length as well.
#include "swf/avm2/builtins/ArrayElements.h"
#include "swf/avm2/builtins/ArrayMethods.h"

#include "swf/avm2/Runtime.h"

namespace swf::avm2::arraymethods {

namespace {

constexpr uint32_t MaxLength = 0xFFFFFFFFu;

// The entries moved by delta, dropping any pushed past the longest length.
void shiftEntries(std::vector<ArrayObject::Entry> &entries, int64_t delta)
{
    std::vector<ArrayObject::Entry> kept;
    kept.reserve(entries.size());
    for (auto &entry : entries) {
        const int64_t moved = int64_t(entry.first) + delta;
        if (moved >= 0 && moved < int64_t(MaxLength))
            kept.emplace_back(uint32_t(moved), std::move(entry.second));
    }
    entries = std::move(kept);
}

uint32_t clampedLength(int64_t length) { return uint32_t(std::min<int64_t>(length, MaxLength)); }

} // namespace

Value pop(Runtime &rt, const Value &self, Args)
{
    ArrayElements elements(rt, self);
    const uint32_t length = elements.length();
    if (length == 0) {
        elements.setLength(0);
        return Value();
    }
    const Value last = elements.at(length - 1);
    elements.remove(length - 1);
    elements.setLength(length - 1);
    return last;
}

Value push(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self);
    if (ArrayObject *array = elements.array()) {
        for (int i = 0; i < args.count; ++i)
            array->push(args[i]);
        return Value::fromUint(array->length());
    }
    const uint32_t length = elements.length();
    for (int i = 0; i < args.count; ++i)
        elements.set(length + uint32_t(i), args[i]);
    elements.setLength(clampedLength(int64_t(length) + args.count));
    return Value::fromUint(elements.length());
}

Value shift(Runtime &rt, const Value &self, Args)
{
    ArrayElements elements(rt, self);
    const uint32_t length = elements.length();
    if (length == 0) {
        elements.setLength(0);
        return Value();
    }
    const Value first = elements.at(0);
    auto entries = elements.entries(1, length);
    shiftEntries(entries, -1);
    elements.rebuild(std::move(entries), length - 1);
    return first;
}

Value unshift(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self);
    const uint32_t length = elements.length();
    auto entries = elements.entries(0, length);
    shiftEntries(entries, args.count);
    std::vector<ArrayObject::Entry> all;
    all.reserve(entries.size() + size_t(args.count));
    for (int i = 0; i < args.count; ++i)
        all.emplace_back(uint32_t(i), args[i]);
    std::move(entries.begin(), entries.end(), std::back_inserter(all));
    elements.rebuild(std::move(all), clampedLength(int64_t(length) + args.count));
    return Value::fromUint(elements.length());
}

Value reverse(Runtime &rt, const Value &self, Args)
{
    ArrayElements elements(rt, self);
    const uint32_t length = elements.length();
    auto entries = elements.entries(0, length);
    std::reverse(entries.begin(), entries.end());
    for (auto &entry : entries)
        entry.first = length - 1 - entry.first;
    elements.rebuild(std::move(entries), length);
    return elements.self();
}

Value concat(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self, ArrayElements::LengthFrom::Property);
    auto entries = elements.entries(0, elements.length());
    int64_t length = elements.length();
    for (int i = 0; i < args.count; ++i) {
        auto *other = dynamic_cast<ArrayObject *>(args[i].asObject());
        if (!other) {
            if (length < int64_t(MaxLength))
                entries.emplace_back(uint32_t(length), args[i]);
            ++length;
            continue;
        }
        auto more = other->entries(0, other->length());
        shiftEntries(more, length);
        std::move(more.begin(), more.end(), std::back_inserter(entries));
        length += other->length();
    }
    ArrayObject *result = rt.newArray();
    result->rebuild(std::move(entries), clampedLength(length));
    return Value(static_cast<Object *>(result));
}

Value slice(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self);
    const uint32_t length = elements.length();
    const uint32_t begin = RelativeIndex(rt, args, 0, length, 0);
    const uint32_t end = std::max(begin, RelativeIndex(rt, args, 1, length, length));
    auto entries = elements.entries(begin, end);
    shiftEntries(entries, -int64_t(begin));
    ArrayObject *result = rt.newArray();
    result->rebuild(std::move(entries), end - begin);
    return Value(static_cast<Object *>(result));
}

Value splice(Runtime &rt, const Value &self, Args args)
{
    if (args.count == 0)
        return Value();
    ArrayElements elements(rt, self, ArrayElements::LengthFrom::Property);
    const uint32_t length = elements.length();
    const uint32_t start = RelativeIndex(rt, args, 0, length, 0);
    uint32_t removed = length - start;
    if (args.has(1)) {
        const double n = rt.toNumber(args[1]);
        removed = n > 0 ? uint32_t(std::min(std::trunc(n), double(removed))) : 0;
    }
    const Args inserted = args.from(2);

    auto cut = elements.entries(start, start + removed);
    shiftEntries(cut, -int64_t(start));
    ArrayObject *result = rt.newArray();
    result->rebuild(std::move(cut), removed);

    auto kept = elements.entries(0, start);
    for (int i = 0; i < inserted.count; ++i)
        kept.emplace_back(start + uint32_t(i), inserted[i]);
    auto tail = elements.entries(start + removed, length);
    shiftEntries(tail, int64_t(inserted.count) - int64_t(removed));
    std::move(tail.begin(), tail.end(), std::back_inserter(kept));
    elements.rebuild(std::move(kept), clampedLength(int64_t(length) - removed + inserted.count));
    return Value(static_cast<Object *>(result));
}

Value insertAt(Runtime &rt, const Value &self, Args args)
{
    const Value argv[] = {Value(rt.toInt(args[0])), Value(0), args[1]};
    splice(rt, self, Args{argv, 3});
    return Value();
}

Value removeAt(Runtime &rt, const Value &self, Args args)
{
    const Value argv[] = {Value(rt.toInt(args[0])), Value(1)};
    const Value removed = splice(rt, self, Args{argv, 2});
    return static_cast<ArrayObject *>(removed.asObject())->at(0);
}

Value indexOf(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self);
    const uint32_t length = elements.length();
    int64_t from = args.has(1) ? rt.toInt(args[1]) : 0;
    if (from < 0)
        from = std::max<int64_t>(0, from + length);
    for (int64_t i = from; i < int64_t(length); ++i) {
        SpendStep(rt);
        if (rt.strictEquals(elements.at(uint32_t(i)), args[0]))
            return Value::number(double(i));
    }
    return Value(-1);
}

Value lastIndexOf(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self);
    const uint32_t length = elements.length();
    int64_t from = args.has(1) ? rt.toInt(args[1]) : int64_t(length) - 1;
    if (from < 0)
        from += length;
    from = std::min<int64_t>(from, int64_t(length) - 1);
    for (int64_t i = from; i >= 0; --i) {
        SpendStep(rt);
        if (rt.strictEquals(elements.at(uint32_t(i)), args[0]))
            return Value::number(double(i));
    }
    return Value(-1);
}

} // namespace swf::avm2::arraymethods
