#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <vector>

// What a text field shows, broken into paragraphs of styled runs (from
// plain text or the player's HTML subset), and laid out into lines.
namespace swf {

struct TextFormat {
    QString face;      // font name as the movie gives it (_sans, _serif, _typewriter for device fonts)
    double size = 240; // twips
    QColor color = Qt::black;
    bool bold = false, italic = false, underline = false;
    QString url;       // a link's target

    friend bool operator==(const TextFormat &a, const TextFormat &b)
    {
        return a.face == b.face && a.size == b.size && a.color == b.color && a.bold == b.bold &&
               a.italic == b.italic && a.underline == b.underline && a.url == b.url;
    }
    friend bool operator!=(const TextFormat &a, const TextFormat &b) { return !(a == b); }
};

struct TextRun {
    QString text;
    TextFormat format;
};

struct TextParagraph {
    int align = 0; // as EditTextDef::Align
    bool bullet = false;
    TextFormat format; // in force where it starts: an empty paragraph's line is this tall
    std::vector<TextRun> runs;
    // Line spacing and margins a <textformat> gave, in twips, added to the field's.
    double leading = 0, leftMargin = 0, rightMargin = 0, indent = 0;
};

// Most characters a field lays out; the rest is not shown.
constexpr int MaxFieldText = 65536;

// Lines break at CR, LF or CR LF; every run takes base.
std::vector<TextParagraph> PlainParagraphs(const QString &text, const TextFormat &base, int align);

// The HTML subset of text fields: <p align>, <br>, <font face size color>,
// <b>, <i>, <u>, <a href>, <li>, <textformat leftmargin rightmargin indent
// leading>, and the entities &lt; &gt; &amp; &quot; &apos; &nbsp; &#N;
// &#xN;. Unknown tags are dropped with their text kept; a size may be
// relative (+2, -1) and counts pixels.
std::vector<TextParagraph> ParseFieldHtml(const QString &html, const TextFormat &base, int align);

// Measures text as the font a format picks draws it, in twips.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual double advance(const QString &text, const TextFormat &format) = 0;
    virtual double ascent(const TextFormat &format) = 0;
    virtual double descent(const TextFormat &format) = 0;
};

// Styled text on one line; origin is where its baseline starts, in the
// field's twips.
struct TextSpan {
    QPointF origin;
    QString text;
    TextFormat format;
    double width = 0;
    // Where the span's text starts among the paragraphs' characters (each
    // paragraph break counts one); -1 for a bullet, which is no character.
    int start = 0;
};

struct TextLine {
    double top = 0, ascent = 0, descent = 0, width = 0;
    std::vector<TextSpan> spans;
    // The character the line starts with, counted as TextSpan::start.
    int start = 0;
    // Where the line's text begins, aligned, in the field's twips.
    double left = 0;
};

// The field's box and how text sits in it.
struct FieldBox {
    QRectF bounds;
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
    bool wordWrap = false;
};

// Text is inset this far (2 pixels, in twips) from the field's edges.
constexpr double FieldGutter = 40;

// Lines from the top of the field down: words wrap at spaces when the box
// asks (a word wider than the line breaks between characters), each line is
// aligned within the margins, and lines are apart by their tallest ascent
// and descent plus the leading.
std::vector<TextLine> LayoutText(const std::vector<TextParagraph> &paragraphs, const FieldBox &box,
                                 TextMetrics &metrics);

// How much text a field's lines hold against its box, in twips, and the
// lines scroll can bring to the top (counted from 1).
struct FieldExtent {
    double textWidth = 0, textHeight = 0;
    // The top line that shows the last one at the bottom.
    int maxScroll = 1;
    double maxHScroll = 0;
};
FieldExtent MeasureLines(const std::vector<TextLine> &lines, const QRectF &bounds);
// The last line shown whole (the top one at least) with line scroll at the top.
int BottomLine(const std::vector<TextLine> &lines, const QRectF &bounds, int scroll);

// Where a caret before the character at index stands: its x and the line
// it is on, by the field's lines. Past the text: after the last character.
struct CaretPlace {
    double x = 0;
    const TextLine *line = nullptr;
};
CaretPlace PlaceCaret(const std::vector<TextLine> &lines, int index, TextMetrics &metrics);
// The character a point in the field's twips is nearest to, as a caret index.
int CaretIndexAt(const std::vector<TextLine> &lines, QPointF point, TextMetrics &metrics);
// How far text scrolled to line scroll (from 1) and hscroll pixels moves, in twips.
QPointF ScrollOffset(const std::vector<TextLine> &lines, int scroll, int hscroll);
// The x of a caret before index, kept to the line's characters.
double LineCaretX(const TextLine &line, int index, TextMetrics &metrics);
// Where the line's characters end, counted as TextSpan::start.
int LineEnd(const TextLine &line);

} // namespace swf
