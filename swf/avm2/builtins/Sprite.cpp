// flash.display.Sprite: a container with its own vector drawing.
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/GraphicsObject.h"

namespace swf::avm2 {

namespace {

Value graphics(Runtime &rt, const Value &self, Args) { return GraphicsOf(rt, *DisplayThis(rt, self)); }

// Whether the pointer over the sprite shows as over a button; kept for scripts.
Value getButtonMode(Runtime &rt, const Value &self, Args) { return Value(DisplayThis(rt, self)->buttonMode); }
Value setButtonMode(Runtime &rt, const Value &self, Args args)
{
    DisplayThis(rt, self)->buttonMode = rt.toBoolean(args[0]);
    return Value();
}

} // namespace

extern const NativeClass SpriteClass = {
    "flash.display", "Sprite", "flash.display::DisplayObjectContainer", 0, nullptr, nullptr, nullptr,
    {
        {"graphics", MemberKind::Getter, graphics},
        {"buttonMode", MemberKind::Getter, getButtonMode},
        {"buttonMode", MemberKind::Setter, setButtonMode},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
