#include "swf/avm2/builtins/FilterObject.h"

#include "swf/DisplayObject.h"
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double MaxStrength = 255;
constexpr uint32_t RgbMask = 0xFFFFFF;
constexpr int IncorrectTypeError = 2005;
constexpr int CoercionError = 1034;

// The classes scripts see an engine filter as, by its type code.
const char *const ClassNames[] = {
    "flash.filters::DropShadowFilter",  "flash.filters::BlurFilter",        "flash.filters::GlowFilter",
    "flash.filters::BevelFilter",       "flash.filters::GradientGlowFilter", "flash.filters::ConvolutionFilter",
    "flash.filters::ColorMatrixFilter", "flash.filters::GradientBevelFilter", "flash.filters::DisplacementMapFilter",
};

double clampKeepingNaN(double value, double low, double high)
{
    return std::isnan(value) ? value : std::clamp(value, low, high);
}

FilterObject *filterOf(Runtime &rt, const Value &self)
{
    return ThisAs<FilterObject>(rt, self, "flash.filters.BitmapFilter");
}

Value getQuality(Runtime &rt, const Value &self, Args) { return Value(int32_t(FilterStateOf(rt, self).quality)); }
Value setQuality(Runtime &rt, const Value &self, Args args)
{
    FilterStateOf(rt, self).quality = std::clamp(rt.toInt(args[0]), 0, MaxPasses);
    return Value();
}

Value getType(Runtime &rt, const Value &self, Args) { return Value(FilterStateOf(rt, self).type); }
// Anything but the two edges is the full bevel, both sides.
Value setType(Runtime &rt, const Value &self, Args args)
{
    const QString type = rt.toString(args[0]);
    FilterStateOf(rt, self).type =
        type == QLatin1String("inner") || type == QLatin1String("outer") ? type : QStringLiteral("full");
    return Value();
}

// A gradient holds at most as many colours as movie files can store.
constexpr uint32_t MaxGradientColors = 16;
constexpr double MaxRatio = 255;

double gradientColor(Runtime &rt, double v) { return double(uint32_t(rt.toUint(Value::number(v))) & RgbMask); }
double gradientAlpha(Runtime &, double v) { return clampKeepingNaN(v, 0, 1); }
double gradientRatio(Runtime &, double v) { return clampKeepingNaN(v, 0, MaxRatio); }

template <std::vector<double> FilterState::*Field> Value getArray(Runtime &rt, const Value &self, Args)
{
    return NumbersValue(rt, FilterStateOf(rt, self).*Field);
}

// null empties the list.
template <std::vector<double> FilterState::*Field, double (*Convert)(Runtime &, double)>
Value setArray(Runtime &rt, const Value &self, Args args)
{
    std::vector<double> numbers;
    if (!args[0].isNullish())
        numbers = NumbersArgument(rt, args[0], MaxGradientColors);
    for (double &v : numbers)
        v = Convert(rt, v);
    FilterStateOf(rt, self).*Field = std::move(numbers);
    return Value();
}

} // namespace

Value NewFilter(Runtime &rt, std::optional<Filter::Type> type, const FilterState &state)
{
    Class *cls = rt.builtin(type ? ClassNames[*type] : "flash.filters::BitmapFilter");
    if (!cls)
        return Value::null();
    Object *object = rt.constructClass(cls, Args{});
    auto *filter = static_cast<FilterObject *>(object);
    filter->type = type;
    filter->state = state;
    return Value(object);
}

FilterState &FilterStateOf(Runtime &rt, const Value &self) { return filterOf(rt, self)->state; }

std::vector<NativeMember> FilterMembers(const std::vector<FilterField> &fields)
{
    std::vector<NativeMember> members;
    for (const FilterField &field : fields) {
        members.push_back({field.name, MemberKind::Getter, field.get});
        members.push_back({field.name, MemberKind::Setter, field.set});
    }
    return members;
}

Value ConstructFilter(Runtime &rt, const Value &self, Args args, Filter::Type type, const FilterState &defaults,
                      const std::vector<FilterField> &fields)
{
    FilterObject *filter = filterOf(rt, self);
    filter->type = type;
    filter->state = defaults;
    const int given = std::min(args.count, int(fields.size()));
    for (int i = 0; i < given; ++i)
        fields[size_t(i)].set(rt, self, Args{&args.data[i], 1});
    return Value();
}

// What is not a filter (or a plain BitmapFilter) is Error #2005; past the
// most an object may carry, the list is cut.
FilterList EngineFilters(Runtime &rt, const Value &array)
{
    auto *list = dynamic_cast<ArrayObject *>(array.asObject());
    if (!list)
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(array), QStringLiteral("Array")});
    FilterList filters;
    const uint32_t count = std::min(list->length(), uint32_t(MaxFilters));
    for (uint32_t i = 0; i < count; ++i) {
        const auto *filter = dynamic_cast<FilterObject *>(list->at(i).asObject());
        if (!filter || !filter->type)
            rt.throwError(ErrorType::ArgumentError, IncorrectTypeError,
                          QStringList{QString::number(i), QStringLiteral("Filter")});
        filters.push_back(EngineFilter(*filter->type, filter->state));
    }
    return filters;
}

