// Paints the built-in bitmaps into a folder (resources/ of the source tree):
//   paint_art OUTPUT_FOLDER
#include "PanelArt.h"

#include <QDir>
#include <QImage>

#include <cstdio>
#include <functional>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    const std::pair<const char *, std::function<QImage(int)>> images[] = {
        {"face", [](int scale) { return PanelArt::PanelFace(false, scale); }},
        {"face-lit", [](int scale) { return PanelArt::PanelFace(true, scale); }},
        {"thumb", PanelArt::BarThumb},
        {"listskin", PanelArt::ListSkin},
        {"scrollthumb", PanelArt::ScrollThumb},
        {"tessaro", PanelArt::AppIcon},
    };
    for (const auto &[name, paint] : images) {
        for (int scale : {1, 2}) {
            const QString file = QStringLiteral("%1/%2%3.png").arg(folder, QLatin1String(name),
                                                                   scale == 2 ? QStringLiteral("@2x") : QString());
            if (!paint(scale).save(file, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
