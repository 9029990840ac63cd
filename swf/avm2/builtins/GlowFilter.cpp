// flash.filters.GlowFilter(color = 0xFF0000, alpha = 1, blurX = 6, blurY = 6,
// strength = 2, quality = 1, inner = false, knockout = false).
#include "swf/avm2/builtins/FilterObject.h"

namespace swf::avm2 {

namespace {

FilterState defaults()
{
    constexpr double Red = 0xFF0000;
    constexpr double Blur = 6;
    constexpr double Strength = 2;
    FilterState state;
    state.color = Red;
    state.blurX = state.blurY = Blur;
    state.strength = Strength;
    return state;
}

const std::vector<FilterField> &fields()
{
    static const std::vector<FilterField> list{
        ColorField("color"), AlphaField("alpha"), BlurXField(),  BlurYField(),
        StrengthField(),     QualityField(),      InnerField(), KnockoutField(),
    };
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    return ConstructFilter(rt, self, args, Filter::Glow, defaults(), fields());
}

} // namespace

extern const NativeClass GlowFilterClass = {
    "flash.filters", "GlowFilter", "flash.filters::BitmapFilter", ClassFinal, nullptr, construct, nullptr,
    FilterMembers(fields()), {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
