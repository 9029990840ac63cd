#include "StageLayout.h"

#include <algorithm>
#include <array>

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;

struct ScaleName {
    StageLayout::Scale scale;
    const char *name;
};
constexpr std::array<ScaleName, 4> ScaleNames{{
    {StageLayout::Scale::ShowAll, "showAll"},
    {StageLayout::Scale::ExactFit, "exactFit"},
    {StageLayout::Scale::NoBorder, "noBorder"},
    {StageLayout::Scale::NoScale, "noScale"},
}};

constexpr std::array<char, 4> Edges{'L', 'T', 'R', 'B'};

// Where a span of `size` sits in `room`: at the start, the end, or centred.
double placed(double room, double size, bool start, bool end)
{
    if (start)
        return 0;
    if (end)
        return room - size;
    return (room - size) / 2;
}

} // namespace

QString StageLayout::scaleName(Scale scale)
{
    for (const ScaleName &entry : ScaleNames)
        if (entry.scale == scale)
            return QString::fromLatin1(entry.name);
    return QString();
}

std::optional<StageLayout::Scale> StageLayout::scaleNamed(const QString &name)
{
    for (const ScaleName &entry : ScaleNames)
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.scale;
    return std::nullopt;
}

QString StageLayout::alignOf(const QString &text)
{
    const QString upper = text.toUpper();
    QString edges;
    for (const char edge : Edges)
        if (upper.contains(QLatin1Char(edge)))
            edges += QLatin1Char(edge);
    return edges;
}

QTransform StageToArea(const QRectF &stageTwips, const QSize &area, const StageLayout &layout)
{
    const double stageWidth = std::max(stageTwips.width() / TwipsPerPixel, 1.0);
    const double stageHeight = std::max(stageTwips.height() / TwipsPerPixel, 1.0);
    const double across = area.width() / stageWidth;
    const double down = area.height() / stageHeight;
    double sx = 1, sy = 1;
    switch (layout.scale) {
    case StageLayout::Scale::ShowAll: sx = sy = std::min(across, down); break;
    case StageLayout::Scale::NoBorder: sx = sy = std::max(across, down); break;
    case StageLayout::Scale::ExactFit: sx = across, sy = down; break;
    case StageLayout::Scale::NoScale: break;
    }
    const QString &a = layout.align;
    const double x = placed(area.width(), stageWidth * sx, a.contains(u'L'), a.contains(u'R'));
    const double y = placed(area.height(), stageHeight * sy, a.contains(u'T'), a.contains(u'B'));
    QTransform t;
    t.translate(x, y);
    t.scale(sx / TwipsPerPixel, sy / TwipsPerPixel);
    t.translate(-stageTwips.x(), -stageTwips.y());
    return t;
}

} // namespace swf
