// flash.geom.Rectangle: an area kept in plain members x, y, width and
// height, which the methods read and write as scripts do.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "GeomMembers.h"

#include "swf/script/ScriptEngine.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr int GeomVersion = 8;
// The player's script sets its members plainly: listed, deletable, writable.
constexpr int ScriptMember = 0;

struct Area {
    double x, y, width, height;
    double right() const { return x + width; }
    double bottom() const { return y + height; }
    bool empty() const { return !(width > 0) || !(height > 0); }
};

Area read(NativeCall &call, const Value &rect)
{
    return {NumberMember(call, rect, "x"), NumberMember(call, rect, "y"), NumberMember(call, rect, "width"),
            NumberMember(call, rect, "height")};
}

void write(NativeCall &call, const Area &a)
{
    SetMembers(call, call.self, {"x", "y", "width", "height"}, {a.x, a.y, a.width, a.height});
}

Value newRectangle(NativeCall &call, const Area &a)
{
    return NewGeom(call, "Rectangle", {a.x, a.y, a.width, a.height});
}

Value construct(NativeCall &call)
{
    // Without arguments an empty area at the origin; given ones are kept as they are.
    if (call.args.empty())
        write(call, Area{0, 0, 0, 0});
    else
        SetMembers(call, call.self, {"x", "y", "width", "height"}, {call.arg(0), call.arg(1), call.arg(2), call.arg(3)});
    return call.construct ? call.self : Value(Undefined{});
}

// a >= b and a < b as scripts compare: NaN makes >= true and < undefined;
// && answers the first false or undefined one.
Value atLeast(double a, double b) { return !(a < b); }
Value below(double a, double b) { return std::isnan(a) || std::isnan(b) ? Value(Undefined{}) : Value(a < b); }
Value allOf(std::initializer_list<Value> terms)
{
    for (const Value &term : terms)
        if (!std::holds_alternative<bool>(term) || !std::get<bool>(term))
            return term;
    return true;
}

Value containsAt(NativeCall &call, double x, double y)
{
    const Area a = read(call, call.self);
    return allOf({atLeast(x, a.x), below(x, a.right()), atLeast(y, a.y), below(y, a.bottom())});
}

Value contains(NativeCall &call) { return containsAt(call, call.number(0), call.number(1)); }

Value containsPoint(NativeCall &call)
{
    return containsAt(call, NumberMember(call, call.arg(0), "x"), NumberMember(call, call.arg(0), "y"));
}

Value containsRectangle(NativeCall &call)
{
    const Area a = read(call, call.self);
    const Area r = read(call, call.arg(0));
    return r.x >= a.x && r.y >= a.y && r.right() <= a.right() && r.bottom() <= a.bottom();
}

Value clone(NativeCall &call)
{
    std::vector<Value> members;
    for (const char *name : {"x", "y", "width", "height"})
        members.push_back(call.cx.getMember(call.self, QString::fromLatin1(name)));
    return NewGeom(call, "Rectangle", members);
}

Value equals(NativeCall &call)
{
    const Value &other = call.arg(0);
    if (!objectOf(other) || !call.cx.instanceOf(other, GeomClass(call, "Rectangle")))
        return false;
    const Area a = read(call, call.self);
    const Area r = read(call, other);
    return a.x == r.x && a.y == r.y && a.width == r.width && a.height == r.height;
}

void grow(NativeCall &call, double dx, double dy)
{
    const Area a = read(call, call.self);
    write(call, {a.x - dx, a.y - dy, a.width + 2 * dx, a.height + 2 * dy});
}

Value inflate(NativeCall &call)
{
    grow(call, call.number(0), call.number(1));
    return Undefined{};
}

Value inflatePoint(NativeCall &call)
{
    grow(call, NumberMember(call, call.arg(0), "x"), NumberMember(call, call.arg(0), "y"));
    return Undefined{};
}

void move(NativeCall &call, double dx, double dy)
{
    const Area a = read(call, call.self);
    write(call, {a.x + dx, a.y + dy, a.width, a.height});
}

Value offset(NativeCall &call)
{
    move(call, call.number(0), call.number(1));
    return Undefined{};
}

Value offsetPoint(NativeCall &call)
{
    move(call, NumberMember(call, call.arg(0), "x"), NumberMember(call, call.arg(0), "y"));
    return Undefined{};
}

Value setEmpty(NativeCall &call)
{
    write(call, Area{0, 0, 0, 0});
    return Undefined{};
}

Value isEmpty(NativeCall &call) { return read(call, call.self).empty(); }

