// flash.events.FocusEvent: the keyboard focus moving between objects.
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

namespace {

const EventFields &fields()
{
    static const EventFields list = {
        {"relatedObject", EventField::Kind::Object, 0},
        {"shiftKey", EventField::Kind::Boolean, 0},
        {"keyCode", EventField::Kind::Uint, 0},
        {"direction", EventField::Kind::String, 0, "none"},
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
    return Value(EventText(rt, self, QStringLiteral("FocusEvent"),
                           EventFieldNames({"relatedObject", "shiftKey", "keyCode"})));
}

} // namespace

extern const NativeClass FocusEventClass = {
    "flash.events", "FocusEvent", "flash.events::Event", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"FOCUS_IN", 0, "focusIn"},
        {"FOCUS_OUT", 0, "focusOut"},
        {"KEY_FOCUS_CHANGE", 0, "keyFocusChange"},
        {"MOUSE_FOCUS_CHANGE", 0, "mouseFocusChange"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
