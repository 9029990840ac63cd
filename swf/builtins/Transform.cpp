// flash.geom.Transform: a clip's matrix and colour transform as Matrix and
// ColorTransform objects, and MovieClip.transform, which makes one.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "GeomMembers.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ClipProperties.h"
#include "swf/script/ScriptEngine.h"

#include <cmath>

namespace swf {

namespace {

constexpr int GeomVersion = 8;
constexpr double FixedOne = 256; // a clip's colour multiplier for 1.0
constexpr int MaxTerm = 32767;
constexpr double TwipsPerPixel = 20;

// The clip a Transform object stands for.
struct TransformPayload : NativePayload {
    ClipRef clip;
};

DisplayObject *clipOf(NativeCall &call)
{
    const ScriptObject *object = call.object();
    const TransformPayload *transform = object ? object->payloadAs<TransformPayload>() : nullptr;
    return transform ? transform->clip.get() : nullptr;
}

Value construct(NativeCall &call)
{
    ScriptObject *object = call.construct ? call.object() : nullptr;
    if (!object)
        return Undefined{};
    auto payload = std::make_unique<TransformPayload>();
    if (const auto *clip = std::get_if<ClipRef>(&call.arg(0)))
        payload->clip = *clip;
    object->payload = std::move(payload);
    return object;
}

Value colorTransformObject(NativeCall &call, const ColorTransform &t)
{
    return NewGeom(call, "ColorTransform",
                   {t.redMult / FixedOne, t.greenMult / FixedOne, t.blueMult / FixedOne, t.alphaMult / FixedOne,
                    double(t.redAdd), double(t.greenAdd), double(t.blueAdd), double(t.alphaAdd)});
}

Value getColorTransform(NativeCall &call)
{
    const DisplayObject *clip = clipOf(call);
    return clip ? colorTransformObject(call, clip->cxform) : Value(Undefined{});
}

// A clip keeps whole 256ths of multipliers and whole offsets.
int fixedTerm(NativeCall &call, const char *name, double scale)
{
    return ClampedInt(NumberMember(call, call.arg(0), name) * scale, -MaxTerm - 1, MaxTerm);
}

Value setColorTransform(NativeCall &call)
{
    DisplayObject *clip = clipOf(call);
    if (!clip || !objectOf(call.arg(0)))
        return Undefined{};
    ColorTransform &t = clip->cxform;
    t.redMult = fixedTerm(call, "redMultiplier", FixedOne);
    t.greenMult = fixedTerm(call, "greenMultiplier", FixedOne);
    t.blueMult = fixedTerm(call, "blueMultiplier", FixedOne);
    t.alphaMult = fixedTerm(call, "alphaMultiplier", FixedOne);
    t.redAdd = fixedTerm(call, "redOffset", 1);
    t.greenAdd = fixedTerm(call, "greenOffset", 1);
    t.blueAdd = fixedTerm(call, "blueOffset", 1);
    t.alphaAdd = fixedTerm(call, "alphaOffset", 1);
    call.player().markChanged();
    return Undefined{};
}

// The inner transform seen through the outer one, in whole 256ths as the
// player composes them.
int composedTerm(int outerMult, int innerTerm) { return int(std::floor(outerMult * double(innerTerm) / FixedOne)); }

ColorTransform composed(const ColorTransform &outer, const ColorTransform &inner)
{
    ColorTransform t;
    t.redMult = composedTerm(outer.redMult, inner.redMult);
    t.greenMult = composedTerm(outer.greenMult, inner.greenMult);
    t.blueMult = composedTerm(outer.blueMult, inner.blueMult);
    t.alphaMult = composedTerm(outer.alphaMult, inner.alphaMult);
    t.redAdd = outer.redAdd + composedTerm(outer.redMult, inner.redAdd);
    t.greenAdd = outer.greenAdd + composedTerm(outer.greenMult, inner.greenAdd);
    t.blueAdd = outer.blueAdd + composedTerm(outer.blueMult, inner.blueAdd);
    t.alphaAdd = outer.alphaAdd + composedTerm(outer.alphaMult, inner.alphaAdd);
    return t;
}

Value getConcatenatedColorTransform(NativeCall &call)
{
    const DisplayObject *clip = clipOf(call);
    if (!clip)
        return Undefined{};
    ColorTransform t = clip->cxform;
    for (const DisplayObject *outer = clip->parent; outer; outer = outer->parent)
        t = composed(outer->cxform, t);
    return colorTransformObject(call, t);
}

Value matrixObject(NativeCall &call, const QTransform &m)
{
    return NewGeom(call, "Matrix", {m.m11(), m.m12(), m.m21(), m.m22(), m.dx() / TwipsPerPixel, m.dy() / TwipsPerPixel});
}

Value getMatrix(NativeCall &call)
{
    const DisplayObject *clip = clipOf(call);
    return clip ? matrixObject(call, clip->matrix) : Value(Undefined{});
}

Value setMatrix(NativeCall &call)
{
    DisplayObject *clip = clipOf(call);
    const Value &matrix = call.arg(0);
    if (!clip || !objectOf(matrix))
        return Undefined{};
    const auto term = [&](const char *name) {
        const double d = NumberMember(call, matrix, name);
        return std::isfinite(d) ? d : 0;
    };
    clip->matrix = QTransform(term("a"), term("b"), term("c"), term("d"), term("tx") * TwipsPerPixel,
                              term("ty") * TwipsPerPixel);
    call.player().markChanged();
    return Undefined{};
}

// The clip's matrix and those of every clip holding it.
QTransform toStage(const DisplayObject &clip)
{
    QTransform m = clip.matrix;
    for (const DisplayObject *outer = clip.parent; outer; outer = outer->parent)
        m *= outer->matrix;
    return m;
}

Value getConcatenatedMatrix(NativeCall &call)
{
    const DisplayObject *clip = clipOf(call);
    if (!clip)
        return Undefined{};
    const QTransform m = toStage(*clip);
    return matrixObject(call, m);
}

// The clip's bounds on the stage, in whole pixels that cover them.
Value getPixelBounds(NativeCall &call)
{
    const DisplayObject *clip = clipOf(call);
    if (!clip)
        return Undefined{};
    const QTransform m = toStage(*clip);
    const QRectF own = ClipBounds(*clip);
    const QRectF pixels = own.isNull() ? QRectF() : (m * QTransform::fromScale(1 / TwipsPerPixel, 1 / TwipsPerPixel)).mapRect(own);
    const QRect covered = pixels.toAlignedRect();
    return NewGeom(call, "Rectangle",
                   {double(covered.x()), double(covered.y()), double(covered.width()), double(covered.height())});
}

// MovieClip.prototype.transform: a new Transform of the clip on each read;
// assigning one takes over its matrix and colour transform.
Value getClipTransform(NativeCall &call)
{
    return call.clip() ? NewGeom(call, "Transform", {call.self}) : Value(Undefined{});
}

Value setClipTransform(NativeCall &call)
{
    const Value target = getClipTransform(call);
    const Value &source = call.arg(0);
    if (!objectOf(target) || !objectOf(source))
        return Undefined{};
    for (const char *name : {"matrix", "colorTransform"}) {
        const QString member = QString::fromLatin1(name);
        call.cx.setMember(target, member, call.cx.getMember(source, member));
    }
    return Undefined{};
}

void addClipTransform(ScriptEngine &engine, ScriptObject &)
{
    const Value *movieClip = engine.global()->own(engine.key(QStringLiteral("MovieClip")));
    ScriptObject *prototype = movieClip && objectOf(*movieClip) ? PrototypeOf(engine, *objectOf(*movieClip)) : nullptr;
    ScriptObject *getter = engine.newNative(getClipTransform);
    ScriptObject *setter = engine.newNative(setClipTransform);
    if (!prototype || !getter || !setter)
        return;
    const QString name = QStringLiteral("transform");
    prototype->setProperty(engine.key(name), name, getter, setter);
    prototype->setFlags(engine.key(name), BuiltinFlags | HiddenBefore8, 0);
}

} // namespace

const ClassDecl TransformClass{
    "flash.geom.Transform",
    construct,
    {},
    {},
    {},
    GeomVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    // Older movies see the class but none of what it answers.
    {{"matrix", getMatrix, setMatrix, UnsetFlags, GeomVersion},
     {"concatenatedMatrix", getConcatenatedMatrix, nullptr, UnsetFlags, GeomVersion},
     {"colorTransform", getColorTransform, setColorTransform, UnsetFlags, GeomVersion},
     {"concatenatedColorTransform", getConcatenatedColorTransform, nullptr, UnsetFlags, GeomVersion},
     {"pixelBounds", getPixelBounds, nullptr, UnsetFlags, GeomVersion}},
    addClipTransform,
};

} // namespace swf
