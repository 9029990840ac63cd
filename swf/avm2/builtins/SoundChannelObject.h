#pragma once

#include "swf/avm2/builtins/EventDispatcherObject.h"
#include "swf/avm2/builtins/SoundTransformObject.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace swf::avm2 {

// How one start of a sound plays, in the movie's milliseconds: from
// offsetMs into a sound lengthMs long, loops times over, from startedMs on.
struct ChannelTiming {
    double lengthMs = 0;
    double offsetMs = 0;
    int loops = 1;
    int64_t startedMs = 0;
};

// How long the start plays in all.
double ChannelPlayLength(const ChannelTiming &timing);
// Where the sound is at nowMs: back at the offset at each loop, at its
// length once the start is over.
double ChannelPosition(const ChannelTiming &timing, int64_t nowMs);

// A flash.media.SoundChannel: one start of a sound, mixed under this
// object's address, timed by the movie's clock.
class SoundChannelObject : public EventDispatcherObject {
public:
    using EventDispatcherObject::EventDispatcherObject;
    ChannelTiming timing;
    bool started = false;
    // The movie's count of stopped sounds as it started: another count
    // means SoundMixer.stopAll silenced it.
    uint64_t stopsAtStart = 0;
    // Where a stopped or finished channel stays.
    double heldPositionMs = 0;
    SoundLevels levels;
    uint32_t completeTimer = 0;
};

// Starts samples (stereo, at the mixer's rate) startMs in, loops times
// over, heard through levels: a new SoundChannel. Without a mixer it is
// silent but keeps its time and tells its end all the same.
Value PlayChannel(Runtime &rt, std::shared_ptr<const std::vector<int16_t>> samples, double startMs, int loops,
                  const SoundLevels &levels);

} // namespace swf::avm2
