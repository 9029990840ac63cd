#pragma once

#include "swf/avm2/Value.h"

namespace swf::avm2 {

class Runtime;

// Reads JSON text into ActionScript values: objects, arrays, strings,
// numbers, booleans and null. Bad text throws the player's SyntaxError.
Value ParseJson(Runtime &rt, const QString &text);

} // namespace swf::avm2
