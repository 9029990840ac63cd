// TextField: the text fields of the stage as scripts see them, those the
// movie places from its DefineEditText tags and those createTextField makes.
// Its properties live on TextField.prototype and read and write the
// field's TextFieldState.
#include "TextField.h"

#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/FieldFonts.h"
#include "swf/MoviePlayer.h"
#include "swf/TextFieldState.h"
#include "swf/TextLayout.h"
#include "swf/builtins/TextFormat.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <QFontDatabase>

#include <climits>
#include <cmath>

namespace swf {

namespace {

using Flag = TextFieldState::Flag;
using AutoSize = TextFieldState::AutoSize;

constexpr int Version6 = 6;
constexpr int Version7 = 7;
// createTextField answers the field it made from version 8 on.
constexpr int FirstVersionAnsweringField = 8;
constexpr int FirstVersionRemovingByReplace = 8;
constexpr double TwipsPerPixel = 20;

TextFieldState *stateOf(NativeCall &call)
{
    DisplayObject *field = call.clip();
    return field ? field->textField.get() : nullptr;
}

const Value &argument(NativeCall &call) { return call.arg(0); }

// Whatever else follows, an object assigned to a property that takes a
// number or a truth value has its valueOf called, as the reference player does.
void touchValueOf(NativeCall &call, const Value &value)
{
    if (objectOf(value))
        call.cx.callMethod(value, QStringLiteral("valueOf"), {});
}

bool toTruth(NativeCall &call, const Value &value)
{
    touchValueOf(call, value);
    return call.cx.toBool(value);
}

int toInteger(NativeCall &call, const Value &value) { return ToInt32(call.cx.toNumber(value)); }

// A name such as a type or an autoSize mode.
QString toName(NativeCall &call, const Value &value)
{
    touchValueOf(call, value);
    return call.cx.toString(value);
}

QRgb toRgb(NativeCall &call, const Value &value)
{
    return QRgb(uint32_t(toInteger(call, value))) & TextFieldState::RgbMask;
}

bool absent(const Value &value) { return std::holds_alternative<Undefined>(value) || std::holds_alternative<Null>(value); }

// A name assigned to variable or restrict: nothing for undefined and null,
// and for what reads as an empty string.
std::optional<QString> toOptionalText(NativeCall &call, const Value &value)
{
    if (absent(value))
        return std::nullopt;
    touchValueOf(call, value);
    QString text = call.cx.toString(value);
    return text.isEmpty() ? std::nullopt : std::optional<QString>(std::move(text));
}

// Each change shows on the next drawing.
Value changed(NativeCall &call)
{
    call.player().markChanged();
    return Undefined{};
}

// Text: a field bound to a variable shows the variable's value and writes it.
Value getText(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    if (const std::optional<QString> bound = call.player().boundText(*call.clip()))
        return *bound;
    return state->text();
}

Value setText(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const QString text = call.cx.toString(argument(call));
    if (!call.player().writeBoundVariable(*call.clip(), text))
        state->setText(text);
    return changed(call);
}

Value getHtmlText(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(state->htmlText()) : Value(Undefined{});
}

Value setHtmlText(NativeCall &call)
{
    if (TextFieldState *state = stateOf(call))
        state->setHtmlText(call.cx.toString(argument(call)), call.engine().version());
    return changed(call);
}

Value getHtml(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(state->html()) : Value(Undefined{});
}

Value setHtml(NativeCall &call)
{
    if (TextFieldState *state = stateOf(call))
        state->setHtml(toTruth(call, argument(call)));
    return changed(call);
}

template <Flag F> Value getFlag(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(state->flag(F)) : Value(Undefined{});
}

template <Flag F> Value setFlag(NativeCall &call)
{
    if (TextFieldState *state = stateOf(call))
        state->setFlag(F, toTruth(call, argument(call)));
    return changed(call);
}

Value getType(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    return QString::fromLatin1(state->flag(Flag::Input) ? "input" : "dynamic");
}

// Only the two type names change it.
Value setType(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    const QString type = toName(call, argument(call));
    if (state && (type == QLatin1String("input") || type == QLatin1String("dynamic")))
        state->setFlag(Flag::Input, type == QLatin1String("input"));
    return Undefined{};
}

Value getBorder(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(state->border()) : Value(Undefined{});
}

Value setBorder(NativeCall &call)
{
    if (TextFieldState *state = stateOf(call))
        state->setBorder(toTruth(call, argument(call)));
    return changed(call);
}

Value getBackground(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(state->background()) : Value(Undefined{});
}

Value setBackground(NativeCall &call)
{
    if (TextFieldState *state = stateOf(call))
        state->setBackground(toTruth(call, argument(call)));
    return changed(call);
}

Value color(NativeCall &call, QRgb (TextFieldState::*get)() const)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(double((state->*get)())) : Value(Undefined{});
}

Value setColor(NativeCall &call, void (TextFieldState::*set)(QRgb))
{
    if (TextFieldState *state = stateOf(call))
        (state->*set)(toRgb(call, argument(call)));
    return changed(call);
}

Value getBorderColor(NativeCall &call) { return color(call, &TextFieldState::borderColor); }
Value setBorderColor(NativeCall &call) { return setColor(call, &TextFieldState::setBorderColor); }
Value getBackgroundColor(NativeCall &call) { return color(call, &TextFieldState::backgroundColor); }
Value setBackgroundColor(NativeCall &call) { return setColor(call, &TextFieldState::setBackgroundColor); }
Value getTextColor(NativeCall &call) { return color(call, &TextFieldState::textColor); }
Value setTextColor(NativeCall &call) { return setColor(call, &TextFieldState::setTextColor); }

// No limit reads as null.
Value getMaxChars(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    return state->maxChars() == 0 ? Value(Null{}) : Value(double(state->maxChars()));
}

Value setMaxChars(NativeCall &call)
{
    // The reference player reads the number twice.
    touchValueOf(call, argument(call));
    if (TextFieldState *state = stateOf(call))
        state->setMaxChars(toInteger(call, argument(call)));
    return Undefined{};
}

const char *const AutoSizeNames[] = {"none", "left", "center", "right"};

Value getAutoSize(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(QString::fromLatin1(AutoSizeNames[int(state->autoSize())])) : Value(Undefined{});
}

// true stands for "left"; anything but the mode names turns it off.
Value setAutoSize(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const Value &value = argument(call);
    AutoSize mode = AutoSize::None;
    if (const bool *truth = std::get_if<bool>(&value)) {
        mode = *truth ? AutoSize::Left : AutoSize::None;
    } else {
        const QString name = toName(call, value);
        for (int i = 0; i < int(std::size(AutoSizeNames)); ++i)
            if (name == QLatin1String(AutoSizeNames[i]))
                mode = AutoSize(i);
    }
    state->setAutoSize(mode);
    return changed(call);
}

Value getVariable(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    return state->variable().isEmpty() ? Value(Null{}) : Value(state->variable());
}

Value setVariable(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    state->setVariable(toOptionalText(call, argument(call)).value_or(QString()));
    call.player().bindField(*call.clip());
    return changed(call);
}

Value getRestrict(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    return state->restrict() ? Value(*state->restrict()) : Value(Null{});
}

// An empty string leaves a field that restricts nothing as it is, and
// restricts everything on one that restricted some.
Value setRestrict(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const Value &value = argument(call);
    std::optional<QString> chars = toOptionalText(call, value);
    if (!chars && !absent(value) && state->restrict())
        chars = QString();
    state->setRestrict(std::move(chars));
    return Undefined{};
}

Value getCondenseWhite(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(state->condenseWhite) : Value(Undefined{});
}

Value setCondenseWhite(NativeCall &call)
{
    if (TextFieldState *state = stateOf(call))
        state->condenseWhite = toTruth(call, argument(call));
    return Undefined{};
}

Value getMouseWheelEnabled(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(state->mouseWheelEnabled) : Value(Undefined{});
}

Value setMouseWheelEnabled(NativeCall &call)
{
    if (TextFieldState *state = stateOf(call))
        state->mouseWheelEnabled = toTruth(call, argument(call));
    return Undefined{};
}

// Only objects are style sheets; anything else takes the sheet away.
Value getStyleSheet(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? state->styleSheet : Value(Undefined{});
}

Value setStyleSheet(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    touchValueOf(call, argument(call));
    if (state)
        state->styleSheet = objectOf(argument(call)) ? argument(call) : Value(Undefined{});
    return changed(call);
}

Value getLength(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const Value text = getText(call);
    return double(std::get<QString>(text).size());
}

// A field made by a script goes; those the movie placed stay, as clips do.
Value removeTextField(NativeCall &call)
{
    if (DisplayObject *field = call.clip(); field && field->textField)
        call.player().removeClip(*field);
    return Undefined{};
}

// A text field's alone: on a clip it answers nothing.
Value getDepth(NativeCall &call)
{
    const DisplayObject *field = call.clip();
    return field && field->textField ? Value(double(field->depth - MoviePlayer::DynamicDepths)) : Value(Undefined{});
}

// replaceText(begin, end, text): the characters from begin up to end. A
// negative begin or an end before it changes nothing; indices past the text
// reach its end. Before version 8 an empty text removes nothing.
Value replaceText(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state || call.args.size() < 3)
        return Undefined{};
    const double begin = call.number(0);
    const double end = call.number(1);
    if (!(begin >= 0 && end >= begin))
        return Undefined{};
    const int length = int(state->text().size());
    const QString text = call.string(2);
    if (!text.isEmpty() || call.engine().version() >= FirstVersionRemovingByReplace)
        state->replaceText(ClampedInt(begin, 0, length), ClampedInt(end, 0, length), text);
    state->takeFirstFormatAsNew();
    return changed(call);
}

