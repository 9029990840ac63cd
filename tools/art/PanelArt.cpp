#include "PanelArt.h"

#include "list/ListLayout.h"
#include "main/PanelLayout.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <vector>

namespace PanelArt {
namespace {

// Palette of the panel.
const QColor PanelTop(0x24, 0x4f, 0xa8);
const QColor PanelBottom(0x10, 0x27, 0x5e);
const QColor TitleTop(0x3b, 0x70, 0xd6);
const QColor TitleBottom(0x1f, 0x48, 0x9c);
const QColor BevelLight(0x6f, 0x9a, 0xe8);
const QColor BevelDark(0x06, 0x10, 0x2a);
const QColor DisplayFill(0x02, 0x0d, 0x06);
const QColor DisplayEdge(0x0a, 0x19, 0x3a);
const QColor GrooveFill(0x07, 0x14, 0x33);
const QColor GlyphUnlit(0xb9, 0xcd, 0xf2);
const QColor GlyphLit(0xff, 0xff, 0xff);
const QColor GreenLow(0x1f, 0xb8, 0x48);
const QColor GreenHigh(0x9c, 0xff, 0x9e);
const QColor WordmarkColour(0xd9, 0xe6, 0xff);

QImage canvas(int width, int height, int scale)
{
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void begin(QPainter &p, int scale)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
}

QImage finished(QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Letters drawn as strokes on a 4 x 6 grid, in a squared display style.
std::vector<std::vector<QPointF>> letterStrokes(char letter)
{
    switch (letter) {
    case 'T': return {{{0, 0}, {4, 0}}, {{2, 0}, {2, 6}}};
    case 'E': return {{{4, 0}, {0, 0}, {0, 6}, {4, 6}}, {{0, 3}, {3, 3}}};
    case 'S': return {{{4, 0}, {0, 0}, {0, 3}, {4, 3}, {4, 6}, {0, 6}}};
    case 'A': return {{{0, 6}, {0, 0}, {4, 0}, {4, 6}}, {{0, 3}, {4, 3}}};
    case 'R': return {{{0, 6}, {0, 0}, {4, 0}, {4, 3}, {0, 3}}, {{2, 3}, {4, 6}}};
    case 'O': return {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 0}}};
    default: return {};
    }
}

void wordmark(QPainter &p, QPointF origin, const char *text, qreal unit, const QColor &colour)
{
    QPen pen(colour, unit * 0.9, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    qreal x = origin.x();
    for (const char *c = text; *c; ++c) {
        for (const auto &stroke : letterStrokes(*c)) {
            QPainterPath path;
            for (size_t i = 0; i < stroke.size(); ++i) {
                const QPointF point(x + stroke[i].x() * unit, origin.y() + stroke[i].y() * unit);
                i == 0 ? path.moveTo(point) : path.lineTo(point);
            }
            p.drawPath(path);
        }
        x += 6 * unit;
    }
}

// The round emblem: a disc with a play triangle.
void emblem(QPainter &p, QPointF centre, qreal radius)
{
    QRadialGradient glow(centre - QPointF(radius * 0.3, radius * 0.4), radius * 1.4);
    glow.setColorAt(0, QColor(0x9f, 0xd8, 0xff));
    glow.setColorAt(1, QColor(0x1c, 0x6e, 0xd8));
    p.setPen(QPen(QColor(0x0b, 0x25, 0x5c), 1));
    p.setBrush(glow);
    p.drawEllipse(centre, radius, radius);
    QPolygonF triangle;
    triangle << centre + QPointF(-radius * 0.3, -radius * 0.45) << centre + QPointF(radius * 0.5, 0)
             << centre + QPointF(-radius * 0.3, radius * 0.45);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(triangle);
}

void bevelFrame(QPainter &p, const QRectF &r, const QColor &light, const QColor &dark)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(light, 1));
    p.drawLine(QPointF(r.left() + 0.5, r.bottom() - 0.5), QPointF(r.left() + 0.5, r.top() + 0.5));
    p.drawLine(QPointF(r.left() + 0.5, r.top() + 0.5), QPointF(r.right() - 0.5, r.top() + 0.5));
    p.setPen(QPen(dark, 1));
    p.drawLine(QPointF(r.right() - 0.5, r.top() + 0.5), QPointF(r.right() - 0.5, r.bottom() - 0.5));
    p.drawLine(QPointF(r.right() - 0.5, r.bottom() - 0.5), QPointF(r.left() + 0.5, r.bottom() - 0.5));
}

