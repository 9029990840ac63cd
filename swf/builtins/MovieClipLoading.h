#pragma once

#include "swf/builtins/BuiltinClass.h"

namespace swf {

// MovieClip's methods that load into the clip: another movie, or variables.
Value ClipLoadMovie(NativeCall &call);
Value ClipLoadVariables(NativeCall &call);

} // namespace swf
