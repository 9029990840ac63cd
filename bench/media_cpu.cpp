// CPU cost of playing media through Tessaro's engine against gst-play-1.0.
//   media_cpu [SECONDS_OF_VIDEO]
// Generates a 60-second MP3 and a 720p 25 fps H.264 video, plays each to the
// end through the engine (video shown in a 640 x 360 window) and through
// gst-play-1.0 with equivalent sinks (BGRx conversion into a synchronised
// sink), and prints the CPU seconds of each and their ratio.
#include "player/TDSMP.h"
#include "MediaStart.h"
#include "MediaFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double playThroughEngine(const QString &file, QWidget &owner)
{
    const double before = cpuSeconds(RUSAGE_SELF);
    if (!StartAndWait(file, &owner)) {
        std::fprintf(stderr, "engine cannot play %s\n", qPrintable(file));
        return -1;
    }
    QEventLoop loop;
    QTimer tick; // polls as the player's clock does
    QObject::connect(&tick, &QTimer::timeout, [&loop] {
        REFERENCE_TIME position = 0;
        DSMP.Seeking->GetCurrentPosition(position);
        if (position >= Duration)
            loop.quit();
    });
    tick.start(333);
    loop.exec();
    FreeGraph(DSMP);
    return cpuSeconds(RUSAGE_SELF) - before;
}

double playThroughGstPlay(const QString &file)
{
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    QProcess play;
    play.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    play.start("gst-play-1.0", {"--no-interactive", "-q",
                                "--videosink=videoconvert ! video/x-raw,format=BGRx ! fakesink sync=true", file});
    if (!play.waitForStarted() || !play.waitForFinished(-1)) {
        std::fprintf(stderr, "gst-play-1.0 did not run (package gstreamer1.0-plugins-base-apps)\n");
        return -1;
    }
    return cpuSeconds(RUSAGE_CHILDREN) - before;
}

void report(const char *what, double engine, double reference, double target)
{
    const double ratio = reference > 0 ? engine / reference : 0;
    std::printf("%-6s engine %6.2f CPU-s   gst-play-1.0 %6.2f CPU-s   ratio %.2f (target <= %.1f) %s\n", what,
                engine, reference, ratio, target, ratio <= target ? "ok" : "OVER");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    gst_init(nullptr, nullptr);
    const int videoSeconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    QTemporaryDir dir;
    const QString mp3 = dir.filePath("music.mp3");
    const QString video = dir.filePath("video.avi");
    std::printf("generating a 60 s MP3 and a %d s 720p25 H.264 video...\n", videoSeconds);
    std::fflush(stdout);
    if (!MediaFiles::make(MediaFiles::tone(60) + " ! lamemp3enc target=bitrate bitrate=128 cbr=true ! xingmux"
                                                 " ! id3v2mux ! filesink location=\"%1\"",
                          mp3) ||
        !MediaFiles::make(QString("videotestsrc num-buffers=%1 pattern=ball ! video/x-raw,width=1280,height=720,"
                                  "framerate=25/1 ! x264enc speed-preset=veryfast bitrate=3000 ! h264parse"
                                  " ! avimux name=mux ! filesink location=\"%2\" ")
                              .arg(videoSeconds * 25)
                              .arg("%1") +
                              MediaFiles::tone(videoSeconds) + " ! lamemp3enc ! queue ! mux.",
                          video)) {
        std::fprintf(stderr, "cannot generate the media\n");
        return 1;
    }

    QWidget owner;
    owner.resize(640, 360);
    owner.show();

    const double audioEngine = playThroughEngine(mp3, owner);
    const double audioReference = playThroughGstPlay(mp3);
    const double videoEngine = playThroughEngine(video, owner);
    const double videoReference = playThroughGstPlay(video);
    if (audioEngine < 0 || audioReference < 0 || videoEngine < 0 || videoReference < 0)
        return 1;
    report("audio", audioEngine, audioReference, 1.1);
    report("video", videoEngine, videoReference, 1.3);
    return 0;
}
