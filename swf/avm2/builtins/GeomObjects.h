#pragma once

// The objects of flash.geom: each keeps its numbers, which its getters and
// setters read and write, and makes new ones for the other classes' methods.
#include "swf/avm2/Object.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/GeomMath.h"

namespace swf::avm2 {

class PointObject : public Object {
public:
    using Object::Object;
    QPointF point;
};

class RectangleObject : public Object {
public:
    using Object::Object;
    geom::Rect rect;
};

class MatrixObject : public Object {
public:
    using Object::Object;
    geom::Affine matrix;
};

class ColorTransformObject : public Object {
public:
    using Object::Object;
    geom::ColorTerms terms;
};

// A display object's Transform: it reads and writes the object's own
// matrix and colour transform, handing out copies.
class TransformObject : public Object {
public:
    using Object::Object;
    Value target;
    void mark(const Marker &marker) const override
    {
        Object::mark(marker);
        marker(target);
    }
};

Value NewPoint(Runtime &rt, QPointF point);
Value NewRectangle(Runtime &rt, const geom::Rect &rect);
Value NewMatrix(Runtime &rt, const geom::Affine &matrix);
Value NewColorTransform(Runtime &rt, const geom::ColorTerms &terms);
Value NewTransform(Runtime &rt, const Value &target);

// The argument as the class, or the player's TypeError for anything else.
// The player writes the geometry classes in ActionScript, so their methods
// meet null as a null reference (Error #1009); its native methods (given a
// parameter name) say the parameter must be non-null (Error #2007).
QPointF PointArgument(Runtime &rt, const Value &v, const char *parameter = nullptr);
geom::Rect RectangleArgument(Runtime &rt, const Value &v, const char *parameter = nullptr);
geom::Affine MatrixArgument(Runtime &rt, const Value &v, const char *parameter = nullptr);
geom::ColorTerms ColorTransformArgument(Runtime &rt, const Value &v, const char *parameter = nullptr);
// Throws the error above for null.
void CheckGeomArgument(Runtime &rt, const Value &v, const char *parameter);

// A number as "(x=" + x + ")" writes it into toString's text.
QString GeomNumber(Runtime &rt, double value);

} // namespace swf::avm2
