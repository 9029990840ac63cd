// flash.events.ProgressEvent: how far a load or an upload has come.
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

namespace {

const EventFields &fields()
{
    static const EventFields list = {
        {"bytesLoaded", EventField::Kind::Number, 0},
        {"bytesTotal", EventField::Kind::Number, 0},
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
    return Value(EventText(rt, self, QStringLiteral("ProgressEvent"),
                           EventFieldNames(fields())));
}

} // namespace

extern const NativeClass ProgressEventClass = {
    "flash.events", "ProgressEvent", "flash.events::Event", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"PROGRESS", 0, "progress"},
        {"SOCKET_DATA", 0, "socketData"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
