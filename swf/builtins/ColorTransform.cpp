// flash.geom.ColorTransform: multipliers and offsets for the red, green,
// blue and alpha channels. The player keeps them natively, from version 8
// only: older movies get a plain object that merely prints its members.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "GeomMembers.h"

#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <array>

namespace swf {

namespace {

constexpr int GeomVersion = 8;
constexpr int Channels = 4;
constexpr int ChannelBits = 8;
constexpr int ChannelMask = 0xFF;
enum Channel { Red, Green, Blue, Alpha };

struct ColorTransformPayload : NativePayload {
    std::array<double, Channels> multiplier{1, 1, 1, 1};
    std::array<double, Channels> offset{0, 0, 0, 0};
};

ColorTransformPayload *payloadOf(NativeCall &call)
{
    ScriptObject *object = call.object();
    return object ? object->payloadAs<ColorTransformPayload>() : nullptr;
}

Value construct(NativeCall &call)
{
    ScriptObject *object = call.construct ? call.object() : nullptr;
    if (!object || call.engine().version() < GeomVersion)
        return ObjectValue(object);
    auto payload = std::make_unique<ColorTransformPayload>();
    for (int i = 0; i < Channels; ++i) {
        payload->multiplier[size_t(i)] = call.number(size_t(i), payload->multiplier[size_t(i)]);
        payload->offset[size_t(i)] = call.number(size_t(Channels + i), payload->offset[size_t(i)]);
    }
    object->payload = std::move(payload);
    return object;
}

// A getter and a setter for one channel's multiplier or offset.
template <bool Multiplier, Channel C> Value getTerm(NativeCall &call)
{
    const ColorTransformPayload *t = payloadOf(call);
    if (!t)
        return Undefined{};
    return Multiplier ? t->multiplier[C] : t->offset[C];
}

template <bool Multiplier, Channel C> Value setTerm(NativeCall &call)
{
    if (ColorTransformPayload *t = payloadOf(call))
        (Multiplier ? t->multiplier[C] : t->offset[C]) = call.number(0);
    return Undefined{};
}

int32_t channelBits(double offset, int shift) { return int32_t(uint32_t(ToInt32(offset)) << shift); }

Value getRgb(NativeCall &call)
{
    const ColorTransformPayload *t = payloadOf(call);
    if (!t)
        return Undefined{};
    return double(channelBits(t->offset[Red], 2 * ChannelBits) | channelBits(t->offset[Green], ChannelBits) |
                  ToInt32(t->offset[Blue]));
}

// Setting the colour makes it solid: offsets from its bytes, no multipliers.
Value setRgb(NativeCall &call)
{
    ColorTransformPayload *t = payloadOf(call);
    if (!t)
        return Undefined{};
    const auto rgb = uint32_t(ToInt32(call.number(0)));
    for (Channel c : {Red, Green, Blue}) {
        t->multiplier[c] = 0;
        t->offset[c] = double((rgb >> ((Blue - c) * ChannelBits)) & ChannelMask);
    }
    return Undefined{};
}

// This followed by the other: its offsets pass through this one's multipliers.
Value concat(NativeCall &call)
{
    ColorTransformPayload *t = payloadOf(call);
    const ScriptObject *other = objectOf(call.arg(0));
    const ColorTransformPayload *second = other ? other->payloadAs<ColorTransformPayload>() : nullptr;
    if (!t || !second)
        return Undefined{};
    for (size_t c = 0; c < Channels; ++c) {
        t->offset[c] += t->multiplier[c] * second->offset[c];
        t->multiplier[c] *= second->multiplier[c];
    }
    return Undefined{};
}

Value toString(NativeCall &call)
{
    return MemberList(call, call.self,
                      {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier", "redOffset",
                       "greenOffset", "blueOffset", "alphaOffset"});
}

} // namespace

const ClassDecl ColorTransformClass{
    "flash.geom.ColorTransform",
    construct,
    {{"concat", concat}, ScriptMethod("toString", toString)},
    {},
    {},
    GeomVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"redMultiplier", getTerm<true, Red>, setTerm<true, Red>, UnsetFlags, GeomVersion},
     {"greenMultiplier", getTerm<true, Green>, setTerm<true, Green>, UnsetFlags, GeomVersion},
     {"blueMultiplier", getTerm<true, Blue>, setTerm<true, Blue>, UnsetFlags, GeomVersion},
     {"alphaMultiplier", getTerm<true, Alpha>, setTerm<true, Alpha>, UnsetFlags, GeomVersion},
     {"redOffset", getTerm<false, Red>, setTerm<false, Red>, UnsetFlags, GeomVersion},
     {"greenOffset", getTerm<false, Green>, setTerm<false, Green>, UnsetFlags, GeomVersion},
     {"blueOffset", getTerm<false, Blue>, setTerm<false, Blue>, UnsetFlags, GeomVersion},
     {"alphaOffset", getTerm<false, Alpha>, setTerm<false, Alpha>, UnsetFlags, GeomVersion},
     {"rgb", getRgb, setRgb, UnsetFlags, GeomVersion}},
};

} // namespace swf
