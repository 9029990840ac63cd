#pragma once

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

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
