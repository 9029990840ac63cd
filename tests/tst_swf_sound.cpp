// Movie sound: decoding each codec, mixing event sounds, streams that stay in
// step with their timelines, the real output, and what scripts do with
// sounds: MP3 files they load, and the classes beside Sound.
#include "MediaFiles.h"
#include "ScriptCases.h"
#include "SoundWriter.h"
#include "TestFiles.h"
#include "player/MovieSoundOutput.h"
#include "platform/WaveVolume.h"
#include "swf/FlashControl.h"
#include "swf/Id3Tags.h"
#include "swf/MoviePlayer.h"
#include "swf/SoundDecoder.h"
#include "swf/SoundMixer.h"
#include "swf/SoundTransforms.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace SwfWriter;
namespace snd = SwfWriter::sound;

namespace {

constexpr int Rate = swf::SoundMixer::Rate;
// At 12 frames a second, one frame is exactly this many 44.1 kHz samples.
constexpr int FrameSamples = Rate / 12;

std::vector<int16_t> sine(double frequency, int rate, int count, double amplitude = 12000)
{
    std::vector<int16_t> samples(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        samples[size_t(i)] = int16_t(std::lround(amplitude * std::sin(2 * M_PI * frequency * i / rate)));
    return samples;
}

// Cycles per second of the left channel of 44.1 kHz stereo, timed from its
// first rise through zero to its last (codecs pad the ends with silence).
double frequencyOf(const std::vector<int16_t> &stereo)
{
    int rises = 0;
    size_t first = 0, last = 0;
    bool low = false;
    for (size_t i = 0; i < stereo.size(); i += 2) {
        if (stereo[i] < -1000) {
            low = true;
        } else if (stereo[i] > 1000 && low) {
            low = false;
            (rises++ == 0 ? first : last) = i / 2;
        }
    }
    return rises > 1 ? (rises - 1) / (double(last - first) / Rate) : 0;
}

std::vector<int16_t> mix(swf::SoundMixer &mixer, int frames)
{
    std::vector<int16_t> out(size_t(frames) * 2);
    mixer.mix(out.data(), frames);
    return out;
}

// A stream whose every frame holds one constant level, 1000 times the frame
// number plus one, so what is heard tells which frame it belongs to.
QByteArray levelStream(int frames, const QByteArray &extraOnFrame2 = {})
{
    QByteArray tags = snd::streamHead({snd::Pcm, Rate}, FrameSamples);
    for (int f = 0; f < frames; ++f) {
        tags += snd::streamBlock(snd::pcm16(std::vector<int16_t>(FrameSamples, int16_t(1000 * (f + 1)))));
        if (f == 2)
            tags += extraOnFrame2;
        tags += showFrame();
    }
    return movie(tags, 6, QSize(100, 100), 12);
}

int levelAt(const std::vector<int16_t> &stereo, int frame)
{
    return stereo[size_t(frame) * 2];
}

// An output that plays (mixes and hears at once) when the test says.
class FakeOutput : public swf::SoundOutput {
public:
    explicit FakeOutput(swf::SoundMixer &mixer) : m_mixer(mixer), m_heard(mixer.mixedFrames()) { ++live; }
    ~FakeOutput() override { --live; }
    qint64 heardFrames() const override { return m_heard; }
    static inline int live = 0;
    void play(int frames)
    {
        mix(m_mixer, frames);
        m_heard += frames;
    }

private:
    swf::SoundMixer &m_mixer;
    qint64 m_heard;
};

// An ID3v2.3 text frame, Latin-1.
QByteArray id3Frame(const char *id, const QByteArray &text)
{
    const QByteArray body = '\0' + text;
    QByteArray frame(id);
    for (int shift : {24, 16, 8, 0})
        frame += char((body.size() >> shift) & 0xff);
    return frame + QByteArray(2, '\0') + body;
}

// An ID3v2.3 tag of the frames, its size in seven-bit bytes.
QByteArray id3v2(const QByteArray &frames)
{
    QByteArray tag("ID3\x03\0\0", 6);
    for (int shift : {21, 14, 7, 0})
        tag += char((frames.size() >> shift) & 0x7f);
    return tag + frames;
}

// An ID3v1.1 tag: title, artist, album, year, comment, track, genre.
QByteArray id3v1(const QByteArray &title, int track)
{
    const auto field = [](const QByteArray &text, int length) { return text.leftJustified(length, '\0', true); };
    return "TAG" + field(title, 30) + field("Band", 30) + field("Album", 30) + field("1999", 4) +
           field("Note", 28) + '\0' + char(track) + char(17);
}

// s.NAME = function (ARG) { BODY }, BODY in assembly.
QString handler(const QString &name, const QString &body, const QString &arg = {})
{
    return QStringLiteral("push \"s\"\ngetvariable\npush \"%1\"\nfunction (%2)\n%3end\nsetmember\n")
        .arg(name, arg, body);
}

QString traceThis(const QString &member)
{
    return QStringLiteral("push \"this\"\ngetvariable\npush \"%1\"\ngetmember\ntrace\n").arg(member);
}

QString callThis(const QString &method, const QStringList &args = {})
{
    return ScriptCases::pushArguments(args) +
           QStringLiteral(", \"this\"\ngetvariable\npush \"%1\"\ncallmethod\npop\n").arg(method);
}

// trace(Math.round(this.MEMBER / 100)): milliseconds to tenths of a second.
QString traceTenths(const QString &member)
{
    return QStringLiteral("push \"this\"\ngetvariable\npush \"%1\"\ngetmember\npush 100\ndivide\n"
                          "push 1, \"Math\"\ngetvariable\npush \"round\"\ncallmethod\ntrace\n")
        .arg(member);
}

QString loadSound(const QString &url, bool streaming)
{
    const QString isStreaming = streaming ? QStringLiteral("true") : QStringLiteral("false");
    return ScriptCases::newObject(QStringLiteral("s"), QStringLiteral("Sound")) +
           ScriptCases::pushArguments({QStringLiteral("\"%1\"").arg(url), isStreaming}) +
           QStringLiteral(", \"s\"\ngetvariable\npush \"loadSound\"\ncallmethod\npop\n");
}

const QString TraceLoaded = QStringLiteral("push \"loaded \"\npush \"ok\"\ngetvariable\nadd2\ntrace\n");

} // namespace

class SwfSoundTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        TestFiles::write(path, bytes);
        return path;
    }

    // A mono sine encoded as bare MP3 frames by GStreamer.
    QByteArray mp3Sine(double seconds, int rate)
    {
        const QString path = m_dir.filePath(QStringLiteral("sine%1.mp3").arg(rate));
        const bool made = MediaFiles::make(
            QStringLiteral("audiotestsrc wave=sine freq=440 volume=0.4 num-buffers=%1 samplesperbuffer=%2"
                           " ! audio/x-raw,rate=%3,channels=1 ! lamemp3enc target=bitrate bitrate=32 cbr=true")
                    .arg(int(seconds * 10))
                    .arg(rate / 10)
                    .arg(rate) +
                QStringLiteral(" ! filesink location=\"%1\""),
            path);
        return made ? TestFiles::read(path) : QByteArray();
    }

    // The movie folder of the load tests: a half-second tone, the same with
    // ID3 tags, and a file that is no MP3; another tone lies outside.
    QString movieFolder()
    {
        const QString folder = m_dir.filePath(QStringLiteral("movie"));
        if (QFileInfo::exists(folder))
            return folder;
        QDir().mkpath(folder);
        const QByteArray tone = mp3Sine(0.5, Rate);
        write(QStringLiteral("movie/tone.mp3"), tone);
        write(QStringLiteral("movie/tagged.mp3"),
              id3v2(id3Frame("TIT2", "Knock") + id3Frame("TPE1", "Band")) + tone + id3v1("Old name", 7));
        write(QStringLiteral("movie/text.mp3"), "no sound in here");
        write(QStringLiteral("outside.mp3"), tone);
        return folder;
    }

    // The lines SOURCE traces over the frames of a movie that stopped on its
    // first, at 12 frames a second.
    QStringList tracesOver(int version, const QString &source, int frames)
    {
        const QByteArray code = ActionAssembler::assemble(QStringLiteral("stop\n") + source);
        if (code.isEmpty())
            return {QStringLiteral("(the source does not assemble)")};
        const QString path = movieFolder() + QStringLiteral("/script.swf");
        QStringList lines;
        swf::MoviePlayer player;
        player.onTrace = [&lines](const QString &line) { lines << line; };
        player.setMovieFile(path);
        if (!player.load(movie(doAction(code) + showFrame(), version, QSize(100, 100), 12), nullptr))
            return {QStringLiteral("(the movie does not load)")};
        for (int f = 0; f < frames; ++f)
            player.advance();
        return lines;
    }

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void pcmDecodes_data();
    void pcmDecodes();
    void adpcmDecodesNearTheSource_data();
    void adpcmDecodesNearTheSource();
    void mp3DecodesAcrossBlockBoundaries_data();
    void mp3DecodesAcrossBlockBoundaries();
    void malformedSoundDataStaysBounded_data();
    void malformedSoundDataStaysBounded();
    void eventSoundsFollowTheirInfo_data();
    void eventSoundsFollowTheirInfo();
    void streamStaysInStepWithTheTimeline();
    void frameAndButtonSoundsStart();
    void pictureFollowsWhatIsHeard();
    void realOutputConsumesInRealTime();
    void outputAppliesTheWaveVolume();
    void soundObjectsOfScripts();
    void loadedSounds_data();
    void loadedSounds();
    void id3TagsOfAnyFile_data();
    void id3TagsOfAnyFile();
    void loadedSoundsAreHeard();
    void clipSoundsAreHeardThroughTheirTransforms_data();
    void clipSoundsAreHeardThroughTheirTransforms();
    void transformsOfNestedClipsCompose();
    void soundTargets_data();
    void soundTargets();
    void externalInterfaceIsUnavailable_data();
    void externalInterfaceIsUnavailable();
    void fileReferencesPickNothing_data();
    void fileReferencesPickNothing();
};

