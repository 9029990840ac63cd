// flash.geom.Transform: a display object's matrix and colour transform,
// read as copies and written back whole.
#include "swf/avm2/builtins/GeomObjects.h"

#include "swf/DisplayObject.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/DisplayObjectSpaces.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/script/ClipProperties.h"

namespace swf::avm2 {

namespace {

constexpr double Twips = 20;

DisplayObjectNative &targetOf(Runtime &rt, const Value &self)
{
    return *DisplayThis(rt, ThisAs<TransformObject>(rt, self, "flash.geom.Transform")->target);
}

// new Transform(displayObject): of a display object only.
Value construct(Runtime &rt, const Value &self, Args args)
{
    CheckGeomArgument(rt, args[0], "displayObject");
    DisplayThis(rt, args[0]);
    ThisAs<TransformObject>(rt, self, "flash.geom.Transform")->target = args[0];
    return Value();
}

Value getMatrix(Runtime &rt, const Value &self, Args)
{
    return NewMatrix(rt, geom::FromEngine(targetOf(rt, self).node().matrix));
}
Value setMatrix(Runtime &rt, const Value &self, Args args)
{
    const geom::Affine m = MatrixArgument(rt, args[0], "value");
    targetOf(rt, self).node().matrix = geom::ToEngine(m);
    return Value();
}

Value getColorTransform(Runtime &rt, const Value &self, Args)
{
    return NewColorTransform(rt, geom::FromEngine(targetOf(rt, self).node().cxform));
}
Value setColorTransform(Runtime &rt, const Value &self, Args args)
{
    const geom::ColorTerms t = ColorTransformArgument(rt, args[0], "value");
    targetOf(rt, self).node().cxform = geom::ToEngine(t);
    return Value();
}

Value getConcatenatedMatrix(Runtime &rt, const Value &self, Args)
{
    return NewMatrix(rt, geom::FromEngine(ToStage(rt, targetOf(rt, self))));
}

// The bounds on the stage, out to whole pixels.
Value getPixelBounds(Runtime &rt, const Value &self, Args)
{
    DisplayObjectNative &object = targetOf(rt, self);
    const QRectF own = ClipBounds(object.node());
    if (own.isNull())
        return NewRectangle(rt, {});
    const QRectF stage = ToStage(rt, object).mapRect(own);
    const QRect pixels = QRectF(stage.topLeft() / Twips, stage.bottomRight() / Twips).toAlignedRect();
    return NewRectangle(rt, {double(pixels.x()), double(pixels.y()), double(pixels.width()), double(pixels.height())});
}

} // namespace

Value NewTransform(Runtime &rt, const Value &target)
{
    return Value(rt.constructClass(rt.builtin("flash.geom::Transform"), Args{&target, 1}));
}

extern const NativeClass TransformClass = {
    "flash.geom", "Transform", nullptr, 0, CreateNative<TransformObject>, construct, nullptr,
    {
        {"matrix", MemberKind::Getter, getMatrix},
        {"matrix", MemberKind::Setter, setMatrix},
        {"colorTransform", MemberKind::Getter, getColorTransform},
        {"colorTransform", MemberKind::Setter, setColorTransform},
        {"concatenatedMatrix", MemberKind::Getter, getConcatenatedMatrix},
        {"pixelBounds", MemberKind::Getter, getPixelBounds},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
