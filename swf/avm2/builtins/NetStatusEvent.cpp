// flash.events.NetStatusEvent: a connection's or a stream's change of state, described by its info object.
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

namespace {

const EventFields &fields()
{
    static const EventFields list = {
        {"info", EventField::Kind::Object, 0},
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
    return Value(EventText(rt, self, QStringLiteral("NetStatusEvent"),
                           EventFieldNames(fields())));
}

} // namespace

extern const NativeClass NetStatusEventClass = {
    "flash.events", "NetStatusEvent", "flash.events::Event", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"NET_STATUS", 0, "netStatus"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