// replaceSel(text): the selection, or at the caret, takes the text; the
// caret follows it.
Value replaceSel(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state || call.args.empty())
        return Undefined{};
    const QString text = call.string(0);
    const int begin = state->selectionBegin();
    state->replaceText(begin, state->selectionEnd(), text);
    state->setSelection(begin + int(text.size()), begin + int(text.size()));
    return changed(call);
}

// The field's lines as the player lays them out now.
const std::vector<TextLine> &linesOf(NativeCall &call, const TextFieldState &state)
{
    const std::optional<QString> bound = call.player().boundText(*call.clip());
    const QString &shown = bound ? *bound : state.shown();
    std::optional<TextFieldState::MeasuredLines> &measured = state.measured;
    if (!measured || measured->revision != state.revision() || measured->shown != shown) {
        FieldFonts fonts(call.player().movieOf(*call.clip()));
        measured = TextFieldState::MeasuredLines{
            state.revision(), shown, shown.isEmpty() ? std::vector<TextLine>() : LayoutField(fonts, state.look(), shown)};
    }
    return measured->lines;
}

FieldExtent extentOf(NativeCall &call, const TextFieldState &state)
{
    return MeasureLines(linesOf(call, state), state.bounds());
}

// The field's onScroller, then its listeners'.
void scrolled(NativeCall &call)
{
    call.player().markChanged();
    const Value self = call.self;
    call.cx.callMethod(self, QStringLiteral("onScroller"), {self});
    if (call.clip()->object.own(call.engine().key(QStringLiteral("_listeners"))))
        call.cx.callMethod(self, QStringLiteral("broadcastMessage"), {QStringLiteral("onScroller"), self});
}

