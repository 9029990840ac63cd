// flash.display.DisplayObject: where an object sits (pixels, as scripts
// give them; twips in the engine), how it shows, and its place in the tree.
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/DisplayObjectSpaces.h"
#include "swf/avm2/builtins/FilterObject.h"

#include "swf/DisplayObject.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/script/ClipProperties.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double Twips = 20;
constexpr double FixedOne = 256; // the alpha multiplier for 1.0
constexpr double MaxAlpha = 127; // what the multiplier's 8.8 bits hold
constexpr double Degrees = 180 / M_PI;
constexpr int AbstractClassError = 2012;

swf::DisplayObject &nodeOf(Runtime &rt, const Value &self) { return DisplayThis(rt, self)->node(); }

// A finite number argument, or nothing: the player leaves the property as it was.
std::optional<double> finite(Runtime &rt, const Value &v)
{
    const double d = rt.toNumber(v);
    return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

Value pixels(double twips) { return Value::number(twips / Twips); }
double toTwips(double pixels) { return std::trunc(pixels * Twips); }

Value construct(Runtime &rt, const Value &self, Args)
{
    Class *cls = rt.classOf(self);
    if (cls && (cls == rt.builtin("flash.display::DisplayObject") ||
                cls == rt.builtin("flash.display::InteractiveObject") ||
                cls == rt.builtin("flash.display::DisplayObjectContainer")))
        rt.throwError(ErrorType::ArgumentError, AbstractClassError, QStringList{cls->qualifiedName()});
    return Value();
}

Value getX(Runtime &rt, const Value &self, Args) { return pixels(nodeOf(rt, self).matrix.dx()); }
Value getY(Runtime &rt, const Value &self, Args) { return pixels(nodeOf(rt, self).matrix.dy()); }
Value setX(Runtime &rt, const Value &self, Args args)
{
    swf::DisplayObject &n = nodeOf(rt, self);
    if (const auto v = finite(rt, args[0]))
        n.matrix.setMatrix(n.matrix.m11(), n.matrix.m12(), 0, n.matrix.m21(), n.matrix.m22(), 0, toTwips(*v),
                           n.matrix.dy(), 1);
    return Value();
}
Value setY(Runtime &rt, const Value &self, Args args)
{
    swf::DisplayObject &n = nodeOf(rt, self);
    if (const auto v = finite(rt, args[0]))
        n.matrix.setMatrix(n.matrix.m11(), n.matrix.m12(), 0, n.matrix.m21(), n.matrix.m22(), 0, n.matrix.dx(),
                           toTwips(*v), 1);
    return Value();
}

// The scales and rotation scripts set, while the matrix is still the one
// they made; else what the matrix says.
swf::DisplayObject::ScriptGeometry geometryOf(const swf::DisplayObject &n)
{
    const QTransform &m = n.matrix;
    if (n.scriptGeometry.set && n.scriptGeometry.made == m)
        return n.scriptGeometry;
    return {m, std::hypot(m.m11(), m.m12()), std::hypot(m.m21(), m.m22()), std::atan2(m.m12(), m.m11()) * Degrees,
            false};
}

void setGeometry(swf::DisplayObject &n, swf::DisplayObject::ScriptGeometry g)
{
    const double r = g.rotation / Degrees;
    n.matrix = QTransform(g.xScale * std::cos(r), g.xScale * std::sin(r), -g.yScale * std::sin(r),
                          g.yScale * std::cos(r), n.matrix.dx(), n.matrix.dy());
    g.made = n.matrix;
    g.set = true;
    n.scriptGeometry = g;
}

double normalizedDegrees(double degrees)
{
    constexpr double FullTurn = 360, HalfTurn = 180;
    double r = std::fmod(degrees, FullTurn);
    if (r > HalfTurn)
        r -= FullTurn;
    else if (r < -HalfTurn)
        r += FullTurn;
    return r;
}

Value getScaleX(Runtime &rt, const Value &self, Args) { return Value::number(geometryOf(nodeOf(rt, self)).xScale); }
Value getScaleY(Runtime &rt, const Value &self, Args) { return Value::number(geometryOf(nodeOf(rt, self)).yScale); }
Value getRotation(Runtime &rt, const Value &self, Args)
{
    return Value::number(geometryOf(nodeOf(rt, self)).rotation);
}
Value setScaleX(Runtime &rt, const Value &self, Args args)
{
    swf::DisplayObject &n = nodeOf(rt, self);
    if (const auto v = finite(rt, args[0])) {
        auto g = geometryOf(n);
        g.xScale = *v;
        setGeometry(n, g);
    }
    return Value();
}
Value setScaleY(Runtime &rt, const Value &self, Args args)
{
    swf::DisplayObject &n = nodeOf(rt, self);
    if (const auto v = finite(rt, args[0])) {
        auto g = geometryOf(n);
        g.yScale = *v;
        setGeometry(n, g);
    }
    return Value();
}
Value setRotation(Runtime &rt, const Value &self, Args args)
{
    swf::DisplayObject &n = nodeOf(rt, self);
    if (const auto v = finite(rt, args[0])) {
        auto g = geometryOf(n);
        g.rotation = normalizedDegrees(*v);
        setGeometry(n, g);
    }
    return Value();
}

Value getAlpha(Runtime &rt, const Value &self, Args)
{
    return Value::number(nodeOf(rt, self).cxform.alphaMult / FixedOne);
}
Value setAlpha(Runtime &rt, const Value &self, Args args)
{
    if (const auto v = finite(rt, args[0]))
        nodeOf(rt, self).cxform.alphaMult = int(std::clamp(*v, -MaxAlpha, MaxAlpha) * FixedOne);
    return Value();
}

Value getVisible(Runtime &rt, const Value &self, Args) { return Value(nodeOf(rt, self).visible); }
Value setVisible(Runtime &rt, const Value &self, Args args)
{
    nodeOf(rt, self).visible = rt.toBoolean(args[0]);
    return Value();
}

Value getName(Runtime &rt, const Value &self, Args) { return Value(nodeOf(rt, self).name); }
Value setName(Runtime &rt, const Value &self, Args args)
{
    nodeOf(rt, self).name = rt.toString(args[0]);
    return Value();
}

// The bounds in the parent's space, in pixels.
QRectF boundsInParent(const swf::DisplayObject &n) { return n.matrix.mapRect(ClipBounds(n)); }

Value getWidth(Runtime &rt, const Value &self, Args) { return pixels(boundsInParent(nodeOf(rt, self)).width()); }
Value getHeight(Runtime &rt, const Value &self, Args) { return pixels(boundsInParent(nodeOf(rt, self)).height()); }

// Scales the object so its bounds in the parent's space take the size given.
void resize(swf::DisplayObject &n, double pixels, bool horizontal)
{
    const QRectF own = ClipBounds(n);
    const double ownSize = horizontal ? own.width() : own.height();
    if (ownSize <= 0)
        return;
    auto g = geometryOf(n);
    (horizontal ? g.xScale : g.yScale) = pixels * Twips / ownSize;
    setGeometry(n, g);
}
Value setWidth(Runtime &rt, const Value &self, Args args)
{
    if (const auto v = finite(rt, args[0]))
        resize(nodeOf(rt, self), *v, true);
    return Value();
}
Value setHeight(Runtime &rt, const Value &self, Args args)
{
    if (const auto v = finite(rt, args[0]))
        resize(nodeOf(rt, self), *v, false);
    return Value();
}

Value getParent(Runtime &rt, const Value &self, Args)
{
    DisplayObjectNative *parent = ParentOf(rt, *DisplayThis(rt, self));
    return parent ? Value(static_cast<Object *>(parent)) : Value::null();
}

Value getStage(Runtime &rt, const Value &self, Args)
{
    DisplayObjectNative *stage = StageOf(rt, *DisplayThis(rt, self));
    return stage ? Value(static_cast<Object *>(stage)) : Value::null();
}

// The root: the stage's child the object is under, or null off the stage.
Value getRoot(Runtime &rt, const Value &self, Args)
{
    DisplayObjectNative *object = DisplayThis(rt, self);
    if (object->isStage())
        return self;
    constexpr int MaxAncestors = 1000;
    for (int steps = 0; object && steps < MaxAncestors; ++steps) {
        DisplayObjectNative *up = ParentOf(rt, *object);
        if (up && up->isStage())
            return Value(static_cast<Object *>(object));
        object = up;
    }
    return Value::null();
}

Value getMask(Runtime &rt, const Value &self, Args)
{
    swf::DisplayObject *mask = nodeOf(rt, self).mask.get();
    return mask ? Value(static_cast<Object *>(ScriptObjectOf(rt, *mask))) : Value::null();
}
Value setMask(Runtime &rt, const Value &self, Args args)
{
    swf::DisplayObject &n = nodeOf(rt, self);
    if (swf::DisplayObject *old = n.mask.get())
        old->masking = ClipRef{};
    n.mask = ClipRef{};
    if (args[0].isNullish())
        return Value();
    swf::DisplayObject &mask = DisplayThis(rt, args[0])->node();
    n.mask = ClipRef{&mask, mask.alive, nullptr};
    mask.masking = ClipRef{&n, n.alive, nullptr};
    return Value();
}

// Where the pointer is in the object's space; nowhere to be without a movie.
QPointF pointerIn(Runtime &rt, const Value &self)
{
    const swf::DisplayObject &n = nodeOf(rt, self);
    return rt.movie ? rt.movie->pointerIn(n) : QPointF();
}
Value getMouseX(Runtime &rt, const Value &self, Args) { return Value::number(pointerIn(rt, self).x()); }
Value getMouseY(Runtime &rt, const Value &self, Args) { return Value::number(pointerIn(rt, self).y()); }

} // namespace

