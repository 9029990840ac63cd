// Frames per second of the movie engine at 550 x 400: every movie of the
// reference corpus beside the project (when present), then a generated heavy
// movie of 1,000 gradient shapes under a mask, animated over 10 frames.
//   swf_fps [CORPUS_FOLDER]
#include "swf/FlashControl.h"
#include "SwfWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

using namespace SwfWriter;

namespace {

const QSize Area(550, 400);

// Frames drawn per second over at least a second of drawing.
double measure(swf::FlashControl &control)
{
    QImage canvas(Area, QImage::Format_ARGB32_Premultiplied);
    QElapsedTimer clock;
    clock.start();
    int frames = 0;
    while (clock.elapsed() < 1000 || frames < 10) {
        control.advanceFrame();
        QPainter painter(&canvas);
        control.paint(painter, canvas.rect());
        ++frames;
    }
    return frames * 1000.0 / clock.elapsed();
}

QByteArray heavyMovie()
{
    QByteArray tags = background(Qt::white);
    QByteArray clip;
    for (int i = 0; i < 1000; ++i) {
        const int id = i + 1;
        const QRect r((i % 40) * 270, (i / 40) * 300, 600, 500);
        tags += rectangle(id, r, QColor::fromHsv((i * 7) % 360, 200, 230), QColor::fromHsv((i * 13) % 360, 255, 120));
        clip += place(Place(i + 2, id));
    }
    tags += rectangle(2000, QRect(0, 0, 5500, 8000), Qt::black);
    // A clip of all the shapes, masked to the left half, moving each frame.
    QByteArray frames;
    for (int f = 0; f < 10; ++f)
        frames += place(Place(2).moving().at(QPoint(f * 40, f * 20))) + showFrame();
    tags += sprite(3000, clip + showFrame());
    tags += place(Place(1, 2000).clipping(2)) + place(Place(2, 3000)) + showFrame() + frames;
    return movie(tags, 8, QSize(550, 400), 25);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString corpus = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QStringLiteral(TESSARO_SOURCE_DIR "/../shared/swf-corpus/reference-images");

    double total = 0;
    int count = 0;
    double slowest = 1e9;
    QString slowestName;
    for (const QString &name : QDir(corpus).entryList({"*.swf"}, QDir::Files, QDir::Name)) {
        swf::FlashControl control;
        try {
            control.setMovie(corpus + '/' + name);
        } catch (const swf::MovieError &) {
            continue;
        }
        const double fps = measure(control);
        total += fps;
        ++count;
        if (fps < slowest) {
            slowest = fps;
            slowestName = name;
        }
    }
    if (count > 0)
        std::printf("corpus: %d movies, mean %.0f fps, slowest %.0f fps (%s)\n", count, total / count, slowest,
                    qPrintable(slowestName));
    else
        std::printf("corpus: not found at %s\n", qPrintable(corpus));

    QTemporaryDir dir;
    const QString heavy = dir.filePath("heavy.swf");
    QFile file(heavy);
    file.open(QIODevice::WriteOnly);
    file.write(heavyMovie());
    file.close();
    swf::FlashControl control;
    control.setMovie(heavy);
    std::printf("heavy movie (1,000 gradient shapes, a mask): %.1f fps at %dx%d\n", measure(control), Area.width(),
                Area.height());
    return 0;
}