bool overlap(const Area &a, const Area &r)
{
    return r.x < a.right() && a.x < r.right() && r.y < a.bottom() && a.y < r.bottom();
}

Value intersects(NativeCall &call) { return overlap(read(call, call.self), read(call, call.arg(0))); }

Value intersection(NativeCall &call)
{
    const Area a = read(call, call.self);
    const Area r = read(call, call.arg(0));
    if (!overlap(a, r))
        return newRectangle(call, Area{0, 0, 0, 0});
    const double x = std::max(a.x, r.x);
    const double y = std::max(a.y, r.y);
    return newRectangle(call, {x, y, std::min(a.right(), r.right()) - x, std::min(a.bottom(), r.bottom()) - y});
}

Value unionWith(NativeCall &call)
{
    const Area a = read(call, call.self);
    const Area r = read(call, call.arg(0));
    if (a.empty())
        return newRectangle(call, r);
    if (r.empty())
        return newRectangle(call, a);
    const double x = std::min(a.x, r.x);
    const double y = std::min(a.y, r.y);
    return newRectangle(call, {x, y, std::max(a.right(), r.right()) - x, std::max(a.bottom(), r.bottom()) - y});
}

Value toString(NativeCall &call)
{
    return MemberList(call, call.self, {{"x", "x"}, {"y", "y"}, {"w", "width"}, {"h", "height"}});
}

Value getRight(NativeCall &call) { return read(call, call.self).right(); }
Value getBottom(NativeCall &call) { return read(call, call.self).bottom(); }

Value setRight(NativeCall &call)
{
    SetMembers(call, call.self, {"width"}, {call.number(0) - NumberMember(call, call.self, "x")});
    return Undefined{};
}

Value setBottom(NativeCall &call)
{
    SetMembers(call, call.self, {"height"}, {call.number(0) - NumberMember(call, call.self, "y")});
    return Undefined{};
}

Value getSize(NativeCall &call)
{
    const Area a = read(call, call.self);
    return NewGeom(call, "Point", {a.width, a.height});
}

Value getTopLeft(NativeCall &call)
{
    const Area a = read(call, call.self);
    return NewGeom(call, "Point", {a.x, a.y});
}

Value getBottomRight(NativeCall &call)
{
    const Area a = read(call, call.self);
    return NewGeom(call, "Point", {a.right(), a.bottom()});
}

Value setSize(NativeCall &call)
{
    SetMembers(call, call.self, {"width", "height"},
               {NumberMember(call, call.arg(0), "x"), NumberMember(call, call.arg(0), "y")});
    return Undefined{};
}

// Moving a corner keeps the opposite one where it is.
Value setTopLeft(NativeCall &call)
{
    const Area a = read(call, call.self);
    const double x = NumberMember(call, call.arg(0), "x");
    const double y = NumberMember(call, call.arg(0), "y");
    write(call, {x, y, a.right() - x, a.bottom() - y});
    return Undefined{};
}

Value setBottomRight(NativeCall &call)
{
    const Area a = read(call, call.self);
    write(call, {a.x, a.y, NumberMember(call, call.arg(0), "x") - a.x, NumberMember(call, call.arg(0), "y") - a.y});
    return Undefined{};
}

// The player's prototype holds left and top as plain undefined members.
void addPlainEdges(ScriptEngine &engine, ScriptObject &constructor)
{
    if (ScriptObject *prototype = PrototypeOf(engine, constructor))
        for (const char *name : {"left", "top"})
            AddBuiltinMember(engine, *prototype, name, Undefined{}, ScriptMember);
}

MethodDecl method(const char *name, NativeFunction function) { return ScriptMethod(name, function, 5, ScriptMember); }

} // namespace

const ClassDecl RectangleClass{
    "flash.geom.Rectangle",
    construct,
    {method("clone", clone), method("contains", contains), method("containsPoint", containsPoint),
     method("containsRectangle", containsRectangle), method("equals", equals), method("inflate", inflate),
     method("inflatePoint", inflatePoint), method("intersection", intersection), method("intersects", intersects),
     method("isEmpty", isEmpty), method("offset", offset), method("offsetPoint", offsetPoint),
     method("setEmpty", setEmpty), method("toString", toString), method("union", unionWith)},
    {},
    {},
    GeomVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"right", getRight, setRight, ScriptMember},
     {"bottom", getBottom, setBottom, ScriptMember},
     {"size", getSize, setSize, ScriptMember},
     {"topLeft", getTopLeft, setTopLeft, ScriptMember},
     {"bottomRight", getBottomRight, setBottomRight, ScriptMember}},
    addPlainEdges,
};

} // namespace swf
