#pragma once

// Writes small Flash movies (for tests, the demo and benchmarks): shapes, sprites, buttons, frame
// scripts and labels, plain or compressed.
#include <QByteArray>
#include <QColor>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <lzma.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace SwfWriter {

class Bits {
public:
    QByteArray bytes;

    void ub(quint32 value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (m_used == 0)
                bytes.append('\0');
            if ((value >> i) & 1u)
                bytes.back() = char(bytes.back() | (1 << (7 - m_used)));
            m_used = (m_used + 1) % 8;
        }
    }
    void sb(qint32 value, int bits) { ub(quint32(value) & (bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1)), bits); }
    void align() { m_used = 0; }
    void u8(int v) { align(); bytes.append(char(v)); }
    void u16(int v) { u8(v & 0xFF); u8((v >> 8) & 0xFF); }
    void u32(quint32 v) { u16(int(v & 0xFFFF)); u16(int(v >> 16)); }
    void string(const QByteArray &s) { align(); bytes.append(s); bytes.append('\0'); }
    void raw(const QByteArray &b) { align(); bytes.append(b); }

    static int bitsFor(std::initializer_list<qint32> values)
    {
        int bits = 1;
        for (qint32 v : values) {
            int n = 1;
            while (n < 31 && !(v >= -(1 << (n - 1)) && v < (1 << (n - 1))))
                ++n;
            bits = std::max(bits, n);
        }
        return bits;
    }
    void rect(const QRect &twips)
    {
        align();
        const int x0 = twips.left(), x1 = twips.left() + twips.width(), y0 = twips.top(), y1 = twips.top() + twips.height();
        const int n = bitsFor({x0, x1, y0, y1});
        ub(quint32(n), 5);
        sb(x0, n);
        sb(x1, n);
        sb(y0, n);
        sb(y1, n);
        align();
    }
    // Scale (16.16 as a double) and translation in twips.
    void matrix(double scaleX = 1, double scaleY = 1, int tx = 0, int ty = 0)
    {
        align();
        const bool scaled = scaleX != 1 || scaleY != 1;
        ub(scaled, 1);
        if (scaled) {
            const qint32 sx = qint32(scaleX * 65536), sy = qint32(scaleY * 65536);
            const int n = bitsFor({sx, sy});
            ub(quint32(n), 5);
            sb(sx, n);
            sb(sy, n);
        }
        ub(0, 1);
        const int n = (tx || ty) ? bitsFor({tx, ty}) : 0;
        ub(quint32(n), 5);
        sb(tx, n);
        sb(ty, n);
        align();
    }
    void fixed16(double v) { u32(quint32(qint32(std::lround(v * 65536)))); }
    void fixed8(double v) { u16(int(std::lround(v * 256)) & 0xFFFF); }
    void f32(float v)
    {
        quint32 bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void rgb(const QColor &c) { u8(c.red()); u8(c.green()); u8(c.blue()); }
    void rgba(const QColor &c) { rgb(c); u8(c.alpha()); }

private:
    int m_used = 0;
};

inline QByteArray tag(int code, const QByteArray &body)
{
    Bits b;
    if (body.size() < 63) {
        b.u16((code << 6) | int(body.size()));
    } else {
        b.u16((code << 6) | 0x3F);
        b.u32(quint32(body.size()));
    }
    return b.bytes + body;
}

inline QByteArray showFrame() { return tag(1, {}); }
inline QByteArray end() { return tag(0, {}); }

inline QByteArray background(const QColor &c)
{
    Bits b;
    b.rgb(c);
    return tag(9, b.bytes);
}

