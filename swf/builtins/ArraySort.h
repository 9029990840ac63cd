#pragma once

#include "BuiltinClass.h"

namespace swf {

// The flags of sort and sortOn, as Array.CASEINSENSITIVE and so on.
enum SortFlag {
    CaseInsensitive = 1,
    Descending = 2,
    UniqueSort = 4,
    ReturnIndexedArray = 8,
    Numeric = 16,
};

// Array.prototype.sort(compare, flags) and sortOn(names, flags), in the
// order of comparisons of the reference player.
Value SortArray(NativeCall &call);
Value SortArrayOn(NativeCall &call);

} // namespace swf
