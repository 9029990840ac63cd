// flash.geom.Rectangle: an area by its top-left corner and its size; the
// edges move the corner and resize as they are set.
#include "swf/avm2/builtins/GeomObjects.h"

#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

geom::Rect &rectOf(Runtime &rt, const Value &self)
{
    return ThisAs<RectangleObject>(rt, self, "flash.geom.Rectangle")->rect;
}

double numberOr0(Runtime &rt, Args args, int i) { return args.has(i) ? rt.toNumber(args[i]) : 0; }

Value construct(Runtime &rt, const Value &self, Args args)
{
    rectOf(rt, self) = {numberOr0(rt, args, 0), numberOr0(rt, args, 1), numberOr0(rt, args, 2), numberOr0(rt, args, 3)};
    return Value();
}

template <double geom::Rect::*Field> Value get(Runtime &rt, const Value &self, Args)
{
    return Value::number(rectOf(rt, self).*Field);
}
template <double geom::Rect::*Field> Value set(Runtime &rt, const Value &self, Args args)
{
    rectOf(rt, self).*Field = rt.toNumber(args[0]);
    return Value();
}

Value getRight(Runtime &rt, const Value &self, Args) { return Value::number(rectOf(rt, self).right()); }
Value getBottom(Runtime &rt, const Value &self, Args) { return Value::number(rectOf(rt, self).bottom()); }
// The left and top edges move with the right and bottom ones staying.
Value setLeft(Runtime &rt, const Value &self, Args args)
{
    geom::Rect &r = rectOf(rt, self);
    const double left = rt.toNumber(args[0]);
    r.width -= left - r.x;
    r.x = left;
    return Value();
}
Value setTop(Runtime &rt, const Value &self, Args args)
{
    geom::Rect &r = rectOf(rt, self);
    const double top = rt.toNumber(args[0]);
    r.height -= top - r.y;
    r.y = top;
    return Value();
}
Value setRight(Runtime &rt, const Value &self, Args args)
{
    geom::Rect &r = rectOf(rt, self);
    r.width = rt.toNumber(args[0]) - r.x;
    return Value();
}
Value setBottom(Runtime &rt, const Value &self, Args args)
{
    geom::Rect &r = rectOf(rt, self);
    r.height = rt.toNumber(args[0]) - r.y;
    return Value();
}

Value getTopLeft(Runtime &rt, const Value &self, Args)
{
    const geom::Rect &r = rectOf(rt, self);
    return NewPoint(rt, QPointF(r.x, r.y));
}
Value getBottomRight(Runtime &rt, const Value &self, Args)
{
    const geom::Rect &r = rectOf(rt, self);
    return NewPoint(rt, QPointF(r.right(), r.bottom()));
}
Value getSize(Runtime &rt, const Value &self, Args)
{
    const geom::Rect &r = rectOf(rt, self);
    return NewPoint(rt, QPointF(r.width, r.height));
}
Value setTopLeft(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0]);
    geom::Rect &r = rectOf(rt, self);
    r.width -= p.x() - r.x;
    r.height -= p.y() - r.y;
    r.x = p.x();
    r.y = p.y();
    return Value();
}
Value setBottomRight(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0]);
    geom::Rect &r = rectOf(rt, self);
    r.width = p.x() - r.x;
    r.height = p.y() - r.y;
    return Value();
}
Value setSize(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0]);
    geom::Rect &r = rectOf(rt, self);
    r.width = p.x();
    r.height = p.y();
    return Value();
}

Value contains(Runtime &rt, const Value &self, Args args)
{
    return Value(geom::Contains(rectOf(rt, self), rt.toNumber(args[0]), rt.toNumber(args[1])));
}
Value containsPoint(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0]);
    return Value(geom::Contains(rectOf(rt, self), p.x(), p.y()));
}
Value containsRect(Runtime &rt, const Value &self, Args args)
{
    return Value(geom::ContainsRect(rectOf(rt, self), RectangleArgument(rt, args[0])));
}
Value intersects(Runtime &rt, const Value &self, Args args)
{
    return Value(!geom::IsEmpty(geom::Intersection(rectOf(rt, self), RectangleArgument(rt, args[0]))));
}
Value intersection(Runtime &rt, const Value &self, Args args)
{
    return NewRectangle(rt, geom::Intersection(rectOf(rt, self), RectangleArgument(rt, args[0])));
}
Value unionWith(Runtime &rt, const Value &self, Args args)
{
    return NewRectangle(rt, geom::Union(rectOf(rt, self), RectangleArgument(rt, args[0])));
}

void inflateBy(geom::Rect &r, double dx, double dy)
{
    r.x -= dx;
    r.width += 2 * dx;
    r.y -= dy;
    r.height += 2 * dy;
}
Value inflate(Runtime &rt, const Value &self, Args args)
{
    inflateBy(rectOf(rt, self), rt.toNumber(args[0]), rt.toNumber(args[1]));
    return Value();
}
Value inflatePoint(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0]);
    inflateBy(rectOf(rt, self), p.x(), p.y());
    return Value();
}

