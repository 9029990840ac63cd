#include "SoundDecoder.h"

#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace swf {

namespace {

// IMA ADPCM step sizes, shared by every code size.
constexpr std::array<int, 89> AdpcmSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How the step index moves for each magnitude, per code size (2 to 5 bits).
const int *adpcmIndexMoves(int bits)
{
    static constexpr int Two[] = {-1, 2};
    static constexpr int Three[] = {-1, -1, 2, 4};
    static constexpr int Four[] = {-1, -1, -1, -1, 2, 4, 6, 8};
    static constexpr int Five[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
    static constexpr const int *Tables[] = {Two, Three, Four, Five};
    return Tables[bits - 2];
}

// ADPCM packs 4096 samples per channel into a packet, the first one raw.
constexpr int AdpcmPacketSamples = 4096;

int16_t clampSample(int value)
{
    return int16_t(std::clamp(value, -32768, 32767));
}

} // namespace

// Linear interpolation from the source rate to 44.1 kHz, carrying its
// phase across pieces so a stream has no seams.
class SoundDecoder::Resampler {
public:
    explicit Resampler(double rate) { setRate(rate); }
    void setRate(double rate) { m_step = std::clamp(rate, 1000.0, 192000.0) / OutputRate; }

    void push(int16_t left, int16_t right, std::vector<int16_t> &out)
    {
        if (m_step == 1.0) {
            out.push_back(left);
            out.push_back(right);
            return;
        }
        while (m_phase < 1.0) {
            out.push_back(int16_t(std::lround(m_left + (left - m_left) * m_phase)));
            out.push_back(int16_t(std::lround(m_right + (right - m_right) * m_phase)));
            m_phase += m_step;
        }
        m_phase -= 1.0;
        m_left = left;
        m_right = right;
    }

private:
    double m_step = 1;
    double m_phase = 0;
    int m_left = 0, m_right = 0;
};

// A feeding MP3 decoder that always yields stereo 16-bit samples.
class SoundDecoder::Mp3 {
public:
    Mp3()
    {
        static const int initialised = mpg123_init();
        (void)initialised;
        int error = 0;
        m_handle = mpg123_new(nullptr, &error);
        if (!m_handle)
            return;
        mpg123_param(m_handle, MPG123_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0);
        mpg123_format_none(m_handle);
        const long *rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(m_handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open_feed(m_handle) != MPG123_OK) {
            mpg123_delete(m_handle);
            m_handle = nullptr;
        }
    }
    ~Mp3()
    {
        if (m_handle)
            mpg123_delete(m_handle);
    }
    Mp3(const Mp3 &) = delete;
    Mp3 &operator=(const Mp3 &) = delete;

