#pragma once

#include "BuiltinClass.h"

namespace swf {

// What LoadVars and XML share: reads url beside the movie for target at a
// later frame, keeping target alive meanwhile; target's onData then gets
// the text, or undefined when the file could not be read, and its
// _bytesLoaded and _bytesTotal the file's size. False when nothing could
// even be asked for.
bool LoadTextFor(NativeCall &call, ScriptObject &target, const QString &url);

// getBytesLoaded and getBytesTotal: what the last load recorded on this.
Value LoadedBytes(NativeCall &call);
Value TotalBytes(NativeCall &call);

} // namespace swf
