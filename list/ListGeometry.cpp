#include "ListGeometry.h"

#include "list/ListLayout.h"

namespace {
constexpr int SnapDistance = 9;
using ListLayout::CloseBoxWidth;
using ListLayout::MenuBarHeight;
using ListLayout::ScrollBarWidth;
constexpr int ThumbHalf = ListLayout::ScrollThumbHalf;
constexpr int ThumbOffset = ListLayout::ScrollThumbOffset;
} // namespace

HitCode HitTest(QPoint p, QSize window, int border)
{
    const int W = window.width();
    const int H = window.height();
    const int column = p.x() < border ? 0 : p.x() <= W - border ? 1 : 2;
    const int row = p.y() < border ? 0 : p.y() <= H - border ? 1 : 2;
    static const HitCode table[3][3] = {
        {HitTopLeft, HitLeft, HitBottomLeft},
        {HitTop, Inside, HitBottom},
        {HitTopRight, HitRight, HitBottomRight},
    };
    return table[column][row];
}

Qt::Edges EdgesOf(HitCode code)
{
    switch (code) {
    case HitLeft: return Qt::LeftEdge;
    case HitRight: return Qt::RightEdge;
    case HitTop: return Qt::TopEdge;
    case HitBottom: return Qt::BottomEdge;
    case HitTopLeft: return Qt::TopEdge | Qt::LeftEdge;
    case HitTopRight: return Qt::TopEdge | Qt::RightEdge;
    case HitBottomLeft: return Qt::BottomEdge | Qt::LeftEdge;
    case HitBottomRight: return Qt::BottomEdge | Qt::RightEdge;
    case Inside: break;
    }
    return {};
}

bool HitsCloseBox(QPoint p, int windowWidth, int titleHeight)
{
    return p.x() > windowWidth - CloseBoxWidth && p.x() < windowWidth && p.y() < titleHeight;
}

QPoint SnapToPanel(QPoint pos, const QRect &main)
{
    const auto near = [](int value, int edge) { return edge - SnapDistance <= value && value <= edge + SnapDistance; };
    QPoint snapped = pos;
    const int right = main.left() + main.width();
    const int bottom = main.top() + main.height();
    if (near(pos.x(), right))
        snapped.setX(right);
    else if (near(pos.x(), main.left()))
        snapped.setX(main.left());
    if (near(pos.y(), bottom))
        snapped.setY(bottom);
    else if (near(pos.y(), main.top()))
        snapped.setY(main.top());
    return snapped;
}

ListLayoutRects LayoutList(QSize window, int titleHeight, int border, bool scrollBarShown)
{
    const QRect inner(border, titleHeight, window.width() - 2 * border, window.height() - titleHeight - border);
    ListLayoutRects r;
    r.menuBar = QRect(inner.left(), inner.top(), inner.width(), MenuBarHeight);
    const int below = inner.top() + MenuBarHeight;
    const int rest = std::max(0, inner.bottom() + 1 - below);
    const int barWidth = scrollBarShown ? ScrollBarWidth : 0;
    r.scrollBar = QRect(inner.right() + 1 - ScrollBarWidth, below, ScrollBarWidth, rest);
    r.list = QRect(inner.left(), below, std::max(0, inner.width() - barWidth), rest);
    return r;
}

int HiddenEntries(int entries, int listHeight, int itemHeight)
{
    return itemHeight > 0 ? entries - listHeight / itemHeight : 0;
}

int ThumbPositionFor(int topIndex, int barHeight, int hidden)
{
    return hidden > 0 ? int(qint64(topIndex) * barHeight / hidden) + ThumbOffset : ThumbHalf;
}

int TopIndexForTrack(int y, int barHeight, int hidden)
{
    int clamped = y;
    if (y < ThumbHalf)
        clamped = 0;
    else if (y > barHeight - ThumbHalf)
        clamped = barHeight;
    return barHeight > 0 ? int(qint64(hidden) * clamped / barHeight) : 0;
}
