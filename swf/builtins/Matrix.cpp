// flash.geom.Matrix: a 2D affine transform kept in plain members a, b, c,
// d, tx and ty, which the methods read and write as scripts do.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "GeomMembers.h"

#include <cmath>

namespace swf {

namespace {

constexpr int GeomVersion = 8;
// A gradient box spans this many units of the gradient square at scale 1.
constexpr double GradientSquare = 1638.4;

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    // This transform followed by m.
    Affine then(const Affine &m) const
    {
        return {a * m.a + b * m.c,        a * m.b + b * m.d,        c * m.a + d * m.c,
                c * m.b + d * m.d,        tx * m.a + ty * m.c + m.tx, tx * m.b + ty * m.d + m.ty};
    }
};

Affine read(NativeCall &call, const Value &matrix)
{
    return {NumberMember(call, matrix, "a"),  NumberMember(call, matrix, "b"),  NumberMember(call, matrix, "c"),
            NumberMember(call, matrix, "d"),  NumberMember(call, matrix, "tx"), NumberMember(call, matrix, "ty")};
}

void write(NativeCall &call, const Affine &m)
{
    SetMembers(call, call.self, {"a", "b", "c", "d", "tx", "ty"}, {m.a, m.b, m.c, m.d, m.tx, m.ty});
}

Affine rotation(double angle)
{
    const double cos = std::cos(angle);
    const double sin = std::sin(angle);
    return {cos, sin, -sin, cos, 0, 0};
}

Value construct(NativeCall &call)
{
    // Without arguments the matrix is whatever identity() makes it; given
    // ones are kept as they are.
    if (call.args.empty())
        call.cx.callMethod(call.self, QStringLiteral("identity"), {});
    else
        SetMembers(call, call.self, {"a", "b", "c", "d", "tx", "ty"},
                   {call.arg(0), call.arg(1), call.arg(2), call.arg(3), call.arg(4), call.arg(5)});
    return call.construct ? call.self : Value(Undefined{});
}

Value identity(NativeCall &call)
{
    write(call, Affine{});
    return Undefined{};
}

Value clone(NativeCall &call)
{
    std::vector<Value> members;
    for (const char *name : {"a", "b", "c", "d", "tx", "ty"})
        members.push_back(call.cx.getMember(call.self, QString::fromLatin1(name)));
    return NewGeom(call, "Matrix", members);
}

Value concat(NativeCall &call)
{
    write(call, read(call, call.self).then(read(call, call.arg(0))));
    return Undefined{};
}

Value invert(NativeCall &call)
{
    const Affine m = read(call, call.self);
    const double det = m.a * m.d - m.b * m.c;
    Affine inverse{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    inverse.tx = -(inverse.a * m.tx + inverse.c * m.ty);
    inverse.ty = -(inverse.b * m.tx + inverse.d * m.ty);
    write(call, inverse);
    return Undefined{};
}

Value rotate(NativeCall &call)
{
    write(call, read(call, call.self).then(rotation(call.number(0))));
    return Undefined{};
}

Value scale(NativeCall &call)
{
    write(call, read(call, call.self).then(Affine{call.number(0), 0, 0, call.number(1), 0, 0}));
    return Undefined{};
}

Value translate(NativeCall &call)
{
    Affine m = read(call, call.self);
    m.tx += call.number(0);
    m.ty += call.number(1);
    write(call, m);
    return Undefined{};
}

Affine box(double scaleX, double scaleY, double angle, double tx, double ty)
{
    const Affine r = rotation(angle);
    return {scaleX * r.a, scaleY * r.b, scaleX * r.c, scaleY * r.d, tx, ty};
}

Value createBox(NativeCall &call)
{
    write(call, box(call.number(0), call.number(1), call.number(2, 0), call.number(3, 0), call.number(4, 0)));
    return Undefined{};
}

Value createGradientBox(NativeCall &call)
{
    const double width = call.number(0);
    const double height = call.number(1);
    write(call, box(width / GradientSquare, height / GradientSquare, call.number(2, 0), call.number(3, 0) + width / 2,
                    call.number(4, 0) + height / 2));
    return Undefined{};
}

Value pointThrough(NativeCall &call, bool withTranslation)
{
    const Affine m = read(call, call.self);
    const double x = NumberMember(call, call.arg(0), "x");
    const double y = NumberMember(call, call.arg(0), "y");
    const double dx = withTranslation ? m.tx : 0;
    const double dy = withTranslation ? m.ty : 0;
    return NewGeom(call, "Point", {m.a * x + m.c * y + dx, m.b * x + m.d * y + dy});
}

Value transformPoint(NativeCall &call) { return pointThrough(call, true); }
Value deltaTransformPoint(NativeCall &call) { return pointThrough(call, false); }

Value toString(NativeCall &call) { return MemberList(call, call.self, {"a", "b", "c", "d", "tx", "ty"}); }

} // namespace

const ClassDecl MatrixClass{
    "flash.geom.Matrix",
    construct,
    {ScriptMethod("identity", identity), ScriptMethod("clone", clone), ScriptMethod("concat", concat),
     ScriptMethod("invert", invert), ScriptMethod("rotate", rotate), ScriptMethod("scale", scale),
     ScriptMethod("translate", translate), ScriptMethod("createBox", createBox),
     ScriptMethod("createGradientBox", createGradientBox), ScriptMethod("transformPoint", transformPoint),
     ScriptMethod("deltaTransformPoint", deltaTransformPoint), ScriptMethod("toString", toString)},
    {},
    {},
    GeomVersion,
};

} // namespace swf