// A sunken dark box such as the displays and grooves.
void sunkenBox(QPainter &p, const QRectF &r, qreal radius, const QColor &fill)
{
    p.setPen(QPen(BevelDark, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setPen(QPen(QColor(0x5d, 0x86, 0xd6, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(r.left() + radius, r.bottom() + 0.5), QPointF(r.right() - radius, r.bottom() + 0.5));
}

// A raised button face; lit faces are brighter.
void buttonFace(QPainter &p, const QRectF &r, bool lit, bool danger)
{
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    if (danger) {
        face.setColorAt(0, lit ? QColor(0xff, 0x7a, 0x6e) : QColor(0xc8, 0x4a, 0x44));
        face.setColorAt(1, lit ? QColor(0xd9, 0x2b, 0x22) : QColor(0x8a, 0x1f, 0x1c));
    } else {
        face.setColorAt(0, lit ? QColor(0x74, 0xa8, 0xff) : QColor(0x40, 0x72, 0xd2));
        face.setColorAt(1, lit ? QColor(0x35, 0x6c, 0xdc) : QColor(0x1c, 0x45, 0x9a));
    }
    const qreal radius = r.height() > 20 ? 4 : 3;
    p.setPen(QPen(BevelDark, 1));
    p.setBrush(face);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, lit ? 150 : 90), 1));
    p.drawLine(QPointF(r.left() + radius, r.top() + 1.5), QPointF(r.right() - radius, r.top() + 1.5));
}

enum class Glyph { Previous, Play, Pause, Stop, Next, Add, Tray, Close, Player, List };

void glyph(QPainter &p, Glyph g, const QRectF &r, bool lit)
{
    const QColor colour = lit ? GlyphLit : GlyphUnlit;
    const QPointF c = r.center();
    const qreal s = r.width() / 24.0; // glyphs are designed on the 24-pixel button
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const auto tri = [&](qreal x0, qreal x1, qreal h) { // pointing right from x0 to x1
        QPolygonF t;
        t << QPointF(c.x() + x0 * s, c.y() - h * s) << QPointF(c.x() + x1 * s, c.y())
          << QPointF(c.x() + x0 * s, c.y() + h * s);
        p.drawPolygon(t);
    };
    const auto bar = [&](qreal x, qreal y, qreal w, qreal h) {
        p.drawRect(QRectF(c.x() + x * s, c.y() + y * s, w * s, h * s));
    };
    switch (g) {
    case Glyph::Previous:
        bar(-6, -5, 2, 10);
        tri(0, -4, 5);
        tri(6, 0, 5);
        break;
    case Glyph::Next:
        tri(-6, 0, 5);
        tri(0, 4, 5);
        bar(4, -5, 2, 10);
        break;
    case Glyph::Play:
        tri(-3.5, 5.5, 6);
        break;
    case Glyph::Pause:
        bar(-5, -5.5, 3.5, 11);
        bar(1.5, -5.5, 3.5, 11);
        break;
    case Glyph::Stop:
        bar(-5, -5, 10, 10);
        break;
    case Glyph::Add:
        bar(-6, -1.5, 12, 3);
        bar(-1.5, -6, 3, 12);
        break;
    case Glyph::Tray:
        bar(-7, 3, 14, 3);
        break;
    case Glyph::Close: {
        QPen pen(colour, 2.2 * s, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(c + QPointF(-5, -5) * s, c + QPointF(5, 5) * s);
        p.drawLine(c + QPointF(5, -5) * s, c + QPointF(-5, 5) * s);
        break;
    }
    case Glyph::Player: {
        p.setPen(QPen(colour, 1.6 * s));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(c.x() - 7 * s, c.y() - 6 * s, 14 * s, 10 * s), 1.5 * s, 1.5 * s);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        QPolygonF t;
        t << c + QPointF(-2, -3.5) * s << c + QPointF(3, -1) * s << c + QPointF(-2, 1.5) * s;
        p.drawPolygon(t);
        bar(-4, 5.5, 8, 1.6);
        break;
    }
    case Glyph::List:
        for (int i = 0; i < 3; ++i) {
            bar(-7, -5 + i * 4.2, 2.5, 2.2);
            bar(-3, -5 + i * 4.2, 10, 2.2);
        }
        break;
    }
}

Glyph glyphOfTag(int tag)
{
    static const Glyph glyphs[] = {Glyph::Previous, Glyph::Play, Glyph::Pause, Glyph::Stop, Glyph::Next,
                                   Glyph::Add,      Glyph::Tray, Glyph::Close, Glyph::Player, Glyph::List};
    return glyphs[tag];
}

// The volume groove widens from left to right like a loudness wedge.
QPolygonF volumeWedge()
{
    const QRectF r = PanelLayout::Volume;
    QPolygonF wedge;
    wedge << QPointF(r.left() + 1, r.bottom() - 2) << QPointF(r.right() - 1, r.top() + 2)
          << QPointF(r.right() - 1, r.bottom() - 2);
    return wedge;
}

void speaker(QPainter &p, QPointF at, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPolygonF cone;
    cone << at + QPointF(0, 3) << at + QPointF(2.5, 3) << at + QPointF(6, 0) << at + QPointF(6, 11)
         << at + QPointF(2.5, 8) << at + QPointF(0, 8);
    p.drawPolygon(cone);
}

} // namespace

