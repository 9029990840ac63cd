#pragma once

// What the flash.filters classes share: the state a filter object keeps (as
// the ActionScript 2 classes keep it, so both become the engine's filters
// the same way), its getters and setters by how each kind of value is
// clamped, the constructor that takes its arguments through the setters,
// and DisplayObject.filters.
#include "swf/Filters.h"
#include "swf/avm2/NativeClass.h"
#include "swf/avm2/Object.h"
#include "swf/avm2/Runtime.h"
#include "swf/builtins/FilterProperties.h"

#include <optional>

namespace swf::avm2 {

class FilterObject : public Object {
public:
    using Object::Object;
    // None for a plain BitmapFilter, which draws as nothing.
    std::optional<Filter::Type> type;
    FilterState state;
};

FilterState &FilterStateOf(Runtime &rt, const Value &self);
// A new filter object of the type's class (none: a plain BitmapFilter);
// null when this engine has no class for the type.
Value NewFilter(Runtime &rt, std::optional<Filter::Type> type, const FilterState &state);

// A property of a filter class, in the order its constructor takes them.
struct FilterField {
    const char *name;
    NativeFn get;
    NativeFn set;
};

// A class's member table: each field's getter and setter.
std::vector<NativeMember> FilterMembers(const std::vector<FilterField> &fields);
// new flash.filters.X(...): the defaults, then the arguments given through
// the setters in order.
Value ConstructFilter(Runtime &rt, const Value &self, Args args, Filter::Type type, const FilterState &defaults,
                      const std::vector<FilterField> &fields);

// The engine's filters and back: what DisplayObject.filters reads and writes.
FilterList EngineFilters(Runtime &rt, const Value &array);
Value ScriptFilters(Runtime &rt, const FilterList *filters);
Value DisplayGetFilters(Runtime &rt, const Value &self, Args args);
Value DisplaySetFilters(Runtime &rt, const Value &self, Args args);

// How the setters convert what they are given.
double BlurArgument(Runtime &rt, const Value &v);     // 0..255; NaN stays
double StrengthArgument(Runtime &rt, const Value &v); // 0..255; NaN stays
double AlphaArgument(Runtime &rt, const Value &v);    // 0..1; NaN stays
double ColorArgument(Runtime &rt, const Value &v);    // the low 24 bits of a uint
double NumberArgument(Runtime &rt, const Value &v);   // any number
// The first numbers of an Array (anything else is Error #1034), and a new
// Array of numbers.
std::vector<double> NumbersArgument(Runtime &rt, const Value &array, uint32_t limit);
Value NumbersValue(Runtime &rt, const std::vector<double> &numbers);

template <double FilterState::*Field> Value GetFilterNumber(Runtime &rt, const Value &self, Args)
{
    return Value::number(FilterStateOf(rt, self).*Field);
}
template <double FilterState::*Field, double (*Convert)(Runtime &, const Value &)>
Value SetFilterNumber(Runtime &rt, const Value &self, Args args)
{
    const double value = Convert(rt, args[0]);
    FilterStateOf(rt, self).*Field = value;
    return Value();
}
template <bool FilterState::*Field> Value GetFilterBool(Runtime &rt, const Value &self, Args)
{
    return Value(FilterStateOf(rt, self).*Field);
}
template <bool FilterState::*Field> Value SetFilterBool(Runtime &rt, const Value &self, Args args)
{
    FilterStateOf(rt, self).*Field = rt.toBoolean(args[0]);
    return Value();
}

// The fields most filters have, under their ActionScript names.
FilterField BlurXField();
FilterField BlurYField();
FilterField QualityField();
FilterField StrengthField();
FilterField DistanceField();
FilterField AngleField();
FilterField ColorField(const char *name);
FilterField AlphaField(const char *name);
FilterField InnerField();
FilterField KnockoutField();
// A bevel's "inner", "outer" or "full".
FilterField TypeField();
// Gradient glows' and bevels' fields, in their constructors' order:
// distance, angle, colors, alphas, ratios, blurX, blurY, strength, quality,
// type, knockout.
std::vector<FilterField> GradientFilterFields();

} // namespace swf::avm2
