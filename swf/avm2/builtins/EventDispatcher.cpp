// EventDispatcher: placed in the display list by the movie's timeline or by scripts.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass EventDispatcherClass = {
    "flash.events", "EventDispatcher", "Object", 0, nullptr, nullptr, nullptr, {}, {},
};

} // namespace swf::avm2
