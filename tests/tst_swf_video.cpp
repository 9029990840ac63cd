// Video in movies: embedded streams (DefineVideoStream, VideoFrame) drawn
// by the renderer, the Video object scripts see, and NetStream playing an
// FLV file beside the movie. The pictures are encoded here by GStreamer,
// each of one colour, so what the stage shows can be told by its colour.
#include "ScriptCases.h"
#include "VideoWriter.h"
#include "swf/MoviePlayer.h"
#include "swf/Renderer.h"
#include "swf/SoundMixer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;
using namespace VideoWriter;

namespace {

const QColor Red(255, 0, 0), Green(0, 255, 0), Blue(0, 0, 255), White(255, 255, 255);
const QSize Encoded(64, 48);
// Colours come back through YUV and lossy coding: within this of each channel.
constexpr int Tolerance = 24;
constexpr int StreamId = 1, Depth = 1;

// With TESSARO_SEED_DIR set, every movie made here is kept there too, as
// fuzzing seeds (tools/fuzz-swf.sh) with video tags.
void keepSeed(const QByteArray &file)
{
    static int count = 0;
    const QString folder = qEnvironmentVariable("TESSARO_SEED_DIR");
    if (folder.isEmpty())
        return;
    QFile seed(QStringLiteral("%1/video-%2.swf").arg(folder).arg(++count));
    if (seed.open(QIODevice::WriteOnly))
        seed.write(file);
}

bool near(QRgb pixel, const QColor &c)
{
    return std::abs(qRed(pixel) - c.red()) <= Tolerance && std::abs(qGreen(pixel) - c.green()) <= Tolerance &&
           std::abs(qBlue(pixel) - c.blue()) <= Tolerance;
}

QString describe(QRgb p) { return QStringLiteral("(%1, %2, %3)").arg(qRed(p)).arg(qGreen(p)).arg(qBlue(p)); }

// A movie run in FOLDER: its traces, and the stage drawn after each visit.
class Run {
public:
    Run(const QString &folder, const QByteArray &tags, int version = 8)
    {
        const QByteArray file = movie(tags, version);
        keepSeed(file);
        m_player.setMovieFile(folder + QStringLiteral("/video.swf"));
        m_player.onTrace = [this](const QString &line) { traces << line; };
        m_player.load(file, &m_error);
    }
    void advance(int frames)
    {
        for (int i = 0; i < frames; ++i)
            m_player.advance();
    }
    swf::MoviePlayer &player() { return m_player; }
    QImage stage()
    {
        QImage image(QSize(200, 150), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        if (m_player.movie())
            swf::Renderer(*m_player.movie()).render(image, m_player.root(), QTransform::fromScale(0.05, 0.05));
        return image;
    }
    QStringList traces;

private:
    swf::MoviePlayer m_player;
    QString m_error;
};

// The pictures of COUNT frames of COLOR, as the tags carry them.
std::vector<QByteArray> pictures(Codec codec, const QColor &color, int count, const QString &folder)
{
    if (codec == ScreenVideo2)
        return encodePictures(codec, color, Encoded, count, folder);
    return flvPictures(encodeFlv(codec, color, Encoded, count, folder + QStringLiteral("/pictures.flv")));
}

// A stream of PICTURES, one a frame, the video placed at the stage's origin
// scaled by SCALE and showing each frame's own picture.
QByteArray streamMovie(const std::vector<QByteArray> &pictures, Codec codec, QSize declared, double scale = 1,
                       int flags = 0)
{
    QByteArray tags = background(Qt::white) + defineStream(StreamId, int(pictures.size()), declared, codec, flags) +
                      place(Place(Depth, StreamId).scaled(scale));
    for (size_t i = 0; i < pictures.size(); ++i)
        tags += videoFrame(StreamId, int(i), pictures[i]) + showPicture(Depth, int(i)) + showFrame();
    return tags;
}

// trace(the sorted names for..in lists of OBJECT).
QString traceListing(const QString &object)
{
    return QStringLiteral("push \"props\", 0\ninitarray\nsetvariable\n") + ScriptCases::path(object) +
           QStringLiteral("enumerate2\nnext:\nstoreregister 0\npush null\nequals2\nif done\n"
                          "push r0, 1, \"props\"\ngetvariable\npush \"push\"\ncallmethod\npop\njump next\n"
                          "done:\npush 0, \"props\"\ngetvariable\npush \"sort\"\ncallmethod\npop\n"
                          "push \"props\"\ngetvariable\ntrace\n");
}

// nc = new NetConnection(); nc.connect(null); ns = new NetStream(nc), whose
// onStatus traces each code and onMetaData the members named.
QString openStream(const QStringList &metaData = {})
{
    QString metaBody;
    for (const QString &name : metaData)
        metaBody += QStringLiteral("push \"m\"\ngetvariable\npush \"%1\"\ngetmember\ntrace\n").arg(name);
    return ScriptCases::newObject(QStringLiteral("nc"), QStringLiteral("NetConnection")) +
           QStringLiteral("push null, 1, \"nc\"\ngetvariable\npush \"connect\"\ncallmethod\npop\n") +
           QStringLiteral("push \"ns\", \"nc\"\ngetvariable\npush 1, \"NetStream\"\nnewobject\nsetvariable\n") +
           ScriptCases::setMember(QStringLiteral("ns"), QStringLiteral("onStatus"),
                                  QStringLiteral("function (info)\npush \"info\"\ngetvariable\npush \"code\"\n"
                                                 "getmember\ntrace\nend")) +
           ScriptCases::setMember(QStringLiteral("ns"), QStringLiteral("onMetaData"),
                                  QStringLiteral("function (m)\n") + metaBody + QStringLiteral("end"));
}

QString playStream(const QString &file)
{
    return QStringLiteral("push \"%1\", 1, \"ns\"\ngetvariable\npush \"play\"\ncallmethod\npop\n").arg(file);
}

// An FLV file of no pictures whose onMetaData holds a date (0 ms) and a width of 7.
QByteArray flvOfMetaData()
{
    const auto text = [](const QByteArray &s) { return QByteArray(1, char(s.size() >> 8)) + char(s.size()) + s; };
    const auto be = [](quint64 v, int bytes) {
        QByteArray out;
        for (int i = bytes - 1; i >= 0; --i)
            out += char(v >> (8 * i));
        return out;
    };
    const QByteArray zero(8, '\0'), seven = QByteArray::fromHex("401c000000000000");
    const QByteArray data = "\x02" + text("onMetaData") + "\x08" + be(2, 4) + text("created") + "\x0b" + zero +
                            be(0, 2) + text("width") + QByteArray(1, '\0') + seven + be(0, 2) + "\x09";
    return QByteArray("FLV\x01\x01", 5) + be(9, 4) + be(0, 4) + "\x12" + be(quint32(data.size()), 3) + be(0, 7) +
           data + be(quint32(data.size()) + 11, 4);
}

} // namespace

class SwfVideoTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void embeddedPicture_data();
    void embeddedPicture();
    void smoothing_data();
    void smoothing();
    void ratioChoosesPicture_data();
    void ratioChoosesPicture();
    void hostileStream_data();
    void hostileStream();
    void videoObject_data();
    void videoObject();
    void netStream_data();
    void netStream();
    void netStreamPicture();
    void netStreamSound();
    // Last: it spends the patience the streams share.
    void manyBrokenStreams();

private:
    QTemporaryDir m_dir;
};

