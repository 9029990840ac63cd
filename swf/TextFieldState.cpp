#include "TextFieldState.h"

#include "swf/FieldHtml.h"
#include "swf/TextLayout.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;
constexpr int MaxEntityLength = 10;
constexpr char16_t ParagraphEnd = u'\r';
constexpr int FirstVersionJoiningBreaks = 7;

// What the reference player names the font of a field that names none.
const QString DefaultFace = QStringLiteral("Times New Roman");

// The character an entity such as "amp" or "#65" stands for, or nothing.
std::optional<QChar> entity(const QString &name)
{
    static const QHash<QString, QChar> named{{QStringLiteral("lt"), u'<'},   {QStringLiteral("gt"), u'>'},
                                             {QStringLiteral("amp"), u'&'},  {QStringLiteral("quot"), u'"'},
                                             {QStringLiteral("apos"), u'\''}, {QStringLiteral("nbsp"), QChar(0xA0)}};
    if (const auto it = named.find(name.toLower()); it != named.end())
        return *it;
    if (!name.startsWith(u'#'))
        return std::nullopt;
    bool ok = false;
    const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                                 : name.mid(1).toUInt(&ok);
    return ok && code > 0 && code <= 0xFFFF ? std::optional<QChar>(QChar(char16_t(code))) : std::nullopt;
}

// The value of a tag's attribute, quoted with ' or ", or nothing.
std::optional<QString> attribute(const QString &tag, const char *name)
{
    static const QString pattern = QStringLiteral("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')");
    const QRegularExpression re(pattern.arg(QLatin1String(name)), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(tag);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).isNull() ? m.captured(2) : m.captured(1);
}

// What an opening tag changes in the format of the text inside it.
void applyTag(const QString &name, const QString &tag, TextFormatValues &f)
{
    if (name == QLatin1String("b")) {
        f.bold = true;
    } else if (name == QLatin1String("i")) {
        f.italic = true;
    } else if (name == QLatin1String("u")) {
        f.underline = true;
    } else if (name == QLatin1String("li")) {
        f.bullet = true;
    } else if (name == QLatin1String("p")) {
        if (const std::optional<QString> align = attribute(tag, "align"))
            f.align = align->toLower();
    } else if (name == QLatin1String("a")) {
        f.url = attribute(tag, "href").value_or(QString());
        f.target = attribute(tag, "target").value_or(QString());
    } else if (name == QLatin1String("font")) {
        if (const std::optional<QString> face = attribute(tag, "face"))
            f.font = *face;
        bool ok = false;
        if (const double size = attribute(tag, "size").value_or(QString()).toDouble(&ok); ok && size > 0)
            f.size = size;
        if (const std::optional<QString> color = attribute(tag, "color"); color && color->startsWith(u'#'))
            if (const uint rgb = color->mid(1).toUInt(&ok, 16); ok)
                f.color = double(rgb & TextFieldState::RgbMask);
    }
}

// Tags whose format lasts until they close.
bool isFormatTag(const QString &name)
{
    static const QStringList tags{"b", "i", "u", "li", "p", "a", "font", "textformat"};
    return tags.contains(name);
}

bool sameFormat(const TextFormatValues &a, const TextFormatValues &b);

struct ParsedHtml {
    QString text;
    std::vector<SharedFormat> formats;
    SharedFormat last; // characters in a row with one format share it

    void add(QChar c, const TextFormatValues &format)
    {
        if (text.size() >= MaxFieldText)
            return;
        if (!last || !sameFormat(*last, format))
            last = std::make_shared<const TextFormatValues>(format);
        text += c;
        formats.push_back(last);
    }
};