QImage PanelFace(bool lit, int scale)
{
    using namespace PanelLayout;
    QImage image = canvas(Width, Height, scale);
    QPainter p(&image);
    begin(p, scale);

    // Body and title band.
    QLinearGradient body(0, 0, 0, Height);
    body.setColorAt(0, PanelTop);
    body.setColorAt(1, PanelBottom);
    p.fillRect(QRectF(0, 0, Width, Height), body);
    QLinearGradient title(0, 0, 0, 28);
    title.setColorAt(0, TitleTop);
    title.setColorAt(1, TitleBottom);
    p.fillRect(QRectF(0, 0, Width, 28), title);
    p.setPen(QPen(BevelDark, 1));
    p.drawLine(QPointF(1, 28.5), QPointF(Width - 1, 28.5));
    p.setPen(QPen(QColor(0x5d, 0x8c, 0xe6), 1));
    p.drawLine(QPointF(1, 29.5), QPointF(Width - 1, 29.5));
    bevelFrame(p, QRectF(0, 0, Width, Height), BevelLight, BevelDark);

    emblem(p, QPointF(15, 14), 7.5);
    wordmark(p, QPointF(29, 9.5), "TESSARO", 1.5, WordmarkColour);

    // Displays: time at the left, title at the right.
    sunkenBox(p, QRectF(12, 31, 94, 37), 4, DisplayFill);
    sunkenBox(p, QRectF(112, 30, 145, 19), 3, DisplayFill);

    // Volume wedge with its speaker, and the seek groove.
    speaker(p, QPointF(108, 54), lit ? GreenHigh : GlyphUnlit);
    p.setPen(QPen(BevelDark, 1));
    p.setBrush(GrooveFill);
    p.drawPolygon(volumeWedge());
    sunkenBox(p, QRectF(Seek).adjusted(0, 1, 0, -1), 3, GrooveFill);
    if (lit) {
        QLinearGradient green(Volume.left(), 0, Volume.right(), 0);
        green.setColorAt(0, GreenLow);
        green.setColorAt(1, GreenHigh);
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(volumeWedge());
        QLinearGradient seekGreen(0, Seek.top(), 0, Seek.bottom());
        seekGreen.setColorAt(0, GreenHigh);
        seekGreen.setColorAt(1, GreenLow);
        p.setBrush(seekGreen);
        p.drawRoundedRect(QRectF(Seek).adjusted(1, 2, -1, -2), 2, 2);
    }

    // Buttons.
    for (const ButtonPlace &button : Buttons) {
        const QRectF r = button.rect;
        buttonFace(p, r, lit, button.tag == TagClose);
        glyph(p, glyphOfTag(button.tag), r, lit);
    }

    // A speaker grille fills the free corner beside the add button.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x07, 0x16, 0x3a));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 14; ++col)
            p.drawEllipse(QPointF(172 + col * 6 + (row % 2) * 3, 89 + row * 5.5), 1.3, 1.3);
    p.end();
    return finished(image);
}

