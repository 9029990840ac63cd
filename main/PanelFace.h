#pragma once

#include "resources/Art.h"

#include <QPixmap>

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
