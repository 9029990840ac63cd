#include "Drawing.h"

namespace swf {

void Drawing::clear()
{
    m_groups.clear();
    m_pen = QPointF();
    m_fillStart.reset();
    m_filling = false;
    m_hasLine = false;
    m_segments = 0;
    ++m_version;
    m_dirty = true;
}

void Drawing::startGroup()
{
    StyleGroup group;
    if (!m_groups.empty() && m_hasLine)
        group.lines = m_groups.back().lines; // the line style carries over
    m_groups.push_back(std::move(group));
}

void Drawing::lineStyle(const LineStyle &style)
{
    if (m_groups.empty())
        startGroup();
    m_groups.back().lines.push_back(style);
    m_hasLine = true;
    ++m_version;
    m_dirty = true;
}

void Drawing::noLineStyle()
{
    m_hasLine = false;
}

std::optional<LineStyle> Drawing::currentLine() const
{
    if (!m_hasLine || m_groups.empty() || m_groups.back().lines.empty())
        return std::nullopt;
    return m_groups.back().lines.back();
}

void Drawing::beginFill(const FillStyle &fill)
{
    closeFill();
    startGroup();
    m_groups.back().fills.push_back(fill);
    m_filling = true;
    m_fillStart = m_pen;
    ++m_version;
    m_dirty = true;
}

void Drawing::endFill()
{
    closeFill();
}

void Drawing::closeFill()
{
    if (!m_filling)
        return;
    // A fill left open is closed by a straight edge back to its start, unstroked.
    if (m_fillStart && m_pen != *m_fillStart) {
        const bool line = m_hasLine;
        m_hasLine = false;
        lineTo(*m_fillStart);
        m_hasLine = line;
    }
    m_filling = false;
    m_fillStart.reset();
    // Lines after the fill go into a group of their own, drawn above it.
    startGroup();
}

void Drawing::moveTo(const QPointF &to)
{
    if (m_filling && m_fillStart && m_pen != *m_fillStart) {
        const bool line = m_hasLine;
        m_hasLine = false;
        lineTo(*m_fillStart);
        m_hasLine = line;
    }
    m_pen = to;
    if (m_filling)
        m_fillStart = to;
}

void Drawing::addSegment(Segment s)
{
    if (m_segments >= MaxSegments)
        return;
    if (m_groups.empty())
        startGroup();
    StyleGroup &group = m_groups.back();
    s.fill1 = m_filling && !group.fills.empty() ? 1 : 0;
    s.line = m_hasLine && !group.lines.empty() ? int(group.lines.size()) : 0;
    if (!s.fill1 && !s.line)
        return;
    group.segments.push_back(s);
    ++m_segments;
    ++m_version;
    m_dirty = true;
}

void Drawing::lineTo(const QPointF &to)
{
    Segment s;
    s.from = m_pen;
    s.to = to;
    m_pen = to;
    addSegment(s);
}

void Drawing::curveTo(const QPointF &control, const QPointF &anchor)
{
    Segment s;
    s.from = m_pen;
    s.control = control;
    s.to = anchor;
    s.curve = true;
    m_pen = anchor;
    addSegment(s);
}

const std::vector<ShapeLayer> &Drawing::layers() const
{
    if (m_dirty) {
        // The fill in progress shows closed, as the reference player draws it.
        std::vector<StyleGroup> groups = m_groups;
        if (m_filling && m_fillStart && m_pen != *m_fillStart && !groups.empty() && !groups.back().fills.empty()) {
            Segment s;
            s.from = m_pen;
            s.to = *m_fillStart;
            s.fill1 = 1;
            groups.back().segments.push_back(s);
        }
        m_outline = QPainterPath();
        m_layers = AssembleShape(groups, &m_outline);
        m_dirty = false;
    }
    return m_layers;
}

QRectF Drawing::bounds() const
{
    QRectF r;
    for (const ShapeLayer &layer : layers()) {
        for (const auto &[fill, path] : layer.fills)
            r = r.united(path.boundingRect());
        // A drawn line widens the bounds by its whole width on each side,
        // as the reference player counts them.
        for (const auto &[line, path] : layer.lines) {
            const double width = std::max(line.width, 20.0);
            r = r.united(path.boundingRect().adjusted(-width, -width, width, width));
        }
    }
    return r;
}

QPainterPath Drawing::outline() const
{
    layers();
    return m_outline;
}

} // namespace swf
