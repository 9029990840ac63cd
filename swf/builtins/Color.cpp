// Color: tints a clip by RGB or by a full colour transform.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

#include <climits>

namespace swf {

namespace {

constexpr double FixedOne = 256; // a colour transform's multiplier for 1.0
constexpr int MaxTerm = 32767;

// The clip a Color object tints.
struct ColorPayload : NativePayload {
    ClipRef clip;
};

DisplayObject *clipOf(NativeCall &call)
{
    const ScriptObject *object = call.object();
    const ColorPayload *color = object ? object->payloadAs<ColorPayload>() : nullptr;
    return color ? color->clip.get() : nullptr;
}

Value construct(NativeCall &call)
{
    ScriptObject *color = call.construct ? call.object() : nullptr;
    if (!color)
        return Undefined{};
    auto payload = std::make_unique<ColorPayload>();
    if (!call.args.empty()) {
        if (const auto *clip = std::get_if<ClipRef>(&call.args[0]))
            payload->clip = *clip;
        else
            payload->clip = refTo(call.player().resolveTarget(call.player().root(), call.string(0)));
    }
    color->payload = std::move(payload);
    // The reference player keeps the target as given, and makes every
    // member of the new object hidden, permanent and read-only.
    const QString target = QStringLiteral("target");
    color->set(call.key(target), target, call.arg(0));
    color->setAllFlags(ConstantFlags, 0);
    return color;
}

Value setRGB(NativeCall &call)
{
    DisplayObject *clip = clipOf(call);
    if (!clip || call.args.empty())
        return Undefined{};
    ColorTransform &t = clip->cxform;
    const auto rgb = uint32_t(ClampedInt(call.number(0, 0), INT_MIN, INT_MAX));
    t.redMult = t.greenMult = t.blueMult = 0;
    t.redAdd = int((rgb >> 16) & 0xFF);
    t.greenAdd = int((rgb >> 8) & 0xFF);
    t.blueAdd = int(rgb & 0xFF);
    call.player().markChanged();
    return Undefined{};
}

Value setTransform(NativeCall &call)
{
    DisplayObject *clip = clipOf(call);
    // The fields may be any object's members, a clip's variables too.
    const ClipRef *fieldClip = std::get_if<ClipRef>(&call.arg(0));
    const DisplayObject *fieldHolder = fieldClip ? fieldClip->get() : nullptr;
    const ScriptObject *fields = fieldHolder ? &fieldHolder->object : objectOf(call.arg(0));
    if (!clip || !fields)
        return Undefined{};
    ColorTransform &t = clip->cxform;
    // Percentages (ra, ga, ba, aa) and offsets (rb, gb, bb, ab); what is not given stays.
    const auto field = [&](const char *name, int &slot, bool percent) {
        if (const Value *v = fields->find(call.key(QLatin1String(name))))
            slot = ClampedInt(call.cx.toNumber(*v) * (percent ? FixedOne / 100 : 1), -MaxTerm - 1, MaxTerm, slot);
    };
    field("ra", t.redMult, true);
    field("ga", t.greenMult, true);
    field("ba", t.blueMult, true);
    field("aa", t.alphaMult, true);
    field("rb", t.redAdd, false);
    field("gb", t.greenAdd, false);
    field("bb", t.blueAdd, false);
    field("ab", t.alphaAdd, false);
    call.player().markChanged();
    return Undefined{};
}

Value getRGB(NativeCall &call)
{
    const DisplayObject *clip = clipOf(call);
    if (!clip)
        return Undefined{};
    const ColorTransform &t = clip->cxform;
    return double(((t.redAdd & 0xFF) << 16) | ((t.greenAdd & 0xFF) << 8) | (t.blueAdd & 0xFF));
}

Value getTransform(NativeCall &call)
{
    const DisplayObject *clip = clipOf(call);
    ScriptObject *fields = clip ? call.engine().newObject() : nullptr;
    if (!fields)
        return Undefined{};
    const ColorTransform &t = clip->cxform;
    for (auto [name, value] : {std::pair{"ra", t.redMult * 100 / FixedOne}, {"rb", double(t.redAdd)},
                               {"ga", t.greenMult * 100 / FixedOne}, {"gb", double(t.greenAdd)},
                               {"ba", t.blueMult * 100 / FixedOne}, {"bb", double(t.blueAdd)},
                               {"aa", t.alphaMult * 100 / FixedOne}, {"ab", double(t.alphaAdd)}})
        fields->set(call.key(QLatin1String(name)), QLatin1String(name), value);
    return fields;
}

} // namespace

const ClassDecl ColorClass{
    "Color",
    construct,
    {{"setRGB", setRGB}, {"getRGB", getRGB}, {"setTransform", setTransform}, {"getTransform", getTransform}},
    {},
    {},
    5,
    BuiltinFlags,
    ConstantFlags,
};

} // namespace swf
