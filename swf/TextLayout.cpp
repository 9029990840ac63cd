#include "TextLayout.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace swf {

namespace {

constexpr double Twips = 20;
// Font sizes an HTML field may ask for, in pixels.
constexpr double MinFontSize = 1, MaxFontSize = 1000;
// Longest entity name looked for after an ampersand.
constexpr int MaxEntity = 10;
// Deepest nesting of style tags kept; deeper ones style nothing more.
constexpr int MaxTagDepth = 256;
constexpr double TwipsPerPixel = 20;
const QString Bullet = QStringLiteral("\u2022  ");

int alignNamed(const QString &name, int current)
{
    const QString n = name.toLower();
    if (n == QLatin1String("left"))
        return 0;
    if (n == QLatin1String("right"))
        return 1;
    if (n == QLatin1String("center"))
        return 2;
    if (n == QLatin1String("justify"))
        return 3;
    return current;
}

struct Tag {
    QString name;
    bool closing = false;
    QHash<QString, QString> attributes; // names in lower case
};

Tag parseTag(const QString &inside)
{
    Tag tag;
    int i = 0;
    const int n = int(inside.size());
    while (i < n && inside[i].isSpace())
        ++i;
    if (i < n && inside[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    const int nameStart = i;
    while (i < n && !inside[i].isSpace() && inside[i] != u'/')
        ++i;
    tag.name = inside.mid(nameStart, i - nameStart).toLower();
    while (i < n) {
        while (i < n && (inside[i].isSpace() || inside[i] == u'/'))
            ++i;
        const int keyStart = i;
        while (i < n && inside[i] != u'=' && !inside[i].isSpace())
            ++i;
        const QString key = inside.mid(keyStart, i - keyStart).toLower();
        while (i < n && inside[i].isSpace())
            ++i;
        QString value;
        if (i < n && inside[i] == u'=') {
            ++i;
            while (i < n && inside[i].isSpace())
                ++i;
            if (i < n && (inside[i] == u'"' || inside[i] == u'\'')) {
                const QChar quote = inside[i++];
                const int end = int(inside.indexOf(quote, i));
                const int stop = end < 0 ? n : end;
                value = inside.mid(i, stop - i);
                i = stop + 1;
            } else {
                const int valueStart = i;
                while (i < n && !inside[i].isSpace())
                    ++i;
                value = inside.mid(valueStart, i - valueStart);
            }
        }
        if (!key.isEmpty())
            tag.attributes.insert(key, value);
    }
    return tag;
}

std::optional<QString> entity(const QString &name)
{
    if (name == QLatin1String("lt"))
        return QStringLiteral("<");
    if (name == QLatin1String("gt"))
        return QStringLiteral(">");
    if (name == QLatin1String("amp"))
        return QStringLiteral("&");
    if (name == QLatin1String("quot"))
        return QStringLiteral("\"");
    if (name == QLatin1String("apos"))
        return QStringLiteral("'");
    if (name == QLatin1String("nbsp"))
        return QString(QChar(0xA0));
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                                   : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
            const char32_t c = code;
            return QString::fromUcs4(&c, 1);
        }
    }
    return std::nullopt;
}

// Builds paragraphs as the parser walks the text.
class Builder {
public:
    Builder(const TextFormat &base, int align) : m_align(align)
    {
        m_styles.push_back({QString(), base});
        m_paragraphs.emplace_back();
        m_paragraphs.back().align = align;
        m_paragraphs.back().format = base;
    }

    const TextFormat &format() const { return m_styles.back().second; }
    void pushStyle(const QString &tag, const TextFormat &format)
    {
        if (m_styles.size() < size_t(MaxTagDepth))
            m_styles.push_back({tag, format});
    }
    void popStyle(const QString &tag)
    {
        for (size_t i = m_styles.size(); i-- > 1;) {
            if (m_styles[i].first == tag) {
                m_styles.resize(i);
                return;
            }
        }
    }

