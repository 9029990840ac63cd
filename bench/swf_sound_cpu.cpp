// CPU cost of a movie's streaming MP3 against the same MP3 played by the
// media engine.
//   swf_sound_cpu [SECONDS]
// Encodes SECONDS (60 when not given) of 44.1 kHz stereo tone as MP3, cuts
// it into the stream blocks of a 12 fps movie whose one shape moves every
// frame, then plays, in real time: the MP3 through the media engine, the
// movie's timeline and sound without drawing, and the movie drawn at its
// 400 x 300 stage size each frame as the player window would. Prints the
// CPU seconds of each and the ratio of the movie's cost to the engine's.
#include "MediaFiles.h"
#include "SoundWriter.h"
#include "SwfWriter.h"
#include "player/MovieSoundOutput.h"
#include "player/TDSMP.h"
#include "MediaStart.h"
#include "swf/FlashControl.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <sys/resource.h>

using namespace SwfWriter;

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray streamingMovie(const QByteArray &mp3, int seconds)
{
    constexpr int Rate = 44100;
    const int frames = seconds * 12;
    const std::vector<QByteArray> blocks = sound::mp3Blocks(sound::mp3Frames(mp3), Rate / 12.0, frames);
    QByteArray tags = background(Qt::white) + sound::streamHead({sound::Mp3, Rate, true}, Rate / 12) +
                      disc(1, QPoint(0, 0), 600, QColor(255, 200, 0), QColor(200, 60, 0)) + place(Place(1, 1));
    for (int f = 0; f < frames; ++f) {
        tags += sound::streamBlock(blocks[size_t(f)]);
        tags += place(Place(1).moving().at(QPoint(600 + (f * 60) % 6800, 3000))) + showFrame();
    }
    return movie(tags, 8, QSize(400, 300), 12);
}

double playMovie(const QString &path, int seconds, bool draw)
{
    swf::FlashControl control;
    control.setSoundOutput(MovieSoundOutput::factory());
    QImage canvas(control.stageSize().isEmpty() ? QSize(400, 300) : control.stageSize(), QImage::Format_RGB32);
    if (draw) {
        QObject::connect(&control, &swf::FlashControl::changed, [&] {
            QPainter painter(&canvas);
            control.paint(painter, canvas.rect());
        });
    }
    const double before = cpuSeconds();
    control.setMovie(path);
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const int reached = control.FrameNum();
    control.setMovie(QString(swf::FlashControl::NoMovie));
    std::printf("  (movie reached frame %d of %d)\n", reached, seconds * 12);
    return cpuSeconds() - before;
}

double playThroughEngine(const QString &file, QWidget &owner, int seconds)
{
    const double before = cpuSeconds();
    if (!StartAndWait(file, &owner))
        return -1;
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    FreeGraph(DSMP);
    return cpuSeconds() - before;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    gst_init(nullptr, nullptr);
    const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 60;

    QTemporaryDir dir;
    const QString mp3 = dir.filePath("tone.mp3");
    const QString swf = dir.filePath("tone.swf");
    if (!MediaFiles::make(MediaFiles::tone(seconds) +
                              " ! lamemp3enc target=bitrate bitrate=128 cbr=true ! filesink location=\"%1\"",
                          mp3)) {
        std::fprintf(stderr, "cannot encode the MP3\n");
        return 1;
    }
    QFile in(mp3), out(swf);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
        out.write(streamingMovie(in.readAll(), seconds)) <= 0) {
        std::fprintf(stderr, "cannot write the movie\n");
        return 1;
    }
    out.close();

    QWidget owner;
    const double engine = playThroughEngine(mp3, owner, seconds);
    const double sound = playMovie(swf, seconds, false);
    const double drawn = playMovie(swf, seconds, true);
    std::printf("%d s of MP3: media engine %.2f CPU-s; movie stream %.2f CPU-s (ratio %.2f); "
                "movie drawn at 400x300 %.2f CPU-s (ratio %.2f)\n",
                seconds, engine, sound, engine > 0 ? sound / engine : 0, drawn, engine > 0 ? drawn / engine : 0);
    return 0;
}
