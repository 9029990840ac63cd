#pragma once

#include <QString>

namespace swf {

// A number as scripts print it: up to 15 significant digits, in plain
// notation from 1e-5 to below 1e15 and in exponent notation beyond.
QString NumberToString(double d);

// Text as a number, as the movie's version reads it: decimal notation with
// white space around it, and from version 6 "0x" hexadecimal and octal with
// a leading 0 at the very start. Empty text is 0 before version 5. Anything
// else is NaN.
double TextToNumber(const QString &text, int version);

// The number at the start of text after white space, as parseFloat reads
// it; NaN when there is none.
double LeadingNumber(const QString &text);

} // namespace swf
