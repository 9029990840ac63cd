// TextField.StyleSheet: named styles read from CSS text, which text fields
// showing HTML apply to their tags. The styles live in the object's _css
// member, one plain object of text values per selector.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "TextFormat.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

const QString CssName = QStringLiteral("_css");
// Before this version, braces with white space alone between them are a fault.
constexpr int SpacedEmptyBlockVersion = 8;
// CSS names the reference player gives device fonts.
// A colour is written #RRGGBB.
constexpr int ColorDigits = 6;
constexpr int Hex = 16;
const std::pair<const char *, const char *> GenericFamilies[] = {
    {"mono", "_typewriter"}, {"sans-serif", "_sans"}, {"serif", "_serif"}};

using Declarations = std::vector<std::pair<QString, QString>>;
using Styles = std::vector<std::pair<QString, Declarations>>;

// Reads the CSS subset the reference player takes: comma-separated
// selectors, then declarations in braces. Any fault fails it all.
class CssReader {
public:
    CssReader(const QString &text, int version) : m_text(text), m_version(version) {}

    std::optional<Styles> read()
    {
        Styles styles;
        while (true) {
            std::optional<QStringList> selectors = readSelectors();
            if (!selectors)
                return std::nullopt;
            if (atEnd())
                return selectors->isEmpty() ? std::optional<Styles>(styles) : std::nullopt;
            ++m_at; // the opening brace
            std::optional<Declarations> declarations = readBlock();
            if (!declarations)
                return std::nullopt;
            for (const QString &selector : *selectors)
                styles.emplace_back(selector, *declarations);
        }
    }

private:
    bool atEnd() const { return m_at >= m_text.size(); }
    QChar peek() const { return m_text.at(m_at); }
    void skipSpace()
    {
        while (!atEnd() && peek().isSpace())
            ++m_at;
    }
    static bool isNameChar(QChar c) { return !c.isSpace() && c != u',' && c != u'{' && c != u'}' && c != u';' && c != u':'; }
    QString readName()
    {
        const qsizetype start = m_at;
        while (!atEnd() && isNameChar(peek()))
            ++m_at;
        return m_text.mid(start, m_at - start);
    }

    // Selectors up to an opening brace (or the end): names apart by commas;
    // two names apart by space alone are a fault.
    std::optional<QStringList> readSelectors()
    {
        QStringList selectors;
        bool wantsComma = false;
        while (true) {
            skipSpace();
            if (atEnd() || peek() == u'{')
                return selectors;
            if (peek() == u',') {
                ++m_at;
                wantsComma = false;
                continue;
            }
            const QString name = readName();
            if (name.isEmpty() || wantsComma)
                return std::nullopt;
            selectors << name;
            wantsComma = true;
        }
    }

    // Declarations up to the closing brace; the text may end between two.
    std::optional<Declarations> readBlock()
    {
        Declarations declarations;
        const qsizetype opened = m_at;
        while (true) {
            skipSpace();
            if (atEnd())
                return declarations;
            if (peek() == u'}') {
                if (m_version < SpacedEmptyBlockVersion && declarations.empty() && m_at > opened)
                    return std::nullopt;
                ++m_at;
                return declarations;
            }
            const QString name = readName();
            skipSpace();
            if (name.isEmpty() || atEnd() || peek() != u':')
                return std::nullopt;
            ++m_at;
            skipSpace();
            const qsizetype start = m_at;
            while (!atEnd() && peek() != u';' && peek() != u'}')
                ++m_at;
            if (atEnd())
                return std::nullopt;
            declarations.emplace_back(propertyName(name), m_text.mid(start, m_at - start));
            if (peek() == u';')
                ++m_at;
        }
    }

    // font-size becomes fontSize: a hyphen goes and the next character is
    // upper-cased; a last hyphen stays.
    static QString propertyName(const QString &css)
    {
        QString name;
        for (qsizetype i = 0; i < css.size(); ++i) {
            if (css.at(i) == u'-' && i + 1 < css.size())
                name += css.at(++i).toUpper();
            else
                name += css.at(i);
        }
        return name;
    }

    const QString &m_text;
    int m_version;
    qsizetype m_at = 0;
};

// The object's enumerable members, as for..in lists them.
std::vector<std::pair<QString, Value>> enumerableMembers(NativeCall &call, const Value &value)
{
    std::vector<std::pair<QString, Value>> members;
    const ScriptObject *object = objectOf(value);
    if (!object)
        return members;
    const MemberVisibility visibility = object->visibility();
    for (const ScriptObject::Member &member : object->members())
        if (!(member.flags & DontEnum) && !visibility.hidden(member.flags))
            members.emplace_back(member.name, call.cx.getMember(value, member.name));
    return members;
}

// A new plain object with the same enumerable members; null for non-objects.
Value copyOf(NativeCall &call, const Value &value)
{
    if (!objectOf(value))
        return Null{};
    ScriptObject *copy = call.engine().newObject();
    if (!copy)
        return Undefined{};
    for (const auto &[name, member] : enumerableMembers(call, value))
        copy->set(call.key(name), name, member);
    return copy;
}

// This object's styles, made when first wanted.
ScriptObject *stylesOf(NativeCall &call)
{
    ScriptObject *self = call.object();
    if (!self)
        return nullptr;
    if (ScriptObject *styles = objectOf(call.cx.getMember(self, CssName)))
        return styles;
    ScriptObject *styles = call.engine().newObject();
    if (styles)
        self->set(call.key(CssName), CssName, styles, DontEnum);
    return styles;
}

Value construct(NativeCall &call)
{
    if (!call.construct)
        return Undefined{};
    stylesOf(call);
    return call.self;
}

