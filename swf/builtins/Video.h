#pragma once

#include "swf/VideoDecoder.h"
#include "swf/script/Value.h"

#include <memory>

namespace swf {

class ScriptEngine;

// What placed videos inherit from: Video.prototype as the movie has it now;
// nullptr before version 6, whose movies have no Video.
ScriptObject *VideoPrototype(ScriptEngine &engine);

// The pictures of the NetStream a value is, for attachVideo; none for another value.
std::shared_ptr<VideoSource> NetStreamPictures(const Value &stream);

} // namespace swf
