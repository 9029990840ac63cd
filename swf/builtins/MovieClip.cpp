// MovieClip: the methods every clip inherits from MovieClip.prototype, as
// function values a script can read, store, call and replace.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "ClassRegistry.h"
#include "MovieClipGeometry.h"
#include "MovieClipLoading.h"
#include "TextField.h"

#include "swf/DisplayObject.h"
#include "swf/DrawingMethods.h"
#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

#include <QStringList>

#include <climits>

namespace swf {

namespace {

// createEmptyMovieClip, getDepth and the drawing API came with version 6,
// the depth look-ups with version 7.
constexpr int Version6 = 6;
constexpr int Version7 = 7;
// Filters came with version 8.
constexpr int Version8 = 8;
// What a clip of a movie loaded whole answers for its bytes.
constexpr double LoadedBytes = 1;

// A script number as a frame or depth.
int toInt(double d)
{
    return std::isnan(d) ? 0 : int(std::clamp(std::trunc(d), double(INT_MIN / 2), double(INT_MAX / 2)));
}

// A script number as a depth to swap to, which may reach past the int range's
// middle: what lies beyond the deepest depth is refused, not cut.
qint64 toSwapDepth(double d)
{
    constexpr double Beyond = double(MoviePlayer::MaxScriptDepth) + 1;
    return std::isnan(d) ? 0 : qint64(std::clamp(std::trunc(d), -Beyond, Beyond));
}

Value clipOrUndefined(DisplayObject *clip)
{
    return clip ? Value(refTo(clip)) : Value(Undefined{});
}

Value construct(NativeCall &call) { return call.self; }

// gotoAndPlay and gotoAndStop: a frame number, or a label (a numeric string
// counts as a number).
Value gotoFrame(NativeCall &call, bool play)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.empty())
        return Undefined{};
    if (const auto *label = std::get_if<QString>(&call.args[0])) {
        bool numeric = false;
        const int number = label->toInt(&numeric);
        if (numeric)
            call.player().gotoFrame(*clip, number - 1, play);
        else
            call.player().gotoLabel(*clip, *label, play);
    } else if (const double frame = call.number(0); std::isfinite(frame)) {
        call.player().gotoFrame(*clip, toInt(frame) - 1, play);
    }
    return Undefined{};
}
Value gotoAndPlay(NativeCall &call) { return gotoFrame(call, true); }
Value gotoAndStop(NativeCall &call) { return gotoFrame(call, false); }

Value setPlaying(NativeCall &call, bool playing)
{
    if (DisplayObject *clip = call.clip())
        clip->playing = playing;
    return Undefined{};
}
Value play(NativeCall &call) { return setPlaying(call, true); }
Value stop(NativeCall &call) { return setPlaying(call, false); }

Value step(NativeCall &call, int frames)
{
    if (DisplayObject *clip = call.clip())
        call.player().gotoFrame(*clip, clip->currentFrame + frames, false);
    return Undefined{};
}
Value nextFrame(NativeCall &call) { return step(call, 1); }
Value prevFrame(NativeCall &call) { return step(call, -1); }

Value duplicateMovieClip(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.size() < 2)
        return Undefined{};
    return clipOrUndefined(call.player().duplicateClip(*clip, call.string(0), toInt(call.number(1))));
}

// The members of an init object onto a clip just made: every one for..in
// could list, whatever versions its flags hide it from.
void copyInitMembers(NativeCall &call, ScriptObject &from, DisplayObject &to)
{
    const ClipRef target = refTo(&to);
    QStringList names;
    for (const ScriptObject::Member &member : from.members())
        if (!(member.flags & DontEnum) && call.player().spend(1))
            names.push_back(member.name);
    // Read through the stored members, hidden ones too; getters may change
    // the object, so each is looked up anew.
    for (const QString &name : names) {
        ScriptObject::Member *member = from.storedMember(call.key(name));
        if (!member)
            continue;
        const Value value = member->isProperty() ? call.cx.getMember(&from, name) : member->value;
        call.cx.setMember(target, name, value);
    }
}

// attachMovie(exportName, name, depth, initObject)
Value attachMovie(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.size() < 3)
        return Undefined{};
    const QString exportName = call.string(0);
    DisplayObject *attached = call.player().attachClip(*clip, exportName, call.string(1), toInt(call.number(2)));
    if (!attached)
        return Undefined{};
    const ClipRef made = refTo(attached);
    // The class registered for the symbol, the init object's members, then
    // the class's constructor, which sees them.
    AdoptRegisteredClass(call.engine(), *attached, exportName);
    if (ScriptObject *init = objectOf(call.arg(3)))
        copyInitMembers(call, *init, *attached);
    if (made.get())
        ConstructRegisteredClass(call.cx, *made.get(), exportName);
    return clipOrUndefined(made.get());
}

Value createEmptyMovieClip(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.size() < 2)
        return Undefined{};
    return clipOrUndefined(call.player().attachClip(*clip, QString(), call.string(0), toInt(call.number(1))));
}

Value removeMovieClip(NativeCall &call)
{
    if (DisplayObject *clip = call.clip())
        call.player().removeClip(*clip);
    return Undefined{};
}

Value unloadMovie(NativeCall &call)
{
    if (DisplayObject *clip = call.clip())
        call.player().unloadMovie(*clip);
    return Undefined{};
}

Value getDepth(NativeCall &call)
{
    const DisplayObject *clip = call.clip();
    return clip ? Value(double(clip->depth - MoviePlayer::DynamicDepths)) : Value(Undefined{});
}

