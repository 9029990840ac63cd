// InteractiveObject: placed in the display list by the movie's timeline or by scripts.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass InteractiveObjectClass = {
    "flash.display", "InteractiveObject", "flash.display::DisplayObject", 0, nullptr, nullptr, nullptr, {}, {},
};

} // namespace swf::avm2
