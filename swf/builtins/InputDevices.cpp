#include "InputDevices.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

Value ConstructDevice(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }
Value NoDevice(NativeCall &) { return Null{}; }
Value IgnoredSetting(NativeCall &) { return Undefined{}; }
Value NoDeviceNames(NativeCall &call) { return ObjectValue(call.engine().newArray({})); }

} // namespace swf
