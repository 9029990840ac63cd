// flash.utils.Dictionary: a dynamic object whose keys may be objects.
#include "swf/avm2/builtins/DictionaryObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

// Weak keys are accepted and kept strongly: a movie cannot observe when a
// weak key would have been collected.
Value construct(Runtime &rt, const Value &self, Args)
{
    ThisAs<DictionaryObject>(rt, self, "flash.utils.Dictionary");
    return Value();
}

} // namespace

extern const NativeClass DictionaryClass = {
    "flash.utils", "Dictionary", "Object", ClassDynamic, CreateNative<DictionaryObject>, construct, nullptr, {}, {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
