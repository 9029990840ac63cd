#pragma once

#include "swf/avm2/Object.h"
#include "swf/builtins/TextFormat.h"

namespace swf::avm2 {

// A flash.text.TextFormat: the engine's format values, each unset (null) until given.
class TextFormatObject : public Object {
public:
    using Object::Object;
    TextFormatValues values;
};

// A new TextFormat holding values.
Value NewTextFormat(Runtime &rt, const TextFormatValues &values);

} // namespace swf::avm2
