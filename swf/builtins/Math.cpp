// Math: its functions and constants.
#include "BuiltinClass.h"
#include "Builtins.h"

#include <QRandomGenerator>

namespace swf {

namespace {

// Every Math function converts its first two arguments, in order, whether
// it uses the second or not (their valueOf runs), and none after them.
struct Operands {
    double first;
    double second;
};
Operands operands(NativeCall &call)
{
    const double first = call.number(0);
    return {first, call.number(1)};
}

template <double (*F)(double)> Value unary(NativeCall &call) { return F(operands(call).first); }

double absolute(double d) { return std::fabs(d); }
double arcCosine(double d) { return std::acos(d); }
double arcSine(double d) { return std::asin(d); }
double arcTangent(double d) { return std::atan(d); }
double ceiling(double d) { return std::ceil(d); }
double cosine(double d) { return std::cos(d); }
double exponential(double d) { return std::exp(d); }
double floorOf(double d) { return std::floor(d); }
double logarithm(double d) { return std::log(d); }
double sine(double d) { return std::sin(d); }
double squareRoot(double d) { return std::sqrt(d); }
double tangent(double d) { return std::tan(d); }
// Halves round up, towards positive infinity.
double rounded(double d) { return std::floor(d + 0.5); }

Value atan2(NativeCall &call)
{
    const auto [y, x] = operands(call);
    return std::atan2(y, x);
}
Value pow(NativeCall &call)
{
    const auto [base, exponent] = operands(call);
    return std::pow(base, exponent);
}
Value random(NativeCall &call)
{
    operands(call);
    return QRandomGenerator::global()->generateDouble();
}

// min and max of two numbers; without arguments, the end of the line they
// start from; with one, that one.
Value extreme(NativeCall &call, bool max)
{
    if (call.args.empty())
        return max ? -INFINITY : INFINITY;
    const auto [a, b] = operands(call);
    if (call.args.size() == 1)
        return a;
    if (std::isnan(a) || std::isnan(b))
        return std::nan("");
    return max ? std::max(a, b) : std::min(a, b);
}
Value max(NativeCall &call) { return extreme(call, true); }
Value min(NativeCall &call) { return extreme(call, false); }

} // namespace

const ClassDecl MathObject{
    "Math",
    nullptr,
    {},
    {{"abs", unary<absolute>},
     {"acos", unary<arcCosine>},
     {"asin", unary<arcSine>},
     {"atan", unary<arcTangent>},
     {"atan2", atan2},
     {"ceil", unary<ceiling>},
     {"cos", unary<cosine>},
     {"exp", unary<exponential>},
     {"floor", unary<floorOf>},
     {"log", unary<logarithm>},
     {"max", max},
     {"min", min},
     {"pow", pow},
     {"random", random},
     {"round", unary<rounded>},
     {"sin", unary<sine>},
     {"sqrt", unary<squareRoot>},
     {"tan", unary<tangent>}},
    {{"PI", M_PI},
     {"E", M_E},
     {"LN2", M_LN2},
     {"LN10", M_LN10},
     {"LOG2E", M_LOG2E},
     {"LOG10E", M_LOG10E},
     {"SQRT1_2", M_SQRT1_2},
     {"SQRT2", M_SQRT2}},
};

} // namespace swf