    void text(const QString &s)
    {
        if (s.isEmpty() || m_length >= MaxFieldText)
            return;
        const QString part = s.left(MaxFieldText - m_length);
        m_length += int(part.size());
        settle();
        std::vector<TextRun> &runs = m_paragraphs.back().runs;
        if (!runs.empty() && runs.back().format == format())
            runs.back().text += part;
        else
            runs.push_back({part, format()});
    }

    // A line break within the paragraph's alignment.
    void lineBreak()
    {
        settle();
        const TextParagraph &last = m_paragraphs.back();
        startParagraph(last.align, false);
    }
    // Opens a block (<p>, <li>): its own paragraph unless the current one is still empty.
    void openBlock(int align, bool bullet)
    {
        settle();
        if (!m_paragraphs.back().runs.empty())
            startParagraph(align, bullet);
        m_paragraphs.back().align = align;
        m_paragraphs.back().bullet = bullet;
    }
    // Closes a block: what follows starts a new paragraph.
    void closeBlock() { m_pendingBreak = true; }

    void pushBlockFormat(const TextParagraph &format)
    {
        m_blocks.push_back(format);
        if (m_paragraphs.back().runs.empty())
            applyBlock(m_paragraphs.back());
    }
    void popBlockFormat()
    {
        if (!m_blocks.empty())
            m_blocks.pop_back();
    }
    const TextParagraph *blockFormat() const { return m_blocks.empty() ? nullptr : &m_blocks.back(); }
    int align() const { return m_paragraphs.back().align; }
    int outerAlign() const { return m_align; }

    std::vector<TextParagraph> take() { return std::move(m_paragraphs); }

private:
    void settle()
    {
        if (m_pendingBreak) {
            m_pendingBreak = false;
            startParagraph(m_align, false);
        }
    }
    void startParagraph(int align, bool bullet)
    {
        if (m_paragraphs.size() >= size_t(MaxFieldText))
            return;
        TextParagraph p;
        p.align = align;
        p.bullet = bullet;
        p.format = format();
        applyBlock(p);
        m_paragraphs.push_back(std::move(p));
    }
    void applyBlock(TextParagraph &p) const
    {
        if (m_blocks.empty())
            return;
        const TextParagraph &b = m_blocks.back();
        p.leading = b.leading;
        p.leftMargin = b.leftMargin;
        p.rightMargin = b.rightMargin;
        p.indent = b.indent;
    }

