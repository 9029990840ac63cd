// Paints the built-in bitmaps into a folder (resources/ of the source tree), or
// checks that the committed ones are still what this tool paints:
//   paint_art OUTPUT_FOLDER
//   paint_art --check FOLDER
// The check compares decoded pixels with a small tolerance: Qt's raster engine
// rounds anti-aliased edges a level apart on different processors, while any
// real change of the art moves pixels far more than that.
#include "PanelArt.h"

#include <QDir>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int ChannelTolerance = 2;           // levels a channel may differ by
constexpr double OffPixelsAllowed = 0.001;    // share of pixels beyond the tolerance

struct ArtImage {
    const char *name;
    std::function<QImage(int)> paint;
};

const std::vector<ArtImage> &artImages()
{
    static const std::vector<ArtImage> images = {
        {"face", [](int scale) { return PanelArt::PanelFace(false, scale); }},
        {"face-lit", [](int scale) { return PanelArt::PanelFace(true, scale); }},
        {"thumb", PanelArt::BarThumb},
        {"listskin", PanelArt::ListSkin},
        {"scrollthumb", PanelArt::ScrollThumb},
        {"tessaro", PanelArt::AppIcon},
    };
    return images;
}

QString fileName(const QString &folder, const char *name, int scale)
{
    return QStringLiteral("%1/%2%3.png").arg(folder, QLatin1String(name), scale == 2 ? QStringLiteral("@2x") : QString());
}

// Counts the pixels whose channels (alpha included) differ by more than the tolerance.
qint64 pixelsBeyondTolerance(const QImage &painted, const QImage &committed)
{
    const QImage a = painted.convertToFormat(QImage::Format_ARGB32);
    const QImage b = committed.convertToFormat(QImage::Format_ARGB32);
    qint64 off = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *p = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *q = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d = std::max({std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                                    std::abs(qBlue(p[x]) - qBlue(q[x])), std::abs(qAlpha(p[x]) - qAlpha(q[x]))});
            if (d > ChannelTolerance)
                ++off;
        }
    }
    return off;
}

int check(const QString &folder)
{
    int failures = 0;
    for (const ArtImage &image : artImages()) {
        for (int scale : {1, 2}) {
            const QString file = fileName(folder, image.name, scale);
            const QImage committed(file);
            const QImage painted = image.paint(scale);
            if (committed.isNull()) {
                std::printf("%s: missing or unreadable\n", qPrintable(file));
                ++failures;
                continue;
            }
            if (committed.size() != painted.size()) {
                std::printf("%s: %dx%d, the tool paints %dx%d\n", qPrintable(file), committed.width(),
                            committed.height(), painted.width(), painted.height());
                ++failures;
                continue;
            }
            const qint64 off = pixelsBeyondTolerance(painted, committed);
            const qint64 allowed = qint64(OffPixelsAllowed * painted.width() * painted.height());
            std::printf("%s: %lld pixels differ by more than %d levels (%lld allowed)\n", qPrintable(file),
                        static_cast<long long>(off), ChannelTolerance, static_cast<long long>(allowed));
            if (off > allowed)
                ++failures;
        }
    }
    if (failures)
        std::printf("%d images differ from what tools/art paints: run `cmake --build build --target panel-art`\n",
                    failures);
    return failures ? 1 : 0;
}

int paint(const QString &folder)
{
    QDir().mkpath(folder);
    for (const ArtImage &image : artImages()) {
        for (int scale : {1, 2}) {
            const QString file = fileName(folder, image.name, scale);
            if (!image.paint(scale).save(file, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--check")
        return check(QString::fromLocal8Bit(argv[2]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER | --check FOLDER\n", argv[0]);
        return 2;
    }
    return paint(QString::fromLocal8Bit(argv[1]));
}
