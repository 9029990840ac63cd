#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Arithmetic of the playlist window and its scroll bar, kept apart from the widgets.

// Hit-test codes of the window's edges; Inside where the window's own
// handling stays (the title row moves the window, the body is the list).
enum HitCode {
    Inside = 1,
    HitLeft = 10,
    HitRight = 11,
    HitTop = 12,
    HitTopLeft = 13,
    HitTopRight = 14,
    HitBottom = 15,
    HitBottomLeft = 16,
    HitBottomRight = 17,
};

// The resize band under client point p of a window of this size: bands are
// `border` wide at the left and top and one less at the right and bottom.
HitCode HitTest(QPoint p, QSize window, int border);
Qt::Edges EdgesOf(HitCode code);

// Whether a press at p hits the close box in the title row's right end.
bool HitsCloseBox(QPoint p, int windowWidth, int titleHeight);

// Where the playlist window's top-left corner goes when it comes to rest at
// pos near the panel `main`: within 9 pixels of the panel's right or left
// edge, and of its bottom or top edge, it snaps flush; each axis on its own.
QPoint SnapToPanel(QPoint pos, const QRect &main);

// Places of the children inside the frame: tool bar on top, scroll bar at the
// right below it (when shown), the list in the rest.
struct ListLayoutRects {
    QRect menuBar;
    QRect scrollBar;
    QRect list;
};
ListLayoutRects LayoutList(QSize window, int titleHeight, int border, bool scrollBarShown);

// Entries that do not fit in the list.
int HiddenEntries(int entries, int listHeight, int itemHeight);
// The scroll thumb's centre for a list scrolled to topIndex.
int ThumbPositionFor(int topIndex, int barHeight, int hidden);
// The list's top index for a press or drag at y on the scroll bar.
int TopIndexForTrack(int y, int barHeight, int hidden);
