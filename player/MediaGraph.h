#pragma once

#include "player/GstHandles.h"
#include "player/MediaInterfaces.h"
#include "player/VideoWindow.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <memory>


// One media graph on a GStreamer playbin: every face of MediaInterfaces.h.
// Lives on the user-interface thread; only decoded video frames cross from
// the streaming thread, through a FrameSlot, and the end of the preroll,
// through a queued call. Its playbin is stopped and released on a worker
// thread once the graph goes.
class MediaGraph final : public IGraphBuilder,
                         public IMediaControl,
                         public IMediaSeeking,
                         public IMediaEvent,
                         public IBasicAudio,
                         public IBasicVideo,
                         public IAMMediaContent,
                         public IVideoWindow {
public:
    // How long the preroll RenderFile starts may take before the file counts
    // as one that cannot be played.
    static constexpr int PrerollTimeoutMs = 10000;
    // A position that stays at or past the end this long without the stream
    // ending counts as the end, so a stalled stream cannot hold an item.
    static constexpr int StallAtEndMs = 1000;
    // The duration reported while the stream's length is unknown.
    static constexpr REFERENCE_TIME UnknownDuration = INT64_MAX;

    MediaGraph();
    ~MediaGraph() override;
    MediaGraph(const MediaGraph &) = delete;
    MediaGraph &operator=(const MediaGraph &) = delete;

    bool RenderFile(const QString &fileName, std::function<void(bool prerolled)> prerolled) override;
    bool Run() override;
    bool Pause() override;

    bool GetDuration(REFERENCE_TIME &duration) override;
    bool GetCurrentPosition(REFERENCE_TIME &position) override;
    bool GetStopPosition(REFERENCE_TIME &stop) override;
    bool SetPositions(REFERENCE_TIME *current, unsigned currentFlags, REFERENCE_TIME *stop,
                      unsigned stopFlags) override;

    bool GetVideoSize(std::int32_t &width, std::int32_t &height) override;
    bool get_BitRate(std::int32_t &bitsPerSecond) override;
    bool get_AvgTimePerFrame(double &seconds) override;

    bool get_Title(QString &title) override;
    bool get_AuthorName(QString &author) override;

    bool get_Visible(bool &visible) override;
    bool put_Owner(QWidget *owner) override;
    bool SetWindowPosition(int left, int top, int width, int height) override;

    // The playbin, for tests that watch its lifetime.
    GstElement *element() const { return m_playbin.get(); }
    // The video window, once it has an owner.
    VideoWindow *videoWindow() const { return m_window.data(); }

private:
    struct BusRelay;
    static GstBusSyncReply onBusMessage(GstBus *bus, GstMessage *message, gpointer relay);
    void endPreroll(bool prerolled);
    void readStreamFacts();
    void readMessages();
    void takeTags(GstMessage *message);
    bool tagText(const char *tag, QString &text);
    void applyVolume();
    REFERENCE_TIME knownDuration() const;

    GstElementPtr m_playbin;
    GstBusPtr m_bus;
    BusRelay *m_relay = nullptr; // owned by the bus's sync handler
    std::shared_ptr<FrameSlot> m_frames;
    QPointer<VideoWindow> m_window;
    // Volume updates and queued calls from the bus end with the graph.
    std::unique_ptr<QObject> m_connections;
    std::function<void(bool)> m_prerolled; // set while the preroll runs
    QTimer m_prerollTimeout;
    QString m_fileName;
    GstTagListPtr m_tags; // every tag the bus has brought so far

    REFERENCE_TIME m_duration = -1; // -1: not known yet
    bool m_ended = false;
    QElapsedTimer m_pastEnd;
    bool m_hasVideo = false;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_bitRate = 0;
    double m_frameSeconds = 0;
};
