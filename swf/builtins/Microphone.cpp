// Microphone: sound input. This player records nothing, so there is no
// microphone to get and the setters of one have nothing to set.
#include "Builtins.h"
#include "InputDevices.h"

namespace swf {

const ClassDecl MicrophoneClass{
    "Microphone",
    ConstructDevice,
    {{"setGain", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setRate", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setSilenceLevel", IgnoredSetting, FirstVersionWithDeviceSetters},
     {"setUseEchoSuppression", IgnoredSetting, FirstVersionWithDeviceSetters}},
    {ScriptMethod("get", NoDevice, 5, 0)},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {{"names", NoDeviceNames, nullptr, BuiltinFlags}},
};

} // namespace swf
