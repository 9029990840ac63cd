// Makes the demo content a first run plays: a synthesised tune (MP3), a short
// video with sound (AVI), a MIDI tune, a small animated Flash movie with a
// streaming MP3 soundtrack, a bounce sound, a frame label and an fscommand, a
// second one whose script loads its walking cat from a movie of its own and
// captions the scene with the time, a third written in ActionScript 3 that
// draws its frames from its script (As3Cartoon.h), plus a playlist of them.
//   make_demo FOLDER PLAYLIST
#include "ActionAssembler.h"
#include "As3Cartoon.h"
#include "MediaFiles.h"
#include "SoundWriter.h"
#include "SwfWriter.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QtMath>

#include <cstdio>

using namespace SwfWriter;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bell-like notes one after another, as 16-bit mono samples.
std::vector<int16_t> melody(const std::vector<double> &notes, double noteSeconds, int rate, double decay = 4)
{
    const int perNote = int(rate * noteSeconds);
    std::vector<int16_t> samples;
    samples.reserve(notes.size() * size_t(perNote));
    for (double frequency : notes) {
        for (int i = 0; i < perNote; ++i) {
            const double t = double(i) / rate;
            const double envelope = std::exp(-decay * t) * std::min(1.0, t * 200);
            const double sample = envelope * (0.6 * std::sin(2 * M_PI * frequency * t) +
                                              0.25 * std::sin(4 * M_PI * frequency * t) +
                                              0.1 * std::sin(6 * M_PI * frequency * t));
            samples.push_back(qint16(std::clamp(sample, -1.0, 1.0) * 20000));
        }
    }
    return samples;
}

