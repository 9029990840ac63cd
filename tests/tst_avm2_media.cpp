// The ActionScript 3 sound classes: a Sound subclass linked to an embedded
// sound is mixed through its channel, heard through the channel's and the
// movie's transforms, stopped, and tells its end; SoundTransform's levels;
// loads that fail; and the demo cartoon's chime.
#include "../tools/demo/As3Cartoon.h"
#include "swf/MoviePlayer.h"
#include "swf/SoundMixer.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/SoundChannelObject.h"
#include "swf/avm2/builtins/SoundTransformObject.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace swf::avm2;

namespace {

constexpr int DingId = 1;
constexpr int16_t Level = 8000;
// A tenth of a second at the mixer's rate: 100 ms.
constexpr int DingSamples = swf::SoundMixer::Rate / 10;
constexpr int FrameRate = 50;

QStringList g_heard;

Value logType(Runtime &rt, const Value &, Args args)
{
    g_heard << rt.toString(rt.get(args[0], QStringLiteral("type")));
    return Value();
}

Value logText(Runtime &rt, const Value &, Args args)
{
    g_heard << rt.toString(rt.get(args[0], QStringLiteral("text")));
    return Value();
}

// class Ding extends flash.media.Sound {}, linked to a constant-level sound.
QByteArray dingMovie()
{
    using namespace AbcWriter;
    Abc abc;
    As3Cartoon::Names n{abc};
    const uint32_t sound = n.in("flash.media", "Sound");
    const uint32_t ding =
        abc.addClass(n("Ding"), sound, As3Cartoon::superOnlyConstructor(abc), As3Cartoon::emptyMethod(abc));
    As3Cartoon::classScript(abc, n("Ding"), ding, {n("Object"), n.in("flash.events", "EventDispatcher"), sound});
    namespace snd = SwfWriter::sound;
    QByteArray tags = fileAttributes() +
                      snd::defineSound(DingId, {snd::Pcm, swf::SoundMixer::Rate}, DingSamples,
                                       snd::pcm16(std::vector<int16_t>(DingSamples, Level)));
    tags += doAbc("Ding", abc.bytes()) + symbolClass({{DingId, "Ding"}});
    for (int f = 0; f < 40; ++f)
        tags += SwfWriter::showFrame();
    return SwfWriter::movie(tags, 10, QSize(100, 100), FrameRate);
}

// An ID3v2.3 tag holding one text frame.
QByteArray id3Tag(const char *frame, const QByteArray &text)
{
    const QByteArray body = QByteArray(1, '\0') + text;
    QByteArray frameBytes = QByteArray(frame) + QByteArray(3, '\0') + char(body.size()) + QByteArray(2, '\0') + body;
    return QByteArray("ID3\x03\x00\x00", 6) + QByteArray(3, '\0') + char(frameBytes.size()) + frameBytes;
}

// Silent MPEG-1 layer III frames, 128 kbit/s at 44.1 kHz, mono: a header,
// and side information and data all zero.
QByteArray silentMp3(int frames)
{
    constexpr int FrameBytes = 417;
    QByteArray frame(FrameBytes, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0xC0);
    return frame.repeated(frames);
}

class Fixture {
public:
    explicit Fixture(const QString &movieFile = {})
    {
        g_heard.clear();
        player.setSoundMixer(&mixer);
        player.onTrace = [this](const QString &line) { traces << line; };
        if (!movieFile.isEmpty())
            player.setMovieFile(movieFile);
        loaded = player.load(dingMovie(), nullptr);
    }

    Runtime &rt() { return player.as3()->runtime(); }
    Value make(const char *cls, std::initializer_list<Value> args = {})
    {
        Multiname name;
        const QString qualified = QString::fromLatin1(cls);
        const int colons = qualified.indexOf(QStringLiteral("::"));
        name.name = colons < 0 ? qualified : qualified.mid(colons + 2);
        const QString package = colons < 0 ? QString() : qualified.left(colons);
        name.namespaces.push_back(rt().namespaces.intern(NamespaceKind::Package, package));
        Class *c = rt().defineClass(name);
        const std::vector<Value> list(args);
        return c ? rt().construct(Value(static_cast<Object *>(c)), Args{list.data(), int(list.size())}) : Value();
    }
    Value call(const Value &object, const char *method, std::initializer_list<Value> args = {})
    {
        const std::vector<Value> list(args);
        const Multiname name = rt().publicName(QString::fromLatin1(method));
        return rt().callProperty(object, name, Args{list.data(), int(list.size())});
    }
    Value get(const Value &object, const char *name) { return rt().get(object, QString::fromLatin1(name)); }
    void listen(const Value &object, const char *type, NativeFn fn)
    {
        const Value listener(static_cast<Object *>(rt().newNativeFunction(fn, QStringLiteral("f"), 1)));
        call(object, "addEventListener", {Value(type), listener});
    }
    QString errorOf(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const Exception &e) {
            return rt().toString(e.value);
        }
        return QString();
    }
    // The left and right levels heard next.
    std::pair<int, int> heard()
    {
        int16_t out[2] = {0, 0};
        mixer.mix(out, 1);
        return {out[0], out[1]};
    }
    void advance(int frames)
    {
        for (int f = 0; f < frames; ++f)
            player.advance();
    }

