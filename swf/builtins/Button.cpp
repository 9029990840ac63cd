// Button: the class of a movie's buttons. Buttons here are display objects
// that scripts reach by name; the members of the class are what the
// reference player's prototype holds, its display properties answering for
// a button only.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int PlainFlags = 0;

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

Value getDepth(NativeCall &call)
{
    const DisplayObject *button = call.clip();
    return button ? Value(double(button->depth - MoviePlayer::DynamicDepths)) : Value(Undefined{});
}

// The display properties of a button; other objects have none.
Value notAButton(NativeCall &) { return Undefined{}; }

// A button is enabled and shows the hand cursor until a script says otherwise.
void addDefaults(ScriptEngine &engine, ScriptObject &button)
{
    ScriptObject *prototype = PrototypeOf(engine, button);
    if (!prototype)
        return;
    AddBuiltinMember(engine, *prototype, "enabled", true, PlainFlags);
    AddBuiltinMember(engine, *prototype, "useHandCursor", true, PlainFlags);
}

} // namespace

const ClassDecl ButtonClass{
    "Button",
    construct,
    {{"getDepth", getDepth, 5, nullptr, PlainFlags}},
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"blendMode", notAButton, nullptr, PlainFlags},
     {"cacheAsBitmap", notAButton, nullptr, PlainFlags},
     {"filters", notAButton, nullptr, PlainFlags},
     {"scale9Grid", notAButton, nullptr, PlainFlags},
     {"tabIndex", notAButton, nullptr, PlainFlags}},
    addDefaults,
};

} // namespace swf
