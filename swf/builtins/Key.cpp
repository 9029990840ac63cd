// Key: the keyboard's state, the key codes, and the listeners told of key
// presses and releases.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

namespace swf {

namespace {

constexpr int MaxKeyCode = 255;

Value isDown(NativeCall &call) { return call.player().keyIsDown(ClampedInt(call.number(0, 0), 0, MaxKeyCode)); }
Value getCode(NativeCall &call) { return double(call.player().lastKeyCode()); }
Value getAscii(NativeCall &call) { return double(call.player().lastKeyAscii()); }
// The movie hears the keyboard only while it has the focus, and the lock
// keys' lights are not its to read: none counts as on.
Value isToggled(NativeCall &) { return false; }
// No screen reader is listening to this player.
Value isAccessible(NativeCall &) { return false; }

void addListeners(ScriptEngine &engine, ScriptObject &key)
{
    InitializeBroadcaster(engine, key, ConstantFlags | HiddenBefore6);
}

} // namespace

const ClassDecl KeyObject{
    "Key",
    nullptr,
    {},
    {{"isDown", isDown}, {"getCode", getCode}, {"getAscii", getAscii}, {"isToggled", isToggled},
     {"isAccessible", isAccessible}},
    {{"BACKSPACE", 8}, {"TAB", 9},       {"ENTER", 13}, {"SHIFT", 16},  {"CONTROL", 17},  {"CAPSLOCK", 20},
     {"ESCAPE", 27},   {"SPACE", 32},    {"PGUP", 33},  {"PGDN", 34},   {"END", 35},      {"HOME", 36},
     {"LEFT", 37},     {"UP", 38},       {"RIGHT", 39}, {"DOWN", 40},   {"INSERT", 45},   {"DELETEKEY", 46},
     {"ALT", 18}},
    5,
    ConstantFlags,
    BuiltinFlags,
    {},
    {},
    addListeners,
};

} // namespace swf
