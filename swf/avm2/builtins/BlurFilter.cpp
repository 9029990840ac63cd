// flash.filters.BlurFilter(blurX = 4, blurY = 4, quality = 1).
#include "swf/avm2/builtins/FilterObject.h"

namespace swf::avm2 {

namespace {

const std::vector<FilterField> &fields()
{
    static const std::vector<FilterField> list{BlurXField(), BlurYField(), QualityField()};
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    return ConstructFilter(rt, self, args, Filter::Blur, FilterState{}, fields());
}

} // namespace

extern const NativeClass BlurFilterClass = {
    "flash.filters", "BlurFilter", "flash.filters::BitmapFilter", ClassFinal, nullptr, construct, nullptr,
    FilterMembers(fields()), {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
