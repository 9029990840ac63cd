#include "SoundMixer.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Blocks one mix call may decode for one stream: enough for any real
// movie, and a bound for a timeline whose blocks decode to nothing.
constexpr int MaxBlocksPerMix = 64;
// What a loaded sound's voice has for a character id: none a movie's sound has.
constexpr int LoadedSoundId = -1;

// The envelope's level (0..32768) for each channel at a position.
std::pair<int, int> envelopeAt(const std::vector<EnvelopePoint> &envelope, qint64 position)
{
    if (envelope.empty())
        return {32768, 32768};
    if (position <= envelope.front().position)
        return {envelope.front().left, envelope.front().right};
    for (size_t i = 1; i < envelope.size(); ++i) {
        const EnvelopePoint &a = envelope[i - 1], &b = envelope[i];
        if (position < b.position) {
            const double t = double(position - a.position) / double(b.position - a.position);
            return {int(a.left + (b.left - a.left) * t), int(a.right + (b.right - a.right) * t)};
        }
    }
    return {envelope.back().left, envelope.back().right};
}

} // namespace

struct SoundMixer::Voice {
    int soundId = 0;
    const void *key = nullptr; // of samples a script loaded
    const void *owner = nullptr;
    std::shared_ptr<const std::vector<int16_t>> samples;
    std::vector<EnvelopePoint> envelope;
    qint64 begin = 0, end = 0; // sample frames of the sound that play
    qint64 position = 0;       // next sample frame
    int loopsLeft = 1;
};

struct SoundMixer::Stream {
    const void *key = nullptr;
    const Timeline *timeline = nullptr;
    StreamHead head;
    std::unique_ptr<SoundDecoder> decoder;
    int startFrame = 0;
    int nextBlock = 0;
    double framesPerBlock = 0; // output sample frames per timeline frame
    std::vector<int16_t> pending;
    size_t pendingAt = 0;
    qint64 startedAt = 0; // the mix position of the stream's first sample
    int generation = 0;
};

SoundMixer::SoundMixer() = default;
SoundMixer::~SoundMixer() = default;

void SoundMixer::mix(int16_t *out, int frames)
{
    std::vector<int32_t> sum(size_t(std::max(frames, 0)) * 2, 0);
    std::lock_guard lock(m_mutex);
    for (auto &voice : m_voices)
        mixVoice(*voice, sum.data(), frames, transformOf(voice->owner));
    m_voices.erase(std::remove_if(m_voices.begin(), m_voices.end(),
                                  [](const auto &v) { return v->loopsLeft <= 0; }),
                   m_voices.end());
    for (auto &stream : m_streams)
        mixStream(*stream, sum.data(), frames, transformOf(stream->key));
    for (size_t i = 0; i < sum.size(); ++i)
        out[i] = int16_t(std::clamp<qint64>(m_volume == 100 ? sum[i] : qint64(sum[i]) * m_volume / 100, -32768, 32767));
    m_mixed += std::max(frames, 0);
}

namespace {

// Adds one sample frame, through a clip's transform when it has one: each
// output takes its share of both channels, at the clip's volume.
void addFrame(int32_t *sum, int left, int right, const SoundTransform *t)
{
    if (!t) {
        sum[0] += left;
        sum[1] += right;
        return;
    }
    constexpr qint64 Percent = SoundTransform::Full;
    // Well past full scale, yet many voices added cannot overflow the sum.
    constexpr qint64 Loudest = 4 * 32768;
    const auto share = [&](int fromLeft, int fromRight) {
        const qint64 level = (qint64(left) * fromLeft + qint64(right) * fromRight) * t->volume / (Percent * Percent);
        return int32_t(std::clamp(level, -Loudest, Loudest));
    };
    sum[0] += share(t->ll, t->rl);
    sum[1] += share(t->lr, t->rr);
}

} // namespace

const SoundTransform *SoundMixer::transformOf(const void *owner) const
{
    if (!owner || m_transforms.empty())
        return nullptr;
    const auto it = m_transforms.find(owner);
    return it == m_transforms.end() ? nullptr : &it->second;
}

