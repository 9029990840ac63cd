// Sound: library sounds and MP3 files beside the movie, started and stopped
// by scripts, and the volume and left/right mix of a clip or of the whole movie.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "KeptObject.h"

#include "swf/Id3Tags.h"
#include "swf/MoviePlayer.h"
#include "swf/SoundDecoder.h"
#include "swf/SoundMixer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <memory>

namespace swf {

namespace {

constexpr int SampleRate = 44100;
constexpr double MaxOffsetSeconds = 3600;
constexpr int MaxLoops = 65535;
constexpr int Full = SoundTransform::Full;
constexpr double MsPerSecond = 1000;
// loadSound starts every sound at the full volume.
constexpr int LoadedVolume = 100;

// What a Sound object acts on: the whole movie (made without a target or
// with an undefined one), a clip found by its path at each call (a renamed
// clip is lost, another of the name found), or nothing (the target was null).
enum class SoundTarget { Movie, Clip, None };

// The library sound a Sound object attached or the file it loaded, its
// target, and how far it has played. Playing is timed by the movie's clock.
struct SoundPayload : NativePayload {
    QString exportName;
    SoundTarget target = SoundTarget::Movie;
    // The target's path: absolute for a clip given, or as a script named
    // it, looked up from the clip the calling script acts on.
    QString path;
    bool fromTarget = false;
    // The decoded file of the last loadSound, and its bytes once read.
    std::shared_ptr<const std::vector<int16_t>> loaded;
    int loads = 0;
    std::optional<qint64> bytesLoaded, bytesTotal;
    // Counts starts and stops: a sound's end belongs to the start that counted last.
    int plays = 0;
    std::optional<qint64> startedMs;
    quint64 stopsAtStart = 0;
    qint64 offsetMs = 0;
    int loops = 1;
    qint64 heldPositionMs = 0; // where a stopped or ended sound stays
};

SoundPayload *payloadOf(NativeCall &call)
{
    const ScriptObject *object = call.object();
    return object ? object->payloadAs<SoundPayload>() : nullptr;
}

Value construct(NativeCall &call)
{
    ScriptObject *sound = call.construct ? call.object() : nullptr;
    if (!sound)
        return Undefined{};
    auto payload = std::make_unique<SoundPayload>();
    if (!call.args.empty()) {
        const Value &target = call.args[0];
        const auto *clip = std::get_if<ClipRef>(&target);
        payload->target = std::holds_alternative<Undefined>(target) ? SoundTarget::Movie
                          : std::holds_alternative<Null>(target)    ? SoundTarget::None
                                                                    : SoundTarget::Clip;
        payload->path = clip ? (clip->get() ? clip->get()->path() : QString()) : call.string(0);
        payload->fromTarget = !clip;
        if (clip && !clip->get())
            payload->target = SoundTarget::None;
    }
    sound->payload = std::move(payload);
    return sound;
}

// The clip a Sound acts on, or nullptr for the whole movie or a target gone.
DisplayObject *targetOf(ScriptContext &cx, const SoundPayload &sound)
{
    if (sound.target != SoundTarget::Clip)
        return nullptr;
    DisplayObject *from = sound.fromTarget ? cx.targetClip() : nullptr;
    return cx.player().resolveTarget(from ? *from : cx.player().root(), sound.path);
}

// The transform this Sound reads and sets, or nullptr when its target is gone.
SoundTransform *transformOf(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    if (!sound)
        return nullptr;
    switch (sound->target) {
    case SoundTarget::Movie: return &call.player().soundTransform();
    case SoundTarget::None: return nullptr;
    case SoundTarget::Clip: break;
    }
    DisplayObject *clip = targetOf(call.cx, *sound);
    return clip ? &clip->sound : nullptr;
}


bool actsOnMovie(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    return sound && sound->target == SoundTarget::Movie;
}

// What a script changed of a clip's transform is heard from now on.
void changed(NativeCall &call)
{
    if (!actsOnMovie(call))
        call.player().clipSoundChanged();
}

// Levels are whole numbers as ToInt32 makes them: NaN and infinities are 0.
int levelOf(NativeCall &call, const Value &value) { return ToInt32(call.cx.toNumber(value)); }
int wrapped(qint64 level) { return ToInt32(double(level)); }

// The length of what the Sound holds, in milliseconds: the file it loaded,
// or the library sound it attached; nothing when it holds neither.
std::optional<qint64> durationOf(MoviePlayer &player, const SoundPayload &sound)
{
    if (sound.loaded)
        return qint64(double(sound.loaded->size() / 2) * MsPerSecond / SampleRate);
    const SoundDef *def = sound.exportName.isEmpty() ? nullptr : player.exportedSound(sound.exportName);
    if (!def || def->format.rate <= 0)
        return std::nullopt;
    return qint64(double(def->sampleCount) * MsPerSecond / def->format.rate);
}

// How long a start plays: from its offset to the end, each loop.
qint64 playLengthMs(qint64 durationMs, const SoundPayload &sound)
{
    return std::max<qint64>(durationMs - sound.offsetMs, 0) * sound.loops;
}

bool playing(MoviePlayer &player, const SoundPayload &sound)
{
    return sound.startedMs && sound.stopsAtStart == player.soundStops();
}

qint64 positionOf(MoviePlayer &player, const SoundPayload &sound)
{
    const std::optional<qint64> duration = durationOf(player, sound);
    if (!duration || !playing(player, sound))
        return sound.heldPositionMs;
    const qint64 elapsed = std::max<qint64>(player.frameStartMs() - *sound.startedMs, 0);
    const qint64 loopLength = *duration - sound.offsetMs;
    if (loopLength <= 0 || elapsed >= playLengthMs(*duration, sound))
        return *duration;
    return sound.offsetMs + elapsed % loopLength;
}

void holdPosition(MoviePlayer &player, SoundPayload &sound)
{
    sound.heldPositionMs = positionOf(player, sound);
    sound.startedMs.reset();
    ++sound.plays;
}

// Once the start that counted play ends, onSoundComplete runs, unless the
// sound was stopped or started again meanwhile.
void awaitEnd(ScriptContext &cx, ScriptObject *object, SoundPayload &sound, qint64 durationMs)
{
    MoviePlayer &player = cx.player();
    auto kept = std::make_shared<KeptObject>(cx.engine(), object);
    const int play = sound.plays;
    const qint64 dueMs = *sound.startedMs + playLengthMs(durationMs, sound);
    // Keyed by the sound, so a start replaces the end the one before awaited.
    player.runAt(&sound, dueMs, [object, kept, play](ScriptContext &later) {
        SoundPayload *now = object->payloadAs<SoundPayload>();
        if (!now || now->plays != play || !playing(later.player(), *now))
            return;
        holdPosition(later.player(), *now);
        later.callMethod(object, QStringLiteral("onSoundComplete"), {});
    });
}

// Starts what the Sound holds, offset seconds in, loops times over.
void play(ScriptContext &cx, ScriptObject *object, SoundPayload &sound, double offset, int loops)
{
    MoviePlayer &player = cx.player();
    const std::optional<qint64> duration = durationOf(player, sound);
    if (!duration)
        return;
    holdPosition(player, sound);
    SoundInfo info;
    sound.offsetMs = 0;
    if (offset > 0 && offset < MaxOffsetSeconds) {
        info.inPoint = qint64(offset * SampleRate);
        sound.offsetMs = std::min(qint64(offset * MsPerSecond), *duration);
    }
    info.loops = sound.loops = loops;
    const DisplayObject *target = targetOf(cx, sound);
    const void *owner = target ? target->alive.get() : nullptr;
    if (sound.loaded)
        player.startLoadedSound(&sound, sound.loaded, info, owner);
    else
        player.startExportedSound(sound.exportName, info, owner);
    sound.startedMs = player.frameStartMs();
    sound.stopsAtStart = player.soundStops();
    awaitEnd(cx, object, sound, *duration);
}

// What the Sound holds gives way to another: nothing of it plays on.
void forget(NativeCall &call, SoundPayload &sound)
{
    if (sound.loaded && playing(call.player(), sound))
        call.player().stopLoadedSound(&sound);
    holdPosition(call.player(), sound);
    sound.heldPositionMs = 0;
    sound.loaded.reset();
    sound.exportName.clear();
}

Value attachSound(NativeCall &call)
{
    if (SoundPayload *sound = payloadOf(call); sound && !call.args.empty()) {
        forget(call, *sound);
        sound->exportName = call.string(0);
    }
    return Undefined{};
}

Value start(NativeCall &call)
{
    if (SoundPayload *sound = payloadOf(call))
        play(call.cx, call.object(), *sound, call.number(0, 0), ClampedInt(call.number(1, 1), 1, MaxLoops, 1));
    return Undefined{};
}

Value stop(NativeCall &call)
{
    SoundPayload *sound = payloadOf(call);
    if (!call.args.empty()) {
        call.player().stopExportedSound(call.string(0));
        if (sound && sound->exportName.compare(call.string(0), Qt::CaseInsensitive) == 0)
            holdPosition(call.player(), *sound);
    } else if (sound && sound->loaded) {
        call.player().stopLoadedSound(sound);
        holdPosition(call.player(), *sound);
    } else if (sound && !sound->exportName.isEmpty()) {
        call.player().stopExportedSound(sound->exportName);
        holdPosition(call.player(), *sound);
    } else {
        call.player().stopSounds();
    }
    return Undefined{};
}

// The file's samples, as long as an event sound may be; the ID3v2 tag
// ahead of the first frame is skipped.
std::shared_ptr<const std::vector<int16_t>> decodeFile(const QByteArray &bytes)
{
    const qsizetype skip = Id3v2Length(bytes);
    SoundDecoder decoder({SoundFormat::Mp3, double(SampleRate), true, true});
    auto samples = std::make_shared<std::vector<int16_t>>();
    decoder.decode(bytes.constData() + skip, int(bytes.size() - skip), *samples, SoundMixer::MaxEventFrames);
    return samples;
}

void giveId3(ScriptContext &cx, ScriptObject *object, const QByteArray &bytes)
{
    const Id3Tags tags = ReadId3Tags(bytes);
    ScriptObject *id3 = tags.empty() ? nullptr : cx.engine().newObject();
    if (!id3)
        return;
    for (const auto &[name, text] : tags)
        cx.setMember(id3, name, text);
    cx.setMember(object, QStringLiteral("id3"), id3);
    cx.callMethod(object, QStringLiteral("onID3"), {});
}

// The file is in: its tags first, then onLoad; a streaming sound starts.
void loaded(ScriptContext &cx, ScriptObject *object, int load, bool streaming, const MovieFile &file)
{
    SoundPayload *sound = object->payloadAs<SoundPayload>();
    if (!sound || sound->loads != load)
        return;
    std::shared_ptr<const std::vector<int16_t>> samples = file.ok() ? decodeFile(file.bytes) : nullptr;
    if (!samples || samples->empty()) {
        cx.callMethod(object, QStringLiteral("onLoad"), {false});
        return;
    }
    sound->bytesLoaded = sound->bytesTotal = qint64(file.bytes.size());
    sound->loaded = std::move(samples);
    giveId3(cx, object, file.bytes);
    // onID3 may have loaded another file meanwhile; that one's load tells its own end.
    if (sound->loads != load)
        return;
    if (streaming)
        play(cx, object, *sound, 0, 1);
    cx.callMethod(object, QStringLiteral("onLoad"), {true});
}

// loadSound(url, isStreaming): reads an MP3 file beside the movie at a
// later frame; the Sound's volume is back at full at once.
Value loadSound(NativeCall &call)
{
    SoundPayload *sound = payloadOf(call);
    ScriptObject *object = call.object();
    if (!sound || call.args.empty())
        return Undefined{};
    if (SoundTransform *transform = transformOf(call)) {
        if (actsOnMovie(call))
            call.player().setSoundVolume(LoadedVolume);
        else
            transform->volume = LoadedVolume;
    }
    forget(call, *sound);
    const int load = ++sound->loads;
    sound->bytesLoaded = 0;
    sound->bytesTotal.reset();
    const bool streaming = call.cx.toBool(call.arg(1));
    auto kept = std::make_shared<KeptObject>(call.engine(), object);
    auto done = [object, kept, load, streaming](ScriptContext &cx, const MovieFile &file) {
        loaded(cx, object, load, streaming, file);
    };
    // A load that cannot even be asked for (too many wait) fails as soon as a frame begins.
    MoviePlayer &player = call.player();
    if (!player.loadFile(player.root(), call.string(0), done))
        player.runAt(sound, player.frameStartMs(), [done](ScriptContext &cx) { done(cx, MovieFile{}); });
    return Undefined{};
}

Value optionalNumber(const std::optional<qint64> &value)
{
    return value ? Value(double(*value)) : Value(Undefined{});
}

Value getDuration(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    return sound ? optionalNumber(durationOf(call.player(), *sound)) : Value(Undefined{});
}

Value getPosition(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    if (!sound || !durationOf(call.player(), *sound))
        return Undefined{};
    return double(positionOf(call.player(), *sound));
}

// duration and position are the player's to say; assignments change nothing.
Value ignored(NativeCall &) { return Undefined{}; }

Value getBytesLoaded(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    return sound ? optionalNumber(sound->bytesLoaded) : Value(Undefined{});
}

Value getBytesTotal(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    return sound ? optionalNumber(sound->bytesTotal) : Value(Undefined{});
}

// Kept as given (the output clamps what it plays).
Value setVolume(NativeCall &call)
{
    SoundTransform *transform = transformOf(call);
    if (!transform)
        return Undefined{};
    const int volume = levelOf(call, call.arg(0));
    if (actsOnMovie(call))
        call.player().setSoundVolume(volume);
    else
        transform->volume = volume;
    changed(call);
    return Undefined{};
}

Value getVolume(NativeCall &call)
{
    const SoundTransform *transform = transformOf(call);
    return transform ? Value(double(transform->volume)) : Value(Undefined{});
}

// A pan towards one side turns the other side's own channel down; no
// channel crosses to the other side any more.
Value setPan(NativeCall &call)
{
    SoundTransform *transform = transformOf(call);
    if (!transform)
        return Undefined{};
    const qint64 pan = levelOf(call, call.arg(0));
    transform->ll = pan > 0 ? wrapped(Full - pan) : Full;
    transform->rr = pan < 0 ? wrapped(Full + pan) : Full;
    transform->lr = transform->rl = 0;
    changed(call);
    return Undefined{};
}

// Read back from the channels: the left one at full means a pan to the
// left by what the right one lacks, otherwise a pan to the right.
Value getPan(NativeCall &call)
{
    const SoundTransform *transform = transformOf(call);
    if (!transform)
        return Undefined{};
    const qint64 left = std::abs(qint64(transform->ll));
    const qint64 right = std::abs(qint64(transform->rr));
    return double(wrapped(left == Full ? right - Full : Full - left));
}

const char *const Channels[] = {"ll", "lr", "rl", "rr"};

int SoundTransform::*channel(size_t index)
{
    static int SoundTransform::*const members[] = {&SoundTransform::ll, &SoundTransform::lr, &SoundTransform::rl,
                                                   &SoundTransform::rr};
    return members[index];
}

// Each channel is read from the object given as a script would read it;
// undefined counts as 0.
Value setTransform(NativeCall &call)
{
    SoundTransform *transform = transformOf(call);
    const Value &given = call.arg(0);
    if (!transform || !objectOf(given))
        return Undefined{};
    for (size_t i = 0; i < std::size(Channels); ++i)
        transform->*channel(i) = levelOf(call, call.cx.getMember(given, QString::fromLatin1(Channels[i])));
    changed(call);
    return Undefined{};
}

Value getTransform(NativeCall &call)
{
    const SoundTransform *transform = transformOf(call);
    if (!transform)
        return Undefined{};
    ScriptObject *result = call.engine().newObject();
    if (!result)
        return Undefined{};
    for (size_t i = 0; i < std::size(Channels); ++i)
        call.cx.setMember(result, QString::fromLatin1(Channels[i]), double(transform->*channel(i)));
    return result;
}

} // namespace

const ClassDecl SoundClass{
    "Sound",
    construct,
    {{"attachSound", attachSound},
     {"start", start},
     {"stop", stop},
     {"setVolume", setVolume},
     {"getVolume", getVolume},
     {"setPan", setPan},
     {"getPan", getPan},
     {"setTransform", setTransform},
     {"getTransform", getTransform},
     {"loadSound", loadSound, 6},
     {"getDuration", getDuration, 6},
     {"setDuration", ignored, 6},
     {"getPosition", getPosition, 6},
     {"setPosition", ignored, 6},
     {"getBytesLoaded", getBytesLoaded, 6},
     {"getBytesTotal", getBytesTotal, 6}},
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"duration", getDuration, ignored, UnsetFlags, 6}, {"position", getPosition, ignored, UnsetFlags, 6}},
};

} // namespace swf
