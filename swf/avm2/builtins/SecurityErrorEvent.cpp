// flash.events.SecurityErrorEvent: a load or a connection the sandbox refused.
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

namespace {

const EventFields &fields() { return ErrorEventFields(); }

Value construct(Runtime &rt, const Value &self, Args args)
{
    ConstructEvent(rt, self, args, false, fields());
    return Value();
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(EventText(rt, self, QStringLiteral("SecurityErrorEvent"),
                           EventFieldNames({"text"})));
}

} // namespace

extern const NativeClass SecurityErrorEventClass = {
    "flash.events", "SecurityErrorEvent", "flash.events::ErrorEvent", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"SECURITY_ERROR", 0, "securityError"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
