#pragma once

#include <QString>

namespace swf {

// A number as scripts print it: up to 15 significant digits, in plain
// notation from 1e-6 to below 1e15 and in exponent notation beyond.
QString NumberToString(double d);

} // namespace swf