void SwfSoundTest::pcmDecodes_data()
{
    QTest::addColumn<int>("codec");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("sixteenBit");
    QTest::addColumn<bool>("stereo");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QVector<int>>("expected"); // left, right of the first frames

    QTest::newRow("16-bit mono") << 3 << Rate << true << false << QByteArray::fromHex("e803 18fc")
                                 << QVector<int>{1000, 1000, -1000, -1000};
    QTest::newRow("16-bit stereo") << 3 << Rate << true << true << QByteArray::fromHex("e803 18fc")
                                   << QVector<int>{1000, -1000};
    QTest::newRow("native order reads as little-endian") << 0 << Rate << true << false << QByteArray::fromHex("0001")
                                                         << QVector<int>{256, 256};
    QTest::newRow("8-bit is unsigned") << 3 << Rate << false << false << QByteArray::fromHex("80ff00")
                                       << QVector<int>{0, 0, 127 << 8, 127 << 8, -32768, -32768};
}

void SwfSoundTest::pcmDecodes()
{
    QFETCH(int, codec);
    QFETCH(int, rate);
    QFETCH(bool, sixteenBit);
    QFETCH(bool, stereo);
    QFETCH(QByteArray, data);
    QFETCH(QVector<int>, expected);
    swf::SoundFormat format{codec, double(rate), sixteenBit, stereo};
    swf::SoundDecoder decoder(format);
    std::vector<int16_t> out;
    decoder.decode(data, out);
    QCOMPARE(int(out.size()), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(int(out[size_t(i)]), expected[i]);
}

void SwfSoundTest::adpcmDecodesNearTheSource_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("rate");
    QTest::addColumn<double>("tolerance"); // mean error against the source
    QTest::newRow("2-bit") << 2 << 44100 << 400.0;
    QTest::newRow("3-bit") << 3 << 44100 << 200.0;
    QTest::newRow("4-bit") << 4 << 44100 << 100.0;
    QTest::newRow("5-bit") << 5 << 44100 << 60.0;
    QTest::newRow("4-bit at 11 kHz") << 4 << 11025 << 800.0;
}