// A filled rectangle (twips), optionally with a linear gradient between two colours.
inline QByteArray rectangle(int id, const QRect &r, const QColor &color, std::optional<QColor> gradientEnd = {})
{
    Bits b;
    b.u16(id);
    b.rect(r);
    b.u8(1); // one fill style
    if (gradientEnd) {
        b.u8(0x10);
        // The gradient square (32768 twips) scaled onto the rectangle's width.
        b.matrix(r.width() / 32768.0, r.height() / 32768.0, r.left() + r.width() / 2, r.top() + r.height() / 2);
        b.u8(2);
        b.u8(0);
        b.rgba(color);
        b.u8(255);
        b.rgba(*gradientEnd);
    } else {
        b.u8(0x00);
        b.rgba(color);
    }
    b.u8(0); // no line styles
    b.ub(1, 4);
    b.ub(0, 4);
    // Move to the top left with fill style 1 on the right-hand side.
    b.ub(0, 1);
    b.ub(0b00101, 5);
    const int n = Bits::bitsFor({r.left(), r.top()}) + 1;
    b.ub(quint32(n), 5);
    b.sb(r.left(), n);
    b.sb(r.top(), n);
    b.ub(1, 1); // fill style 1
    const auto edge = [&b](int dx, int dy) {
        const int bits = std::max(2, Bits::bitsFor({dx, dy}));
        b.ub(1, 1);
        b.ub(1, 1);
        b.ub(quint32(bits - 2), 4);
        b.ub(1, 1); // general line
        b.sb(dx, bits);
        b.sb(dy, bits);
    };
    edge(r.width(), 0);
    edge(0, r.height());
    edge(-r.width(), 0);
    edge(0, -r.height());
    b.ub(0, 6); // end of shape
    b.align();
    return tag(32, b.bytes);
}

// A PlaceObject2 record, built up: Place(1, 5).at({200, 0}).scaled(2).
// A disc (twips) drawn with eight curves, filled with a radial gradient from
// `inner` at its centre to `outer` at its rim.
inline QByteArray disc(int id, QPoint centre, int radius, const QColor &inner, const QColor &outer)
{
    Bits b;
    b.u16(id);
    b.rect(QRect(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius));
    b.u8(1);
    b.u8(0x12);
    b.matrix(2.0 * radius / 32768.0, 2.0 * radius / 32768.0, centre.x(), centre.y());
    b.u8(2);
    b.u8(0);
    b.rgba(inner);
    b.u8(255);
    b.rgba(outer);
    b.u8(0);
    b.ub(1, 4);
    b.ub(0, 4);
    b.ub(0, 1);
    b.ub(0b00101, 5);
    const int startX = centre.x() + radius, startY = centre.y();
    const int n = Bits::bitsFor({startX, startY}) + 1;
    b.ub(quint32(n), 5);
    b.sb(startX, n);
    b.sb(startY, n);
    b.ub(1, 1);
    const double step = 3.14159265358979 / 4;
    const double reach = radius / std::cos(step / 2);
    QPoint pen(startX, startY);
    for (int i = 0; i < 8; ++i) {
        const QPoint control(centre.x() + int(std::lround(reach * std::cos(step * i + step / 2))),
                             centre.y() + int(std::lround(reach * std::sin(step * i + step / 2))));
        const QPoint anchor(centre.x() + int(std::lround(radius * std::cos(step * (i + 1)))),
                            centre.y() + int(std::lround(radius * std::sin(step * (i + 1)))));
        const QPoint c = control - pen, a = anchor - control;
        const int bits = std::max(2, Bits::bitsFor({c.x(), c.y(), a.x(), a.y()}));
        b.ub(1, 1);
        b.ub(0, 1);
        b.ub(quint32(bits - 2), 4);
        b.sb(c.x(), bits);
        b.sb(c.y(), bits);
        b.sb(a.x(), bits);
        b.sb(a.y(), bits);
        pen = anchor;
    }
    b.ub(0, 6);
    b.align();
    return tag(32, b.bytes);
}

struct Place {
    explicit Place(int depth, std::optional<int> character = {}) : depth(depth), character(character) {}
    Place &moving() { move = true; return *this; }
    Place &at(QPoint twips) { translate = twips; return *this; }
    Place &scaled(double factor) { scale = factor; return *this; }
    Place &named(const QByteArray &n) { name = n; return *this; }
    Place &clipping(int upToDepth) { clipDepth = upToDepth; return *this; }
    // Red channel only: multiply (256 = 1) and add.
    Place &tinted(int multiply, int add) { colorMultiplyAdd = std::pair{multiply, add}; return *this; }
    // onClipEvent handlers: event bits (as version 6 stores them) and their actions.
    Place &on(quint32 events, const QByteArray &actions) { clipActions.emplace_back(events, actions); return *this; }
    // PlaceObject3 options: a filter list (filters()), a blend mode code, bitmap caching.
    Place &filtered(const QByteArray &list) { filterList = list; return *this; }
    Place &blended(int mode) { blendMode = mode; return *this; }
    Place &cached() { cacheAsBitmap = true; return *this; }
    Place &opaque(const QColor &c) { opaqueBackground = c; return *this; }

