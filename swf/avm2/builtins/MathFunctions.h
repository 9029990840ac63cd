#pragma once

#include "swf/avm2/Runtime.h"

#include <cmath>

namespace swf::avm2 {

// The plain functions Math and Number hand out, as function pointers.
namespace MathOf {
inline double abs(double x) { return std::fabs(x); }
inline double acos(double x) { return std::acos(x); }
inline double asin(double x) { return std::asin(x); }
inline double atan(double x) { return std::atan(x); }
inline double ceil(double x) { return std::ceil(x); }
inline double cos(double x) { return std::cos(x); }
inline double exp(double x) { return std::exp(x); }
inline double floor(double x) { return std::floor(x); }
inline double log(double x) { return std::log(x); }
inline double sin(double x) { return std::sin(x); }
inline double sqrt(double x) { return std::sqrt(x); }
inline double tan(double x) { return std::tan(x); }
inline double atan2(double y, double x) { return std::atan2(y, x); }
} // namespace MathOf

// Math's rules, which Number's AS3 statics share.
double MathRound(double x);
double MathPow(double x, double y);
Value MathMax(Runtime &rt, const Value &self, Args args);
Value MathMin(Runtime &rt, const Value &self, Args args);
Value MathRandom(Runtime &rt, const Value &self, Args args);
// Number's versions, which differ in the signs of zeros.
double NumberRound(double x);
double NumberPow(double x, double y);

} // namespace swf::avm2
