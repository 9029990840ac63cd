// flash.media.SoundTransform: the volume and the left/right mix a sound
// channel, the whole movie or a display object's sounds are heard through.
#include "swf/avm2/builtins/SoundTransformObject.h"

#include "swf/avm2/builtins/NativeHelpers.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double Percent = swf::SoundTransform::Full;
// Levels past this many percents are heard as this many: the mixer's products stay exact.
constexpr double MaxPercent = 1000;
constexpr int CoercionError = 1034;

int toPercent(double level)
{
    if (!std::isfinite(level))
        return std::isnan(level) ? 0 : int(std::copysign(MaxPercent, level));
    return int(std::lround(std::clamp(level * Percent, -MaxPercent, MaxPercent)));
}

SoundLevels &levelsOf(Runtime &rt, const Value &self)
{
    return ThisAs<SoundTransformObject>(rt, self, "flash.media.SoundTransform")->levels;
}

template <double SoundLevels::*Member> Value get(Runtime &rt, const Value &self, Args)
{
    return Value::number(levelsOf(rt, self).*Member);
}
template <double SoundLevels::*Member> Value set(Runtime &rt, const Value &self, Args args)
{
    levelsOf(rt, self).*Member = rt.toNumber(args[0]);
    return Value();
}

Value getPan(Runtime &rt, const Value &self, Args) { return Value::number(SoundPan(levelsOf(rt, self))); }
Value setPan(Runtime &rt, const Value &self, Args args)
{
    SetSoundPan(levelsOf(rt, self), rt.toNumber(args[0]));
    return Value();
}

// SoundTransform(vol = 1, panning = 0)
Value construct(Runtime &rt, const Value &self, Args args)
{
    SoundLevels &levels = levelsOf(rt, self);
    levels.volume = args.has(0) ? rt.toNumber(args[0]) : 1;
    SetSoundPan(levels, args.has(1) ? rt.toNumber(args[1]) : 0);
    return Value();
}

} // namespace

void SetSoundPan(SoundLevels &levels, double pan)
{
    levels.leftToLeft = pan > 0 ? 1 - pan : 1;
    levels.rightToRight = pan < 0 ? 1 + pan : 1;
    levels.leftToRight = levels.rightToLeft = 0;
}

double SoundPan(const SoundLevels &levels)
{
    const double left = std::abs(levels.leftToLeft), right = std::abs(levels.rightToRight);
    return left == 1 ? right - 1 : 1 - left;
}

swf::SoundTransform ToEngineTransform(const SoundLevels &levels)
{
    swf::SoundTransform t;
    t.volume = toPercent(levels.volume);
    t.ll = toPercent(levels.leftToLeft);
    t.lr = toPercent(levels.leftToRight);
    t.rl = toPercent(levels.rightToLeft);
    t.rr = toPercent(levels.rightToRight);
    return t;
}

SoundLevels FromEngineTransform(const swf::SoundTransform &t)
{
    return {t.volume / Percent, t.ll / Percent, t.lr / Percent, t.rl / Percent, t.rr / Percent};
}

Value NewSoundTransform(Runtime &rt, const SoundLevels &levels)
{
    auto *object = static_cast<SoundTransformObject *>(rt.allocate(rt.builtin("flash.media::SoundTransform")));
    object->levels = levels;
    return Value(static_cast<Object *>(object));
}

const SoundLevels *SoundLevelsOf(Runtime &rt, const Value &v)
{
    if (v.isNullish())
        return nullptr;
    auto *object = dynamic_cast<SoundTransformObject *>(v.asObject());
    if (!object)
        rt.throwError(ErrorType::TypeError, CoercionError,
                      QStringList{rt.describe(v), QStringLiteral("flash.media.SoundTransform")});
    return &object->levels;
}

extern const NativeClass SoundTransformClass = {
    "flash.media", "SoundTransform", "Object", ClassFinal, CreateNative<SoundTransformObject>, construct, nullptr,
    {
        {"volume", MemberKind::Getter, get<&SoundLevels::volume>},
        {"volume", MemberKind::Setter, set<&SoundLevels::volume>},
        {"pan", MemberKind::Getter, getPan},
        {"pan", MemberKind::Setter, setPan},
        {"leftToLeft", MemberKind::Getter, get<&SoundLevels::leftToLeft>},
        {"leftToLeft", MemberKind::Setter, set<&SoundLevels::leftToLeft>},
        {"leftToRight", MemberKind::Getter, get<&SoundLevels::leftToRight>},
        {"leftToRight", MemberKind::Setter, set<&SoundLevels::leftToRight>},
        {"rightToLeft", MemberKind::Getter, get<&SoundLevels::rightToLeft>},
        {"rightToLeft", MemberKind::Setter, set<&SoundLevels::rightToLeft>},
        {"rightToRight", MemberKind::Getter, get<&SoundLevels::rightToRight>},
        {"rightToRight", MemberKind::Setter, set<&SoundLevels::rightToRight>},
    },
    {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
