// Array: the constructor and Array.prototype.
#include "ArraySort.h"
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr int MaxJoinedLength = 1 << 20;

Value construct(NativeCall &call)
{
    std::vector<Value> elements;
    if (call.args.size() == 1 && std::holds_alternative<double>(call.args[0])) {
        const double n = std::get<double>(call.args[0]);
        if (n >= 0 && n <= ScriptEngine::MaxArrayLength && call.engine().heap().canTake(qint64(n)))
            elements.resize(size_t(n));
    } else {
        elements = call.args;
    }
    ScriptObject *array = call.construct ? call.object() : nullptr;
    if (!array)
        return ObjectValue(call.engine().newArray(std::move(elements)));
    if (!array->resizeElements(elements.size()))
        return Undefined{};
    array->makeArray();
    std::move(elements.begin(), elements.end(), array->elements.begin());
    return array;
}

// push on an object that is no array, as the reference player's does it
// on any object: each value at the index its length gives, the length
// counted on.
Value pushOnObject(NativeCall &call)
{
    constexpr int FirstVersionPushingOnObjects = 6;
    if (!call.object() || call.engine().version() < FirstVersionPushingOnObjects)
        return Undefined{};
    const QString lengthName = QStringLiteral("length");
    const double start = call.cx.toNumber(call.cx.getMember(call.self, lengthName));
    double length = std::isfinite(start) ? std::trunc(start) : 0;
    for (size_t i = 0; i < call.args.size() && call.player().spend(1); ++i, ++length)
        call.cx.setMember(call.self, call.cx.toString(length), call.args[i]);
    call.cx.setMember(call.self, lengthName, length);
    return length;
}

Value pushOrUnshift(NativeCall &call, bool atEnd)
{
    ScriptObject *array = call.array();
    if (!array)
        return atEnd ? pushOnObject(call) : Value(Undefined{});
    for (size_t i = 0; i < call.args.size() && int(array->elements.size()) < ScriptEngine::MaxArrayLength; ++i)
        if (!array->insertElements(atEnd ? array->elements.size() : i, &call.args[i], 1))
            break;
    return double(array->elements.size());
}
Value push(NativeCall &call) { return pushOrUnshift(call, true); }
Value unshift(NativeCall &call) { return pushOrUnshift(call, false); }

Value popOrShift(NativeCall &call, bool atEnd)
{
    ScriptObject *array = call.array();
    if (!array || array->elements.empty())
        return Undefined{};
    Value taken = atEnd ? array->elements.back() : array->elements.front();
    if (atEnd)
        array->elements.pop_back();
    else
        array->elements.erase(array->elements.begin());
    return taken;
}
Value pop(NativeCall &call) { return popOrShift(call, true); }
Value shift(NativeCall &call) { return popOrShift(call, false); }

QString joined(NativeCall &call, const QString &separator)
{
    ScriptObject *array = call.array();
    QString text;
    // Each element is charged to the frame's script work: arrays nested in
    // one another, or in themselves, would otherwise join for ages.
    for (size_t i = 0; array && i < array->elements.size() && call.player().spend(1); ++i) {
        if (i > 0)
            text += separator;
        const Value &element = array->elements[i];
        text += objectOf(element) == array ? QString() : call.cx.toString(element);
        if (text.size() > MaxJoinedLength)
            break;
    }
    return text;
}

// join and toString answer undefined for objects that are not arrays.
Value join(NativeCall &call)
{
    if (!call.array())
        return Undefined{};
    const bool given = !call.args.empty() && !std::holds_alternative<Undefined>(call.args[0]);
    return joined(call, given ? call.string(0) : QStringLiteral(","));
}

Value toString(NativeCall &call) { return call.array() ? Value(joined(call, QStringLiteral(","))) : Value(Undefined{}); }

Value reverse(NativeCall &call)
{
    if (ScriptObject *array = call.array())
        std::reverse(array->elements.begin(), array->elements.end());
    return call.self;
}

Value concat(NativeCall &call)
{
    ScriptObject *array = call.array();
    std::vector<Value> elements = array ? array->elements : std::vector<Value>{};
    for (const Value &arg : call.args) {
        const ScriptObject *other = objectOf(arg);
        if (other && other->kind == ScriptObject::Kind::Array)
            elements.insert(elements.end(), other->elements.begin(), other->elements.end());
        else
            elements.push_back(arg);
    }
    return ObjectValue(call.engine().newArray(std::move(elements)));
}

Value slice(NativeCall &call)
{
    ScriptObject *array = call.array();
    if (!array)
        return Undefined{};
    const int length = int(array->elements.size());
    const int from = RelativeIndex(call.number(0, 0), length);
    const int to = RelativeIndex(call.number(1, length), length);
    std::vector<Value> elements;
    if (to > from)
        elements.assign(array->elements.begin() + from, array->elements.begin() + to);
    return ObjectValue(call.engine().newArray(std::move(elements)));
}

Value splice(NativeCall &call)
{
    ScriptObject *array = call.array();
    if (!array || call.args.empty())
        return Undefined{};
    const int length = int(array->elements.size());
    const int from = RelativeIndex(call.number(0, 0), length);
    const int count = ClampedInt(call.number(1, length - from), 0, length - from);
    std::vector<Value> removed(array->elements.begin() + from, array->elements.begin() + from + count);
    array->elements.erase(array->elements.begin() + from, array->elements.begin() + from + count);
    if (call.args.size() > 2 && int(array->elements.size() + call.args.size()) < ScriptEngine::MaxArrayLength)
        array->insertElements(size_t(from), call.args.data() + 2, call.args.size() - 2);
    return ObjectValue(call.engine().newArray(std::move(removed)));
}

} // namespace

const ClassDecl ArrayClass{
    "Array",
    construct,
    {{"push", push},
     {"pop", pop},
     {"shift", shift},
     {"unshift", unshift},
     {"join", join},
     {"reverse", reverse},
     {"concat", concat},
     {"slice", slice},
     {"splice", splice},
     {"sort", SortArray},
     {"sortOn", SortArrayOn},
     {"toString", toString}},
    {},
    // Sort options, which movies may enumerate and change.
    {{"CASEINSENSITIVE", CaseInsensitive, 0},
     {"DESCENDING", Descending, 0},
     {"UNIQUESORT", UniqueSort, 0},
     {"RETURNINDEXEDARRAY", ReturnIndexedArray, 0},
     {"NUMERIC", Numeric, 0}},
};

} // namespace swf
