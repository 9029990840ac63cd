// flash.filters.ConvolutionFilter(matrixX = 0, matrixY = 0, matrix = null,
// divisor = 1, bias = 0, preserveAlpha = true, clamp = true, color = 0,
// alpha = 0): a kernel of up to 15 by 15.
#include "swf/avm2/builtins/FilterObject.h"

#include <algorithm>

namespace swf::avm2 {

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

template <int FilterState::*Side> Value getSide(Runtime &rt, const Value &self, Args)
{
    return Value(int32_t(FilterStateOf(rt, self).*Side));
}
template <int FilterState::*Side> Value setSide(Runtime &rt, const Value &self, Args args)
{
    const int side = std::clamp(rt.toInt(args[0]), 0, MaxSide);
    FilterState &state = FilterStateOf(rt, self);
    state.*Side = side;
    fitKernel(state);
    return Value();
}

Value getMatrix(Runtime &rt, const Value &self, Args) { return NumbersValue(rt, FilterStateOf(rt, self).matrix); }
Value setMatrix(Runtime &rt, const Value &self, Args args)
{
    std::vector<double> matrix =
        args[0].isNullish() ? std::vector<double>{} : NumbersArgument(rt, args[0], uint32_t(MaxSide * MaxSide));
    FilterState &state = FilterStateOf(rt, self);
    state.matrix = std::move(matrix);
    fitKernel(state);
    return Value();
}

using S = FilterState;

const std::vector<FilterField> &fields()
{
    static const std::vector<FilterField> list{
        {"matrixX", getSide<&S::matrixX>, setSide<&S::matrixX>},
        {"matrixY", getSide<&S::matrixY>, setSide<&S::matrixY>},
        {"matrix", getMatrix, setMatrix},
        {"divisor", GetFilterNumber<&S::divisor>, SetFilterNumber<&S::divisor, NumberArgument>},
        {"bias", GetFilterNumber<&S::bias>, SetFilterNumber<&S::bias, NumberArgument>},
        {"preserveAlpha", GetFilterBool<&S::preserveAlpha>, SetFilterBool<&S::preserveAlpha>},
        {"clamp", GetFilterBool<&S::clamp>, SetFilterBool<&S::clamp>},
        ColorField("color"),
        AlphaField("alpha"),
    };
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    return ConstructFilter(rt, self, args, Filter::Convolution, defaults(), fields());
}

} // namespace

extern const NativeClass ConvolutionFilterClass = {
    "flash.filters", "ConvolutionFilter", "flash.filters::BitmapFilter", ClassFinal, nullptr, construct, nullptr,
    FilterMembers(fields()), {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
