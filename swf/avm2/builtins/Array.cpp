// Array: dynamic lists of values.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr int ArrayLengthError = 1005;

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

Value push(Runtime &rt, const Value &self, Args args)
{
    ArrayObject *array = arrayOf(rt, self);
    for (int i = 0; i < args.count; ++i)
        array->push(args[i]);
    return Value::fromUint(array->length());
}

Value join(Runtime &rt, const Value &self, Args args)
{
    ArrayObject *array = arrayOf(rt, self);
    const QString separator = args[0].isUndefined() ? QStringLiteral(",") : rt.toString(args[0]);
    QString out;
    for (uint32_t i = 0; i < array->length(); ++i) {
        if (i)
            out += separator;
        const Value v = array->at(i);
        if (!v.isNullish())
            out += rt.toString(v);
        if (uint32_t(out.size()) > (1u << 28))
            throw ScriptAbort{QStringLiteral("the text grew too long")};
    }
    return Value(out);
}

Value toStringMethod(Runtime &rt, const Value &self, Args) { return join(rt, self, Args{}); }

} // namespace

extern const NativeClass ArrayClass = {
    "", "Array", "Object", ClassDynamic, CreateNative<ArrayObject>, construct, call,
    {
        {"length", MemberKind::Getter, getLength},
        {"length", MemberKind::Setter, setLength},
        {"push", MemberKind::Method, push, 1, MemberAs3},
        {"join", MemberKind::Method, join, 1, MemberAs3},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"toLocaleString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
    },
    {
        {"length", 1},
        {"CASEINSENSITIVE", 1},
        {"DESCENDING", 2},
        {"UNIQUESORT", 4},
        {"RETURNINDEXEDARRAY", 8},
        {"NUMERIC", 16},
    },
};

} // namespace swf::avm2
