// Video pictures through GStreamer: appsrc ! libav decoder ! videoconvert !
// appsink, one pipeline per stream, fed and drained from the caller's thread.
#include "swf/VideoDecoder.h"
#include "swf/Definitions.h"
#include "swf/SwfReader.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <QElapsedTimer>

#include <algorithm>

namespace swf {

namespace {

// Packets carry made-up times, one picture apart, so the pictures coming out
// tell which packet they are.
constexpr GstClockTime PacketDuration = 40 * GST_MSECOND;
// How long one request may wait for its picture: a little for each packet fed.
constexpr qint64 BaseBudgetMs = 300;
constexpr qint64 BudgetPerPacketMs = 20;
constexpr qint64 MaxBudgetMs = 3000;
// Requests that miss their budget before a stream that decoded is given up.
constexpr int MaxMisses = 3;

// Sorenson H.263 picture header fields, in bits.
constexpr int H263StartCodeBits = 17, H263VersionBits = 5, H263TemporalBits = 8, H263SizeBits = 3;
constexpr int H263CustomByteSize = 0, H263CustomWordSize = 1, H263IntraPicture = 0;
// VP6: the first bit of a picture is clear on keyframes; VP6 with alpha puts
// the offset of its alpha plane (3 bytes) in front.
constexpr int Vp6InterBit = 0x80, Vp6AlphaOffsetBytes = 3;

// What all streams together may spend waiting for pictures that never come:
// a movie of many broken streams costs a few seconds, not a few for each.
// Waiting earns it back, a tenth of the time passed.
class Patience {
public:
    static constexpr qint64 MaxMs = 3000;
    static constexpr qint64 RefillDivisor = 10;

    qint64 allowance(qint64 wantedMs)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_clock.isValid())
            m_clock.start();
        m_leftMs = std::min(MaxMs, m_leftMs + m_clock.restart() / RefillDivisor);
        return std::min(wantedMs, m_leftMs);
    }
    void spend(qint64 ms)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_leftMs = std::max(qint64(0), m_leftMs - ms);
    }

private:
    std::mutex m_mutex;
    QElapsedTimer m_clock;
    qint64 m_leftMs = MaxMs;
};

Patience &patience()
{
    static Patience shared;
    return shared;
}

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *NativeArgb = "BGRA";
#else
constexpr const char *NativeArgb = "ARGB";
#endif

struct Decoder {
    VideoCodec codec;
    const char *element;
    const char *caps;
};
constexpr Decoder Decoders[] = {
    {VideoCodec::H263, "avdec_flv", "video/x-flash-video, flvversion=(int)1"},
    {VideoCodec::ScreenVideo, "avdec_flashsv", "video/x-flash-screen"},
    {VideoCodec::Vp6, "avdec_vp6f", "video/x-vp6-flash"},
    {VideoCodec::Vp6Alpha, "avdec_vp6a", "video/x-vp6-alpha"},
    {VideoCodec::ScreenVideo2, "avdec_flashsv2", "video/x-flash-screen2"},
};

const Decoder *decoderFor(int codec)
{
    for (const Decoder &d : Decoders)
        if (int(d.codec) == codec)
            return &d;
    return nullptr;
}

bool h263Keyframe(const QByteArray &data)
{
    SwfReader r(data);
    r.ub(H263StartCodeBits);
    r.ub(H263VersionBits);
    r.ub(H263TemporalBits);
    const uint32_t size = r.ub(H263SizeBits);
    if (size == H263CustomByteSize)
        r.ub(16);
    else if (size == H263CustomWordSize)
        r.ub(32);
    return !r.overrun() && r.ub(2) == H263IntraPicture;
}

bool vp6Keyframe(const QByteArray &data, int offset)
{
    return data.size() > offset && (uint8_t(data[offset]) & Vp6InterBit) == 0;
}

template <typename T> struct GstUnref {
    void operator()(T *p) const { gst_object_unref(p); }
};
template <typename T> using GstPtr = std::unique_ptr<T, GstUnref<T>>;

struct SampleUnref {
    void operator()(GstSample *s) const { gst_sample_unref(s); }
};

