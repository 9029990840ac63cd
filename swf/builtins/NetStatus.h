#pragma once

#include "BuiltinClass.h"

namespace swf {

// The object onStatus handlers of NetConnection and NetStream are given:
// its code and level.
Value NetStatusInfo(NativeCall &call, const char *code, const char *level);

} // namespace swf