QByteArray wavFile(const std::vector<int16_t> &mono, int rate, int channels)
{
    QByteArray pcm;
    for (int16_t value : mono) {
        for (int channel = 0; channel < channels; ++channel) {
            pcm.append(char(value & 0xFF));
            pcm.append(char((value >> 8) & 0xFF));
        }
    }
    QByteArray wav("RIFF");
    const auto u32 = [&wav](quint32 v) { wav.append(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&wav](quint16 v) { wav.append(reinterpret_cast<const char *>(&v), 2); };
    u32(quint32(36 + pcm.size()));
    wav += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(quint16(channels));
    u32(quint32(rate));
    u32(quint32(rate * 2 * channels));
    u16(quint16(2 * channels));
    u16(16);
    wav += "data";
    u32(quint32(pcm.size()));
    return wav + pcm;
}

// A little arpeggio with a soft bell tone, stereo.
QByteArray tuneWav()
{
    return wavFile(melody({261.63, 329.63, 392.00, 523.25, 392.00, 329.63, 293.66, 349.23, 440.00, 587.33, 440.00,
                           349.23, 261.63, 329.63, 392.00, 523.25},
                          0.45, 44100),
                   44100, 2);
}

// The cartoon's soundtrack: three seconds of a cheerful tune, mono 22.05 kHz.
constexpr int SoundtrackRate = 22050;
QByteArray soundtrackWav()
{
    return wavFile(melody({392.00, 523.25, 659.25, 523.25, 587.33, 493.88, 392.00, 440.00, 493.88, 523.25, 659.25,
                           783.99},
                          0.25, SoundtrackRate, 6),
                   SoundtrackRate, 1);
}

// A MIDI melody of eight notes on a music box.
QByteArray midiTune()
{
    QByteArray track = QByteArray::fromHex("00C00A"); // music box
    for (const char *note : {"48", "4C", "4F", "54", "53", "4F", "4C", "48"}) {
        track += QByteArray::fromHex(QByteArray("0090") + note + "60");
        track += QByteArray::fromHex(QByteArray("6080") + note + "40");
    }
    track += QByteArray::fromHex("00FF2F00");
    QByteArray file = QByteArray::fromHex("4D54686400000006000000010060") + "MTrk";
    const quint32 size = qToBigEndian(quint32(track.size()));
    file.append(reinterpret_cast<const char *>(&size), 4);
    return file + track;
}

// 36 frames at 12 fps: a gradient ball bounces across a sky over a green
// hill to a streaming soundtrack, with a knock at each bounce; a sun grows,
// and the last frame raises an fscommand.
QByteArray cartoon(const QByteArray &soundtrackMp3)
{
    constexpr int Frames = 36;
    const std::vector<QByteArray> blocks =
        sound::mp3Blocks(sound::mp3Frames(soundtrackMp3), SoundtrackRate / 12.0, Frames);
    const sound::Format streamFormat{sound::Mp3, SoundtrackRate};
    const sound::Format knockFormat{sound::Adpcm, 22050};
    const std::vector<int16_t> knock = melody({180}, 0.12, 22050, 30);
    QByteArray tags = background(QColor(120, 180, 255));
    tags += sound::streamHead(streamFormat, SoundtrackRate / 12);
    tags += sound::defineSound(4, knockFormat, quint32(knock.size()), sound::adpcm(knock));
    tags += rectangle(1, QRect(0, 4000, 8000, 2000), QColor(60, 170, 70), QColor(20, 110, 40));
    tags += disc(2, QPoint(0, 0), 600, QColor(255, 245, 160), QColor(255, 150, 20));
    tags += disc(3, QPoint(0, 0), 400, QColor(255, 140, 150), QColor(160, 10, 40));
    tags += place(Place(1, 1)) + place(Place(2, 2).at(QPoint(6500, 1200)).scaled(0.5)) +
            place(Place(3, 3).at(QPoint(600, 3600))) + label("Start");
    for (int f = 0; f < Frames; ++f) {
        if (!blocks[size_t(f)].isEmpty())
            tags += sound::streamBlock(blocks[size_t(f)]);
        if (f % 9 == 0) {
            sound::Start start;
            start.id = 4;
            tags += sound::startSound(start);
        }
        if (f > 0) {
            const int x = 600 + f * 190;
            const int y = 3600 - int(std::abs(std::sin(f * 0.35)) * 1400);
            tags += place(Place(3).moving().at(QPoint(x, y)));
            tags += place(Place(2).moving().at(QPoint(6500, 1200)).scaled(0.5 + f * 0.02));
        }
        if (f == 35)
            tags += doAction(as::getUrl("FSCommand:demo_end", "bounced"));
        tags += showFrame();
    }
    return movie(tags, 8, QSize(400, 300), 12);
}

// A polygon through the points of an ellipse (twips).
QPolygon ellipse(QPoint centre, int rx, int ry, int points = 20)
{
    QPolygon outline;
    for (int i = 0; i < points; ++i) {
        const double angle = 2 * M_PI * i / points;
        outline << centre + QPoint(int(rx * std::cos(angle)), int(ry * std::sin(angle)));
    }
    return outline;
}

// Four legs under the cat's body, swung forward (+1) or back (-1).
QPolygon leg(int x, int swing) { return QPolygon({{x, 1050}, {x + 120, 1050}, {x + 120 + swing * 90, 1450}, {x + swing * 90, 1450}}); }

// The walking cat the night walk loads: an orange cat facing right on a
// 120 x 80 stage, its legs swinging every other frame.
QByteArray cat()
{
    const QColor orange(240, 140, 30);
    const QColor darkOrange(190, 95, 10);
    const std::vector<QPolygon> body{ellipse({1100, 900}, 620, 280),
                                     QPolygon({{520, 860}, {200, 380}, {300, 340}, {600, 800}}), // tail
                                     QPolygon({{1620, 520}, {1700, 200}, {1800, 480}}),          // ears
                                     QPolygon({{1880, 480}, {1990, 200}, {2040, 540}})};
    QByteArray tags = polygons(1, body, orange);
    tags += polygons(2, {leg(650, 1), leg(850, -1), leg(1300, 1), leg(1500, -1)}, darkOrange);
    tags += polygons(3, {leg(650, -1), leg(850, 1), leg(1300, -1), leg(1500, 1)}, darkOrange);
    tags += disc(4, {1850, 700}, 300, orange, darkOrange);
    tags += disc(5, {1960, 640}, 50, QColor(255, 255, 200), QColor(40, 40, 10));
    tags += place(Place(1, 1)) + place(Place(2, 2)) + place(Place(3, 4)) + place(Place(4, 5)) + showFrame() + showFrame();
    tags += remove(2) + place(Place(2, 3)) + showFrame() + showFrame();
    return movie(tags, 8, QSize(120, 80), 8);
}

// The night walk's script: it makes a clip, loads the cat into it, makes a
// caption field that tells the time from a Date, and walks the cat across
// the stage on every frame, round again once it is off the right edge.
constexpr char NightWalkScript[] = R"(
push 10, "cat", 2
push "this"
getvariable
push "createEmptyMovieClip"
callmethod
pop
push "characters/cat.swf", 1, "cat"
getvariable
push "loadMovie"
callmethod
pop
push "cat"
getvariable
push "_y", 185
setmember
push "cat"
getvariable
push "_x", -120
setmember
push 30, 380, 12, 10, 20, "caption", 6
push "this"
getvariable
push "createTextField"
callmethod
pop
push "now", 0, "Date"
newobject
setvariable
push "caption"
getvariable
push "text", "Night walk at "
push 0, "now"
getvariable
push "getHours"
callmethod
add2
push ":", -2, 1, "0"
push 0, "now"
getvariable
push "getMinutes"
callmethod
add2
push "slice"
callmethod
add2
add2
setmember
push "caption"
getvariable
push "textColor", 16773800
setmember
push "this"
getvariable
push "onEnterFrame"
function ()
push "cat"
getvariable
push "_x", "cat"
getvariable
push "_x"
getmember
push 4
add2
setmember
push "cat"
getvariable
push "_x"
getmember
push 400
greater
not
if walking
push "cat"
getvariable
push "_x", -120
setmember
walking:
end
setmember
)";

