// flash.filters.DropShadowFilter(distance = 4, angle = 45, color = 0,
// alpha = 1, blurX = 4, blurY = 4, strength = 1, quality = 1, inner = false,
// knockout = false, hideObject = false).
#include "swf/avm2/builtins/FilterObject.h"

namespace swf::avm2 {

namespace {

using S = FilterState;

const std::vector<FilterField> &fields()
{
    static const std::vector<FilterField> list{
        DistanceField(), AngleField(),    ColorField("color"), AlphaField("alpha"), BlurXField(),  BlurYField(),
        StrengthField(), QualityField(), InnerField(),        KnockoutField(),
        {"hideObject", GetFilterBool<&S::hideObject>, SetFilterBool<&S::hideObject>},
    };
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    return ConstructFilter(rt, self, args, Filter::DropShadow, FilterState{}, fields());
}

} // namespace

extern const NativeClass DropShadowFilterClass = {
    "flash.filters", "DropShadowFilter", "flash.filters::BitmapFilter", ClassFinal, nullptr, construct, nullptr,
    FilterMembers(fields()), {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