void SwfVideoTest::initTestCase()
{
    gst_init(nullptr, nullptr);
    QVERIFY(m_dir.isValid());
    // The stream the NetStream cases play: three red pictures, a quarter of a second.
    QVERIFY(!encodeFlv(H263, Red, QSize(32, 24), 3, m_dir.filePath(QStringLiteral("clip.flv"))).isEmpty());
    TestFiles::write(m_dir.filePath(QStringLiteral("dated.flv")), flvOfMetaData());
    // A loud tone of two seconds beside pictures, its sound as 16-bit PCM.
    QVERIFY(MediaFiles::make(
        QStringLiteral("audiotestsrc wave=square volume=0.5 num-buffers=40 samplesperbuffer=2205"
                       " ! audio/x-raw,format=S16LE,rate=22050,channels=1 ! m."
                       " videotestsrc pattern=solid-color num-buffers=24 ! video/x-raw,width=32,height=24,framerate=12/1"
                       " ! videoconvert ! avenc_flv ! m. flvmux name=m ! filesink location=\"%1\""),
        m_dir.filePath(QStringLiteral("tone.flv"))));
}

void SwfVideoTest::embeddedPicture_data()
{
    QTest::addColumn<int>("codec");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QSize>("declared");
    QTest::addColumn<double>("scale");
    QTest::newRow("Sorenson H.263, red") << int(H263) << Red << Encoded << 1.0;
    QTest::newRow("Sorenson H.263, blue") << int(H263) << Blue << Encoded << 1.0;
    QTest::newRow("Sorenson H.263, a mixed colour") << int(H263) << QColor(200, 120, 40) << Encoded << 1.0;
    QTest::newRow("Screen Video, green") << int(ScreenVideo) << Green << Encoded << 1.0;
    QTest::newRow("Screen Video 2, blue") << int(ScreenVideo2) << Blue << Encoded << 1.0;
    // The picture fills the bounds the tag declares, whatever size it was coded at.
    QTest::newRow("declared twice the coded size") << int(H263) << Red << Encoded * 2 << 1.0;
    QTest::newRow("declared smaller than coded") << int(H263) << Blue << QSize(40, 30) << 1.0;
    QTest::newRow("the placement scales it") << int(ScreenVideo) << Green << Encoded << 2.0;
}