    int m_align;
    std::vector<std::pair<QString, TextFormat>> m_styles;
    std::vector<TextParagraph> m_blocks;
    std::vector<TextParagraph> m_paragraphs;
    bool m_pendingBreak = false;
    int m_length = 0;
};

double pixelsOf(const QString &value, double fallback)
{
    bool ok = false;
    const double v = value.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v * Twips : fallback;
}

void applyTag(Builder &b, const Tag &tag)
{
    const QString &name = tag.name;
    if (name == QLatin1String("br")) {
        if (!tag.closing)
            b.lineBreak();
    } else if (name == QLatin1String("p") || name == QLatin1String("li")) {
        if (tag.closing)
            b.closeBlock();
        else
            b.openBlock(alignNamed(tag.attributes.value(QStringLiteral("align")),
                                   name == QLatin1String("li") ? b.align() : b.outerAlign()),
                        name == QLatin1String("li"));
    } else if (name == QLatin1String("b") || name == QLatin1String("i") || name == QLatin1String("u") ||
               name == QLatin1String("font") || name == QLatin1String("a")) {
        if (tag.closing) {
            b.popStyle(name);
            return;
        }
        TextFormat f = b.format();
        if (name == QLatin1String("b"))
            f.bold = true;
        else if (name == QLatin1String("i"))
            f.italic = true;
        else if (name == QLatin1String("u"))
            f.underline = true;
        else if (name == QLatin1String("a"))
            f.url = tag.attributes.value(QStringLiteral("href"));
        else {
            if (tag.attributes.contains(QStringLiteral("face")))
                f.face = tag.attributes.value(QStringLiteral("face"));
            const QString size = tag.attributes.value(QStringLiteral("size")).trimmed();
            bool ok = false;
            const double pixels = size.toDouble(&ok);
            if (ok && std::isfinite(pixels)) {
                const bool relative = size.startsWith(u'+') || size.startsWith(u'-');
                const double px = relative ? f.size / Twips + pixels : pixels;
                f.size = std::clamp(px, MinFontSize, MaxFontSize) * Twips;
            }
            const QString colour = tag.attributes.value(QStringLiteral("color")).trimmed();
            if (colour.startsWith(u'#') && colour.size() == 7) {
                const uint rgb = colour.mid(1).toUInt(&ok, 16);
                if (ok)
                    f.color = QColor::fromRgb(QRgb(rgb));
            }
        }
        b.pushStyle(name, f);
    } else if (name == QLatin1String("textformat")) {
        if (tag.closing) {
            b.popBlockFormat();
            return;
        }
        TextParagraph f = b.blockFormat() ? *b.blockFormat() : TextParagraph{};
        const auto &a = tag.attributes;
        f.leading = pixelsOf(a.value(QStringLiteral("leading")), f.leading);
        f.leftMargin = std::max(0.0, pixelsOf(a.value(QStringLiteral("leftmargin")), f.leftMargin));
        f.rightMargin = std::max(0.0, pixelsOf(a.value(QStringLiteral("rightmargin")), f.rightMargin));
        f.indent = pixelsOf(a.value(QStringLiteral("indent")), f.indent);
        b.pushBlockFormat(f);
    }
}

// Splits text into runs of spaces and runs of anything else.
std::vector<QString> pieces(const QString &text)
{
    std::vector<QString> out;
    int start = 0;
    for (int i = 1; i <= text.size(); ++i) {
        if (i == text.size() || (text[i] == u' ') != (text[i - 1] == u' ')) {
            out.push_back(text.mid(start, i - start));
            start = i;
        }
    }
    return out;
}

// Fills lines of one paragraph.
class LineMaker {
public:
    LineMaker(const TextParagraph &p, const FieldBox &box, TextMetrics &metrics, double &y,
              std::vector<TextLine> &lines)
        : m_p(p), m_box(box), m_metrics(metrics), m_y(y), m_lines(lines)
    {
        m_left = box.bounds.left() + FieldGutter + box.leftMargin + p.leftMargin;
        m_available = box.bounds.width() - 2 * FieldGutter - box.leftMargin - box.rightMargin - p.leftMargin -
                      p.rightMargin;
    }

    // The paragraph's characters start at index among the field's.
    void startAt(int index)
    {
        m_index = index;
        m_line.start = index;
    }
    int next() const { return m_index; }

    // A bullet stands before the paragraph's text but is none of it.
    void addBullet(const QString &bullet, const TextFormat &f)
    {
        const int index = m_index;
        m_index = -1;
        put(bullet, f, m_metrics.advance(bullet, f));
        m_index = index;
    }

    void add(const QString &text, const TextFormat &f)
    {
        const bool space = text.startsWith(u' ');
        const double w = m_metrics.advance(text, f);
        if (space) {
            if (m_line.spans.empty() && m_wrapped) {
                m_index += int(text.size());
                m_line.start = m_index;
                return; // a wrapped line starts with its next word
            }
            put(text, f, w);
            m_trailing += w;
            return;
        }
        if (m_box.wordWrap && !m_line.spans.empty() && m_x + w > lineAvailable())
            finish(true);
        if (m_box.wordWrap && m_x + w > lineAvailable() && text.size() > 1) {
            // Wider than a line: break between characters.
            for (const QChar c : text) {
                const QString one(c);
                const double cw = m_metrics.advance(one, f);
                if (!m_line.spans.empty() && m_x + cw > lineAvailable())
                    finish(true);
                put(one, f, cw);
            }
            m_trailing = 0;
            return;
        }
        put(text, f, w);
        m_trailing = 0;
    }

