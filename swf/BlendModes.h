#pragma once

#include <QImage>
#include <QPoint>

// How a display object's layer is put onto what lies under it.
namespace swf {

// Blend mode codes as movie files store them (0 and 1 are both normal).
enum BlendMode {
    BlendNormal = 1, BlendLayer = 2, BlendMultiply = 3, BlendScreen = 4, BlendLighten = 5, BlendDarken = 6,
    BlendDifference = 7, BlendAdd = 8, BlendSubtract = 9, BlendInvert = 10, BlendAlpha = 11, BlendErase = 12,
    BlendOverlay = 13, BlendHardLight = 14,
};

// The code a movie gave, with unknown codes as normal.
BlendMode BlendModeOf(int code);

// One premultiplied pixel of a layer (source) blended onto one below it
// (backdrop). Colour modes use the separable blend of both colours where
// both are opaque and plain source-over where either is transparent; alpha
// keeps the backdrop as far as the source is opaque, erase as far as it is
// transparent.
QRgb BlendPixel(QRgb backdrop, QRgb source, BlendMode mode);

// Blends source onto target with its top left at `at`, pixel by pixel.
void BlendImage(QImage &target, const QImage &source, QPoint at, BlendMode mode);

} // namespace swf
