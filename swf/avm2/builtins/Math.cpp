// Math: constants and functions on Numbers, following ECMAScript's rules for
// NaN, infinities and signed zeros. A class of statics only.
#include "swf/avm2/builtins/MathFunctions.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <QRandomGenerator>

#include <cmath>
#include <limits>

namespace swf::avm2 {

namespace {

constexpr int NotAFunctionError = 1075;
constexpr int NotAConstructorError = 1076;
constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// From here on every double is an integer, and adding a half would round.
constexpr double FirstIntegralMagnitude = 4503599627370496.0; // 2^52

template <double (*F)(double)> Value unary(Runtime &rt, const Value &, Args args)
{
    return Value::number(F(rt.toNumber(args[0])));
}


Value atan2(Runtime &rt, const Value &, Args args)
{
    const double y = rt.toNumber(args[0]);
    return Value::number(std::atan2(y, rt.toNumber(args[1])));
}

Value pow(Runtime &rt, const Value &, Args args)
{
    const double x = rt.toNumber(args[0]);
    return Value::number(MathPow(x, rt.toNumber(args[1])));
}

Value callAsFunction(Runtime &rt, const Value &, Args)
{
    rt.throwError(ErrorType::TypeError, NotAFunctionError, QStringList{});
}

Value makeInstance(Runtime &rt, const Value &, Args)
{
    rt.throwError(ErrorType::TypeError, NotAConstructorError, QStringList{});
}

} // namespace

// Halves round up; -0.5 <= x < 0 gives -0.
double MathRound(double x)
{
    if (!std::isfinite(x) || std::fabs(x) >= FirstIntegralMagnitude)
        return x;
    double r = std::floor(x);
    if (x - r >= 0.5)
        r += 1;
    return r == 0 && std::signbit(x) ? -0.0 : r;
}

// Any y of zero gives 1 even for NaN; |x| = 1 to an infinite power is NaN,
// where C gives 1.
double MathPow(double x, double y)
{
    if (std::isnan(y))
        return NaN;
    if (y == 0)
        return 1;
    if (std::isinf(y) && std::fabs(x) == 1)
        return NaN;
    return std::pow(x, y);
}

namespace {

// Every argument is converted; NaN wins, and +0 is larger than -0.
template <bool Max> Value extreme(Runtime &rt, const Value &, Args args)
{
    double best = Max ? -Infinity : Infinity;
    bool sawNaN = false;
    for (int i = 0; i < args.count; ++i) {
        const double x = rt.toNumber(args[i]);
        if (std::isnan(x)) {
            sawNaN = true;
            continue;
        }
        const bool better = Max ? (x > best || (x == 0 && best == 0 && !std::signbit(x)))
                                : (x < best || (x == 0 && best == 0 && std::signbit(x)));
        if (better)
            best = x;
    }
    return Value::number(sawNaN ? NaN : best);
}

} // namespace

Value MathMax(Runtime &rt, const Value &self, Args args) { return extreme<true>(rt, self, args); }
Value MathMin(Runtime &rt, const Value &self, Args args) { return extreme<false>(rt, self, args); }
Value MathRandom(Runtime &, const Value &, Args) { return Value(QRandomGenerator::global()->generateDouble()); }

extern const NativeClass MathClass = {
    "", "Math", "Object", ClassFinal, nullptr, nullptr, callAsFunction,
    {
        {"abs", MemberKind::Method, unary<MathOf::abs>, 1, MemberStatic},
        {"acos", MemberKind::Method, unary<MathOf::acos>, 1, MemberStatic},
        {"asin", MemberKind::Method, unary<MathOf::asin>, 1, MemberStatic},
        {"atan", MemberKind::Method, unary<MathOf::atan>, 1, MemberStatic},
        {"atan2", MemberKind::Method, atan2, 2, MemberStatic},
        {"ceil", MemberKind::Method, unary<MathOf::ceil>, 1, MemberStatic},
        {"cos", MemberKind::Method, unary<MathOf::cos>, 1, MemberStatic},
        {"exp", MemberKind::Method, unary<MathOf::exp>, 1, MemberStatic},
        {"floor", MemberKind::Method, unary<MathOf::floor>, 1, MemberStatic},
        {"log", MemberKind::Method, unary<MathOf::log>, 1, MemberStatic},
        {"max", MemberKind::Method, MathMax, 2, MemberStatic},
        {"min", MemberKind::Method, MathMin, 2, MemberStatic},
        {"pow", MemberKind::Method, pow, 2, MemberStatic},
        {"random", MemberKind::Method, MathRandom, 0, MemberStatic},
        {"round", MemberKind::Method, unary<MathRound>, 1, MemberStatic},
        {"sin", MemberKind::Method, unary<MathOf::sin>, 1, MemberStatic},
        {"sqrt", MemberKind::Method, unary<MathOf::sqrt>, 1, MemberStatic},
        {"tan", MemberKind::Method, unary<MathOf::tan>, 1, MemberStatic},
    },
    {
        {"E", M_E},
        {"LN10", M_LN10},
        {"LN2", M_LN2},
        {"LOG10E", M_LOG10E},
        {"LOG2E", M_LOG2E},
        {"PI", M_PI},
        {"SQRT1_2", M_SQRT1_2},
        {"SQRT2", M_SQRT2},
    },
    nullptr, {}, makeInstance,
};

} // namespace swf::avm2