// A night scene: a moon, stars and a dark hill, with the scripted cat
// walking over it under a caption. The script runs on the first of twenty
// seconds of frames, so the item plays that long before the player moves on.
QByteArray nightWalk()
{
    constexpr int Rate = 24;
    constexpr int Frames = 20 * Rate;
    QByteArray tags = background(QColor(18, 22, 58));
    tags += disc(1, {6600, 1300}, 700, QColor(255, 255, 235), QColor(230, 225, 170));
    std::vector<QPolygon> stars;
    for (const QPoint star : {QPoint(900, 1500), QPoint(2200, 900), QPoint(3400, 1700), QPoint(4700, 1000), QPoint(5600, 2300)})
        stars.push_back(ellipse(star, 40, 40, 8));
    tags += polygons(2, stars, QColor(255, 255, 210));
    tags += rectangle(3, QRect(0, 4700, 8000, 1300), QColor(30, 60, 40), QColor(10, 30, 20));
    tags += place(Place(1, 1)) + place(Place(2, 2)) + place(Place(3, 3));
    tags += doAction(ActionAssembler::assemble(QString::fromLatin1(NightWalkScript))) + showFrame();
    for (int frame = 1; frame < Frames; ++frame)
        tags += showFrame();
    return movie(tags, 8, QSize(400, 300), Rate);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo FOLDER PLAYLIST\n");
        return 2;
    }
    gst_init(nullptr, nullptr);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    const QString wav = folder + "/tune.wav";
    const QString soundtrackWavFile = folder + "/soundtrack.wav";
    const QString soundtrackMp3 = folder + "/soundtrack.mp3";
    const QString music = folder + "/Tessaro Chimes.mp3";
    const QString video = folder + "/Bouncing Ball.avi";
    const QString flac = folder + "/Tessaro Chimes (lossless).flac";
    const QString mp4 = folder + "/Colour Bars.mp4";
    const QString midi = folder + "/Music Box.mid";
    const QString swf = folder + "/Sunny Hill.swf";
    const QString walk = folder + "/Night Walk.swf";
    const QString as3 = folder + "/Bouncing Script.swf";
    const QString characters = folder + "/characters";

    const bool made =
        writeFile(wav, tuneWav()) &&
        MediaFiles::make("filesrc location=\"" + wav +
                             "\" ! wavparse ! audioconvert ! lamemp3enc target=bitrate bitrate=160 cbr=true"
                             " ! xingmux ! id3v2mux ! filesink location=\"%1\"",
                         music) &&
        MediaFiles::make("videotestsrc num-buffers=150 pattern=ball background-color=0xff1d4fa8 foreground-color=0xffffd447 motion=sweep ! video/x-raw,width=480,height=360,framerate=25/1"
                         " ! jpegenc ! queue ! avimux name=mux ! filesink location=\"%1\" "
                         "audiotestsrc num-buffers=300 samplesperbuffer=882 wave=ticks"
                         " ! audio/x-raw,rate=44100,channels=2 ! queue ! mux.",
                         video) &&
        MediaFiles::make("filesrc location=\"" + wav + "\" ! wavparse ! audioconvert ! flacenc ! filesink location=\"%1\"",
                         flac) &&
        MediaFiles::make("videotestsrc num-buffers=100 pattern=smpte ! video/x-raw,width=480,height=360,framerate=25/1"
                         " ! x264enc ! h264parse ! queue ! mp4mux name=mux ! filesink location=\"%1\" "
                         "audiotestsrc num-buffers=200 samplesperbuffer=882 freq=660 volume=0.2"
                         " ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_aac ! aacparse ! queue ! mux.",
                         mp4) &&
        writeFile(midi, midiTune()) && writeFile(soundtrackWavFile, soundtrackWav()) &&
        MediaFiles::make("filesrc location=\"" + soundtrackWavFile +
                             "\" ! wavparse ! audioconvert ! lamemp3enc target=bitrate bitrate=48 cbr=true"
                             " ! filesink location=\"%1\"",
                         soundtrackMp3) &&
        writeFile(swf, cartoon(readFile(soundtrackMp3))) && QDir().mkpath(characters) &&
        writeFile(characters + "/cat.swf", cat()) && writeFile(walk, nightWalk()) &&
        writeFile(as3, As3Cartoon::movie(melody({523.25, 659.25, 783.99}, 0.15, 22050, 8)));
    for (const QString &scratch : {wav, soundtrackWavFile, soundtrackMp3})
        QFile::remove(scratch);
    if (!made) {
        std::fprintf(stderr, "make_demo: could not make the demo media\n");
        return 1;
    }
    const QByteArray playlist =
        (music + "\r\n" + video + "\r\n" + swf + "\r\n" + walk + "\r\n" + as3 + "\r\n" + midi + "\r\n" + mp4 + "\r\n" + flac + "\r\n").toUtf8();
    if (!writeFile(QString::fromLocal8Bit(argv[2]), playlist)) {
        std::fprintf(stderr, "make_demo: could not write the playlist\n");
        return 1;
    }
    return 0;
}