    swf::SoundMixer mixer;
    swf::MoviePlayer player;
    QStringList traces;
    bool loaded = false;
};

} // namespace

class TestAvm2Media : public QObject {
    Q_OBJECT

private slots:
    void panSetsTheChannels_data();
    void panSetsTheChannels();
    void levelsBecomeBoundedPercents();
    void positionFollowsLoops();
    void linkedSoundIsMixed();
    void transformsAreHeard();
    void stopAndComplete();
    void stopAllSilencesEverything();
    void badArguments();
    void failedLoadsTellIoError();
    void loadedFileTellsItsTags();
    void demoCartoonChimes_data();
    void demoCartoonChimes();
};

void TestAvm2Media::panSetsTheChannels_data()
{
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("leftToLeft");
    QTest::addColumn<double>("rightToRight");
    QTest::newRow("centre") << 0.0 << 1.0 << 1.0;
    QTest::newRow("right") << 1.0 << 0.0 << 1.0;
    QTest::newRow("half left") << -0.5 << 1.0 << 0.5;
    QTest::newRow("a quarter right") << 0.25 << 0.75 << 1.0;
}

void TestAvm2Media::panSetsTheChannels()
{
    QFETCH(double, pan);
    QFETCH(double, leftToLeft);
    QFETCH(double, rightToRight);
    SoundLevels levels;
    levels.leftToRight = levels.rightToLeft = 0.3;
    SetSoundPan(levels, pan);
    QCOMPARE(levels.leftToLeft, leftToLeft);
    QCOMPARE(levels.rightToRight, rightToRight);
    QCOMPARE(levels.leftToRight, 0.0);
    QCOMPARE(levels.rightToLeft, 0.0);
    QCOMPARE(SoundPan(levels), pan);

    // The same through the class, from a script's point of view.
    Fixture f;
    const Value transform = f.make("flash.media::SoundTransform", {Value::number(0.5), Value::number(pan)});
    QCOMPARE(f.rt().toNumber(f.get(transform, "leftToLeft")), leftToLeft);
    QCOMPARE(f.rt().toNumber(f.get(transform, "pan")), pan);
    QCOMPARE(f.rt().toNumber(f.get(transform, "volume")), 0.5);
}

void TestAvm2Media::levelsBecomeBoundedPercents()
{
    SoundLevels levels;
    levels.volume = 0.505;
    levels.leftToLeft = std::nan("");
    levels.leftToRight = 1e300;
    levels.rightToLeft = -INFINITY;
    const swf::SoundTransform t = ToEngineTransform(levels);
    QCOMPARE(t.volume, 51);
    QCOMPARE(t.ll, 0);
    QCOMPARE(t.lr, 1000);
    QCOMPARE(t.rl, -1000);
    QCOMPARE(t.rr, 100);
    QCOMPARE(FromEngineTransform(t).volume, 0.51);
}

void TestAvm2Media::positionFollowsLoops()
{
    const ChannelTiming timing{100, 40, 3, 1000};
    QCOMPARE(ChannelPlayLength(timing), 180.0);
    QCOMPARE(ChannelPosition(timing, 900), 40.0); // before it starts
    QCOMPARE(ChannelPosition(timing, 1050), 90.0);
    QCOMPARE(ChannelPosition(timing, 1070), 50.0); // back at the offset in the second loop
    QCOMPARE(ChannelPosition(timing, 1180), 100.0);
    // An offset past the end plays nothing.
    QCOMPARE(ChannelPlayLength({100, 150, 2, 0}), 0.0);
    QCOMPARE(ChannelPosition({100, 150, 2, 0}, 10), 100.0);
}

void TestAvm2Media::linkedSoundIsMixed()
{
    Fixture f;
    QVERIFY(f.loaded);
    const Value ding = f.make("Ding");
    QCOMPARE(f.rt().toNumber(f.get(ding, "length")), 100.0);
    QCOMPARE(f.rt().toNumber(f.get(ding, "bytesTotal")), double(DingSamples * 2));
    QVERIFY(!f.mixer.active());
    const Value channel = f.call(ding, "play");
    QVERIFY(dynamic_cast<SoundChannelObject *>(channel.asObject()));
    QVERIFY(f.mixer.active());
    QCOMPARE(f.heard(), std::make_pair(int(Level), int(Level)));

    // A Sound linked to nothing has nothing to play.
    QVERIFY(f.call(f.make("flash.media::Sound"), "play").isNull());
    QVERIFY(f.traces.isEmpty());
}