// scroll: the line at the top, from 1 up to maxscroll.
Value getScroll(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(double(std::clamp(state->scroll(), 1, extentOf(call, *state).maxScroll))) : Value(Undefined{});
}

Value setScroll(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const int line = ClampedInt(call.number(0), 1, extentOf(call, *state).maxScroll, state->scroll());
    if (line != state->scroll()) {
        state->setScroll(line);
        scrolled(call);
    }
    return Undefined{};
}

Value getMaxScroll(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(double(extentOf(call, *state).maxScroll)) : Value(Undefined{});
}

Value getBottomScroll(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const std::vector<TextLine> &lines = linesOf(call, *state);
    const int top = std::clamp(state->scroll(), 1, MeasureLines(lines, state->bounds()).maxScroll);
    return double(BottomLine(lines, state->bounds(), top));
}

// hscroll: how far, in pixels, the text is moved left; up to maxhscroll.
int maxHScroll(NativeCall &call, const TextFieldState &state)
{
    return int(std::floor(extentOf(call, state).maxHScroll / TwipsPerPixel));
}

Value getHScroll(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(double(std::clamp(state->hscroll(), 0, maxHScroll(call, *state)))) : Value(Undefined{});
}

Value setHScroll(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const int pixels = ClampedInt(call.number(0), 0, maxHScroll(call, *state), state->hscroll());
    if (pixels != state->hscroll()) {
        state->setHScroll(pixels);
        scrolled(call);
    }
    return Undefined{};
}

