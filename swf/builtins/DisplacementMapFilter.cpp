// flash.filters.DisplacementMapFilter(mapBitmap, mapPoint, componentX,
// componentY, scaleX, scaleY, mode, color, alpha): moves each pixel by what
// two channels of a map bitmap say.
#include "BitmapData.h"
#include "Builtins.h"
#include "FilterProperties.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// Channels are the bits 1 (red), 2 (green), 4 (blue) and 8 (alpha).
constexpr int MaxChannel = 8;

FilterState defaults()
{
    FilterState state;
    state.alpha = 0;
    return state;
}

Value getMapBitmap(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? state->mapBitmap : Value(Undefined{});
}

// Only a bitmap is kept.
Value setMapBitmap(NativeCall &call)
{
    FilterState *state = FilterStateOf(call);
    if (state && BitmapDataOf(call.arg(0)))
        state->mapBitmap = call.arg(0);
    return Undefined{};
}

// A new flash.geom.Point each time.
Value getMapPoint(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    if (!state)
        return Undefined{};
    const Value geom = call.cx.getMember(call.cx.getMember(call.engine().global(), QStringLiteral("flash")),
                                         QStringLiteral("geom"));
    const Value point = call.cx.getMember(geom, QStringLiteral("Point"));
    const ScriptObject *constructor = objectOf(point);
    if (!constructor || !constructor->isCallable())
        return Undefined{};
    return call.cx.construct(point, {state->mapX, state->mapY});
}

Value setMapPoint(NativeCall &call)
{
    if (!FilterStateOf(call) || !objectOf(call.arg(0)))
        return Undefined{};
    const QPoint at = BitmapPointArgument(call, 0);
    if (FilterState *state = FilterStateOf(call)) {
        state->mapX = at.x();
        state->mapY = at.y();
    }
    return Undefined{};
}

Value getMode(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? Value(state->mode) : Value(Undefined{});
}

// One of wrap, clamp, ignore and color; another name leaves the mode.
Value setMode(NativeCall &call)
{
    static const QStringList Modes{"wrap", "clamp", "ignore", "color"};
    const QString mode = call.string(0);
    FilterState *state = FilterStateOf(call);
    if (state && Modes.contains(mode))
        state->mode = mode;
    return Undefined{};
}

using S = FilterState;
const FilterClass Displacement{
    "flash.filters.DisplacementMapFilter",
    Filter::DisplacementMap,
    defaults(),
    {
        FilterProperty("mapBitmap", getMapBitmap, setMapBitmap),
        FilterProperty("mapPoint", getMapPoint, setMapPoint),
        FilterProperty("componentX", GetInt<&S::componentX>, SetInt<&S::componentX, 0, MaxChannel>),
        FilterProperty("componentY", GetInt<&S::componentY>, SetInt<&S::componentY, 0, MaxChannel>),
        FilterProperty("scaleX", GetNumber<&S::scaleX>, SetNumber<&S::scaleX, PlainValue>),
        FilterProperty("scaleY", GetNumber<&S::scaleY>, SetNumber<&S::scaleY, PlainValue>),
        FilterProperty("mode", getMode, setMode),
        FilterProperty("color", GetNumber<&S::color>, SetNumber<&S::color, ColorValue>),
        FilterProperty("alpha", GetNumber<&S::alpha>, SetNumber<&S::alpha, AlphaValue>),
    },
};

Value construct(NativeCall &call) { return ConstructFilter(call, Displacement); }

} // namespace

const ClassDecl DisplacementMapFilterClass = FilterClassDecl(Displacement, construct);

} // namespace swf
