// flash.display.Graphics: the vector drawing of a Sprite or Shape, kept in
// the engine's Drawing in twips; scripts give pixels.
#include "swf/avm2/builtins/GraphicsObject.h"

#include "swf/DisplayObject.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double Twips = 20;
constexpr double MaxLineWidth = 255; // pixels
constexpr double MaxChannel = 255;
constexpr int CircleSegments = 8;
// Coordinates past this many pixels are clamped: the Drawing keeps doubles,
// but Qt's painter misbehaves far out.
constexpr double MaxCoordinate = 1e7;

Drawing &drawingOf(Runtime &rt, const Value &self)
{
    auto *graphics = ThisAs<GraphicsObject>(rt, self, "flash.display.Graphics");
    if (!graphics->owner)
        rt.throwError(ErrorType::TypeError, 1009);
    swf::DisplayObject &node = graphics->owner->node();
    if (!node.drawing)
        node.drawing = std::make_shared<Drawing>();
    return *node.drawing;
}

double coordinate(Runtime &rt, const Value &v)
{
    const double d = rt.toNumber(v);
    return std::isfinite(d) ? std::clamp(d, -MaxCoordinate, MaxCoordinate) * Twips : 0;
}

QPointF pointOf(Runtime &rt, Args args, int i) { return QPointF(coordinate(rt, args[i]), coordinate(rt, args[i + 1])); }

// 0xRRGGBB and an alpha of 0..1.
QColor colourOf(Runtime &rt, const Value &rgb, const Value &alpha)
{
    QColor c = QColor::fromRgb(QRgb(rt.toUint(rgb) & 0xFFFFFF));
    const double a = alpha.isUndefined() ? 1 : rt.toNumber(alpha);
    c.setAlpha(int(std::lround(std::clamp(std::isfinite(a) ? a : 0, 0.0, 1.0) * MaxChannel)));
    return c;
}

Value beginFill(Runtime &rt, const Value &self, Args args)
{
    FillStyle fill;
    fill.color = colourOf(rt, args[0], args[1]);
    drawingOf(rt, self).beginFill(fill);
    return Value();
}

Value endFill(Runtime &rt, const Value &self, Args)
{
    drawingOf(rt, self).endFill();
    return Value();
}

// lineStyle(thickness, color, alpha, pixelHinting, scaleMode, caps, joints, miterLimit)
Value lineStyle(Runtime &rt, const Value &self, Args args)
{
    Drawing &d = drawingOf(rt, self);
    const double width = rt.toNumber(args[0]);
    if (args[0].isNullish() || std::isnan(width)) {
        d.noLineStyle();
        return Value();
    }
    LineStyle line;
    line.width = std::clamp(width, 0.0, MaxLineWidth) * Twips;
    line.color = colourOf(rt, args[1], args[2]);
    const QString caps = args[5].isNullish() ? QString() : rt.toString(args[5]);
    line.cap = caps == QLatin1String("none")     ? Qt::FlatCap
               : caps == QLatin1String("square") ? Qt::SquareCap
                                                 : Qt::RoundCap;
    const QString joints = args[6].isNullish() ? QString() : rt.toString(args[6]);
    line.join = joints == QLatin1String("bevel") ? Qt::BevelJoin
                : joints == QLatin1String("miter") ? Qt::MiterJoin
                                                   : Qt::RoundJoin;
    const double miter = args.has(7) ? rt.toNumber(args[7]) : 3;
    line.miter = std::clamp(std::isfinite(miter) ? miter : 3, 1.0, MaxChannel);
    d.lineStyle(line);
    return Value();
}

Value moveTo(Runtime &rt, const Value &self, Args args)
{
    drawingOf(rt, self).moveTo(pointOf(rt, args, 0));
    return Value();
}

Value lineTo(Runtime &rt, const Value &self, Args args)
{
    drawingOf(rt, self).lineTo(pointOf(rt, args, 0));
    return Value();
}

Value curveTo(Runtime &rt, const Value &self, Args args)
{
    drawingOf(rt, self).curveTo(pointOf(rt, args, 0), pointOf(rt, args, 2));
    return Value();
}

void rectangle(Drawing &d, const QRectF &r)
{
    d.moveTo(r.topLeft());
    d.lineTo(r.topRight());
    d.lineTo(r.bottomRight());
    d.lineTo(r.bottomLeft());
    d.lineTo(r.topLeft());
}

