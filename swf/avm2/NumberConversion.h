#pragma once

#include <QString>

#include <cstdint>

namespace swf::avm2 {

// Number <-> String conversions of ActionScript 3, printed the way the Flash
// player prints them. Pure functions: no state, no exceptions. Range checks
// that throw RangeError (toFixed digits outside 0..20 and the like) belong
// to the caller; arguments outside the range are clamped here.

// Number to String: the shortest digits that read back as the same double;
// plain notation for exponents -7 < e < 21, else "1e+21", "1.5e-7".
// NaN, Infinity and -Infinity by name; -0 prints as "0".
QString NumberToString(double v);

// Number.prototype.toString(radix). Radix 10 is NumberToString; any other
// radix (2..36) prints the integer part only, exactly, with a leading '-'
// for negative values, as the player does (Math.PI.toString(16) is "3").
// A radix outside 2..36 (the caller's RangeError) prints as radix 10.
QString NumberToStringRadix(double v, int radix);

// Number.prototype.toFixed(digits), digits 0..20. Values of 1e21 and above
// print as NumberToString. At most 17 significant digits are generated;
// places beyond are zeros (1000000000000000128 prints 1000000000000000100).
QString NumberToFixed(double v, int digits);

// Number.prototype.toExponential(digits), digits 0..20; a negative count
// asks for as many digits as the value needs.
QString NumberToExponential(double v, int digits);

// Number.prototype.toPrecision(precision), precision 1..21.
QString NumberToPrecision(double v, int precision);

// ToNumber applied to a string: surrounding white space and line breaks
// ignored, "" is 0, decimal literals, "Infinity", and hexadecimal "0x.."
// (which the player also accepts after a sign). Anything else is NaN.
double StringToNumber(const QString &s);

// The global parseInt: radix 0 means "guess" (16 for 0x.., else 10; a
// leading 0 does not mean octal). Radix outside 2..36 gives NaN.
double ParseInt(const QString &s, int radix);

// The global parseFloat: the longest decimal literal at the start.
double ParseFloat(const QString &s);

// Modular conversions of a Number to 32-bit integers; NaN and infinities
// give 0, huge values wrap exactly.
int32_t ToInt32(double v);
uint32_t ToUint32(double v);

// Truncation toward zero; NaN gives 0, infinities stay.
double ToInteger(double v);

QString IntToString(int32_t v);

} // namespace swf::avm2
