#pragma once

#include "swf/Definitions.h"
#include "swf/TextLayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainterPath>

namespace swf {

// The fonts a movie's text fields draw with: the movie's embedded
// DefineFont2/3 outlines when a field uses them and the font has the
// glyphs, otherwise installed device fonts (_sans, _serif and _typewriter
// mapped to the sans, serif and typewriter families). Measures text for
// the layout and turns embedded text into outlines.
class FieldFonts : public TextMetrics {
public:
    explicit FieldFonts(const MovieDef &movie);

    // The field whose font and outline flag apply from now on.
    void setField(const EditTextDef &field);
    // The field's own format: its font's name and style, height and colour.
    TextFormat baseFormat() const;

    double advance(const QString &text, const TextFormat &format) override;
    double ascent(const TextFormat &format) override;
    double descent(const TextFormat &format) override;

    // The embedded font that draws the format, or null for a device font.
    const FontDef *embedded(const TextFormat &format) const;
    // The device font that draws the format, sized in twips.
    QFont deviceFont(const TextFormat &format) const;
    // The text's glyphs from an embedded font with their baseline starting at origin, in twips.
    QPainterPath outline(const FontDef &font, const QString &text, const TextFormat &format, QPointF origin);

private:
    int glyphIndex(const FontDef &font, uint code);
    double glyphAdvance(const FontDef &font, int index) const;
    const QFontMetricsF &metricsOf(const TextFormat &format);

    const MovieDef &m_movie;
    const EditTextDef *m_field = nullptr;
    // Embedded fonts with glyphs, by lower-case name.
    QMultiHash<QString, const FontDef *> m_byName;
    QHash<const FontDef *, QHash<uint, int>> m_codes;
    QHash<QString, QFontMetricsF> m_metrics;
};

// The lines of a field showing shown (in the markup field.html says).
std::vector<TextLine> LayoutField(FieldFonts &fonts, const EditTextDef &field, const QString &shown);

// The installed family a device font name maps to.
QString DeviceFamily(const QString &face);

} // namespace swf