// The text of the player's HTML with a format a character: tags dropped,
// line breaks and paragraphs as carriage returns, entities decoded. A
// paragraph's end waits for text after it, so the last paragraph ends with
// the text. From version 7 a carriage return there makes no second one and
// the end takes the format after the paragraph; before, it is a character
// of its own with the paragraph's format.
ParsedHtml parseHtml(const QString &html, const TextFormatValues &base, int version)
{
    ParsedHtml out;
    std::vector<std::pair<QString, TextFormatValues>> open; // the tags open, with the format before each
    TextFormatValues current = base;
    bool paragraphEnds = false;
    const bool endsApart = version < FirstVersionJoiningBreaks;
    TextFormatValues endFormat;
    auto put = [&](QChar c) {
        if (paragraphEnds && endsApart)
            out.add(ParagraphEnd, endFormat);
        else if (paragraphEnds && c != ParagraphEnd)
            out.add(ParagraphEnd, current);
        paragraphEnds = false;
        out.add(c, current);
    };
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c == u'<') {
            const qsizetype close = html.indexOf(u'>', i);
            if (close < 0)
                break;
            const QString tag = html.mid(i + 1, close - i - 1);
            const bool closing = tag.startsWith(u'/');
            QString name = tag.mid(closing ? 1 : 0).section(u' ', 0, 0).toLower();
            if (name.endsWith(u'/'))
                name.chop(1);
            i = close;
            if (name == QLatin1String("br")) {
                put(ParagraphEnd);
            } else if (closing) {
                const auto it = std::find_if(open.rbegin(), open.rend(), [&](const auto &o) { return o.first == name; });
                const bool endsParagraph = name == QLatin1String("p") || name == QLatin1String("li");
                if (endsParagraph && !paragraphEnds)
                    endFormat = current;
                if (it != open.rend()) {
                    current = it->second;
                    open.erase(std::next(it).base(), open.end());
                }
                paragraphEnds = paragraphEnds || endsParagraph;
            } else if (isFormatTag(name) && open.size() < size_t(MaxFieldText)) {
                open.emplace_back(name, current);
                applyTag(name, tag, current);
            }
            continue;
        }
        if (c == u'&') {
            // Only a short name can be an entity: the search stops there.
            const qsizetype found = QStringView(html).mid(i, MaxEntityLength + 1).indexOf(u';');
            const qsizetype semi = found < 0 ? -1 : i + found;
            if (semi > i)
                if (const std::optional<QChar> decoded = entity(html.mid(i + 1, semi - i - 1))) {
                    put(*decoded);
                    i = semi;
                    continue;
                }
        }
        put(c);
    }
    return out;
}

// Calls f on each property of two formats in turn.
template <typename F> void eachProperty(TextFormatValues &a, const TextFormatValues &b, F f)
{
    f(a.font, b.font), f(a.url, b.url), f(a.target, b.target), f(a.align, b.align);
    f(a.size, b.size), f(a.color, b.color), f(a.leftMargin, b.leftMargin), f(a.rightMargin, b.rightMargin);
    f(a.indent, b.indent), f(a.leading, b.leading), f(a.blockIndent, b.blockIndent);
    f(a.letterSpacing, b.letterSpacing), f(a.bold, b.bold), f(a.italic, b.italic), f(a.underline, b.underline);
    f(a.bullet, b.bullet), f(a.kerning, b.kerning), f(a.tabStops, b.tabStops);
}

// What a field's text takes before a script says otherwise.
TextFormatValues defaultFormat(const EditTextDef &definition)
{
    TextFormatValues f;
    f.font = DefaultFace;
    f.size = definition.height / TwipsPerPixel;
    f.color = double(definition.color.rgb() & TextFieldState::RgbMask);
    f.bold = f.italic = f.underline = f.bullet = f.kerning = false;
    f.url = f.target = QString();
    static const char *const AlignNames[] = {"left", "right", "center", "justify"};
    f.align = QString::fromLatin1(AlignNames[std::clamp(definition.align, 0, int(std::size(AlignNames)) - 1)]);
    f.leftMargin = definition.leftMargin / TwipsPerPixel;
    f.rightMargin = definition.rightMargin / TwipsPerPixel;
    f.indent = definition.indent / TwipsPerPixel;
    f.leading = definition.leading / TwipsPerPixel;
    f.blockIndent = f.letterSpacing = 0.0;
    f.tabStops = std::vector<double>();
    return f;
}

