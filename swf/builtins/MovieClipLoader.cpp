// MovieClipLoader: loads movies into clips and tells its listeners (itself
// first) how the load goes: onLoadStart, onLoadProgress, onLoadComplete,
// then onLoadInit once the movie's first frame ran, or onLoadError.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "KeptObject.h"

#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int Version7 = 7;
// A local load answers no HTTP status.
constexpr double NoHttpStatus = 0;

// Marks the objects the constructor made: getProgress answers only them.
struct LoaderPayload : NativePayload {};

// The clip a target argument names: a clip, or a path from the root.
DisplayObject *targetClip(NativeCall &call, size_t i)
{
    const Value &target = call.arg(i);
    if (const auto *ref = std::get_if<ClipRef>(&target))
        return ref->get();
    if (const auto *path = std::get_if<QString>(&target))
        return call.player().resolveTarget(call.player().root(), *path);
    return nullptr;
}

void broadcast(ScriptContext &cx, ScriptObject *loader, const char *event, std::vector<Value> args)
{
    args.insert(args.begin(), QString::fromLatin1(event));
    cx.callMethod(loader, QStringLiteral("broadcastMessage"), args);
}

// The clip as the listeners get it: undefined once it is gone.
Value clipValue(const ClipRef &clip)
{
    DisplayObject *shown = clip.get();
    return shown ? Value(refTo(shown)) : Value(Undefined{});
}

Value construct(NativeCall &call)
{
    ScriptObject *self = call.construct ? call.object() : nullptr;
    if (!self)
        return Undefined{};
    self->payload = std::make_unique<LoaderPayload>();
    InitializeBroadcaster(call.engine(), *self, DontEnum);
    call.cx.callMethod(self, QStringLiteral("addListener"), {self});
    return self;
}

MoviePlayer::ClipLoadEvents loadEvents(NativeCall &call, ScriptObject *loader, const ClipRef &target)
{
    auto kept = std::make_shared<KeptObject>(call.engine(), loader);
    MoviePlayer::ClipLoadEvents events;
    events.loaded = [=](ScriptContext &cx, DisplayObject &shown, qint64 bytes) {
        const Value clipArg = refTo(&shown);
        broadcast(cx, loader, "onLoadStart", {clipArg});
        // The reference player tells the progress twice, the second time as it completes.
        for (int i = 0; i < 2; ++i)
            broadcast(cx, loader, "onLoadProgress", {clipArg, double(bytes), double(bytes)});
        broadcast(cx, loader, "onLoadComplete", {clipArg, NoHttpStatus});
    };
    events.initialized = [=](ScriptContext &cx, DisplayObject &shown) {
        broadcast(cx, loader, "onLoadInit", {refTo(&shown)});
        (void)kept;
    };
    events.failed = [=](ScriptContext &cx, MovieFile::Status why) {
        const QString error = why == MovieFile::Refused ? QStringLiteral("IllegalRequest") : QStringLiteral("URLNotFound");
        broadcast(cx, loader, "onLoadError", {clipValue(target), error, NoHttpStatus});
        (void)kept;
    };
    return events;
}

// A number names a level, and its loaders hear how the load goes; a
// level's name loads it as loadMovieNum does, telling nobody.
bool loadLevel(NativeCall &call, ScriptObject *loader)
{
    const Value &target = call.arg(1);
    if (const auto *number = std::get_if<double>(&target)) {
        const int level = ToInt32(*number);
        if (level >= 0)
            call.player().loadLevel(level, call.string(0), loadEvents(call, loader, ClipRef{}));
        return level >= 0;
    }
    const auto *name = std::get_if<QString>(&target);
    const std::optional<int> level = name ? MoviePlayer::LevelNumber(*name, call.engine().version()) : std::nullopt;
    if (level)
        call.player().loadLevel(*level, call.string(0));
    return level.has_value();
}

Value loadClip(NativeCall &call)
{
    ScriptObject *loader = call.object();
    if (!loader || call.args.size() < 2)
        return false;
    const Value &target = call.arg(1);
    if (std::holds_alternative<double>(target) || std::holds_alternative<QString>(target))
        if (loadLevel(call, loader))
            return true;
    DisplayObject *clip = targetClip(call, 1);
    if (!clip)
        return false;
    call.player().loadMovie(*clip, call.string(0), loadEvents(call, loader, refTo(clip)));
    return true;
}

Value unloadClip(NativeCall &call)
{
    DisplayObject *clip = targetClip(call, 0);
    if (!clip)
        return false;
    call.player().unloadMovie(*clip);
    return true;
}

// {bytesLoaded, bytesTotal} of the movie the target shows, in an object
// that inherits nothing.
Value getProgress(NativeCall &call)
{
    const ScriptObject *loader = call.object();
    const DisplayObject *clip = loader && loader->payloadAs<LoaderPayload>() ? targetClip(call, 0) : nullptr;
    ScriptObject *progress = clip ? call.engine().heap().make(ScriptObject::Kind::Object, nullptr) : nullptr;
    if (!progress)
        return Undefined{};
    const double bytes = double(call.player().bytesOf(*clip));
    for (const char *name : {"bytesLoaded", "bytesTotal"}) {
        const QString key = QString::fromLatin1(name);
        progress->set(call.key(key), key, bytes);
    }
    return progress;
}

} // namespace

const ClassDecl MovieClipLoaderClass{
    "MovieClipLoader",
    construct,
    {{"loadClip", loadClip}, {"unloadClip", unloadClip}, {"getProgress", getProgress}},
    {},
    {},
    Version7,
};

} // namespace swf