// The sample's picture as a QImage, or null when it is larger than a movie's bitmap may be.
QImage imageOf(GstSample *sample)
{
    GstVideoInfo info;
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample)))
        return QImage();
    const int width = GST_VIDEO_INFO_WIDTH(&info), height = GST_VIDEO_INFO_HEIGHT(&info);
    if (width <= 0 || height <= 0 || width > MaxBitmapSide || height > MaxBitmapSide ||
        qint64(width) * height > MaxBitmapPixels)
        return QImage();
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return QImage();
    QImage image(width, height, QImage::Format_ARGB32);
    const auto *pixels = static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    for (int y = 0; y < height && !image.isNull(); ++y)
        std::copy_n(pixels + qsizetype(y) * stride, qsizetype(width) * 4, image.scanLine(y));
    gst_video_frame_unmap(&frame);
    return image;
}

} // namespace

bool IsVideoCodec(int codec) { return decoderFor(codec) != nullptr; }

bool IsEmbeddedKeyframe(int codec, const QByteArray &data, int index)
{
    switch (VideoCodec(codec)) {
    case VideoCodec::H263: return h263Keyframe(data);
    case VideoCodec::Vp6: return vp6Keyframe(data, 0);
    case VideoCodec::Vp6Alpha: return vp6Keyframe(data, Vp6AlphaOffsetBytes);
    default: return index == 0;
    }
}

// One running pipeline: packets go in at the source, pictures come out at the sink.
class VideoDecoder::Pipeline {
public:
    static std::unique_ptr<Pipeline> make(int codec, const QByteArray &codecData)
    {
        const Decoder *decoder = decoderFor(codec);
        if (!decoder)
            return nullptr;
        if (!gst_is_initialized())
            gst_init(nullptr, nullptr);
        const QByteArray description =
            QByteArray("appsrc name=source format=time ! ") + decoder->element +
            " ! videoconvert ! video/x-raw,format=" + NativeArgb +
            " ! appsink name=sink sync=false max-buffers=1 drop=true";
        GError *error = nullptr;
        GstElement *element = gst_parse_launch(description.constData(), &error);
        if (error)
            g_error_free(error);
        if (!element)
            return nullptr;
        auto pipeline = std::unique_ptr<Pipeline>(new Pipeline(element));
        if (!pipeline->m_source || !pipeline->m_sink)
            return nullptr;
        GstCaps *caps = gst_caps_from_string(decoder->caps);
        if (!codecData.isEmpty()) {
            GstBuffer *data = gst_buffer_new_memdup(codecData.constData(), gsize(codecData.size()));
            gst_caps_set_simple(caps, "codec_data", GST_TYPE_BUFFER, data, nullptr);
            gst_buffer_unref(data);
        }
        gst_app_src_set_caps(GST_APP_SRC(pipeline->m_source.get()), caps);
        gst_caps_unref(caps);
        if (gst_element_set_state(element, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
            return nullptr;
        return pipeline;
    }

    ~Pipeline() { gst_element_set_state(m_pipeline.get(), GST_STATE_NULL); }
    Pipeline(const Pipeline &) = delete;
    Pipeline &operator=(const Pipeline &) = delete;

    bool push(const QByteArray &data, int index)
    {
        GstBuffer *buffer = gst_buffer_new_memdup(data.constData(), gsize(data.size()));
        GST_BUFFER_PTS(buffer) = GST_BUFFER_DTS(buffer) = GstClockTime(index) * PacketDuration;
        GST_BUFFER_DURATION(buffer) = PacketDuration;
        return gst_app_src_push_buffer(GST_APP_SRC(m_source.get()), buffer) == GST_FLOW_OK;
    }

    // Waits up to budgetMs for the picture of packet index; the latest
    // picture that came, and whether it was that one.
    std::pair<QImage, bool> pull(int index, qint64 budgetMs)
    {
        QElapsedTimer timer;
        timer.start();
        QImage latest;
        const GstClockTime wanted = GstClockTime(index) * PacketDuration;
        // Out of time, what is there already is still taken.
        for (qint64 left = budgetMs; !failed(); left = budgetMs - timer.elapsed()) {
            std::unique_ptr<GstSample, SampleUnref> sample(gst_app_sink_try_pull_sample(
                GST_APP_SINK(m_sink.get()), GstClockTime(std::max(left, qint64(0))) * GST_MSECOND));
            if (!sample)
                break;
            GstBuffer *buffer = gst_sample_get_buffer(sample.get());
            latest = imageOf(sample.get());
            if (buffer && GST_BUFFER_PTS_IS_VALID(buffer) && GST_BUFFER_PTS(buffer) >= wanted)
                return {latest, true};
        }
        return {latest, false};
    }

    bool failed()
    {
        GstPtr<GstBus> bus(gst_element_get_bus(m_pipeline.get()));
        GstMessage *message = gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR);
        if (message) {
            gst_message_unref(message);
            m_failed = true;
        }
        return m_failed;
    }

private:
    explicit Pipeline(GstElement *pipeline)
        : m_pipeline(pipeline), m_source(gst_bin_get_by_name(GST_BIN(pipeline), "source")),
          m_sink(gst_bin_get_by_name(GST_BIN(pipeline), "sink"))
    {
    }

    GstPtr<GstElement> m_pipeline;
    GstPtr<GstElement> m_source;
    GstPtr<GstElement> m_sink;
    bool m_failed = false;
};

VideoDecoder::VideoDecoder(int codec, QByteArray codecData) : m_codec(codec), m_codecData(std::move(codecData)) {}

VideoDecoder::~VideoDecoder() = default;

int VideoDecoder::startOf(const std::vector<VideoPacket> &packets, int index) const
{
    int key = index;
    while (key > 0 && !packets[size_t(key)].keyframe)
        --key;
    // Going on from the picture shown is cheaper than from the keyframe.
    if (m_decoded >= key && m_decoded < index)
        return m_decoded + 1;
    return key;
}

QImage VideoDecoder::picture(const std::vector<VideoPacket> &packets, int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_broken || packets.empty())
        return QImage();
    index = std::clamp(index, 0, int(packets.size()) - 1);
    if (index == m_decoded)
        return m_picture;
    const int from = startOf(packets, index);
    // Going back, the decoder starts again at a keyframe.
    if (from <= m_decoded)
        m_pipeline.reset();
    switch (decodeRange(packets, from, index)) {
    case Outcome::Decoded: break;
    case Outcome::Starved:
        // Out of patience: the picture is asked for again later, from its keyframe.
        m_pipeline.reset();
        m_decoded = -1;
        return m_picture;
    case Outcome::Missed:
        // A stream that never gave a picture is given up at its first miss.
        if (++m_misses >= MaxMisses || m_picture.isNull()) {
            m_broken = true;
            m_pipeline.reset();
            m_picture = QImage();
        }
        break;
    }
    m_decoded = index;
    return m_picture;
}

