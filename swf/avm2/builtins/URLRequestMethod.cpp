// flash.net.URLRequestMethod: the methods URLRequest.method takes.
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/URLRequest.h"

namespace swf::avm2 {

extern const NativeClass URLRequestMethodClass = {
    "flash.net", "URLRequestMethod", "Object", ClassFinal, nullptr, nullptr, nullptr, {},
    {
        {"GET", 0, URLRequestObject::Get},
        {"POST", 0, URLRequestObject::Post},
    },
    nullptr,
    {},
};

} // namespace swf::avm2
