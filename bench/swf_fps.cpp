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

// 48 squares in clips with a glow and a soft drop shadow each, and 12 HTML
// text fields, all drifting a pixel or two every frame.
QByteArray filteredMovie()
{
    filter::Options soft;
    soft.blurX = soft.blurY = 8;
    soft.passes = 2;
    soft.distance = 4;
    soft.angle = 0.785398;
    filter::Options glow;
    glow.blurX = glow.blurY = 6;
    const QByteArray filters =
        filter::list({filter::glow(QColor(255, 200, 0), glow), filter::dropShadow(QColor(0, 0, 0, 160), soft)});
    QByteArray tags = background(Qt::white);
    for (int i = 0; i < 48; ++i) {
        tags += rectangle(i + 1, QRect(0, 0, 900, 700), QColor::fromHsv((i * 23) % 360, 200, 230));
        tags += sprite(100 + i, place(Place(1, i + 1)) + showFrame());
    }
    for (int i = 0; i < 12; ++i) {
        Field f;
        f.bounds = QRect(0, 0, 3600, 900);
        f.html = true;
        f.border = true;
        f.wordWrap = f.multiline = true;
        f.text = "<p align='center'><font face='_sans' size='14'>Field <b>" + QByteArray::number(i) +
                 "</b> with <i>some</i> wrapped <font color='#3366FF'>HTML</font> text</font></p>";
        tags += field(200 + i, f);
    }
    const auto at = [](int i, int frame) {
        return QPoint((i % 8) * 1300 + 200 + frame * 30, (i / 8) * 1200 + 200 + frame * 20);
    };
    for (int i = 0; i < 48; ++i)
        tags += place(Place(i + 1, 100 + i).at(at(i, 0)).filtered(filters));
    for (int i = 0; i < 12; ++i)
        tags += place(Place(100 + i, 200 + i).at(QPoint((i % 3) * 3700, 5500 + (i / 3) * 600)));
    tags += showFrame();
    for (int frame = 1; frame < 10; ++frame) {
        for (int i = 0; i < 48; ++i)
            tags += place(Place(i + 1).moving().at(at(i, frame)));
        tags += showFrame();
    }
    return movie(tags, 8, QSize(550, 400), 25);
}

void report(const char *what, const QByteArray &bytes, QTemporaryDir &dir)
{
    const QString path = dir.filePath("bench.swf");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.close();
    swf::FlashControl control;
    control.setMovie(path);
    std::printf("%s: %.1f fps at %dx%d\n", what, measure(control), Area.width(), Area.height());
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
    report("heavy movie (1,000 gradient shapes, a mask)", heavyMovie(), dir);
    report("filtered movie (48 clips with glow and shadow, 12 HTML fields)", filteredMovie(), dir);
    return 0;
}
