#include "platform/WaveVolume.h"
#include "player/MediaGraph.h"
#include "player/TDSMP.h"
#include "GraphStart.h"
#include "MediaFiles.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace {
constexpr REFERENCE_TIME Second = 10'000'000;

REFERENCE_TIME position()
{
    REFERENCE_TIME pos = -1;
    DSMP.Seeking->GetCurrentPosition(pos);
    return pos;
}

MediaGraph *graph()
{
    return dynamic_cast<MediaGraph *>(DSMP.Graph.get());
}

// The caps of the frames reaching the video output's sink, once any have.
GstCapsPtr outputCaps()
{
    GstElement *rawOutput = nullptr;
    g_object_get(graph()->element(), "video-sink", &rawOutput, nullptr);
    GstElementPtr output(rawOutput);
    GstElementPtr sink(output && GST_IS_BIN(output.get()) ? gst_bin_get_by_name(GST_BIN(output.get()), "video-output")
                                                           : nullptr);
    GstPadPtr pad(sink ? gst_element_get_static_pad(sink.get(), "sink") : nullptr);
    return GstCapsPtr(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
}

// The size of the frames the video output hands on, when they are BGRx
// (as the window paints them); empty for frames left unconverted.
QSize convertedFrameSize()
{
    GstCapsPtr caps = outputCaps();
    if (!caps || gst_caps_get_size(caps.get()) == 0)
        return QSize();
    const GstStructure *format = gst_caps_get_structure(caps.get(), 0);
    int width = 0, height = 0;
    if (g_strcmp0(gst_structure_get_string(format, "format"), "BGRx") != 0 ||
        !gst_structure_get_int(format, "width", &width) || !gst_structure_get_int(format, "height", &height))
        return QSize();
    return QSize(width, height);
}

void markGone(gpointer flag, GObject *)
{
    *static_cast<bool *>(flag) = true;
}
} // namespace

class MediaTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const char *name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase();
    void cleanup();
    void openReadsFacts_data();
    void openReadsFacts();
    void positionAdvancesInRealTime();
    void seekIsAccurateAndClamped();
    void endOfStreamReadsAsDuration_data();
    void endOfStreamReadsAsDuration();
    void secondOpenReleasesTheFirst();
    void eventsGoOnWhileAGraphPrerolls();
    void aGraphDroppedWhilePrerollingIsNeverHeardOf();
    void unplayableFilesFailQuickly_data();
    void unplayableFilesFailQuickly();
    void unknownLengthPlaysToItsEnd_data();
    void unknownLengthPlaysToItsEnd();
    void videoFillsItsOwner();
    void framesComeAtTheWindowsSize();
    void conversionSizeRules();
    void volumeFollowsTheOutputVolume();
    void tagsOfTheStream();
};

void MediaTest::initTestCase()
{
    gst_init(nullptr, nullptr);
    QVERIFY(MediaFiles::make(MediaFiles::Wav, file("tone.wav")));
    QVERIFY(MediaFiles::make(MediaFiles::Mp3, file("tone.mp3")));
    QVERIFY(MediaFiles::make(MediaFiles::Wma, file("tone.wma")));
    QVERIFY(MediaFiles::make(MediaFiles::Avi, file("red.avi")));
    QVERIFY(MediaFiles::make(MediaFiles::Mpg, file("clip.mpg")));
    QVERIFY(MediaFiles::make(MediaFiles::StreamMka, file("stream.mka")));
    QVERIFY(MediaFiles::make(MediaFiles::BareMp3, file("bare.mp3")));
    QVERIFY(MediaFiles::make(MediaFiles::Flac, file("tone.flac")));
    QVERIFY(MediaFiles::make(MediaFiles::Opus, file("tone.opus")));
    QVERIFY(MediaFiles::make(MediaFiles::Mp4, file("red.mp4")));
    QVERIFY(MediaFiles::make(MediaFiles::Webm, file("red.webm")));
    // Long enough for a window to be resized and hidden while it plays.
    QVERIFY(MediaFiles::make("videotestsrc num-buffers=300 ! video/x-raw,width=320,height=240,framerate=10/1"
                             " ! jpegenc ! avimux ! filesink location=\"%1\"",
                             file("long.avi")));
    QVERIFY(MediaFiles::make(MediaFiles::tone(2) + R"( ! lamemp3enc ! taginject tags="title=\"A Title\",artist=\"An Artist\"")"
                                                   " ! id3v2mux ! filesink location=\"%1\"",
                             file("tagged.mp3")));
    TestFiles::write(file("tune.mid"), MediaFiles::midiTune());
    TestFiles::write(file("empty.mp3"), QByteArray());
    QByteArray junk(20000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 2654435761u) >> 13);
    TestFiles::write(file("junk.avi"), junk);
    TestFiles::write(file("notes.wav"), "These are not sounds, only words.\n");
}