void SwfSoundTest::adpcmDecodesNearTheSource()
{
    QFETCH(int, bits);
    QFETCH(int, rate);
    QFETCH(double, tolerance);
    // Longer than one 4096-sample packet, so the second packet's header is read.
    const std::vector<int16_t> source = sine(440, rate, 5000);
    swf::SoundDef sound;
    sound.format = {swf::SoundFormat::Adpcm, rate == 5512 ? 5512.5 : double(rate), true, false};
    sound.data = snd::adpcm(source, bits);
    sound.sampleCount = qint64(source.size());
    const std::vector<int16_t> out = swf::DecodeSound(sound, swf::SoundMixer::MaxEventFrames);
    const double factor = Rate / sound.format.rate;
    QVERIFY2(std::abs(double(out.size() / 2) - source.size() * factor) <= factor + 1,
             qPrintable(QString::number(out.size() / 2)));
    double error = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        const size_t at = std::min(size_t(std::lround((i + 1) * factor)) - 1, out.size() / 2 - 1);
        error += std::abs(out[at * 2] - source[i]);
    }
    error /= double(source.size());
    QVERIFY2(error < tolerance, qPrintable(QString::number(error)));
    QVERIFY(std::abs(frequencyOf(out) - 440) < 10);
}

void SwfSoundTest::mp3DecodesAcrossBlockBoundaries_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("pieceBytes");
    QTest::newRow("44.1 kHz, pieces of 333 bytes") << 44100 << 333;
    QTest::newRow("22.05 kHz, pieces of 97 bytes") << 22050 << 97;
    QTest::newRow("11.025 kHz, one piece") << 11025 << 1;
}

void SwfSoundTest::mp3DecodesAcrossBlockBoundaries()
{
    QFETCH(int, rate);
    QFETCH(int, pieceBytes);
    const QByteArray mp3 = mp3Sine(1.0, rate);
    QVERIFY(!mp3.isEmpty());
    swf::SoundDecoder decoder({swf::SoundFormat::Mp3, double(rate), true, false});
    std::vector<int16_t> out;
    const int piece = pieceBytes > 1 ? pieceBytes : int(mp3.size());
    for (int at = 0; at < mp3.size(); at += piece)
        decoder.decode(mp3.mid(at, piece), out);
    // A second of sound, give or take the encoder's padding of a few frames.
    QVERIFY2(std::abs(int(out.size() / 2) - Rate) < Rate / 5, qPrintable(QString::number(out.size() / 2)));
    QVERIFY2(std::abs(frequencyOf(out) - 440) < 15, qPrintable(QString::number(frequencyOf(out))));
}

void SwfSoundTest::malformedSoundDataStaysBounded_data()
{
    QTest::addColumn<int>("codec");
    QTest::newRow("pcm") << 3;
    QTest::newRow("adpcm") << 1;
    QTest::newRow("mp3") << 2;
    QTest::newRow("nellymoser") << 6;
}

void SwfSoundTest::malformedSoundDataStaysBounded()
{
    QFETCH(int, codec);
    QByteArray junk(200000, '\0');
    quint32 seed = 7;
    for (char &c : junk) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    // Sync words everywhere tempt an MP3 decoder into frame after frame.
    for (int i = 0; i + 1 < junk.size(); i += 97) {
        junk[i] = char(0xFF);
        junk[i + 1] = char(0xFB);
    }
    swf::SoundDecoder decoder({codec, 5512.5, true, true});
    std::vector<int16_t> out;
    decoder.decode(junk, out);
    decoder.decode(junk.left(3), out);
    QVERIFY(out.size() <= size_t(2 * 2 * swf::SoundDecoder::MaxFramesPerPiece));

    swf::SoundDef sound;
    sound.format = {codec, 5512.5, true, true};
    sound.data = junk;
    QVERIFY(swf::DecodeSound(sound, 1000).size() <= 2000);
}

void SwfSoundTest::eventSoundsFollowTheirInfo_data()
{
    QTest::addColumn<snd::Start>("start");
    QTest::addColumn<int>("heard"); // sample frames that sound
    QTest::addColumn<int>("firstLeft");
    QTest::addColumn<int>("firstRight");

    snd::Start plain;
    plain.id = 1;
    QTest::newRow("plays once") << plain << 1000 << 1 << 1;
    snd::Start looped = plain;
    looped.loops = 3;
    QTest::newRow("loops") << looped << 3000 << 1 << 1;
    snd::Start cut = plain;
    cut.inPoint = 100;
    cut.outPoint = 400;
    QTest::newRow("in and out points") << cut << 300 << 101 << 101;
    snd::Start enveloped = plain;
    enveloped.envelope = {{0, 0, 32768}, {1000, 0, 32768}};
    QTest::newRow("envelope silences the left") << enveloped << 1000 << 0 << 1;
}

