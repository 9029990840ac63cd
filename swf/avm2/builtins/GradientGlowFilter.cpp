// flash.filters.GradientGlowFilter(distance = 4, angle = 45, colors = null,
// alphas = null, ratios = null, blurX = 4, blurY = 4, strength = 1,
// quality = 1, type = "inner", knockout = false): a glow in the gradient's colours.
#include "swf/avm2/builtins/FilterObject.h"

namespace swf::avm2 {

namespace {

const std::vector<FilterField> &fields()
{
    static const std::vector<FilterField> list = GradientFilterFields();
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    return ConstructFilter(rt, self, args, Filter::GradientGlow, FilterState{}, fields());
}

} // namespace

extern const NativeClass GradientGlowFilterClass = {
    "flash.filters", "GradientGlowFilter", "flash.filters::BitmapFilter", ClassFinal, nullptr, construct, nullptr,
    FilterMembers(fields()), {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
