// Sound: library sounds started and stopped by scripts, and the volume and
// left/right mix of a clip or of the whole movie.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int SampleRate = 44100;
constexpr double MaxOffsetSeconds = 3600;
constexpr int MaxLoops = 65535;
constexpr int Full = SoundTransform::Full;

// What a Sound object acts on: the whole movie (made without a target or
// with an undefined one), a clip found by its path at each call (a renamed
// clip is lost, another of the name found), or nothing (the target was null).
enum class SoundTarget { Movie, Clip, None };

// The library sound a Sound object attached, and its target.
struct SoundPayload : NativePayload {
    QString exportName;
    SoundTarget target = SoundTarget::Movie;
    QString path;
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
        if (clip && !clip->get())
            payload->target = SoundTarget::None;
    }
    sound->payload = std::move(payload);
    return sound;
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
    DisplayObject *clip = call.player().resolveTarget(call.player().root(), sound->path);
    return clip ? &clip->sound : nullptr;
}

bool actsOnMovie(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    return sound && sound->target == SoundTarget::Movie;
}

// Levels are whole numbers as ToInt32 makes them: NaN and infinities are 0.
int levelOf(NativeCall &call, const Value &value) { return ToInt32(call.cx.toNumber(value)); }
int wrapped(qint64 level) { return ToInt32(double(level)); }

Value attachSound(NativeCall &call)
{
    if (SoundPayload *sound = payloadOf(call); sound && !call.args.empty())
        sound->exportName = call.string(0);
    return Undefined{};
}

Value start(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    if (!sound || sound->exportName.isEmpty())
        return Undefined{};
    SoundInfo info;
    const double offset = call.number(0, 0);
    if (offset > 0 && offset < MaxOffsetSeconds)
        info.inPoint = qint64(offset * SampleRate);
    info.loops = ClampedInt(call.number(1, 1), 1, MaxLoops, 1);
    call.player().startExportedSound(sound->exportName, info);
    return Undefined{};
}

Value stop(NativeCall &call)
{
    const SoundPayload *sound = payloadOf(call);
    if (!call.args.empty())
        call.player().stopExportedSound(call.string(0));
    else if (sound && !sound->exportName.isEmpty())
        call.player().stopExportedSound(sound->exportName);
    else
        call.player().stopSounds();
    return Undefined{};
}

// Kept as given (the output clamps what it plays); only the movie's volume is heard.
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
     {"getTransform", getTransform}},
    {},
    {},
};

} // namespace swf
