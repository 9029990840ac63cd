#pragma once

#include "swf/Definitions.h"
#include "swf/SoundDecoder.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace swf {

// Mixes a movie's sounds into one 44.1 kHz stereo stream: event sounds,
// and the streaming sound of each timeline that plays one. The output pulls
// mix() from its own thread; everything else is called from the movie's
// thread. A stream reads its timeline's blocks ahead of the picture, so the
// picture can follow what is heard.
class SoundMixer {
public:
    static constexpr int Rate = SoundDecoder::OutputRate;
    static constexpr int MaxVoices = 32;
    // Longest event sound kept decoded, in sample frames.
    static constexpr qint64 MaxEventFrames = qint64(300) * Rate;

    SoundMixer();
    ~SoundMixer();
    SoundMixer(const SoundMixer &) = delete;
    SoundMixer &operator=(const SoundMixer &) = delete;

    // Fills frames sample frames (left, right, ...); silence where nothing plays.
    void mix(int16_t *out, int frames);
    // Sample frames mixed so far.
    qint64 mixedFrames() const;

    // Silences everything and forgets the decoded sounds; the definitions
    // of movie stay alive while the output may still read them.
    void setMovie(std::shared_ptr<const MovieDef> movie);

    // Starts (or restarts) the stream of the timeline known by key, from
    // frame, which is the frame being shown now.
    void startStream(const void *key, const Timeline &timeline, int frame);
    void stopStream(const void *key);
    bool streamPlaying(const void *key) const;
    struct StreamPosition {
        int generation = 0;     // changes whenever the stream is started again
        int startFrame = 0;     // the timeline frame it started on
        qint64 framesHeard = 0; // whole timeline frames heard since it started
    };
    // Where the stream is once the output has played heardFrames sample
    // frames of the mix; nothing when the stream is not playing.
    std::optional<StreamPosition> streamPosition(const void *key, qint64 heardFrames) const;

    // Starts an event sound as info says (or stops it); owner is the clip
    // whose sound transform it follows (see setTransforms), if any.
    void startSound(const SoundDef &sound, const SoundInfo &info, const void *owner = nullptr);
    // Starts decoded samples (44.1 kHz stereo) as an event sound known by
    // key (a sound a script loaded), replacing what plays under that key.
    void startSamples(const void *key, std::shared_ptr<const std::vector<int16_t>> samples, const SoundInfo &info,
                      const void *owner = nullptr);
    void stopSamples(const void *key);
    // Stops every sound, streams included.
    void stopSounds();
    // True while anything plays.
    bool active() const;
    // What scripts set for clips' sounds, by owner: the sounds a clip starts,
    // and its timeline's stream (whose key is its owner), are heard through it.
    void setTransforms(std::map<const void *, SoundTransform> byOwner);
    // The movie's own volume over all its sounds, in percent (Sound.setVolume).
    void setVolume(int percent);
    int volume() const;

private:
    struct Voice;
    struct Stream;

    std::unique_ptr<Voice> makeVoice(std::shared_ptr<const std::vector<int16_t>> samples, const SoundInfo &info) const;
    void addVoice(std::unique_ptr<Voice> voice);
    void mixVoice(Voice &voice, int32_t *sum, int frames, const SoundTransform *transform);
    void mixStream(Stream &stream, int32_t *sum, int frames, const SoundTransform *transform);
    const SoundTransform *transformOf(const void *owner) const;

    mutable std::mutex m_mutex;
    std::shared_ptr<const MovieDef> m_movie;
    std::vector<std::unique_ptr<Voice>> m_voices;
    std::vector<std::unique_ptr<Stream>> m_streams;
    qint64 m_mixed = 0;
    int m_generation = 0;
    int m_volume = 100;
    std::map<const void *, SoundTransform> m_transforms;
    // Only the movie's thread touches the decoded sounds.
    std::map<const SoundDef *, std::shared_ptr<const std::vector<int16_t>>> m_decoded;
};

} // namespace swf