void SwfVideoTest::embeddedPicture()
{
    QFETCH(int, codec);
    QFETCH(QColor, color);
    QFETCH(QSize, declared);
    QFETCH(double, scale);
    const std::vector<QByteArray> coded = pictures(Codec(codec), color, 3, m_dir.path());
    QCOMPARE(int(coded.size()), 3);
    Run run(m_dir.path(), streamMovie(coded, Codec(codec), declared, scale));
    run.player().stop();
    const QImage stage = run.stage();
    const int right = int(declared.width() * scale), bottom = int(declared.height() * scale);
    for (const QPoint at : {QPoint(right / 2, bottom / 2), QPoint(1, 1), QPoint(right - 2, bottom - 2)})
        QVERIFY2(near(stage.pixel(at), color), qPrintable(describe(stage.pixel(at))));
    QVERIFY2(near(stage.pixel(right + 2, bottom + 2), White), qPrintable(describe(stage.pixel(right + 2, bottom + 2))));
}

void SwfVideoTest::smoothing_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("blended");
    QTest::newRow("without smoothing, pixels stay as they are") << 0 << false;
    QTest::newRow("with smoothing, neighbours blend") << 1 << true;
}

void SwfVideoTest::smoothing()
{
    QFETCH(int, flags);
    QFETCH(bool, blended);
    // Checkers of 8 pixels, losslessly coded at 16 by 16, drawn eight times as large.
    constexpr int Side = 16, Scale = 8;
    const std::vector<QByteArray> coded =
        flvPictures(encodeFlv(ScreenVideo, Red, QSize(Side, Side), 1, m_dir.filePath(QStringLiteral("checkers.flv")),
                              QStringLiteral("checkers-8")));
    QCOMPARE(int(coded.size()), 1);
    Run run(m_dir.path(), streamMovie(coded, ScreenVideo, QSize(Side, Side), Scale, flags));
    const QImage stage = run.stage();
    const QRgb left = stage.pixel(10, 10), right = stage.pixel(Side * Scale - 10, 10);
    QVERIFY2(!near(left, QColor(right)), "the checkers do not show");
    int mixed = 0;
    for (int x = 0; x < Side * Scale; ++x)
        mixed += !near(stage.pixel(x, 10), QColor(left)) && !near(stage.pixel(x, 10), QColor(right));
    QCOMPARE(mixed > 0, blended);
}

