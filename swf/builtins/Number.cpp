// Number: the constructor, Number.prototype.toString with a radix, and valueOf.
#include "BuiltinClass.h"
#include "Builtins.h"

#include <limits>

namespace swf {

namespace {

constexpr int DecimalRadix = 10;

Value construct(NativeCall &call)
{
    return BoxedUnderNew(call, call.args.empty() ? 0.0 : call.number(0));
}

// Both methods answer undefined for a this that is no number (such as
// Number.prototype itself).
Value valueOf(NativeCall &call)
{
    const Value self = UnboxedSelf<double>(call);
    return std::holds_alternative<double>(self) ? self : Value(Undefined{});
}

Value toString(NativeCall &call)
{
    const Value self = valueOf(call);
    if (!std::holds_alternative<double>(self))
        return Undefined{};
    const int radix = ClampedInt(call.number(0, DecimalRadix), 0, 37, DecimalRadix);
    const double d = std::get<double>(self);
    if (radix == DecimalRadix || !std::isfinite(d) || radix < 2 || radix > 36)
        return call.cx.toString(d);
    return QString::number(qint64(d), radix);
}

} // namespace

const ClassDecl NumberClass{
    "Number",
    construct,
    {{"toString", toString}, {"valueOf", valueOf}},
    {},
    {{"MAX_VALUE", std::numeric_limits<double>::max()},
     {"MIN_VALUE", std::numeric_limits<double>::denorm_min()},
     {"NaN", std::numeric_limits<double>::quiet_NaN()},
     {"NEGATIVE_INFINITY", -std::numeric_limits<double>::infinity()},
     {"POSITIVE_INFINITY", std::numeric_limits<double>::infinity()}},
    5,
    ConstantFlags,
};

} // namespace swf