Value getMaxHScroll(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(double(maxHScroll(call, *state))) : Value(Undefined{});
}

// The size of the text laid out, in pixels.
Value getTextWidth(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(extentOf(call, *state).textWidth / TwipsPerPixel) : Value(Undefined{});
}

Value getTextHeight(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? Value(extentOf(call, *state).textHeight / TwipsPerPixel) : Value(Undefined{});
}

// A field hears its listeners once it has some: the broadcaster's methods
// go onto the field itself, hidden, and take over from these.
Value addListener(NativeCall &call)
{
    DisplayObject *field = call.clip();
    if (!field || !field->textField)
        return false;
    if (!field->object.own(call.engine().key(QStringLiteral("_listeners"))))
        InitializeBroadcaster(call.engine(), field->object, BuiltinFlags);
    return call.cx.callMethod(call.self, QStringLiteral("addListener"), {call.arg(0)});
}

// A field without listeners has none to take away.
Value removeListener(NativeCall &) { return false; }

// The characters getTextFormat and setTextFormat take: all of them, the
// one at an index, or from begin up to end; nothing when an index is not a
// number.
struct CharacterRange {
    int begin = 0, end = 0;
};

std::optional<CharacterRange> rangeOf(NativeCall &call, size_t count, int length)
{
    if (count == 0)
        return CharacterRange{0, length};
    const double begin = call.number(0);
    const double end = count > 1 ? call.number(1) : begin + 1;
    if (std::isnan(begin) || std::isnan(end))
        return std::nullopt;
    return CharacterRange{ClampedInt(begin, 0, length), ClampedInt(end, 0, length)};
}

Value formatObject(NativeCall &call, const TextFormatValues &values)
{
    return ObjectValue(NewTextFormatObject(call.cx, values));
}

// getTextFormat(), (index) or (begin, end).
Value getTextFormat(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    if (!state)
        return Undefined{};
    const std::optional<CharacterRange> range =
        rangeOf(call, std::min<size_t>(call.args.size(), 2), int(state->text().size()));
    return formatObject(call, range ? state->textFormat(range->begin, range->end) : TextFormatValues{});
}

// setTextFormat(format), (index, format) or (begin, end, format): the format comes last.
Value setTextFormat(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (!state || call.args.empty())
        return Undefined{};
    const size_t last = std::min<size_t>(call.args.size(), 3) - 1;
    const std::optional<TextFormatValues> format = ReadTextFormatObject(call.cx, call.args[last]);
    const std::optional<CharacterRange> range = rangeOf(call, last, int(state->text().size()));
    if (format && range)
        state->setTextFormat(range->begin, range->end, *format);
    return changed(call);
}

Value getNewTextFormat(NativeCall &call)
{
    const TextFieldState *state = stateOf(call);
    return state ? formatObject(call, state->newTextFormat()) : Value(Undefined{});
}

