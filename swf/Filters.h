#pragma once

#include "swf/SwfReader.h"

#include <QGradientStops>
#include <QImage>
#include <QMargins>

#include <array>
#include <vector>

// Bitmap filters of display objects, as a movie's PlaceObject3 lists them or
// scripts set them: each works on the object drawn alone on a layer
// (premultiplied ARGB) and leaves its result there.
namespace swf {

struct Filter {
    // Type codes as movie files store them; displacement maps come from scripts only.
    enum Type {
        DropShadow = 0, Blur = 1, Glow = 2, Bevel = 3, GradientGlow = 4, Convolution = 5, ColorMatrix = 6,
        GradientBevel = 7, DisplacementMap = 8,
    };
    // Where displacement reads past its map.
    enum MapMode { Wrap = 0, Clamp = 1, Ignore = 2, UseColor = 3 };
    // The channels a displacement map is read from.
    enum Channel { Red = 1, Green = 2, Blue = 4, Alpha = 8 };

    Type type = Blur;
    QColor color = Qt::black;        // shadow and glow colour; a bevel's shadow
    QColor highlight = Qt::white;    // a bevel's highlight
    QGradientStops gradient;         // gradient glow and bevel colours, ratio 0..1
    double blurX = 4, blurY = 4;     // in stage pixels
    double angle = 0.785398163;      // radians, clockwise from the x axis
    double distance = 4;             // stage pixels
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool hideObject = false;         // only the effect, not the object under it
    bool onTop = false;              // a bevel drawn inside and outside the edge
    int passes = 1;                  // quality: blur passes

    std::array<float, 20> colorMatrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};

    int matrixX = 0, matrixY = 0;    // convolution kernel size
    std::vector<float> kernel;       // matrixY rows of matrixX
    float divisor = 1, bias = 0;
    QColor defaultColor = Qt::transparent;
    bool clamp = true;
    bool preserveAlpha = true;

    QImage map;                      // displacement map, premultiplied ARGB
    QPoint mapPoint;                 // where the map's origin lies on the object, in pixels
    int componentX = Red, componentY = Red;
    double scaleX = 0, scaleY = 0;
    MapMode mode = Wrap;
    QColor mapColor = Qt::transparent;

    friend bool operator==(const Filter &a, const Filter &b);
    friend bool operator!=(const Filter &a, const Filter &b) { return !(a == b); }
};

using FilterList = std::vector<Filter>;

// Most filters one object may carry; a list claiming more is cut.
constexpr int MaxFilters = 32;
// Largest blur, in stage pixels, and most passes, as the reference player allows.
constexpr double MaxBlur = 255;
constexpr int MaxPasses = 15;

// A PlaceObject3 or button record filter list; what cannot be read is dropped.
FilterList ReadFilterList(SwfReader &r);

// How far the filters' effects reach beyond the object's own pixels, in
// device pixels when one stage pixel is `scale` device pixels.
QMargins FilterMargins(const FilterList &filters, double scale);

// Applies the filters in order to image (the object with FilterMargins room
// around it), scaling blur and distances by scale. Each filter's work (about
// the bytes it reads and writes) is taken from budget; a filter that would
// overdraw it is left out, so a movie of huge, many-pass filters costs a
// frame a bounded time.
void ApplyFilters(QImage &image, const FilterList &filters, double scale, qint64 &budget);

// The work a frame's filters may take, in the units ApplyFilters counts:
// enough to cover every pixel of the picture with a few many-pass filters,
// and a floor so filtered objects on a small picture keep their filters.
qint64 FrameFilterBudget(QSize picture);

// One box blur pass as every blur here makes it: each pixel becomes the mean
// of the 2 * radius + 1 pixels around it along the axis (transparent beyond
// the image). Filters use radius floor(blur * scale / 2) per axis and pass.
int BlurRadius(double blur, double scale);

} // namespace swf
