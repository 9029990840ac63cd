// Array: every, filter, forEach, map and some call a function with each
// element, its index and the array, over the length read at the start.
#include "swf/avm2/builtins/ArrayElements.h"
#include "swf/avm2/builtins/ArrayMethods.h"

#include "swf/avm2/Runtime.h"

namespace swf::avm2::arraymethods {

namespace {

constexpr int ClosureWithThisError = 1510;

enum class Stop { Never, OnTrue, OnFalse };

// The callback, or null for none; a method closure may not take another this.
FunctionObject *callbackOf(Runtime &rt, Args args)
{
    const Value &callback = args[0];
    if (callback.isNullish())
        return nullptr;
    auto *fn = dynamic_cast<FunctionObject *>(callback.asObject());
    if (!fn)
        rt.throwError(ErrorType::TypeError, 1034, QStringList{rt.describe(callback), QStringLiteral("Function")});
    if (fn->bound && !args[1].isNullish())
        rt.throwError(ErrorType::TypeError, ClosureWithThisError, QStringList{});
    return fn;
}

// Calls the callback for each index; each result goes to onResult. Returns
// false when stop says the result ended the walk.
template <class OnResult> bool walk(Runtime &rt, const Value &self, Args args, Stop stop, OnResult onResult)
{
    FunctionObject *fn = callbackOf(rt, args);
    ArrayElements elements(rt, self);
    if (!fn)
        return true;
    const Value callee(static_cast<Object *>(fn));
    const Value thisObject = args[1].isUndefined() ? Value::null() : args[1];
    const uint32_t length = elements.length();
    for (uint32_t i = 0; i < length; ++i) {
        SpendStep(rt);
        const Value element = elements.at(i);
        const Value argv[] = {element, Value::fromUint(i), elements.self()};
        const Value result = rt.call(callee, thisObject, Args{argv, 3});
        onResult(i, element, result);
        if (stop != Stop::Never && rt.toBoolean(result) == (stop == Stop::OnTrue))
            return false;
    }
    return true;
}

} // namespace

Value every(Runtime &rt, const Value &self, Args args)
{
    return Value(walk(rt, self, args, Stop::OnFalse, [](uint32_t, const Value &, const Value &) {}));
}

Value some(Runtime &rt, const Value &self, Args args)
{
    return Value(!walk(rt, self, args, Stop::OnTrue, [](uint32_t, const Value &, const Value &) {}));
}

Value forEach(Runtime &rt, const Value &self, Args args)
{
    walk(rt, self, args, Stop::Never, [](uint32_t, const Value &, const Value &) {});
    return Value();
}

Value filter(Runtime &rt, const Value &self, Args args)
{
    ArrayObject *result = rt.newArray();
    walk(rt, self, args, Stop::Never, [&](uint32_t, const Value &element, const Value &kept) {
        if (rt.toBoolean(kept))
            result->push(element);
    });
    return Value(static_cast<Object *>(result));
}

Value map(Runtime &rt, const Value &self, Args args)
{
    ArrayObject *result = rt.newArray();
    walk(rt, self, args, Stop::Never,
         [&](uint32_t index, const Value &, const Value &mapped) { result->set(index, mapped); });
    return Value(static_cast<Object *>(result));
}

} // namespace swf::avm2::arraymethods