void TestAvm2Media::transformsAreHeard()
{
    Fixture f;
    const Value ding = f.make("Ding");
    const Value half = f.make("flash.media::SoundTransform", {Value::number(0.5)});
    const Value channel = f.call(ding, "play", {Value(0), Value(0), half});
    QCOMPARE(f.heard(), std::make_pair(Level / 2, Level / 2));

    // A new transform is heard once the frame is over; the one read back is a copy.
    const Value right = f.make("flash.media::SoundTransform", {Value(1), Value(1)});
    f.rt().set(channel, QStringLiteral("soundTransform"), right);
    f.advance(1);
    QCOMPARE(f.heard(), std::make_pair(0, int(Level)));
    const Value copy = f.get(channel, "soundTransform");
    QVERIFY(copy.asObject() != right.asObject());
    QCOMPARE(f.rt().toNumber(f.get(copy, "pan")), 1.0);

    // The movie's volume is heard over every channel.
    const Value quarter = f.make("flash.media::SoundTransform", {Value::number(0.25)});
    const Value mixerClass(static_cast<Object *>(f.rt().builtin("flash.media::SoundMixer")));
    f.rt().set(mixerClass, QStringLiteral("soundTransform"), quarter);
    QCOMPARE(f.heard(), std::make_pair(0, Level / 4));
    QCOMPARE(f.rt().toNumber(f.get(f.get(mixerClass, "soundTransform"), "volume")), 0.25);
}

void TestAvm2Media::stopAndComplete()
{
    Fixture f;
    const Value ding = f.make("Ding");
    const Value stopped = f.call(ding, "play");
    f.listen(stopped, "soundComplete", logType);
    f.advance(2);
    f.call(stopped, "stop");
    QCOMPARE(f.heard(), std::make_pair(0, 0));
    const double held = f.rt().toNumber(f.get(stopped, "position"));
    QVERIFY(held >= 0 && held <= 100);
    f.advance(20);
    QCOMPARE(f.rt().toNumber(f.get(stopped, "position")), held);
    QVERIFY(g_heard.isEmpty());

    // Played to its end (twice over), it tells so once and stays at its end.
    const Value played = f.call(ding, "play", {Value(0), Value(2)});
    f.listen(played, "soundComplete", logType);
    f.advance(30);
    QCOMPARE(g_heard, QStringList{"soundComplete"});
    QCOMPARE(f.rt().toNumber(f.get(played, "position")), 100.0);
    f.call(played, "stop");
    QCOMPARE(g_heard.size(), 1);
}

void TestAvm2Media::stopAllSilencesEverything()
{
    Fixture f;
    const Value ding = f.make("Ding");
    const Value a = f.call(ding, "play");
    const Value b = f.call(ding, "play", {Value(50)});
    f.listen(a, "soundComplete", logType);
    f.listen(b, "soundComplete", logType);
    QCOMPARE(f.heard(), std::make_pair(2 * Level, 2 * Level));
    const Value mixerClass(static_cast<Object *>(f.rt().builtin("flash.media::SoundMixer")));
    f.call(mixerClass, "stopAll");
    QVERIFY(!f.mixer.active());
    f.advance(30);
    QVERIFY(g_heard.isEmpty());
    QCOMPARE(f.rt().toInt(f.get(mixerClass, "bufferTime")), 1000);
}

void TestAvm2Media::badArguments()
{
    Fixture f;
    const Value ding = f.make("Ding");
    const Value channel = f.call(ding, "play", {Value::number(NAN), Value(-5)});
    QCOMPARE(f.heard(), std::make_pair(int(Level), int(Level)));
    QCOMPARE(f.errorOf([&] { f.rt().set(channel, QStringLiteral("soundTransform"), Value("loud")); }),
             QStringLiteral("TypeError: Error #1034: Type Coercion failed: cannot convert String to "
                            "flash.media.SoundTransform."));
    QCOMPARE(f.errorOf([&] { f.call(ding, "play", {Value(0), Value(0), Value(3)}); }).left(16),
             QStringLiteral("TypeError: Error"));
    // Past the end: nothing to hear, and done at once.
    const Value late = f.call(ding, "play", {Value(1e9)});
    f.listen(late, "soundComplete", logType);
    f.advance(1);
    QCOMPARE(g_heard, QStringList{"soundComplete"});
    QCOMPARE(f.errorOf([&] { f.call(ding, "close"); }),
             QStringLiteral("IOError: Error #2029: This URLStream object does not have a stream opened."));
    QCOMPARE(f.errorOf([&] { f.call(f.make("flash.media::Sound"), "load", {Value::null()}); }),
             QStringLiteral("TypeError: Error #2007: Parameter stream must be non-null."));
}