Q_DECLARE_METATYPE(snd::Start)

void SwfSoundTest::eventSoundsFollowTheirInfo()
{
    QFETCH(snd::Start, start);
    QFETCH(int, heard);
    QFETCH(int, firstLeft);
    QFETCH(int, firstRight);
    // 1000 samples counting up, so each tells its own position.
    std::vector<int16_t> ramp(1000);
    for (int i = 0; i < 1000; ++i)
        ramp[size_t(i)] = int16_t(i + 1);
    const QByteArray file = movie(snd::defineSound(1, {snd::Pcm, Rate}, 1000, snd::pcm16(ramp)) +
                                  snd::startSound(start) + showFrame());
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    player.setSoundMixer(&mixer);
    QVERIFY(player.load(file, nullptr));
    QVERIFY(mixer.active());
    const std::vector<int16_t> out = mix(mixer, 5000);
    int sounding = 0;
    for (size_t i = 0; i < out.size(); i += 2)
        if (out[i] != 0 || out[i + 1] != 0)
            ++sounding;
    QCOMPARE(sounding, heard);
    QCOMPARE(int(out[0]), firstLeft);
    QCOMPARE(int(out[1]), firstRight);
    // The second loop begins where the first did.
    QCOMPARE(int(out[size_t(heard / std::max(start.loops, 1)) * 2 + 1]), heard > 1000 ? 1 : 0);
    QVERIFY(!mixer.active());
}

void SwfSoundTest::streamStaysInStepWithTheTimeline()
{
    const QByteArray file = levelStream(8, doAction(as::op(0x09))); // stopAllSounds on frame 2
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    player.setSoundMixer(&mixer);
    QVERIFY(player.load(file, nullptr));
    const void *key = player.rootStreamKey();
    QVERIFY(mixer.streamPlaying(key));

    // The stream reads ahead of the picture: three frames of sound at once.
    std::vector<int16_t> out = mix(mixer, FrameSamples * 3);
    QCOMPARE(levelAt(out, 0), 1000);
    QCOMPARE(levelAt(out, FrameSamples), 2000);
    QCOMPARE(levelAt(out, 2 * FrameSamples + 10), 3000);
    QCOMPARE(mixer.streamPosition(key, FrameSamples * 2 + 5)->framesHeard, 2);

    // A jump moves the sound with the picture.
    player.gotoFrame(5);
    out = mix(mixer, FrameSamples);
    QCOMPARE(levelAt(out, 0), 6000);
    QCOMPARE(levelAt(out, FrameSamples - 1), 6000);
    QCOMPARE(mixer.streamPosition(key, mixer.mixedFrames())->framesHeard, 1);

    // Stop silences it; play starts it again from the next frame shown.
    player.stop();
    QVERIFY(!mixer.streamPlaying(key));
    QCOMPARE(levelAt(mix(mixer, 10), 5), 0);
    player.play();
    player.advance();
    QCOMPARE(player.currentFrame(), 6);
    QCOMPARE(levelAt(mix(mixer, 10), 5), 7000);

    // The stream loops with the root.
    player.advance();
    player.advance();
    QCOMPARE(player.currentFrame(), 0);
    out = mix(mixer, FrameSamples * 3);
    QCOMPARE(levelAt(out, FrameSamples * 2 + 1), 1000);

    // stopAllSounds on frame 2 silences the stream until the next frame.
    player.advance();
    player.advance();
    QCOMPARE(player.currentFrame(), 2);
    QVERIFY(!mixer.streamPlaying(key));
    player.advance();
    QVERIFY(mixer.streamPlaying(key));
    QCOMPARE(levelAt(mix(mixer, 10), 0), 4000);

    player.unload();
    QVERIFY(!mixer.active());
}

void SwfSoundTest::frameAndButtonSoundsStart()
{
    const QByteArray click = snd::pcm16(std::vector<int16_t>(500, 3000));
    snd::Start start;
    start.id = 10;
    // The button's sound for pointer-enters: slot 1 of four.
    Bits buttonSound;
    buttonSound.u16(20);
    buttonSound.u16(0);
    buttonSound.u16(10);
    buttonSound.raw(snd::soundInfo(start));
    buttonSound.u16(0);
    buttonSound.u16(0);
    const QByteArray tags = background(Qt::white) + snd::defineSound(10, {snd::Pcm, Rate}, 500, click) +
                            rectangle(1, QRect(0, 0, 1000, 1000), Qt::red) + button(20, 1, 1, {}) +
                            tag(17, buttonSound.bytes) + place(Place(1, 20)) + showFrame() + showFrame() +
                            snd::startSound(start) + showFrame();
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    player.setSoundMixer(&mixer);
    QVERIFY(player.load(movie(tags), nullptr));
    QVERIFY(!mixer.active());
    player.pointerMove(QPointF(500, 500));
    QVERIFY(mixer.active());
    QCOMPARE(levelAt(mix(mixer, 600), 0), 3000);
    QVERIFY(!mixer.active());
    player.advance();
    QVERIFY(!mixer.active());
    player.advance();
    QVERIFY(mixer.active()); // the frame's StartSound
}

