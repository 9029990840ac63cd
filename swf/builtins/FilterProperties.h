#pragma once

// What the flash.filters classes share: the state a filter object keeps,
// its getters and setters by the way each kind of value is clamped, the
// constructor that takes its arguments through those setters, and the
// conversion to and from the engine's filters that clips draw with.
#include "BuiltinClass.h"

#include "swf/Filters.h"
#include "swf/script/Conversions.h"

#include <algorithm>
#include <cmath>

namespace swf {

// Movies see the filter classes from this version on (older ones once they
// clear the flag that hides flash from them).
constexpr int FilterClassVersion = 8;

// A filter object's values as scripts read them back.
struct FilterState {
    double blurX = 4, blurY = 4;
    int quality = 1;
    double strength = 1;
    double distance = 4;
    double angle = 45; // degrees
    double color = 0;  // RGB; a bevel's shadow
    double alpha = 1;
    double highlightColor = 0xFFFFFF;
    double highlightAlpha = 1;
    bool inner = false, knockout = false, hideObject = false;
    QString type = QStringLiteral("inner");
    // Gradient glow and bevel.
    std::vector<double> colors, alphas, ratios;
    // A colour matrix's 20 numbers, or a convolution's matrixY rows of matrixX.
    std::vector<double> matrix;
    int matrixX = 0, matrixY = 0;
    double divisor = 1, bias = 0;
    bool preserveAlpha = true, clamp = true;
    // Displacement maps.
    Value mapBitmap;
    double mapX = 0, mapY = 0;
    int componentX = 0, componentY = 0;
    double scaleX = 0, scaleY = 0;
    QString mode = QStringLiteral("wrap");
};

struct FilterPayload : NativePayload {
    Filter::Type type = Filter::Blur;
    FilterState state;

    void markReferences(const std::function<void(const Value &)> &mark) const override { mark(state.mapBitmap); }
};

// A flash.filters class: its engine type, its defaults, and its properties
// in the order its constructor takes them.
struct FilterClass {
    const char *name;
    Filter::Type type;
    FilterState defaults;
    std::vector<PropertyDecl> properties;
};

// The state of the filter this is, or nullptr.
FilterState *FilterStateOf(const NativeCall &call);
// new flash.filters.X(...): the arguments given go through the setters in order.
Value ConstructFilter(NativeCall &call, const FilterClass &filterClass);
// The class table of a filter: its properties on its prototype, which
// inherits BitmapFilter's.
ClassDecl FilterClassDecl(const FilterClass &filterClass, NativeFunction constructor);

// The engine filter a script filter draws as, and the script state that
// reads back an engine filter (one a movie placed).
Filter EngineFilter(Filter::Type type, const FilterState &state);
FilterState ScriptFilterState(const Filter &filter);
// A new script object of the filter's class, or undefined when the movie
// took the class away or the heap is full.
Value NewFilterObject(NativeCall &call, Filter::Type type, FilterState state);

// How the setters convert what they are given.
double BlurValue(NativeCall &call);     // 0..255; NaN stays
double StrengthValue(NativeCall &call); // 0..255; NaN stays
double AlphaValue(NativeCall &call);    // 0..1; NaN stays
double ColorValue(NativeCall &call);    // the low 24 bits of a uint
double PlainValue(NativeCall &call);    // any number
double AnyNumber(ScriptContext &cx, const Value &v);
// Arrays of numbers, each converted as given: the first limit elements.
std::vector<double> NumberArray(NativeCall &call, size_t limit, double (*convert)(ScriptContext &, const Value &));
// A new array of the numbers, or undefined when the heap is full.
Value ArrayOfNumbers(NativeCall &call, const std::vector<double> &numbers);

template <double FilterState::*Field> Value GetNumber(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? Value(state->*Field) : Value(Undefined{});
}

template <double FilterState::*Field, double (*Convert)(NativeCall &)> Value SetNumber(NativeCall &call)
{
    if (!FilterStateOf(call))
        return Undefined{};
    const double value = Convert(call);
    if (FilterState *state = FilterStateOf(call))
        state->*Field = value;
    return Undefined{};
}

template <int FilterState::*Field> Value GetInt(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? Value(double(state->*Field)) : Value(Undefined{});
}

// An int within low..high, taken as bitwise operators take numbers (NaN
// and infinities are 0).
template <int FilterState::*Field, int Low, int High> Value SetInt(NativeCall &call)
{
    if (!FilterStateOf(call))
        return Undefined{};
    const int value = std::clamp(int(ToInt32(call.number(0))), Low, High);
    if (FilterState *state = FilterStateOf(call))
        state->*Field = value;
    return Undefined{};
}

template <bool FilterState::*Field> Value GetBool(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? Value(state->*Field) : Value(Undefined{});
}

template <bool FilterState::*Field> Value SetBool(NativeCall &call)
{
    if (!FilterStateOf(call))
        return Undefined{};
    const bool value = call.cx.toBool(call.arg(0));
    if (FilterState *state = FilterStateOf(call))
        state->*Field = value;
    return Undefined{};
}

// The properties most filters have, under their ActionScript names.
PropertyDecl BlurXProperty();
PropertyDecl BlurYProperty();
PropertyDecl QualityProperty();
PropertyDecl StrengthProperty();
PropertyDecl DistanceProperty();
PropertyDecl AngleProperty();
PropertyDecl KnockoutProperty();
PropertyDecl InnerProperty();
// Bevels' "inner", "outer" or "full".
PropertyDecl TypeProperty();
// Gradient glows' and bevels' properties, in their constructors' order:
// distance, angle, colors, alphas, ratios, blurX, blurY, strength,
// quality, type, knockout.
std::vector<PropertyDecl> GradientFilterProperties();
// A property of a filter object: on its prototype, with no flags.
PropertyDecl FilterProperty(const char *name, NativeFunction getter, NativeFunction setter);

} // namespace swf
