// flash.filters.BitmapFilter: the base every filter class extends; a clone
// is of the filter's own class.
#include "swf/avm2/builtins/FilterObject.h"

#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

Value clone(Runtime &rt, const Value &self, Args)
{
    const FilterObject *filter = ThisAs<FilterObject>(rt, self, "flash.filters.BitmapFilter");
    return NewFilter(rt, filter->type, filter->state);
}

} // namespace

extern const NativeClass BitmapFilterClass = {
    "flash.filters", "BitmapFilter", nullptr, 0, CreateNative<FilterObject>, nullptr, nullptr,
    {
        {"clone", MemberKind::Method, clone},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
