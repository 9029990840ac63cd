// flash.geom.ColorTransform: each channel multiplied, then offset.
#include "swf/avm2/builtins/GeomObjects.h"

#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

geom::ColorTerms &termsOf(Runtime &rt, const Value &self)
{
    return ThisAs<ColorTransformObject>(rt, self, "flash.geom.ColorTransform")->terms;
}

// ColorTransform(redMultiplier = 1, greenMultiplier = 1, blueMultiplier = 1,
// alphaMultiplier = 1, redOffset = 0, greenOffset = 0, blueOffset = 0, alphaOffset = 0).
Value construct(Runtime &rt, const Value &self, Args args)
{
    constexpr int Multipliers = 4;
    constexpr int Terms = 8;
    double values[Terms];
    for (int i = 0; i < Terms; ++i)
        values[i] = args.has(i) ? rt.toNumber(args[i]) : i < Multipliers ? 1 : 0;
    termsOf(rt, self) = {values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7]};
    return Value();
}

template <double geom::ColorTerms::*Field> Value get(Runtime &rt, const Value &self, Args)
{
    return Value::number(termsOf(rt, self).*Field);
}
template <double geom::ColorTerms::*Field> Value set(Runtime &rt, const Value &self, Args args)
{
    termsOf(rt, self).*Field = rt.toNumber(args[0]);
    return Value();
}

Value getColor(Runtime &rt, const Value &self, Args) { return Value::fromUint(geom::ColorOf(termsOf(rt, self))); }
Value setColor(Runtime &rt, const Value &self, Args args)
{
    const uint32_t rgb = rt.toUint(args[0]);
    geom::SetColor(termsOf(rt, self), rgb);
    return Value();
}

Value concat(Runtime &rt, const Value &self, Args args)
{
    const geom::ColorTerms second = ColorTransformArgument(rt, args[0]);
    geom::ColorTerms &t = termsOf(rt, self);
    t = geom::Concat(t, second);
    return Value();
}

Value toString(Runtime &rt, const Value &self, Args)
{
    const geom::ColorTerms &t = termsOf(rt, self);
    const auto n = [&rt](double v) { return GeomNumber(rt, v); };
    return Value(QStringLiteral("(redMultiplier=%1, greenMultiplier=%2, blueMultiplier=%3, alphaMultiplier=%4, "
                                "redOffset=%5, greenOffset=%6, blueOffset=%7, alphaOffset=%8)")
                     .arg(n(t.redMultiplier), n(t.greenMultiplier), n(t.blueMultiplier), n(t.alphaMultiplier),
                          n(t.redOffset), n(t.greenOffset), n(t.blueOffset), n(t.alphaOffset)));
}

using T = geom::ColorTerms;

} // namespace

Value NewColorTransform(Runtime &rt, const geom::ColorTerms &terms)
{
    Object *object = rt.constructClass(rt.builtin("flash.geom::ColorTransform"), Args{});
    static_cast<ColorTransformObject *>(object)->terms = terms;
    return Value(object);
}

geom::ColorTerms ColorTransformArgument(Runtime &rt, const Value &v, const char *parameter)
{
    CheckGeomArgument(rt, v, parameter);
    return ThisAs<ColorTransformObject>(rt, v, "flash.geom.ColorTransform")->terms;
}

extern const NativeClass ColorTransformClass = {
    "flash.geom", "ColorTransform", nullptr, 0, CreateNative<ColorTransformObject>, construct, nullptr,
    {
        {"redMultiplier", MemberKind::Getter, get<&T::redMultiplier>},
        {"redMultiplier", MemberKind::Setter, set<&T::redMultiplier>},
        {"greenMultiplier", MemberKind::Getter, get<&T::greenMultiplier>},
        {"greenMultiplier", MemberKind::Setter, set<&T::greenMultiplier>},
        {"blueMultiplier", MemberKind::Getter, get<&T::blueMultiplier>},
        {"blueMultiplier", MemberKind::Setter, set<&T::blueMultiplier>},
        {"alphaMultiplier", MemberKind::Getter, get<&T::alphaMultiplier>},
        {"alphaMultiplier", MemberKind::Setter, set<&T::alphaMultiplier>},
        {"redOffset", MemberKind::Getter, get<&T::redOffset>},
        {"redOffset", MemberKind::Setter, set<&T::redOffset>},
        {"greenOffset", MemberKind::Getter, get<&T::greenOffset>},
        {"greenOffset", MemberKind::Setter, set<&T::greenOffset>},
        {"blueOffset", MemberKind::Getter, get<&T::blueOffset>},
        {"blueOffset", MemberKind::Setter, set<&T::blueOffset>},
        {"alphaOffset", MemberKind::Getter, get<&T::alphaOffset>},
        {"alphaOffset", MemberKind::Setter, set<&T::alphaOffset>},
        {"color", MemberKind::Getter, getColor},
        {"color", MemberKind::Setter, setColor},
        {"concat", MemberKind::Method, concat, 1},
        {"toString", MemberKind::Method, toString},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
