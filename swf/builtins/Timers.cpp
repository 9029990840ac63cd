// setInterval, setTimeout and their clear functions.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

#include <climits>

namespace swf {

namespace {

constexpr int MaxPeriodMs = 24 * 3600 * 1000;

Value addTimer(NativeCall &call, bool once)
{
    if (call.args.size() < 2)
        return Undefined{};
    ScriptEngine::Interval interval;
    const ScriptObject *f = objectOf(call.args[0]);
    size_t next = 1;
    if (f && f->isCallable()) {
        interval.function = call.args[0];
    } else {
        // setInterval(object, "method", period, ...)
        interval.self = call.args[0];
        interval.method = call.string(1);
        next = 2;
    }
    interval.periodMs =
        std::max<qint64>(ClampedInt(call.number(next, 0), 0, MaxPeriodMs), ScriptEngine::MinIntervalMs);
    interval.args.assign(call.args.begin() + std::ptrdiff_t(std::min(next + 1, call.args.size())), call.args.end());
    interval.dueMs = call.player().frameStartMs() + interval.periodMs;
    interval.once = once;
    const int id = call.engine().addInterval(std::move(interval));
    return id ? Value(double(id)) : Value(Undefined{});
}

Value setInterval(NativeCall &call) { return addTimer(call, false); }
Value setTimeout(NativeCall &call) { return addTimer(call, true); }

Value clearInterval(NativeCall &call)
{
    const double id = call.number(0, -1);
    if (std::isfinite(id) && id == std::trunc(id))
        call.engine().clearInterval(ClampedInt(id, INT_MIN, INT_MAX));
    return Undefined{};
}

} // namespace

const ClassDecl TimerFunctions{
    nullptr,
    nullptr,
    {},
    {{"setInterval", setInterval},
     {"clearInterval", clearInterval},
     {"setTimeout", setTimeout},
     SameAs("clearTimeout", "clearInterval")},
    {},
    5,
    DontEnum,
};

} // namespace swf