    // Feeds the bytes and hands every decoded stereo frame to deliver; rate
    // is told first whenever the stream's rate becomes known or changes.
    template <typename Rate, typename Deliver>
    void decode(const char *data, int size, Rate rate, Deliver deliver, qint64 maxFrames)
    {
        if (!m_handle)
            return;
        const auto *input = reinterpret_cast<const unsigned char *>(data);
        size_t inputSize = size_t(std::max(size, 0));
        qint64 emitted = 0;
        // Each call decodes at most one MP3 frame; the bound stops a decoder
        // that would neither progress nor ask for more.
        for (int calls = 0; calls < 100000; ++calls) {
            size_t done = 0;
            const int result = mpg123_decode(m_handle, input, inputSize, m_buffer.data(), m_buffer.size(), &done);
            input = nullptr;
            inputSize = 0;
            if (result == MPG123_NEW_FORMAT) {
                long frameRate = 0;
                int channels = 0, encoding = 0;
                if (mpg123_getformat(m_handle, &frameRate, &channels, &encoding) == MPG123_OK)
                    rate(double(frameRate));
            }
            const auto *samples = reinterpret_cast<const int16_t *>(m_buffer.data());
            for (size_t i = 0; i + 1 < done / sizeof(int16_t); i += 2) {
                if (emitted >= maxFrames)
                    return;
                deliver(samples[i], samples[i + 1]);
                ++emitted;
            }
            if (result == MPG123_NEED_MORE || result == MPG123_DONE || result == MPG123_ERR)
                return;
        }
    }

private:
    mpg123_handle *m_handle = nullptr;
    std::array<unsigned char, 16384> m_buffer{};
};

SoundDecoder::SoundDecoder(const SoundFormat &format)
    : m_format(format)
    , m_resampler(std::make_unique<Resampler>(format.rate))
{
    if (format.codec == SoundFormat::Mp3)
        m_mp3 = std::make_unique<Mp3>();
}

SoundDecoder::~SoundDecoder() = default;

void SoundDecoder::decode(const char *data, int size, std::vector<int16_t> &out, qint64 maxFrames)
{
    if (size <= 0 || maxFrames <= 0)
        return;
    // Past limit, in samples, the piece stops: resampling can multiply it.
    const size_t limit = out.size() + size_t(maxFrames) * 2;
    switch (m_format.codec) {
    case SoundFormat::PcmNative:
    case SoundFormat::PcmLittle:
        decodePcm(reinterpret_cast<const uint8_t *>(data), size, out, limit);
        break;
    case SoundFormat::Adpcm:
        decodeAdpcm(data, size, out, limit);
        break;
    case SoundFormat::Mp3:
        m_mp3->decode(
            data, size, [this](double rate) { m_resampler->setRate(rate); },
            [this, &out, limit](int16_t left, int16_t right) {
                if (out.size() < limit)
                    m_resampler->push(left, right, out);
            },
            maxFrames);
        if (out.size() > limit)
            out.resize(limit);
        break;
    default:
        break; // Nellymoser and Speex stay silent
    }
}

void SoundDecoder::decodePcm(const uint8_t *data, int size, std::vector<int16_t> &out, size_t limit)
{
    const int bytesPerSample = m_format.sixteenBit ? 2 : 1;
    const int channels = m_format.stereo ? 2 : 1;
    const int frames = size / (bytesPerSample * channels);
    auto sample = [&](int index) -> int16_t {
        if (bytesPerSample == 2)
            return int16_t(data[index * 2] | (data[index * 2 + 1] << 8));
        return int16_t((data[index] - 128) * 256); // 8-bit samples are unsigned
    };
    for (int f = 0; f < frames && out.size() < limit; ++f) {
        const int16_t left = sample(f * channels);
        m_resampler->push(left, channels == 2 ? sample(f * channels + 1) : left, out);
    }
}

void SoundDecoder::decodeAdpcm(const char *data, int size, std::vector<int16_t> &out, size_t limit)
{
    SwfReader r(data, size);
    const int bits = int(r.ub(2)) + 2;
    const int channels = m_format.stereo ? 2 : 1;
    const int *moves = adpcmIndexMoves(bits);
    const int signBit = 1 << (bits - 1);
    // A packet opens with a 16-bit sample and a 6-bit index per channel.
    const auto bitsLeft = [&r] { return r.remaining() * 8; };
    while (bitsLeft() >= channels * 22 && out.size() < limit) {
        std::array<int, 2> sample{}, index{};
        for (int c = 0; c < channels; ++c) {
            sample[size_t(c)] = r.sb(16);
            index[size_t(c)] = std::min(int(r.ub(6)), int(AdpcmSteps.size()) - 1);
        }
        m_resampler->push(int16_t(sample[0]), int16_t(sample[size_t(channels - 1)]), out);
        for (int n = 1; n < AdpcmPacketSamples && out.size() < limit; ++n) {
            if (r.overrun())
                return;
            for (int c = 0; c < channels; ++c) {
                const int code = int(r.ub(bits));
                int step = AdpcmSteps[size_t(index[size_t(c)])];
                int delta = step >> (bits - 1);
                for (int bit = signBit >> 1; bit; bit >>= 1) {
                    if (code & bit)
                        delta += step;
                    step >>= 1;
                }
                sample[size_t(c)] = clampSample(code & signBit ? sample[size_t(c)] - delta : sample[size_t(c)] + delta);
                index[size_t(c)] = std::clamp(index[size_t(c)] + moves[code & (signBit - 1)], 0,
                                              int(AdpcmSteps.size()) - 1);
            }
            if (r.overrun())
                return; // the last codes of a data block are padding
            m_resampler->push(int16_t(sample[0]), int16_t(sample[size_t(channels - 1)]), out);
        }
    }
}

QByteArray StreamBlockAudio(const StreamHead &head, const QByteArray &block)
{
    if (head.format.codec == SoundFormat::Mp3)
        return block.size() > 4 ? block.mid(4) : QByteArray();
    return block;
}

std::vector<int16_t> DecodeSound(const SoundDef &sound, qint64 maxFrames)
{
    SoundDecoder decoder(sound.format);
    std::vector<int16_t> samples;
    // The declared length cuts off the padding bits of the last ADPCM byte.
    if (sound.sampleCount > 0)
        maxFrames = std::min(maxFrames, qint64(std::ceil(double(sound.sampleCount) * SoundDecoder::OutputRate / sound.format.rate)));
    // MP3 sound data opens with a 16-bit count of samples to skip.
    const int skip = sound.format.codec == SoundFormat::Mp3 ? 2 : 0;
    if (sound.data.size() > skip)
        decoder.decode(sound.data.constData() + skip, int(sound.data.size()) - skip, samples, maxFrames);
    if (qint64(samples.size()) > maxFrames * 2)
        samples.resize(size_t(maxFrames * 2));
    return samples;
}

} // namespace swf
