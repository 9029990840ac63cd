// DisplayObject: placed in the display list by the movie's timeline or by scripts.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass DisplayObjectClass = {
    "flash.display", "DisplayObject", "flash.events::EventDispatcher", 0, nullptr, nullptr, nullptr, {}, {},
};

} // namespace swf::avm2
