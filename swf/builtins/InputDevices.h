#pragma once

#include "BuiltinClass.h"

namespace swf {

// What Camera and Microphone share: this player captures nothing, so
// get(index) answers null, as on a machine without the device, names lists
// none, and the setters of a device have nothing to set.
constexpr int FirstVersionWithDeviceSetters = 6;
Value ConstructDevice(NativeCall &call);
Value NoDevice(NativeCall &call);
Value IgnoredSetting(NativeCall &call);
Value NoDeviceNames(NativeCall &call);

} // namespace swf