    int depth;
    std::optional<int> character;
    bool move = false;
    std::optional<QPoint> translate;
    std::optional<double> scale;
    std::optional<QByteArray> name;
    std::optional<int> clipDepth;
    std::optional<std::pair<int, int>> colorMultiplyAdd;
    std::vector<std::pair<quint32, QByteArray>> clipActions;
    std::optional<QByteArray> filterList;
    std::optional<int> blendMode;
    bool cacheAsBitmap = false;
    std::optional<QColor> opaqueBackground;
};

inline QByteArray place(const Place &p)
{
    Bits b;
    const bool hasMatrix = p.translate || p.scale;
    int flags = (p.move ? 0x01 : 0) | (p.character ? 0x02 : 0) | (hasMatrix ? 0x04 : 0) |
                (p.colorMultiplyAdd ? 0x08 : 0) | (p.name ? 0x20 : 0) | (p.clipDepth ? 0x40 : 0) |
                (p.clipActions.empty() ? 0 : 0x80);
    const int flags2 = (p.filterList ? 0x01 : 0) | (p.blendMode ? 0x02 : 0) | (p.cacheAsBitmap ? 0x04 : 0) |
                       (p.opaqueBackground ? 0x40 : 0);
    b.u8(flags);
    if (flags2)
        b.u8(flags2);
    b.u16(p.depth);
    if (p.character)
        b.u16(*p.character);
    if (hasMatrix) {
        const QPoint t = p.translate.value_or(QPoint());
        b.matrix(p.scale.value_or(1), p.scale.value_or(1), t.x(), t.y());
    }
    if (p.colorMultiplyAdd) {
        b.ub(1, 1);
        b.ub(1, 1);
        b.ub(10, 4);
        b.sb(p.colorMultiplyAdd->first, 10);
        b.sb(256, 10);
        b.sb(256, 10);
        b.sb(256, 10);
        b.sb(p.colorMultiplyAdd->second, 10);
        b.sb(0, 10);
        b.sb(0, 10);
        b.sb(0, 10);
        b.align();
    }
    if (p.name)
        b.string(*p.name);
    if (p.clipDepth)
        b.u16(*p.clipDepth);
    if (p.filterList)
        b.raw(*p.filterList);
    if (p.blendMode)
        b.u8(*p.blendMode);
    if (p.cacheAsBitmap)
        b.u8(1);
    if (p.opaqueBackground)
        b.rgba(*p.opaqueBackground);
    if (!p.clipActions.empty()) { // in the version 6 layout
        quint32 all = 0;
        for (const auto &[events, actions] : p.clipActions)
            all |= events;
        b.u16(0);
        b.u32(all);
        for (const auto &[events, actions] : p.clipActions) {
            b.u32(events);
            b.u32(quint32(actions.size() + 1));
            b.raw(actions + QByteArray(1, '\0'));
        }
        b.u32(0);
    }
    return tag(flags2 ? 70 : 26, b.bytes);
}