void SwfSoundTest::pictureFollowsWhatIsHeard()
{
    FakeOutput *output = nullptr;
    int outputsMade = 0;
    swf::FlashControl control;
    control.setSoundOutput([&](swf::SoundMixer &mixer) {
        ++outputsMade;
        auto made = std::make_unique<FakeOutput>(mixer);
        output = made.get();
        return made;
    });
    control.setMovie(write("levels.swf", levelStream(30)));
    QCOMPARE(outputsMade, 1);
    QCOMPARE(control.FrameNum(), 0);

    // Nothing heard yet: the picture waits for the sound.
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 0);
    output->play(FrameSamples + 5);
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 1);
    // Drawing fell behind: the picture skips to the frame being heard.
    output->play(FrameSamples * 6);
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 7);

    // A jump restarts the stream there; the picture again follows it.
    control.GotoFrame(20);
    QCOMPARE(control.FrameNum(), 20);
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 20);
    output->play(FrameSamples * 2);
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 22);

    // Stopped, the clock is the timer again and the root stays put; the
    // silent output is let go after a while.
    control.Stop();
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 22);
    QTest::qWait(swf::FlashControl::OutputIdleMs + 50);
    control.advanceFrame();
    QCOMPARE(FakeOutput::live, 0);
    output = nullptr;
    // Playing again brings the stream back with a new output, which the
    // picture follows from where the mix stands.
    control.Play();
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 23);
    QCOMPARE(outputsMade, 2);
    QVERIFY(output);
    output->play(FrameSamples + 1);
    control.advanceFrame();
    QCOMPARE(control.FrameNum(), 24);

    // No movie, no output.
    control.setMovie(QString(swf::FlashControl::NoMovie));
    QCOMPARE(FakeOutput::live, 0);
    QCOMPARE(outputsMade, 2);
}

void SwfSoundTest::realOutputConsumesInRealTime()
{
    const QString path = write("tone.swf", levelStream(24));
    swf::FlashControl control;
    control.setSoundOutput(MovieSoundOutput::factory());
    WaveVolume::process().setVolume(0x80008000u);
    control.setMovie(path);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(control.FrameNum() >= 12, 5000);
    const qint64 elapsed = clock.elapsed();
    // Twelve frames at 12 fps take a second of sound, however it is consumed.
    QVERIFY2(elapsed > 700 && elapsed < 3000, qPrintable(QString::number(elapsed)));
    control.setMovie(QString(swf::FlashControl::NoMovie));
    WaveVolume::process().setVolume(WaveVolume::Full);
}

void SwfSoundTest::outputAppliesTheWaveVolume()
{
    // A steady level of 10000 on both channels, heard at half volume on the
    // left and not at all on the right.
    snd::Start start;
    start.id = 1;
    const QByteArray file = movie(snd::defineSound(1, {snd::Pcm, Rate}, 44100,
                                                   snd::pcm16(std::vector<int16_t>(44100, 10000))) +
                                  snd::startSound(start) + showFrame());
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    player.setSoundMixer(&mixer);
    QVERIFY(player.load(file, nullptr));
    WaveVolume::process().setVolume(0x00008000u);
    MovieSoundOutput output(mixer, QStringLiteral("audio/x-raw,format=S16LE,channels=2 ! appsink name=tap sync=false"));
    GstElement *tap = gst_bin_get_by_name(GST_BIN(output.pipeline()), "tap");
    QVERIFY(tap);
    GstSample *sample = nullptr;
    g_signal_emit_by_name(tap, "pull-sample", &sample);
    gst_object_unref(tap);
    QVERIFY(sample);
    GstMapInfo map;
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    QVERIFY(gst_buffer_map(buffer, &map, GST_MAP_READ));
    const auto *samples = reinterpret_cast<const int16_t *>(map.data);
    const int left = samples[200], right = samples[201];
    gst_buffer_unmap(buffer, &map);
    gst_sample_unref(sample);
    WaveVolume::process().setVolume(WaveVolume::Full);
    QVERIFY2(std::abs(left - 5000) <= 2, qPrintable(QString::number(left)));
    QCOMPARE(right, 0);
}

void SwfSoundTest::soundObjectsOfScripts()
{
    using namespace as;
    const QByteArray callMethod = op(0x52), drop = op(0x17);
    const auto onSound = [&](const QByteArray &name, const QByteArray &argsReversed, int count) {
        return argsReversed + pushNumber(count) + getVariable("s") + pushString(name) + callMethod + drop;
    };
    // s = new Sound(); s.attachSound("knock"); s.setVolume(50); s.start(0, 2);
    const QByteArray start = pushString("s") + pushNumber(0) + pushString("Sound") + op(0x40) + op(0x1D) +
                             onSound("attachSound", pushString("knock"), 1) + onSound("setVolume", pushNumber(50), 1) +
                             onSound("start", pushNumber(2) + pushNumber(0), 2);
    const QByteArray file =
        movie(snd::defineSound(1, {snd::Pcm, Rate}, 1000, snd::pcm16(std::vector<int16_t>(1000, 10000))) +
              exportAssets(1, "knock") + doAction(start) + showFrame() + doAction(onSound("stop", {}, 0)) +
              showFrame());
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    player.setSoundMixer(&mixer);
    QVERIFY(player.load(file, nullptr));
    QCOMPARE(player.soundVolume(), 50);
    const std::vector<int16_t> out = mix(mixer, 1500);
    QCOMPARE(levelAt(out, 0), 5000);
    QCOMPARE(levelAt(out, 1400), 5000); // the second time round
    player.advance();
    QVERIFY(!mixer.active());
}