extern const NativeClass DisplayObjectClass = {
    "flash.display", "DisplayObject", "flash.events::EventDispatcher", 0, CreateDisplay<DisplayObjectNative>,
    construct, nullptr,
    {
        {"x", MemberKind::Getter, getX},
        {"x", MemberKind::Setter, setX},
        {"y", MemberKind::Getter, getY},
        {"y", MemberKind::Setter, setY},
        {"scaleX", MemberKind::Getter, getScaleX},
        {"scaleX", MemberKind::Setter, setScaleX},
        {"scaleY", MemberKind::Getter, getScaleY},
        {"scaleY", MemberKind::Setter, setScaleY},
        {"rotation", MemberKind::Getter, getRotation},
        {"rotation", MemberKind::Setter, setRotation},
        {"alpha", MemberKind::Getter, getAlpha},
        {"alpha", MemberKind::Setter, setAlpha},
        {"visible", MemberKind::Getter, getVisible},
        {"visible", MemberKind::Setter, setVisible},
        {"width", MemberKind::Getter, getWidth},
        {"width", MemberKind::Setter, setWidth},
        {"height", MemberKind::Getter, getHeight},
        {"height", MemberKind::Setter, setHeight},
        {"name", MemberKind::Getter, getName},
        {"name", MemberKind::Setter, setName},
        {"parent", MemberKind::Getter, getParent},
        {"stage", MemberKind::Getter, getStage},
        {"root", MemberKind::Getter, getRoot},
        {"mask", MemberKind::Getter, getMask},
        {"mask", MemberKind::Setter, setMask},
        {"hitTestPoint", MemberKind::Method, DisplayHitTestPoint, 2},
        {"hitTestObject", MemberKind::Method, DisplayHitTestObject, 1},
        {"localToGlobal", MemberKind::Method, DisplayLocalToGlobal, 1},
        {"globalToLocal", MemberKind::Method, DisplayGlobalToLocal, 1},
        {"getBounds", MemberKind::Method, DisplayGetBounds, 1},
        {"getRect", MemberKind::Method, DisplayGetRect, 1},
        {"transform", MemberKind::Getter, DisplayGetTransform},
        {"transform", MemberKind::Setter, DisplaySetTransform},
        {"scrollRect", MemberKind::Getter, DisplayGetScrollRect},
        {"scrollRect", MemberKind::Setter, DisplaySetScrollRect},
        {"filters", MemberKind::Getter, DisplayGetFilters},
        {"filters", MemberKind::Setter, DisplaySetFilters},
        {"mouseX", MemberKind::Getter, getMouseX},
        {"mouseY", MemberKind::Getter, getMouseY},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
