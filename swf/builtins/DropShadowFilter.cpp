// flash.filters.DropShadowFilter(distance, angle, color, alpha, blurX, blurY,
// strength, quality, inner, knockout, hideObject).
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

namespace {

const FilterClass DropShadow{
    "flash.filters.DropShadowFilter",
    Filter::DropShadow,
    {},
    {
        DistanceProperty(),
        AngleProperty(),
        FilterProperty("color", GetNumber<&FilterState::color>, SetNumber<&FilterState::color, ColorValue>),
        FilterProperty("alpha", GetNumber<&FilterState::alpha>, SetNumber<&FilterState::alpha, AlphaValue>),
        BlurXProperty(),
        BlurYProperty(),
        StrengthProperty(),
        QualityProperty(),
        InnerProperty(),
        KnockoutProperty(),
        FilterProperty("hideObject", GetBool<&FilterState::hideObject>, SetBool<&FilterState::hideObject>),
    },
};

Value construct(NativeCall &call) { return ConstructFilter(call, DropShadow); }

} // namespace

const ClassDecl DropShadowFilterClass = FilterClassDecl(DropShadow, construct);

} // namespace swf