void SwfSoundTest::loadedSounds_data()
{
    ScriptCases::addColumns();
    const QString soundLoaded = handler(QStringLiteral("onLoad"), TraceLoaded, QStringLiteral("ok"));
    const QString traceComplete = QStringLiteral("push \"complete\"\ntrace\n");

    QTest::newRow("an event sound plays once started, and tells its end")
        << 8
        << loadSound(QStringLiteral("tone.mp3"), false) +
               handler(QStringLiteral("onLoad"),
                       TraceLoaded + traceTenths(QStringLiteral("duration")) + traceThis(QStringLiteral("position")) +
                           callThis(QStringLiteral("start")),
                       QStringLiteral("ok")) +
               handler(QStringLiteral("onSoundComplete"), traceComplete + traceTenths(QStringLiteral("position")))
        // The encoder pads the half second to whole MP3 frames: 22 of 1152 samples.
        << QStringList{"loaded true", "6", "0", "complete", "6"};
    QTest::newRow("a streaming sound plays once loaded")
        << 8
        << loadSound(QStringLiteral("tone.mp3"), true) + soundLoaded +
               handler(QStringLiteral("onSoundComplete"), traceComplete)
        << QStringList{"loaded true", "complete"};
    QTest::newRow("a stopped sound does not complete")
        << 8
        << loadSound(QStringLiteral("tone.mp3"), true) +
               handler(QStringLiteral("onLoad"), TraceLoaded + callThis(QStringLiteral("stop")), QStringLiteral("ok")) +
               handler(QStringLiteral("onSoundComplete"), traceComplete)
        << QStringList{"loaded true"};
    QTest::newRow("the bytes read are the file's")
        << 8
        << loadSound(QStringLiteral("tone.mp3"), false) +
               handler(QStringLiteral("onLoad"),
                       QStringLiteral("push 0, \"this\"\ngetvariable\npush \"getBytesLoaded\"\ncallmethod\n"
                                      "push 0, \"this\"\ngetvariable\npush \"getBytesTotal\"\ncallmethod\n"
                                      "equals2\ntrace\n"))
        << QStringList{"true"};
    QTest::newRow("ID3 tags of both versions, before onLoad")
        << 8
        << loadSound(QStringLiteral("tagged.mp3"), false) + soundLoaded +
               handler(QStringLiteral("onID3"),
                       QStringLiteral("push \"this\"\ngetvariable\npush \"id3\"\ngetmember\nstoreregister 1\npop\n") +
                           QStringLiteral("push r1\npush \"TIT2\"\ngetmember\ntrace\n"
                                          "push r1\npush \"TPE1\"\ngetmember\ntrace\n"
                                          "push r1\npush \"songname\"\ngetmember\ntrace\n"
                                          "push r1\npush \"track\"\ngetmember\ntrace\n"))
        << QStringList{"Knock", "Band", "Old name", "7", "loaded true"};
    QTest::newRow("a file outside the movie's folder fails")
        << 8 << loadSound(QStringLiteral("../outside.mp3"), true) + soundLoaded << QStringList{"loaded false"};
    QTest::newRow("a missing file fails") << 8 << loadSound(QStringLiteral("none.mp3"), true) + soundLoaded
                                          << QStringList{"loaded false"};
    QTest::newRow("a file that is no MP3 fails") << 8 << loadSound(QStringLiteral("text.mp3"), false) + soundLoaded
                                                 << QStringList{"loaded false"};
    // More loads than may wait at once: the ones past it fail as the others do.
    const QString countFailures = QStringLiteral(
        "push \"n\"\npush \"n\"\ngetvariable\nincrement\nsetvariable\n"
        "push \"n\"\ngetvariable\npush 1001\nequals2\nnot\nif counted\npush \"all failed\"\ntrace\ncounted:\n");
    QTest::newRow("every load fails alike, past the most that may wait")
        << 8
        << QStringLiteral("push \"n\", 0\nsetvariable\npush \"i\", 0\nsetvariable\nagain:\n") +
               loadSound(QStringLiteral("none.mp3"), false) + handler(QStringLiteral("onLoad"), countFailures) +
               QStringLiteral("push \"i\"\npush \"i\"\ngetvariable\nincrement\nsetvariable\n"
                              "push \"i\"\ngetvariable\npush 1001\nless2\nif again\n")
        << QStringList{"all failed"};
    QTest::newRow("loading brings the volume back to full")
        << 6
        << ScriptCases::newObject(QStringLiteral("s"), QStringLiteral("Sound")) +
               ScriptCases::traceCall(QStringLiteral("\"s\"\ngetvariable\npush 25"), QStringLiteral("setVolume")) +
               loadSound(QStringLiteral("none.mp3"), true) +
               ScriptCases::traceCall(QStringLiteral("\"s\"\ngetvariable"), QStringLiteral("getVolume"))
        << QStringList{"undefined", "100"};
}

void SwfSoundTest::loadedSounds()
{
    QFETCH(int, version);
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    // Four seconds of frames: the tone ends, and a thousand loads complete, well within them.
    QCOMPARE(tracesOver(version, source, 48), printed);
}

