#include "BuiltinClass.h"

#include "swf/script/ScriptEngine.h"

#include <algorithm>

namespace swf {

const Value &NativeCall::arg(size_t i) const
{
    static const Value missing = Undefined{};
    return i < args.size() ? args[i] : missing;
}

ScriptObject *NativeCall::array() const
{
    ScriptObject *o = object();
    return o && o->kind == ScriptObject::Kind::Array ? o : nullptr;
}

QString NativeCall::key(const QString &name) const
{
    return cx.engine().key(name);
}

int ClampedInt(double d, int low, int high, int fallback)
{
    if (std::isnan(d))
        return std::clamp(fallback, low, high);
    return int(std::clamp(std::trunc(d), double(low), double(high)));
}

int RelativeIndex(double index, int length)
{
    if (std::isnan(index))
        return 0;
    const double i = index < 0 ? std::max(0.0, length + std::trunc(index)) : std::min(double(length), std::trunc(index));
    return int(i);
}

Value BoxedUnderNew(NativeCall &call, Value plain)
{
    if (!call.construct || !call.object())
        return plain;
    call.object()->payload = std::make_unique<BoxedPrimitive>(std::move(plain));
    return call.self;
}

Value ObjectValue(ScriptObject *object)
{
    return object ? Value(object) : Value(Undefined{});
}

} // namespace swf
