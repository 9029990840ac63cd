// flash.events.TimerEvent: what a Timer dispatches on each tick and after
// its last one.
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

Value clone(Runtime &rt, const Value &self, Args)
{
    const Value args[] = {rt.get(self, QStringLiteral("type")), rt.get(self, QStringLiteral("bubbles")),
                          rt.get(self, QStringLiteral("cancelable"))};
    return rt.construct(Value(static_cast<Object *>(rt.classOf(self))), Args{args, 3});
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    const Value args[] = {Value("TimerEvent"), Value("type"), Value("bubbles"), Value("cancelable"),
                          Value("eventPhase")};
    return rt.callProperty(self, rt.publicName(QStringLiteral("formatToString")), Args{args, 5});
}

// The player draws every frame as it ends, so there is no earlier redraw
// to ask for.
Value updateAfterEvent(Runtime &, const Value &, Args) { return Value(); }

} // namespace

extern const NativeClass TimerEventClass = {
    "flash.events",
    "TimerEvent",
    "flash.events::Event",
    0,
    nullptr,
    nullptr,
    nullptr,
    {
        {"clone", MemberKind::Method, clone},
        {"toString", MemberKind::Method, toStringMethod},
        {"updateAfterEvent", MemberKind::Method, updateAfterEvent},
    },
    {
        {"TIMER", 0, "timer"},
        {"TIMER_COMPLETE", 0, "timerComplete"},
    },
    nullptr,
    {},
};

} // namespace swf::avm2
