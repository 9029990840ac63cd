// tessaro-swf-render [--frames N] [--trace] MOVIE OUT.png
// Loads a movie, advances N frames (10 when not given, stopping early at the
// movie's last frame), and writes the stage at 1:1 as a PNG. With --trace,
// every trace line is printed to standard output as the movie runs.
#include "swf/FlashControl.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    int frames = 10;
    bool trace = false;
    QStringList files;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--frames") && i + 1 < args.size()) {
            bool ok = false;
            frames = args[++i].toInt(&ok);
            if (!ok || frames < 0) {
                std::fprintf(stderr, "tessaro-swf-render: --frames takes a whole number\n");
                return 2;
            }
        } else if (args[i] == QLatin1String("--trace")) {
            trace = true;
        } else {
            files << args[i];
        }
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: tessaro-swf-render [--frames N] [--trace] MOVIE OUT.png\n");
        return 2;
    }

    swf::FlashControl control;
    if (trace) {
        QObject::connect(&control, &swf::FlashControl::Trace, [](const QString &line) {
            std::printf("%s\n", line.toUtf8().constData());
            std::fflush(stdout);
        });
    }
    try {
        control.setMovie(files[0]);
    } catch (const swf::MovieError &error) {
        std::fprintf(stderr, "tessaro-swf-render: %s\n", error.what());
        return 1;
    }
    for (int i = 0; i < frames && control.CurrentFrame() < control.TotalFrames() - 1; ++i)
        control.advanceFrame();
    if (!control.renderStage().save(files[1], "PNG")) {
        std::fprintf(stderr, "tessaro-swf-render: cannot write %s\n", qPrintable(files[1]));
        return 1;
    }
    return 0;
}
