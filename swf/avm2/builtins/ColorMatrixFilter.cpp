// flash.filters.ColorMatrixFilter(matrix = null): 4 rows of 5 numbers, the
// red, green, blue and alpha each made of the pixel's four and an offset.
#include "swf/avm2/builtins/FilterObject.h"

namespace swf::avm2 {

namespace {

constexpr uint32_t MatrixSize = 20;

std::vector<double> identity() { return {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0}; }

FilterState defaults()
{
    FilterState state;
    state.matrix = identity();
    return state;
}

// A copy: changing the array changes nothing until it is set again.
Value getMatrix(Runtime &rt, const Value &self, Args) { return NumbersValue(rt, FilterStateOf(rt, self).matrix); }

// What the array lacks of the 20 counts as 0; null is the identity.
Value setMatrix(Runtime &rt, const Value &self, Args args)
{
    std::vector<double> matrix = args[0].isNullish() ? identity() : NumbersArgument(rt, args[0], MatrixSize);
    matrix.resize(MatrixSize, 0);
    FilterStateOf(rt, self).matrix = std::move(matrix);
    return Value();
}

const std::vector<FilterField> &fields()
{
    static const std::vector<FilterField> list{{"matrix", getMatrix, setMatrix}};
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    return ConstructFilter(rt, self, args, Filter::ColorMatrix, defaults(), fields());
}

} // namespace

extern const NativeClass ColorMatrixFilterClass = {
    "flash.filters", "ColorMatrixFilter", "flash.filters::BitmapFilter", ClassFinal, nullptr, construct, nullptr,
    FilterMembers(fields()), {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
