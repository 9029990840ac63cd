#pragma once

#include <QString>

namespace swf {

// A number as scripts print it: up to 15 significant digits, in plain
// notation from 1e-6 up to 1e21 and in exponent notation beyond.
QString NumberToString(double d);

} // namespace swf
