// Sprite: placed in the display list by the movie's timeline or by scripts.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass SpriteClass = {
    "flash.display", "Sprite", "flash.display::DisplayObjectContainer", 0, nullptr, nullptr, nullptr, {}, {},
};

} // namespace swf::avm2
