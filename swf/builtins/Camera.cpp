// Camera: video input. This player captures nothing, so there is no camera
// to get and the setters of one have nothing to set.
#include "Builtins.h"
#include "InputDevices.h"

namespace swf {

const ClassDecl CameraClass{
    "Camera",
    ConstructDevice,
    {{"setMode", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setQuality", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setKeyFrameInterval", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setMotionLevel", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setLoopback", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setCursor", IgnoredSetting, FirstVersionWithDeviceSetters}},
    {ScriptMethod("get", NoDevice, 5, 0)},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {{"names", NoDeviceNames, nullptr, BuiltinFlags}},
};

} // namespace swf
