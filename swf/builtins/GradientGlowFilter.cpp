// flash.filters.GradientGlowFilter(distance, angle, colors, alphas, ratios,
// blurX, blurY, strength, quality, type, knockout).
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

namespace {

const FilterClass GradientGlow{
    "flash.filters.GradientGlowFilter",
    Filter::GradientGlow,
    {},
    GradientFilterProperties(),
};

Value construct(NativeCall &call) { return ConstructFilter(call, GradientGlow); }

} // namespace

const ClassDecl GradientGlowFilterClass = FilterClassDecl(GradientGlow, construct);

} // namespace swf
