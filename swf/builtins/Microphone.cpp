// Microphone: sound input. This player records nothing, so there is no
// microphone to get and the setters of one have nothing to set.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int FirstVersion = 6;

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }
// Microphone.get(index): null, as when the machine has no sound input.
Value get(NativeCall &) { return Null{}; }
Value setter(NativeCall &) { return Undefined{}; }
// Microphone.names: the inputs there are, none.
Value names(NativeCall &call) { return ObjectValue(call.engine().newArray({})); }

} // namespace

const ClassDecl MicrophoneClass{
    "Microphone",
    construct,
    {{"setGain", setter, FirstVersion},
     {"setRate", setter, FirstVersion},
     {"setSilenceLevel", setter, FirstVersion},
     {"setUseEchoSuppression", setter, FirstVersion}},
    {ScriptMethod("get", get, 5, 0)},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {{"names", names, nullptr, BuiltinFlags}},
};

} // namespace swf
