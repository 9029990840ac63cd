// MovieClip: placed in the display list by the movie's timeline or by scripts.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass MovieClipClass = {
    "flash.display", "MovieClip", "flash.display::Sprite", ClassDynamic, nullptr, nullptr, nullptr, {}, {},
};

} // namespace swf::avm2
