// flash.text.TextField: the engine's text field state behind a display object.
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/TextFormatObject.h"

#include "swf/DisplayObject.h"
#include "swf/TextFieldState.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double Twips = 20;
// A new field's size, in pixels.
constexpr double DefaultSide = 100;
constexpr double MaxSide = 1e6;
constexpr int TextFormatRangeError = 2006;

class TextFieldObject : public DisplayObjectNative {
public:
    using DisplayObjectNative::DisplayObjectNative;

protected:
    void initNode(swf::DisplayObject &node) override
    {
        node.character = &ScriptFieldDefinition();
        node.textField = std::make_shared<TextFieldState>(ScriptFieldDefinition());
        node.textField->setSize(DefaultSide * Twips, DefaultSide * Twips);
    }
};

TextFieldState &fieldOf(Runtime &rt, const Value &self)
{
    swf::DisplayObject &node = DisplayThis(rt, self)->node();
    if (!node.textField)
        rt.throwError(ErrorType::TypeError, 1034,
                      QStringList{rt.describe(self), QStringLiteral("flash.text.TextField")});
    return *node.textField;
}

Value getText(Runtime &rt, const Value &self, Args)
{
    // Paragraphs end at a carriage return, as the player gives them to scripts.
    return Value(fieldOf(rt, self).text());
}
Value setText(Runtime &rt, const Value &self, Args args)
{
    if (args[0].isNull())
        rt.throwError(ErrorType::TypeError, 2007, QStringList{QStringLiteral("text")});
    QString text = rt.toString(args[0]);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    fieldOf(rt, self).setText(text);
    return Value();
}
Value appendText(Runtime &rt, const Value &self, Args args)
{
    TextFieldState &field = fieldOf(rt, self);
    const int end = int(field.text().size());
    QString text = rt.toString(args[0]);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    field.replaceText(end, end, text);
    return Value();
}
Value getHtmlText(Runtime &rt, const Value &self, Args) { return Value(fieldOf(rt, self).htmlText()); }
Value setHtmlText(Runtime &rt, const Value &self, Args args)
{
    TextFieldState &field = fieldOf(rt, self);
    field.setHtml(true);
    field.setHtmlText(rt.toString(args[0]));
    return Value();
}
Value getLength(Runtime &rt, const Value &self, Args) { return Value(int32_t(fieldOf(rt, self).text().size())); }

Value getTextColor(Runtime &rt, const Value &self, Args) { return Value::fromUint(fieldOf(rt, self).textColor()); }
Value setTextColor(Runtime &rt, const Value &self, Args args)
{
    fieldOf(rt, self).setTextColor(QRgb(rt.toUint(args[0]) & TextFieldState::RgbMask));
    return Value();
}
Value getBorderColor(Runtime &rt, const Value &self, Args) { return Value::fromUint(fieldOf(rt, self).borderColor()); }
Value setBorderColor(Runtime &rt, const Value &self, Args args)
{
    fieldOf(rt, self).setBorderColor(QRgb(rt.toUint(args[0]) & TextFieldState::RgbMask));
    return Value();
}
Value getBackgroundColor(Runtime &rt, const Value &self, Args)
{
    return Value::fromUint(fieldOf(rt, self).backgroundColor());
}
Value setBackgroundColor(Runtime &rt, const Value &self, Args args)
{
    fieldOf(rt, self).setBackgroundColor(QRgb(rt.toUint(args[0]) & TextFieldState::RgbMask));
    return Value();
}
Value getBorder(Runtime &rt, const Value &self, Args) { return Value(fieldOf(rt, self).border()); }
Value setBorder(Runtime &rt, const Value &self, Args args)
{
    fieldOf(rt, self).setBorder(rt.toBoolean(args[0]));
    return Value();
}
Value getBackground(Runtime &rt, const Value &self, Args) { return Value(fieldOf(rt, self).background()); }
Value setBackground(Runtime &rt, const Value &self, Args args)
{
    fieldOf(rt, self).setBackground(rt.toBoolean(args[0]));
    return Value();
}

template <TextFieldState::Flag F> Value getFlag(Runtime &rt, const Value &self, Args)
{
    return Value(fieldOf(rt, self).flag(F));
}
template <TextFieldState::Flag F> Value setFlag(Runtime &rt, const Value &self, Args args)
{
    fieldOf(rt, self).setFlag(F, rt.toBoolean(args[0]));
    return Value();
}

Value getType(Runtime &rt, const Value &self, Args)
{
    return Value(fieldOf(rt, self).flag(TextFieldState::Flag::Input) ? "input" : "dynamic");
}
Value setType(Runtime &rt, const Value &self, Args args)
{
    const QString type = rt.toString(args[0]);
    if (type != QLatin1String("input") && type != QLatin1String("dynamic"))
        rt.throwError(ErrorType::ArgumentError, 2008, QStringList{QStringLiteral("type")});
    fieldOf(rt, self).setFlag(TextFieldState::Flag::Input, type == QLatin1String("input"));
    return Value();
}

const char *const AutoSizeNames[] = {"none", "left", "center", "right"};

Value getAutoSize(Runtime &rt, const Value &self, Args)
{
    return Value(AutoSizeNames[int(fieldOf(rt, self).autoSize())]);
}
Value setAutoSize(Runtime &rt, const Value &self, Args args)
{
    const QString name = rt.toString(args[0]);
    for (int i = 0; i < int(std::size(AutoSizeNames)); ++i)
        if (name == QLatin1String(AutoSizeNames[i])) {
            fieldOf(rt, self).setAutoSize(TextFieldState::AutoSize(i));
            return Value();
        }
    rt.throwError(ErrorType::ArgumentError, 2008, QStringList{QStringLiteral("autoSize")});
}

