// flash.display.Shape: vector drawing without children.
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/GraphicsObject.h"

namespace swf::avm2 {

namespace {

Value graphics(Runtime &rt, const Value &self, Args) { return GraphicsOf(rt, *DisplayThis(rt, self)); }

} // namespace

extern const NativeClass ShapeClass = {
    "flash.display", "Shape", "flash.display::DisplayObject", 0, nullptr, nullptr, nullptr,
    {
        {"graphics", MemberKind::Getter, graphics},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
