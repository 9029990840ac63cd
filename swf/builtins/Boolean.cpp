// Boolean: the constructor, Boolean.prototype.toString and valueOf.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

Value construct(NativeCall &call)
{
    return BoxedUnderNew(call, !call.args.empty() && call.cx.toBool(call.args[0]));
}

Value valueOf(NativeCall &call) { return UnboxedSelf<bool>(call); }

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
