#include "FieldHtml.h"

#include <QStringList>

#include <algorithm>

namespace swf {

namespace {

constexpr char16_t ParagraphEnd = u'\r';
constexpr uint RgbMask = 0xFFFFFF;

} // namespace

QString EscapeHtml(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'&': out += QLatin1String("&amp;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        default: out += c;
        }
    }
    return out;
}

namespace {

QString number(double value) { return QString::number(value); }

// What a <FONT> tag says.
struct FontAttributes {
    QString face, size, color, letterSpacing, kerning;

    explicit FontAttributes(const TextFormatValues &f)
        : face(f.font.value_or(QString())),
          size(number(f.size.value_or(0))),
          color(u'#' + QString::number(uint(f.color.value_or(0)) & RgbMask, 16).rightJustified(6, u'0').toUpper()),
          letterSpacing(number(f.letterSpacing.value_or(0))),
          kerning(QLatin1String(f.kerning.value_or(false) ? "1" : "0"))
    {
    }
    friend bool operator==(const FontAttributes &a, const FontAttributes &b)
    {
        return a.face == b.face && a.size == b.size && a.color == b.color && a.letterSpacing == b.letterSpacing &&
               a.kerning == b.kerning;
    }
};

// A <FONT> tag with the attributes that differ from those of the one around it (all without one).
QString fontTag(const FontAttributes &f, const FontAttributes *around)
{
    QString tag = QStringLiteral("<FONT");
    const auto add = [&](const char *name, const QString &value, const QString *was) {
        if (!was || *was != value)
            tag += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), EscapeHtml(value));
    };
    add("FACE", f.face, around ? &around->face : nullptr);
    add("SIZE", f.size, around ? &around->size : nullptr);
    add("COLOR", f.color, around ? &around->color : nullptr);
    add("LETTERSPACING", f.letterSpacing, around ? &around->letterSpacing : nullptr);
    add("KERNING", f.kerning, around ? &around->kerning : nullptr);
    return tag + u'>';
}

// The <TEXTFORMAT> a paragraph with margins, indents, leading or tab stops sits in; empty without.
QString textFormatTag(const TextFormatValues &f)
{
    QString attributes;
    const auto add = [&](const char *name, const std::optional<double> &value) {
        if (value.value_or(0) != 0)
            attributes += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), number(*value));
    };
    add("LEFTMARGIN", f.leftMargin);
    add("RIGHTMARGIN", f.rightMargin);
    add("INDENT", f.indent);
    add("BLOCKINDENT", f.blockIndent);
    add("LEADING", f.leading);
    if (f.tabStops && !f.tabStops->empty()) {
        QStringList stops;
        for (const double stop : *f.tabStops)
            stops << number(stop);
        attributes += QStringLiteral(" TABSTOPS=\"%1\"").arg(stops.join(u','));
    }
    return attributes.isEmpty() ? QString() : QStringLiteral("<TEXTFORMAT") + attributes + u'>';
}

// A run of characters in one format, inside the fonts open.
void writeRun(QString &out, QStringView text, const TextFormatValues &f, std::vector<FontAttributes> &fonts)
{
    const FontAttributes wanted(f);
    const auto open = std::find(fonts.begin(), fonts.end(), wanted);
    if (open != fonts.end()) {
        for (auto n = fonts.end() - open - 1; n > 0; --n)
            out += QLatin1String("</FONT>");
        fonts.erase(open + 1, fonts.end());
    } else {
        out += fontTag(wanted, &fonts.back());
        fonts.push_back(wanted);
    }
    QString close;
    if (const QString url = f.url.value_or(QString()); !url.isEmpty()) {
        out += QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\">").arg(EscapeHtml(url), EscapeHtml(f.target.value_or(QString())));
        close.prepend(QLatin1String("</A>"));
    }
    const std::pair<bool, const char *> styles[] = {
        {f.bold.value_or(false), "B"}, {f.italic.value_or(false), "I"}, {f.underline.value_or(false), "U"}};
    for (const auto &[on, name] : styles)
        if (on) {
            out += QStringLiteral("<%1>").arg(QLatin1String(name));
            close.prepend(QStringLiteral("</%1>").arg(QLatin1String(name)));
        }
    out += EscapeHtml(text) + close;
}

} // namespace

QString WriteFieldHtml(const QString &text, const std::vector<std::shared_ptr<const TextFormatValues>> &formats,
                       const TextFormatValues &fallback)
{
    const int length = int(std::min(text.size(), qsizetype(formats.size())));
    const auto formatAt = [&](int i) -> const TextFormatValues & {
        return i < length ? *formats[size_t(i)] : i > 0 ? *formats[size_t(i - 1)] : fallback;
    };
    QString out;
    for (int begin = 0;;) {
        int end = int(text.indexOf(ParagraphEnd, begin));
        if (end < 0 || end > length)
            end = length;
        const TextFormatValues &paragraph = formatAt(begin);
        const QString textFormat = textFormatTag(paragraph);
        const bool bullet = paragraph.bullet.value_or(false);
        out += textFormat;
        out += bullet ? QStringLiteral("<LI>")
                      : QStringLiteral("<P ALIGN=\"%1\">").arg(paragraph.align.value_or(QStringLiteral("left")).toUpper());
        std::vector<FontAttributes> fonts{FontAttributes(paragraph)};
        out += fontTag(fonts.front(), nullptr);
        for (int i = begin; i < end;) {
            int j = i + 1;
            while (j < end && formats[size_t(j)] == formats[size_t(i)])
                ++j;
            writeRun(out, QStringView(text).mid(i, j - i), *formats[size_t(i)], fonts);
            i = j;
        }
        for (size_t n = fonts.size(); n > 0; --n)
            out += QLatin1String("</FONT>");
        out += bullet ? QStringLiteral("</LI>") : QStringLiteral("</P>");
        if (!textFormat.isEmpty())
            out += QLatin1String("</TEXTFORMAT>");
        if (end >= length)
            break;
        begin = end + 1;
    }
    return out;
}

} // namespace swf
