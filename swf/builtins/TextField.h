#pragma once

#include "swf/script/Value.h"

namespace swf {

class ScriptEngine;
struct NativeCall;

// What text fields inherit from: TextField.prototype as the movie has it
// now; nullptr before version 6, whose movies have no TextField.
ScriptObject *TextFieldPrototype(ScriptEngine &engine);

// MovieClip.createTextField(name, depth, x, y, width, height).
Value ClipCreateTextField(NativeCall &call);

} // namespace swf
