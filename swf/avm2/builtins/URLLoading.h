#pragma once

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// What URLLoader and URLVariables share.

// URLLoaderDataFormat's names.
constexpr const char *DataFormatBinary = "binary";
constexpr const char *DataFormatText = "text";
constexpr const char *DataFormatVariables = "variables";

// Adds the name=value pairs of text to a URLVariables object (a name seen
// twice collects its values in an array), or throws the player's Error
// #2101 for text that is not pairs.
void DecodeUrlVariablesInto(Runtime &rt, const Value &target, const QString &text);

} // namespace swf::avm2
