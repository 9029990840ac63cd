#pragma once

#include "swf/avm2/Object.h"

namespace swf::avm2 {

// An Error's own fields; name comes from the class unless set.
class ErrorObject : public Object {
public:
    using Object::Object;
    Value message = Value(QString());
    Value name;
    int32_t errorId = 0;

    void mark(const Marker &marker) const override
    {
        Object::mark(marker);
        marker(message);
        marker(name);
    }
};

} // namespace swf::avm2
