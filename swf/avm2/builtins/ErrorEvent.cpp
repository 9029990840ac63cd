// flash.events.ErrorEvent: an error that happened away from any script, as a load's failure.
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

const EventFields &ErrorEventFields()
{
    static const EventFields list = {
        {"text", EventField::Kind::String, 0, ""},
        {"errorID", EventField::Kind::Int, 0},
    };
    return list;
}

namespace {

const EventFields &fields() { return ErrorEventFields(); }

Value construct(Runtime &rt, const Value &self, Args args)
{
    ConstructEvent(rt, self, args, false, fields());
    return Value();
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(EventText(rt, self, QStringLiteral("ErrorEvent"),
                           EventFieldNames({"text"})));
}

} // namespace

extern const NativeClass ErrorEventClass = {
    "flash.events", "ErrorEvent", "flash.events::TextEvent", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"ERROR", 0, "error"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
