// Video: the class of the videos a movie places. Its objects are display
// objects showing their embedded frames, or the NetStream attached to them;
// its properties live on the prototype, listed by for..in as the reference
// player lists them.
#include "Video.h"
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/DisplayObject.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int FirstVersion = 6;
constexpr int PlainFlags = 0;
// Deblocking: 0 as the stream says, then the filters a player may apply.
constexpr int MaxDeblocking = 7;

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

VideoState *stateOf(const NativeCall &call)
{
    DisplayObject *clip = call.clip();
    return clip ? clip->video.get() : nullptr;
}

const VideoDef *streamOf(const NativeCall &call)
{
    DisplayObject *clip = call.clip();
    return clip ? dynamic_cast<const VideoDef *>(clip->character) : nullptr;
}

QImage shownPicture(const DisplayObject &clip)
{
    if (clip.video && clip.video->stream)
        return clip.video->stream->picture();
    const auto *video = dynamic_cast<const VideoDef *>(clip.character);
    return video ? video->picture(clip.ratio) : QImage();
}

Value attachVideo(NativeCall &call)
{
    if (VideoState *state = stateOf(call)) {
        state->stream = NetStreamPictures(call.arg(0));
        state->clearedPicture = 0;
    }
    return Undefined{};
}

Value clear(NativeCall &call)
{
    if (VideoState *state = stateOf(call))
        state->clearedPicture = shownPicture(*call.clip()).cacheKey();
    return Undefined{};
}

// The size of the stream shown: the attached one's pictures, or the embedded one's.
QSize streamSize(const NativeCall &call)
{
    const VideoState *state = stateOf(call);
    if (state && state->stream)
        return state->stream->picture().size();
    const VideoDef *video = streamOf(call);
    return video ? video->size : QSize();
}

Value getWidth(NativeCall &call) { return stateOf(call) ? Value(double(streamSize(call).width())) : Undefined{}; }
Value getHeight(NativeCall &call) { return stateOf(call) ? Value(double(streamSize(call).height())) : Undefined{}; }

Value getSmoothing(NativeCall &call)
{
    const VideoState *state = stateOf(call);
    return state ? Value(state->smoothing) : Undefined{};
}

Value setSmoothing(NativeCall &call)
{
    if (VideoState *state = stateOf(call))
        state->smoothing = call.cx.toBool(call.arg(0));
    return Undefined{};
}

Value getDeblocking(NativeCall &call)
{
    const VideoState *state = stateOf(call);
    return state ? Value(double(state->deblocking)) : Undefined{};
}

Value setDeblocking(NativeCall &call)
{
    if (VideoState *state = stateOf(call))
        state->deblocking = ClampedInt(call.number(0), 0, MaxDeblocking, state->deblocking);
    return Undefined{};
}

} // namespace

ScriptObject *VideoPrototype(ScriptEngine &engine)
{
    const Value *constructor = engine.global()->own(engine.key(QStringLiteral("Video")));
    const ScriptObject *object = constructor ? objectOf(*constructor) : nullptr;
    return object ? PrototypeOf(engine, *object) : nullptr;
}

const ClassDecl VideoClass{
    "Video",
    construct,
    {{"attachVideo", attachVideo, FirstVersion},
     {"clear", clear, FirstVersion}},
    {},
    {},
    FirstVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"deblocking", getDeblocking, setDeblocking, PlainFlags},
     {"height", getHeight, nullptr, PlainFlags},
     {"smoothing", getSmoothing, setSmoothing, PlainFlags},
     {"width", getWidth, nullptr, PlainFlags}},
};

} // namespace swf