VideoDecoder::Outcome VideoDecoder::decodeRange(const std::vector<VideoPacket> &packets, int from, int to)
{
    if (!m_pipeline)
        m_pipeline = Pipeline::make(m_codec, m_codecData);
    if (!m_pipeline)
        return Outcome::Missed;
    int last = -1;
    for (int i = from; i <= to; ++i) {
        const QByteArray &data = packets[size_t(i)].data;
        if (data.isEmpty())
            continue;
        if (!m_pipeline->push(data, i))
            return Outcome::Missed;
        last = i;
    }
    if (last < 0)
        return Outcome::Decoded;
    const qint64 wanted = std::min(MaxBudgetMs, BaseBudgetMs + BudgetPerPacketMs * (to - from + 1));
    const qint64 budget = patience().allowance(wanted);
    QElapsedTimer waited;
    waited.start();
    auto [image, complete] = m_pipeline->pull(last, budget);
    if (!image.isNull())
        m_picture = std::move(image);
    if (complete)
        return Outcome::Decoded;
    patience().spend(waited.elapsed());
    return budget < wanted ? Outcome::Starved : Outcome::Missed;
}

QRectF VideoDef::bounds() const
{
    constexpr double TwipsPerPixel = 20;
    return QRectF(QPointF(), QSizeF(size) * TwipsPerPixel);
}

QImage VideoDef::picture(int frame) const
{
    return decoder ? decoder->picture(frames, frame) : QImage();
}

} // namespace swf