QImage BarThumb(int scale)
{
    using namespace PanelLayout;
    QImage image = canvas(ThumbWidth, ThumbBitmapHeight, scale);
    QPainter p(&image);
    begin(p, scale);
    QLinearGradient metal(0, 0, ThumbWidth, 0);
    metal.setColorAt(0, QColor(0xf4, 0xf7, 0xff));
    metal.setColorAt(1, QColor(0x8e, 0x9e, 0xc4));
    p.setPen(QPen(QColor(0x0b, 0x17, 0x36), 1));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(0.5, 0.5, ThumbWidth - 1, ThumbRows - 1), 2, 2);
    p.setPen(QPen(QColor(0x4a, 0x5d, 0x8c), 1));
    p.drawLine(QPointF(4, 4), QPointF(4, ThumbRows - 4));
    p.end();
    return finished(image);
}

QImage ListSkin(int scale)
{
    using namespace ListLayout;
    QImage image = canvas(SkinWidth, SkinHeight, scale);
    QPainter p(&image);
    begin(p, scale);

    QLinearGradient frame(0, 0, 0, SkinHeight);
    frame.setColorAt(0, PanelTop);
    frame.setColorAt(1, PanelBottom);
    p.fillRect(QRectF(0, 0, SkinWidth, SkinHeight), frame);
    QLinearGradient title(0, 0, 0, TitleHeight);
    title.setColorAt(0, TitleTop);
    title.setColorAt(1, TitleBottom);
    p.fillRect(QRectF(0, 0, SkinWidth, TitleHeight), title);
    bevelFrame(p, QRectF(0, 0, SkinWidth, SkinHeight), BevelLight, BevelDark);
    emblem(p, QPointF(13.5, 13.5), 7);

    // Body: the list's own colour, with the dark scroll slot at its right.
    const QRectF body(BorderSize, TitleHeight, SkinWidth - 2 * BorderSize, SkinHeight - TitleHeight - BorderSize);
    p.fillRect(body, QColor(181, 218, 255));
    bevelFrame(p, body.adjusted(-1, -1, 1, 1), BevelDark, BevelLight);
    sunkenBox(p, QRectF(ScrollSlot), 3, GrooveFill);

    // Close box in the top-right corner.
    const QRectF close(SkinWidth - CloseBoxWidth + 1, 5, 16, 16);
    buttonFace(p, close, false, true);
    glyph(p, Glyph::Close, close, true);
    p.end();
    return finished(image);
}

QImage ScrollThumb(int scale)
{
    using namespace ListLayout;
    QImage image = canvas(ScrollThumbWidth, ScrollThumbSlice * ScrollThumbSlices, scale);
    QPainter p(&image);
    begin(p, scale);
    // Slices from the top: normal, hot, pressed, disabled.
    const QColor tops[] = {QColor(0xf0, 0xf5, 0xff), QColor(0xff, 0xff, 0xff), QColor(0xc4, 0xd2, 0xf0),
                           QColor(0x9a, 0xa4, 0xb8)};
    const QColor bottoms[] = {QColor(0x86, 0x9c, 0xd0), QColor(0xa4, 0xbc, 0xf0), QColor(0x6a, 0x80, 0xb8),
                              QColor(0x70, 0x78, 0x88)};
    for (int slice = 0; slice < ScrollThumbSlices; ++slice) {
        const QRectF r(0.5, slice * ScrollThumbSlice + 0.5, ScrollThumbWidth - 1, ScrollThumbSlice - 1);
        QLinearGradient metal(0, 0, ScrollThumbWidth, 0);
        metal.setColorAt(0, tops[slice]);
        metal.setColorAt(1, bottoms[slice]);
        p.setPen(QPen(QColor(0x0b, 0x17, 0x36), 1));
        p.setBrush(metal);
        p.drawRoundedRect(r, 3, 3);
        p.setPen(QPen(QColor(0x4a, 0x5d, 0x8c), 1));
        for (int i = -1; i <= 1; ++i) {
            const qreal y = r.center().y() + i * 3;
            p.drawLine(QPointF(2.5, y), QPointF(ScrollThumbWidth - 2.5, y));
        }
    }
    p.end();
    return finished(image);
}

QImage AppIcon(int scale)
{
    constexpr int Size = 64;
    QImage image = canvas(Size, Size, scale);
    QPainter p(&image);
    begin(p, scale);
    // A rounded blue tile, like the panel, carrying the emblem.
    QLinearGradient tile(0, 0, 0, Size);
    tile.setColorAt(0, TitleTop);
    tile.setColorAt(1, PanelBottom);
    p.setPen(QPen(BevelDark, 2));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, Size - 4, Size - 4), 12, 12);
    emblem(p, QPointF(Size / 2.0, Size / 2.0), 21);
    p.end();
    return finished(image);
}

} // namespace PanelArt
