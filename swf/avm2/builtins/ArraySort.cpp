// Array: sort and sortOn. The elements are copied out, ordered by a stable
// merge sort of their positions and written back, undefined values after the
// others and holes last; the cost follows the elements present, never the
// length. The merge sort stays in bounds whatever a compare function answers.
#include "swf/avm2/builtins/ArrayElements.h"
#include "swf/avm2/builtins/ArrayMethods.h"

#include "swf/avm2/Runtime.h"

#include <cmath>
#include <functional>

namespace swf::avm2::arraymethods {

namespace {

enum SortOption : uint32_t {
    CaseInsensitive = 1,
    Descending = 2,
    UniqueSort = 4,
    ReturnIndexedArray = 8,
    Numeric = 16,
};

// Runs this short are sorted by insertion before merging.
constexpr size_t InsertionRun = 8;

// -1, 0 or 1: how element a orders against element b (positions in the copy).
using Compare = std::function<int(uint32_t a, uint32_t b)>;

void insertionSort(std::vector<uint32_t> &items, size_t begin, size_t end, const Compare &compare)
{
    for (size_t i = begin + 1; i < end; ++i) {
        const uint32_t item = items[i];
        size_t j = i;
        for (; j > begin && compare(items[j - 1], item) > 0; --j)
            items[j] = items[j - 1];
        items[j] = item;
    }
}

void mergeSort(std::vector<uint32_t> &items, const Compare &compare)
{
    const size_t n = items.size();
    for (size_t begin = 0; begin < n; begin += InsertionRun)
        insertionSort(items, begin, std::min(n, begin + InsertionRun), compare);
    std::vector<uint32_t> merged(n);
    for (size_t width = InsertionRun; width < n; width *= 2) {
        for (size_t begin = 0; begin < n; begin += 2 * width) {
            const size_t middle = std::min(n, begin + width), end = std::min(n, begin + 2 * width);
            size_t left = begin, right = middle, out = begin;
            while (left < middle && right < end)
                merged[out++] = compare(items[left], items[right]) > 0 ? items[right++] : items[left++];
            while (left < middle)
                merged[out++] = items[left++];
            while (right < end)
                merged[out++] = items[right++];
        }
        items.swap(merged);
    }
}

int sign(double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

// How one field (or the element itself) is compared.
struct KeyOrder {
    uint32_t options = 0;
    int compare(Runtime &rt, const Value &a, const Value &b) const
    {
        int order = 0;
        if (a.isUndefined() || b.isUndefined())
            order = int(b.isUndefined()) - int(a.isUndefined());
        else if (options & Numeric)
            order = sign(rt.toNumber(a) - rt.toNumber(b));
        else
            order = rt.toString(a).compare(rt.toString(b),
                                          (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive);
        order = sign(order);
        return (options & Descending) ? -order : order;
    }
};

// The keys compared for each element: converted once, as texts or numbers,
// so a compare does no conversions of its own.
struct Keys {
    std::vector<std::vector<Value>> fields; // [element][field]
    std::vector<KeyOrder> orders;
};

Value prepared(Runtime &rt, const Value &v, const KeyOrder &order)
{
    if (v.isUndefined())
        return v;
    if (order.options & Numeric)
        return Value::number(rt.toNumber(v));
    return Value(rt.toString(v));
}

int compareKeys(Runtime &rt, const Keys &keys, uint32_t a, uint32_t b)
{
    for (size_t f = 0; f < keys.orders.size(); ++f)
        if (const int order = keys.orders[f].compare(rt, keys.fields[a][f], keys.fields[b][f]))
            return order;
    return 0;
}

// The values to order, and where they came from.
struct Sortable {
    std::vector<Value> values;
    std::vector<uint32_t> origins;
    std::vector<uint32_t> undefinedOrigins;
};

Sortable collect(ArrayElements &elements)
{
    Sortable out;
    for (auto &[index, value] : elements.entries(0, elements.length())) {
        if (value.isUndefined()) {
            out.undefinedOrigins.push_back(index);
            continue;
        }
        out.values.push_back(value);
        out.origins.push_back(index);
    }
    return out;
}

// Orders the collected values and writes the result as the options ask:
// 0 for UNIQUESORT with equal elements, the new positions for
// RETURNINDEXEDARRAY, otherwise the array rewritten in order.
Value finish(Runtime &rt, ArrayElements &elements, Sortable &items, uint32_t options, const Compare &compare)
{
    std::vector<uint32_t> order(items.values.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    mergeSort(order, compare);
    if (options & UniqueSort) {
        if (items.undefinedOrigins.size() > 1)
            return Value(0);
        for (size_t i = 1; i < order.size(); ++i)
            if (compare(order[i - 1], order[i]) == 0)
                return Value(0);
    }
    if (options & ReturnIndexedArray) {
        std::vector<Value> indices;
        indices.reserve(order.size() + items.undefinedOrigins.size());
        for (uint32_t i : order)
            indices.push_back(Value::fromUint(items.origins[i]));
        for (uint32_t origin : items.undefinedOrigins)
            indices.push_back(Value::fromUint(origin));
        return Value(static_cast<Object *>(rt.newArray(std::move(indices))));
    }
    std::vector<ArrayObject::Entry> sorted;
    sorted.reserve(order.size() + items.undefinedOrigins.size());
    for (uint32_t i : order)
        sorted.emplace_back(uint32_t(sorted.size()), items.values[i]);
    for (size_t i = 0; i < items.undefinedOrigins.size(); ++i)
        sorted.emplace_back(uint32_t(sorted.size()), Value());
    elements.rebuild(std::move(sorted), elements.length());
    return elements.self();
}

uint32_t optionsOf(Runtime &rt, const Value &v) { return v.isUndefined() ? 0 : rt.toUint(v); }

} // namespace

Value sort(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self);
    auto *fn = dynamic_cast<FunctionObject *>(args[0].asObject());
    const uint32_t options = optionsOf(rt, fn ? args[1] : args[0]);
    Sortable items = collect(elements);
    if (fn) {
        const Value callee(static_cast<Object *>(fn));
        const Compare byFunction = [&](uint32_t a, uint32_t b) {
            const Value argv[] = {items.values[a], items.values[b]};
            const double result = rt.toNumber(rt.call(callee, Value::null(), Args{argv, 2}));
            return (options & Descending) ? -sign(result) : sign(result);
        };
        return finish(rt, elements, items, options, byFunction);
    }
    Keys keys;
    keys.orders.push_back(KeyOrder{options});
    for (const Value &v : items.values)
        keys.fields.push_back({prepared(rt, v, keys.orders[0])});
    return finish(rt, elements, items, options,
                  [&](uint32_t a, uint32_t b) { return compareKeys(rt, keys, a, b); });
}

Value sortOn(Runtime &rt, const Value &self, Args args)
{
    ArrayElements elements(rt, self);
    std::vector<QString> names;
    if (auto *list = dynamic_cast<ArrayObject *>(args[0].asObject())) {
        for (const auto &entry : list->entries(0, list->length()))
            names.push_back(rt.toString(entry.second));
    } else {
        names.push_back(rt.toString(args[0]));
    }
    Keys keys;
    auto *optionList = dynamic_cast<ArrayObject *>(args[1].asObject());
    const bool perField = optionList && optionList->length() == names.size();
    for (size_t f = 0; f < names.size(); ++f)
        keys.orders.push_back(KeyOrder{perField ? optionsOf(rt, optionList->at(uint32_t(f)))
                                                : optionsOf(rt, optionList ? Value() : args[1])});
    const uint32_t options = keys.orders.empty() ? 0 : keys.orders[0].options;

    Sortable items = collect(elements);
    for (const Value &v : items.values) {
        std::vector<Value> fields;
        for (size_t f = 0; f < names.size(); ++f)
            fields.push_back(v.isObject() ? prepared(rt, rt.get(v, names[f]), keys.orders[f]) : Value());
        keys.fields.push_back(std::move(fields));
    }
    return finish(rt, elements, items, options,
                  [&](uint32_t a, uint32_t b) { return compareKeys(rt, keys, a, b); });
}

} // namespace swf::avm2::arraymethods
