// tessaro-swf-render [--frames N | --run N] [--trace] MOVIE [OUT.png]
// Loads a movie and runs its first frame, then advances it and writes the stage
// at 1:1 as a PNG.
//   --frames N  the image protocol of the reference corpus: N more frames (10
//               when not given), stopping early at the movie's last frame.
//   --run N     exactly N more frame periods, whatever the movie's length: scripts,
//               onEnterFrame handlers and intervals go on running on the last frame.
//   --trace     prints every trace line to standard output as the movie runs, and
//               follows the trace protocol (exactly 10 more frame periods unless
//               --frames or --run says otherwise); OUT.png may then be left out.
// A movie that asks to quit (fscommand "quit") ends the run after that frame,
// as the reference player's window closes.
#include "swf/FlashControl.h"
#include "swf/TraceBytes.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

constexpr int DefaultFrames = 10;

void usage()
{
    std::fprintf(stderr, "usage: tessaro-swf-render [--frames N | --run N] [--trace] MOVIE [OUT.png]\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    int frames = DefaultFrames;
    bool runOption = false;
    bool trace = false;
    QStringList files;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const bool frameOption = args[i] == QLatin1String("--frames") || args[i] == QLatin1String("--run");
        if (frameOption && i + 1 < args.size()) {
            runOption = args[i] == QLatin1String("--run");
            bool ok = false;
            frames = args[++i].toInt(&ok);
            if (!ok || frames < 0) {
                std::fprintf(stderr, "tessaro-swf-render: %s takes a whole number\n", qPrintable(args[i - 1]));
                return 2;
            }
        } else if (args[i] == QLatin1String("--trace")) {
            trace = true;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            usage();
            return 2;
        } else {
            files << args[i];
        }
    }
    if (files.size() != 2 && !(trace && files.size() == 1)) {
        usage();
        return 2;
    }

    swf::FlashControl control;
    if (trace) {
        QObject::connect(&control, &swf::FlashControl::Trace, [](const QString &line) {
            const QByteArray bytes = swf::TraceBytes(line);
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        });
    }
    bool quit = false;
    QObject::connect(&control, &swf::FlashControl::FSCommand, [&quit](const QString &command, const QString &) {
        quit = quit || command.compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0;
    });
    try {
        control.setMovie(files[0]);
    } catch (const swf::MovieError &error) {
        std::fprintf(stderr, "tessaro-swf-render: %s\n", error.what());
        return 1;
    }
    const bool exactRun = runOption || trace;
    for (int i = 0; i < frames && !quit && (exactRun || control.CurrentFrame() < control.TotalFrames() - 1); ++i)
        control.advanceFrame();
    if (files.size() == 2 && !control.renderStage().save(files[1], "PNG")) {
        std::fprintf(stderr, "tessaro-swf-render: cannot write %s\n", qPrintable(files[1]));
        return 1;
    }
    return 0;
}