void TestAvm2Media::failedLoadsTellIoError()
{
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("movie"))));
    Fixture f(dir.filePath(QStringLiteral("movie/test.swf")));
    QVERIFY(f.loaded);
    // Any object with a url will do for a request.
    const Value request(f.rt().newObject());
    for (const char *url : {"none.mp3", "../outside.mp3", "http://example.com/a.mp3"}) {
        f.rt().set(request, QStringLiteral("url"), Value(url));
        const Value sound = f.make("flash.media::Sound", {request});
        f.listen(sound, "ioError", logText);
        f.listen(sound, "complete", logType);
        QCOMPARE(f.rt().toString(f.get(sound, "url")), QString::fromLatin1(url));
        QCOMPARE(f.errorOf([&] { f.call(sound, "load", {request}); }),
                 QStringLiteral("Error: Error #2037: Functions called in incorrect sequence, or earlier call "
                                "was unsuccessful."));
    }
    // A load given up says nothing.
    f.rt().set(request, QStringLiteral("url"), Value("closed.mp3"));
    const Value closed = f.make("flash.media::Sound", {request});
    f.listen(closed, "ioError", logText);
    f.call(closed, "close");
    f.advance(4);
    QCOMPARE(g_heard, (QStringList{"Error #2032: Stream Error. URL: none.mp3",
                                   "Error #2032: Stream Error. URL: ../outside.mp3",
                                   "Error #2032: Stream Error. URL: http://example.com/a.mp3"}));
}

void TestAvm2Media::loadedFileTellsItsTags()
{
    QTemporaryDir dir;
    const QByteArray file = id3Tag("TIT2", "Ding") + silentMp3(20);
    QFile out(dir.filePath(QStringLiteral("ding.mp3")));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();
    Fixture f(dir.filePath(QStringLiteral("test.swf")));
    const Value request(f.rt().newObject());
    f.rt().set(request, QStringLiteral("url"), Value("ding.mp3"));
    const Value sound = f.make("flash.media::Sound");
    f.listen(sound, "id3", logType);
    f.listen(sound, "complete", logType);
    f.listen(sound, "ioError", logText);
    f.call(sound, "load", {request});
    QVERIFY(f.call(sound, "play").isNull());
    f.advance(4);
    QCOMPARE(g_heard, (QStringList{"id3", "complete"}));
    QCOMPARE(f.rt().toNumber(f.get(sound, "bytesTotal")), double(file.size()));
    QCOMPARE(f.rt().toString(f.get(f.get(sound, "id3"), "songName")), QStringLiteral("Ding"));
    QCOMPARE(f.rt().toString(f.get(f.get(sound, "id3"), "TIT2")), QStringLiteral("Ding"));
    QVERIFY(f.rt().toNumber(f.get(sound, "length")) > 400);
    QVERIFY(dynamic_cast<SoundChannelObject *>(f.call(sound, "play").asObject()));
    QVERIFY(f.mixer.active());
}

void TestAvm2Media::demoCartoonChimes_data()
{
    QTest::addColumn<QByteArray>("movie");
    const std::vector<int16_t> chime(2205, 6000);
    QTest::newRow("as the demo has it") << As3Cartoon::movie(chime);
    // The document class linked ahead of the chime's class finds its sound all the same.
    QByteArray tags = AbcWriter::fileAttributes() + As3Cartoon::chimeSound(chime);
    tags += AbcWriter::doAbc("Cartoon", As3Cartoon::block());
    tags += AbcWriter::symbolClass({{0, "Cartoon"}, {As3Cartoon::ChimeId, "CartoonChime"}});
    tags += SwfWriter::showFrame() + SwfWriter::showFrame();
    QTest::newRow("document class linked first") << SwfWriter::movie(tags, 10, QSize(400, 300), As3Cartoon::Rate);
}

void TestAvm2Media::demoCartoonChimes()
{
    QFETCH(QByteArray, movie);
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    QStringList traces;
    player.onTrace = [&traces](const QString &line) { traces << line; };
    player.setSoundMixer(&mixer);
    QVERIFY(player.load(movie, nullptr));
    player.advance();
    QCOMPARE(traces, QStringList());
    QVERIFY(mixer.active());
    std::vector<int16_t> out(2000);
    mixer.mix(out.data(), 1000);
    QVERIFY(std::any_of(out.begin(), out.end(), [](int16_t s) { return std::abs(s) > 1000; }));
}

QTEST_GUILESS_MAIN(TestAvm2Media)
#include "tst_avm2_media.moc"
