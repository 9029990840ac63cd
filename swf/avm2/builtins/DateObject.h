#pragma once

#include "swf/avm2/Object.h"

#include <limits>

namespace swf::avm2 {

// A Date: its time value in milliseconds since 1970 UTC, NaN when invalid.
class DateObject : public Object {
public:
    using Object::Object;
    double time = std::numeric_limits<double>::quiet_NaN();
};

} // namespace swf::avm2