// One above the deepest child a script could reach, and at least 0.
Value getNextHighestDepth(NativeCall &call)
{
    const DisplayObject *clip = call.clip();
    if (!clip)
        return Undefined{};
    const int deepest = clip->children.empty() ? 0 : clip->children.rbegin()->first + 1;
    return double(std::max(deepest - MoviePlayer::DynamicDepths, 0));
}

Value getInstanceAtDepth(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.empty())
        return Undefined{};
    const double depth = call.number(0);
    if (!std::isfinite(depth))
        return Undefined{};
    const auto found = clip->children.find(toInt(depth) + MoviePlayer::DynamicDepths);
    if (found == clip->children.end())
        return Undefined{};
    // Shapes and bitmaps are no script objects: the clip holding them answers.
    const DisplayObject &child = *found->second;
    const bool scriptable = child.isSprite() || child.button() || dynamic_cast<const EditTextDef *>(child.character);
    return refTo(scriptable ? found->second.get() : clip);
}

// swapDepths(clip) trades places with a sibling; swapDepths(depth) moves there.
Value swapDepths(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.empty())
        return Undefined{};
    if (const auto *other = std::get_if<ClipRef>(&call.args[0])) {
        if (other->get())
            call.player().swapDepths(*clip, qint64(other->get()->depth) - MoviePlayer::DynamicDepths);
    } else {
        call.player().swapDepths(*clip, toSwapDepth(call.number(0)));
    }
    return Undefined{};
}

Value getBytes(NativeCall &call) { return call.clip() ? Value(LoadedBytes) : Value(Undefined{}); }

// The version of the movie the clip comes from; -1 for what is not a clip.
Value getSWFVersion(NativeCall &call)
{
    constexpr double NotAClip = -1;
    return call.clip() ? double(call.engine().version()) : NotAClip;
}

// The drawing API, carried out on the clip's drawing.
Value draw(NativeCall &call, const char *method)
{
    if (DisplayObject *clip = call.clip())
        CallDrawingMethod(call.cx, *clip, QString::fromLatin1(method), call.args);
    return Undefined{};
}
Value moveTo(NativeCall &call) { return draw(call, "moveto"); }
Value lineTo(NativeCall &call) { return draw(call, "lineto"); }
Value curveTo(NativeCall &call) { return draw(call, "curveto"); }
Value lineStyle(NativeCall &call) { return draw(call, "linestyle"); }
Value beginFill(NativeCall &call) { return draw(call, "beginfill"); }
Value beginGradientFill(NativeCall &call) { return draw(call, "begingradientfill"); }
// setMask(clip): this clip shows only within the other's shapes, which is
// not drawn itself; setMask(null) shows it whole again.
Value setMask(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip)
        return Undefined{};
    if (DisplayObject *old = clip->mask.get())
        old->masking = ClipRef{};
    const auto *ref = std::get_if<ClipRef>(&call.arg(0));
    DisplayObject *mask = ref ? ref->get() : nullptr;
    // The pair holds the clips themselves: a clip that later takes a removed one's path does not mask.
    clip->mask = mask && mask != clip ? ClipRef{mask, mask->alive, {}} : ClipRef{};
    if (clip->mask.get())
        mask->masking = ClipRef{clip, clip->alive, {}};
    call.player().markChanged();
    return true;
}

Value beginBitmapFill(NativeCall &call) { return draw(call, "beginbitmapfill"); }
Value lineGradientStyle(NativeCall &call) { return draw(call, "linegradientstyle"); }
Value endFill(NativeCall &call) { return draw(call, "endfill"); }
Value clear(NativeCall &call) { return draw(call, "clear"); }

} // namespace

const ClassDecl MovieClipClass{
    "MovieClip",
    construct,
    {
        {"play", play},
        {"stop", stop},
        {"gotoAndPlay", gotoAndPlay},
        {"gotoAndStop", gotoAndStop},
        {"nextFrame", nextFrame},
        {"prevFrame", prevFrame},
        {"duplicateMovieClip", duplicateMovieClip},
        {"attachMovie", attachMovie},
        {"removeMovieClip", removeMovieClip},
        {"unloadMovie", unloadMovie},
        {"loadMovie", ClipLoadMovie},
        {"loadVariables", ClipLoadVariables},
        {"getDepth", getDepth, Version6},
        {"swapDepths", swapDepths},
        {"getBytesLoaded", getBytes},
        {"getBytesTotal", getBytes},
        {"createEmptyMovieClip", createEmptyMovieClip, Version6},
        {"moveTo", moveTo, Version6},
        {"lineTo", lineTo, Version6},
        {"curveTo", curveTo, Version6},
        {"lineStyle", lineStyle, Version6},
        {"beginFill", beginFill, Version6},
        {"beginGradientFill", beginGradientFill, Version6},
        {"beginBitmapFill", beginBitmapFill, Version8},
        {"lineGradientStyle", lineGradientStyle, Version8},
        {"endFill", endFill, Version6},
        {"clear", clear, Version6},
        {"getSWFVersion", getSWFVersion},
        {"getNextHighestDepth", getNextHighestDepth, Version7},
        {"getInstanceAtDepth", getInstanceAtDepth, Version7},
        {"localToGlobal", ClipLocalToGlobal},
        {"globalToLocal", ClipGlobalToLocal},
        {"getBounds", ClipGetBounds},
        {"hitTest", ClipHitTest},
        {"attachBitmap", ClipAttachBitmap, Version8},
        {"setMask", setMask, Version6},
        {"createTextField", ClipCreateTextField},
    },
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"filters", ClipFilters, SetClipFilters, 0, Version8}},
};

} // namespace swf