// Filter records of a PlaceObject3 list; angles in radians, blur and distance in pixels.
namespace filter {
struct Options {
    double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
    bool inner = false, knockout = false, hideObject = false, onTop = false;
    int passes = 1;
};
inline void blurAngleAndFlags(Bits &b, const Options &o, bool withAngle, bool bevelFlags)
{
    b.fixed16(o.blurX);
    b.fixed16(o.blurY);
    if (withAngle) {
        b.fixed16(o.angle);
        b.fixed16(o.distance);
    }
    b.fixed8(o.strength);
    b.ub(o.inner, 1);
    b.ub(o.knockout, 1);
    b.ub(!o.hideObject, 1); // composite source
    if (bevelFlags) {
        b.ub(o.onTop, 1);
        b.ub(quint32(o.passes), 4);
    } else {
        b.ub(quint32(o.passes), 5);
    }
    b.align();
}
inline QByteArray dropShadow(const QColor &c, const Options &o)
{
    Bits b;
    b.u8(0);
    b.rgba(c);
    blurAngleAndFlags(b, o, true, false);
    return b.bytes;
}
inline QByteArray glow(const QColor &c, const Options &o)
{
    Bits b;
    b.u8(2);
    b.rgba(c);
    blurAngleAndFlags(b, o, false, false);
    return b.bytes;
}
inline QByteArray blur(double x, double y, int passes)
{
    Bits b;
    b.u8(1);
    b.fixed16(x);
    b.fixed16(y);
    b.ub(quint32(passes), 5);
    b.ub(0, 3);
    b.align();
    return b.bytes;
}
inline QByteArray bevel(const QColor &shadow, const QColor &highlight, const Options &o)
{
    Bits b;
    b.u8(3);
    b.rgba(shadow);
    b.rgba(highlight);
    blurAngleAndFlags(b, o, true, true);
    return b.bytes;
}
// Gradient glow (code 4) or bevel (code 7): colours with their ratios 0..255.
inline QByteArray gradient(int code, const std::vector<std::pair<int, QColor>> &stops, const Options &o)
{
    Bits b;
    b.u8(code);
    b.u8(int(stops.size()));
    for (const auto &stop : stops)
        b.rgba(stop.second);
    for (const auto &stop : stops)
        b.u8(stop.first);
    blurAngleAndFlags(b, o, true, true);
    return b.bytes;
}
inline QByteArray colorMatrix(const std::array<float, 20> &m)
{
    Bits b;
    b.u8(6);
    for (float v : m)
        b.f32(v);
    return b.bytes;
}
inline QByteArray convolution(int columns, int rows, const std::vector<float> &kernel, float divisor, float bias,
                              bool preserveAlpha, const QColor &outside = Qt::transparent)
{
    Bits b;
    b.u8(5);
    b.u8(columns);
    b.u8(rows);
    b.f32(divisor);
    b.f32(bias);
    for (float v : kernel)
        b.f32(v);
    b.rgba(outside);
    b.ub(0, 6);
    b.ub(1, 1); // clamp
    b.ub(preserveAlpha, 1);
    return b.bytes;
}
inline QByteArray list(const std::vector<QByteArray> &filters)
{
    QByteArray out(1, char(filters.size()));
    for (const QByteArray &f : filters)
        out += f;
    return out;
}
} // namespace filter

// A DefineShape3 (or DefineShape4, with its fill rule) filling polygons
// (twips) with one colour, each outline traced in the order given.
inline QByteArray polygons(int id, const std::vector<QPolygon> &outlines, const QColor &color, bool shape4 = false,
                           bool nonZero = false)
{
    QRect bounds;
    for (const QPolygon &p : outlines)
        bounds = bounds.united(p.boundingRect());
    Bits b;
    b.u16(id);
    b.rect(bounds);
    if (shape4) {
        b.rect(bounds);
        b.u8(nonZero ? 0x04 : 0);
    }
    b.u8(1);
    b.u8(0x00);
    b.rgba(color);
    b.u8(0);
    b.ub(1, 4);
    b.ub(0, 4);
    bool first = true;
    for (const QPolygon &outline : outlines) {
        if (outline.isEmpty())
            continue;
        b.ub(0, 1);
        b.ub(first ? 0b00101 : 0b00001, 5);
        const QPoint start = outline.first();
        const int n = Bits::bitsFor({start.x(), start.y()}) + 1;
        b.ub(quint32(n), 5);
        b.sb(start.x(), n);
        b.sb(start.y(), n);
        if (first)
            b.ub(1, 1);
        first = false;
        QPoint pen = start;
        for (int i = 1; i <= outline.size(); ++i) {
            const QPoint to = outline[i % outline.size()];
            const int dx = to.x() - pen.x(), dy = to.y() - pen.y();
            const int bits = std::max(2, Bits::bitsFor({dx, dy}));
            b.ub(1, 1);
            b.ub(1, 1);
            b.ub(quint32(bits - 2), 4);
            b.ub(1, 1);
            b.sb(dx, bits);
            b.sb(dy, bits);
            pen = to;
        }
    }
    b.ub(0, 6);
    b.align();
    return tag(shape4 ? 83 : 32, b.bytes);
}

