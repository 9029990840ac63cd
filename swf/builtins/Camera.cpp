// Camera: video input. This player captures nothing, so there is no camera
// to get and the setters of one have nothing to set.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int FirstVersion = 6;

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }
// Camera.get(index): null, as when the machine has no camera.
Value get(NativeCall &) { return Null{}; }
Value setter(NativeCall &) { return Undefined{}; }
// Camera.names: the cameras there are, none.
Value names(NativeCall &call) { return ObjectValue(call.engine().newArray({})); }

} // namespace

const ClassDecl CameraClass{
    "Camera",
    construct,
    {{"setMode", setter, FirstVersion},
     {"setQuality", setter, FirstVersion},
     {"setKeyFrameInterval", setter, FirstVersion},
     {"setMotionLevel", setter, FirstVersion},
     {"setLoopback", setter, FirstVersion},
     {"setCursor", setter, FirstVersion}},
    {ScriptMethod("get", get, 5, 0)},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {{"names", names, nullptr, BuiltinFlags}},
};

} // namespace swf
