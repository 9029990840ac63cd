#include "MediaGraph.h"

#include "platform/BoundedFile.h"
#include "platform/HeapMemory.h"
#include "platform/WaveVolume.h"
#include "player/VideoWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThreadPool>
#include <QThread>
#include <QUrl>

#include <gst/app/gstappsink.h>

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

// General MIDI soundfonts Debian ships, best first, set on the MIDI decoder
// directly so MIDI plays whatever the environment's data paths are. Every
// MIDI item loads its soundfont anew, so the small TimGM6mb (6 MB, about
// 0.02 CPU-s to load) comes before FluidR3 (142 MB and most of a CPU-second
// for each item), which stays as the fallback.
const char *const MidiSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// The first soundfont present, looked for only once a MIDI item plays.
const char *midiSoundFont()
{
    for (const char *path : MidiSoundFonts)
        if (QFile::exists(QString::fromLatin1(path)))
            return path;
    return nullptr;
}

GstFlowReturn onNewSample(GstAppSink *sink, gpointer slot)
{
    if (GstSample *sample = gst_app_sink_pull_sample(sink))
        static_cast<FrameSlot *>(slot)->store(sample);
    return GST_FLOW_OK;
}

GstFlowReturn onNewPreroll(GstAppSink *sink, gpointer slot)
{
    if (GstSample *sample = gst_app_sink_pull_preroll(sink))
        static_cast<FrameSlot *>(slot)->store(sample);
    return GST_FLOW_OK;
}

void onElementSetup(GstElement *, GstElement *element, gpointer)
{
    GstElementFactory *factory = gst_element_get_factory(element);
    if (!factory || g_strcmp0(GST_OBJECT_NAME(factory), "fluiddec") != 0)
        return;
    if (const char *soundFont = midiSoundFont())
        g_object_set(element, "soundfont", soundFont, nullptr);
}

// The elements of the video output that scale and convert the frames and hold their caps.
constexpr const char *VideoScaleName = "video-scale";
constexpr const char *VideoConvertName = "video-convert";
constexpr const char *VideoSizeName = "video-size";

// The video output: frames are scaled to the window's size and converted
// here, in the streaming threads, so the window only copies them. Scaling
// comes first, in the decoder's format: a picture larger than its window (the
// usual case) is then converted at the window's size; videoconvertscale would
// convert at the picture's. Frames the screen has no time for are dropped
// before they are converted (QoS reaches the decoder; the sink keeps only the
// newest).
GstElement *makeVideoOutput(FrameSlot *slot)
{
    GstElement *scale = gst_element_factory_make("videoscale", VideoScaleName);
    GstElement *convert = gst_element_factory_make("videoconvert", VideoConvertName);
    GstElement *size = gst_element_factory_make("capsfilter", VideoSizeName);
    GstElement *sink = gst_element_factory_make("appsink", "video-output");
    GstElement *output = gst_bin_new("video-output-bin");
    if (!scale || !convert || !size || !sink) {
        for (GstElement *element : {scale, convert, size, sink, output})
            if (element)
                gst_object_unref(gst_object_ref_sink(element));
        return nullptr;
    }
    // Until a window shows the video nothing is converted.
    GstCapsPtr caps = VideoOutputCaps(QSize());
    g_object_set(size, "caps", caps.get(), nullptr);
    g_object_set(scale, "add-borders", FALSE, "qos", TRUE, nullptr);
    g_object_set(convert, "qos", TRUE, nullptr);
    g_object_set(sink, "max-buffers", 1u, "drop", TRUE, "sync", TRUE, "qos", TRUE, "enable-last-sample", FALSE,
                 nullptr);
    GstAppSinkCallbacks callbacks = {};
    callbacks.new_sample = onNewSample;
    callbacks.new_preroll = onNewPreroll;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, slot, nullptr);
    gst_bin_add_many(GST_BIN(output), scale, convert, size, sink, nullptr);
    gst_element_link_many(scale, convert, size, sink, nullptr);
    GstPadPtr input(gst_element_get_static_pad(scale, "sink"));
    gst_element_add_pad(output, gst_ghost_pad_new("sink", input.get()));
    return output;
}

// Converts the video to frames of this size from the next frame on (the
// caps change renegotiates the converter); an empty size converts nothing.
void setVideoOutputSize(GstElement *playbin, QSize pixels)
{
    GstElement *rawOutput = nullptr;
    g_object_get(playbin, "video-sink", &rawOutput, nullptr);
    GstElementPtr output(rawOutput);
    if (!output || !GST_IS_BIN(output.get()))
        return;
    GstElementPtr scale(gst_bin_get_by_name(GST_BIN(output.get()), VideoScaleName));
    GstElementPtr convert(gst_bin_get_by_name(GST_BIN(output.get()), VideoConvertName));
    GstElementPtr size(gst_bin_get_by_name(GST_BIN(output.get()), VideoSizeName));
    if (!scale || !convert || !size)
        return;
    const guint threads = guint(ConversionThreads(pixels, QThread::idealThreadCount()));
    g_object_set(scale.get(), "n-threads", threads, nullptr);
    g_object_set(convert.get(), "n-threads", threads, nullptr);
    GstCapsPtr caps = VideoOutputCaps(pixels);
    g_object_set(size.get(), "caps", caps.get(), nullptr);
}

