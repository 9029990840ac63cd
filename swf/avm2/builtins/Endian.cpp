// flash.utils.Endian: the byte orders ByteArray.endian takes.
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

extern const NativeClass EndianClass = {
    "flash.utils", "Endian", "Object", ClassFinal, nullptr, nullptr, nullptr, {},
    {
        {"BIG_ENDIAN", 0, "bigEndian"},
        {"LITTLE_ENDIAN", 0, "littleEndian"},
    },
    nullptr,
    {},
};

} // namespace swf::avm2
