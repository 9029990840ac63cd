// Sorting arrays as the reference player does: its quicksort, so that script
// comparisons and toString calls come in its order, and its flags.
#include "ArraySort.h"

#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

namespace swf {

namespace {

// Negative, 0 or positive as the first value sorts before, with or after the second.
using Comparison = std::function<int(const Value &, const Value &)>;

int sign(double d) { return d > 0 ? 1 : d < 0 ? -1 : 0; }

// Sorts positions into keys by the reference player's partitioning: the
// first of a range is the pivot, compared first with each other value.
// Each comparison is charged to the frame's work; when it runs out the
// order stays as far as it got, and a comparison that never settles cannot
// spin for ever.
class Quicksort {
public:
    Quicksort(MoviePlayer &player, const std::vector<Value> &keys, const Comparison &compare)
        : m_player(player), m_keys(keys), m_compare(compare)
    {
    }

    bool sort(std::vector<size_t> &order)
    {
        std::vector<std::pair<int, int>> ranges{{0, int(order.size()) - 1}};
        while (!ranges.empty()) {
            const auto [lo, hi] = ranges.back();
            ranges.pop_back();
            if (hi <= lo)
                continue;
            const std::optional<int> middle = partition(order, lo, hi);
            if (!middle)
                return false;
            ranges.emplace_back(*middle + 1, hi);
            ranges.emplace_back(lo, *middle - 1);
        }
        return true;
    }

private:
    std::optional<int> compare(const std::vector<size_t> &order, int pivot, int other)
    {
        if (!m_player.spend(1))
            return std::nullopt;
        return m_compare(m_keys[order[size_t(pivot)]], m_keys[order[size_t(other)]]);
    }

    // Moves values comparing below the pivot before its place, and answers
    // that place; nothing when the work ran out.
    std::optional<int> partition(std::vector<size_t> &order, int lo, int hi)
    {
        int i = lo + 1, j = hi;
        for (;;) {
            std::optional<int> c;
            while (i < j && (c = compare(order, lo, i)) && *c > 0)
                ++i;
            if (!c && i < j)
                return std::nullopt;
            while (j > lo && (c = compare(order, lo, j)) && *c <= 0)
                --j;
            if (!c && j > lo)
                return std::nullopt;
            if (i >= j)
                break;
            std::swap(order[size_t(i)], order[size_t(j)]);
        }
        std::swap(order[size_t(lo)], order[size_t(j)]);
        return j;
    }

