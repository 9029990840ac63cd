// TextFormat: a character and paragraph format that text fields take and
// give. Its properties live on the prototype as accessors over what each
// object holds, and appear there when the first TextFormat is made.
#include "TextFormat.h"

#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/FieldFonts.h"
#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <array>
#include <climits>
#include <utility>

namespace swf {

namespace {

using Values = TextFormatValues;
using TextSlot = std::optional<QString> Values::*;
using NumberSlot = std::optional<double> Values::*;
using FlagSlot = std::optional<bool> Values::*;

// Where setup keeps the class's own prototype, which formats made for
// text fields inherit whatever scripts do to the global.
const QString PrototypeKey = QStringLiteral("TextFormat.prototype");

// The player before version 8 wraps whole numbers; from 8 on, those out of
// range turn into the lowest integer, as a processor's conversion does.
constexpr int RangeCheckedVersion = 8;
// Tab stops past this many are dropped, so a hostile length stays cheap.
constexpr int MaxTabStops = 1024;
// What a format without a font or size measures text in.
constexpr double DefaultSize = 12;
const QString DefaultFont = QStringLiteral("Times New Roman");
constexpr double TwipsPerPixel = 20;
// A text field is this much (in pixels) wider and taller than its text.
constexpr double FieldPadding = 4;

struct TextFormatPayload : NativePayload {
    Values values;
};

// A value assigned to a property, converted as the reference player does
// for every property alike, whichever it is.
struct Incoming {
    Incoming(ScriptContext &context, const Value &v)
        : cx(context), value(v), version(context.engine().version()), missing(isNullish(v))
    {
        if (missing)
            return;
        // It asks for a number twice before the text: scripts see valueOf
        // run twice, then toString.
        number = cx.toNumber(value);
        cx.toNumber(value);
        text = cx.toString(value);
        truth = cx.toBool(value);
    }

