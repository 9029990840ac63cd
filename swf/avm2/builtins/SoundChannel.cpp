// flash.media.SoundChannel: a sound started by Sound.play, its position,
// its own transform, stop(), and soundComplete once it has played out.
#include "swf/avm2/builtins/SoundChannelObject.h"

#include "swf/MoviePlayer.h"
#include "swf/SoundMixer.h"
#include "swf/SoundTransforms.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/EventObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double MsPerSecond = 1000;

MoviePlayer *playerOf(Runtime &rt) { return rt.movie ? &rt.movie->player() : nullptr; }

// The movie's clock as the frame began, as the player times its sounds;
// the timers' clock without a movie.
int64_t nowMs(Runtime &rt)
{
    MoviePlayer *player = playerOf(rt);
    return player ? int64_t(player->frameStartMs()) : rt.timers.now();
}

uint64_t soundStops(Runtime &rt)
{
    MoviePlayer *player = playerOf(rt);
    return player ? player->soundStops() : 0;
}

SoundChannelObject *channelOf(Runtime &rt, const Value &self)
{
    return ThisAs<SoundChannelObject>(rt, self, "flash.media.SoundChannel");
}

bool playing(Runtime &rt, const SoundChannelObject &channel)
{
    return channel.started && channel.stopsAtStart == soundStops(rt);
}

// What the mixer hears the channel through; a plain transform is none.
void shareLevels(Runtime &rt, const SoundChannelObject &channel)
{
    MoviePlayer *player = playerOf(rt);
    if (!player)
        return;
    const swf::SoundTransform heard = ToEngineTransform(channel.levels);
    const bool own = playing(rt, channel) && !IsPlainSoundTransform(heard);
    player->setOwnSoundTransform(&channel, own ? std::optional<swf::SoundTransform>(heard) : std::nullopt);
}

// The channel is done with: it stays where it was, and the mixer forgets it.
void finish(Runtime &rt, SoundChannelObject &channel)
{
    channel.heldPositionMs = ChannelPosition(channel.timing, nowMs(rt));
    channel.started = false;
    rt.timers.remove(std::exchange(channel.completeTimer, 0));
    shareLevels(rt, channel);
}

Value completed(Runtime &rt, const Value &self, Args)
{
    SoundChannelObject *channel = channelOf(rt, self);
    channel->completeTimer = 0;
    if (!playing(rt, *channel))
        return Value();
    finish(rt, *channel);
    DispatchEvent(rt, *channel, NewEvent(rt, "flash.events::Event", QStringLiteral("soundComplete")));
    return Value();
}

Value getPosition(Runtime &rt, const Value &self, Args)
{
    const SoundChannelObject *channel = channelOf(rt, self);
    return Value::number(playing(rt, *channel) ? ChannelPosition(channel->timing, nowMs(rt))
                                               : channel->heldPositionMs);
}

Value stop(Runtime &rt, const Value &self, Args)
{
    SoundChannelObject *channel = channelOf(rt, self);
    if (!playing(rt, *channel))
        return Value();
    if (MoviePlayer *player = playerOf(rt))
        player->stopLoadedSound(channel);
    finish(rt, *channel);
    return Value();
}

Value getSoundTransform(Runtime &rt, const Value &self, Args)
{
    return NewSoundTransform(rt, channelOf(rt, self)->levels);
}

Value setSoundTransform(Runtime &rt, const Value &self, Args args)
{
    SoundChannelObject *channel = channelOf(rt, self);
    if (const SoundLevels *levels = SoundLevelsOf(rt, args[0])) {
        channel->levels = *levels;
        shareLevels(rt, *channel);
    }
    return Value();
}

} // namespace

double ChannelPlayLength(const ChannelTiming &timing)
{
    return std::max(timing.lengthMs - timing.offsetMs, 0.0) * std::max(timing.loops, 1);
}

double ChannelPosition(const ChannelTiming &timing, int64_t nowMs)
{
    const double elapsed = double(std::max<int64_t>(nowMs - timing.startedMs, 0));
    const double loopLength = timing.lengthMs - timing.offsetMs;
    if (loopLength <= 0 || elapsed >= ChannelPlayLength(timing))
        return timing.lengthMs;
    return timing.offsetMs + std::fmod(elapsed, loopLength);
}

Value PlayChannel(Runtime &rt, std::shared_ptr<const std::vector<int16_t>> samples, double startMs, int loops,
                  const SoundLevels &levels)
{
    auto *channel = static_cast<SoundChannelObject *>(rt.allocate(rt.builtin("flash.media::SoundChannel")));
    const Value result(static_cast<Object *>(channel));
    const double lengthMs = samples ? double(samples->size() / 2) * MsPerSecond / SoundMixer::Rate : 0;
    const double offsetMs = std::isfinite(startMs) ? std::clamp(startMs, 0.0, lengthMs) : 0;
    channel->timing = {lengthMs, offsetMs, std::max(loops, 1), nowMs(rt)};
    channel->levels = levels;
    channel->started = true;
    channel->stopsAtStart = soundStops(rt);
    shareLevels(rt, *channel);
    if (MoviePlayer *player = playerOf(rt)) {
        SoundInfo info;
        info.inPoint = qint64(offsetMs * SoundMixer::Rate / MsPerSecond);
        info.loops = channel->timing.loops;
        player->startLoadedSound(channel, std::move(samples), info, channel);
    }
    // Its end is timed from the frame it started on; a full timer queue leaves it untold.
    const Value done(static_cast<Object *>(rt.newNativeFunction(completed, QStringLiteral("soundComplete"), 0)));
    const double dueMs = double(channel->timing.startedMs) + ChannelPlayLength(channel->timing);
    channel->completeTimer = rt.timers.add(done, result, {}, dueMs - double(rt.timers.now()), false);
    return result;
}

extern const NativeClass SoundChannelClass = {
    "flash.media", "SoundChannel", "flash.events::EventDispatcher", ClassFinal,
    CreateNative<SoundChannelObject>, nullptr, nullptr,
    {
        {"position", MemberKind::Getter, getPosition},
        {"soundTransform", MemberKind::Getter, getSoundTransform},
        {"soundTransform", MemberKind::Setter, setSoundTransform},
        {"stop", MemberKind::Method, stop},
    },
    {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