bool sameFormat(const TextFormatValues &a, const TextFormatValues &b)
{
    TextFormatValues first = a;
    bool same = true;
    eachProperty(first, b, [&same](const auto &x, const auto &y) { same = same && x == y; });
    return same;
}

void overlay(TextFormatValues &onto, const TextFormatValues &format)
{
    eachProperty(onto, format, [](auto &to, const auto &from) {
        if (from)
            to = from;
    });
}

} // namespace

const EditTextDef &ScriptFieldDefinition()
{
    static const EditTextDef made = [] {
        EditTextDef d;
        d.readOnly = true; // dynamic text until a script makes it input
        return d;
    }();
    return made;
}

TextFieldState::TextFieldState(const EditTextDef &definition)
    : m_look(definition), m_newFormat(defaultFormat(definition))
{
    m_border = m_background = definition.border;
    m_borderColor = definition.borderColor.rgb() & RgbMask;
    m_backgroundColor = definition.backgroundColor.rgb() & RgbMask;
    m_autoSize = definition.autoSize ? AutoSize::Left : AutoSize::None;
    m_shown = definition.text;
    if (definition.html) {
        takeHtml(definition.text);
    } else {
        m_text = definition.text;
        m_formats.assign(size_t(m_text.size()), std::make_shared<const TextFormatValues>(m_newFormat));
    }
    changed();
}

void TextFieldState::changed()
{
    const int length = int(m_text.size());
    m_caret = std::clamp(m_caret, 0, length);
    m_anchor = std::clamp(m_anchor, 0, length);
    // The definition has one flag for border and background; a colour with
    // no alpha leaves out the one that is off.
    m_look.border = m_border || m_background;
    m_look.borderColor = m_border ? QColor(m_borderColor) : QColor(Qt::transparent);
    m_look.backgroundColor = m_background ? QColor(m_backgroundColor) : QColor(Qt::transparent);
    ++m_revision;
}

void TextFieldState::setText(const QString &text)
{
    m_text = text;
    m_formats.assign(size_t(text.size()), std::make_shared<const TextFormatValues>(m_newFormat));
    m_shown = m_look.html ? EscapeHtml(text) : text;
    changed();
}

QString TextFieldState::htmlText() const
{
    // An empty field has no paragraph to write.
    if (!m_look.html || m_text.isEmpty())
        return m_text;
    return WriteFieldHtml(m_text, m_formats, m_newFormat);
}

void TextFieldState::setHtmlText(const QString &html, int version)
{
    if (!m_look.html) {
        setText(html);
        return;
    }
    takeHtml(html, version);
    m_shown = html;
    changed();
}

void TextFieldState::replaceText(int begin, int end, const QString &text)
{
    const int length = int(m_text.size());
    begin = std::clamp(begin, 0, length);
    end = std::clamp(end, begin, length);
    // The new text takes the format of what follows it.
    const SharedFormat format =
        end < length ? m_formats[size_t(end)] : std::make_shared<const TextFormatValues>(m_newFormat);
    std::vector<SharedFormat> formats(m_formats.begin(), m_formats.begin() + begin);
    formats.insert(formats.end(), size_t(text.size()), format);
    formats.insert(formats.end(), m_formats.begin() + end, m_formats.end());
    m_text = m_text.left(begin) + text + m_text.mid(end);
    m_formats = std::move(formats);
    m_shown = m_look.html ? EscapeHtml(m_text) : m_text;
    changed();
}

TextFormatValues TextFieldState::textFormat(int begin, int end) const
{
    const int length = int(m_formats.size());
    begin = std::clamp(begin, 0, length);
    end = std::clamp(end, begin, length);
    if (begin == end)
        return TextFormatValues{};
    TextFormatValues shared = *m_formats[size_t(begin)];
    for (int i = begin + 1; i < end; ++i)
        eachProperty(shared, *m_formats[size_t(i)], [](auto &common, const auto &other) {
            if (common != other)
                common.reset();
        });
    return shared;
}

