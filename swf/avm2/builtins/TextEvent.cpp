// flash.events.TextEvent: text typed into a field or a link in it followed.
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

namespace {

const EventFields &fields()
{
    static const EventFields list = {
        {"text", EventField::Kind::String, 0, ""},
    };
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    ConstructEvent(rt, self, args, false, fields());
    return Value();
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(EventText(rt, self, QStringLiteral("TextEvent"),
                           EventFieldNames(fields())));
}

} // namespace

extern const NativeClass TextEventClass = {
    "flash.events", "TextEvent", "flash.events::Event", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"LINK", 0, "link"},
        {"TEXT_INPUT", 0, "textInput"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
