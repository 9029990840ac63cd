#include "FieldFonts.h"

#include <QFontDatabase>

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Device font metrics kept per renderer before the cache starts again.
constexpr int MaxMetrics = 256;
// Without layout, an embedded font's ascent and descent as shares of its size.
constexpr double DefaultAscent = 0.8, DefaultDescent = 0.2;

} // namespace

QString DeviceFamily(const QString &face)
{
    const QString f = face.trimmed().toLower();
    if (f == QLatin1String("_serif") || f.contains(QLatin1String("times")) || f == QLatin1String("serif") ||
        f.contains(QLatin1String("georgia")))
        return QStringLiteral("DejaVu Serif");
    if (f == QLatin1String("_typewriter") || f.contains(QLatin1String("courier")) || f == QLatin1String("monospace"))
        return QStringLiteral("DejaVu Sans Mono");
    if (f.isEmpty() || f.startsWith(u'_') || !QFontDatabase::hasFamily(face.trimmed()))
        return QStringLiteral("DejaVu Sans");
    return face.trimmed();
}

FieldFonts::FieldFonts(const MovieDef &movie) : m_movie(movie)
{
    for (const auto &[id, character] : movie.dictionary) {
        const auto *font = dynamic_cast<const FontDef *>(character.get());
        if (font && !font->glyphs.empty())
            m_byName.insert(font->name.toLower(), font);
    }
}

void FieldFonts::setField(const EditTextDef &field)
{
    m_field = &field;
}

TextFormat FieldFonts::baseFormat() const
{
    TextFormat f;
    if (!m_field)
        return f;
    f.size = m_field->height;
    f.color = m_field->color;
    if (const auto *font = dynamic_cast<const FontDef *>(m_movie.character(m_field->fontId))) {
        f.face = font->name;
        f.bold = font->bold;
        f.italic = font->italic;
    }
    return f;
}

const FontDef *FieldFonts::embedded(const TextFormat &format) const
{
    if (!m_field || !m_field->useOutlines)
        return nullptr;
    const QList<const FontDef *> named = m_byName.values(format.face.toLower());
    const FontDef *best = nullptr;
    for (const FontDef *font : named) {
        if (font->bold == format.bold && font->italic == format.italic)
            return font;
        if (!best || font->id == m_field->fontId)
            best = font;
    }
    if (best)
        return best;
    // A face without a name of its own: the field's font, when it has outlines.
    const auto *own = dynamic_cast<const FontDef *>(m_movie.character(m_field->fontId));
    return own && !own->glyphs.empty() && (format.face.isEmpty() || own->name.isEmpty()) ? own : nullptr;
}

QFont FieldFonts::deviceFont(const TextFormat &format) const
{
    QFont font(DeviceFamily(format.face));
    font.setPixelSize(std::max(1, int(std::lround(format.size))));
    font.setBold(format.bold);
    font.setItalic(format.italic);
    font.setUnderline(format.underline);
    return font;
}

const QFontMetricsF &FieldFonts::metricsOf(const TextFormat &format)
{
    const QString key = QStringLiteral("%1|%2|%3%4").arg(format.face).arg(format.size).arg(format.bold).arg(format.italic);
    auto it = m_metrics.find(key);
    if (it == m_metrics.end()) {
        if (m_metrics.size() >= MaxMetrics)
            m_metrics.clear();
        it = m_metrics.insert(key, QFontMetricsF(deviceFont(format)));
    }
    return *it;
}

int FieldFonts::glyphIndex(const FontDef &font, uint code)
{
    auto it = m_codes.find(&font);
    if (it == m_codes.end()) {
        QHash<uint, int> codes;
        for (size_t i = 0; i < font.codes.size() && i < font.glyphs.size(); ++i)
            if (!codes.contains(uint(font.codes[i])))
                codes.insert(uint(font.codes[i]), int(i));
        it = m_codes.insert(&font, codes);
    }
    return it->value(code, -1);
}

double FieldFonts::glyphAdvance(const FontDef &font, int index) const
{
    if (font.hasLayout && index < int(font.advances.size()))
        return font.advances[size_t(index)];
    return font.glyphs[size_t(index)].boundingRect().right();
}

double FieldFonts::advance(const QString &text, const TextFormat &format)
{
    if (const FontDef *font = embedded(format)) {
        double units = 0;
        for (const QChar c : text) {
            const int index = glyphIndex(*font, c.unicode());
            if (index >= 0)
                units += glyphAdvance(*font, index);
        }
        return units * format.size / font->emSquare;
    }
    return metricsOf(format).horizontalAdvance(text);
}

double FieldFonts::ascent(const TextFormat &format)
{
    if (const FontDef *font = embedded(format))
        return font->hasLayout ? font->ascent * format.size / font->emSquare : format.size * DefaultAscent;
    return metricsOf(format).ascent();
}

double FieldFonts::descent(const TextFormat &format)
{
    if (const FontDef *font = embedded(format))
        return font->hasLayout ? font->descent * format.size / font->emSquare : format.size * DefaultDescent;
    return metricsOf(format).descent();
}

QPainterPath FieldFonts::outline(const FontDef &font, const QString &text, const TextFormat &format, QPointF origin)
{
    QPainterPath path;
    const double scale = format.size / font.emSquare;
    double x = origin.x();
    for (const QChar c : text) {
        const int index = glyphIndex(font, c.unicode());
        if (index < 0)
            continue;
        QTransform place;
        place.translate(x, origin.y());
        place.scale(scale, scale);
        path.addPath(place.map(font.glyphs[size_t(index)]));
        x += glyphAdvance(font, index) * scale;
    }
    return path;
}

std::vector<TextLine> LayoutField(FieldFonts &fonts, const EditTextDef &field, const QString &shown)
{
    fonts.setField(field);
    const TextFormat base = fonts.baseFormat();
    std::vector<TextParagraph> paragraphs =
        field.html ? ParseFieldHtml(shown, base, field.align) : PlainParagraphs(shown, base, field.align);
    if (field.password)
        for (TextParagraph &p : paragraphs)
            for (TextRun &run : p.runs)
                run.text.fill(u'*');
    FieldBox box;
    box.bounds = field.bounds;
    box.leftMargin = field.leftMargin;
    box.rightMargin = field.rightMargin;
    box.indent = field.indent;
    box.leading = field.leading;
    box.wordWrap = field.wordWrap;
    return LayoutText(paragraphs, box, fonts);
}

} // namespace swf
