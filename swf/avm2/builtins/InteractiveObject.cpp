// flash.display.InteractiveObject: a display object the pointer and the
// keyboard reach.
#include "swf/avm2/builtins/DisplayObjectNative.h"

namespace swf::avm2 {

namespace {

// What scripts set on how the object takes input; the player keeps it for them to read back.
Value getMouseEnabled(Runtime &rt, const Value &self, Args) { return Value(DisplayThis(rt, self)->mouseEnabled); }
Value setMouseEnabled(Runtime &rt, const Value &self, Args args)
{
    DisplayThis(rt, self)->mouseEnabled = rt.toBoolean(args[0]);
    return Value();
}
Value getDoubleClickEnabled(Runtime &rt, const Value &self, Args)
{
    return Value(DisplayThis(rt, self)->doubleClickEnabled);
}
Value setDoubleClickEnabled(Runtime &rt, const Value &self, Args args)
{
    DisplayThis(rt, self)->doubleClickEnabled = rt.toBoolean(args[0]);
    return Value();
}

} // namespace

extern const NativeClass InteractiveObjectClass = {
    "flash.display", "InteractiveObject", "flash.display::DisplayObject", 0, nullptr, nullptr, nullptr,
    {
        {"mouseEnabled", MemberKind::Getter, getMouseEnabled},
        {"mouseEnabled", MemberKind::Setter, setMouseEnabled},
        {"doubleClickEnabled", MemberKind::Getter, getDoubleClickEnabled},
        {"doubleClickEnabled", MemberKind::Setter, setDoubleClickEnabled},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
