// Stage: the movie's stage size, and how the movie asks to be aligned and
// scaled in its window.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

#include <array>

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;

// The edges Stage.align names, in the order the reference player writes them.
constexpr std::array<char, 4> AlignEdges{'L', 'T', 'R', 'B'};

const std::array<const char *, 4> ScaleModes{"showAll", "exactFit", "noBorder", "noScale"};

// What a movie set on the Stage object.
struct StageSettings : NativePayload {
    QString align;
    QString scaleMode = QString::fromLatin1(ScaleModes[0]);
};

StageSettings *settings(NativeCall &call)
{
    ScriptObject *stage = call.object();
    if (!stage)
        return nullptr;
    if (!stage->payloadAs<StageSettings>())
        stage->payload = std::make_unique<StageSettings>();
    return stage->payloadAs<StageSettings>();
}

Value stageExtent(NativeCall &call, bool width)
{
    const MovieDef *movie = call.player().movie();
    if (!movie)
        return 0.0;
    return (width ? movie->frameRect.width() : movie->frameRect.height()) / TwipsPerPixel;
}
Value width(NativeCall &call) { return stageExtent(call, true); }
Value height(NativeCall &call) { return stageExtent(call, false); }

Value align(NativeCall &call)
{
    const StageSettings *s = settings(call);
    return s ? s->align : QString();
}

// Keeps the edges the text names, whatever their case and order.
Value setAlign(NativeCall &call)
{
    StageSettings *s = settings(call);
    if (!s)
        return Undefined{};
    const QString given = call.string(0).toUpper();
    s->align.clear();
    for (const char edge : AlignEdges)
        if (given.contains(QLatin1Char(edge)))
            s->align += QLatin1Char(edge);
    return Undefined{};
}

Value scaleMode(NativeCall &call)
{
    const StageSettings *s = settings(call);
    return s ? s->scaleMode : QString();
}

Value setScaleMode(NativeCall &call)
{
    StageSettings *s = settings(call);
    const QString given = call.string(0);
    for (const char *mode : ScaleModes)
        if (s && given.compare(QLatin1String(mode), Qt::CaseInsensitive) == 0)
            s->scaleMode = QString::fromLatin1(mode);
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
    {{"width", width}, {"height", height}, {"align", align, setAlign}, {"scaleMode", scaleMode, setScaleMode}},
};

} // namespace swf
