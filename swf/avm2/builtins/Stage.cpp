// flash.display.Stage: the movie's stage, the root's parent.
#include "swf/avm2/builtins/MovieClipObject.h"

#include "swf/MoviePlayer.h"
#include "swf/avm2/As3Movie.h"

namespace swf::avm2 {

namespace {

constexpr double Twips = 20;
constexpr double DefaultFrameRate = 12;

const MovieDef *movieOf(Runtime &rt) { return rt.movie ? rt.movie->player().movie() : nullptr; }

Value stageWidth(Runtime &rt, const Value &, Args)
{
    const MovieDef *movie = movieOf(rt);
    return Value::number(movie ? std::round(movie->frameRect.width() / Twips) : 0);
}

Value stageHeight(Runtime &rt, const Value &, Args)
{
    const MovieDef *movie = movieOf(rt);
    return Value::number(movie ? std::round(movie->frameRect.height() / Twips) : 0);
}

Value frameRate(Runtime &rt, const Value &, Args)
{
    const MovieDef *movie = movieOf(rt);
    return Value::number(movie ? movie->frameRate : DefaultFrameRate);
}

} // namespace

extern const NativeClass StageClass = {
    "flash.display", "Stage", "flash.display::DisplayObjectContainer", 0, CreateDisplay<StageObject>, nullptr,
    nullptr,
    {
        {"stageWidth", MemberKind::Getter, stageWidth},
        {"stageHeight", MemberKind::Getter, stageHeight},
        {"frameRate", MemberKind::Getter, frameRate},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
