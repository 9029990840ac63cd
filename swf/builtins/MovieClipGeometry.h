#pragma once

#include "swf/builtins/BuiltinClass.h"

namespace swf {

// MovieClip's methods between coordinate spaces: points to and from the
// stage, bounds in another clip's space, and hit tests.
Value ClipLocalToGlobal(NativeCall &call);
Value ClipGlobalToLocal(NativeCall &call);
Value ClipGetBounds(NativeCall &call);
Value ClipHitTest(NativeCall &call);

} // namespace swf
