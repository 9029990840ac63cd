// flash.filters.BlurFilter(blurX, blurY, quality).
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

namespace {

const FilterClass Blur{
    "flash.filters.BlurFilter",
    Filter::Blur,
    {},
    {BlurXProperty(), BlurYProperty(), QualityProperty()},
};

Value construct(NativeCall &call) { return ConstructFilter(call, Blur); }

} // namespace

const ClassDecl BlurFilterClass = FilterClassDecl(Blur, construct);

} // namespace swf
