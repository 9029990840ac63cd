// flash.filters.GlowFilter(color, alpha, blurX, blurY, strength, quality,
// inner, knockout): red, 6 pixels wide and twice as strong unless told.
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

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

const FilterClass Glow{
    "flash.filters.GlowFilter",
    Filter::Glow,
    defaults(),
    {
        FilterProperty("color", GetNumber<&FilterState::color>, SetNumber<&FilterState::color, ColorValue>),
        FilterProperty("alpha", GetNumber<&FilterState::alpha>, SetNumber<&FilterState::alpha, AlphaValue>),
        BlurXProperty(),
        BlurYProperty(),
        StrengthProperty(),
        QualityProperty(),
        InnerProperty(),
        KnockoutProperty(),
    },
};

Value construct(NativeCall &call) { return ConstructFilter(call, Glow); }

} // namespace

const ClassDecl GlowFilterClass = FilterClassDecl(Glow, construct);

} // namespace swf
