// Function: Function.prototype.call and apply; ASnew.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// Movies of version 5 see neither the Function global nor call and apply.
constexpr int FirstVersionWithFunctionClass = 6;
// Most arguments apply takes from an object that is not an array.
constexpr int MaxApplyArguments = 1 << 16;

Value construct(NativeCall &) { return Undefined{}; }

// The this call and apply run a function on: without one, or with
// undefined or null, the globals.
Value thisFor(NativeCall &call)
{
    const Value &self = call.arg(0);
    return isNullish(self) ? Value(call.engine().global()) : self;
}

Value callFunction(NativeCall &call)
{
    const std::vector<Value> rest =
        call.args.size() > 1 ? std::vector<Value>(call.args.begin() + 1, call.args.end()) : std::vector<Value>{};
    return call.cx.call(call.self, thisFor(call), rest);
}

// apply(this, list): the arguments are the list's elements; an object
// that is not an array gives its members 0 to length - 1; anything else none.
Value apply(NativeCall &call)
{
    std::vector<Value> args;
    if (const ScriptObject *list = objectOf(call.arg(1))) {
        if (list->kind == ScriptObject::Kind::Array) {
            args = list->elements;
        } else if (const Value *length = list->find(call.key(QStringLiteral("length")))) {
            const int count = ClampedInt(call.cx.toNumber(*length), 0, MaxApplyArguments);
            for (int i = 0; i < count; ++i) {
                const Value *element = list->find(call.key(QString::number(i)));
                args.push_back(element ? *element : Value(Undefined{}));
            }
        }
    }
    return call.cx.call(call.self, thisFor(call), args);
}

} // namespace

Value AsNew(NativeCall &call)
{
    return call.cx.constructing();
}

const ClassDecl FunctionClass{
    "Function",
    construct,
    {{"call", callFunction, FirstVersionWithFunctionClass}, {"apply", apply, FirstVersionWithFunctionClass}},
    {},
    {},
    FirstVersionWithFunctionClass,
};

} // namespace swf