void SwfVideoTest::ratioChoosesPicture_data()
{
    QTest::addColumn<QList<int>>("visits");
    QTest::addColumn<QColor>("shown");
    // Frames 0-2 are red, 3-5 green, each run coded from a keyframe on.
    QTest::newRow("the first picture") << QList<int>{0} << Red;
    QTest::newRow("on into the second run") << QList<int>{0, 1, 2, 3, 4} << Green;
    QTest::newRow("straight to a picture after a keyframe") << QList<int>{5} << Green;
    QTest::newRow("back to a picture coded from an earlier one") << QList<int>{4, 1} << Red;
    QTest::newRow("back and forth") << QList<int>{5, 2, 4, 0} << Red;
}

void SwfVideoTest::ratioChoosesPicture()
{
    QFETCH(QList<int>, visits);
    QFETCH(QColor, shown);
    std::vector<QByteArray> coded = pictures(H263, Red, 3, m_dir.path());
    for (QByteArray &picture : pictures(H263, Green, 3, m_dir.path()))
        coded.push_back(std::move(picture));
    QCOMPARE(int(coded.size()), 6);
    Run run(m_dir.path(), streamMovie(coded, H263, Encoded));
    run.player().stop();
    QImage stage;
    for (const int frame : visits) {
        run.player().gotoFrame(frame);
        stage = run.stage();
    }
    QVERIFY2(near(stage.pixel(32, 24), shown), qPrintable(describe(stage.pixel(32, 24))));
}

void SwfVideoTest::hostileStream_data()
{
    QTest::addColumn<int>("codec");
    QTest::addColumn<QByteArray>("picture");
    QTest::newRow("bytes of no picture") << int(H263) << QByteArray(300, '\x5a');
    // A picture start code, then a custom size of 65535 by 65535.
    QTest::newRow("a picture claiming a huge size") << int(H263) << QByteArray::fromHex("00008000ffffffff80");
    QTest::newRow("an empty picture") << int(H263) << QByteArray();
    QTest::newRow("screen video cut short") << int(ScreenVideo) << QByteArray::fromHex("3f");
    QTest::newRow("VP6 of no picture") << 4 << QByteArray(64, '\x01');
    QTest::newRow("an unknown codec") << 9 << QByteArray(64, '\x01');
}

void SwfVideoTest::hostileStream()
{
    QFETCH(int, codec);
    QFETCH(QByteArray, picture);
    Run run(m_dir.path(), streamMovie({picture, picture, picture}, Codec(codec), Encoded));
    run.player().stop();
    QElapsedTimer timer;
    timer.start();
    QImage stage;
    for (const int frame : {0, 2, 1}) {
        run.player().gotoFrame(frame);
        stage = run.stage();
    }
    QVERIFY2(timer.elapsed() < 10000, "decoding a bad stream took too long");
    QVERIFY2(near(stage.pixel(32, 24), White), qPrintable(describe(stage.pixel(32, 24))));
}