// A field's width and height size the field rather than scale it.
double side(Runtime &rt, const Value &v)
{
    const double d = rt.toNumber(v);
    return std::isfinite(d) ? std::clamp(d, 0.0, MaxSide) * Twips : 0;
}
Value getWidth(Runtime &rt, const Value &self, Args)
{
    return Value::number(fieldOf(rt, self).bounds().width() / Twips);
}
Value getHeight(Runtime &rt, const Value &self, Args)
{
    return Value::number(fieldOf(rt, self).bounds().height() / Twips);
}
Value setWidth(Runtime &rt, const Value &self, Args args)
{
    TextFieldState &field = fieldOf(rt, self);
    field.setSize(side(rt, args[0]), field.bounds().height());
    return Value();
}
Value setHeight(Runtime &rt, const Value &self, Args args)
{
    TextFieldState &field = fieldOf(rt, self);
    field.setSize(field.bounds().width(), side(rt, args[0]));
    return Value();
}

TextFormatValues formatArgument(Runtime &rt, const Value &v)
{
    if (v.isNullish())
        rt.throwError(ErrorType::TypeError, 2007, QStringList{QStringLiteral("format")});
    return ThisAs<TextFormatObject>(rt, v, "flash.text.TextFormat")->values;
}

Value getDefaultTextFormat(Runtime &rt, const Value &self, Args)
{
    return NewTextFormat(rt, fieldOf(rt, self).newTextFormat());
}
Value setDefaultTextFormat(Runtime &rt, const Value &self, Args args)
{
    fieldOf(rt, self).setNewTextFormat(formatArgument(rt, args[0]));
    return Value();
}

// The characters begin..end an index pair names: -1 for both is the whole text.
std::pair<int, int> rangeOf(Runtime &rt, const TextFieldState &field, Args args, int first)
{
    const int length = int(field.text().size());
    int begin = args.has(first) ? rt.toInt(args[first]) : -1;
    int end = args.has(first + 1) ? rt.toInt(args[first + 1]) : -1;
    if (begin == -1 && end == -1)
        return {0, length};
    if (end == -1)
        end = begin + 1;
    if (begin < 0 || begin > length || end > length || end < begin)
        rt.throwError(ErrorType::RangeError, TextFormatRangeError);
    return {begin, end};
}

Value setTextFormat(Runtime &rt, const Value &self, Args args)
{
    TextFieldState &field = fieldOf(rt, self);
    const TextFormatValues format = formatArgument(rt, args[0]);
    const auto [begin, end] = rangeOf(rt, field, args, 1);
    field.setTextFormat(begin, end, format);
    return Value();
}

Value getTextFormat(Runtime &rt, const Value &self, Args args)
{
    TextFieldState &field = fieldOf(rt, self);
    const auto [begin, end] = rangeOf(rt, field, args, 0);
    return NewTextFormat(rt, field.textFormat(begin, end));
}

using Flag = TextFieldState::Flag;

} // namespace

extern const NativeClass TextFieldClass = {
    "flash.text", "TextField", "flash.display::InteractiveObject", 0, CreateDisplay<TextFieldObject>, nullptr,
    nullptr,
    {
        {"text", MemberKind::Getter, getText},
        {"text", MemberKind::Setter, setText},
        {"appendText", MemberKind::Method, appendText, 1},
        {"htmlText", MemberKind::Getter, getHtmlText},
        {"htmlText", MemberKind::Setter, setHtmlText},
        {"length", MemberKind::Getter, getLength},
        {"textColor", MemberKind::Getter, getTextColor},
        {"textColor", MemberKind::Setter, setTextColor},
        {"border", MemberKind::Getter, getBorder},
        {"border", MemberKind::Setter, setBorder},
        {"borderColor", MemberKind::Getter, getBorderColor},
        {"borderColor", MemberKind::Setter, setBorderColor},
        {"background", MemberKind::Getter, getBackground},
        {"background", MemberKind::Setter, setBackground},
        {"backgroundColor", MemberKind::Getter, getBackgroundColor},
        {"backgroundColor", MemberKind::Setter, setBackgroundColor},
        {"selectable", MemberKind::Getter, getFlag<Flag::Selectable>},
        {"selectable", MemberKind::Setter, setFlag<Flag::Selectable>},
        {"multiline", MemberKind::Getter, getFlag<Flag::Multiline>},
        {"multiline", MemberKind::Setter, setFlag<Flag::Multiline>},
        {"wordWrap", MemberKind::Getter, getFlag<Flag::WordWrap>},
        {"wordWrap", MemberKind::Setter, setFlag<Flag::WordWrap>},
        {"displayAsPassword", MemberKind::Getter, getFlag<Flag::Password>},
        {"displayAsPassword", MemberKind::Setter, setFlag<Flag::Password>},
        {"embedFonts", MemberKind::Getter, getFlag<Flag::EmbedFonts>},
        {"embedFonts", MemberKind::Setter, setFlag<Flag::EmbedFonts>},
        {"type", MemberKind::Getter, getType},
        {"type", MemberKind::Setter, setType},
        {"autoSize", MemberKind::Getter, getAutoSize},
        {"autoSize", MemberKind::Setter, setAutoSize},
        {"width", MemberKind::Getter, getWidth},
        {"width", MemberKind::Setter, setWidth},
        {"height", MemberKind::Getter, getHeight},
        {"height", MemberKind::Setter, setHeight},
        {"defaultTextFormat", MemberKind::Getter, getDefaultTextFormat},
        {"defaultTextFormat", MemberKind::Setter, setDefaultTextFormat},
        {"setTextFormat", MemberKind::Method, setTextFormat, 1},
        {"getTextFormat", MemberKind::Method, getTextFormat},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
