// flash.utils.Timer: counts ticks of the runtime's timer queue and tells
// listeners with TimerEvent.TIMER, and TIMER_COMPLETE after the last tick.
// Its state lives in private slots, so that it works over whatever native
// object EventDispatcher makes.
#include "swf/avm2/builtins/NativeHelpers.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr int DelayRangeError = 2066;
constexpr int CoercionError = 1034;
const QString StateNamespace = QStringLiteral("flash.utils:Timer");
enum class Field { Delay, RepeatCount, CurrentCount, QueueId };
const char *const FieldNames[] = {"delay", "repeatCount", "currentCount", "queueId"};

Value &field(Runtime &rt, const Value &self, Field which)
{
    Object *object = ThisAs<Object>(rt, self, "flash.utils.Timer");
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, StateNamespace);
    const TraitBinding *binding = object->objectClass()
        ? object->objectClass()->instanceTraits.findExact(QString::fromLatin1(FieldNames[int(which)]), ns)
        : nullptr;
    if (!binding || binding->slot >= object->slotValues.size())
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(self), QStringLiteral("flash.utils.Timer")});
    return object->slotValues[binding->slot];
}

double checkedDelay(Runtime &rt, const Value &v)
{
    const double delay = rt.toNumber(v);
    if (!std::isfinite(delay) || delay < 0)
        rt.throwError(ErrorType::RangeError, DelayRangeError);
    return delay;
}

void dispatch(Runtime &rt, const Value &self, const char *type)
{
    Class *eventClass = rt.builtin("flash.events::TimerEvent");
    if (!eventClass)
        return;
    const Value typeArg(type);
    const Value event = rt.construct(Value(static_cast<Object *>(eventClass)), Args{&typeArg, 1});
    rt.callProperty(self, rt.publicName(QStringLiteral("dispatchEvent")), Args{&event, 1});
}

Value stop(Runtime &rt, const Value &self, Args)
{
    Value &id = field(rt, self, Field::QueueId);
    rt.timers.remove(rt.toUint(id));
    id = Value(0);
    return Value();
}

Value tick(Runtime &rt, const Value &self, Args)
{
    Value &count = field(rt, self, Field::CurrentCount);
    count = Value::number(rt.toNumber(count) + 1);
    const int32_t repeat = rt.toInt(field(rt, self, Field::RepeatCount));
    const bool last = repeat > 0 && rt.toNumber(count) >= repeat;
    if (last)
        stop(rt, self, Args{});
    dispatch(rt, self, "timer");
    if (last)
        dispatch(rt, self, "timerComplete");
    return Value();
}

Value start(Runtime &rt, const Value &self, Args)
{
    Value &id = field(rt, self, Field::QueueId);
    if (rt.toUint(id) != 0)
        return Value();
    const Value tickFn(static_cast<Object *>(rt.newNativeFunction(tick, QStringLiteral("tick"), 0)));
    const uint32_t queued = rt.timers.add(tickFn, self, {}, rt.toNumber(field(rt, self, Field::Delay)), true);
    // A full queue leaves the timer stopped.
    field(rt, self, Field::QueueId) = Value::fromUint(queued);
    return Value();
}

bool isRunning(Runtime &rt, const Value &self) { return rt.toUint(field(rt, self, Field::QueueId)) != 0; }

Value construct(Runtime &rt, const Value &self, Args args)
{
    if (Class *base = rt.builtin("flash.events::EventDispatcher"); base && base->instanceInit)
        rt.callMethod(base->instanceInit, self, Args{});
    field(rt, self, Field::Delay) = Value::number(checkedDelay(rt, args[0]));
    field(rt, self, Field::RepeatCount) = Value(rt.toInt(args[1]));
    field(rt, self, Field::CurrentCount) = Value(0);
    field(rt, self, Field::QueueId) = Value(0);
    return Value();
}

Value getDelay(Runtime &rt, const Value &self, Args) { return field(rt, self, Field::Delay); }
Value setDelay(Runtime &rt, const Value &self, Args args)
{
    field(rt, self, Field::Delay) = Value::number(checkedDelay(rt, args[0]));
    // A running timer starts counting its new delay now.
    if (isRunning(rt, self)) {
        stop(rt, self, Args{});
        start(rt, self, Args{});
    }
    return Value();
}

Value getRepeatCount(Runtime &rt, const Value &self, Args) { return field(rt, self, Field::RepeatCount); }
Value setRepeatCount(Runtime &rt, const Value &self, Args args)
{
    const int32_t repeat = rt.toInt(args[0]);
    field(rt, self, Field::RepeatCount) = Value(repeat);
    if (repeat > 0 && rt.toNumber(field(rt, self, Field::CurrentCount)) >= repeat)
        stop(rt, self, Args{});
    return Value();
}

Value getCurrentCount(Runtime &rt, const Value &self, Args) { return field(rt, self, Field::CurrentCount); }
Value getRunning(Runtime &rt, const Value &self, Args) { return Value(isRunning(rt, self)); }

Value reset(Runtime &rt, const Value &self, Args)
{
    stop(rt, self, Args{});
    field(rt, self, Field::CurrentCount) = Value(0);
    return Value();
}

void setup(Runtime &rt, Class *cls)
{
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, StateNamespace);
    for (const char *name : FieldNames) {
        SlotInfo info;
        info.type.anyName = true;
        info.typeResolved = true;
        info.initial = Value(0);
        cls->instanceTraits.addSlot(QString::fromLatin1(name), ns, false, std::move(info));
    }
}

} // namespace

extern const NativeClass TimerClass = {
    "flash.utils",
    "Timer",
    "flash.events::EventDispatcher",
    0,
    nullptr,
    construct,
    nullptr,
    {
        {"delay", MemberKind::Getter, getDelay},
        {"delay", MemberKind::Setter, setDelay},
        {"repeatCount", MemberKind::Getter, getRepeatCount},
        {"repeatCount", MemberKind::Setter, setRepeatCount},
        {"currentCount", MemberKind::Getter, getCurrentCount},
        {"running", MemberKind::Getter, getRunning},
        {"start", MemberKind::Method, start},
        {"stop", MemberKind::Method, stop},
        {"reset", MemberKind::Method, reset},
    },
    {},
    setup,
    {},
};

} // namespace swf::avm2
