// flash.net.URLLoaderDataFormat: what URLLoader.data holds once a load completes.
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/URLLoading.h"

namespace swf::avm2 {

extern const NativeClass URLLoaderDataFormatClass = {
    "flash.net", "URLLoaderDataFormat", "Object", ClassFinal, nullptr, nullptr, nullptr, {},
    {
        {"BINARY", 0, DataFormatBinary},
        {"TEXT", 0, DataFormatText},
        {"VARIABLES", 0, DataFormatVariables},
    },
    nullptr,
    {},
};

} // namespace swf::avm2