void SwfVideoTest::manyBrokenStreams()
{
    // Forty streams of bad pictures on one stage: together they may cost a few seconds of waiting, not one each.
    constexpr int Streams = 40;
    QByteArray tags = background(Qt::white);
    for (int id = 1; id <= Streams; ++id)
        tags += defineStream(id, 1, Encoded, H263) + videoFrame(id, 0, QByteArray(200, '\x33')) +
                place(Place(id, id));
    QElapsedTimer timer;
    timer.start();
    Run run(m_dir.path(), tags + showFrame());
    const QImage stage = run.stage();
    QVERIFY2(timer.elapsed() < 8000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QVERIFY2(near(stage.pixel(32, 24), White), qPrintable(describe(stage.pixel(32, 24))));
}

void SwfVideoTest::videoObject_data()
{
    ScriptCases::addColumns();
    const QString v = QStringLiteral("v");
    QTest::newRow("for..in lists the properties of Video")
        << 8
        << ScriptCases::setMember(v, QStringLiteral("x"), QStringLiteral("push \"hello\"")) + traceListing(v)
        << QStringList{"deblocking,height,smoothing,width,x"};
    QTest::newRow("size, smoothing and deblocking as the tag gives them")
        << 8
        << ScriptCases::tracePath(QStringLiteral("v.width")) + ScriptCases::tracePath(QStringLiteral("v.height")) +
               ScriptCases::tracePath(QStringLiteral("v.smoothing")) +
               ScriptCases::tracePath(QStringLiteral("v.deblocking"))
        << QStringList{"200", "150", "true", "2"};
    QTest::newRow("smoothing and deblocking can be set, the size cannot")
        << 8
        << ScriptCases::setMember(v, QStringLiteral("smoothing"), QStringLiteral("push false")) +
               ScriptCases::setMember(v, QStringLiteral("deblocking"), QStringLiteral("push 1")) +
               ScriptCases::setMember(v, QStringLiteral("width"), QStringLiteral("push 5")) +
               ScriptCases::tracePath(QStringLiteral("v.smoothing")) +
               ScriptCases::tracePath(QStringLiteral("v.deblocking")) + ScriptCases::tracePath(QStringLiteral("v.width"))
        << QStringList{"false", "1", "200"};
    QTest::newRow("a placed video is a Video")
        << 8 << QStringLiteral("push \"v\"\ngetvariable\npush \"Video\"\ngetvariable\ninstanceof\ntrace\n")
        << QStringList{"true"};
    QTest::newRow("it moves as clips do")
        << 8
        << ScriptCases::setMember(v, QStringLiteral("_x"), QStringLiteral("push 10")) +
               ScriptCases::tracePath(QStringLiteral("v._x"))
        << QStringList{"10"};
}

void SwfVideoTest::videoObject()
{
    QFETCH(int, version);
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    constexpr int SmoothingAndDeblockingOn = 0x01 | 2 << 1;
    Run run(m_dir.path(),
            defineStream(StreamId, 0, QSize(200, 150), H263, SmoothingAndDeblockingOn) +
                place(Place(Depth, StreamId).named("v")) + doAction(ActionAssembler::assemble(source)) + showFrame(),
            version);
    QCOMPARE(run.traces, printed);
}

void SwfVideoTest::netStream_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("the start, the metadata, the stop at the end")
        << openStream({QStringLiteral("width"), QStringLiteral("height")}) + playStream(QStringLiteral("clip.flv")) +
               QStringLiteral("push \"playing\"\ntrace\n")
        << QStringList{"playing", "NetStream.Play.Start", "32", "24", "NetStream.Play.Stop"};
    QTest::newRow("a date in the metadata, and what follows it")
        << openStream({QStringLiteral("created"), QStringLiteral("width")}) +
               playStream(QStringLiteral("dated.flv"))
        << QStringList{"NetStream.Play.Start", "Thu Jan 1 00:00:00 GMT+0000 1970", "7", "NetStream.Play.Stop"};
    QTest::newRow("a missing file")
        << openStream() + playStream(QStringLiteral("missing.flv")) << QStringList{"NetStream.Play.StreamNotFound"};
    QTest::newRow("a file outside the movie's folder")
        << openStream() + playStream(QStringLiteral("../clip.flv")) << QStringList{"NetStream.Play.StreamNotFound"};
    QTest::newRow("a web address")
        << openStream() + playStream(QStringLiteral("http://example.com/clip.flv"))
        << QStringList{"NetStream.Play.StreamNotFound"};
    QTest::newRow("closed before it starts")
        << openStream() + playStream(QStringLiteral("clip.flv")) +
               QStringLiteral("push 0, \"ns\"\ngetvariable\npush \"close\"\ncallmethod\npop\n")
        << QStringList{};
    const QString size = QString::number(QFileInfo(m_dir.filePath(QStringLiteral("clip.flv"))).size());
    QTest::newRow("the bytes of the file, and no time before it starts")
        << openStream() + playStream(QStringLiteral("clip.flv")) + ScriptCases::tracePath(QStringLiteral("ns.bytesTotal")) +
               ScriptCases::tracePath(QStringLiteral("ns.bytesLoaded")) + ScriptCases::tracePath(QStringLiteral("ns.time"))
        << QStringList{size, size, "0", "NetStream.Play.Start", "NetStream.Play.Stop"};
}

