// MovieClip's coordinate methods: localToGlobal, globalToLocal, getBounds
// and hitTest, in pixels as scripts see them, worked in twips.
#include "MovieClipGeometry.h"

#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"
#include "swf/script/ClipProperties.h"
#include "swf/script/ScriptEngine.h"

#include <QPainterPath>

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;
// What the reference player answers for each edge of a clip that shows nothing.
constexpr double EmptyEdge = 6710886.35;

// From the clip's coordinates to the stage's.
QTransform toStage(const DisplayObject &clip)
{
    QTransform m = clip.matrix;
    int steps = 0;
    for (const DisplayObject *p = clip.parent; p && steps < MoviePlayer::MaxNesting; p = p->parent, ++steps)
        m *= p->matrix;
    return m;
}

const DisplayObject *clipArgument(const NativeCall &call, size_t i)
{
    const auto *ref = i < call.args.size() ? std::get_if<ClipRef>(&call.args[i]) : nullptr;
    return ref ? ref->get() : nullptr;
}

// The point's own x or y, hidden or not: the reference player reads and
// writes them whatever their flags say.
ScriptObject::Member *coordinate(const NativeCall &call, ScriptObject &point, const char *name)
{
    ScriptObject::Member *member = point.storedMember(call.key(QLatin1String(name)));
    return member && !member->isProperty() ? member : nullptr;
}

// Moves the point object's x and y to the stage's coordinates or from them.
Value mapPoint(NativeCall &call, bool fromStage)
{
    const DisplayObject *clip = call.clip();
    ScriptObject *point = call.args.empty() ? nullptr : objectOf(call.args[0]);
    // A point without an own x and y stays as it is.
    ScriptObject::Member *x = point ? coordinate(call, *point, "x") : nullptr;
    ScriptObject::Member *y = point ? coordinate(call, *point, "y") : nullptr;
    if (!clip || !x || !y)
        return Undefined{};
    const QTransform m = fromStage ? toStage(*clip).inverted() : toStage(*clip);
    const QPointF from(call.cx.toNumber(x->value) * TwipsPerPixel, call.cx.toNumber(y->value) * TwipsPerPixel);
    const QPointF to = m.map(from) / TwipsPerPixel;
    if (!(x->flags & ReadOnly))
        x->value = to.x();
    if (!(y->flags & ReadOnly))
        y->value = to.y();
    return Undefined{};
}

Value boundsObject(NativeCall &call, const QRectF &twips)
{
    // The reference player gives it no prototype: it shows as [type Object].
    ScriptObject *bounds = call.engine().heap().make(ScriptObject::Kind::Object, nullptr);
    if (!bounds)
        return Undefined{};
    const bool empty = twips.isNull();
    const std::pair<const char *, double> edges[] = {
        {"xMin", empty ? EmptyEdge : twips.left() / TwipsPerPixel},
        {"xMax", empty ? EmptyEdge : twips.right() / TwipsPerPixel},
        {"yMin", empty ? EmptyEdge : twips.top() / TwipsPerPixel},
        {"yMax", empty ? EmptyEdge : twips.bottom() / TwipsPerPixel},
    };
    for (const auto &[name, value] : edges) {
        const QString n = QLatin1String(name);
        bounds->set(call.key(n), n, value);
    }
    return bounds;
}

// A point on the edge of what is drawn does not hit it.
bool inside(const QPainterPath &outline, const QPointF &stage)
{
    constexpr double Reach = 1.0 / 64; // twips around the point that must be inside too
    return outline.contains(QRectF(stage - QPointF(Reach, Reach), QSizeF(2 * Reach, 2 * Reach)));
}

// Whether the point, in stage twips, is in what the clip draws: its shapes,
// its drawing and its children's.
bool shapeContains(const DisplayObject &clip, const QPointF &stage, const QTransform &m, int nesting)
{
    if (const auto *shape = dynamic_cast<const ShapeDef *>(clip.character))
        return inside(m.map(shape->outline), stage);
    if (clip.drawing && inside(m.map(clip.drawing->outline()), stage))
        return true;
    if (nesting >= MoviePlayer::MaxNesting)
        return false;
    for (const auto &[depth, child] : clip.children)
        if (shapeContains(*child, stage, child->matrix * m, nesting + 1))
            return true;
    return false;
}

QRectF stageBounds(const DisplayObject &clip)
{
    const QRectF own = ClipBounds(clip);
    return own.isNull() ? QRectF() : toStage(clip).mapRect(own);
}

bool containsInclusive(const QRectF &r, const QPointF &p)
{
    return !r.isNull() && p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}

} // namespace

bool ShapeContains(const DisplayObject &clip, const QPointF &stage, const QTransform &toStage)
{
    return shapeContains(clip, stage, toStage, 0);
}

Value ClipLocalToGlobal(NativeCall &call) { return mapPoint(call, false); }
Value ClipGlobalToLocal(NativeCall &call) { return mapPoint(call, true); }

// getBounds(space): in the given clip's coordinates, or the clip's own;
// anything else given for the space answers nothing.
Value ClipGetBounds(NativeCall &call)
{
    const DisplayObject *clip = call.clip();
    if (!clip)
        return Undefined{};
    const DisplayObject *space = call.args.empty() ? clip : clipArgument(call, 0);
    if (!space)
        return Undefined{};
    const QRectF own = ClipBounds(*clip);
    if (own.isNull())
        return boundsObject(call, QRectF());
    const QTransform m = toStage(*clip) * toStage(*space).inverted();
    return boundsObject(call, m.mapRect(own));
}

// hitTest(x, y, shapeFlag) with a stage point: within the bounds, edges
// included, or within what is drawn; hitTest(clip): the bounds overlap.
Value ClipHitTest(NativeCall &call)
{
    const DisplayObject *clip = call.clip();
    if (!clip || call.args.empty())
        return Undefined{};
    if (call.args.size() == 1) {
        const DisplayObject *other = clipArgument(call, 0);
        return other && stageBounds(*clip).intersects(stageBounds(*other));
    }
    const QPointF stage(call.number(0) * TwipsPerPixel, call.number(1) * TwipsPerPixel);
    if (call.args.size() > 2 && call.cx.toBool(call.args[2]))
        return shapeContains(*clip, stage, toStage(*clip), 0);
    return containsInclusive(stageBounds(*clip), stage);
}

} // namespace swf