inline QByteArray remove(int depth)
{
    Bits b;
    b.u16(depth);
    return tag(28, b.bytes);
}

inline QByteArray label(const QByteArray &name)
{
    Bits b;
    b.string(name);
    return tag(43, b.bytes);
}

inline QByteArray sprite(int id, const QByteArray &tags)
{
    Bits b;
    b.u16(id);
    b.u16(tags.count(showFrame()) ? int(tags.count(showFrame())) : 1);
    b.raw(tags);
    return tag(39, b.bytes + end());
}

// Actions.
namespace as {
inline QByteArray op(int code, const QByteArray &body = {})
{
    Bits b;
    b.u8(code);
    if (code >= 0x80) {
        b.u16(int(body.size()));
        b.raw(body);
    }
    return b.bytes;
}
inline QByteArray stop() { return op(0x07); }
inline QByteArray play() { return op(0x06); }
inline QByteArray nextFrame() { return op(0x04); }
inline QByteArray gotoFrame(int frame) { Bits b; b.u16(frame); return op(0x81, b.bytes); }
inline QByteArray gotoLabel(const QByteArray &l) { Bits b; b.string(l); return op(0x8C, b.bytes); }
inline QByteArray setTarget(const QByteArray &t) { Bits b; b.string(t); return op(0x8B, b.bytes); }
inline QByteArray getUrl(const QByteArray &url, const QByteArray &target)
{
    Bits b;
    b.string(url);
    b.string(target);
    return op(0x83, b.bytes);
}
inline QByteArray pushString(const QByteArray &s) { Bits b; b.u8(0); b.string(s); return op(0x96, b.bytes); }
inline QByteArray pushNumber(int v) { Bits b; b.u8(7); b.u32(quint32(v)); return op(0x96, b.bytes); }
inline QByteArray pushTrue() { Bits b; b.u8(5); b.u8(1); return op(0x96, b.bytes); }
inline QByteArray pushRegister(int r) { Bits b; b.u8(4); b.u8(r); return op(0x96, b.bytes); }
inline QByteArray storeRegister(int r) { Bits b; b.u8(r); return op(0x87, b.bytes); }
inline QByteArray trace(const QByteArray &s) { return pushString(s) + op(0x26); }
inline QByteArray jump(int offset) { Bits b; b.u16(offset & 0xFFFF); return op(0x99, b.bytes); }
inline QByteArray getUrl2() { Bits b; b.u8(0); return op(0x9A, b.bytes); }
inline QByteArray branchIf(int offset) { Bits b; b.u16(offset & 0xFFFF); return op(0x9D, b.bytes); }
inline QByteArray pushNull() { Bits b; b.u8(2); return op(0x96, b.bytes); }
inline QByteArray pushUndefined() { Bits b; b.u8(3); return op(0x96, b.bytes); }
inline QByteArray getVariable(const QByteArray &name) { return pushString(name) + op(0x1C); }
// Calls: arguments first (pushed last to first), then their count.
inline QByteArray callFunction(const QByteArray &name, int argumentCount)
{
    return pushNumber(argumentCount) + pushString(name) + op(0x3D);
}
// function name(parameters) { body }; an empty name leaves the function on the stack.
inline QByteArray defineFunction(const QByteArray &name, const std::vector<QByteArray> &parameters,
                                 const QByteArray &body)
{
    Bits b;
    b.string(name);
    b.u16(int(parameters.size()));
    for (const QByteArray &parameter : parameters)
        b.string(parameter);
    b.u16(int(body.size()));
    return op(0x9B, b.bytes) + body;
}
// DefineFunction2 with each parameter in the register given beside it.
inline QByteArray defineFunction2(const QByteArray &name, int registers, int flags,
                                  const std::vector<std::pair<int, QByteArray>> &parameters, const QByteArray &body)
{
    Bits b;
    b.string(name);
    b.u16(int(parameters.size()));
    b.u8(registers);
    b.u8(flags & 0xFF);
    b.u8(flags >> 8);
    for (const auto &[reg, parameter] : parameters) {
        b.u8(reg);
        b.string(parameter);
    }
    b.u16(int(body.size()));
    return op(0x8E, b.bytes) + body;
}
} // namespace as

