// flash.filters.BevelFilter(distance, angle, highlightColor, highlightAlpha,
// shadowColor, shadowAlpha, blurX, blurY, strength, quality, type, knockout).
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

namespace {

const FilterClass Bevel{
    "flash.filters.BevelFilter",
    Filter::Bevel,
    {},
    {
        DistanceProperty(),
        AngleProperty(),
        FilterProperty("highlightColor", GetNumber<&FilterState::highlightColor>,
                       SetNumber<&FilterState::highlightColor, ColorValue>),
        FilterProperty("highlightAlpha", GetNumber<&FilterState::highlightAlpha>,
                       SetNumber<&FilterState::highlightAlpha, AlphaValue>),
        FilterProperty("shadowColor", GetNumber<&FilterState::color>, SetNumber<&FilterState::color, ColorValue>),
        FilterProperty("shadowAlpha", GetNumber<&FilterState::alpha>, SetNumber<&FilterState::alpha, AlphaValue>),
        BlurXProperty(),
        BlurYProperty(),
        StrengthProperty(),
        QualityProperty(),
        TypeProperty(),
        KnockoutProperty(),
    },
};

Value construct(NativeCall &call) { return ConstructFilter(call, Bevel); }

} // namespace

const ClassDecl BevelFilterClass = FilterClassDecl(Bevel, construct);

} // namespace swf
