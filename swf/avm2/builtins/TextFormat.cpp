// flash.text.TextFormat: character and paragraph settings for text fields.
#include "swf/avm2/builtins/TextFormatObject.h"

#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

TextFormatValues &valuesOf(Runtime &rt, const Value &self)
{
    return ThisAs<TextFormatObject>(rt, self, "flash.text.TextFormat")->values;
}

Value toValue(const std::optional<QString> &v) { return v ? Value(*v) : Value::null(); }
Value toValue(const std::optional<double> &v) { return v ? Value::number(*v) : Value::null(); }
Value toValue(const std::optional<bool> &v) { return v ? Value(*v) : Value::null(); }

void fromValue(Runtime &rt, const Value &v, std::optional<QString> &out)
{
    out = v.isNullish() ? std::nullopt : std::optional<QString>(rt.toString(v));
}
void fromValue(Runtime &rt, const Value &v, std::optional<double> &out)
{
    out = v.isNullish() ? std::nullopt : std::optional<double>(rt.toNumber(v));
}
void fromValue(Runtime &rt, const Value &v, std::optional<bool> &out)
{
    out = v.isNullish() ? std::nullopt : std::optional<bool>(rt.toBoolean(v));
}

template <auto Member> Value get(Runtime &rt, const Value &self, Args) { return toValue(valuesOf(rt, self).*Member); }
template <auto Member> Value set(Runtime &rt, const Value &self, Args args)
{
    fromValue(rt, args[0], valuesOf(rt, self).*Member);
    return Value();
}

template <auto Member> NativeMember getter(const char *name) { return {name, MemberKind::Getter, get<Member>}; }
template <auto Member> NativeMember setter(const char *name) { return {name, MemberKind::Setter, set<Member>}; }

// TextFormat(font, size, color, bold, italic, underline, url, target, align,
// leftMargin, rightMargin, indent, leading): null leaves a setting unset.
Value construct(Runtime &rt, const Value &self, Args args)
{
    TextFormatValues &v = valuesOf(rt, self);
    fromValue(rt, args[0], v.font);
    fromValue(rt, args[1], v.size);
    fromValue(rt, args[2], v.color);
    fromValue(rt, args[3], v.bold);
    fromValue(rt, args[4], v.italic);
    fromValue(rt, args[5], v.underline);
    fromValue(rt, args[6], v.url);
    fromValue(rt, args[7], v.target);
    fromValue(rt, args[8], v.align);
    fromValue(rt, args[9], v.leftMargin);
    fromValue(rt, args[10], v.rightMargin);
    fromValue(rt, args[11], v.indent);
    fromValue(rt, args[12], v.leading);
    return Value();
}

using V = TextFormatValues;

std::vector<NativeMember> members()
{
    std::vector<NativeMember> list;
    const auto both = [&](NativeMember g, NativeMember s) {
        list.push_back(g);
        list.push_back(s);
    };
    both(getter<&V::font>("font"), setter<&V::font>("font"));
    both(getter<&V::size>("size"), setter<&V::size>("size"));
    both(getter<&V::color>("color"), setter<&V::color>("color"));
    both(getter<&V::bold>("bold"), setter<&V::bold>("bold"));
    both(getter<&V::italic>("italic"), setter<&V::italic>("italic"));
    both(getter<&V::underline>("underline"), setter<&V::underline>("underline"));
    both(getter<&V::url>("url"), setter<&V::url>("url"));
    both(getter<&V::target>("target"), setter<&V::target>("target"));
    both(getter<&V::align>("align"), setter<&V::align>("align"));
    both(getter<&V::leftMargin>("leftMargin"), setter<&V::leftMargin>("leftMargin"));
    both(getter<&V::rightMargin>("rightMargin"), setter<&V::rightMargin>("rightMargin"));
    both(getter<&V::indent>("indent"), setter<&V::indent>("indent"));
    both(getter<&V::leading>("leading"), setter<&V::leading>("leading"));
    both(getter<&V::blockIndent>("blockIndent"), setter<&V::blockIndent>("blockIndent"));
    both(getter<&V::letterSpacing>("letterSpacing"), setter<&V::letterSpacing>("letterSpacing"));
    both(getter<&V::bullet>("bullet"), setter<&V::bullet>("bullet"));
    both(getter<&V::kerning>("kerning"), setter<&V::kerning>("kerning"));
    return list;
}

} // namespace

Value NewTextFormat(Runtime &rt, const TextFormatValues &values)
{
    auto *format = static_cast<TextFormatObject *>(rt.allocate(rt.builtin("flash.text::TextFormat")));
    format->values = values;
    return Value(static_cast<Object *>(format));
}

extern const NativeClass TextFormatClass = {
    "flash.text", "TextFormat", "Object", 0, CreateNative<TextFormatObject>, construct, nullptr, members(), {},
    nullptr, {}, nullptr,
};

} // namespace swf::avm2
