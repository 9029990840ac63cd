#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>
#include <mutex>
#include <vector>

namespace swf {

// The video codecs of movies and FLV files, by the numbers both give them.
enum class VideoCodec { H263 = 2, ScreenVideo = 3, Vp6 = 4, Vp6Alpha = 5, ScreenVideo2 = 6 };
bool IsVideoCodec(int codec);

// One coded picture of a stream; a keyframe decodes without the ones before it.
struct VideoPacket {
    QByteArray data;
    bool keyframe = false;
};

// Whether a packet of a movie's embedded video is a keyframe, read from the
// picture header where the codec has one. Screen video tells it nowhere, so
// only the first of its packets counts as one.
bool IsEmbeddedKeyframe(int codec, const QByteArray &data, int index);

// What plays pictures over time (a NetStream a Video shows): the picture
// due now, and a number that changes whenever that picture does.
class VideoSource {
public:
    virtual ~VideoSource() = default;
    virtual QImage picture() = 0;
    virtual qint64 revision() const = 0;
};

// Decodes one video stream through GStreamer's libav decoders, lazily: a
// picture is decoded only when asked for, packets in order, going back to
// the keyframe before it when asked for an earlier one. A stream that will
// not decode gives a null picture, never an endless wait: each request has
// a time budget, and a stream that misses it before its first picture, or
// keeps missing it after, is given up. All streams share a patience for
// such waits, so that many broken ones cannot stall the movie.
class VideoDecoder {
public:
    // codecData goes to the decoder as it starts (VP6's size adjustment in FLV files).
    explicit VideoDecoder(int codec, QByteArray codecData = {});
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder &) = delete;
    VideoDecoder &operator=(const VideoDecoder &) = delete;

    // The picture that packets[0..index] build up (straight alpha, ARGB32).
    QImage picture(const std::vector<VideoPacket> &packets, int index);

private:
    class Pipeline;

    // What feeding packets came to: their picture, none in the time the
    // stream had, or none in less time than it should have had.
    enum class Outcome { Decoded, Missed, Starved };

    int startOf(const std::vector<VideoPacket> &packets, int index) const;
    Outcome decodeRange(const std::vector<VideoPacket> &packets, int from, int to);

    int m_codec;
    QByteArray m_codecData;
    std::unique_ptr<Pipeline> m_pipeline;
    int m_decoded = -1; // the packet m_picture shows
    QImage m_picture;
    int m_misses = 0;
    bool m_broken = false;
    std::mutex m_mutex;
};

} // namespace swf