    ScriptContext &cx;
    const Value &value;
    int version;
    bool missing;
    double number = std::nan("");
    QString text;
    bool truth = false;
};

double wholeNumber(double d, int version)
{
    if (version < RangeCheckedVersion)
        return ToInt32(d);
    const bool fits = std::isfinite(d) && d > double(INT_MIN) - 1 && d < double(INT_MAX) + 1;
    return fits ? std::trunc(d) : INT_MIN;
}

// Indents and leading: never negative before version 8.
double indentNumber(double d, int version)
{
    return version < RangeCheckedVersion ? std::max(0, ToInt32(d)) : wholeNumber(d, version);
}

double marginNumber(double d, int version)
{
    if (version < RangeCheckedVersion)
        return std::max(0, ToInt32(d));
    return std::isnan(d) || d < 0 ? 0 : wholeNumber(d, version);
}

double colorNumber(double d, int) { return double(uint32_t(ToInt32(d))); }
double plainNumber(double d, int) { return d; }

template <TextSlot slot> void storeText(const Incoming &in, Values &values)
{
    values.*slot = in.missing ? std::nullopt : std::optional<QString>(in.text);
}

template <NumberSlot slot, double (*convert)(double, int)> void storeNumber(const Incoming &in, Values &values)
{
    values.*slot = in.missing ? std::nullopt : std::optional<double>(convert(in.number, in.version));
}

template <FlagSlot slot> void storeFlag(const Incoming &in, Values &values)
{
    values.*slot = in.missing ? std::nullopt : std::optional<bool>(in.truth);
}

// Names it does not know, null included, leave the alignment as it is.
void storeAlign(const Incoming &in, Values &values)
{
    static const QStringList known{QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right"),
                                   QStringLiteral("justify")};
    const QString name = in.text.toLower();
    if (!in.missing && known.contains(name))
        values.align = name;
}

// Names it does not know, null included, set the default back.
void storeDisplay(const Incoming &in, Values &values)
{
    static const QStringList known{QStringLiteral("inline"), QStringLiteral("block"), QStringLiteral("none")};
    const QString name = in.missing ? QString() : in.cx.toString(in.value);
    values.display = known.contains(name) ? name : Values().display;
}

// Tab stops come from anything with a length and elements; a string counts
// its characters, which have no elements of their own.
std::vector<double> tabStopsOf(const Incoming &in)
{
    std::vector<double> stops;
    int count = 0;
    const bool text = std::holds_alternative<QString>(in.value);
    const bool listed = objectOf(in.value) || std::holds_alternative<ClipRef>(in.value);
    if (text)
        count = std::min(int(in.text.size()), MaxTabStops);
    else if (listed)
        count = ClampedInt(in.cx.toNumber(in.cx.getMember(in.value, QStringLiteral("length"))), 0, MaxTabStops);
    for (int i = 0; i < count; ++i) {
        const double stop = text ? std::nan("") : in.cx.toNumber(in.cx.getMember(in.value, QString::number(i)));
        stops.push_back(wholeNumber(stop, in.version));
    }
    return stops;
}

// An empty list leaves tab stops that were never given unset.
void storeTabStops(const Incoming &in, Values &values)
{
    if (in.missing) {
        values.tabStops.reset();
        return;
    }
    std::vector<double> stops = tabStopsOf(in);
    if (!stops.empty() || values.tabStops)
        values.tabStops = std::move(stops);
}

template <TextSlot slot> Value loadText(ScriptEngine &, const Values &values)
{
    return values.*slot ? Value(*(values.*slot)) : Value(Null{});
}

template <NumberSlot slot> Value loadNumber(ScriptEngine &, const Values &values)
{
    return values.*slot ? Value(*(values.*slot)) : Value(Null{});
}

template <FlagSlot slot> Value loadFlag(ScriptEngine &, const Values &values)
{
    return values.*slot ? Value(*(values.*slot)) : Value(Null{});
}

Value loadDisplay(ScriptEngine &, const Values &values) { return values.display; }

Value loadTabStops(ScriptEngine &engine, const Values &values)
{
    if (!values.tabStops)
        return Null{};
    return ObjectValue(engine.newArray(std::vector<Value>(values.tabStops->begin(), values.tabStops->end())));
}

struct PropertyRule {
    const char *name;
    void (*store)(const Incoming &in, Values &values);
    Value (*load)(ScriptEngine &engine, const Values &values);
    // Older movies' formats do not have it at all.
    int version = 5;
};

// The constructor's arguments, in order, come first.
constexpr size_t ConstructorArguments = 13;
constexpr size_t PropertyCount = 19;
constexpr int KerningVersion = 8;
const std::array<PropertyRule, PropertyCount> Properties{{
    {"font", storeText<&Values::font>, loadText<&Values::font>},
    {"size", storeNumber<&Values::size, wholeNumber>, loadNumber<&Values::size>},
    {"color", storeNumber<&Values::color, colorNumber>, loadNumber<&Values::color>},
    {"bold", storeFlag<&Values::bold>, loadFlag<&Values::bold>},
    {"italic", storeFlag<&Values::italic>, loadFlag<&Values::italic>},
    {"underline", storeFlag<&Values::underline>, loadFlag<&Values::underline>},
    {"url", storeText<&Values::url>, loadText<&Values::url>},
    {"target", storeText<&Values::target>, loadText<&Values::target>},
    {"align", storeAlign, loadText<&Values::align>},
    {"leftMargin", storeNumber<&Values::leftMargin, marginNumber>, loadNumber<&Values::leftMargin>},
    {"rightMargin", storeNumber<&Values::rightMargin, marginNumber>, loadNumber<&Values::rightMargin>},
    {"indent", storeNumber<&Values::indent, indentNumber>, loadNumber<&Values::indent>},
    {"leading", storeNumber<&Values::leading, indentNumber>, loadNumber<&Values::leading>},
    {"blockIndent", storeNumber<&Values::blockIndent, indentNumber>, loadNumber<&Values::blockIndent>},
    {"tabStops", storeTabStops, loadTabStops},
    {"bullet", storeFlag<&Values::bullet>, loadFlag<&Values::bullet>},
    {"display", storeDisplay, loadDisplay},
    {"kerning", storeFlag<&Values::kerning>, loadFlag<&Values::kerning>, KerningVersion},
    {"letterSpacing", storeNumber<&Values::letterSpacing, plainNumber>, loadNumber<&Values::letterSpacing>,
     KerningVersion},
}};

Values *valuesOf(const NativeCall &call)
{
    const ScriptObject *object = call.object();
    auto *format = object ? object->payloadAs<TextFormatPayload>() : nullptr;
    return format ? &format->values : nullptr;
}

template <size_t I> Value getProperty(NativeCall &call)
{
    const Values *values = valuesOf(call);
    return values ? Properties[I].load(call.engine(), *values) : Value(Undefined{});
}

template <size_t I> Value setProperty(NativeCall &call)
{
    if (Values *values = valuesOf(call))
        Properties[I].store(Incoming(call.cx, call.arg(0)), *values);
    return Undefined{};
}

using Accessor = std::pair<NativeFunction, NativeFunction>;
template <size_t... I> constexpr std::array<Accessor, PropertyCount> accessorsOf(std::index_sequence<I...>)
{
    return {{{getProperty<I>, setProperty<I>}...}};
}
constexpr std::array<Accessor, PropertyCount> Accessors = accessorsOf(std::make_index_sequence<PropertyCount>());

// The accessors a script deleted come back with the next format made.
void installAccessors(ScriptEngine &engine, ScriptObject &prototype)
{
    for (size_t i = 0; i < PropertyCount; ++i) {
        const QString name = QString::fromLatin1(Properties[i].name);
        if (Properties[i].version > engine.version() || prototype.storedMember(engine.key(name)))
            continue;
        ScriptObject *getter = engine.newNative(Accessors[i].first);
        ScriptObject *setter = engine.newNative(Accessors[i].second);
        if (!getter || !setter)
            return;
        prototype.setProperty(engine.key(name), name, getter, setter);
    }
}

TextFormat measuredFormat(const Values &values)
{
    TextFormat format;
    format.face = values.font.value_or(DefaultFont);
    format.size = values.size.value_or(DefaultSize) * TwipsPerPixel;
    format.bold = values.bold.value_or(false);
    format.italic = values.italic.value_or(false);
    return format;
}

// The size text takes in the format's font, on one line, in pixels.
Value getTextExtent(NativeCall &call)
{
    const Values *values = valuesOf(call);
    const MovieDef *movie = call.player().movie();
    ScriptObject *extent = values && movie ? call.engine().newObject() : nullptr;
    if (!extent)
        return Undefined{};
    const QString text = call.string(0).left(MaxFieldText);
    FieldFonts fonts(*movie);
    const TextFormat format = measuredFormat(*values);
    const double ascent = fonts.ascent(format) / TwipsPerPixel;
    const double descent = fonts.descent(format) / TwipsPerPixel;
    const double width = text.isEmpty() ? 0 : fonts.advance(text, format) / TwipsPerPixel;
    const double height = text.isEmpty() ? 0 : ascent + descent;
    for (auto [name, value] : {std::pair{"ascent", ascent}, {"descent", descent}, {"width", width},
                               {"height", height}, {"textFieldWidth", width + FieldPadding},
                               {"textFieldHeight", height + FieldPadding}})
        extent->set(call.key(QLatin1String(name)), QLatin1String(name), value);
    return extent;
}

// What every format carries: its values and, as its own member, getTextExtent.
bool makeFormat(ScriptEngine &engine, ScriptObject &format, const Values &values)
{
    ScriptObject *prototype = objectOf(engine.kept(PrototypeKey));
    // The reference player's getTextExtent is a bare function: no
    // prototype, constructor or __proto__ of its own.
    ScriptObject *extent = engine.heap().make(ScriptObject::Kind::Native, nullptr);
    if (!prototype || !extent)
        return false;
    extent->native = getTextExtent;
    installAccessors(engine, *prototype);
    auto payload = std::make_unique<TextFormatPayload>();
    payload->values = values;
    format.payload = std::move(payload);
    const QString name = QStringLiteral("getTextExtent");
    format.set(engine.key(name), name, extent);
    return true;
}

Value construct(NativeCall &call)
{
    ScriptObject *format = call.construct ? call.object() : nullptr;
    if (!format || !makeFormat(call.engine(), *format, {}))
        return Undefined{};
    Values &values = *valuesOf(call);
    for (size_t i = 0; i < std::min(call.args.size(), ConstructorArguments); ++i)
        Properties[i].store(Incoming(call.cx, call.args[i]), values);
    return format;
}

void keepPrototype(ScriptEngine &engine, ScriptObject &constructor)
{
    if (ScriptObject *prototype = PrototypeOf(engine, constructor))
        engine.keep(PrototypeKey, prototype);
}

} // namespace

ScriptObject *NewTextFormatObject(ScriptContext &cx, const TextFormatValues &values)
{
    ScriptEngine &engine = cx.engine();
    ScriptObject *format = engine.newObject(objectOf(engine.kept(PrototypeKey)));
    return format && makeFormat(engine, *format, values) ? format : nullptr;
}

std::optional<TextFormatValues> ReadTextFormatObject(ScriptContext &cx, const Value &value)
{
    const ScriptObject *object = objectOf(value);
    if (!object)
        return std::nullopt;
    if (const auto *format = object->payloadAs<TextFormatPayload>())
        return format->values;
    Values values;
    for (const PropertyRule &property : Properties) {
        if (property.version > cx.engine().version())
            continue;
        const Value member = cx.getMember(value, QString::fromLatin1(property.name));
        if (!std::holds_alternative<Undefined>(member))
            property.store(Incoming(cx, member), values);
    }
    return values;
}

const ClassDecl TextFormatClass{
    "TextFormat", construct, {}, {}, {}, 5, BuiltinFlags, BuiltinFlags, {}, {}, keepPrototype,
};

} // namespace swf
