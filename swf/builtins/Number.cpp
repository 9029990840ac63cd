// Number: the constructor and Number.prototype.toString with a radix.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

constexpr int DecimalRadix = 10;

Value construct(NativeCall &call) { return call.args.empty() ? 0.0 : call.number(0); }

Value toString(NativeCall &call)
{
    const int radix = ClampedInt(call.number(0, DecimalRadix), 0, 37, DecimalRadix);
    const double d = call.cx.toNumber(call.self);
    if (radix == DecimalRadix || !std::isfinite(d) || radix < 2 || radix > 36)
        return call.cx.toString(d);
    return QString::number(qint64(d), radix);
}

} // namespace

const ClassDecl NumberClass{
    "Number",
    construct,
    {{"toString", toString}},
    {},
    {},
};

} // namespace swf
