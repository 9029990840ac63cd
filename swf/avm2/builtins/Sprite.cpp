// flash.display.Sprite: a container with its own vector drawing.
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/GraphicsObject.h"

#include "swf/avm2/As3Movie.h"

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

// startDrag(lockCenter = false, bounds = null); without a movie there is no pointer to follow.
Value startDrag(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative *sprite = DisplayThis(rt, self);
    if (rt.movie)
        rt.movie->startDrag(*sprite, rt.toBoolean(args[0]));
    return Value();
}

Value stopDrag(Runtime &rt, const Value &self, Args)
{
    DisplayThis(rt, self);
    if (rt.movie)
        rt.movie->stopDrag();
    return Value();
}

} // namespace

extern const NativeClass SpriteClass = {
    "flash.display", "Sprite", "flash.display::DisplayObjectContainer", 0, nullptr, nullptr, nullptr,
    {
        {"graphics", MemberKind::Getter, graphics},
        {"buttonMode", MemberKind::Getter, getButtonMode},
        {"buttonMode", MemberKind::Setter, setButtonMode},
        {"startDrag", MemberKind::Method, startDrag},
        {"stopDrag", MemberKind::Method, stopDrag},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
