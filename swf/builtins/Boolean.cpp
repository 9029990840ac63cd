// Boolean: the constructor and Boolean.prototype.toString.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

Value construct(NativeCall &call) { return call.args.empty() ? false : call.cx.toBool(call.args[0]); }
Value toString(NativeCall &call) { return call.cx.toString(call.cx.toBool(call.self)); }

} // namespace

const ClassDecl BooleanClass{
    "Boolean",
    construct,
    {{"toString", toString}},
    {},
    {},
};

} // namespace swf