inline QByteArray doAction(const QByteArray &actions)
{
    return tag(12, actions + QByteArray(1, '\0'));
}

// A text field (black, device font) showing a script variable, or its own text while the variable is unset.
inline QByteArray editText(int id, const QRect &twips, const QByteArray &variable, const QByteArray &text = {})
{
    Bits b;
    b.u16(id);
    b.rect(twips);
    b.u16(0x0004 | (text.isEmpty() ? 0 : 0x0080));
    b.rgba(Qt::black);
    b.string(variable);
    if (!text.isEmpty())
        b.string(text);
    return tag(37, b.bytes);
}

// A DefineFont3 (2048 x 20 units to the em, y growing down from the
// baseline) whose glyphs are filled rectangles, with layout (ascent,
// descent, advances); an empty box makes a blank glyph such as a space.
struct Glyph {
    int code;
    QRect box;
    int advance;
};
inline QByteArray font3(int id, const QByteArray &name, const std::vector<Glyph> &glyphs, int ascent, int descent,
                        bool bold = false, bool italic = false)
{
    std::vector<QByteArray> shapes;
    for (const Glyph &g : glyphs) {
        Bits s;
        s.ub(1, 4); // one fill bit
        s.ub(0, 4);
        if (!g.box.isEmpty()) {
            const QRect &r = g.box;
            s.ub(0, 1);
            s.ub(0b00101, 5);
            const int n = Bits::bitsFor({r.left(), r.top()}) + 1;
            s.ub(quint32(n), 5);
            s.sb(r.left(), n);
            s.sb(r.top(), n);
            s.ub(1, 1);
            const auto edge = [&s](int dx, int dy) {
                const int bits = std::max(2, Bits::bitsFor({dx, dy}));
                s.ub(1, 1);
                s.ub(1, 1);
                s.ub(quint32(bits - 2), 4);
                s.ub(1, 1);
                s.sb(dx, bits);
                s.sb(dy, bits);
            };
            edge(r.width(), 0);
            edge(0, r.height());
            edge(-r.width(), 0);
            edge(0, -r.height());
        }
        s.ub(0, 6);
        s.align();
        shapes.push_back(s.bytes);
    }
    Bits b;
    b.u16(id);
    b.u8(0x80 | 0x08 | 0x04 | (italic ? 0x02 : 0) | (bold ? 0x01 : 0));
    b.u8(0);
    b.u8(int(name.size()));
    b.raw(name);
    b.u16(int(glyphs.size()));
    quint32 offset = quint32(4 * (glyphs.size() + 1));
    for (const QByteArray &shape : shapes) {
        b.u32(offset);
        offset += quint32(shape.size());
    }
    b.u32(offset);
    for (const QByteArray &shape : shapes)
        b.raw(shape);
    for (const Glyph &g : glyphs)
        b.u16(g.code);
    b.u16(ascent);
    b.u16(descent);
    b.u16(0); // leading
    for (const Glyph &g : glyphs)
        b.u16(g.advance);
    for (const Glyph &g : glyphs)
        b.rect(g.box);
    b.u16(0); // no kerning
    return tag(75, b.bytes);
}

// A DefineEditText with every option a test may want.
struct Field {
    QRect bounds; // twips
    int fontId = 0;
    int height = 240;
    QColor color = Qt::black;
    QByteArray text, variable;
    bool html = false, border = false, wordWrap = false, multiline = false, password = false, useOutlines = false;
    std::optional<int> align;
    int leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
};
inline QByteArray field(int id, const Field &f)
{
    const bool layout = f.align || f.leftMargin || f.rightMargin || f.indent || f.leading;
    Bits b;
    b.u16(id);
    b.rect(f.bounds);
    b.u8((f.text.isEmpty() ? 0 : 0x80) | (f.wordWrap ? 0x40 : 0) | (f.multiline ? 0x20 : 0) |
         (f.password ? 0x10 : 0) | 0x04 | (f.fontId ? 0x01 : 0));
    b.u8((layout ? 0x20 : 0) | (f.border ? 0x08 : 0) | (f.html ? 0x02 : 0) | (f.useOutlines ? 0x01 : 0));
    if (f.fontId) {
        b.u16(f.fontId);
        b.u16(f.height);
    }
    b.rgba(f.color);
    if (layout) {
        b.u8(f.align.value_or(0));
        b.u16(f.leftMargin);
        b.u16(f.rightMargin);
        b.u16(f.indent);
        b.u16(f.leading & 0xFFFF);
    }
    b.string(f.variable);
    if (!f.text.isEmpty())
        b.string(f.text);
    return tag(37, b.bytes);
}

