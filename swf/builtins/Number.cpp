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

Value valueOf(NativeCall &call) { return UnboxedSelf<double>(call); }

Value toString(NativeCall &call)
{
    const int radix = ClampedInt(call.number(0, DecimalRadix), 0, 37, DecimalRadix);
    const double d = call.cx.toNumber(valueOf(call));
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
