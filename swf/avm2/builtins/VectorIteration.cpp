// The methods of Vector.<T> that call back into the movie: every, some,
// filter, forEach, map and sort.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/VectorMethods.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr int ArgumentCountMismatch = 1063;

enum SortOptions : uint32_t {
    SortCaseInsensitive = 1,
    SortDescending = 2,
    SortUniqueSort = 4,
    SortReturnIndexedArray = 8,
    SortNumeric = 16,
};

// The callback of every, some, filter, forEach and map, called with the
// element, its index and the vector.
class Visitor {
public:
    Visitor(Runtime &rt, const Value &self, Args args, const char *method)
        : m_rt(rt), m_self(self), m_thisObject(args[1])
    {
        m_vector = ThisVector(rt, self);
        if (args.count < 1)
            rt.throwError(ErrorType::ArgumentError, ArgumentCountMismatch,
                          QStringList{m_vector->objectClass()->qualifiedName() + QStringLiteral("/") +
                                          QLatin1String(method) + QStringLiteral("()"),
                                      QStringLiteral("1"), QStringLiteral("0")});
        m_callback = args[0];
        Object *fn = m_callback.asObject();
        if (!fn || (!dynamic_cast<FunctionObject *>(fn) && !dynamic_cast<Class *>(fn)))
            rt.throwError(ErrorType::TypeError, 1034, QStringList{rt.describe(m_callback), QStringLiteral("Function")});
    }

    VectorObject *vector() const { return m_vector; }
    // Elements the callback removed end the walk early.
    bool has(uint32_t index) const { return index < m_vector->length(); }
    Value element(uint32_t index) const { return m_vector->elements[index]; }
    Value visit(uint32_t index)
    {
        const Value args[] = {element(index), Value::fromUint(index), m_self};
        return m_rt.call(m_callback, m_thisObject, Args{args, 3});
    }

private:
    Runtime &m_rt;
    Value m_self;
    Value m_thisObject;
    Value m_callback;
    VectorObject *m_vector = nullptr;
};

// every and some: stop at the first answer that settles the result.
Value findAnswer(Runtime &rt, const Value &self, Args args, bool stopOn, const char *method)
{
    Visitor visitor(rt, self, args, method);
    for (uint32_t i = 0; visitor.has(i); ++i)
        if (rt.toBoolean(visitor.visit(i)) == stopOn)
            return Value(stopOn);
    return Value(!stopOn);
}

// Bottom-up merge sort: stays within bounds whatever the compare function
// answers, as a movie's function need not be consistent.
template <class Less> void mergeSort(std::vector<Value> &items, Less less)
{
    std::vector<Value> buffer(items.size());
    for (size_t width = 1; width < items.size(); width *= 2) {
        for (size_t lo = 0; lo < items.size(); lo += 2 * width) {
            const size_t mid = std::min(lo + width, items.size());
            const size_t hi = std::min(lo + 2 * width, items.size());
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                buffer[out++] = less(items[b], items[a]) ? items[b++] : items[a++];
            while (a < mid)
                buffer[out++] = items[a++];
            while (b < hi)
                buffer[out++] = items[b++];
        }
        items.swap(buffer);
    }
}

int compareByOptions(Runtime &rt, const Value &a, const Value &b, uint32_t options)
{
    int order = 0;
    if (options & SortNumeric) {
        const double x = rt.toNumber(a), y = rt.toNumber(b);
        order = x < y ? -1 : (x > y ? 1 : 0);
    } else {
        const QString x = rt.toString(a), y = rt.toString(b);
        order = QString::compare(x, y, (options & SortCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive);
        order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    return (options & SortDescending) ? -order : order;
}

} // namespace

Value VectorEvery(Runtime &rt, const Value &self, Args args) { return findAnswer(rt, self, args, false, "every"); }

Value VectorSome(Runtime &rt, const Value &self, Args args) { return findAnswer(rt, self, args, true, "some"); }

Value VectorForEach(Runtime &rt, const Value &self, Args args)
{
    Visitor visitor(rt, self, args, "forEach");
    for (uint32_t i = 0; visitor.has(i); ++i)
        visitor.visit(i);
    return Value();
}

Value VectorFilter(Runtime &rt, const Value &self, Args args)
{
    Visitor visitor(rt, self, args, "filter");
    VectorObject *made = NewVectorLike(rt, visitor.vector());
    for (uint32_t i = 0; visitor.has(i); ++i) {
        const Value element = visitor.element(i);
        if (rt.toBoolean(visitor.visit(i)))
            made->append(rt, element);
    }
    return Value(static_cast<Object *>(made));
}

Value VectorMap(Runtime &rt, const Value &self, Args args)
{
    Visitor visitor(rt, self, args, "map");
    VectorObject *made = NewVectorLike(rt, visitor.vector());
    for (uint32_t i = 0; visitor.has(i); ++i)
        made->append(rt, visitor.visit(i));
    return Value(static_cast<Object *>(made));
}

Value VectorSort(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    const std::vector<Value> items = vector->elements;
    // Indices are sorted, so that RETURNINDEXEDARRAY needs no search.
    std::vector<Value> order(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        order[i] = Value::fromUint(uint32_t(i));
    auto item = [&](const Value &index) -> const Value & { return items[size_t(index.asNumber())]; };
    const Value how = args[0];
    Object *fn = how.asObject();
    uint32_t options = 0;
    if (fn && (dynamic_cast<FunctionObject *>(fn) || dynamic_cast<Class *>(fn))) {
        mergeSort(order, [&](const Value &a, const Value &b) {
            const Value pair[] = {item(a), item(b)};
            return rt.toNumber(rt.call(how, Value::null(), Args{pair, 2})) < 0;
        });
    } else {
        options = how.isNullish() ? 0 : rt.toUint(how);
        mergeSort(order, [&](const Value &a, const Value &b) {
            return compareByOptions(rt, item(a), item(b), options) < 0;
        });
        if (options & SortUniqueSort)
            for (size_t i = 1; i < order.size(); ++i)
                if (compareByOptions(rt, item(order[i - 1]), item(order[i]), options) == 0)
                    return Value(0);
    }
    if (options & SortReturnIndexedArray)
        return Value(static_cast<Object *>(rt.newArray(std::move(order))));
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (const Value &index : order)
        sorted.push_back(item(index));
    vector->elements = std::move(sorted);
    return self;
}

} // namespace swf::avm2
