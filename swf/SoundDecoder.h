#pragma once

#include "swf/Definitions.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace swf {

// Turns a sound's coded bytes into 44.1 kHz interleaved stereo 16-bit
// samples, piece by piece: MP3 frames may run across the pieces, so one
// decoder serves one stream from start to end. Unsupported codecs decode to
// nothing.
class SoundDecoder {
public:
    static constexpr int OutputRate = 44100;
    // The most output one piece may produce, in sample frames: a hostile
    // piece cannot blow up memory.
    static constexpr int MaxFramesPerPiece = 10 * OutputRate;

    explicit SoundDecoder(const SoundFormat &format);
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder &) = delete;
    SoundDecoder &operator=(const SoundDecoder &) = delete;

    // Appends the samples of one piece to out (left, right, left, ...), at
    // most maxFrames sample frames of them.
    void decode(const char *data, int size, std::vector<int16_t> &out, qint64 maxFrames = MaxFramesPerPiece);
    void decode(const QByteArray &piece, std::vector<int16_t> &out)
    {
        decode(piece.constData(), int(piece.size()), out);
    }

private:
    class Resampler;
    class Mp3;

    void decodePcm(const uint8_t *data, int size, std::vector<int16_t> &out, size_t limit);
    void decodeAdpcm(const char *data, int size, std::vector<int16_t> &out, size_t limit);

    SoundFormat m_format;
    std::unique_ptr<Resampler> m_resampler;
    std::unique_ptr<Mp3> m_mp3;
};

// The audio of one stream block, without the MP3 block's sample count and
// seek fields.
QByteArray StreamBlockAudio(const StreamHead &head, const QByteArray &block);

// A whole event sound decoded, at most maxFrames sample frames of it.
std::vector<int16_t> DecodeSound(const SoundDef &sound, qint64 maxFrames);

} // namespace swf