void SwfVideoTest::netStream()
{
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    Run run(m_dir.path(), doAction(ActionAssembler::assemble(source)) + showFrame(), 8);
    // A second at the movie's twelve frames a second: longer than the file plays.
    run.advance(12);
    QCOMPARE(run.traces, printed);
}

void SwfVideoTest::netStreamPicture()
{
    // A video of no frames of its own, showing what the stream plays.
    const QString source = openStream() +
                           QStringLiteral("push \"ns\"\ngetvariable\npush 1, \"v\"\ngetvariable\n"
                                          "push \"attachVideo\"\ncallmethod\npop\n") +
                           playStream(QStringLiteral("clip.flv"));
    Run run(m_dir.path(),
            background(Qt::white) + defineStream(StreamId, 0, Encoded, H263) +
                place(Place(Depth, StreamId).named("v")) + doAction(ActionAssembler::assemble(source)) + showFrame());
    run.advance(2);
    const QImage stage = run.stage();
    QVERIFY2(near(stage.pixel(32, 24), Red), qPrintable(describe(stage.pixel(32, 24))));
    QVERIFY2(near(stage.pixel(70, 24), White), qPrintable(describe(stage.pixel(70, 24))));
}

void SwfVideoTest::netStreamSound()
{
    const auto loud = [](const std::vector<int16_t> &samples) {
        return std::any_of(samples.begin(), samples.end(), [](int16_t sample) { return std::abs(sample) > 4000; });
    };
    const auto heard = [](swf::SoundMixer &mixer) {
        std::vector<int16_t> out(size_t(swf::SoundMixer::Rate / 10) * 2);
        mixer.mix(out.data(), swf::SoundMixer::Rate / 10);
        return out;
    };
    swf::SoundMixer mixer;
    const QString pause = QStringLiteral("push 0, \"ns\"\ngetvariable\npush \"pause\"\ncallmethod\npop\n");
    // Frame 1 plays the file, frame 3 pauses it, frame 4 plays on and stops there.
    Run run(m_dir.path(),
            doAction(ActionAssembler::assemble(openStream() + playStream(QStringLiteral("tone.flv")))) + showFrame() +
                showFrame() + doAction(ActionAssembler::assemble(pause)) + showFrame() +
                doAction(ActionAssembler::assemble(pause + QStringLiteral("stop\n"))) + showFrame(),
            8);
    run.player().setSoundMixer(&mixer);
    run.advance(1);
    QVERIFY(run.traces.contains(QStringLiteral("NetStream.Play.Start")));
    QVERIFY(mixer.active());
    QVERIFY(loud(heard(mixer)));
    run.advance(1);
    QVERIFY(!mixer.active());
    run.advance(1);
    QVERIFY(mixer.active());
    QVERIFY(loud(heard(mixer)));
}

QTEST_MAIN(SwfVideoTest)
#include "tst_swf_video.moc"
