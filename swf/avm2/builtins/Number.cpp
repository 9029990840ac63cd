// Number, int and uint: the numeric classes, whose values are plain numbers.
#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace swf::avm2 {

namespace {

constexpr int PrecisionError = 1002;
constexpr int RadixError = 1003;
constexpr int MaxFractionDigits = 20;
constexpr int MaxPrecision = 21;
constexpr int MinRadix = 2;
constexpr int MaxRadix = 36;
constexpr int DecimalRadix = 10;

double numberOf(Runtime &rt, const Value &self, const char *method)
{
    if (self.isNumber())
        return self.asNumber();
    if (Object *object = self.asObject(); object && object == rt.numberClass->prototypeObject)
        return 0;
    rt.throwError(ErrorType::TypeError, 1004, QStringList{QString::fromLatin1(method)});
}

Value toStringMethod(Runtime &rt, const Value &self, Args args)
{
    const double v = numberOf(rt, self, "Number.prototype.toString");
    const int radix = args.has(0) && !args[0].isUndefined() ? rt.toInt(args[0]) : DecimalRadix;
    if (radix < MinRadix || radix > MaxRadix)
        rt.throwError(ErrorType::RangeError, RadixError, QStringList{QString::number(radix)});
    return Value(radix == DecimalRadix ? NumberToString(v) : NumberToStringRadix(v, radix));
}

// The digit count of toFixed, toExponential and toPrecision, or RangeError
// #1002 outside first..last.
int digitCount(Runtime &rt, const Value &arg, int first, int last)
{
    const double count = ToInteger(rt.toNumber(arg));
    if (count < first || count > last)
        rt.throwError(ErrorType::RangeError, PrecisionError,
                      QStringList{NumberToString(count), QString::number(first), QString::number(last)});
    return int(count);
}

Value toFixed(Runtime &rt, const Value &self, Args args)
{
    const double v = numberOf(rt, self, "Number.prototype.toFixed");
    return Value(NumberToFixed(v, digitCount(rt, args[0], 0, MaxFractionDigits)));
}

// Without a count, as many digits as the value needs.
Value toExponential(Runtime &rt, const Value &self, Args args)
{
    const double v = numberOf(rt, self, "Number.prototype.toExponential");
    const int digits = args[0].isUndefined() ? -1 : digitCount(rt, args[0], 0, MaxFractionDigits);
    return Value(NumberToExponential(v, digits));
}

Value toPrecision(Runtime &rt, const Value &self, Args args)
{
    const double v = numberOf(rt, self, "Number.prototype.toPrecision");
    if (args[0].isUndefined())
        return Value(NumberToString(v));
    return Value(NumberToPrecision(v, digitCount(rt, args[0], 1, MaxPrecision)));
}

Value valueOf(Runtime &rt, const Value &self, Args)
{
    return Value::number(numberOf(rt, self, "Number.prototype.valueOf"));
}

Value callNumber(Runtime &rt, const Value &, Args args)
{
    return args.has(0) ? Value::number(rt.toNumber(args[0])) : Value(0);
}
Value callInt(Runtime &rt, const Value &, Args args) { return args.has(0) ? Value(rt.toInt(args[0])) : Value(0); }
Value callUint(Runtime &rt, const Value &, Args args)
{
    return args.has(0) ? Value::fromUint(rt.toUint(args[0])) : Value(0);
}

std::vector<NativeMember> numberMembers()
{
    return {
        {"toString", MemberKind::Method, toStringMethod, 1, MemberAs3},
        {"toLocaleString", MemberKind::Method, toStringMethod, 1, MemberPrototype},
        {"valueOf", MemberKind::Method, valueOf, 0, MemberAs3},
        {"toFixed", MemberKind::Method, toFixed, 1, MemberAs3},
        {"toExponential", MemberKind::Method, toExponential, 1, MemberAs3},
        {"toPrecision", MemberKind::Method, toPrecision, 1, MemberAs3},
    };
}

} // namespace

extern const NativeClass NumberClass = {
    "", "Number", "Object", ClassFinal, nullptr, nullptr, callNumber, numberMembers(),
    {
        {"length", 1},
        {"MAX_VALUE", DBL_MAX},
        {"MIN_VALUE", std::numeric_limits<double>::denorm_min()},
        {"NaN", std::numeric_limits<double>::quiet_NaN()},
        {"NEGATIVE_INFINITY", -std::numeric_limits<double>::infinity()},
        {"POSITIVE_INFINITY", std::numeric_limits<double>::infinity()},
    },
    nullptr, {}, callNumber,
};

extern const NativeClass IntClass = {
    "", "int", "Object", ClassFinal, nullptr, nullptr, callInt, numberMembers(),
    {{"length", 1}, {"MAX_VALUE", 2147483647.0}, {"MIN_VALUE", -2147483648.0}},
    nullptr, {}, callInt,
};

extern const NativeClass UintClass = {
    "", "uint", "Object", ClassFinal, nullptr, nullptr, callUint, numberMembers(),
    {{"length", 1}, {"MAX_VALUE", 4294967295.0}, {"MIN_VALUE", 0}},
    nullptr, {}, callUint,
};

} // namespace swf::avm2
