// flash.geom.Point: a position or offset in two dimensions.
#include "swf/avm2/builtins/GeomObjects.h"

#include "swf/avm2/builtins/NativeHelpers.h"

#include <cmath>

namespace swf::avm2 {

namespace {

QPointF &pointOf(Runtime &rt, const Value &self) { return ThisAs<PointObject>(rt, self, "flash.geom.Point")->point; }

Value construct(Runtime &rt, const Value &self, Args args)
{
    pointOf(rt, self) = QPointF(args.has(0) ? rt.toNumber(args[0]) : 0, args.has(1) ? rt.toNumber(args[1]) : 0);
    return Value();
}

Value getX(Runtime &rt, const Value &self, Args) { return Value::number(pointOf(rt, self).x()); }
Value getY(Runtime &rt, const Value &self, Args) { return Value::number(pointOf(rt, self).y()); }
Value setX(Runtime &rt, const Value &self, Args args)
{
    pointOf(rt, self).setX(rt.toNumber(args[0]));
    return Value();
}
Value setY(Runtime &rt, const Value &self, Args args)
{
    pointOf(rt, self).setY(rt.toNumber(args[0]));
    return Value();
}

Value getLength(Runtime &rt, const Value &self, Args)
{
    const QPointF p = pointOf(rt, self);
    return Value::number(std::hypot(p.x(), p.y()));
}

Value add(Runtime &rt, const Value &self, Args args)
{
    return NewPoint(rt, pointOf(rt, self) + PointArgument(rt, args[0]));
}
Value subtract(Runtime &rt, const Value &self, Args args)
{
    return NewPoint(rt, pointOf(rt, self) - PointArgument(rt, args[0]));
}
Value clone(Runtime &rt, const Value &self, Args) { return NewPoint(rt, pointOf(rt, self)); }

Value equals(Runtime &rt, const Value &self, Args args)
{
    const QPointF p = pointOf(rt, self), q = PointArgument(rt, args[0]);
    return Value(p.x() == q.x() && p.y() == q.y());
}

// Scales the point to the length given; the origin stays where it is.
Value normalize(Runtime &rt, const Value &self, Args args)
{
    QPointF &p = pointOf(rt, self);
    const double length = std::hypot(p.x(), p.y());
    if (length > 0)
        p *= rt.toNumber(args[0]) / length;
    return Value();
}

Value offset(Runtime &rt, const Value &self, Args args)
{
    QPointF &p = pointOf(rt, self);
    p += QPointF(rt.toNumber(args[0]), rt.toNumber(args[1]));
    return Value();
}

Value setTo(Runtime &rt, const Value &self, Args args)
{
    pointOf(rt, self) = QPointF(rt.toNumber(args[0]), rt.toNumber(args[1]));
    return Value();
}

Value copyFrom(Runtime &rt, const Value &self, Args args)
{
    pointOf(rt, self) = PointArgument(rt, args[0]);
    return Value();
}

Value toString(Runtime &rt, const Value &self, Args)
{
    const QPointF p = pointOf(rt, self);
    return Value(QStringLiteral("(x=%1, y=%2)").arg(GeomNumber(rt, p.x()), GeomNumber(rt, p.y())));
}

Value distance(Runtime &rt, const Value &, Args args)
{
    const QPointF d = PointArgument(rt, args[0]) - PointArgument(rt, args[1]);
    return Value::number(std::hypot(d.x(), d.y()));
}

// f = 1 gives the first point, 0 the second.
Value interpolate(Runtime &rt, const Value &, Args args)
{
    const QPointF p1 = PointArgument(rt, args[0]), p2 = PointArgument(rt, args[1]);
    const double f = rt.toNumber(args[2]);
    return NewPoint(rt, QPointF(p2.x() + f * (p1.x() - p2.x()), p2.y() + f * (p1.y() - p2.y())));
}

Value polar(Runtime &rt, const Value &, Args args)
{
    const double length = rt.toNumber(args[0]), angle = rt.toNumber(args[1]);
    return NewPoint(rt, QPointF(length * std::cos(angle), length * std::sin(angle)));
}

} // namespace

Value NewPoint(Runtime &rt, QPointF point)
{
    Object *object = rt.constructClass(rt.builtin("flash.geom::Point"), Args{});
    static_cast<PointObject *>(object)->point = point;
    return Value(object);
}

QPointF PointArgument(Runtime &rt, const Value &v, const char *parameter)
{
    CheckGeomArgument(rt, v, parameter);
    return ThisAs<PointObject>(rt, v, "flash.geom.Point")->point;
}

void CheckGeomArgument(Runtime &rt, const Value &v, const char *parameter)
{
    constexpr int NullReferenceError = 1009;
    constexpr int NullParameterError = 2007;
    if (!v.isNullish())
        return;
    if (!parameter)
        rt.throwError(ErrorType::TypeError, NullReferenceError);
    rt.throwError(ErrorType::TypeError, NullParameterError, QStringList{QString::fromLatin1(parameter)});
}

QString GeomNumber(Runtime &rt, double value) { return rt.toString(Value::number(value)); }

extern const NativeClass PointClass = {
    "flash.geom", "Point", nullptr, 0, CreateNative<PointObject>, construct, nullptr,
    {
        {"x", MemberKind::Getter, getX},
        {"x", MemberKind::Setter, setX},
        {"y", MemberKind::Getter, getY},
        {"y", MemberKind::Setter, setY},
        {"length", MemberKind::Getter, getLength},
        {"add", MemberKind::Method, add, 1},
        {"subtract", MemberKind::Method, subtract, 1},
        {"clone", MemberKind::Method, clone},
        {"equals", MemberKind::Method, equals, 1},
        {"normalize", MemberKind::Method, normalize, 1},
        {"offset", MemberKind::Method, offset, 2},
        {"setTo", MemberKind::Method, setTo, 2},
        {"copyFrom", MemberKind::Method, copyFrom, 1},
        {"toString", MemberKind::Method, toString},
        {"distance", MemberKind::Method, distance, 2, MemberStatic},
        {"interpolate", MemberKind::Method, interpolate, 3, MemberStatic},
        {"polar", MemberKind::Method, polar, 2, MemberStatic},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
