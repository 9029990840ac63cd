#include "swf/avm2/builtins/GeomMath.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2::geom {

namespace {

constexpr double Twips = 20;
constexpr double FixedOne = 256; // an engine multiplier of 1.0
constexpr double TermLimit = 32767; // what the engine's 16-bit terms hold
constexpr double GradientHalfSpan = 819.2; // pixels from a gradient's centre to its edge
constexpr uint32_t ChannelMask = 0xFF;
constexpr int RedShift = 16, GreenShift = 8;

// A number the engine can hold: NaN as 0, the rest clamped.
int engineTerm(double value)
{
    return std::isnan(value) ? 0 : int(std::trunc(std::clamp(value, -TermLimit - 1, TermLimit)));
}

} // namespace

Affine Concat(const Affine &m, const Affine &n)
{
    return {m.a * n.a + m.b * n.c,          m.a * n.b + m.b * n.d,          m.c * n.a + m.d * n.c,
            m.c * n.b + m.d * n.d,          m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

Affine Inverted(const Affine &m)
{
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0 || !std::isfinite(det))
        return {0, 0, 0, 0, -m.tx, -m.ty};
    Affine inverse{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    inverse.tx = -(inverse.a * m.tx + inverse.c * m.ty);
    inverse.ty = -(inverse.b * m.tx + inverse.d * m.ty);
    return inverse;
}

QPointF Transform(const Affine &m, QPointF p)
{
    return {m.a * p.x() + m.c * p.y() + m.tx, m.b * p.x() + m.d * p.y() + m.ty};
}

QPointF DeltaTransform(const Affine &m, QPointF p) { return {m.a * p.x() + m.c * p.y(), m.b * p.x() + m.d * p.y()}; }

Affine Box(double scaleX, double scaleY, double rotation, double tx, double ty)
{
    const double cos = std::cos(rotation), sin = std::sin(rotation);
    return {scaleX * cos, scaleX * sin, -scaleY * sin, scaleY * cos, tx, ty};
}

Affine GradientBox(double width, double height, double rotation, double tx, double ty)
{
    const double halfWidth = width / 2, halfHeight = height / 2;
    return Box(width / (2 * GradientHalfSpan), height / (2 * GradientHalfSpan), rotation, tx + halfWidth,
               ty + halfHeight);
}

Affine FromEngine(const QTransform &t) { return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx() / Twips, t.dy() / Twips}; }

QTransform ToEngine(const Affine &m)
{
    // The engine keeps whole twips of translation, as x and y do.
    const auto twips = [](double pixels) { return std::isfinite(pixels) ? std::trunc(pixels * Twips) : 0.0; };
    return QTransform(m.a, m.b, m.c, m.d, twips(m.tx), twips(m.ty));
}

bool IsEmpty(const Rect &r) { return r.width <= 0 || r.height <= 0; }

Rect Intersection(const Rect &r, const Rect &s)
{
    if (IsEmpty(r) || IsEmpty(s))
        return {};
    const double left = std::max(r.x, s.x), top = std::max(r.y, s.y);
    const double right = std::min(r.right(), s.right()), bottom = std::min(r.bottom(), s.bottom());
    if (!(right > left && bottom > top))
        return {};
    return {left, top, right - left, bottom - top};
}

Rect Union(const Rect &r, const Rect &s)
{
    if (IsEmpty(r))
        return s;
    if (IsEmpty(s))
        return r;
    const double left = std::min(r.x, s.x), top = std::min(r.y, s.y);
    return {left, top, std::max(r.right(), s.right()) - left, std::max(r.bottom(), s.bottom()) - top};
}

bool Contains(const Rect &r, double x, double y) { return x >= r.x && y >= r.y && x < r.right() && y < r.bottom(); }

bool ContainsRect(const Rect &r, const Rect &inner)
{
    if (IsEmpty(inner))
        return false;
    return inner.x >= r.x && inner.y >= r.y && inner.right() <= r.right() && inner.bottom() <= r.bottom();
}

ColorTerms Concat(const ColorTerms &first, const ColorTerms &second)
{
    ColorTerms t;
    t.redOffset = first.redOffset + first.redMultiplier * second.redOffset;
    t.greenOffset = first.greenOffset + first.greenMultiplier * second.greenOffset;
    t.blueOffset = first.blueOffset + first.blueMultiplier * second.blueOffset;
    t.alphaOffset = first.alphaOffset + first.alphaMultiplier * second.alphaOffset;
    t.redMultiplier = first.redMultiplier * second.redMultiplier;
    t.greenMultiplier = first.greenMultiplier * second.greenMultiplier;
    t.blueMultiplier = first.blueMultiplier * second.blueMultiplier;
    t.alphaMultiplier = first.alphaMultiplier * second.alphaMultiplier;
    return t;
}

uint32_t ColorOf(const ColorTerms &t)
{
    const auto channel = [](double offset) { return uint32_t(engineTerm(offset)) & ChannelMask; };
    return channel(t.redOffset) << RedShift | channel(t.greenOffset) << GreenShift | channel(t.blueOffset);
}

void SetColor(ColorTerms &t, uint32_t rgb)
{
    t.redMultiplier = t.greenMultiplier = t.blueMultiplier = 0;
    t.redOffset = rgb >> RedShift & ChannelMask;
    t.greenOffset = rgb >> GreenShift & ChannelMask;
    t.blueOffset = rgb & ChannelMask;
}

ColorTerms FromEngine(const ColorTransform &t)
{
    return {t.redMult / FixedOne,   t.greenMult / FixedOne, t.blueMult / FixedOne, t.alphaMult / FixedOne,
            double(t.redAdd),       double(t.greenAdd),     double(t.blueAdd),     double(t.alphaAdd)};
}

ColorTransform ToEngine(const ColorTerms &t)
{
    ColorTransform e;
    e.redMult = engineTerm(t.redMultiplier * FixedOne);
    e.greenMult = engineTerm(t.greenMultiplier * FixedOne);
    e.blueMult = engineTerm(t.blueMultiplier * FixedOne);
    e.alphaMult = engineTerm(t.alphaMultiplier * FixedOne);
    e.redAdd = engineTerm(t.redOffset);
    e.greenAdd = engineTerm(t.greenOffset);
    e.blueAdd = engineTerm(t.blueOffset);
    e.alphaAdd = engineTerm(t.alphaOffset);
    return e;
}

} // namespace swf::avm2::geom
