// Number, int and uint: the numeric classes, whose values are plain numbers.
#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/builtins/MathFunctions.h"
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
constexpr int ArgumentCountError = 1063;
// Files from this version on have Number's own Math functions and constants.
constexpr uint8_t MathStaticsVersion = 16;
constexpr uint8_t As3Static = MemberStatic | MemberAs3;

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

// Number's Math functions are declared with fixed parameters, unlike Math's:
// other argument counts are an ArgumentError.
void checkCount(Runtime &rt, Args args, const char *name, int count)
{
    if (args.count != count)
        rt.throwError(ErrorType::ArgumentError, ArgumentCountError,
                      QStringList{QStringLiteral("Number$/%1()").arg(QLatin1String(name)), QString::number(count),
                                  QString::number(args.count)});
}

constexpr char AbsName[] = "abs", AcosName[] = "acos", AsinName[] = "asin", AtanName[] = "atan",
               CeilName[] = "ceil", CosName[] = "cos", ExpName[] = "exp", FloorName[] = "floor",
               LogName[] = "log", RoundName[] = "round", SinName[] = "sin", SqrtName[] = "sqrt",
               TanName[] = "tan", Atan2Name[] = "atan2", PowName[] = "pow", RandomName[] = "random";

template <const char *Name, double (*F)(double)> Value unaryStatic(Runtime &rt, const Value &, Args args)
{
    checkCount(rt, args, Name, 1);
    return Value::number(F(rt.toNumber(args[0])));
}

template <const char *Name, double (*F)(double, double)> Value binaryStatic(Runtime &rt, const Value &, Args args)
{
    checkCount(rt, args, Name, 2);
    const double x = rt.toNumber(args[0]);
    return Value::number(F(x, rt.toNumber(args[1])));
}


} // namespace

// Number.round is floor(x + 0.5) without its rounding slips: a zero is +0.
double NumberRound(double x)
{
    const double r = MathRound(x);
    return r == 0 ? 0.0 : r;
}

// Number.pow gives -0 for negative powers of -Infinity.
double NumberPow(double x, double y)
{
    if (std::isinf(x) && x < 0 && y < 0)
        return -0.0;
    return MathPow(x, y);
}

namespace {

Value randomStatic(Runtime &rt, const Value &self, Args args)
{
    checkCount(rt, args, RandomName, 0);
    return MathRandom(rt, self, args);
}

std::vector<NativeMember> mathStatics()
{
    return {
        {"abs", MemberKind::Method, unaryStatic<AbsName, MathOf::abs>, 1, As3Static, MathStaticsVersion},
        {"acos", MemberKind::Method, unaryStatic<AcosName, MathOf::acos>, 1, As3Static, MathStaticsVersion},
        {"asin", MemberKind::Method, unaryStatic<AsinName, MathOf::asin>, 1, As3Static, MathStaticsVersion},
        {"atan", MemberKind::Method, unaryStatic<AtanName, MathOf::atan>, 1, As3Static, MathStaticsVersion},
        {"atan2", MemberKind::Method, binaryStatic<Atan2Name, MathOf::atan2>, 2, As3Static, MathStaticsVersion},
        {"ceil", MemberKind::Method, unaryStatic<CeilName, MathOf::ceil>, 1, As3Static, MathStaticsVersion},
        {"cos", MemberKind::Method, unaryStatic<CosName, MathOf::cos>, 1, As3Static, MathStaticsVersion},
        {"exp", MemberKind::Method, unaryStatic<ExpName, MathOf::exp>, 1, As3Static, MathStaticsVersion},
        {"floor", MemberKind::Method, unaryStatic<FloorName, MathOf::floor>, 1, As3Static, MathStaticsVersion},
        {"log", MemberKind::Method, unaryStatic<LogName, MathOf::log>, 1, As3Static, MathStaticsVersion},
        {"max", MemberKind::Method, MathMax, 2, As3Static, MathStaticsVersion},
        {"min", MemberKind::Method, MathMin, 2, As3Static, MathStaticsVersion},
        {"pow", MemberKind::Method, binaryStatic<PowName, NumberPow>, 2, As3Static, MathStaticsVersion},
        {"random", MemberKind::Method, randomStatic, 0, As3Static, MathStaticsVersion},
        {"round", MemberKind::Method, unaryStatic<RoundName, NumberRound>, 1, As3Static, MathStaticsVersion},
        {"sin", MemberKind::Method, unaryStatic<SinName, MathOf::sin>, 1, As3Static, MathStaticsVersion},
        {"sqrt", MemberKind::Method, unaryStatic<SqrtName, MathOf::sqrt>, 1, As3Static, MathStaticsVersion},
        {"tan", MemberKind::Method, unaryStatic<TanName, MathOf::tan>, 1, As3Static, MathStaticsVersion},
    };
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

// Number has the Math functions too; int and uint do not.
std::vector<NativeMember> numberClassMembers()
{
    std::vector<NativeMember> members = numberMembers();
    const std::vector<NativeMember> statics = mathStatics();
    members.insert(members.end(), statics.begin(), statics.end());
    return members;
}

} // namespace

extern const NativeClass NumberClass = {
    "", "Number", "Object", ClassFinal, nullptr, nullptr, callNumber, numberClassMembers(),
    {
        {"E", M_E, nullptr, MemberAs3, MathStaticsVersion},
        {"LN10", M_LN10, nullptr, MemberAs3, MathStaticsVersion},
        {"LN2", M_LN2, nullptr, MemberAs3, MathStaticsVersion},
        {"LOG10E", M_LOG10E, nullptr, MemberAs3, MathStaticsVersion},
        {"LOG2E", M_LOG2E, nullptr, MemberAs3, MathStaticsVersion},
        {"PI", M_PI, nullptr, MemberAs3, MathStaticsVersion},
        {"SQRT1_2", M_SQRT1_2, nullptr, MemberAs3, MathStaticsVersion},
        {"SQRT2", M_SQRT2, nullptr, MemberAs3, MathStaticsVersion},
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
