#include "SoundTags.h"

namespace swf {

namespace {

// Envelopes in real movies have a handful of points; the field allows 255.
constexpr int MaxEnvelopePoints = 255;

double rateOf(int code)
{
    static constexpr double Rates[] = {5512.5, 11025, 22050, 44100};
    return Rates[code & 3];
}

} // namespace

SoundFormat ReadSoundFormat(SwfReader &r)
{
    SoundFormat format;
    format.codec = int(r.ub(4));
    format.rate = rateOf(int(r.ub(2)));
    format.sixteenBit = r.ub(1);
    format.stereo = r.ub(1);
    return format;
}

SoundInfo ReadSoundInfo(SwfReader &r)
{
    SoundInfo info;
    const int flags = r.u8();
    info.stop = flags & 0x20;
    info.noMultiple = flags & 0x10;
    if (flags & 0x01)
        info.inPoint = r.u32();
    if (flags & 0x02)
        info.outPoint = r.u32();
    if (flags & 0x04)
        info.loops = r.u16();
    if (flags & 0x08) {
        const int points = std::min(int(r.u8()), MaxEnvelopePoints);
        for (int i = 0; i < points && !r.overrun(); ++i) {
            EnvelopePoint point;
            point.position = r.u32();
            point.left = std::min<int>(r.u16(), 32768);
            point.right = std::min<int>(r.u16(), 32768);
            info.envelope.push_back(point);
        }
    }
    return info;
}

std::shared_ptr<SoundDef> ReadDefineSound(SwfReader &r)
{
    auto sound = std::make_shared<SoundDef>();
    sound->id = r.u16();
    sound->format = ReadSoundFormat(r);
    sound->sampleCount = r.u32();
    sound->data = r.rest();
    return r.overrun() ? nullptr : sound;
}

StreamHead ReadStreamHead(SwfReader &r)
{
    r.u8(); // the playback format: a hint for the output, not the data's format
    StreamHead head;
    head.format = ReadSoundFormat(r);
    head.samplesPerBlock = r.u16();
    return head;
}

void ReadButtonSounds(SwfReader &r, const MovieDef &movie)
{
    const auto it = movie.dictionary.find(r.u16());
    auto *button = it == movie.dictionary.end() ? nullptr : dynamic_cast<ButtonDef *>(it->second.get());
    if (!button)
        return;
    for (auto &slot : button->sounds) {
        const int soundId = r.u16();
        if (r.overrun())
            break;
        if (soundId != 0)
            slot = SoundStart{soundId, ReadSoundInfo(r)};
    }
}

} // namespace swf
