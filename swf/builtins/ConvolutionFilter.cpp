// flash.filters.ConvolutionFilter(matrixX, matrixY, matrix, divisor, bias,
// preserveAlpha, clamp, color, alpha): a kernel of up to 15 by 15.
#include "Builtins.h"
#include "FilterProperties.h"

namespace swf {

namespace {

constexpr int MaxSide = 15;

FilterState defaults()
{
    FilterState state;
    state.alpha = 0;
    return state;
}

// The kernel always holds matrixX times matrixY numbers; what is missing is 0.
void fitKernel(FilterState &state) { state.matrix.resize(size_t(state.matrixX * state.matrixY), 0); }

template <int FilterState::*Side> Value setSide(NativeCall &call)
{
    SetInt<Side, 0, MaxSide>(call);
    if (FilterState *state = FilterStateOf(call))
        fitKernel(*state);
    return Undefined{};
}

Value getMatrix(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? ArrayOfNumbers(call, state->matrix) : Value(Undefined{});
}

Value setMatrix(NativeCall &call)
{
    if (!FilterStateOf(call))
        return Undefined{};
    std::vector<double> matrix = NumberArray(call, size_t(MaxSide * MaxSide), AnyNumber);
    if (FilterState *state = FilterStateOf(call)) {
        state->matrix = std::move(matrix);
        fitKernel(*state);
    }
    return Undefined{};
}

using S = FilterState;
const FilterClass Convolution{
    "flash.filters.ConvolutionFilter",
    Filter::Convolution,
    defaults(),
    {
        FilterProperty("matrixX", GetInt<&S::matrixX>, setSide<&S::matrixX>),
        FilterProperty("matrixY", GetInt<&S::matrixY>, setSide<&S::matrixY>),
        FilterProperty("matrix", getMatrix, setMatrix),
        FilterProperty("divisor", GetNumber<&S::divisor>, SetNumber<&S::divisor, PlainValue>),
        FilterProperty("bias", GetNumber<&S::bias>, SetNumber<&S::bias, PlainValue>),
        FilterProperty("preserveAlpha", GetBool<&S::preserveAlpha>, SetBool<&S::preserveAlpha>),
        FilterProperty("clamp", GetBool<&S::clamp>, SetBool<&S::clamp>),
        FilterProperty("color", GetNumber<&S::color>, SetNumber<&S::color, ColorValue>),
        FilterProperty("alpha", GetNumber<&S::alpha>, SetNumber<&S::alpha, AlphaValue>),
    },
};

Value construct(NativeCall &call) { return ConstructFilter(call, Convolution); }

} // namespace

const ClassDecl ConvolutionFilterClass = FilterClassDecl(Convolution, construct);

} // namespace swf
