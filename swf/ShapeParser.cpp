#include "ShapeParser.h"

#include <QHash>

#include <algorithm>

namespace swf {

namespace {

// DefineShape4's flag byte: fill with the non-zero winding rule.
constexpr int UsesFillWindingRule = 0x04;

QColor readColor(SwfReader &r, int shapeVersion)
{
    return shapeVersion >= 3 ? r.rgba() : r.rgb();
}

int readStyleCount(SwfReader &r, int shapeVersion)
{
    int count = r.u8();
    if (count == 0xFF && shapeVersion >= 2)
        count = r.u16();
    return count;
}

qint64 pointKey(const QPointF &p)
{
    const auto x = quint64(qRound64(p.x() * 8));
    const auto y = quint64(qRound64(p.y() * 8));
    return qint64((x << 32) ^ (y & 0xFFFFFFFFu));
}

struct Edge {
    QPointF from, control, to;
    bool curve;
};

// Chains edges into closed contours by matching end points.
QPainterPath chain(const std::vector<Edge> &edges, Qt::FillRule rule = Qt::OddEvenFill)
{
    QPainterPath path;
    path.setFillRule(rule);
    QMultiHash<qint64, int> byStart;
    for (int i = 0; i < int(edges.size()); ++i)
        byStart.insert(pointKey(edges[i].from), i);
    std::vector<bool> used(edges.size(), false);
    for (int first = 0; first < int(edges.size()); ++first) {
        if (used[first])
            continue;
        const qint64 startKey = pointKey(edges[first].from);
        path.moveTo(edges[first].from);
        int current = first;
        for (;;) {
            used[current] = true;
            const Edge &e = edges[current];
            if (e.curve)
                path.quadTo(e.control, e.to);
            else
                path.lineTo(e.to);
            const qint64 endKey = pointKey(e.to);
            if (endKey == startKey) {
                path.closeSubpath();
                break;
            }
            int next = -1;
            for (auto it = byStart.constFind(endKey); it != byStart.cend() && it.key() == endKey; ++it) {
                if (!used[it.value()]) {
                    next = it.value();
                    break;
                }
            }
            if (next < 0)
                break;
            current = next;
        }
    }
    return path;
}

void addSegment(QPainterPath &path, const Segment &s)
{
    if (path.elementCount() == 0 || path.currentPosition() != s.from)
        path.moveTo(s.from);
    if (s.curve)
        path.quadTo(s.control, s.to);
    else
        path.lineTo(s.to);
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor(qRound(a.red() + (b.red() - a.red()) * t), qRound(a.green() + (b.green() - a.green()) * t),
                  qRound(a.blue() + (b.blue() - a.blue()) * t), qRound(a.alpha() + (b.alpha() - a.alpha()) * t));
}

QTransform mix(const QTransform &a, const QTransform &b, double t)
{
    const auto m = [t](double x, double y) { return x + (y - x) * t; };
    return QTransform(m(a.m11(), b.m11()), m(a.m12(), b.m12()), m(a.m21(), b.m21()), m(a.m22(), b.m22()),
                      m(a.dx(), b.dx()), m(a.dy(), b.dy()));
}

FillStyle mix(const FillStyle &a, const FillStyle &b, double t)
{
    FillStyle f = a;
    f.color = mix(a.color, b.color, t);
    f.matrix = mix(a.matrix, b.matrix, t);
    f.focal = a.focal + (b.focal - a.focal) * t;
    for (qsizetype i = 0; i < f.stops.size() && i < b.stops.size(); ++i) {
        f.stops[i].first = std::clamp(a.stops[i].first + (b.stops[i].first - a.stops[i].first) * t, 0.0, 1.0);
        f.stops[i].second = mix(a.stops[i].second, b.stops[i].second, t);
    }
    return f;
}

FillStyle readMorphFill(SwfReader &r, FillStyle &end)
{
    FillStyle start;
    const int type = r.u8();
    if (type == 0x00) {
        start.color = r.rgba();
        end = start;
        end.color = r.rgba();
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        start.type = type == 0x10 ? FillStyle::Linear : type == 0x12 ? FillStyle::Radial : FillStyle::Focal;
        start.matrix = r.matrix();
        end = start;
        end.matrix = r.matrix();
        const int header = r.u8();
        start.spread = end.spread = (header >> 6) & 3;
        start.linearRgb = end.linearRgb = ((header >> 4) & 3) == 1;
        const int count = header & 15;
        for (int i = 0; i < count; ++i) {
            const double startRatio = r.u8() / 255.0;
            const QColor startColor = r.rgba();
            const double endRatio = r.u8() / 255.0;
            const QColor endColor = r.rgba();
            start.stops.append({startRatio, startColor});
            end.stops.append({endRatio, endColor});
        }
        if (type == 0x13) {
            start.focal = r.fixed8();
            end.focal = r.fixed8();
        }
    } else if (type >= 0x40 && type <= 0x43) {
        start.type = FillStyle::Bitmap;
        start.bitmapId = r.u16();
        start.repeat = type == 0x40 || type == 0x42;
        start.smooth = type == 0x40 || type == 0x41;
        start.matrix = r.matrix();
        end = start;
        end.matrix = r.matrix();
    } else {
        end = start;
    }
    return start;
}

} // namespace

FillStyle ReadFillStyle(SwfReader &r, int shapeVersion)
{
    FillStyle fill;
    const int type = r.u8();
    if (type == 0x00) {
        fill.color = readColor(r, shapeVersion);
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        fill.type = type == 0x10 ? FillStyle::Linear : type == 0x12 ? FillStyle::Radial : FillStyle::Focal;
        fill.matrix = r.matrix();
        const int header = r.u8();
        fill.spread = (header >> 6) & 3;
        fill.linearRgb = ((header >> 4) & 3) == 1;
        const int count = header & 15;
        for (int i = 0; i < count; ++i) {
            const double ratio = r.u8() / 255.0;
            fill.stops.append({ratio, readColor(r, shapeVersion)});
        }
        if (type == 0x13)
            fill.focal = r.fixed8();
    } else if (type >= 0x40 && type <= 0x43) {
        fill.type = FillStyle::Bitmap;
        fill.bitmapId = r.u16();
        fill.matrix = r.matrix();
        fill.repeat = type == 0x40 || type == 0x42;
        fill.smooth = type == 0x40 || type == 0x41;
    } else {
        fill.color = Qt::transparent;
    }
    return fill;
}

std::vector<FillStyle> ReadFillStyles(SwfReader &r, int shapeVersion)
{
    std::vector<FillStyle> fills;
    const int count = readStyleCount(r, shapeVersion);
    for (int i = 0; i < count && !r.overrun(); ++i)
        fills.push_back(ReadFillStyle(r, shapeVersion));
    return fills;
}

std::vector<LineStyle> ReadLineStyles(SwfReader &r, int shapeVersion)
{
    std::vector<LineStyle> lines;
    const int count = readStyleCount(r, shapeVersion);
    for (int i = 0; i < count && !r.overrun(); ++i) {
        LineStyle line;
        line.width = r.u16();
        if (shapeVersion == 4) {
            const int startCap = int(r.ub(2));
            const int join = int(r.ub(2));
            const bool hasFill = r.ub(1);
            r.ub(3); // scaling and hinting
            r.ub(5);
            r.ub(1); // no close
            r.ub(2); // end cap
            r.align();
            line.cap = startCap == 1 ? Qt::FlatCap : startCap == 2 ? Qt::SquareCap : Qt::RoundCap;
            line.join = join == 1 ? Qt::BevelJoin : join == 2 ? Qt::MiterJoin : Qt::RoundJoin;
            if (join == 2)
                line.miter = r.fixed8();
            if (hasFill) {
                line.fill = ReadFillStyle(r, shapeVersion);
                line.color = line.fill->type == FillStyle::Solid ? line.fill->color
                                                                 : (line.fill->stops.isEmpty() ? QColor(Qt::black)
                                                                                               : line.fill->stops.first().second);
            } else {
                line.color = r.rgba();
            }
        } else {
            line.color = readColor(r, shapeVersion);
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<StyleGroup> ReadShapeRecords(SwfReader &r, int shapeVersion, bool withStyles)
{
    std::vector<StyleGroup> groups;
    StyleGroup group;
    if (withStyles) {
        group.fills = ReadFillStyles(r, shapeVersion);
        group.lines = ReadLineStyles(r, shapeVersion);
    }
    r.align();
    int fillBits = int(r.ub(4));
    int lineBits = int(r.ub(4));
    QPointF pen(0, 0);
    int fill0 = 0, fill1 = 0, line = 0;
    int segments = 0;
    while (!r.overrun() && segments < MaxSegmentsPerShape) {
        if (r.ub(1) == 0) {
            const int flags = int(r.ub(5));
            if (flags == 0)
                break;
            if (flags & 1) {
                const int bits = int(r.ub(5));
                const int x = r.sb(bits);
                const int y = r.sb(bits);
                pen = QPointF(x, y);
            }
            if (flags & 2)
                fill0 = int(r.ub(fillBits));
            if (flags & 4)
                fill1 = int(r.ub(fillBits));
            if (flags & 8)
                line = int(r.ub(lineBits));
            if ((flags & 16) && withStyles && shapeVersion >= 2) {
                groups.push_back(std::move(group));
                group = StyleGroup{};
                group.fills = ReadFillStyles(r, shapeVersion);
                group.lines = ReadLineStyles(r, shapeVersion);
                r.align();
                fillBits = int(r.ub(4));
                lineBits = int(r.ub(4));
            }
            continue;
        }
        Segment s;
        s.fill0 = fill0;
        s.fill1 = fill1;
        s.line = line;
        s.from = pen;
        const bool straight = r.ub(1);
        const int bits = int(r.ub(4)) + 2;
        if (straight) {
            int dx = 0, dy = 0;
            if (r.ub(1)) {
                dx = r.sb(bits);
                dy = r.sb(bits);
            } else if (r.ub(1)) {
                dy = r.sb(bits);
            } else {
                dx = r.sb(bits);
            }
            s.to = pen + QPointF(dx, dy);
        } else {
            const int cdx = r.sb(bits), cdy = r.sb(bits), adx = r.sb(bits), ady = r.sb(bits);
            s.curve = true;
            s.control = pen + QPointF(cdx, cdy);
            s.to = s.control + QPointF(adx, ady);
        }
        pen = s.to;
        group.segments.push_back(s);
        ++segments;
    }
    groups.push_back(std::move(group));
    return groups;
}

std::vector<ShapeLayer> AssembleShape(const std::vector<StyleGroup> &groups, QPainterPath *outline, Qt::FillRule rule)
{
    std::vector<ShapeLayer> layers;
    for (const StyleGroup &group : groups) {
        ShapeLayer layer;
        for (int style = 1; style <= int(group.fills.size()); ++style) {
            std::vector<Edge> edges;
            for (const Segment &s : group.segments) {
                if (s.fill1 == style)
                    edges.push_back({s.from, s.control, s.to, s.curve});
                if (s.fill0 == style)
                    edges.push_back({s.to, s.control, s.from, s.curve});
            }
            if (edges.empty())
                continue;
            QPainterPath path = chain(edges, rule);
            if (outline)
                outline->addPath(path);
            layer.fills.emplace_back(group.fills[style - 1], std::move(path));
        }
        for (int style = 1; style <= int(group.lines.size()); ++style) {
            QPainterPath path;
            for (const Segment &s : group.segments) {
                if (s.line == style)
                    addSegment(path, s);
            }
            if (!path.isEmpty())
                layer.lines.emplace_back(group.lines[style - 1], std::move(path));
        }
        layers.push_back(std::move(layer));
    }
    return layers;
}

QPainterPath OutlineOf(const std::vector<StyleGroup> &groups)
{
    std::vector<Edge> edges;
    for (const StyleGroup &group : groups) {
        for (const Segment &s : group.segments) {
            if (s.fill1 != 0 || s.fill0 == 0)
                edges.push_back({s.from, s.control, s.to, s.curve});
            else
                edges.push_back({s.to, s.control, s.from, s.curve});
        }
    }
    return chain(edges);
}

std::shared_ptr<ShapeDef> ReadShape(SwfReader &r, int shapeVersion)
{
    auto shape = std::make_shared<ShapeDef>();
    shape->id = r.u16();
    shape->bounds = r.rect();
    if (shapeVersion == 4) {
        r.rect(); // edge bounds
        shape->nonZeroWinding = r.u8() & UsesFillWindingRule;
    }
    const std::vector<StyleGroup> groups = ReadShapeRecords(r, shapeVersion, true);
    shape->layers = AssembleShape(groups, &shape->outline, shape->nonZeroWinding ? Qt::WindingFill : Qt::OddEvenFill);
    return shape;
}

std::shared_ptr<MorphShapeDef> ReadMorphShape(SwfReader &r, int morphVersion)
{
    auto morph = std::make_shared<MorphShapeDef>();
    morph->id = r.u16();
    morph->startBounds = r.rect();
    morph->endBounds = r.rect();
    if (morphVersion == 2) {
        r.rect();
        r.rect();
        r.u8();
    }
    const uint32_t offset = r.u32();
    const int endEdgesAt = r.position() + int(std::min<uint32_t>(offset, uint32_t(r.size())));

    int count = r.u8();
    if (count == 0xFF)
        count = r.u16();
    for (int i = 0; i < count && !r.overrun(); ++i) {
        FillStyle end;
        morph->startFills.push_back(readMorphFill(r, end));
        morph->endFills.push_back(end);
    }
    count = r.u8();
    if (count == 0xFF)
        count = r.u16();
    for (int i = 0; i < count && !r.overrun(); ++i) {
        LineStyle start, end;
        start.width = r.u16();
        end.width = r.u16();
        if (morphVersion == 2) {
            const int startCap = int(r.ub(2));
            const int join = int(r.ub(2));
            const bool hasFill = r.ub(1);
            r.ub(11);
            r.align();
            start.cap = end.cap = startCap == 1 ? Qt::FlatCap : startCap == 2 ? Qt::SquareCap : Qt::RoundCap;
            start.join = end.join = join == 1 ? Qt::BevelJoin : join == 2 ? Qt::MiterJoin : Qt::RoundJoin;
            if (join == 2)
                start.miter = end.miter = r.fixed8();
            if (hasFill) {
                FillStyle endFill;
                const FillStyle startFill = readMorphFill(r, endFill);
                start.color = startFill.type == FillStyle::Solid ? startFill.color : QColor(Qt::black);
                end.color = endFill.type == FillStyle::Solid ? endFill.color : QColor(Qt::black);
            } else {
                start.color = r.rgba();
                end.color = r.rgba();
            }
        } else {
            start.color = r.rgba();
            end.color = r.rgba();
        }
        morph->startLines.push_back(start);
        morph->endLines.push_back(end);
    }

    std::vector<StyleGroup> start = ReadShapeRecords(r, 3, false);
    r.seek(endEdgesAt);
    std::vector<StyleGroup> end = ReadShapeRecords(r, 3, false);
    for (const StyleGroup &g : start)
        morph->startSegments.insert(morph->startSegments.end(), g.segments.begin(), g.segments.end());
    for (const StyleGroup &g : end)
        morph->endSegments.insert(morph->endSegments.end(), g.segments.begin(), g.segments.end());
    return morph;
}

std::vector<ShapeLayer> MorphAt(const MorphShapeDef &morph, int ratio, QPainterPath *outline)
{
    const double t = std::clamp(ratio, 0, 65535) / 65535.0;
    StyleGroup group;
    for (size_t i = 0; i < morph.startFills.size(); ++i)
        group.fills.push_back(mix(morph.startFills[i], morph.endFills[i], t));
    for (size_t i = 0; i < morph.startLines.size(); ++i) {
        LineStyle line = morph.startLines[i];
        line.width = morph.startLines[i].width + (morph.endLines[i].width - morph.startLines[i].width) * t;
        line.color = mix(morph.startLines[i].color, morph.endLines[i].color, t);
        group.lines.push_back(line);
    }
    const auto lerp = [t](const QPointF &a, const QPointF &b) { return a + (b - a) * t; };
    for (size_t i = 0; i < morph.startSegments.size(); ++i) {
        Segment s = morph.startSegments[i];
        if (i < morph.endSegments.size()) {
            const Segment &e = morph.endSegments[i];
            const QPointF startControl = s.curve ? s.control : (s.from + s.to) / 2;
            const QPointF endControl = e.curve ? e.control : (e.from + e.to) / 2;
            s.curve = s.curve || e.curve;
            s.from = lerp(s.from, e.from);
            s.to = lerp(s.to, e.to);
            s.control = lerp(startControl, endControl);
        }
        group.segments.push_back(s);
    }
    return AssembleShape({group}, outline);
}

} // namespace swf