void SoundMixer::setTransforms(std::map<const void *, SoundTransform> byOwner)
{
    std::lock_guard lock(m_mutex);
    m_transforms = std::move(byOwner);
}

void SoundMixer::mixVoice(Voice &voice, int32_t *sum, int frames, const SoundTransform *transform)
{
    const int16_t *samples = voice.samples->data();
    for (int f = 0; f < frames && voice.loopsLeft > 0; ++f) {
        if (voice.position >= voice.end) {
            voice.position = voice.begin;
            if (--voice.loopsLeft <= 0)
                break;
        }
        int left = samples[voice.position * 2], right = samples[voice.position * 2 + 1];
        if (!voice.envelope.empty()) {
            const auto [l, r] = envelopeAt(voice.envelope, voice.position);
            left = left * l / 32768;
            right = right * r / 32768;
        }
        addFrame(sum + f * 2, left, right, transform);
        ++voice.position;
    }
}

void SoundMixer::mixStream(Stream &stream, int32_t *sum, int frames, const SoundTransform *transform)
{
    const auto available = [&stream] { return (stream.pending.size() - stream.pendingAt) / 2; };
    const int blockCount = int(stream.timeline->frames.size());
    for (int blocks = 0; available() < size_t(frames) && blocks < MaxBlocksPerMix && blockCount > 0; ++blocks) {
        if (stream.pendingAt > 0) {
            stream.pending.erase(stream.pending.begin(), stream.pending.begin() + std::ptrdiff_t(stream.pendingAt));
            stream.pendingAt = 0;
        }
        const QByteArray &block = stream.timeline->frames[size_t(stream.nextBlock)].streamBlock;
        if (block.isEmpty())
            stream.pending.resize(stream.pending.size() + size_t(std::lround(stream.framesPerBlock)) * 2, 0);
        else
            stream.decoder->decode(StreamBlockAudio(stream.head, block), stream.pending);
        // The picture loops, so the sound read ahead loops with it.
        stream.nextBlock = (stream.nextBlock + 1) % blockCount;
    }
    const size_t count = std::min(available(), size_t(frames));
    const int16_t *from = stream.pending.data() + stream.pendingAt;
    for (size_t i = 0; i < count; ++i)
        addFrame(sum + i * 2, from[i * 2], from[i * 2 + 1], transform);
    stream.pendingAt += count * 2;
}

qint64 SoundMixer::mixedFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_mixed;
}

void SoundMixer::setMovie(std::shared_ptr<const MovieDef> movie)
{
    std::lock_guard lock(m_mutex);
    m_voices.clear();
    m_streams.clear();
    m_decoded.clear();
    m_volume = 100;
    m_movie = std::move(movie);
}

void SoundMixer::startStream(const void *key, const Timeline &timeline, int frame)
{
    if (!m_movie || !timeline.stream || timeline.frames.empty() || m_movie->frameRate <= 0)
        return;
    auto stream = std::make_unique<Stream>();
    stream->key = key;
    stream->timeline = &timeline;
    stream->head = *timeline.stream;
    stream->decoder = std::make_unique<SoundDecoder>(stream->head.format);
    stream->startFrame = std::clamp(frame, 0, int(timeline.frames.size()) - 1);
    stream->nextBlock = stream->startFrame;
    // A movie of a frame every few minutes still reads its blocks in bounded pieces.
    stream->framesPerBlock = std::min(Rate / m_movie->frameRate, double(SoundDecoder::MaxFramesPerPiece));
    std::lock_guard lock(m_mutex);
    stream->startedAt = m_mixed;
    stream->generation = ++m_generation;
    const auto it = std::find_if(m_streams.begin(), m_streams.end(), [key](const auto &s) { return s->key == key; });
    if (it != m_streams.end())
        *it = std::move(stream);
    else
        m_streams.push_back(std::move(stream));
}

void SoundMixer::stopStream(const void *key)
{
    std::lock_guard lock(m_mutex);
    m_streams.erase(std::remove_if(m_streams.begin(), m_streams.end(), [key](const auto &s) { return s->key == key; }),
                    m_streams.end());
}

