// flash.events.IOErrorEvent: a load or a connection that failed.
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
    return Value(EventText(rt, self, QStringLiteral("IOErrorEvent"),
                           EventFieldNames({"text"})));
}

} // namespace

extern const NativeClass IOErrorEventClass = {
    "flash.events", "IOErrorEvent", "flash.events::ErrorEvent", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"IO_ERROR", 0, "ioError"},
        {"NETWORK_ERROR", 0, "networkError"},
        {"DISK_ERROR", 0, "diskError"},
        {"VERIFY_ERROR", 0, "verifyError"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
