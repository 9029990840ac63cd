#include "MovieSoundOutput.h"

#include "platform/WaveVolume.h"
#include "swf/SoundMixer.h"

#include <gst/app/gstappsrc.h>

#include <vector>

MovieSoundOutput::MovieSoundOutput(swf::SoundMixer &mixer, const QString &sink)
    : m_mixer(mixer)
    , m_base(mixer.mixedFrames())
    , m_volume(WaveVolume::process().volume())
{
    m_connections = std::make_unique<QObject>();
    QObject::connect(&WaveVolume::process(), &WaveVolume::changed, m_connections.get(),
                     [this](std::uint32_t volume) { m_volume = volume; });

    GError *error = nullptr;
    const QString description =
        QStringLiteral("appsrc name=mix format=time stream-type=stream ! audioconvert ! audioresample ! ") + sink;
    GstElement *pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error)
        g_error_free(error);
    if (!pipeline)
        return;
    m_pipeline.reset(GST_ELEMENT(gst_object_ref_sink(pipeline)));
    m_source = gst_bin_get_by_name(GST_BIN(pipeline), "mix");
    if (!m_source)
        return;
    gst_object_unref(m_source); // the pipeline keeps it alive
    const int sampleBytes = 4;
    GstCapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate", G_TYPE_INT,
                                        swf::SoundMixer::Rate, "channels", G_TYPE_INT, 2, "layout", G_TYPE_STRING,
                                        "interleaved", nullptr));
    g_object_set(m_source, "caps", caps.get(), "max-bytes", guint64(BlockFrames * sampleBytes * 2), nullptr);
    g_signal_connect(m_source, "need-data", G_CALLBACK(onNeedData), this);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
}

MovieSoundOutput::~MovieSoundOutput()
{
    m_connections.reset();
    if (m_pipeline) // joins the streaming thread: no callback runs after this
        gst_element_set_state(m_pipeline.get(), GST_STATE_NULL);
}

swf::SoundOutputFactory MovieSoundOutput::factory()
{
    return [](swf::SoundMixer &mixer) { return std::make_unique<MovieSoundOutput>(mixer); };
}

void MovieSoundOutput::onNeedData(GstElement *, guint, gpointer self)
{
    static_cast<MovieSoundOutput *>(self)->pushBlock();
}

void MovieSoundOutput::pushBlock()
{
    GstBuffer *buffer = gst_buffer_new_allocate(nullptr, gsize(BlockFrames) * 2 * sizeof(int16_t), nullptr);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        gst_buffer_unref(buffer);
        return;
    }
    auto *samples = reinterpret_cast<int16_t *>(map.data);
    m_mixer.mix(samples, BlockFrames);
    const std::uint32_t volume = m_volume;
    const int left = int(volume & 0xFFFF), right = int(volume >> 16);
    if (volume != WaveVolume::Full) {
        for (int i = 0; i < BlockFrames; ++i) {
            samples[i * 2] = int16_t(samples[i * 2] * left / 65535);
            samples[i * 2 + 1] = int16_t(samples[i * 2 + 1] * right / 65535);
        }
    }
    gst_buffer_unmap(buffer, &map);
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(guint64(m_pushed), GST_SECOND, swf::SoundMixer::Rate);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(BlockFrames, GST_SECOND, swf::SoundMixer::Rate);
    m_pushed += BlockFrames;
    gst_app_src_push_buffer(GST_APP_SRC(m_source), buffer); // takes the buffer
}

qint64 MovieSoundOutput::heardFrames() const
{
    gint64 position = -1;
    if (!m_pipeline || !gst_element_query_position(m_pipeline.get(), GST_FORMAT_TIME, &position) || position < 0)
        return -1;
    return m_base + qint64(gst_util_uint64_scale(guint64(position), swf::SoundMixer::Rate, GST_SECOND));
}
