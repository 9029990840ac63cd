// flash.geom.Point: a position or offset, kept in plain members x and y.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "GeomMembers.h"

#include <cmath>

namespace swf {

namespace {

constexpr int GeomVersion = 8;
// The player's script sets its members plainly: listed, deletable, writable.
constexpr int ScriptMember = 0;

double xOf(NativeCall &call, const Value &point) { return NumberMember(call, point, "x"); }
double yOf(NativeCall &call, const Value &point) { return NumberMember(call, point, "y"); }

Value newPoint(NativeCall &call, double x, double y) { return NewGeom(call, "Point", {x, y}); }

Value construct(NativeCall &call)
{
    // Without arguments a point is at the origin; given ones are kept as they are.
    if (call.args.empty())
        SetMembers(call, call.self, {"x", "y"}, {0.0, 0.0});
    else
        SetMembers(call, call.self, {"x", "y"}, {call.arg(0), call.arg(1)});
    return call.construct ? call.self : Value(Undefined{});
}

// Plain arithmetic, as the player's script does: an infinite side with a NaN one is NaN.
double lengthOf(double x, double y) { return std::sqrt(x * x + y * y); }

Value length(NativeCall &call) { return lengthOf(xOf(call, call.self), yOf(call, call.self)); }

Value add(NativeCall &call)
{
    const Value &other = call.arg(0);
    return newPoint(call, xOf(call, call.self) + xOf(call, other), yOf(call, call.self) + yOf(call, other));
}

Value subtract(NativeCall &call)
{
    const Value &other = call.arg(0);
    return newPoint(call, xOf(call, call.self) - xOf(call, other), yOf(call, call.self) - yOf(call, other));
}

Value clone(NativeCall &call) { return newPoint(call, xOf(call, call.self), yOf(call, call.self)); }

// Members that are the same value, NaN included.
bool sameNumber(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

Value equals(NativeCall &call)
{
    const Value &other = call.arg(0);
    if (!objectOf(other) || !call.cx.instanceOf(other, GeomClass(call, "Point")))
        return false;
    return sameNumber(xOf(call, call.self), xOf(call, other)) && sameNumber(yOf(call, call.self), yOf(call, other));
}

Value normalize(NativeCall &call)
{
    const double x = xOf(call, call.self);
    const double y = yOf(call, call.self);
    const double scale = call.number(0) / lengthOf(x, y);
    SetMembers(call, call.self, {"x", "y"}, {x * scale, y * scale});
    return Undefined{};
}

Value offset(NativeCall &call)
{
    SetMembers(call, call.self, {"x", "y"},
               {xOf(call, call.self) + call.number(0), yOf(call, call.self) + call.number(1)});
    return Undefined{};
}

Value toString(NativeCall &call) { return MemberList(call, call.self, {"x", "y"}); }

Value distance(NativeCall &call)
{
    const Value &a = call.arg(0);
    const Value &b = call.arg(1);
    return lengthOf(xOf(call, a) - xOf(call, b), yOf(call, a) - yOf(call, b));
}

// The point a fraction f of the way from the second point to the first.
Value interpolate(NativeCall &call)
{
    const Value &a = call.arg(0);
    const Value &b = call.arg(1);
    const double f = call.number(2);
    const double bx = xOf(call, b);
    const double by = yOf(call, b);
    return newPoint(call, bx + (xOf(call, a) - bx) * f, by + (yOf(call, a) - by) * f);
}

Value polar(NativeCall &call)
{
    const double length = call.number(0);
    const double angle = call.number(1);
    return newPoint(call, length * std::cos(angle), length * std::sin(angle));
}

} // namespace

const ClassDecl PointClass{
    "flash.geom.Point",
    construct,
    {ScriptMethod("add", add, 5, ScriptMember), ScriptMethod("subtract", subtract, 5, ScriptMember), ScriptMethod("equals", equals, 5, ScriptMember),
     ScriptMethod("normalize", normalize, 5, ScriptMember), ScriptMethod("offset", offset, 5, ScriptMember), ScriptMethod("clone", clone, 5, ScriptMember),
     ScriptMethod("toString", toString, 5, ScriptMember)},
    {ScriptMethod("distance", distance, 5, ScriptMember), ScriptMethod("interpolate", interpolate, 5, ScriptMember), ScriptMethod("polar", polar, 5, ScriptMember)},
    {},
    GeomVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"length", length, nullptr, ScriptMember}},
};

} // namespace swf