Value ScriptFilters(Runtime &rt, const FilterList *filters)
{
    ArrayObject *array = rt.newArray();
    if (filters)
        for (const Filter &filter : *filters)
            if (const Value copy = NewFilter(rt, filter.type, ScriptFilterState(filter)); !copy.isNullish())
                array->push(copy);
    return Value(static_cast<Object *>(array));
}

// Copies: changing them changes nothing until they are set again.
Value DisplayGetFilters(Runtime &rt, const Value &self, Args)
{
    return ScriptFilters(rt, DisplayThis(rt, self)->node().filters.get());
}

Value DisplaySetFilters(Runtime &rt, const Value &self, Args args)
{
    FilterList filters = args[0].isNullish() ? FilterList{} : EngineFilters(rt, args[0]);
    DisplayThis(rt, self)->node().filters =
        filters.empty() ? nullptr : std::make_shared<const FilterList>(std::move(filters));
    return Value();
}

double BlurArgument(Runtime &rt, const Value &v) { return clampKeepingNaN(rt.toNumber(v), 0, MaxBlur); }
double StrengthArgument(Runtime &rt, const Value &v) { return clampKeepingNaN(rt.toNumber(v), 0, MaxStrength); }
double AlphaArgument(Runtime &rt, const Value &v) { return clampKeepingNaN(rt.toNumber(v), 0, 1); }
double ColorArgument(Runtime &rt, const Value &v) { return double(rt.toUint(v) & RgbMask); }
double NumberArgument(Runtime &rt, const Value &v) { return rt.toNumber(v); }

std::vector<double> NumbersArgument(Runtime &rt, const Value &array, uint32_t limit)
{
    auto *list = dynamic_cast<ArrayObject *>(array.asObject());
    if (!list)
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(array), QStringLiteral("Array")});
    std::vector<double> numbers;
    const uint32_t count = std::min(list->length(), limit);
    for (uint32_t i = 0; i < count; ++i)
        numbers.push_back(rt.toNumber(list->at(i)));
    return numbers;
}

Value NumbersValue(Runtime &rt, const std::vector<double> &numbers)
{
    std::vector<Value> elements;
    for (double v : numbers)
        elements.push_back(Value::number(v));
    return Value(static_cast<Object *>(rt.newArray(std::move(elements))));
}

using S = FilterState;

FilterField BlurXField() { return {"blurX", GetFilterNumber<&S::blurX>, SetFilterNumber<&S::blurX, BlurArgument>}; }
FilterField BlurYField() { return {"blurY", GetFilterNumber<&S::blurY>, SetFilterNumber<&S::blurY, BlurArgument>}; }
FilterField QualityField() { return {"quality", getQuality, setQuality}; }
FilterField StrengthField()
{
    return {"strength", GetFilterNumber<&S::strength>, SetFilterNumber<&S::strength, StrengthArgument>};
}
FilterField DistanceField()
{
    return {"distance", GetFilterNumber<&S::distance>, SetFilterNumber<&S::distance, NumberArgument>};
}
FilterField AngleField() { return {"angle", GetFilterNumber<&S::angle>, SetFilterNumber<&S::angle, NumberArgument>}; }
FilterField ColorField(const char *name)
{
    return {name, GetFilterNumber<&S::color>, SetFilterNumber<&S::color, ColorArgument>};
}
FilterField AlphaField(const char *name)
{
    return {name, GetFilterNumber<&S::alpha>, SetFilterNumber<&S::alpha, AlphaArgument>};
}
FilterField InnerField() { return {"inner", GetFilterBool<&S::inner>, SetFilterBool<&S::inner>}; }
FilterField KnockoutField() { return {"knockout", GetFilterBool<&S::knockout>, SetFilterBool<&S::knockout>}; }
FilterField TypeField() { return {"type", getType, setType}; }

std::vector<FilterField> GradientFilterFields()
{
    return {
        DistanceField(),
        AngleField(),
        {"colors", getArray<&S::colors>, setArray<&S::colors, gradientColor>},
        {"alphas", getArray<&S::alphas>, setArray<&S::alphas, gradientAlpha>},
        {"ratios", getArray<&S::ratios>, setArray<&S::ratios, gradientRatio>},
        BlurXField(),
        BlurYField(),
        StrengthField(),
        QualityField(),
        TypeField(),
        KnockoutField(),
    };
}

} // namespace swf::avm2