void MediaTest::cleanup()
{
    FreeGraph(DSMP);
    WaveVolume::process().setVolume(WaveVolume::Full);
}

void MediaTest::openReadsFacts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("video");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<float>("frameRate");
    QTest::addColumn<double>("seconds"); // 0: only check it is known
    QTest::newRow("wav") << "tone.wav" << false << 0 << 0 << 0.0f << 2.0;
    QTest::newRow("mp3") << "tone.mp3" << false << 0 << 0 << 0.0f << 2.0;
    QTest::newRow("wma") << "tone.wma" << false << 0 << 0 << 0.0f << 2.0;
    QTest::newRow("avi") << "red.avi" << true << 320 << 240 << 25.0f << 2.0;
    QTest::newRow("mpg") << "clip.mpg" << true << 352 << 288 << 25.0f << 0.0;
    QTest::newRow("midi") << "tune.mid" << false << 0 << 0 << 0.0f << 0.0;
    QTest::newRow("flac") << "tone.flac" << false << 0 << 0 << 0.0f << 2.0;
    QTest::newRow("opus") << "tone.opus" << false << 0 << 0 << 0.0f << 2.0;
    QTest::newRow("mp4 (H.264, AAC)") << "red.mp4" << true << 320 << 240 << 25.0f << 2.0;
    QTest::newRow("webm (VP8, Vorbis)") << "red.webm" << true << 320 << 240 << 25.0f << 2.0;
}

void MediaTest::openReadsFacts()
{
    QFETCH(QString, name);
    QFETCH(bool, video);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(float, frameRate);
    QFETCH(double, seconds);

    QVERIFY(GraphStart::open(m_dir.filePath(name)));
    QVERIFY(DSMP.Opened);
    QVERIFY(DSMP.Graph && DSMP.Control && DSMP.Seeking && DSMP.Event);
    QVERIFY(DSMP.Audio && DSMP.Video && DSMP.Window); // present for audio-only files too
    QCOMPARE(DSMP.HasVideo, video);
    QCOMPARE(DSMP.VideoWidth, width);
    QCOMPARE(DSMP.VideoHeight, height);
    QCOMPARE(DSMP.FrameRate, frameRate);
    QCOMPARE(DSMP.BitRate > 0, video);

    REFERENCE_TIME duration = 0;
    QVERIFY(DSMP.Seeking->GetDuration(duration));
    QVERIFY(duration > 0 && duration != MediaGraph::UnknownDuration);
    if (seconds > 0)
        QVERIFY2(qAbs(duration - REFERENCE_TIME(seconds * Second)) < Second / 10, qPrintable(QString::number(duration)));
}

void MediaTest::positionAdvancesInRealTime()
{
    QWidget owner;
    QVERIFY(GraphStart::start(file("tone.wav"), &owner));
    QVERIFY(qAbs(Duration - 2 * Second) < Second / 10);
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(700);
    const REFERENCE_TIME pos = position();
    const REFERENCE_TIME elapsed = clock.elapsed() * 10'000;
    QVERIFY2(pos > Second / 5 && pos <= elapsed + Second / 10, qPrintable(QString::number(pos)));

    // Paused, the position stands still.
    QVERIFY(DSMP.Control->Pause());
    QTest::qWait(100);
    const REFERENCE_TIME paused = position();
    QTest::qWait(300);
    QVERIFY(qAbs(position() - paused) < Second / 50);
}

