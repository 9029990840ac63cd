#pragma once

// The arithmetic of flash.geom, apart from the objects that carry it:
// matrices in the player's (a, b, c, d, tx, ty) order, rectangles by their
// corner and size, colour transforms as their eight terms, and the
// conversions to the engine's matrices (twips) and colour transforms.
#include "swf/SwfReader.h"

#include <QPointF>
#include <QTransform>

namespace swf::avm2::geom {

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// m then n: what m.concat(n) leaves in m.
Affine Concat(const Affine &m, const Affine &n);
// The inverse; a matrix that flattens the plane keeps only its translation,
// reversed, as the player leaves it.
Affine Inverted(const Affine &m);
QPointF Transform(const Affine &m, QPointF p);
QPointF DeltaTransform(const Affine &m, QPointF p);
// The scale, rotation (radians) and translation createBox builds.
Affine Box(double scaleX, double scaleY, double rotation, double tx, double ty);
// What createGradientBox builds: gradients span -819.2..819.2 pixels.
Affine GradientBox(double width, double height, double rotation, double tx, double ty);

// Between pixels, as scripts see matrices, and the engine's twips.
Affine FromEngine(const QTransform &twips);
QTransform ToEngine(const Affine &pixels);

struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    double right() const { return x + width; }
    double bottom() const { return y + height; }
};

// No area: a width or height of 0 or less (NaN is not empty).
bool IsEmpty(const Rect &r);
// Empty when either is, or when they do not overlap.
Rect Intersection(const Rect &r, const Rect &s);
// An empty side gives the other unchanged.
Rect Union(const Rect &r, const Rect &s);
// Left and top edges in, right and bottom out.
bool Contains(const Rect &r, double x, double y);
bool ContainsRect(const Rect &r, const Rect &inner);

struct ColorTerms {
    double redMultiplier = 1, greenMultiplier = 1, blueMultiplier = 1, alphaMultiplier = 1;
    double redOffset = 0, greenOffset = 0, blueOffset = 0, alphaOffset = 0;
};

// first.concat(second): second applied to a colour, then first.
ColorTerms Concat(const ColorTerms &first, const ColorTerms &second);
// The RGB colour the offsets make (each channel's offset, 0..255 bits).
uint32_t ColorOf(const ColorTerms &t);
// Sets the colour: the offsets become its channels and the colour
// multipliers 0; alpha is kept.
void SetColor(ColorTerms &t, uint32_t rgb);

// The engine keeps multipliers in 256ths and whole offsets, within -32768..32767.
ColorTerms FromEngine(const ColorTransform &t);
ColorTransform ToEngine(const ColorTerms &t);

} // namespace swf::avm2::geom
