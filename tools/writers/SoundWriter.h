#pragma once

// Writes the sound tags of a Flash movie (for tests, the demo and
// benchmarks): event sounds, their starts, and streaming sound cut into one
// block per frame, in PCM, ADPCM or MP3.
#include "SwfWriter.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace SwfWriter::sound {

enum Codec { Pcm = 3, Adpcm = 1, Mp3 = 2 };
// Rate codes: 0 5512.5 Hz, 1 11025, 2 22050, 3 44100.
inline int rateCode(int rate)
{
    return rate <= 5513 ? 0 : rate <= 11025 ? 1 : rate <= 22050 ? 2 : 3;
}

struct Format {
    Codec codec = Pcm;
    int rate = 44100;
    bool stereo = false;
    bool sixteenBit = true;

    int bits() const { return (int(codec) << 4) | (rateCode(rate) << 2) | (sixteenBit ? 2 : 0) | (stereo ? 1 : 0); }
};

inline QByteArray defineSound(int id, const Format &format, quint32 sampleCount, const QByteArray &data)
{
    Bits b;
    b.u16(id);
    b.u8(format.bits());
    b.u32(sampleCount);
    b.raw(data);
    return tag(14, b.bytes);
}

struct Envelope {
    quint32 position;
    int left, right;
};

struct Start {
    int id = 0;
    bool stop = false;
    bool noMultiple = false;
    int loops = 0; // 0 leaves the field out
    std::optional<quint32> inPoint, outPoint;
    std::vector<Envelope> envelope;
};

inline QByteArray soundInfo(const Start &s)
{
    Bits b;
    b.u8((s.stop ? 0x20 : 0) | (s.noMultiple ? 0x10 : 0) | (s.envelope.empty() ? 0 : 0x08) | (s.loops ? 0x04 : 0) |
         (s.outPoint ? 0x02 : 0) | (s.inPoint ? 0x01 : 0));
    if (s.inPoint)
        b.u32(*s.inPoint);
    if (s.outPoint)
        b.u32(*s.outPoint);
    if (s.loops)
        b.u16(s.loops);
    if (!s.envelope.empty()) {
        b.u8(int(s.envelope.size()));
        for (const Envelope &e : s.envelope) {
            b.u32(e.position);
            b.u16(e.left);
            b.u16(e.right);
        }
    }
    return b.bytes;
}

inline QByteArray startSound(const Start &s)
{
    Bits b;
    b.u16(s.id);
    return tag(15, b.bytes + soundInfo(s));
}

inline QByteArray streamHead(const Format &format, int samplesPerBlock)
{
    Bits b;
    b.u8(format.bits() & 0x0F);
    b.u8(format.bits());
    b.u16(samplesPerBlock);
    if (format.codec == Mp3)
        b.u16(0); // latency seek
    return tag(45, b.bytes);
}

inline QByteArray streamBlock(const QByteArray &data) { return tag(19, data); }

// Little-endian 16-bit samples.
inline QByteArray pcm16(const std::vector<int16_t> &samples)
{
    QByteArray bytes;
    bytes.reserve(int(samples.size() * 2));
    for (int16_t s : samples) {
        bytes.append(char(s & 0xFF));
        bytes.append(char((s >> 8) & 0xFF));
    }
    return bytes;
}

// SWF ADPCM of mono samples with 2- to 5-bit codes: packets of 4096 samples,
// each opening with the raw sample and the step index.
inline QByteArray adpcm(const std::vector<int16_t> &samples, int bits = 4)
{
    static constexpr std::array<int, 89> Steps = {
        7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
        31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
        130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
        544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
        2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
        9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
    static constexpr int Two[] = {-1, 2}, Three[] = {-1, -1, 2, 4}, Four[] = {-1, -1, -1, -1, 2, 4, 6, 8},
                         Five[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
    const int *moves[] = {Two, Three, Four, Five};
    const int signBit = 1 << (bits - 1);
    Bits b;
    b.ub(quint32(bits - 2), 2);
    int predicted = 0, index = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (i % 4096 == 0) {
            predicted = samples[i];
            b.ub(quint32(uint16_t(samples[i])), 16);
            b.ub(quint32(index), 6);
            continue;
        }
        // Choose the code whose decoding lands nearest the sample.
        int best = 0, bestValue = 0, bestError = INT32_MAX;
        for (int code = 0; code < (1 << bits); ++code) {
            int step = Steps[size_t(index)];
            int delta = step >> (bits - 1);
            for (int bit = signBit >> 1; bit; bit >>= 1) {
                if (code & bit)
                    delta += step;
                step >>= 1;
            }
            const int value = std::clamp(code & signBit ? predicted - delta : predicted + delta, -32768, 32767);
            if (std::abs(value - samples[i]) < bestError) {
                bestError = std::abs(value - samples[i]);
                best = code;
                bestValue = value;
            }
        }
        b.ub(quint32(best), bits);
        predicted = bestValue;
        index = std::clamp(index + moves[bits - 2][best & (signBit - 1)], 0, 88);
    }
    return b.bytes;
}

// The frames of an MPEG audio layer III file, each with its sample count.
struct Mp3Frame {
    QByteArray bytes;
    int samples = 0;
};

inline std::vector<Mp3Frame> mp3Frames(const QByteArray &file)
{
    static constexpr int Mpeg1Rates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int Mpeg2Rates[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr int SampleRates[3][3] = {{11025, 12000, 8000}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    std::vector<Mp3Frame> frames;
    const auto *d = reinterpret_cast<const uint8_t *>(file.constData());
    int at = 0;
    while (at + 4 <= file.size()) {
        const bool sync = d[at] == 0xFF && (d[at + 1] & 0xE0) == 0xE0;
        const int version = (d[at + 1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int layer = (d[at + 1] >> 1) & 3;   // 1 is layer III
        const int rateIndex = d[at + 2] >> 4, srIndex = (d[at + 2] >> 2) & 3, padding = (d[at + 2] >> 1) & 1;
        if (!sync || version == 1 || layer != 1 || rateIndex == 0 || rateIndex == 15 || srIndex == 3) {
            ++at;
            continue;
        }
        const bool mpeg1 = version == 3;
        const int bitrate = (mpeg1 ? Mpeg1Rates : Mpeg2Rates)[rateIndex] * 1000;
        const int sampleRate = SampleRates[version == 3 ? 2 : version == 2 ? 1 : 0][srIndex];
        const int length = (mpeg1 ? 144 : 72) * bitrate / sampleRate + padding;
        if (at + length > file.size())
            break;
        frames.push_back({file.mid(at, length), mpeg1 ? 1152 : 576});
        at += length;
    }
    return frames;
}

// Cuts MP3 frames into stream blocks of about samplesPerBlock samples each:
// block k holds the frames that start before sample (k + 1) * samplesPerBlock.
inline std::vector<QByteArray> mp3Blocks(const std::vector<Mp3Frame> &frames, double samplesPerBlock, int blocks)
{
    std::vector<QByteArray> out;
    size_t next = 0;
    qint64 position = 0;
    for (int k = 0; k < blocks; ++k) {
        QByteArray data;
        int count = 0;
        while (next < frames.size() && position < (k + 1) * samplesPerBlock) {
            data += frames[next].bytes;
            count += frames[next].samples;
            position += frames[next].samples;
            ++next;
        }
        Bits head;
        head.u16(count);
        head.u16(0);
        out.push_back(count ? head.bytes + data : QByteArray());
    }
    return out;
}

} // namespace SwfWriter::sound