bool queryDuration(GstElement *element, REFERENCE_TIME &duration)
{
    gint64 nanoseconds = -1;
    if (!gst_element_query_duration(element, GST_FORMAT_TIME, &nanoseconds) || nanoseconds < 0)
        return false;
    duration = nanoseconds / 100;
    return true;
}

} // namespace

MediaGraph::MediaGraph()
    : m_frames(std::make_shared<FrameSlot>())
{
}

// Where the bus's sync handler sends the end of the preroll: to the graph,
// through its receiver, until the graph goes. The handler may run on a
// streaming thread while the graph goes, hence the lock.
struct MediaGraph::BusRelay {
    QMutex mutex;
    QObject *receiver = nullptr;
    MediaGraph *graph = nullptr;
};

namespace {

// Stopping a playbin joins its streaming threads, which for a MIDI item
// (its synthesizer freed) takes about a tenth of a second: done on a worker
// so neither a stop nor a newer start holds the user-interface thread. A
// playbin waiting to be stopped goes on decoding and keeps its memory, so
// only a few go to workers at once; beyond them, in a burst of starts, the
// user-interface thread stops them itself as it always did.
constexpr int MaxPlaybinsStoppingElsewhere = 2;
std::atomic<int> playbinsStoppingElsewhere{0};

void stopPlaybin(GstElementPtr playbin, GstBusPtr bus, const std::shared_ptr<FrameSlot> &frames)
{
    gst_element_set_state(playbin.get(), GST_STATE_NULL);
    // No thread posts now: the handler can go, and the messages still
    // queued, which would hold the playbin they came from.
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_bus_set_flushing(bus.get(), TRUE);
    frames->clear();
    bus.reset();
    playbin.reset();
    // The item's threads have been joined: what they freed can go back now.
    ReturnFreeHeapMemory();
}

void releasePlaybin(GstElementPtr playbin, GstBusPtr bus, std::shared_ptr<FrameSlot> frames)
{
    if (playbinsStoppingElsewhere.fetch_add(1) >= MaxPlaybinsStoppingElsewhere) {
        --playbinsStoppingElsewhere;
        stopPlaybin(std::move(playbin), std::move(bus), frames);
        return;
    }
    // A task must be copyable: the handles travel bare and are owned again inside.
    QThreadPool::globalInstance()->start([element = playbin.release(), busHandle = bus.release(), frames] {
        stopPlaybin(GstElementPtr(element), GstBusPtr(busHandle), frames);
        --playbinsStoppingElsewhere;
    });
}

} // namespace

MediaGraph::~MediaGraph()
{
    delete m_window.data();
    if (m_relay) {
        QMutexLocker lock(&m_relay->mutex);
        m_relay->receiver = nullptr;
    }
    // Ends the volume updates and drops the queued calls that have not run.
    m_connections.reset();
    if (m_playbin)
        releasePlaybin(std::move(m_playbin), std::move(m_bus), m_frames);
}