// Gives a character a name scripts can attach it by.
inline QByteArray exportAssets(int id, const QByteArray &name)
{
    Bits b;
    b.u16(1);
    b.u16(id);
    b.string(name);
    return tag(56, b.bytes);
}

inline QByteArray doInitAction(int spriteId, const QByteArray &actions)
{
    Bits b;
    b.u16(spriteId);
    return tag(59, b.bytes + actions + QByteArray(1, '\0'));
}

// A DefineButton2 whose up, over and down states show `shape` and whose hit
// area is `hitShape`; `actions` run when it is released over it.
inline QByteArray button(int id, int shape, int hitShape, const QByteArray &actions, int conditions = 0x0008)
{
    Bits records;
    const auto record = [&records](int states, int character) {
        records.u8(states);
        records.u16(character);
        records.u16(1);
        records.matrix();
        records.u8(0); // empty colour transform
    };
    record(0x07, shape);
    record(0x08, hitShape);
    records.u8(0);
    Bits b;
    b.u16(id);
    b.u8(0);
    b.u16(int(records.bytes.size()) + 2);
    b.raw(records.bytes);
    b.u16(0); // last condition record
    b.u16(conditions);
    b.raw(actions + QByteArray(1, '\0'));
    return tag(34, b.bytes);
}

enum class Packing { None, Zlib, Lzma };

// A whole movie: stage in pixels, frame rate, the header's frame count, tags.
inline QByteArray movie(const QByteArray &tags, int version = 8, QSize stage = QSize(200, 150), double rate = 12,
                        int headerFrames = -1, Packing packing = Packing::None)
{
    Bits head;
    head.rect(QRect(0, 0, stage.width() * 20, stage.height() * 20));
    head.u16(int(rate * 256));
    head.u16(headerFrames >= 0 ? headerFrames : int(tags.count(showFrame())));
    const QByteArray body = head.bytes + tags + end();
    const quint32 length = quint32(8 + body.size());
    Bits file;
    file.raw(packing == Packing::None ? "FWS" : packing == Packing::Zlib ? "CWS" : "ZWS");
    file.u8(version);
    file.u32(length);
    if (packing == Packing::None)
        return file.bytes + body;
    if (packing == Packing::Zlib) {
        uLongf size = compressBound(uLong(body.size()));
        QByteArray packed(int(size), '\0');
        compress(reinterpret_cast<Bytef *>(packed.data()), &size, reinterpret_cast<const Bytef *>(body.constData()),
                 uLong(body.size()));
        packed.resize(int(size));
        return file.bytes + packed;
    }
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    uint32_t propsSize = 0;
    lzma_properties_size(&propsSize, &filters[0]);
    QByteArray props(int(propsSize), '\0');
    lzma_properties_encode(&filters[0], reinterpret_cast<uint8_t *>(props.data()));
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK)
        return {};
    QByteArray packed(body.size() * 2 + 1024, '\0');
    stream.next_in = reinterpret_cast<const uint8_t *>(body.constData());
    stream.avail_in = size_t(body.size());
    stream.next_out = reinterpret_cast<uint8_t *>(packed.data());
    stream.avail_out = size_t(packed.size());
    const lzma_ret result = lzma_code(&stream, LZMA_FINISH);
    packed.resize(packed.size() - int(stream.avail_out));
    lzma_end(&stream);
    if (result != LZMA_STREAM_END && result != LZMA_OK)
        return {};
    Bits compressedLength;
    compressedLength.u32(quint32(packed.size()));
    return file.bytes + compressedLength.bytes + props + packed;
}

} // namespace SwfWriter
