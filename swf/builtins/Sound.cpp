// Sound: library sounds started and stopped by scripts, and the volume.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"

namespace swf {

namespace {

constexpr int SampleRate = 44100;
constexpr double MaxOffsetSeconds = 3600;
constexpr int MaxLoops = 65535;
constexpr int DefaultVolume = 100;
constexpr int MaxVolume = 200;

// The library sound a Sound object attached.
struct SoundPayload : NativePayload {
    QString exportName;
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
    sound->payload = std::make_unique<SoundPayload>();
    return sound;
}

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

Value setVolume(NativeCall &call)
{
    call.player().setSoundVolume(ClampedInt(call.number(0, DefaultVolume), 0, MaxVolume, DefaultVolume));
    return Undefined{};
}

Value getVolume(NativeCall &call) { return double(call.player().soundVolume()); }

} // namespace

const ClassDecl SoundClass{
    "Sound",
    construct,
    {{"attachSound", attachSound},
     {"start", start},
     {"stop", stop},
     {"setVolume", setVolume},
     {"getVolume", getVolume}},
    {},
    {},
};

} // namespace swf
