// FLV files: a header, then tags (audio, video, script data), each with a
// big-endian size and time, and the size of the tag before it between them.
#include "swf/FlvFile.h"

#include <QtEndian>

namespace swf {

namespace {

constexpr int HeaderSize = 9;
constexpr int TagHeaderSize = 11;
constexpr int PreviousTagSizeBytes = 4;
enum TagType { AudioTag = 8, VideoTag = 9, ScriptTag = 18 };
constexpr int KeyframeType = 1;
constexpr int FrameTypeShift = 4, CodecMask = 0x0F;
constexpr char MetaDataName[] = "onMetaData";
// An audio tag's first byte: codec, rate, sample size and channels.
constexpr int AudioCodecShift = 4, AudioRateShift = 2, AudioRateMask = 3, AudioSixteenBit = 0x02, AudioStereo = 0x01;
constexpr double AudioRates[] = {5512.5, 11025, 22050, 44100};
constexpr quint8 AmfStringMarker = 0x02;

quint32 be24(const uchar *p) { return quint32(p[0]) << 16 | quint32(p[1]) << 8 | p[2]; }

// A script tag holds a name and a value; the one named onMetaData describes the file.
QByteArray metaDataOf(const QByteArray &tag)
{
    const QByteArray name(MetaDataName);
    const QByteArray head = QByteArray(1, char(AmfStringMarker)) + char(name.size() >> 8) + char(name.size()) + name;
    return tag.startsWith(head) ? tag.mid(head.size()) : QByteArray();
}

void addPicture(FlvFile &flv, const QByteArray &tag, qint64 time)
{
    if (tag.isEmpty())
        return;
    const int codec = uchar(tag[0]) & CodecMask;
    if (flv.video.empty())
        flv.codec = codec;
    if (codec != flv.codec || !IsVideoCodec(codec))
        return;
    int start = 1;
    // VP6 pictures start with the adjustment that crops them, which the decoder takes apart.
    if (codec == int(VideoCodec::Vp6) || codec == int(VideoCodec::Vp6Alpha)) {
        if (flv.codecData.isEmpty())
            flv.codecData = tag.mid(1, 1);
        ++start;
    }
    VideoPacket packet;
    packet.data = tag.mid(start);
    packet.keyframe = (uchar(tag[0]) >> FrameTypeShift) == KeyframeType;
    flv.video.push_back(std::move(packet));
    flv.times.push_back(time);
}

std::optional<SoundFormat> audioFormatOf(uchar flags)
{
    const int codec = flags >> AudioCodecShift;
    if (codec != SoundFormat::PcmNative && codec != SoundFormat::Adpcm && codec != SoundFormat::Mp3 &&
        codec != SoundFormat::PcmLittle)
        return std::nullopt;
    return SoundFormat{codec, AudioRates[(flags >> AudioRateShift) & AudioRateMask], bool(flags & AudioSixteenBit),
                       bool(flags & AudioStereo)};
}

void addSound(FlvFile &flv, const QByteArray &tag, bool &formatSeen)
{
    if (tag.isEmpty())
        return;
    const std::optional<SoundFormat> format = audioFormatOf(uchar(tag[0]));
    if (!formatSeen) {
        formatSeen = true;
        flv.audioFormat = format;
    }
    // Pieces in another format than the first are left out: one decoder plays the file's sound.
    const bool same = format && flv.audioFormat && format->codec == flv.audioFormat->codec &&
                      format->rate == flv.audioFormat->rate && format->stereo == flv.audioFormat->stereo &&
                      format->sixteenBit == flv.audioFormat->sixteenBit;
    if (same)
        flv.audio.push_back(tag.mid(1));
}

} // namespace

std::optional<FlvFile> ReadFlv(const QByteArray &bytes)
{
    if (bytes.size() < HeaderSize || !bytes.startsWith("FLV"))
        return std::nullopt;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 size = bytes.size();
    FlvFile flv;
    bool audioFormatSeen = false;
    qint64 at = qint64(qFromBigEndian<quint32>(data + 5)) + PreviousTagSizeBytes;
    while (at >= HeaderSize && at + TagHeaderSize <= size) {
        const uchar *tag = data + at;
        const qint64 length = be24(tag + 1);
        const qint64 time = qint64(be24(tag + 4)) | qint64(tag[7]) << 24;
        if (at + TagHeaderSize + length > size)
            break;
        const QByteArray body = bytes.mid(at + TagHeaderSize, length);
        if (tag[0] == VideoTag)
            addPicture(flv, body, time);
        else if (tag[0] == AudioTag)
            addSound(flv, body, audioFormatSeen);
        else if (tag[0] == ScriptTag && flv.metaData.isEmpty())
            flv.metaData = metaDataOf(body);
        if (tag[0] == VideoTag || tag[0] == AudioTag)
            flv.durationMs = std::max(flv.durationMs, time);
        at += TagHeaderSize + length + PreviousTagSizeBytes;
    }
    return flv;
}

} // namespace swf
