#include "SoundTransforms.h"

#include "swf/DisplayObject.h"

#include <algorithm>
#include <utility>

namespace swf {

namespace {
constexpr qint64 Percent = SoundTransform::Full;
// Scripts may set any level; what is heard is bounded so products stay exact.
constexpr int MaxLevel = 10 * SoundTransform::Full;

SoundTransform bounded(const SoundTransform &t)
{
    const auto b = [](int level) { return std::clamp(level, -MaxLevel, MaxLevel); };
    SoundTransform out;
    out.volume = b(t.volume);
    out.ll = b(t.ll);
    out.lr = b(t.lr);
    out.rl = b(t.rl);
    out.rr = b(t.rr);
    return out;
}

int scaled(qint64 a, qint64 b, qint64 c, qint64 d) { return int((a * b + c * d) / Percent); }
} // namespace

SoundTransform ComposeSoundTransforms(const SoundTransform &outerGiven, const SoundTransform &innerGiven)
{
    const SoundTransform outer = bounded(outerGiven), inner = bounded(innerGiven);
    // The channel shares are 2 x 2 matrices: the inner one acts first.
    SoundTransform heard;
    heard.volume = int(qint64(outer.volume) * inner.volume / Percent);
    heard.ll = scaled(outer.ll, inner.ll, outer.rl, inner.lr);
    heard.rl = scaled(outer.ll, inner.rl, outer.rl, inner.rr);
    heard.lr = scaled(outer.lr, inner.ll, outer.rr, inner.lr);
    heard.rr = scaled(outer.lr, inner.rl, outer.rr, inner.rr);
    return bounded(heard);
}

bool IsPlainSoundTransform(const SoundTransform &t)
{
    return t.volume == Percent && t.ll == Percent && t.lr == 0 && t.rl == 0 && t.rr == Percent;
}

std::map<const void *, SoundTransform> HeardSoundTransforms(const std::vector<const DisplayObject *> &roots)
{
    std::map<const void *, SoundTransform> heard;
    // A stack rather than recursion: a hostile movie may nest clips deeply.
    std::vector<std::pair<const DisplayObject *, SoundTransform>> pending;
    for (const DisplayObject *root : roots)
        if (root)
            pending.emplace_back(root, SoundTransform{});
    while (!pending.empty()) {
        auto [clip, outer] = pending.back();
        pending.pop_back();
        const SoundTransform own = IsPlainSoundTransform(clip->sound) ? outer : ComposeSoundTransforms(outer, clip->sound);
        if (!IsPlainSoundTransform(own))
            heard[clip->alive.get()] = own;
        for (const auto &[depth, child] : clip->children)
            pending.emplace_back(child.get(), own);
    }
    return heard;
}

} // namespace swf
