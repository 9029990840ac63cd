// Function: Function.prototype.call and apply.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

// Movies of version 5 see neither the Function global nor call and apply.
constexpr int FirstVersionWithFunctionClass = 6;

Value construct(NativeCall &) { return Undefined{}; }

Value call(NativeCall &call)
{
    const std::vector<Value> rest =
        call.args.size() > 1 ? std::vector<Value>(call.args.begin() + 1, call.args.end()) : std::vector<Value>{};
    return call.cx.call(call.self, call.arg(0), rest);
}

Value apply(NativeCall &call)
{
    std::vector<Value> args;
    if (const ScriptObject *list = objectOf(call.arg(1)))
        args = list->elements;
    return call.cx.call(call.self, call.arg(0), args);
}

} // namespace

const ClassDecl FunctionClass{
    "Function",
    construct,
    {{"call", call, FirstVersionWithFunctionClass}, {"apply", apply, FirstVersionWithFunctionClass}},
    {},
    {},
    FirstVersionWithFunctionClass,
};

} // namespace swf