bool MediaGraph::RenderFile(const QString &fileName, std::function<void(bool prerolled)> prerolled)
{
    if (m_playbin)
        return false; // one file per graph
    // A FIFO or a device would hold the pipeline for as long as the other
    // side pleases: only regular files are played.
    if (!IsRegularFile(fileName))
        return false;
    m_fileName = fileName;
    GstElement *playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin)
        return false;
    m_playbin.reset(GST_ELEMENT(gst_object_ref_sink(playbin)));

    const QString uri = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString(QUrl::FullyEncoded);
    g_object_set(playbin, "uri", uri.toUtf8().constData(), nullptr);
    if (GstElement *videoOutput = makeVideoOutput(m_frames.get()))
        g_object_set(playbin, "video-sink", videoOutput, nullptr);
    g_signal_connect(playbin, "element-setup", G_CALLBACK(onElementSetup), nullptr);

    m_connections = std::make_unique<QObject>();
    QObject::connect(&WaveVolume::process(), &WaveVolume::changed, m_connections.get(), [this] { applyVolume(); });
    applyVolume();

    m_bus.reset(gst_element_get_bus(playbin));
    m_relay = new BusRelay;
    m_relay->receiver = m_connections.get();
    m_relay->graph = this;
    gst_bus_set_sync_handler(m_bus.get(), onBusMessage, m_relay,
                             [](gpointer relay) { delete static_cast<BusRelay *>(relay); });
    if (gst_element_set_state(playbin, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return false;
    m_prerolled = std::move(prerolled);
    m_prerollTimeout.setSingleShot(true);
    m_prerollTimeout.setInterval(PrerollTimeoutMs);
    // Queued like the bus's replies, so whichever comes first ends the preroll.
    QObject::connect(&m_prerollTimeout, &QTimer::timeout, m_connections.get(), [this] { endPreroll(false); },
                     Qt::QueuedConnection);
    m_prerollTimeout.start();
    return true;
}

GstBusSyncReply MediaGraph::onBusMessage(GstBus *, GstMessage *message, gpointer data)
{
    // On whichever thread posts: only the news that the preroll ended (or a
    // later seek settled, which the graph then ignores) crosses, queued to
    // the graph's thread. Every message stays on the bus for readMessages,
    // which takes the tags and errors and drops the rest.
    auto *relay = static_cast<BusRelay *>(data);
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_ASYNC_DONE || type == GST_MESSAGE_ERROR) {
        const bool prerolled = type == GST_MESSAGE_ASYNC_DONE;
        QMutexLocker lock(&relay->mutex);
        if (relay->receiver)
            QMetaObject::invokeMethod(
                relay->receiver, [graph = relay->graph, prerolled] { graph->endPreroll(prerolled); },
                Qt::QueuedConnection);
    }
    return GST_BUS_PASS;
}

void MediaGraph::endPreroll(bool prerolled)
{
    if (!m_prerolled)
        return;
    m_prerollTimeout.stop();
    if (prerolled)
        readStreamFacts();
    // Told last and from a copy: the one told may release this graph.
    const std::function<void(bool)> tell = std::exchange(m_prerolled, nullptr);
    tell(prerolled);
}

void MediaGraph::readStreamFacts()
{
    GstElement *playbin = m_playbin.get();
    queryDuration(playbin, m_duration);

    gint videoStreams = 0;
    g_object_get(playbin, "n-video", &videoStreams, nullptr);
    m_hasVideo = videoStreams > 0;
    if (!m_hasVideo)
        return;

    GstPad *rawPad = nullptr;
    g_signal_emit_by_name(playbin, "get-video-pad", 0, &rawPad);
    GstPadPtr pad(rawPad);
    if (pad) {
        GstCapsPtr caps(gst_pad_get_current_caps(pad.get()));
        if (caps && gst_caps_get_size(caps.get()) > 0) {
            const GstStructure *format = gst_caps_get_structure(caps.get(), 0);
            gst_structure_get_int(format, "width", &m_width);
            gst_structure_get_int(format, "height", &m_height);
            gint numerator = 0, denominator = 1;
            if (gst_structure_get_fraction(format, "framerate", &numerator, &denominator) && numerator > 0)
                m_frameSeconds = double(denominator) / numerator;
        }
    }

    GstTagList *rawTags = nullptr;
    g_signal_emit_by_name(playbin, "get-video-tags", 0, &rawTags);
    GstTagListPtr tags(rawTags);
    guint bitRate = 0;
    if (tags && !gst_tag_list_get_uint(tags.get(), GST_TAG_BITRATE, &bitRate))
        gst_tag_list_get_uint(tags.get(), GST_TAG_NOMINAL_BITRATE, &bitRate);
    if (bitRate == 0 && m_duration > 0) {
        // Streams that carry no rate: the file's average.
        const qint64 bits = QFileInfo(m_fileName).size() * 8;
        bitRate = guint(std::min<qint64>(INT32_MAX, bits * 10'000'000 / m_duration));
    }
    m_bitRate = std::int32_t(std::min<guint>(bitRate, INT32_MAX));
}

void MediaGraph::readMessages()
{
    if (!m_bus)
        return;
    const auto wanted =
        GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_DURATION_CHANGED | GST_MESSAGE_TAG);
    while (GstMessagePtr message{gst_bus_pop_filtered(m_bus.get(), wanted)}) {
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_DURATION_CHANGED)
            queryDuration(m_playbin.get(), m_duration);
        else if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_TAG)
            takeTags(message.get());
        else
            m_ended = true;
    }
}

void MediaGraph::takeTags(GstMessage *message)
{
    GstTagList *raw = nullptr;
    gst_message_parse_tag(message, &raw);
    GstTagListPtr tags(raw);
    if (!tags)
        return;
    // A later tag of the same name (a stream that retitles itself) wins.
    m_tags.reset(m_tags ? gst_tag_list_merge(m_tags.get(), tags.get(), GST_TAG_MERGE_REPLACE) : tags.release());
}