Value offset(Runtime &rt, const Value &self, Args args)
{
    geom::Rect &r = rectOf(rt, self);
    r.x += rt.toNumber(args[0]);
    r.y += rt.toNumber(args[1]);
    return Value();
}
Value offsetPoint(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = PointArgument(rt, args[0]);
    geom::Rect &r = rectOf(rt, self);
    r.x += p.x();
    r.y += p.y();
    return Value();
}

Value isEmpty(Runtime &rt, const Value &self, Args) { return Value(geom::IsEmpty(rectOf(rt, self))); }
Value setEmpty(Runtime &rt, const Value &self, Args)
{
    rectOf(rt, self) = {};
    return Value();
}

Value equals(Runtime &rt, const Value &self, Args args)
{
    const geom::Rect &r = rectOf(rt, self);
    const geom::Rect s = RectangleArgument(rt, args[0]);
    return Value(r.x == s.x && r.y == s.y && r.width == s.width && r.height == s.height);
}

Value clone(Runtime &rt, const Value &self, Args) { return NewRectangle(rt, rectOf(rt, self)); }

Value setTo(Runtime &rt, const Value &self, Args args)
{
    rectOf(rt, self) = {rt.toNumber(args[0]), rt.toNumber(args[1]), rt.toNumber(args[2]), rt.toNumber(args[3])};
    return Value();
}
Value copyFrom(Runtime &rt, const Value &self, Args args)
{
    rectOf(rt, self) = RectangleArgument(rt, args[0]);
    return Value();
}

Value toString(Runtime &rt, const Value &self, Args)
{
    const geom::Rect &r = rectOf(rt, self);
    return Value(QStringLiteral("(x=%1, y=%2, w=%3, h=%4)")
                     .arg(GeomNumber(rt, r.x), GeomNumber(rt, r.y), GeomNumber(rt, r.width), GeomNumber(rt, r.height)));
}

using R = geom::Rect;

} // namespace

Value NewRectangle(Runtime &rt, const geom::Rect &rect)
{
    Object *object = rt.constructClass(rt.builtin("flash.geom::Rectangle"), Args{});
    static_cast<RectangleObject *>(object)->rect = rect;
    return Value(object);
}

geom::Rect RectangleArgument(Runtime &rt, const Value &v, const char *parameter)
{
    CheckGeomArgument(rt, v, parameter);
    return ThisAs<RectangleObject>(rt, v, "flash.geom.Rectangle")->rect;
}

extern const NativeClass RectangleClass = {
    "flash.geom", "Rectangle", nullptr, 0, CreateNative<RectangleObject>, construct, nullptr,
    {
        {"x", MemberKind::Getter, get<&R::x>},
        {"x", MemberKind::Setter, set<&R::x>},
        {"y", MemberKind::Getter, get<&R::y>},
        {"y", MemberKind::Setter, set<&R::y>},
        {"width", MemberKind::Getter, get<&R::width>},
        {"width", MemberKind::Setter, set<&R::width>},
        {"height", MemberKind::Getter, get<&R::height>},
        {"height", MemberKind::Setter, set<&R::height>},
        {"left", MemberKind::Getter, get<&R::x>},
        {"left", MemberKind::Setter, setLeft},
        {"top", MemberKind::Getter, get<&R::y>},
        {"top", MemberKind::Setter, setTop},
        {"right", MemberKind::Getter, getRight},
        {"right", MemberKind::Setter, setRight},
        {"bottom", MemberKind::Getter, getBottom},
        {"bottom", MemberKind::Setter, setBottom},
        {"topLeft", MemberKind::Getter, getTopLeft},
        {"topLeft", MemberKind::Setter, setTopLeft},
        {"bottomRight", MemberKind::Getter, getBottomRight},
        {"bottomRight", MemberKind::Setter, setBottomRight},
        {"size", MemberKind::Getter, getSize},
        {"size", MemberKind::Setter, setSize},
        {"contains", MemberKind::Method, contains, 2},
        {"containsPoint", MemberKind::Method, containsPoint, 1},
        {"containsRect", MemberKind::Method, containsRect, 1},
        {"intersects", MemberKind::Method, intersects, 1},
        {"intersection", MemberKind::Method, intersection, 1},
        {"union", MemberKind::Method, unionWith, 1},
        {"inflate", MemberKind::Method, inflate, 2},
        {"inflatePoint", MemberKind::Method, inflatePoint, 1},
        {"offset", MemberKind::Method, offset, 2},
        {"offsetPoint", MemberKind::Method, offsetPoint, 1},
        {"isEmpty", MemberKind::Method, isEmpty},
        {"setEmpty", MemberKind::Method, setEmpty},
        {"equals", MemberKind::Method, equals, 1},
        {"clone", MemberKind::Method, clone},
        {"setTo", MemberKind::Method, setTo, 4},
        {"copyFrom", MemberKind::Method, copyFrom, 1},
        {"toString", MemberKind::Method, toString},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
