// Mouse: hiding and showing the pointer over the movie, and the listeners
// told of its moves, presses and releases.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

namespace swf {

namespace {

// Both answer 1 when the pointer showed before the call, 0 when not.
Value show(NativeCall &call) { return call.player().showPointer(true) ? 1.0 : 0.0; }
Value hide(NativeCall &call) { return call.player().showPointer(false) ? 1.0 : 0.0; }

void addListeners(ScriptEngine &engine, ScriptObject &mouse)
{
    InitializeBroadcaster(engine, mouse, ConstantFlags | HiddenBefore6);
}

} // namespace

const ClassDecl MouseObject{
    "Mouse",
    nullptr,
    {},
    {{"show", show}, {"hide", hide}},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {},
    addListeners,
};

} // namespace swf
