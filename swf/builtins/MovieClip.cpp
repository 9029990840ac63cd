// MovieClip: the constructor, and the prototype every clip inherits from.
// The clips' built-in methods are answered by the interpreter; what scripts
// put on MovieClip.prototype, clips see.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

Value construct(NativeCall &call) { return call.self; }

} // namespace

const ClassDecl MovieClipClass{
    "MovieClip",
    construct,
    {},
    {},
    {},
};

} // namespace swf
