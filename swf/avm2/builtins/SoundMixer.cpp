// flash.media.SoundMixer: the whole movie's sound: stopAll, its transform
// and the buffer time streaming sounds are given.
#include "swf/MoviePlayer.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/SoundTransformObject.h"

namespace swf::avm2 {

namespace {

// Milliseconds a streaming sound is buffered before it plays, as the player starts.
constexpr int DefaultBufferTime = 1000;
const QString StateNamespace = QStringLiteral("flash.media:SoundMixer");
const QString BufferTimeSlot = QStringLiteral("bufferTime");

MoviePlayer *playerOf(Runtime &rt) { return rt.movie ? &rt.movie->player() : nullptr; }

// The class's private slot setup made; nullptr only if it is missing.
Value *bufferTime(Runtime &rt)
{
    Class *cls = rt.builtin("flash.media::SoundMixer");
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, StateNamespace);
    const TraitBinding *binding = cls ? cls->classTraits.findExact(BufferTimeSlot, ns) : nullptr;
    return binding && binding->slot < cls->slotValues.size() ? &cls->slotValues[binding->slot] : nullptr;
}

Value stopAll(Runtime &rt, const Value &, Args)
{
    if (MoviePlayer *player = playerOf(rt))
        player->stopSounds();
    return Value();
}

Value getSoundTransform(Runtime &rt, const Value &, Args)
{
    MoviePlayer *player = playerOf(rt);
    return NewSoundTransform(rt, player ? FromEngineTransform(player->soundTransform()) : SoundLevels{});
}

// The mixer hears the volume over every sound; the channel shares are kept
// for scripts to read back, as the older Sound object keeps them.
Value setSoundTransform(Runtime &rt, const Value &, Args args)
{
    const SoundLevels *levels = SoundLevelsOf(rt, args[0]);
    MoviePlayer *player = playerOf(rt);
    if (!levels || !player)
        return Value();
    const swf::SoundTransform transform = ToEngineTransform(*levels);
    player->soundTransform() = transform;
    player->setSoundVolume(transform.volume);
    return Value();
}

Value getBufferTime(Runtime &rt, const Value &, Args)
{
    const Value *slot = bufferTime(rt);
    return slot ? *slot : Value(DefaultBufferTime);
}

Value setBufferTime(Runtime &rt, const Value &, Args args)
{
    if (Value *slot = bufferTime(rt))
        *slot = Value(rt.toInt(args[0]));
    return Value();
}

void setup(Runtime &rt, Class *cls)
{
    SlotInfo info;
    info.type.anyName = true;
    info.typeResolved = true;
    info.initial = Value(DefaultBufferTime);
    const uint32_t slot = cls->classTraits.addSlot(
        BufferTimeSlot, rt.namespaces.intern(NamespaceKind::Private, StateNamespace), false, std::move(info));
    if (cls->slotValues.size() <= slot)
        cls->slotValues.resize(slot + 1);
    cls->slotValues[slot] = Value(DefaultBufferTime);
}

} // namespace

extern const NativeClass SoundMixerClass = {
    "flash.media", "SoundMixer", "Object", ClassFinal, nullptr, nullptr, nullptr,
    {
        {"stopAll", MemberKind::Method, stopAll, 0, MemberStatic},
        {"soundTransform", MemberKind::Getter, getSoundTransform, 0, MemberStatic},
        {"soundTransform", MemberKind::Setter, setSoundTransform, 0, MemberStatic},
        {"bufferTime", MemberKind::Getter, getBufferTime, 0, MemberStatic},
        {"bufferTime", MemberKind::Setter, setBufferTime, 0, MemberStatic},
    },
    {}, setup, {}, nullptr,
};

} // namespace swf::avm2