void SwfSoundTest::id3TagsOfAnyFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("tags");
    const QByteArray sound("\xff\xfb\x90\x00", 4);
    const QByteArray huge("\x7f\xff\xff\xff", 4);
    QTest::newRow("version 2.3 text frames") << id3v2(id3Frame("TIT2", "Knock") + id3Frame("TPE1", "Band")) + sound
                                             << QStringList{"TIT2=Knock", "TPE1=Band"};
    QTest::newRow("version 2.4: seven-bit frame sizes, UTF-8")
        << QByteArray("ID3\x04\0\0\0\0\0\x11TIT2\0\0\0\x07\0\0\x03Gr\xc3\xbc\xc3\x9f", 27)
        << QStringList{QStringLiteral("TIT2=Grüß")};
    QTest::newRow("UTF-16 after its byte order mark")
        << id3v2(QByteArray("TIT2\0\0\0\x07\0\0\x01\xff\xfeH\0i\0", 17)) << QStringList{"TIT2=Hi"};
    QTest::newRow("a comment: language and description skipped")
        << id3v2(QByteArray("COMM\0\0\0\x10\0\0\0engabc\0the text", 26)) << QStringList{"COMM=the text"};
    QTest::newRow("an extended header is skipped")
        << QByteArray("ID3\x03\0\x40\0\0\0\x1a\0\0\0\x06\0\0\0\0\0\0", 20) + id3Frame("TIT2", "Knock")
        << QStringList{"TIT2=Knock"};
    QTest::newRow("a frame larger than the tag ends the reading")
        << id3v2(id3Frame("TIT2", "Knock") + "TPE1" + huge + QByteArray(2, '\0') + "Band") + sound
        << QStringList{"TIT2=Knock"};
    QTest::newRow("a tag declaring more than the file") << QByteArray("ID3\x03\0\0\x7f\x7f\x7f\x7f", 10) +
                                                               id3Frame("TIT2", "Knock")
                                                        << QStringList{"TIT2=Knock"};
    QTest::newRow("version 1.0: no track number") << sound + "TAG" + QByteArray(30, 'a') + QByteArray(94, '\0') + '\x03'
                                                  << QStringList{"songname=" + QString(30, u'a'), "artist=", "album=",
                                                                 "year=", "comment=", "genre=3"};
    QTest::newRow("version 1.1 after the sound")
        << sound + id3v1("Old name", 7)
        << QStringList{"songname=Old name", "artist=Band", "album=Album", "year=1999", "comment=Note", "track=7",
                       "genre=17"};
    QTest::newRow("a header alone") << QByteArray("ID3\x03\0\0\0\0\0\0", 10) << QStringList{};
    QTest::newRow("a cut header") << QByteArray("ID3\x03") << QStringList{};
    QTest::newRow("no tags") << sound << QStringList{};
}

void SwfSoundTest::id3TagsOfAnyFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, tags);
    QStringList read;
    for (const auto &[name, text] : swf::ReadId3Tags(file))
        read << name + u'=' + text;
    QCOMPARE(read, tags);
}

// A streaming sound plays through the mixer once it is loaded, and stops with the movie's sounds.
void SwfSoundTest::clipSoundsAreHeardThroughTheirTransforms_data()
{
    QTest::addColumn<QString>("target"); // what new Sound() is given
    QTest::addColumn<QString>("method");
    QTest::addColumn<double>("argument");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    // The sound plays at 10000 on both sides.
    QTest::newRow("a clip's volume") << "this" << "setVolume" << 25.0 << 2500 << 2500;
    QTest::newRow("a clip's pan to the right") << "this" << "setPan" << 100.0 << 0 << 10000;
    QTest::newRow("a clip's pan half left") << "this" << "setPan" << -50.0 << 10000 << 5000;
    QTest::newRow("a clip silenced") << "this" << "setVolume" << 0.0 << 0 << 0;
    QTest::newRow("a huge volume is bounded, not wrapped") << "this" << "setVolume" << 1e9 << 32767 << 32767;
    QTest::newRow("the movie's volume") << "" << "setVolume" << 50.0 << 5000 << 5000;
}

// s = new Sound(target); s.attachSound("knock"); s.method(argument); s.start();
void SwfSoundTest::clipSoundsAreHeardThroughTheirTransforms()
{
    QFETCH(QString, target);
    QFETCH(QString, method);
    QFETCH(double, argument);
    QFETCH(int, left);
    QFETCH(int, right);
    using namespace as;
    const QByteArray callMethod = op(0x52), drop = op(0x17);
    const auto onSound = [&](const QByteArray &name, const QByteArray &argsReversed, int count) {
        return argsReversed + pushNumber(count) + getVariable("s") + pushString(name) + callMethod + drop;
    };
    const QByteArray given = target.isEmpty() ? pushNumber(0) : getVariable(target.toLatin1()) + pushNumber(1);
    const QByteArray start = pushString("s") + given + pushString("Sound") + op(0x40) + op(0x1D) +
                             onSound("attachSound", pushString("knock"), 1) +
                             onSound(method.toLatin1(), pushNumber(argument), 1) + onSound("start", {}, 0);
    const QByteArray file =
        movie(snd::defineSound(1, {snd::Pcm, Rate}, 1000, snd::pcm16(std::vector<int16_t>(1000, 10000))) +
              exportAssets(1, "knock") + doAction(start) + showFrame());
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    player.setSoundMixer(&mixer);
    QVERIFY(player.load(file, nullptr));
    const std::vector<int16_t> out = mix(mixer, 100);
    QCOMPARE(int(out[100]), left);
    QCOMPARE(int(out[101]), right);
}

void SwfSoundTest::transformsOfNestedClipsCompose()
{
    swf::SoundTransform half;
    half.volume = 50;
    swf::SoundTransform right; // everything to the right, at half the volume
    right.volume = 50;
    right.ll = 0;
    right.lr = 100;
    const swf::SoundTransform both = swf::ComposeSoundTransforms(half, right);
    QCOMPARE(both.volume, 25);
    QCOMPARE(both.ll, 0);
    QCOMPARE(both.lr, 100);
    QCOMPARE(both.rr, 100);
    // The inner transform acts first: swapping the sides twice gives them back.
    swf::SoundTransform swapped;
    swapped.ll = swapped.rr = 0;
    swapped.lr = swapped.rl = 100;
    const swf::SoundTransform twice = swf::ComposeSoundTransforms(swapped, swapped);
    QVERIFY(swf::IsPlainSoundTransform(twice));
}

