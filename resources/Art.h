#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

// The built-in bitmaps (":/art/<name>.png", painted by tools/art) and the way
// the windows draw pieces of them.

// The pixel ratio of the primary screen; 1 without a screen.
qreal ScreenPixelRatio();

// The bitmap called name; its double-resolution variant ("<name>@2x") when
// pixelRatio > 1, marked as such so it draws at the logical size.
QPixmap LoadArt(const QString &name, qreal pixelRatio);

// Copies the source rectangle (in logical pixels of the bitmap) onto target,
// stretched when the sizes differ.
void CopyRect(QPainter &canvas, const QRect &target, const QPixmap &bitmap, const QRect &source);
