#pragma once

#include "swf/Definitions.h"

#include <QRectF>

#include <vector>

namespace swf {

// What a clip's drawing API (moveTo, lineTo, curveTo, lineStyle, beginFill
// and the rest) has drawn, in the clip's own twips, ready for the renderer:
// fills and lines in the order they were made, under the clip's children.
// A fill runs from beginFill to endFill (or the next begin) and is closed
// back to where it started; lines use the line style in force.
class Drawing {
public:
    // Most commands one clip keeps; later ones are ignored.
    static constexpr int MaxSegments = 200000;

    void clear();
    // Width in twips; a width of zero draws the finest line. Without a style no lines are drawn.
    void lineStyle(const LineStyle &style);
    void noLineStyle();
    // The line style in force, if lines are drawn.
    std::optional<LineStyle> currentLine() const;
    // Any fill style: solid, gradients (linear, radial, focal) or bitmaps.
    void beginFill(const FillStyle &fill);
    void endFill();
    void moveTo(const QPointF &to);
    void lineTo(const QPointF &to);
    void curveTo(const QPointF &control, const QPointF &anchor);

    const std::vector<ShapeLayer> &layers() const;
    // Everything drawn, lines included.
    QRectF bounds() const;
    // The outline of every fill, for masks and hit tests.
    QPainterPath outline() const;
    // Changes whenever what is drawn changes.
    quint64 version() const { return m_version; }
    bool isEmpty() const { return m_groups.empty(); }

private:
    void startGroup();
    void closeFill();
    void addSegment(Segment s);

    std::vector<StyleGroup> m_groups;
    QPointF m_pen;
    std::optional<QPointF> m_fillStart;
    bool m_filling = false;
    bool m_hasLine = false;
    int m_segments = 0;
    quint64 m_version = 0;
    mutable bool m_dirty = false;
    mutable std::vector<ShapeLayer> m_layers;
    mutable QPainterPath m_outline;
};

} // namespace swf
