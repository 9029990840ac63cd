// flash.geom.Matrix: a two-dimensional affine transformation,
// x' = a x + c y + tx, y' = b x + d y + ty.
#include "swf/avm2/builtins/GeomObjects.h"

#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

geom::Affine &matrixOf(Runtime &rt, const Value &self)
{
    return ThisAs<MatrixObject>(rt, self, "flash.geom.Matrix")->matrix;
}

double numberOr(Runtime &rt, Args args, int i, double fallback)
{
    return args.has(i) ? rt.toNumber(args[i]) : fallback;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    matrixOf(rt, self) = {numberOr(rt, args, 0, 1), numberOr(rt, args, 1, 0), numberOr(rt, args, 2, 0),
                          numberOr(rt, args, 3, 1), numberOr(rt, args, 4, 0), numberOr(rt, args, 5, 0)};
    return Value();
}

template <double geom::Affine::*Field> Value get(Runtime &rt, const Value &self, Args)
{
    return Value::number(matrixOf(rt, self).*Field);
}
template <double geom::Affine::*Field> Value set(Runtime &rt, const Value &self, Args args)
{
    matrixOf(rt, self).*Field = rt.toNumber(args[0]);
    return Value();
}

// Replaces the matrix with itself followed by n.
void then(Runtime &rt, const Value &self, const geom::Affine &n)
{
    geom::Affine &m = matrixOf(rt, self);
    m = geom::Concat(m, n);
}

Value identity(Runtime &rt, const Value &self, Args)
{
    matrixOf(rt, self) = {};
    return Value();
}
Value translate(Runtime &rt, const Value &self, Args args)
{
    then(rt, self, {1, 0, 0, 1, rt.toNumber(args[0]), rt.toNumber(args[1])});
    return Value();
}
Value scale(Runtime &rt, const Value &self, Args args)
{
    then(rt, self, {rt.toNumber(args[0]), 0, 0, rt.toNumber(args[1]), 0, 0});
    return Value();
}
Value rotate(Runtime &rt, const Value &self, Args args)
{
    then(rt, self, geom::Box(1, 1, rt.toNumber(args[0]), 0, 0));
    return Value();
}
Value concat(Runtime &rt, const Value &self, Args args)
{
    then(rt, self, MatrixArgument(rt, args[0]));
    return Value();
}
Value invert(Runtime &rt, const Value &self, Args)
{
    geom::Affine &m = matrixOf(rt, self);
    m = geom::Inverted(m);
    return Value();
}

Value transformPoint(Runtime &rt, const Value &self, Args args)
{
    return NewPoint(rt, geom::Transform(matrixOf(rt, self), PointArgument(rt, args[0])));
}
Value deltaTransformPoint(Runtime &rt, const Value &self, Args args)
{
    return NewPoint(rt, geom::DeltaTransform(matrixOf(rt, self), PointArgument(rt, args[0])));
}

// createBox(scaleX, scaleY, rotation = 0, tx = 0, ty = 0).
Value createBox(Runtime &rt, const Value &self, Args args)
{
    matrixOf(rt, self) = geom::Box(rt.toNumber(args[0]), rt.toNumber(args[1]), numberOr(rt, args, 2, 0),
                                   numberOr(rt, args, 3, 0), numberOr(rt, args, 4, 0));
    return Value();
}
Value createGradientBox(Runtime &rt, const Value &self, Args args)
{
    matrixOf(rt, self) = geom::GradientBox(rt.toNumber(args[0]), rt.toNumber(args[1]), numberOr(rt, args, 2, 0),
                                           numberOr(rt, args, 3, 0), numberOr(rt, args, 4, 0));
    return Value();
}

Value clone(Runtime &rt, const Value &self, Args) { return NewMatrix(rt, matrixOf(rt, self)); }

Value setTo(Runtime &rt, const Value &self, Args args)
{
    matrixOf(rt, self) = {rt.toNumber(args[0]), rt.toNumber(args[1]), rt.toNumber(args[2]),
                          rt.toNumber(args[3]), rt.toNumber(args[4]), rt.toNumber(args[5])};
    return Value();
}
Value copyFrom(Runtime &rt, const Value &self, Args args)
{
    matrixOf(rt, self) = MatrixArgument(rt, args[0]);
    return Value();
}

Value toString(Runtime &rt, const Value &self, Args)
{
    const geom::Affine &m = matrixOf(rt, self);
    return Value(QStringLiteral("(a=%1, b=%2, c=%3, d=%4, tx=%5, ty=%6)")
                     .arg(GeomNumber(rt, m.a), GeomNumber(rt, m.b), GeomNumber(rt, m.c), GeomNumber(rt, m.d),
                          GeomNumber(rt, m.tx), GeomNumber(rt, m.ty)));
}

using M = geom::Affine;

} // namespace

Value NewMatrix(Runtime &rt, const geom::Affine &matrix)
{
    Object *object = rt.constructClass(rt.builtin("flash.geom::Matrix"), Args{});
    static_cast<MatrixObject *>(object)->matrix = matrix;
    return Value(object);
}

geom::Affine MatrixArgument(Runtime &rt, const Value &v, const char *parameter)
{
    CheckGeomArgument(rt, v, parameter);
    return ThisAs<MatrixObject>(rt, v, "flash.geom.Matrix")->matrix;
}

extern const NativeClass MatrixClass = {
    "flash.geom", "Matrix", nullptr, 0, CreateNative<MatrixObject>, construct, nullptr,
    {
        {"a", MemberKind::Getter, get<&M::a>},
        {"a", MemberKind::Setter, set<&M::a>},
        {"b", MemberKind::Getter, get<&M::b>},
        {"b", MemberKind::Setter, set<&M::b>},
        {"c", MemberKind::Getter, get<&M::c>},
        {"c", MemberKind::Setter, set<&M::c>},
        {"d", MemberKind::Getter, get<&M::d>},
        {"d", MemberKind::Setter, set<&M::d>},
        {"tx", MemberKind::Getter, get<&M::tx>},
        {"tx", MemberKind::Setter, set<&M::tx>},
        {"ty", MemberKind::Getter, get<&M::ty>},
        {"ty", MemberKind::Setter, set<&M::ty>},
        {"identity", MemberKind::Method, identity},
        {"translate", MemberKind::Method, translate, 2},
        {"scale", MemberKind::Method, scale, 2},
        {"rotate", MemberKind::Method, rotate, 1},
        {"concat", MemberKind::Method, concat, 1},
        {"invert", MemberKind::Method, invert},
        {"transformPoint", MemberKind::Method, transformPoint, 1},
        {"deltaTransformPoint", MemberKind::Method, deltaTransformPoint, 1},
        {"createBox", MemberKind::Method, createBox, 5},
        {"createGradientBox", MemberKind::Method, createGradientBox, 5},
        {"clone", MemberKind::Method, clone},
        {"setTo", MemberKind::Method, setTo, 6},
        {"copyFrom", MemberKind::Method, copyFrom, 1},
        {"toString", MemberKind::Method, toString},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
