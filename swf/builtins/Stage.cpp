// Stage: the movie's stage size, and how the movie asks to be aligned and
// scaled in its window (which the control showing it follows).
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;

Value stageExtent(NativeCall &call, bool width)
{
    const MovieDef *movie = call.player().movie();
    if (!movie)
        return 0.0;
    return (width ? movie->frameRect.width() : movie->frameRect.height()) / TwipsPerPixel;
}
Value width(NativeCall &call) { return stageExtent(call, true); }
Value height(NativeCall &call) { return stageExtent(call, false); }

Value align(NativeCall &call) { return call.player().stageLayout().align; }

Value setAlign(NativeCall &call)
{
    call.player().stageLayout().align = StageLayout::alignOf(call.string(0));
    call.player().markChanged();
    return Undefined{};
}

Value scaleMode(NativeCall &call) { return StageLayout::scaleName(call.player().stageLayout().scale); }

// Unknown modes leave the stage as it is.
Value setScaleMode(NativeCall &call)
{
    if (const std::optional<StageLayout::Scale> scale = StageLayout::scaleNamed(call.string(0))) {
        call.player().stageLayout().scale = *scale;
        call.player().markChanged();
    }
    return Undefined{};
}

} // namespace

const ClassDecl StageObject{
    "Stage",
    nullptr,
    {},
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {{"width", width}, {"height", height}, {"align", align, setAlign}, {"scaleMode", scaleMode, setScaleMode}},
};

} // namespace swf
