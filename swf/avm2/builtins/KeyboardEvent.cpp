// flash.events.KeyboardEvent: a key pressed or released while the stage or an object has the focus.
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

namespace {

const EventFields &fields()
{
    static const EventFields list = {
        {"charCode", EventField::Kind::Uint, 0},
        {"keyCode", EventField::Kind::Uint, 0},
        {"keyLocation", EventField::Kind::Uint, 0},
        {"ctrlKey", EventField::Kind::Boolean, 0},
        {"altKey", EventField::Kind::Boolean, 0},
        {"shiftKey", EventField::Kind::Boolean, 0},
    };
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    ConstructEvent(rt, self, args, true, fields());
    return Value();
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(EventText(rt, self, QStringLiteral("KeyboardEvent"),
                           EventFieldNames(fields())));
}

// The stage is drawn again after every event the player sends anyway.
Value updateAfterEvent(Runtime &, const Value &, Args) { return Value(); }

} // namespace

extern const NativeClass KeyboardEventClass = {
    "flash.events", "KeyboardEvent", "flash.events::Event", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"updateAfterEvent", MemberKind::Method, updateAfterEvent},
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"KEY_DOWN", 0, "keyDown"},
        {"KEY_UP", 0, "keyUp"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