    void finish(bool wrapping)
    {
        TextLine &line = m_line;
        line.width = m_x - m_trailing;
        line.ascent = 0;
        line.descent = 0;
        if (line.spans.empty()) {
            line.ascent = m_metrics.ascent(m_p.format);
            line.descent = m_metrics.descent(m_p.format);
        }
        for (const TextSpan &s : line.spans) {
            line.ascent = std::max(line.ascent, m_metrics.ascent(s.format));
            line.descent = std::max(line.descent, m_metrics.descent(s.format));
        }
        const double indent = m_first ? m_box.indent + m_p.indent : 0;
        double offset = indent;
        if (m_p.align == 1)
            offset = indent + lineAvailable() - line.width;
        else if (m_p.align == 2)
            offset = indent + (lineAvailable() - line.width) / 2;
        line.top = m_y;
        line.left = m_left + offset;
        for (TextSpan &s : line.spans)
            s.origin = QPointF(m_left + offset + s.origin.x(), m_y + line.ascent);
        m_y += line.ascent + line.descent + m_box.leading + m_p.leading;
        m_lines.push_back(std::move(line));
        m_line = TextLine();
        m_line.start = m_index;
        m_x = 0;
        m_trailing = 0;
        m_first = false;
        m_wrapped = wrapping;
    }

private:
    double lineAvailable() const { return m_available - (m_first ? m_box.indent + m_p.indent : 0); }

    // Spans join only where their characters follow each other.
    void put(const QString &text, const TextFormat &f, double w)
    {
        TextSpan *last = m_line.spans.empty() ? nullptr : &m_line.spans.back();
        if (last && last->format == f && m_index >= 0 && last->start >= 0 &&
            last->start + int(last->text.size()) == m_index) {
            last->text += text;
            last->width += w;
        } else {
            m_line.spans.push_back({QPointF(m_x, 0), text, f, w, m_index});
        }
        m_x += w;
        if (m_index >= 0)
            m_index += int(text.size());
    }

    const TextParagraph &m_p;
    const FieldBox &m_box;
    TextMetrics &m_metrics;
    double &m_y;
    std::vector<TextLine> &m_lines;
    TextLine m_line;
    double m_left = 0, m_available = 0, m_x = 0, m_trailing = 0;
    bool m_first = true, m_wrapped = false;
    int m_index = 0;
};

} // namespace

std::vector<TextParagraph> PlainParagraphs(const QString &text, const TextFormat &base, int align)
{
    Builder b(base, align);
    const QString shown = text.left(MaxFieldText);
    int start = 0;
    for (int i = 0; i <= shown.size(); ++i) {
        if (i < shown.size() && shown[i] != u'\r' && shown[i] != u'\n')
            continue;
        b.text(shown.mid(start, i - start));
        if (i < shown.size()) {
            if (shown[i] == u'\r' && i + 1 < shown.size() && shown[i + 1] == u'\n')
                ++i;
            b.lineBreak();
        }
        start = i + 1;
    }
    return b.take();
}

std::vector<TextParagraph> ParseFieldHtml(const QString &html, const TextFormat &base, int align)
{
    Builder b(base, align);
    const int n = int(html.size());
    QString pending;
    const auto flush = [&] {
        b.text(pending);
        pending.clear();
    };
    for (int i = 0; i < n; ++i) {
        const QChar c = html[i];
        if (c == u'<') {
            const int end = int(html.indexOf(u'>', i + 1));
            if (end < 0)
                break; // an unclosed tag ends the text
            flush();
            applyTag(b, parseTag(html.mid(i + 1, end - i - 1)));
            i = end;
        } else if (c == u'&') {
            const int end = int(html.indexOf(u';', i + 1));
            const std::optional<QString> decoded =
                end > i && end - i <= MaxEntity ? entity(html.mid(i + 1, end - i - 1)) : std::nullopt;
            if (decoded) {
                pending += *decoded;
                i = end;
            } else {
                pending += c;
            }
        } else if (c == u'\r' || c == u'\n') {
            flush();
            if (c == u'\r' && i + 1 < n && html[i + 1] == u'\n')
                ++i;
            b.lineBreak();
        } else {
            pending += c;
        }
    }
    flush();
    return b.take();
}

