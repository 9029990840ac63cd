// flash.filters.BevelFilter(distance = 4, angle = 45, highlightColor =
// 0xFFFFFF, highlightAlpha = 1, shadowColor = 0, shadowAlpha = 1, blurX = 4,
// blurY = 4, strength = 1, quality = 1, type = "inner", knockout = false).
#include "swf/avm2/builtins/FilterObject.h"

namespace swf::avm2 {

namespace {

using S = FilterState;

const std::vector<FilterField> &fields()
{
    static const std::vector<FilterField> list{
        DistanceField(),
        AngleField(),
        {"highlightColor", GetFilterNumber<&S::highlightColor>, SetFilterNumber<&S::highlightColor, ColorArgument>},
        {"highlightAlpha", GetFilterNumber<&S::highlightAlpha>, SetFilterNumber<&S::highlightAlpha, AlphaArgument>},
        ColorField("shadowColor"),
        AlphaField("shadowAlpha"),
        BlurXField(),
        BlurYField(),
        StrengthField(),
        QualityField(),
        TypeField(),
        KnockoutField(),
    };
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    return ConstructFilter(rt, self, args, Filter::Bevel, FilterState{}, fields());
}

} // namespace

extern const NativeClass BevelFilterClass = {
    "flash.filters", "BevelFilter", "flash.filters::BitmapFilter", ClassFinal, nullptr, construct, nullptr,
    FilterMembers(fields()), {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