    MoviePlayer &m_player;
    const std::vector<Value> &m_keys;
    const Comparison &m_compare;
};

// The comparison of values by text, or by number with Numeric.
Comparison plainComparison(NativeCall &call, int flags)
{
    Comparison compare;
    if (flags & Numeric) {
        // Numbers are read from the values' text, as the reference player does.
        compare = [&call](const Value &a, const Value &b) {
            const double x = call.cx.toNumber(call.cx.toString(a));
            const double y = call.cx.toNumber(call.cx.toString(b));
            if (std::isnan(x) || std::isnan(y))
                return std::isnan(x) - std::isnan(y);
            return sign(x - y);
        };
    } else {
        const Qt::CaseSensitivity cs = flags & CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        compare = [&call, cs](const Value &a, const Value &b) {
            const QString x = call.cx.toString(a);
            return sign(x.compare(call.cx.toString(b), cs));
        };
    }
    return compare;
}

Comparison scriptComparison(NativeCall &call, const Value &function)
{
    return [&call, function](const Value &a, const Value &b) {
        return sign(call.cx.toNumber(call.cx.call(function, Undefined{}, {a, b})));
    };
}

// The comparison turned round for Descending.
Comparison withDirection(Comparison compare, int flags)
{
    if (!(flags & Descending))
        return compare;
    return [compare](const Value &a, const Value &b) { return -compare(a, b); };
}

// Sorts the array by keys, one for each element (Descending: the other way
// round), and answers as the flags
// ask: 0 when UniqueSort finds two equal keys, the sorted positions for
// ReturnIndexedArray, else the array itself, sorted.
Value sortBy(NativeCall &call, ScriptObject &array, const std::vector<Value> &keys, const Comparison &compare,
             int flags, bool scripted)
{
    std::vector<size_t> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (!Quicksort(call.player(), keys, compare).sort(order))
        return call.self;
    // Descending sorts ascending and turns the order round.
    if (flags & Descending)
        std::reverse(order.begin(), order.end());
    if (flags & UniqueSort) {
        // A script's comparison is not asked again: equal values are.
        for (size_t i = 1; i < order.size() && call.player().spend(1); ++i) {
            const Value &a = keys[order[i - 1]], &b = keys[order[i]];
            if (scripted ? Conversions::strictlyEquals(a, b) : compare(a, b) == 0)
                return 0.0;
        }
    }
    if (flags & ReturnIndexedArray) {
        std::vector<Value> positions;
        positions.reserve(order.size());
        for (size_t i : order)
            positions.push_back(double(i));
        return ObjectValue(call.engine().newArray(std::move(positions)));
    }
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (size_t i : order)
        sorted.push_back(i < array.elements.size() ? array.elements[i] : Value(Undefined{}));
    if (sorted.size() == array.elements.size())
        array.elements = std::move(sorted);
    return call.self;
}

// Flags given as a number or as text; objects and the rest give none.
int flagsOf(NativeCall &call, const Value &flags)
{
    const bool given = std::holds_alternative<double>(flags) || std::holds_alternative<QString>(flags);
    return given ? ToInt32(call.cx.toNumber(flags)) : 0;
}

} // namespace

Value SortArray(NativeCall &call)
{
    ScriptObject *array = call.array();
    if (!array)
        return Undefined{};
    const ScriptObject *function = objectOf(call.arg(0));
    const bool scripted = function && function->isCallable();
    const int flags = flagsOf(call, scripted ? call.arg(1) : call.arg(0));
    const Comparison compare = scripted ? scriptComparison(call, call.arg(0)) : plainComparison(call, flags);
    const std::vector<Value> keys = array->elements;
    return sortBy(call, *array, keys, compare, flags, scripted);
}

Value SortArrayOn(NativeCall &call)
{
    ScriptObject *array = call.array();
    if (!array || call.args.empty())
        return Undefined{};
    const ScriptObject *names = objectOf(call.arg(0));
    const bool severalNames = names && names->kind == ScriptObject::Kind::Array;
    // Each name may have its own flags; the first name's decide the answer.
    const ScriptObject *flagList = objectOf(call.arg(1));
    const bool flagsPerName = flagList && flagList->kind == ScriptObject::Kind::Array;
    std::vector<QString> fields;
    std::vector<int> fieldFlags;
    const size_t count = severalNames ? names->elements.size() : 1;
    for (size_t i = 0; i < count && call.player().spend(1); ++i) {
        fields.push_back(call.key(call.cx.toString(severalNames ? names->elements[i] : call.arg(0))));
        const bool ownFlags = flagsPerName && flagList->elements.size() == count;
        fieldFlags.push_back(ownFlags ? flagsOf(call, flagList->elements[i]) : flagsPerName ? 0 : flagsOf(call, call.arg(1)));
    }
    if (fields.empty())
        return call.self;
    // With flags for each name, a descending name compares the other way
    // round; one set of flags turns the whole order round.
    std::vector<Comparison> compares;
    for (int flags : fieldFlags)
        compares.push_back(flagsPerName ? withDirection(plainComparison(call, flags), flags) : plainComparison(call, flags));
    // Keys are the elements themselves: their fields are read as compared.
    const Comparison compare = [&](const Value &a, const Value &b) {
        for (size_t f = 0; f < fields.size(); ++f) {
            const ScriptObject *x = objectOf(a), *y = objectOf(b);
            const Value *p = x ? x->find(fields[f]) : nullptr, *q = y ? y->find(fields[f]) : nullptr;
            const int c = compares[f](p ? *p : Value(Undefined{}), q ? *q : Value(Undefined{}));
            if (c != 0)
                return c;
        }
        return 0;
    };
    const std::vector<Value> keys = array->elements;
    const int flags = flagsPerName ? fieldFlags.front() & ~Descending : fieldFlags.front();
    return sortBy(call, *array, keys, compare, flags, false);
}

} // namespace swf
