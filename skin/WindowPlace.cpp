#include "WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdint>

namespace {

// Edges in 64 bits: a stored place may lie anywhere in the 32-bit range and
// have any size, so its right edge need not fit in an int.
struct Span {
    std::int64_t begin;
    std::int64_t end; // exclusive
};

std::int64_t overlap(Span a, Span b)
{
    return std::max<std::int64_t>(0, std::min(a.end, b.end) - std::max(a.begin, b.begin));
}

std::int64_t gap(Span a, Span b)
{
    return std::max<std::int64_t>({0, b.begin - a.end, a.begin - b.end});
}

Span across(const QRect &r) { return {r.left(), std::int64_t(r.left()) + r.width()}; }
Span down(const QRect &r) { return {r.top(), std::int64_t(r.top()) + r.height()}; }

int bounded(int value, int minimum, int maximum)
{
    return std::clamp(value, minimum, std::max(minimum, maximum));
}

// value moved the least so that [value, value + length) lies within span;
// a length longer than the span starts at its beginning.
std::int64_t within(std::int64_t value, std::int64_t length, Span span)
{
    return std::clamp(value, span.begin, std::max(span.begin, span.end - length));
}

// The screen the stored place overlaps most, else the nearest one. Ties go
// to the earlier screen, so a place equally far from several goes to the
// primary one.
const QRect &screenFor(Span storedAcross, Span storedDown, const QList<QRect> &screens)
{
    const QRect *screen = &screens.front();
    std::int64_t bestArea = -1;
    std::int64_t bestDistance = 0;
    for (const QRect &candidate : screens) {
        const std::int64_t area = overlap(storedAcross, across(candidate)) * overlap(storedDown, down(candidate));
        const std::int64_t dx = gap(storedAcross, across(candidate));
        const std::int64_t dy = gap(storedDown, down(candidate));
        const std::int64_t distance = dx * dx + dy * dy;
        const bool better = bestArea < 0 || area > bestArea || (area == 0 && bestArea == 0 && distance < bestDistance);
        if (better) {
            screen = &candidate;
            bestArea = area;
            bestDistance = distance;
        }
    }
    return *screen;
}

} // namespace

QRect PlaceOnScreen(QPoint topLeft, QSize size, QSize minimum, const QList<QRect> &screens)
{
    minimum = minimum.expandedTo(QSize(0, 0));
    if (screens.isEmpty())
        return QRect(QPoint(0, 0), minimum);

    const Span storedAcross{topLeft.x(), std::int64_t(topLeft.x()) + std::max(0, size.width())};
    const Span storedDown{topLeft.y(), std::int64_t(topLeft.y()) + std::max(0, size.height())};
    const QRect &screen = screenFor(storedAcross, storedDown, screens);
    const Span screenAcross = across(screen);
    const Span screenDown = down(screen);

    const int width = bounded(size.width(), minimum.width(), screen.width());
    const int height = bounded(size.height(), minimum.height(), screen.height());
    const std::int64_t marginAcross = std::min({GrabMargin, width, screen.width()});
    const std::int64_t marginDown = std::min({GrabMargin, height, screen.height()});
    const bool sizeKept = width == size.width() && height == size.height();
    const bool grabbable = overlap(storedAcross, screenAcross) >= marginAcross
                           && topLeft.y() >= screenDown.begin && topLeft.y() <= screenDown.end - marginDown;
    if (sizeKept && grabbable)
        return QRect(topLeft, size);

    const std::int64_t left = within(topLeft.x(), width, screenAcross);
    const std::int64_t top = within(topLeft.y(), height, screenDown);
    return QRect(int(left), int(top), width, height);
}

QList<QRect> AvailableScreenAreas()
{
    QList<QRect> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != primary)
            areas.append(screen->availableGeometry());
    }
    return areas;
}