bool MediaGraph::tagText(const char *tag, QString &text)
{
    // The tags are read from the bus here, on the user-interface thread, as
    // the clock reads the other messages.
    readMessages();
    gchar *value = nullptr;
    if (!m_tags || !gst_tag_list_get_string(m_tags.get(), tag, &value))
        return false;
    text = QString::fromUtf8(value).trimmed();
    g_free(value);
    return !text.isEmpty();
}

bool MediaGraph::get_Title(QString &title)
{
    return tagText(GST_TAG_TITLE, title);
}

bool MediaGraph::get_AuthorName(QString &author)
{
    return tagText(GST_TAG_ARTIST, author);
}

void MediaGraph::applyVolume()
{
    const WaveVolume &volume = WaveVolume::process();
    const double level = (double(volume.left()) + double(volume.right())) / 2.0 / 65535.0;
    g_object_set(m_playbin.get(), "volume", level, nullptr);
}

REFERENCE_TIME MediaGraph::knownDuration() const
{
    return m_duration < 0 ? UnknownDuration : m_duration;
}

bool MediaGraph::Run()
{
    return m_playbin && gst_element_set_state(m_playbin.get(), GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool MediaGraph::Pause()
{
    return m_playbin && gst_element_set_state(m_playbin.get(), GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

bool MediaGraph::GetDuration(REFERENCE_TIME &duration)
{
    if (!m_playbin)
        return false;
    readMessages();
    if (m_duration < 0)
        queryDuration(m_playbin.get(), m_duration);
    duration = knownDuration();
    return true;
}

bool MediaGraph::GetCurrentPosition(REFERENCE_TIME &position)
{
    REFERENCE_TIME end = 0;
    if (!GetDuration(end))
        return false;
    if (m_ended) {
        position = end;
        return true;
    }
    gint64 nanoseconds = 0;
    gst_element_query_position(m_playbin.get(), GST_FORMAT_TIME, &nanoseconds);
    const REFERENCE_TIME raw = nanoseconds / 100;
    if (raw >= end && end != UnknownDuration) {
        if (!m_pastEnd.isValid())
            m_pastEnd.start();
        if (m_pastEnd.elapsed() >= StallAtEndMs)
            m_ended = true;
    } else {
        m_pastEnd.invalidate();
    }
    // Until the stream has ended the position stays short of the end, so a
    // length that was underestimated never cuts an item short.
    position = m_ended ? end : std::max<REFERENCE_TIME>(0, std::min(raw, end - 1));
    return true;
}

bool MediaGraph::GetStopPosition(REFERENCE_TIME &stop)
{
    return GetDuration(stop);
}

bool MediaGraph::SetPositions(REFERENCE_TIME *current, unsigned currentFlags, REFERENCE_TIME *, unsigned)
{
    if (!m_playbin || !current || !(currentFlags & AM_SEEKING_AbsolutePositioning))
        return false;
    REFERENCE_TIME target = std::max<REFERENCE_TIME>(0, *current);
    if (m_duration >= 0)
        target = std::min(target, m_duration);
    m_ended = false;
    m_pastEnd.invalidate();
    return gst_element_seek_simple(m_playbin.get(), GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), target * 100);
}

bool MediaGraph::GetVideoSize(std::int32_t &width, std::int32_t &height)
{
    if (!m_hasVideo)
        return false;
    width = m_width;
    height = m_height;
    return true;
}

bool MediaGraph::get_BitRate(std::int32_t &bitsPerSecond)
{
    if (!m_hasVideo)
        return false;
    bitsPerSecond = m_bitRate;
    return true;
}

bool MediaGraph::get_AvgTimePerFrame(double &seconds)
{
    if (!m_hasVideo)
        return false;
    seconds = m_frameSeconds;
    return true;
}

bool MediaGraph::get_Visible(bool &visible)
{
    if (!m_hasVideo)
        return false;
    visible = m_window && m_window->isVisible();
    return true;
}

bool MediaGraph::put_Owner(QWidget *owner)
{
    if (!m_hasVideo || !owner)
        return false;
    if (!m_window) {
        m_window = new VideoWindow(m_frames);
        QObject::connect(m_window.data(), &VideoWindow::shownSizeChanged, m_connections.get(),
                         [this](QSize pixels) { setVideoOutputSize(m_playbin.get(), pixels); });
        // A window its owner destroys sees nothing more.
        QObject::connect(m_window.data(), &QObject::destroyed, m_connections.get(),
                         [this] { setVideoOutputSize(m_playbin.get(), QSize()); });
    }
    m_window->setParent(owner);
    m_window->raise();
    m_window->show();
    return true;
}

bool MediaGraph::SetWindowPosition(int left, int top, int width, int height)
{
    if (!m_window)
        return false;
    m_window->setGeometry(left, top, width, height);
    return true;
}