void MediaTest::seekIsAccurateAndClamped()
{
    QVERIFY(GraphStart::open(file("tone.mp3")));
    REFERENCE_TIME stop = 0;
    QVERIFY(DSMP.Seeking->GetStopPosition(stop));
    REFERENCE_TIME target = Second;
    QVERIFY(DSMP.Seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(position() - Second) < Second / 50, 3000);

    target = -5 * Second;
    QVERIFY(DSMP.Seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    QTRY_VERIFY_WITH_TIMEOUT(position() < Second / 50, 3000);

    // Far past the end: the graph stops at the stop position and ends.
    target = 1000 * Second;
    QVERIFY(DSMP.Seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    DSMP.Control->Run();
    QTRY_COMPARE_WITH_TIMEOUT(position(), stop, 4000);
}

void MediaTest::endOfStreamReadsAsDuration_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"tone.wav", "tone.flac", "tone.opus", "red.mp4", "red.webm"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void MediaTest::endOfStreamReadsAsDuration()
{
    QFETCH(QString, name);
    QWidget owner;
    owner.resize(160, 120);
    QVERIFY(GraphStart::start(m_dir.filePath(name), &owner));
    QVERIFY(position() < Duration);
    QTRY_COMPARE_WITH_TIMEOUT(position(), Duration, 5000);
    QCOMPARE(position(), Duration); // and stays there
}

void MediaTest::secondOpenReleasesTheFirst()
{
    QWidget owner;
    owner.resize(160, 120);
    QVERIFY(GraphStart::start(file("red.avi"), &owner));
    bool playbinGone = false;
    g_object_weak_ref(G_OBJECT(graph()->element()), markGone, &playbinGone);
    QPointer<QWidget> video = graph()->videoWindow();
    QVERIFY(video);
    std::weak_ptr<IGraphBuilder> first = DSMP.Graph;

    // Released as the second open begins, before it has prerolled; its
    // playbin goes on a worker thread.
    const GraphStart::Told told = std::make_shared<std::optional<bool>>();
    OpenGraph(DSMP, file("tone.wav"), [told](bool opened) { *told = opened; });
    QVERIFY(first.expired());
    QVERIFY(!video);
    QTRY_VERIFY(playbinGone);
    QVERIFY(GraphStart::wait(told));

    FreeGraph(DSMP);
    QVERIFY(!DSMP.Graph && !DSMP.Control && !DSMP.Seeking && !DSMP.Window);
    FreeGraph(DSMP); // on an empty record: nothing
}

// The preroll runs while the event loop does: a MIDI file loads its
// soundfont and renders its first sound meanwhile.
void MediaTest::eventsGoOnWhileAGraphPrerolls()
{
    const GraphStart::Told told = std::make_shared<std::optional<bool>>();
    OpenGraph(DSMP, file("tune.mid"), [told](bool opened) { *told = opened; });
    QVERIFY(!told->has_value());
    QVERIFY(DSMP.Graph);
    QVERIFY(!DSMP.Control && !DSMP.Seeking); // no face until it has prerolled
    // An event posted now runs before the answer: the preroll did not hold the thread.
    bool ranUnanswered = false;
    QTimer::singleShot(0, [&ranUnanswered, told] { ranUnanswered = !told->has_value(); });
    QVERIFY(GraphStart::wait(told));
    QVERIFY(ranUnanswered);
    QVERIFY(DSMP.Control && DSMP.Seeking);
}

void MediaTest::aGraphDroppedWhilePrerollingIsNeverHeardOf()
{
    bool told = false;
    OpenGraph(DSMP, file("tune.mid"), [&told](bool) { told = true; });
    bool playbinGone = false;
    g_object_weak_ref(G_OBJECT(graph()->element()), markGone, &playbinGone);
    FreeGraph(DSMP);
    QVERIFY(!DSMP.Graph);
    QTRY_VERIFY(playbinGone);

    // A newer open drops an older one the same way.
    OpenGraph(DSMP, file("tune.mid"), [&told](bool) { told = true; });
    QVERIFY(GraphStart::open(file("tone.wav")));
    // Long enough for the MIDI file to have prerolled had it been kept.
    QTest::qWait(1000);
    QVERIFY(!told);
}

void MediaTest::unplayableFilesFailQuickly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "no such file.mp3";
    QTest::newRow("empty") << "empty.mp3";
    QTest::newRow("junk bytes") << "junk.avi";
    QTest::newRow("text named wav") << "notes.wav";
    QTest::newRow("a folder") << ".";
}

void MediaTest::unplayableFilesFailQuickly()
{
    QFETCH(QString, name);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!GraphStart::open(m_dir.filePath(name)));
    QVERIFY(clock.elapsed() < 3000);
    QVERIFY(!DSMP.Graph && !DSMP.Control && !DSMP.Seeking);
    QVERIFY(!DSMP.Opened);
    QWidget owner;
    QVERIFY(!GraphStart::start(m_dir.filePath(name), &owner));
}

void MediaTest::unknownLengthPlaysToItsEnd_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("unknown");
    // Matroska written for streaming starts with too short a length; bare
    // MP3 frames start with none.
    QTest::newRow("streamed matroska") << "stream.mka" << false;
    QTest::newRow("bare mp3 frames") << "bare.mp3" << true;
}

void MediaTest::unknownLengthPlaysToItsEnd()
{
    QFETCH(QString, name);
    QFETCH(bool, unknown);
    QWidget owner;
    QVERIFY(GraphStart::start(m_dir.filePath(name), &owner));
    QCOMPARE(Duration == MediaGraph::UnknownDuration, unknown);
    // Whatever the length reads at the start, the item is not over before the
    // stream is: two seconds of sound play first.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        RefreshDuration();
        if (position() >= Duration)
            break;
        QVERIFY(clock.elapsed() < 6000);
        QTest::qWait(50);
    }
    QVERIFY2(clock.elapsed() > 1700, qPrintable(QString::number(clock.elapsed())));
}

