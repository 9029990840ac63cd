#include "FilterProperties.h"
#include "BitmapData.h"

#include "swf/script/ScriptEngine.h"

#include <algorithm>

namespace swf {

namespace {

constexpr double MaxStrength = 255;
constexpr uint32_t RgbMask = 0xFFFFFF;
constexpr double DegreesPerRadian = 180 / M_PI;
constexpr double RatioScale = 255;
constexpr int AlphaScale = 255;
// A displacement map placed further off than this lies off any object.
constexpr int MaxMapOffset = 1 << 24;

const char *const ClassNames[] = {
    "DropShadowFilter", "BlurFilter",        "GlowFilter",          "BevelFilter",          "GradientGlowFilter",
    "ConvolutionFilter", "ColorMatrixFilter", "GradientBevelFilter", "DisplacementMapFilter",
};

// std::clamp would keep NaN too, but says nothing of it.
double clampKeepingNaN(double value, double low, double high)
{
    return std::isnan(value) ? value : std::clamp(value, low, high);
}

QColor colorOf(double rgb, double alpha)
{
    QColor color = QColor::fromRgb(QRgb(uint32_t(rgb) & RgbMask));
    color.setAlphaF(std::isnan(alpha) ? 0 : std::clamp(alpha, 0.0, 1.0));
    return color;
}

double rgbOf(const QColor &color) { return double(color.rgb() & RgbMask); }

Value getType(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? Value(state->type) : Value(Undefined{});
}

// Anything but the two edges is the full bevel, both sides.
Value setType(NativeCall &call)
{
    if (!FilterStateOf(call))
        return Undefined{};
    const QString type = call.string(0);
    if (FilterState *state = FilterStateOf(call))
        state->type = type == QLatin1String("inner") || type == QLatin1String("outer") ? type : QStringLiteral("full");
    return Undefined{};
}

// A gradient holds at most as many colours as movie files can store.
constexpr size_t MaxGradientColors = 16;

double gradientColor(ScriptContext &cx, const Value &v)
{
    return double(uint32_t(ToInt32(cx.toNumber(v))) & RgbMask);
}
double gradientAlpha(ScriptContext &cx, const Value &v) { return clampKeepingNaN(cx.toNumber(v), 0, 1); }
double gradientRatio(ScriptContext &cx, const Value &v) { return clampKeepingNaN(cx.toNumber(v), 0, RatioScale); }

template <std::vector<double> FilterState::*Field> Value getArray(NativeCall &call)
{
    const FilterState *state = FilterStateOf(call);
    return state ? ArrayOfNumbers(call, state->*Field) : Value(Undefined{});
}

template <std::vector<double> FilterState::*Field, double (*Convert)(ScriptContext &, const Value &)>
Value setGradientArray(NativeCall &call)
{
    if (!FilterStateOf(call))
        return Undefined{};
    std::vector<double> numbers = NumberArray(call, MaxGradientColors, Convert);
    if (FilterState *state = FilterStateOf(call))
        state->*Field = std::move(numbers);
    return Undefined{};
}

void applyGradient(Filter &f, const FilterState &s)
{
    const size_t count = std::min({s.colors.size(), s.alphas.size(), s.ratios.size()});
    for (size_t i = 0; i < count; ++i)
        f.gradient.append({std::clamp(s.ratios[i] / RatioScale, 0.0, 1.0), colorOf(s.colors[i], s.alphas[i])});
}

// A displacement map reads the pixels its map bitmap has when it is drawn.
void applyDisplacement(Filter &f, const FilterState &s)
{
    const BitmapDataPayload *map = BitmapDataOf(s.mapBitmap);
    f.map = map ? map->image() : QImage();
    f.mapPoint = QPoint(ClampedInt(s.mapX, -MaxMapOffset, MaxMapOffset), ClampedInt(s.mapY, -MaxMapOffset, MaxMapOffset));
    f.componentX = s.componentX;
    f.componentY = s.componentY;
    f.scaleX = std::isfinite(s.scaleX) ? s.scaleX : 0;
    f.scaleY = std::isfinite(s.scaleY) ? s.scaleY : 0;
    f.mode = s.mode == QLatin1String("clamp")    ? Filter::Clamp
             : s.mode == QLatin1String("ignore") ? Filter::Ignore
             : s.mode == QLatin1String("color")  ? Filter::UseColor
                                                 : Filter::Wrap;
    f.mapColor = f.color;
}

void applyShadow(Filter &f, const FilterState &s)
{
    f.angle = s.angle / DegreesPerRadian;
    f.distance = s.distance;
    f.inner = s.type == QLatin1String("inner");
    f.onTop = s.type == QLatin1String("full");
}

} // namespace

FilterState *FilterStateOf(const NativeCall &call)
{
    const ScriptObject *object = call.object();
    auto *payload = object ? object->payloadAs<FilterPayload>() : nullptr;
    return payload ? &payload->state : nullptr;
}

Value ConstructFilter(NativeCall &call, const FilterClass &filterClass)
{
    ScriptObject *filter = call.construct ? call.object() : nullptr;
    if (!filter)
        return Undefined{};
    // The reference player's filters list the constructor they were made by.
    filter->setFlags(call.key(QStringLiteral("__constructor__")), 0, DontEnum);
    auto payload = std::make_unique<FilterPayload>();
    payload->type = filterClass.type;
    payload->state = filterClass.defaults;
    filter->payload = std::move(payload);
    const size_t given = std::min(call.args.size(), filterClass.properties.size());
    for (size_t i = 0; i < given; ++i) {
        const std::vector<Value> one{call.args[i]};
        NativeCall set{call.cx, call.self, one, false};
        filterClass.properties[i].setter(set);
    }
    return filter;
}

ClassDecl FilterClassDecl(const FilterClass &filterClass, NativeFunction constructor)
{
    ClassDecl decl{filterClass.name, constructor, {}, {}, {}, FilterClassVersion};
    decl.prototypeProperties = filterClass.properties;
    decl.setup = [](ScriptEngine &engine, ScriptObject &holder) {
        // The prototype is what `new BitmapFilter` would make: it names
        // BitmapFilter as its constructor, and has no constructor member.
        // The package is found even while the movie's version does not see it.
        ScriptObject *prototype = PrototypeOf(engine, holder);
        ScriptObject *base = prototype ? engine.global() : nullptr;
        for (const char *name : {"flash", "filters", "BitmapFilter"}) {
            const ScriptObject::Member *member = base ? base->storedMember(engine.key(QLatin1String(name))) : nullptr;
            base = member ? objectOf(member->value) : nullptr;
        }
        if (!base)
            return;
        const QString constructorKey = engine.key(QStringLiteral("constructor"));
        prototype->setFlags(constructorKey, 0, DontDelete);
        prototype->remove(constructorKey);
        prototype->setPrototype(PrototypeOf(engine, *base));
        AddBuiltinMember(engine, *prototype, "__constructor__", base, DontEnum);
    };
    return decl;
}

Filter EngineFilter(Filter::Type type, const FilterState &s)
{
    Filter f;
    f.type = type;
    f.blurX = std::isnan(s.blurX) ? 0 : s.blurX;
    f.blurY = std::isnan(s.blurY) ? 0 : s.blurY;
    f.passes = s.quality;
    f.strength = std::isnan(s.strength) ? 0 : s.strength;
    f.knockout = s.knockout;
    f.color = colorOf(s.color, s.alpha);
    switch (type) {
    case Filter::DropShadow:
    case Filter::Glow:
        f.angle = s.angle / DegreesPerRadian;
        f.distance = type == Filter::Glow ? 0 : s.distance;
        f.inner = s.inner;
        f.hideObject = s.hideObject;
        break;
    case Filter::Bevel:
        applyShadow(f, s);
        f.highlight = colorOf(s.highlightColor, s.highlightAlpha);
        break;
    case Filter::GradientGlow:
    case Filter::GradientBevel:
        applyShadow(f, s);
        applyGradient(f, s);
        break;
    case Filter::ColorMatrix:
        for (size_t i = 0; i < f.colorMatrix.size(); ++i)
            f.colorMatrix[i] = i < s.matrix.size() ? float(s.matrix[i]) : 0;
        break;
    case Filter::Convolution:
        f.matrixX = s.matrixX;
        f.matrixY = s.matrixY;
        f.kernel.assign(s.matrix.begin(), s.matrix.end());
        f.kernel.resize(size_t(s.matrixX * s.matrixY), 0);
        f.divisor = float(s.divisor);
        f.bias = float(s.bias);
        f.preserveAlpha = s.preserveAlpha;
        f.clamp = s.clamp;
        f.defaultColor = f.color;
        break;
    case Filter::DisplacementMap:
        applyDisplacement(f, s);
        break;
    case Filter::Blur: break;
    }
    return f;
}

FilterState ScriptFilterState(const Filter &f)
{
    FilterState s;
    s.blurX = f.blurX;
    s.blurY = f.blurY;
    s.quality = f.passes;
    s.strength = f.strength;
    s.distance = f.distance;
    s.angle = f.angle * DegreesPerRadian;
    s.color = rgbOf(f.type == Filter::Convolution ? f.defaultColor : f.color);
    s.alpha = (f.type == Filter::Convolution ? f.defaultColor : f.color).alpha() / double(AlphaScale);
    s.highlightColor = rgbOf(f.highlight);
    s.highlightAlpha = f.highlight.alpha() / double(AlphaScale);
    s.inner = f.inner;
    s.knockout = f.knockout;
    s.hideObject = f.hideObject;
    s.type = f.onTop ? QStringLiteral("full") : f.inner ? QStringLiteral("inner") : QStringLiteral("outer");
    for (const QGradientStop &stop : f.gradient) {
        s.ratios.push_back(std::round(stop.first * RatioScale));
        s.colors.push_back(rgbOf(stop.second));
        s.alphas.push_back(stop.second.alpha() / double(AlphaScale));
    }
    if (f.type == Filter::ColorMatrix)
        s.matrix.assign(f.colorMatrix.begin(), f.colorMatrix.end());
    else
        s.matrix.assign(f.kernel.begin(), f.kernel.end());
    s.matrixX = f.matrixX;
    s.matrixY = f.matrixY;
    s.divisor = f.divisor;
    s.bias = f.bias;
    s.preserveAlpha = f.preserveAlpha;
    s.clamp = f.clamp;
    return s;
}

Value NewFilterObject(NativeCall &call, Filter::Type type, FilterState state)
{
    const Value space = call.cx.getMember(call.engine().global(), QStringLiteral("flash"));
    const Value filters = call.cx.getMember(space, QStringLiteral("filters"));
    const Value constructor = call.cx.getMember(filters, QLatin1String(ClassNames[type]));
    const Value prototype = call.cx.getMember(constructor, QStringLiteral("prototype"));
    ScriptObject *filter = objectOf(prototype) ? call.engine().newObject(objectOf(prototype)) : nullptr;
    if (!filter)
        return Undefined{};
    filter->set(call.key(QStringLiteral("__constructor__")), QStringLiteral("__constructor__"), constructor);
    auto payload = std::make_unique<FilterPayload>();
    payload->type = type;
    payload->state = std::move(state);
    filter->payload = std::move(payload);
    return filter;
}

double BlurValue(NativeCall &call) { return clampKeepingNaN(call.number(0), 0, MaxBlur); }
double StrengthValue(NativeCall &call) { return clampKeepingNaN(call.number(0), 0, MaxStrength); }
double AlphaValue(NativeCall &call) { return clampKeepingNaN(call.number(0), 0, 1); }
double PlainValue(NativeCall &call) { return call.number(0); }
double AnyNumber(ScriptContext &cx, const Value &v) { return cx.toNumber(v); }

double ColorValue(NativeCall &call)
{
    return double(uint32_t(ToInt32(call.number(0))) & RgbMask);
}

std::vector<double> NumberArray(NativeCall &call, size_t limit, double (*convert)(ScriptContext &, const Value &))
{
    const ScriptObject *array = objectOf(call.arg(0));
    std::vector<double> numbers;
    if (!array || array->kind != ScriptObject::Kind::Array)
        return numbers;
    const std::vector<Value> elements(array->elements.begin(),
                                      array->elements.begin() + std::min(limit, array->elements.size()));
    for (const Value &element : elements)
        numbers.push_back(convert(call.cx, element));
    return numbers;
}

Value ArrayOfNumbers(NativeCall &call, const std::vector<double> &numbers)
{
    return ObjectValue(call.engine().newArray(std::vector<Value>(numbers.begin(), numbers.end())));
}

PropertyDecl FilterProperty(const char *name, NativeFunction getter, NativeFunction setter)
{
    return {name, getter, setter, 0};
}

PropertyDecl BlurXProperty()
{
    return FilterProperty("blurX", GetNumber<&FilterState::blurX>, SetNumber<&FilterState::blurX, BlurValue>);
}
PropertyDecl BlurYProperty()
{
    return FilterProperty("blurY", GetNumber<&FilterState::blurY>, SetNumber<&FilterState::blurY, BlurValue>);
}
PropertyDecl QualityProperty()
{
    return FilterProperty("quality", GetInt<&FilterState::quality>, SetInt<&FilterState::quality, 0, MaxPasses>);
}
PropertyDecl StrengthProperty()
{
    return FilterProperty("strength", GetNumber<&FilterState::strength>,
                          SetNumber<&FilterState::strength, StrengthValue>);
}
PropertyDecl DistanceProperty()
{
    return FilterProperty("distance", GetNumber<&FilterState::distance>,
                          SetNumber<&FilterState::distance, PlainValue>);
}
PropertyDecl AngleProperty()
{
    return FilterProperty("angle", GetNumber<&FilterState::angle>, SetNumber<&FilterState::angle, PlainValue>);
}
PropertyDecl KnockoutProperty()
{
    return FilterProperty("knockout", GetBool<&FilterState::knockout>, SetBool<&FilterState::knockout>);
}
PropertyDecl InnerProperty()
{
    return FilterProperty("inner", GetBool<&FilterState::inner>, SetBool<&FilterState::inner>);
}
std::vector<PropertyDecl> GradientFilterProperties()
{
    using S = FilterState;
    return {
        DistanceProperty(),
        AngleProperty(),
        FilterProperty("colors", getArray<&S::colors>, setGradientArray<&S::colors, gradientColor>),
        FilterProperty("alphas", getArray<&S::alphas>, setGradientArray<&S::alphas, gradientAlpha>),
        FilterProperty("ratios", getArray<&S::ratios>, setGradientArray<&S::ratios, gradientRatio>),
        BlurXProperty(),
        BlurYProperty(),
        StrengthProperty(),
        QualityProperty(),
        TypeProperty(),
        KnockoutProperty(),
    };
}

PropertyDecl TypeProperty() { return FilterProperty("type", getType, setType); }

} // namespace swf