void TextFieldState::setTextFormat(int begin, int end, const TextFormatValues &format)
{
    overlayRange(begin, end, format);
    changed();
}

void TextFieldState::overlayRange(int begin, int end, const TextFormatValues &format)
{
    const int length = int(m_formats.size());
    begin = std::clamp(begin, 0, length);
    end = std::clamp(end, begin, length);
    SharedFormat from, to;
    for (int i = begin; i < end; ++i) {
        if (m_formats[size_t(i)] != from) {
            from = m_formats[size_t(i)];
            TextFormatValues changed = *from;
            overlay(changed, format);
            to = std::make_shared<const TextFormatValues>(std::move(changed));
        }
        m_formats[size_t(i)] = to;
    }
}

void TextFieldState::setNewTextFormat(const TextFormatValues &format) { overlay(m_newFormat, format); }

void TextFieldState::takeFirstFormatAsNew()
{
    if (!m_formats.empty())
        m_newFormat = *m_formats.front();
}

void TextFieldState::takeHtml(const QString &html, int version)
{
    ParsedHtml parsed = parseHtml(html, m_newFormat, version);
    m_text = std::move(parsed.text);
    m_formats = std::move(parsed.formats);
}

void TextFieldState::setHtml(bool html)
{
    if (html == m_look.html)
        return;
    m_look.html = html;
    m_shown = html ? EscapeHtml(m_text) : m_text;
    changed();
}

void TextFieldState::setSize(double width, double height)
{
    m_look.bounds.setSize(QSizeF(std::max(width, 0.0), std::max(height, 0.0)));
    changed();
}

void TextFieldState::setBorder(bool on)
{
    m_border = on;
    changed();
}

void TextFieldState::setBackground(bool on)
{
    m_background = on;
    changed();
}

void TextFieldState::setBorderColor(QRgb rgb)
{
    m_borderColor = rgb & RgbMask;
    changed();
}

void TextFieldState::setBackgroundColor(QRgb rgb)
{
    m_backgroundColor = rgb & RgbMask;
    changed();
}

void TextFieldState::setTextColor(QRgb rgb)
{
    m_look.color = QColor(rgb & RgbMask);
    TextFormatValues coloured;
    coloured.color = double(rgb & RgbMask);
    overlayRange(0, int(m_formats.size()), coloured);
    overlay(m_newFormat, coloured);
    changed();
}

void TextFieldState::setSelection(int anchor, int caret)
{
    m_anchor = anchor;
    m_caret = caret;
    changed();
}

void TextFieldState::setScroll(int line)
{
    m_scroll = line;
    changed();
}

void TextFieldState::setHScroll(int pixels)
{
    m_hscroll = pixels;
    changed();
}

void TextFieldState::setFocused(bool focused)
{
    m_focused = focused;
    m_caretShown = focused;
    changed();
}

void TextFieldState::setCaretShown(bool shown)
{
    m_caretShown = shown;
    changed();
}

bool TextFieldState::flag(Flag which) const
{
    switch (which) {
    case Flag::Multiline: return m_look.multiline;
    case Flag::WordWrap: return m_look.wordWrap;
    case Flag::Password: return m_look.password;
    case Flag::Selectable: return m_look.selectable;
    case Flag::EmbedFonts: return m_look.useOutlines;
    case Flag::Input: return !m_look.readOnly;
    }
    return false;
}

void TextFieldState::setFlag(Flag which, bool on)
{
    switch (which) {
    case Flag::Multiline: m_look.multiline = on; break;
    case Flag::WordWrap: m_look.wordWrap = on; break;
    case Flag::Password: m_look.password = on; break;
    case Flag::Selectable: m_look.selectable = on; break;
    case Flag::EmbedFonts: m_look.useOutlines = on; break;
    case Flag::Input: m_look.readOnly = !on; break;
    }
    changed();
}

} // namespace swf
