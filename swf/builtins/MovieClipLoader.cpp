// MovieClipLoader: loads movies into clips and tells its listeners (itself
// first) how the load goes: onLoadStart, onLoadProgress, onLoadComplete,
// then onLoadInit once the movie's first frame ran, or onLoadError.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "KeptObject.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int Version7 = 7;
// A local load answers no HTTP status.
constexpr double NoHttpStatus = 0;

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
    InitializeBroadcaster(call.engine(), *self, DontEnum);
    call.cx.callMethod(self, QStringLiteral("addListener"), {self});
    return self;
}

Value loadClip(NativeCall &call)
{
    ScriptObject *loader = call.object();
    DisplayObject *clip = call.args.size() >= 2 ? targetClip(call, 1) : nullptr;
    if (!loader || !clip)
        return false;
    const ClipRef target = refTo(clip);
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
    call.player().loadMovie(*clip, call.string(0), std::move(events));
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
    const DisplayObject *clip = targetClip(call, 0);
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