Value drawRect(Runtime &rt, const Value &self, Args args)
{
    const QSizeF size(coordinate(rt, args[2]), coordinate(rt, args[3]));
    rectangle(drawingOf(rt, self), QRectF(pointOf(rt, args, 0), size));
    return Value();
}

// An ellipse in eight curves, from its right end round.
void ellipse(Drawing &d, const QPointF &centre, double rx, double ry)
{
    const double step = 2 * M_PI / CircleSegments;
    const double reach = 1 / std::cos(step / 2);
    d.moveTo(centre + QPointF(rx, 0));
    for (int i = 1; i <= CircleSegments; ++i) {
        const double mid = (i - 0.5) * step, end = i * step;
        d.curveTo(centre + QPointF(rx * reach * std::cos(mid), ry * reach * std::sin(mid)),
                  centre + QPointF(rx * std::cos(end), ry * std::sin(end)));
    }
}

Value drawCircle(Runtime &rt, const Value &self, Args args)
{
    const double r = coordinate(rt, args[2]);
    ellipse(drawingOf(rt, self), pointOf(rt, args, 0), r, r);
    return Value();
}

Value drawEllipse(Runtime &rt, const Value &self, Args args)
{
    const double w = coordinate(rt, args[2]), h = coordinate(rt, args[3]);
    ellipse(drawingOf(rt, self), pointOf(rt, args, 0) + QPointF(w / 2, h / 2), w / 2, h / 2);
    return Value();
}

// drawRoundRect(x, y, width, height, ellipseWidth, ellipseHeight = ellipseWidth)
Value drawRoundRect(Runtime &rt, const Value &self, Args args)
{
    Drawing &d = drawingOf(rt, self);
    const QRectF r(pointOf(rt, args, 0), QSizeF(coordinate(rt, args[2]), coordinate(rt, args[3])));
    const double ew = std::min(std::abs(coordinate(rt, args[4])), std::abs(r.width())) / 2;
    const double eh = args[5].isNullish() ? ew : std::min(std::abs(coordinate(rt, args[5])), std::abs(r.height())) / 2;
    if (ew <= 0 || eh <= 0) {
        rectangle(d, r);
        return Value();
    }
    d.moveTo(QPointF(r.left() + ew, r.top()));
    d.lineTo(QPointF(r.right() - ew, r.top()));
    d.curveTo(r.topRight(), QPointF(r.right(), r.top() + eh));
    d.lineTo(QPointF(r.right(), r.bottom() - eh));
    d.curveTo(r.bottomRight(), QPointF(r.right() - ew, r.bottom()));
    d.lineTo(QPointF(r.left() + ew, r.bottom()));
    d.curveTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - eh));
    d.lineTo(QPointF(r.left(), r.top() + eh));
    d.curveTo(r.topLeft(), QPointF(r.left() + ew, r.top()));
    return Value();
}

Value clear(Runtime &rt, const Value &self, Args)
{
    drawingOf(rt, self).clear();
    return Value();
}

} // namespace

void GraphicsObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    if (owner)
        marker(Value(static_cast<Object *>(owner)));
}

Value GraphicsOf(Runtime &rt, DisplayObjectNative &owner)
{
    if (owner.graphics.isObject())
        return owner.graphics;
    auto *graphics = static_cast<GraphicsObject *>(rt.allocate(rt.builtin("flash.display::Graphics")));
    graphics->owner = &owner;
    owner.graphics = Value(static_cast<Object *>(graphics));
    return owner.graphics;
}

extern const NativeClass GraphicsClass = {
    "flash.display", "Graphics", "Object", ClassFinal, CreateNative<GraphicsObject>, nullptr, nullptr,
    {
        {"beginFill", MemberKind::Method, beginFill, 1},
        {"endFill", MemberKind::Method, endFill},
        {"lineStyle", MemberKind::Method, lineStyle},
        {"moveTo", MemberKind::Method, moveTo, 2},
        {"lineTo", MemberKind::Method, lineTo, 2},
        {"curveTo", MemberKind::Method, curveTo, 4},
        {"drawRect", MemberKind::Method, drawRect, 4},
        {"drawCircle", MemberKind::Method, drawCircle, 3},
        {"drawEllipse", MemberKind::Method, drawEllipse, 4},
        {"drawRoundRect", MemberKind::Method, drawRoundRect, 5},
        {"clear", MemberKind::Method, clear},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
