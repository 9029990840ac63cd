#pragma once

#include "swf/avm2/Object.h"

namespace swf::avm2 {

// A flash.net.URLRequest: the address a load reads, and what a request
// would send with it.
class URLRequestObject : public Object {
public:
    static constexpr const char *Get = "GET";
    static constexpr const char *Post = "POST";

    using Object::Object;

    Value url = Value::null();
    Value method;
    Value data = Value::null();
    Value contentType = Value::null();
    Value requestHeaders = Value::null();

    void mark(const Marker &marker) const override;
};

} // namespace swf::avm2
