// flash.display.MovieClip: a sprite with a timeline, moved by the engine's
// player; frames count from 1 here, from 0 in the engine.
#include "swf/avm2/builtins/MovieClipObject.h"

#include "swf/MoviePlayer.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

// Most frame scripts one clip keeps: one per frame of the longest timeline a file holds.
constexpr int MaxFrames = 16000;

MovieClipObject *clipThis(Runtime &rt, const Value &self)
{
    return ThisAs<MovieClipObject>(rt, self, "flash.display.MovieClip");
}

swf::DisplayObject &nodeOf(Runtime &rt, const Value &self) { return clipThis(rt, self)->node(); }

Value currentFrame(Runtime &rt, const Value &self, Args)
{
    const swf::DisplayObject &n = nodeOf(rt, self);
    return Value(n.isSprite() ? n.currentFrame + 1 : 1);
}

Value totalFrames(Runtime &rt, const Value &self, Args)
{
    const swf::DisplayObject &n = nodeOf(rt, self);
    return Value(n.isSprite() ? std::max(n.frameCount(), 1) : 1);
}

Value currentLabel(Runtime &rt, const Value &self, Args)
{
    const swf::DisplayObject &n = nodeOf(rt, self);
    if (!n.isSprite())
        return Value::null();
    // The label of the frame shown or the nearest before it.
    int best = -1;
    Value label = Value::null();
    for (auto it = n.timeline->labels.cbegin(); it != n.timeline->labels.cend(); ++it)
        if (it.value() <= n.currentFrame && it.value() > best) {
            best = it.value();
            label = Value(it.key());
        }
    return label;
}

void setPlaying(Runtime &rt, const Value &self, bool playing) { nodeOf(rt, self).playing = playing; }

Value play(Runtime &rt, const Value &self, Args)
{
    setPlaying(rt, self, true);
    return Value();
}

Value stop(Runtime &rt, const Value &self, Args)
{
    setPlaying(rt, self, false);
    return Value();
}

void goTo(Runtime &rt, const Value &self, const Value &frame, bool playing)
{
    swf::DisplayObject &n = nodeOf(rt, self);
    if (!rt.movie || !n.isSprite()) {
        n.playing = playing;
        return;
    }
    MoviePlayer &player = rt.movie->player();
    if (frame.isString()) {
        const double number = rt.toNumber(frame);
        if (std::isnan(number)) {
            if (!player.gotoLabel(n, frame.asString(), playing))
                rt.throwError(ErrorType::ArgumentError, 2109, QStringList{frame.asString(), QStringLiteral("null")});
            return;
        }
    }
    const double number = rt.toNumber(frame);
    player.gotoFrame(n, std::isfinite(number) ? int(std::clamp(number, 1.0, double(MaxFrames))) - 1 : 0, playing);
}

Value gotoAndPlay(Runtime &rt, const Value &self, Args args)
{
    goTo(rt, self, args[0], true);
    return Value();
}

Value gotoAndStop(Runtime &rt, const Value &self, Args args)
{
    goTo(rt, self, args[0], false);
    return Value();
}

Value nextFrame(Runtime &rt, const Value &self, Args)
{
    goTo(rt, self, Value(nodeOf(rt, self).currentFrame + 2), false);
    return Value();
}

Value prevFrame(Runtime &rt, const Value &self, Args)
{
    goTo(rt, self, Value(std::max(nodeOf(rt, self).currentFrame, 1)), false);
    return Value();
}

// addFrameScript(frame, function, frame, function...): frames from 0; null takes a script away.
Value addFrameScript(Runtime &rt, const Value &self, Args args)
{
    MovieClipObject *clip = clipThis(rt, self);
    for (int i = 0; i + 1 < args.count; i += 2) {
        const double frame = rt.toNumber(args[i]);
        if (!(frame >= 0 && frame < MaxFrames))
            continue;
        if (args[i + 1].isObject())
            clip->frameScripts[int(frame)] = args[i + 1];
        else
            clip->frameScripts.erase(int(frame));
    }
    return Value();
}

} // namespace

extern const NativeClass MovieClipClass = {
    "flash.display", "MovieClip", "flash.display::Sprite", ClassDynamic, CreateDisplay<MovieClipObject>, nullptr,
    nullptr,
    {
        {"currentFrame", MemberKind::Getter, currentFrame},
        {"totalFrames", MemberKind::Getter, totalFrames},
        {"framesLoaded", MemberKind::Getter, totalFrames},
        {"currentLabel", MemberKind::Getter, currentLabel},
        {"play", MemberKind::Method, play},
        {"stop", MemberKind::Method, stop},
        {"gotoAndPlay", MemberKind::Method, gotoAndPlay, 1},
        {"gotoAndStop", MemberKind::Method, gotoAndStop, 1},
        {"nextFrame", MemberKind::Method, nextFrame},
        {"prevFrame", MemberKind::Method, prevFrame},
        {"addFrameScript", MemberKind::Method, addFrameScript},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
