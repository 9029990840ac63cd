#pragma once

#include <QImage>

// The built-in bitmaps, painted from code so the art changes by changing code.
// Every painter works in logical pixels; scale 2 gives the double-resolution
// variant for high-DPI screens.
namespace PanelArt {

QImage PanelFace(bool lit, int scale);  // 268 x 118: the panel, unlit or lit
QImage BarThumb(int scale);             // 8 x 48: the bars' thumb in its top 16 rows
QImage ListSkin(int scale);             // 128 x 64: the playlist window's frame
QImage ScrollThumb(int scale);          // 10 x 88: four 22-row thumb slices
QImage AppIcon(int scale);              // 64 x 64: the application's icon

} // namespace PanelArt
