// flash.filters.GradientBevelFilter(distance, angle, colors, alphas, ratios,
// blurX, blurY, strength, quality, type, knockout).
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

namespace {

const FilterClass GradientBevel{
    "flash.filters.GradientBevelFilter",
    Filter::GradientBevel,
    {},
    GradientFilterProperties(),
};

Value construct(NativeCall &call) { return ConstructFilter(call, GradientBevel); }

} // namespace

const ClassDecl GradientBevelFilterClass = FilterClassDecl(GradientBevel, construct);

} // namespace swf