std::vector<TextLine> LayoutText(const std::vector<TextParagraph> &paragraphs, const FieldBox &box,
                                 TextMetrics &metrics)
{
    std::vector<TextLine> lines;
    double y = box.bounds.top() + FieldGutter;
    int index = 0;
    for (const TextParagraph &p : paragraphs) {
        LineMaker maker(p, box, metrics, y, lines);
        maker.startAt(index);
        if (p.bullet && !p.runs.empty())
            maker.addBullet(Bullet, p.runs.front().format);
        for (const TextRun &run : p.runs)
            for (const QString &piece : pieces(run.text))
                maker.add(piece, run.format);
        maker.finish(false);
        index = maker.next() + 1; // the paragraph's break
    }
    return lines;
}

namespace {

double bottomOf(const TextLine &line) { return line.top + line.ascent + line.descent; }

// The height text shows in: the box within its gutters.
double visibleHeight(const QRectF &bounds) { return bounds.height() - 2 * FieldGutter; }

} // namespace

FieldExtent MeasureLines(const std::vector<TextLine> &lines, const QRectF &bounds)
{
    FieldExtent extent;
    if (lines.empty())
        return extent;
    for (const TextLine &line : lines)
        extent.textWidth = std::max(extent.textWidth, line.width);
    extent.textHeight = bottomOf(lines.back()) - lines.front().top;
    int first = int(lines.size()) - 1;
    while (first > 0 && bottomOf(lines.back()) - lines[size_t(first - 1)].top <= visibleHeight(bounds))
        --first;
    extent.maxScroll = first + 1;
    extent.maxHScroll = std::max(0.0, extent.textWidth - (bounds.width() - 2 * FieldGutter));
    return extent;
}

int BottomLine(const std::vector<TextLine> &lines, const QRectF &bounds, int scroll)
{
    const int count = int(lines.size());
    const int first = std::clamp(scroll - 1, 0, std::max(count - 1, 0));
    int last = first;
    while (last + 1 < count && bottomOf(lines[size_t(last + 1)]) - lines[size_t(first)].top <= visibleHeight(bounds))
        ++last;
    return last + 1;
}

int LineEnd(const TextLine &line)
{
    int end = line.start;
    for (const TextSpan &span : line.spans)
        if (span.start >= 0)
            end = span.start + int(span.text.size());
    return end;
}

double LineCaretX(const TextLine &line, int index, TextMetrics &metrics)
{
    double x = line.left;
    for (const TextSpan &span : line.spans) {
        if (span.start < 0)
            continue;
        const int inside = std::clamp(index - span.start, 0, int(span.text.size()));
        x = span.origin.x() +
            (inside == int(span.text.size()) ? span.width : metrics.advance(span.text.left(inside), span.format));
        if (index <= span.start + int(span.text.size()))
            break;
    }
    return x;
}

int CaretIndexAt(const std::vector<TextLine> &lines, QPointF point, TextMetrics &metrics)
{
    const TextLine *on = nullptr;
    for (const TextLine &line : lines)
        if (!on || line.top <= point.y())
            on = &line;
    if (!on)
        return 0;
    // Carets stand further right the later they are: the first at or past
    // the point, or the one before it, is nearest.
    int low = on->start, high = LineEnd(*on);
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (LineCaretX(*on, middle, metrics) < point.x())
            low = middle + 1;
        else
            high = middle;
    }
    if (low > on->start &&
        point.x() - LineCaretX(*on, low - 1, metrics) < LineCaretX(*on, low, metrics) - point.x())
        --low;
    return low;
}

QPointF ScrollOffset(const std::vector<TextLine> &lines, int scroll, int hscroll)
{
    if (lines.empty())
        return {};
    const size_t top = size_t(std::clamp(scroll, 1, int(lines.size())) - 1);
    return {std::max(hscroll, 0) * TwipsPerPixel, lines[top].top - lines.front().top};
}

CaretPlace PlaceCaret(const std::vector<TextLine> &lines, int index, TextMetrics &metrics)
{
    // A caret where a wrapped line ends stands at the start of the next.
    const TextLine *on = nullptr;
    for (const TextLine &line : lines) {
        if (on && line.start > index)
            break;
        on = &line;
    }
    return on ? CaretPlace{LineCaretX(*on, index, metrics), on} : CaretPlace{};
}

} // namespace swf