bool SoundMixer::streamPlaying(const void *key) const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_streams.begin(), m_streams.end(), [key](const auto &s) { return s->key == key; });
}

std::optional<SoundMixer::StreamPosition> SoundMixer::streamPosition(const void *key, qint64 heardFrames) const
{
    std::lock_guard lock(m_mutex);
    for (const auto &stream : m_streams)
        if (stream->key == key)
            return StreamPosition{stream->generation, stream->startFrame,
                                  qint64(double(std::max<qint64>(heardFrames - stream->startedAt, 0)) /
                                         stream->framesPerBlock)};
    return std::nullopt;
}

void SoundMixer::startSound(const SoundDef &sound, const SoundInfo &info, const void *owner)
{
    if (info.stop) {
        std::lock_guard lock(m_mutex);
        m_voices.erase(std::remove_if(m_voices.begin(), m_voices.end(),
                                      [&sound](const auto &v) { return v->soundId == sound.id; }),
                       m_voices.end());
        return;
    }
    if (!m_movie)
        return;
    auto &decoded = m_decoded[&sound];
    if (!decoded)
        decoded = std::make_shared<const std::vector<int16_t>>(DecodeSound(sound, MaxEventFrames));
    std::unique_ptr<Voice> voice = makeVoice(decoded, info);
    if (!voice)
        return;
    voice->soundId = sound.id;
    voice->owner = owner;
    std::lock_guard lock(m_mutex);
    const bool playing =
        std::any_of(m_voices.begin(), m_voices.end(), [&sound](const auto &v) { return v->soundId == sound.id; });
    if (info.noMultiple && playing)
        return;
    addVoice(std::move(voice));
}

void SoundMixer::startSamples(const void *key, std::shared_ptr<const std::vector<int16_t>> samples,
                              const SoundInfo &info, const void *owner)
{
    if (!samples)
        return;
    std::unique_ptr<Voice> voice = makeVoice(std::move(samples), info);
    stopSamples(key);
    if (!voice)
        return;
    voice->key = key;
    voice->owner = owner;
    voice->soundId = LoadedSoundId;
    std::lock_guard lock(m_mutex);
    addVoice(std::move(voice));
}

void SoundMixer::stopSamples(const void *key)
{
    std::lock_guard lock(m_mutex);
    m_voices.erase(
        std::remove_if(m_voices.begin(), m_voices.end(), [key](const auto &v) { return v->key && v->key == key; }),
        m_voices.end());
}

// Nothing when the part to play is empty.
std::unique_ptr<SoundMixer::Voice> SoundMixer::makeVoice(std::shared_ptr<const std::vector<int16_t>> samples,
                                                        const SoundInfo &info) const
{
    const qint64 length = qint64(samples->size() / 2);
    auto voice = std::make_unique<Voice>();
    voice->samples = std::move(samples);
    voice->envelope = info.envelope;
    voice->begin = std::clamp<qint64>(info.inPoint.value_or(0), 0, length);
    voice->end = std::clamp<qint64>(info.outPoint.value_or(length), voice->begin, length);
    voice->position = voice->begin;
    voice->loopsLeft = std::max(info.loops, 1);
    if (voice->end <= voice->begin)
        return nullptr;
    return voice;
}

// Called with the mutex held.
void SoundMixer::addVoice(std::unique_ptr<Voice> voice)
{
    if (int(m_voices.size()) >= MaxVoices)
        m_voices.erase(m_voices.begin()); // the oldest gives way
    m_voices.push_back(std::move(voice));
}

void SoundMixer::stopSounds()
{
    std::lock_guard lock(m_mutex);
    m_voices.clear();
    m_streams.clear();
}

void SoundMixer::setVolume(int percent)
{
    std::lock_guard lock(m_mutex);
    m_volume = std::clamp(percent, 0, 200);
}

int SoundMixer::volume() const
{
    std::lock_guard lock(m_mutex);
    return m_volume;
}

bool SoundMixer::active() const
{
    std::lock_guard lock(m_mutex);
    return !m_voices.empty() || !m_streams.empty();
}

} // namespace swf