Value parseCSSInternal(NativeCall &call)
{
    const QString text = call.string(0);
    const std::optional<Styles> styles = CssReader(text, call.engine().version()).read();
    ScriptObject *result = styles ? call.engine().newObject() : nullptr;
    if (!result)
        return Null{};
    for (const auto &[selector, declarations] : *styles) {
        ScriptObject *style = call.engine().newObject();
        if (!style)
            return Null{};
        for (const auto &[name, value] : declarations)
            style->set(call.key(name), name, value);
        result->set(call.key(selector), selector, style);
    }
    return result;
}

// Each selector read replaces the style of that name; the others stay.
Value parseCSS(NativeCall &call)
{
    const Value parsed = parseCSSInternal(call);
    ScriptObject *styles = objectOf(parsed) ? stylesOf(call) : nullptr;
    if (!styles)
        return false;
    for (const auto &[name, style] : enumerableMembers(call, parsed))
        styles->set(call.key(name), name, copyOf(call, style));
    return true;
}

Value copy(NativeCall &call) { return copyOf(call, call.arg(0)); }

Value getStyle(NativeCall &call)
{
    ScriptObject *styles = stylesOf(call);
    return styles ? copyOf(call, call.cx.getMember(styles, call.string(0))) : Value(Null{});
}

// A style that is not an object removes the name.
Value setStyle(NativeCall &call)
{
    ScriptObject *styles = stylesOf(call);
    if (!styles)
        return Undefined{};
    const QString name = call.string(0);
    if (objectOf(call.arg(1)))
        styles->set(call.key(name), name, copyOf(call, call.arg(1)));
    else
        styles->remove(call.key(name));
    return Undefined{};
}

Value getStyleNames(NativeCall &call)
{
    std::vector<Value> names;
    if (ScriptObject *styles = stylesOf(call))
        for (const auto &member : enumerableMembers(call, styles))
            names.emplace_back(member.first);
    return ObjectValue(call.engine().newArray(std::move(names)));
}

Value clear(NativeCall &call)
{
    ScriptObject *self = call.object();
    ScriptObject *styles = self ? call.engine().newObject() : nullptr;
    if (styles)
        self->set(call.key(CssName), CssName, styles, DontEnum);
    return Undefined{};
}

// Objects take their text; the generic names become device fonts.
Value parseCSSFontFamily(NativeCall &call)
{
    const Value &family = call.arg(0);
    if (!objectOf(family) && !std::holds_alternative<ClipRef>(family) && !std::holds_alternative<QString>(family))
        return family;
    const QString text = call.string(0);
    for (const auto &[css, device] : GenericFamilies)
        if (text.compare(QLatin1String(css), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(device);
    return text;
}

// "#RRGGBB" as a number; anything else is not a colour.
Value parseColor(NativeCall &call)
{
    const QString text = call.string(0);
    bool ok = false;
    const uint rgb = text.mid(1).toUInt(&ok, Hex);
    if (text.size() != ColorDigits + 1 || text.at(0) != u'#' || !ok)
        return Null{};
    return double(rgb);
}

// A number at the start of text ("12px"), if any.
std::optional<double> leadingNumber(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && (text.at(end).isDigit() || (end == 0 && text.at(end) == u'-')))
        ++end;
    bool ok = false;
    const int number = text.left(end).toInt(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

// A style's CSS properties as a TextFormat.
Value transform(NativeCall &call)
{
    const Value &style = call.arg(0);
    if (!objectOf(style))
        return Null{};
    const auto text = [&](const char *name) -> std::optional<QString> {
        const Value v = call.cx.getMember(style, QLatin1String(name));
        return isNullish(v) ? std::nullopt : std::optional<QString>(call.cx.toString(v));
    };
    TextFormatValues values;
    if (const auto color = text("color"); color && color->startsWith(u'#'))
        values.color = color->mid(1).toUInt(nullptr, Hex);
    if (const auto display = text("display"))
        values.display = *display;
    if (const auto family = text("fontFamily"))
        values.font = *family;
    if (const auto size = text("fontSize"))
        values.size = leadingNumber(*size);
    if (const auto style = text("fontStyle"))
        values.italic = *style == QLatin1String("italic");
    if (const auto weight = text("fontWeight"))
        values.bold = *weight == QLatin1String("bold");
    if (const auto kerning = text("kerning"))
        values.kerning = *kerning == QLatin1String("true");
    if (const auto leading = text("leading"))
        values.leading = leadingNumber(*leading);
    if (const auto spacing = text("letterSpacing"))
        values.letterSpacing = leadingNumber(*spacing);
    if (const auto margin = text("marginLeft"))
        values.leftMargin = leadingNumber(*margin);
    if (const auto margin = text("marginRight"))
        values.rightMargin = leadingNumber(*margin);
    if (const auto align = text("textAlign"))
        values.align = align->toLower();
    if (const auto decoration = text("textDecoration"))
        values.underline = *decoration == QLatin1String("underline");
    if (const auto indent = text("textIndent"))
        values.indent = leadingNumber(*indent);
    return ObjectValue(NewTextFormatObject(call.cx, values));
}

} // namespace

// Installed under TextField, which must come first in the registry.
const ClassDecl StyleSheetClass{
    "TextField.StyleSheet",
    construct,
    {{"_copy", copy},
     {"clear", clear},
     {"getStyle", getStyle},
     {"getStyleNames", getStyleNames},
     {"parseCSS", parseCSS},
     {"parseCSSFontFamily", parseCSSFontFamily},
     {"parseCSSInternal", parseCSSInternal},
     {"parseColor", parseColor},
     {"setStyle", setStyle},
     {"transform", transform}},
    {},
    {},
    7,
    BuiltinFlags,
    BuiltinFlags,
};

} // namespace swf
