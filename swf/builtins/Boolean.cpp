// Boolean: the constructor, Boolean.prototype.toString and valueOf.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

Value construct(NativeCall &call)
{
    const bool b = !call.args.empty() && call.cx.toBool(call.args[0]);
    if (!call.construct || !call.object())
        return b;
    call.object()->payload = std::make_unique<BoxedPrimitive>(b);
    return call.self;
}

// A boxed Boolean's value, a boolean itself, or this unchanged.
Value valueOf(NativeCall &call)
{
    const ScriptObject *object = call.object();
    const Value *boxed = object ? object->boxed() : nullptr;
    return boxed && std::holds_alternative<bool>(*boxed) ? *boxed : call.self;
}

Value toString(NativeCall &call) { return call.cx.toString(call.cx.toBool(valueOf(call))); }

} // namespace

const ClassDecl BooleanClass{
    "Boolean",
    construct,
    {{"toString", toString}, {"valueOf", valueOf}},
    {},
    {},
};

} // namespace swf
