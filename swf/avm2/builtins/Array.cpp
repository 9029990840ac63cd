// Array: dynamic lists of values.
#include "swf/avm2/builtins/ArrayElements.h"
#include "swf/avm2/builtins/ArrayMethods.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr int ArrayLengthError = 1005;
// Longer texts than this stop the script rather than fill memory.
constexpr uint32_t MaxTextLength = 1u << 28;

ArrayObject *arrayOf(Runtime &rt, const Value &self) { return ThisAs<ArrayObject>(rt, self, "Array"); }

// new Array(n) makes n holes; new Array(a, b) or new Array("x") holds its arguments.
void fill(Runtime &rt, ArrayObject *array, Args args)
{
    if (args.count == 1 && args[0].isNumber()) {
        const double n = args[0].asNumber();
        if (!(n >= 0 && n <= 4294967295.0 && n == std::floor(n)))
            rt.throwError(ErrorType::RangeError, ArrayLengthError, QStringList{rt.toString(args[0])});
        array->setLength(uint32_t(n));
        return;
    }
    array->assign(std::vector<Value>(args.data, args.data + args.count));
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    fill(rt, arrayOf(rt, self), args);
    return Value();
}

Value call(Runtime &rt, const Value &, Args args)
{
    ArrayObject *array = rt.newArray();
    fill(rt, array, args);
    return Value(static_cast<Object *>(array));
}

Value getLength(Runtime &rt, const Value &self, Args) { return Value::fromUint(arrayOf(rt, self)->length()); }

Value setLength(Runtime &rt, const Value &self, Args args)
{
    const double n = rt.toNumber(args[0]);
    if (!(n >= 0 && n <= 4294967295.0 && n == std::floor(n)))
        rt.throwError(ErrorType::RangeError, ArrayLengthError, QStringList{rt.toString(args[0])});
    arrayOf(rt, self)->setLength(uint32_t(n));
    return Value();
}

// The elements as texts between separators; null and undefined as nothing.
template <class ToText> QString joined(Runtime &rt, const Value &self, const QString &separator, ToText toText)
{
    ArrayElements elements(rt, self);
    QString out;
    for (uint32_t i = 0; i < elements.length(); ++i) {
        SpendStep(rt);
        if (i)
            out += separator;
        const Value v = elements.at(i);
        if (!v.isNullish())
            out += toText(v);
        if (uint32_t(out.size()) > MaxTextLength)
            throw ScriptAbort{QStringLiteral("the text grew too long")};
    }
    return out;
}

Value join(Runtime &rt, const Value &self, Args args)
{
    const QString separator = args[0].isUndefined() ? QStringLiteral(",") : rt.toString(args[0]);
    return Value(joined(rt, self, separator, [&](const Value &v) { return rt.toString(v); }));
}

Value toStringMethod(Runtime &rt, const Value &self, Args) { return join(rt, self, Args{}); }

Value toLocaleString(Runtime &rt, const Value &self, Args)
{
    return Value(joined(rt, self, QStringLiteral(","), [&](const Value &v) {
        return rt.toString(rt.callProperty(v, rt.publicName(QStringLiteral("toLocaleString")), Args{}));
    }));
}

// Array.prototype is itself an empty Array, as in the player.
void setup(Runtime &rt, Class *cls)
{
    Object *old = cls->prototypeObject;
    auto *proto = rt.heap.make<ArrayObject>(cls);
    proto->setPrototype(old->prototype());
    for (const DynamicProperties::Entry &entry : old->dynamics.entries())
        if (!entry.deleted)
            proto->dynamics.set(entry.name, entry.value, entry.enumerable);
    cls->prototypeObject = proto;
}

} // namespace

extern const NativeClass ArrayClass = {
    "", "Array", "Object", ClassDynamic, CreateNative<ArrayObject>, construct, call,
    {
        {"length", MemberKind::Getter, getLength},
        {"length", MemberKind::Setter, setLength},
        {"concat", MemberKind::Method, arraymethods::concat, 1, MemberAs3},
        {"every", MemberKind::Method, arraymethods::every, 1, MemberAs3},
        {"filter", MemberKind::Method, arraymethods::filter, 1, MemberAs3},
        {"forEach", MemberKind::Method, arraymethods::forEach, 1, MemberAs3},
        {"indexOf", MemberKind::Method, arraymethods::indexOf, 1, MemberAs3},
        {"insertAt", MemberKind::Method, arraymethods::insertAt, 2, MemberAs3},
        {"join", MemberKind::Method, join, 1, MemberAs3},
        {"lastIndexOf", MemberKind::Method, arraymethods::lastIndexOf, 1, MemberAs3},
        {"map", MemberKind::Method, arraymethods::map, 1, MemberAs3},
        {"pop", MemberKind::Method, arraymethods::pop, 0, MemberAs3},
        {"push", MemberKind::Method, arraymethods::push, 1, MemberAs3},
        {"removeAt", MemberKind::Method, arraymethods::removeAt, 1, MemberAs3},
        {"reverse", MemberKind::Method, arraymethods::reverse, 0, MemberAs3},
        {"shift", MemberKind::Method, arraymethods::shift, 0, MemberAs3},
        {"slice", MemberKind::Method, arraymethods::slice, 2, MemberAs3},
        {"some", MemberKind::Method, arraymethods::some, 1, MemberAs3},
        {"sort", MemberKind::Method, arraymethods::sort, 0, MemberAs3},
        {"sortOn", MemberKind::Method, arraymethods::sortOn, 2, MemberAs3},
        {"splice", MemberKind::Method, arraymethods::splice, 2, MemberAs3},
        {"unshift", MemberKind::Method, arraymethods::unshift, 0, MemberAs3},
        // The player has these on the prototype only, so a script may replace them.
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"toLocaleString", MemberKind::Method, toLocaleString, 0, MemberPrototype},
    },
    {
        {"length", 1},
        {"CASEINSENSITIVE", 1},
        {"DESCENDING", 2},
        {"UNIQUESORT", 4},
        {"RETURNINDEXEDARRAY", 8},
        {"NUMERIC", 16},
    },
    setup,
    {},
};

} // namespace swf::avm2
