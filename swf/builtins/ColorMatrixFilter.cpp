// flash.filters.ColorMatrixFilter(matrix): 4 rows of 5 numbers, the red,
// green, blue and alpha made of the pixel's four and an offset.
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

namespace {

constexpr size_t MatrixSize = 20;

FilterState defaults()
{
    FilterState state;
    state.matrix = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    return state;
}

Value getMatrix(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? ArrayOfNumbers(call, state->matrix) : Value(Undefined{});
}

// What the array lacks of the 20 counts as 0; what is not an array is ignored.
Value setMatrix(NativeCall &call)
{
    const ScriptObject *array = objectOf(call.arg(0));
    if (!FilterStateOf(call) || !array || array->kind != ScriptObject::Kind::Array)
        return Undefined{};
    std::vector<double> matrix = NumberArray(call, MatrixSize, AnyNumber);
    matrix.resize(MatrixSize, 0);
    if (FilterState *state = FilterStateOf(call))
        state->matrix = std::move(matrix);
    return Undefined{};
}

const FilterClass ColorMatrix{
    "flash.filters.ColorMatrixFilter",
    Filter::ColorMatrix,
    defaults(),
    {FilterProperty("matrix", getMatrix, setMatrix)},
};

Value construct(NativeCall &call) { return ConstructFilter(call, ColorMatrix); }

} // namespace

const ClassDecl ColorMatrixFilterClass = FilterClassDecl(ColorMatrix, construct);

} // namespace swf
