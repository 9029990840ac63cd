// flash.utils.CompressionAlgorithm: the names ByteArray.compress takes.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass CompressionAlgorithmClass = {
    "flash.utils", "CompressionAlgorithm", "Object", ClassFinal, nullptr, nullptr, nullptr, {},
    {
        {"DEFLATE", 0, "deflate"},
        {"LZMA", 0, "lzma"},
        {"ZLIB", 0, "zlib"},
    },
    nullptr, {}, nullptr,
};

} // namespace swf::avm2
