#include "swf/avm2/builtins/DisplayObjectSpaces.h"

#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/GeomObjects.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/builtins/MovieClipGeometry.h"
#include "swf/script/ClipProperties.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double Twips = 20;
constexpr int MaxFillNesting = 64;
constexpr int MaxAncestors = 1000;
// Farthest a scroll rectangle's edges may lie, in pixels: well past any
// stage, and still exact in twips.
constexpr double MaxScrollPixels = 1e7;

QPointF toTwips(QPointF pixels) { return pixels * Twips; }
QPointF toPixels(QPointF twips) { return twips / Twips; }

geom::Rect rectInPixels(const QRectF &twips)
{
    return {twips.x() / Twips, twips.y() / Twips, twips.width() / Twips, twips.height() / Twips};
}

DisplayObjectNative &displayArgument(Runtime &rt, const Value &v, const char *parameter)
{
    CheckGeomArgument(rt, v, parameter);
    return *DisplayThis(rt, v);
}

// The bounds in the target's space: the object's own when none is given.
Value boundsIn(Runtime &rt, const Value &self, const Value &target, const QRectF &own)
{
    DisplayObjectNative &object = *DisplayThis(rt, self);
    DisplayObjectNative &space = target.isNullish() ? object : *DisplayThis(rt, target);
    if (own.isNull())
        return NewRectangle(rt, {});
    const QTransform m = ToStage(rt, object) * ToStage(rt, space).inverted();
    return NewRectangle(rt, rectInPixels(m.mapRect(own)));
}

QRectF stageBounds(Runtime &rt, DisplayObjectNative &object)
{
    const QRectF own = ClipBounds(object.node());
    return own.isNull() ? QRectF() : ToStage(rt, object).mapRect(own);
}

} // namespace

QTransform ToStage(Runtime &rt, DisplayObjectNative &object)
{
    // The player's root draws its children where they are: its own matrix
    // is no part of the way to the stage.
    const swf::DisplayObject *root = rt.movie ? &rt.movie->player().root() : nullptr;
    QTransform m;
    int steps = 0;
    for (const swf::DisplayObject *p = &object.node(); p && p != root && steps < MaxAncestors; p = p->parent, ++steps)
        m *= p->matrix;
    return m;
}

QRectF FillBounds(const swf::DisplayObject &node, int nesting)
{
    if (const auto *shape = dynamic_cast<const ShapeDef *>(node.character))
        return shape->outline.boundingRect();
    // Text, bitmaps and video have no strokes to leave out.
    if (node.character && !node.isSprite() && node.children.empty())
        return ClipBounds(node);
    QRectF bounds = node.drawing ? node.drawing->outline().boundingRect() : QRectF();
    if (nesting >= MaxFillNesting)
        return bounds;
    for (const auto &[depth, child] : node.children) {
        const QRectF inner = FillBounds(*child, nesting + 1);
        if (!inner.isNull())
            bounds = bounds.united(child->matrix.mapRect(inner));
    }
    return bounds;
}

Value DisplayLocalToGlobal(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0], "point");
    return NewPoint(rt, toPixels(ToStage(rt, *DisplayThis(rt, self)).map(toTwips(p))));
}

Value DisplayGlobalToLocal(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0], "point");
    return NewPoint(rt, toPixels(ToStage(rt, *DisplayThis(rt, self)).inverted().map(toTwips(p))));
}

Value DisplayGetBounds(Runtime &rt, const Value &self, Args args)
{
    return boundsIn(rt, self, args[0], ClipBounds(DisplayThis(rt, self)->node()));
}

Value DisplayGetRect(Runtime &rt, const Value &self, Args args)
{
    return boundsIn(rt, self, args[0], FillBounds(DisplayThis(rt, self)->node()));
}

// hitTestPoint(x, y, shapeFlag): within the bounds on the stage, or within
// what the object draws.
Value DisplayHitTestPoint(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative &object = *DisplayThis(rt, self);
    const QPointF point(rt.toNumber(args[0]) * Twips, rt.toNumber(args[1]) * Twips);
    if (rt.toBoolean(args[2]))
        return Value(ShapeContains(object.node(), point, ToStage(rt, object)));
    return Value(stageBounds(rt, object).contains(point));
}

Value DisplayHitTestObject(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative &other = displayArgument(rt, args[0], "obj");
    return Value(stageBounds(rt, *DisplayThis(rt, self)).intersects(stageBounds(rt, other)));
}

// A copy of the part that shows, or null when all of it does.
Value DisplayGetScrollRect(Runtime &rt, const Value &self, Args)
{
    const std::optional<QRectF> &scroll = DisplayThis(rt, self)->node().scrollRect;
    return scroll ? NewRectangle(rt, rectInPixels(*scroll)) : Value::null();
}

Value DisplaySetScrollRect(Runtime &rt, const Value &self, Args args)
{
    swf::DisplayObject &node = DisplayThis(rt, self)->node();
    if (args[0].isNullish()) {
        node.scrollRect.reset();
        return Value();
    }
    const geom::Rect r = RectangleArgument(rt, args[0], "value");
    const auto twips = [](double pixels) {
        return std::isfinite(pixels) ? std::clamp(pixels, -MaxScrollPixels, MaxScrollPixels) * Twips : 0.0;
    };
    node.scrollRect = QRectF(twips(r.x), twips(r.y), std::max(0.0, twips(r.width)), std::max(0.0, twips(r.height)));
    return Value();
}

Value DisplayGetTransform(Runtime &rt, const Value &self, Args) { return NewTransform(rt, self); }

// Takes the other transform's matrix and colour transform.
Value DisplaySetTransform(Runtime &rt, const Value &self, Args args)
{
    CheckGeomArgument(rt, args[0], "transform");
    const auto *from = ThisAs<TransformObject>(rt, args[0], "flash.geom.Transform");
    const swf::DisplayObject &source = DisplayThis(rt, from->target)->node();
    const QTransform matrix = source.matrix;
    const ColorTransform cxform = source.cxform;
    swf::DisplayObject &node = DisplayThis(rt, self)->node();
    node.matrix = matrix;
    node.cxform = cxform;
    return Value();
}

} // namespace swf::avm2