void MediaTest::videoFillsItsOwner()
{
    QWidget owner;
    owner.setStyleSheet("background: blue");
    owner.resize(200, 150);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QVERIFY(GraphStart::start(file("red.avi"), &owner));
    QVERIFY(DSMP.HasVideo);
    const auto isRed = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
    QTRY_VERIFY_WITH_TIMEOUT(isRed(owner.grab().toImage().pixel(100, 75)), 3000);
    const QImage shot = owner.grab().toImage();
    for (const QPoint corner : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 149), QPoint(199, 149)})
        QVERIFY2(isRed(shot.pixel(corner)), qPrintable(QString::number(shot.pixel(corner), 16)));

    // Resizing the owner and placing the video again keeps it filling.
    owner.resize(300, 100);
    DSMP.Window->SetWindowPosition(0, 0, 300, 100);
    QTRY_VERIFY_WITH_TIMEOUT(isRed(owner.grab().toImage().pixel(299, 99)), 3000);
}

void MediaTest::framesComeAtTheWindowsSize()
{
    QWidget owner;
    owner.resize(64, 48);
    QVERIFY(GraphStart::open(file("long.avi")));
    SetVideoOwner(DSMP, &owner);
    DSMP.Window->SetWindowPosition(0, 0, 64, 48);
    DSMP.Control->Run();
    // Not shown yet: the frames go by unconverted.
    QTRY_VERIFY_WITH_TIMEOUT(outputCaps(), 5000);
    QCOMPARE(convertedFrameSize(), QSize());

    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QTRY_COMPARE_WITH_TIMEOUT(convertedFrameSize(), QSize(64, 48), 5000);
    // A resize renegotiates the frames' size.
    owner.resize(40, 30);
    DSMP.Window->SetWindowPosition(0, 0, 40, 30);
    QTRY_COMPARE_WITH_TIMEOUT(convertedFrameSize(), QSize(40, 30), 5000);
    // The picture is painted as it came: a plain copy at the window's size.
    QTRY_VERIFY_WITH_TIMEOUT(graph()->videoWindow()->grab().toImage().pixel(0, 0) != qRgb(0, 0, 0), 5000);
    // Hidden, nothing is converted any more.
    owner.hide();
    QTRY_COMPARE_WITH_TIMEOUT(convertedFrameSize(), QSize(), 5000);
}

void MediaTest::conversionSizeRules()
{
    GstCapsPtr small = VideoOutputCaps(QSize(320, 200));
    GstCapsPtr wanted(gst_caps_from_string("video/x-raw,format=BGRx,width=320,height=200,pixel-aspect-ratio=1/1"));
    QVERIFY(gst_caps_is_equal(small.get(), wanted.get()));
    GstCapsPtr none = VideoOutputCaps(QSize());
    GstCapsPtr any(gst_caps_from_string("video/x-raw"));
    QVERIFY(gst_caps_is_equal(none.get(), any.get()));

    QCOMPARE(ConversionThreads(QSize(328, 267), 8), 1);
    QCOMPARE(ConversionThreads(QSize(1920, 1080), 8), MaxConversionThreads);
    QCOMPARE(ConversionThreads(QSize(1920, 1080), 2), 2);
    QCOMPARE(ConversionThreads(QSize(1920, 1080), 0), 1);
}

void MediaTest::volumeFollowsTheOutputVolume()
{
    WaveVolume::process().setVolume(0x8000u + 0x8000u * 65536u);
    QVERIFY(GraphStart::open(file("tone.wav")));
    const auto level = [] {
        gdouble volume = -1;
        g_object_get(graph()->element(), "volume", &volume, nullptr);
        return volume;
    };
    QVERIFY(qAbs(level() - 0.5) < 0.01);
    WaveVolume::process().setVolume(WaveVolume::Full);
    QVERIFY(qAbs(level() - 1.0) < 0.01);
}

// The title and artist tags the stream carries, read from the bus's TAG
// messages; a stream without them has none.
void MediaTest::tagsOfTheStream()
{
    QVERIFY(GraphStart::open(file("tagged.mp3")));
    QVERIFY(DSMP.Content);
    QString title, artist;
    QVERIFY(DSMP.Content->get_Title(title));
    QCOMPARE(title, QString("A Title"));
    QVERIFY(DSMP.Content->get_AuthorName(artist));
    QCOMPARE(artist, QString("An Artist"));

    QVERIFY(GraphStart::open(file("tone.wav")));
    title.clear();
    QVERIFY(!DSMP.Content->get_Title(title));
    QVERIFY(title.isEmpty());
    QVERIFY(!DSMP.Content->get_AuthorName(artist));
    FreeGraph(DSMP);
    QVERIFY(!DSMP.Content);
}

QTEST_MAIN(MediaTest)
#include "tst_media.moc"
