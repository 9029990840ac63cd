#pragma once

#include <QPixmap>
#include <QRect>

class QPainter;

// The panel face set shared by the main window and its controls: the unlit and
// lit panel, each exactly the panel's size, and the bars' thumb. A control
// paints the part of a face that lies under its own place on the panel, so
// controls melt into the panel, which the main window paints from the same art.
struct TPanelFace {
    QPixmap bmpFace;
    QPixmap bmpFaceLit;
    QPixmap bmpThumb;

    // Loads the built-in art; the double-resolution variant when pixelRatio > 1.
    static TPanelFace load(qreal pixelRatio);
};

// Copies the source rectangle (in logical pixels of the bitmap) onto target,
// stretched when the sizes differ.
void CopyRect(QPainter &canvas, const QRect &target, const QPixmap &bitmap, const QRect &source);