Value setNewTextFormat(NativeCall &call)
{
    TextFieldState *state = stateOf(call);
    if (const std::optional<TextFormatValues> format = ReadTextFormatObject(call.cx, call.arg(0)); state && format)
        state->setNewTextFormat(*format);
    return Undefined{};
}

// The device fonts the machine offers.
Value getFontList(NativeCall &call)
{
    std::vector<Value> names;
    for (const QString &family : QFontDatabase::families())
        names.emplace_back(family);
    return ObjectValue(call.engine().newArray(std::move(names)));
}

Value construct(NativeCall &call) { return call.self; }

int scriptNumber(NativeCall &call, size_t i)
{
    const double d = call.number(i);
    return std::isfinite(d) ? ClampedInt(d, INT_MIN / 2, INT_MAX / 2) : 0;
}

} // namespace

ScriptObject *TextFieldPrototype(ScriptEngine &engine)
{
    const Value *constructor = engine.global()->own(engine.key(QStringLiteral("TextField")));
    const ScriptObject *object = constructor ? objectOf(*constructor) : nullptr;
    return object ? PrototypeOf(engine, *object) : nullptr;
}

Value ClipCreateTextField(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    if (!clip || call.args.size() < 6)
        return Undefined{};
    const QRectF bounds(scriptNumber(call, 2) * TwipsPerPixel, scriptNumber(call, 3) * TwipsPerPixel,
                        scriptNumber(call, 4) * TwipsPerPixel, scriptNumber(call, 5) * TwipsPerPixel);
    DisplayObject *field =
        call.player().createTextField(*clip, call.string(0), scriptNumber(call, 1), bounds);
    if (!field || call.engine().version() < FirstVersionAnsweringField)
        return Undefined{};
    return refTo(field);
}

const ClassDecl TextFieldClass{
    "TextField",
    construct,
    {
        {"replaceText", replaceText, Version7},
        {"replaceSel", replaceSel},
        {"addListener", addListener},
        {"removeListener", removeListener},
        {"getTextFormat", getTextFormat},
        {"setTextFormat", setTextFormat},
        {"getNewTextFormat", getNewTextFormat},
        {"setNewTextFormat", setNewTextFormat},
        {"removeTextField", removeTextField},
        {"getDepth", getDepth},
    },
    {
        {"getFontList", getFontList},
    },
    {},
    Version6,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {
        {"text", getText, setText},
        {"htmlText", getHtmlText, setHtmlText},
        {"html", getHtml, setHtml},
        {"variable", getVariable, setVariable},
        {"type", getType, setType},
        {"border", getBorder, setBorder},
        {"borderColor", getBorderColor, setBorderColor},
        {"background", getBackground, setBackground},
        {"backgroundColor", getBackgroundColor, setBackgroundColor},
        {"textColor", getTextColor, setTextColor},
        {"length", getLength},
        {"maxChars", getMaxChars, setMaxChars},
        {"multiline", getFlag<Flag::Multiline>, setFlag<Flag::Multiline>},
        {"wordWrap", getFlag<Flag::WordWrap>, setFlag<Flag::WordWrap>},
        {"password", getFlag<Flag::Password>, setFlag<Flag::Password>},
        {"selectable", getFlag<Flag::Selectable>, setFlag<Flag::Selectable>},
        {"embedFonts", getFlag<Flag::EmbedFonts>, setFlag<Flag::EmbedFonts>},
        {"autoSize", getAutoSize, setAutoSize},
        {"condenseWhite", getCondenseWhite, setCondenseWhite},
        {"restrict", getRestrict, setRestrict},
        {"mouseWheelEnabled", getMouseWheelEnabled, setMouseWheelEnabled},
        {"styleSheet", getStyleSheet, setStyleSheet},
        {"scroll", getScroll, setScroll},
        {"maxscroll", getMaxScroll},
        {"bottomScroll", getBottomScroll},
        {"hscroll", getHScroll, setHScroll},
        {"maxhscroll", getMaxHScroll},
        {"textWidth", getTextWidth},
        {"textHeight", getTextHeight},
    },
};

} // namespace swf