void SwfSoundTest::loadedSoundsAreHeard()
{
    const QString folder = movieFolder();
    const QByteArray code = ActionAssembler::assemble(QStringLiteral("stop\n") +
                                                      loadSound(QStringLiteral("tone.mp3"), true));
    swf::MoviePlayer player;
    swf::SoundMixer mixer;
    player.setSoundMixer(&mixer);
    player.setMovieFile(folder + QStringLiteral("/heard.swf"));
    QVERIFY(player.load(movie(doAction(code) + showFrame(), 8, QSize(100, 100), 12), nullptr));
    QVERIFY(!mixer.active());
    for (int f = 0; f < swf::MoviePlayer::LoadFrames; ++f)
        player.advance();
    QVERIFY(mixer.active());
    const std::vector<int16_t> out = mix(mixer, Rate / 4);
    QVERIFY(std::any_of(out.begin(), out.end(), [](int16_t sample) { return std::abs(sample) > 1000; }));
    player.stopSounds();
    QVERIFY(!mixer.active());
}

void SwfSoundTest::soundTargets_data()
{
    ScriptCases::addColumns();
    const QString clips = QStringLiteral("push 1, \"a\", 2, \"_root\"\ngetvariable\npush \"createEmptyMovieClip\"\n"
                                         "callmethod\npop\npush 1, \"b\", 2, \"a\"\ngetvariable\n"
                                         "push \"createEmptyMovieClip\"\ncallmethod\npop\n");
    const auto setVolume = [](const QString &target, int volume) {
        return QStringLiteral("push %1, 1, %2, 1, \"Sound\"\nnewobject\npush \"setVolume\"\ncallmethod\npop\n")
            .arg(volume)
            .arg(target);
    };
    const auto traceVolume = [](const QString &target) {
        return QStringLiteral("push 0, %1, 1, \"Sound\"\nnewobject\npush \"getVolume\"\ncallmethod\ntrace\n")
            .arg(target);
    };
    QTest::newRow("a path names a clip from where the script acts")
        << 6
        << clips + setVolume(QStringLiteral("\"a\""), 30) + QStringLiteral("settarget \"a\"\n") +
               setVolume(QStringLiteral("\"b\""), 50) + traceVolume(QStringLiteral("\"b\"")) +
               traceVolume(QStringLiteral("\"/a\"")) + QStringLiteral("settarget \"\"\n") +
               traceVolume(QStringLiteral("\"a\"")) + traceVolume(QStringLiteral("\"a.b\""))
        << QStringList{"50", "30", "30", "50"};
}

void SwfSoundTest::soundTargets() { ScriptCases::run(m_dir.path()); }

void SwfSoundTest::externalInterfaceIsUnavailable_data()
{
    ScriptCases::addColumns();
    const QString external = QStringLiteral("\"flash\"\ngetvariable\npush \"external\"\ngetmember\n"
                                            "push \"ExternalInterface\"\ngetmember");
    const auto helper = [&](const char *name, const QString &text) {
        return ScriptCases::traceCall(external, QString::fromLatin1(name), {text});
    };
    const QString traceAvailable = QStringLiteral("push ") + external + QStringLiteral("\npush \"available\"\n"
                                                                                      "getmember\ntrace\n");
    QTest::newRow("no page answers")
        << 8
        << traceAvailable + ScriptCases::traceCall(external, QStringLiteral("call"), {QStringLiteral("\"f\"")}) +
               ScriptCases::traceCall(external, QStringLiteral("addCallback"),
                                      {QStringLiteral("\"f\""), QStringLiteral("null"), QStringLiteral("null")})
        << QStringList{"false", "null", "false"};
    QTest::newRow("XML escapes, ampersands once")
        << 8
        << helper("_escapeXML", QStringLiteral("\"<a & 'b'>\\\"\"")) +
               helper("_unescapeXML", QStringLiteral("\"&amp;amp; &nbsp; &lt;&quot;\"")) +
               helper("_escapeXML", QStringLiteral("\"\""))
        << QStringList{"&lt;a &amp; &apos;b&apos;&gt;&quot;", "&amp; &nbsp; <\"", "null"};
    QTest::newRow("JavaScript quoting leaves backslashes and single quotes")
        << 8 << helper("_jsQuoteString", QStringLiteral("\"say \\\"hi\\\" \\\\ 'x'\""))
        << QStringList{"say \\\"hi\\\" \\ 'x'"};
    QTest::newRow("not before version 8") << 7 << QStringLiteral("push ") + external + QStringLiteral("\ntrace\n")
                                          << QStringList{"undefined"};
}

void SwfSoundTest::externalInterfaceIsUnavailable() { ScriptCases::run(m_dir.path()); }

void SwfSoundTest::fileReferencesPickNothing_data()
{
    ScriptCases::addColumns();
    const auto made = [](const char *name) {
        return QStringLiteral("push \"r\", 0, \"flash\"\ngetvariable\npush \"net\"\ngetmember\npush \"%1\"\n"
                              "newmethod\nsetvariable\n")
            .arg(QString::fromLatin1(name));
    };
    const QString r = QStringLiteral("\"r\"\ngetvariable");
    QTest::newRow("a reference has no file and browses to none")
        << 8
        << made("FileReference") + ScriptCases::traceCall(r, QStringLiteral("browse")) +
               ScriptCases::traceCall(r, QStringLiteral("download"), {QStringLiteral("\"a.txt\"")}) +
               ScriptCases::tracePath(QStringLiteral("r.name")) + ScriptCases::tracePath(QStringLiteral("r.size"))
        << QStringList{"false", "false", "undefined", "undefined"};
    QTest::newRow("a list starts empty")
        << 8
        << made("FileReferenceList") + ScriptCases::traceCall(r, QStringLiteral("browse")) +
               ScriptCases::tracePath(QStringLiteral("r.fileList.length")) +
               ScriptCases::tracePath(QStringLiteral("r._listeners.length"))
        << QStringList{"false", "0", "0"};
}

void SwfSoundTest::fileReferencesPickNothing() { ScriptCases::run(m_dir.path()); }

QTEST_MAIN(SwfSoundTest)
#include "tst_swf_sound.moc"
