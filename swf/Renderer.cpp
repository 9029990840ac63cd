#include "Renderer.h"

#include "swf/ShapeParser.h"

#include <QTextDocument>

#include <cmath>

namespace swf {

namespace {

// Layers (blend modes) nest at most this deep; deeper ones draw normally.
constexpr int MaxLayers = 6;
// The morph shapes kept per renderer, by character and ratio.
constexpr int MaxMorphCache = 256;

QPainter::CompositionMode compositionFor(int blendMode, bool inLayer, bool *supported)
{
    *supported = true;
    switch (blendMode) {
    case 3: return QPainter::CompositionMode_Multiply;
    case 4: return QPainter::CompositionMode_Screen;
    case 5: return QPainter::CompositionMode_Lighten;
    case 6: return QPainter::CompositionMode_Darken;
    case 7: return QPainter::CompositionMode_Difference;
    case 8: return QPainter::CompositionMode_Plus;
    case 11:
        *supported = inLayer;
        return QPainter::CompositionMode_DestinationIn;
    case 12:
        *supported = inLayer;
        return QPainter::CompositionMode_DestinationOut;
    case 13: return QPainter::CompositionMode_Overlay;
    case 14: return QPainter::CompositionMode_HardLight;
    case 2: return QPainter::CompositionMode_SourceOver; // a plain layer
    default:
        *supported = false;
        return QPainter::CompositionMode_SourceOver;
    }
}

QColor mixColor(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

// The gradient's colours as the reference player computes them: stops are
// taken in file order; a position before the first stop takes its colour, one
// between two stops in order blends them, and one past them all takes the
// last colour. Stops out of order or repeated therefore give hard edges.
QGradientStops gradientStops(const QGradientStops &stops, const ColorTransform &cx)
{
    QGradientStops out;
    if (stops.isEmpty()) {
        out.append({0.0, QColor(Qt::transparent)});
        return out;
    }
    bool ordered = true;
    for (int i = 1; i < stops.size(); ++i)
        ordered = ordered && stops[i].first > stops[i - 1].first;
    if (ordered) {
        for (const QGradientStop &stop : stops)
            out.append({stop.first, cx.apply(stop.second)});
        return out;
    }
    constexpr int Steps = 256;
    for (int step = 0; step < Steps; ++step) {
        const double t = step / double(Steps - 1);
        QColor colour = stops.last().second;
        if (t <= stops.first().first) {
            colour = stops.first().second;
        } else {
            for (int i = 1; i < stops.size(); ++i) {
                if (t <= stops[i].first && stops[i - 1].first < stops[i].first) {
                    const double span = stops[i].first - stops[i - 1].first;
                    colour = mixColor(stops[i - 1].second, stops[i].second, (t - stops[i - 1].first) / span);
                    break;
                }
            }
        }
        out.append({t, cx.apply(colour)});
    }
    return out;
}

QString plainText(const QString &text)
{
    if (!text.contains(u'<'))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

} // namespace

void Renderer::render(QPainter &painter, const DisplayObject &root, const QTransform &stageToDevice)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawChildren(painter, root, stageToDevice, ColorTransform{}, false, 0);
}

void Renderer::drawChildren(QPainter &painter, const DisplayObject &parent, const QTransform &toDevice,
                            const ColorTransform &cx, bool inLayer, int layers)
{
    struct Mask {
        int upTo;
        QPainterPath path;
    };
    std::vector<Mask> masks;
    for (const auto &[depth, child] : parent.children) {
        masks.erase(std::remove_if(masks.begin(), masks.end(), [d = depth](const Mask &m) { return d > m.upTo; }),
                    masks.end());
        if (child->clipDepth > 0) {
            masks.push_back({child->clipDepth, maskPath(*child, child->matrix * toDevice, 0)});
            continue;
        }
        if (!child->visible)
            continue;
        if (masks.empty()) {
            drawObject(painter, *child, toDevice, cx, inLayer, layers);
            continue;
        }
        painter.save();
        const QTransform world = painter.worldTransform();
        painter.resetTransform();
        for (const Mask &mask : masks)
            painter.setClipPath(mask.path, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        painter.setWorldTransform(world);
        drawObject(painter, *child, toDevice, cx, inLayer, layers);
        painter.restore();
    }
}

void Renderer::drawObject(QPainter &painter, const DisplayObject &object, const QTransform &parentToDevice,
                          const ColorTransform &parentCx, bool inLayer, int layers)
{
    const QTransform toDevice = object.matrix * parentToDevice;
    const ColorTransform cx = parentCx.after(object.cxform);
    bool supported = false;
    const QPainter::CompositionMode mode = compositionFor(object.blendMode, inLayer, &supported);
    QPaintDevice *device = painter.device();
    if (!supported || layers >= MaxLayers || !device) {
        drawContent(painter, object, toDevice, cx, inLayer, layers);
        return;
    }
    // Blend modes act on the whole object at once: draw it into a layer first.
    QImage layer(device->width(), device->height(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) {
        drawContent(painter, object, toDevice, cx, inLayer, layers);
        return;
    }
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        if (painter.hasClipping())
            layerPainter.setClipRegion(painter.clipRegion());
        drawContent(layerPainter, object, toDevice, cx, true, layers + 1);
    }
    painter.save();
    painter.resetTransform();
    painter.setCompositionMode(mode);
    painter.drawImage(0, 0, layer);
    painter.restore();
}

void Renderer::drawContent(QPainter &painter, const DisplayObject &object, const QTransform &toDevice,
                           const ColorTransform &cx, bool inLayer, int layers)
{
    const Character *c = object.character;
    if (const auto *shape = dynamic_cast<const ShapeDef *>(c)) {
        drawLayers(painter, shape->layers, toDevice, cx);
    } else if (const auto *morph = dynamic_cast<const MorphShapeDef *>(c)) {
        drawLayers(painter, morphLayers(*morph, object.ratio), toDevice, cx);
    } else if (const auto *text = dynamic_cast<const TextDef *>(c)) {
        drawText(painter, *text, toDevice, cx);
    } else if (const auto *edit = dynamic_cast<const EditTextDef *>(c)) {
        std::optional<QString> bound = textOf ? textOf(object) : std::nullopt;
        drawEditText(painter, *edit, bound ? *bound : plainText(edit->text), toDevice, cx);
    } else {
        drawChildren(painter, object, toDevice, cx, inLayer, layers);
    }
}

const std::vector<ShapeLayer> &Renderer::morphLayers(const MorphShapeDef &morph, int ratio)
{
    const qint64 key = (qint64(morph.id) << 32) | uint32_t(ratio);
    auto it = m_morphCache.find(key);
    if (it == m_morphCache.end()) {
        if (m_morphCache.size() >= MaxMorphCache)
            m_morphCache.clear();
        it = m_morphCache.insert(key, MorphAt(morph, ratio, nullptr));
    }
    return *it;
}

QBrush Renderer::brushFor(const FillStyle &fill, const ColorTransform &cx)
{
    switch (fill.type) {
    case FillStyle::Solid:
        return QBrush(cx.apply(fill.color));
    case FillStyle::Linear:
    case FillStyle::Radial:
    case FillStyle::Focal: {
        QGradient gradient;
        if (fill.type == FillStyle::Linear)
            gradient = QLinearGradient(-16384, 0, 16384, 0);
        else
            gradient = QRadialGradient(QPointF(0, 0), 16384, QPointF(std::clamp(fill.focal, -0.98, 0.98) * 16384, 0));
        gradient.setSpread(fill.spread == 1 ? QGradient::ReflectSpread
                                            : fill.spread == 2 ? QGradient::RepeatSpread : QGradient::PadSpread);
        gradient.setStops(gradientStops(fill.stops, cx));
        QBrush brush(gradient);
        brush.setTransform(fill.matrix);
        return brush;
    }
    case FillStyle::Bitmap: {
        const auto *bitmap = dynamic_cast<const BitmapDef *>(m_movie.character(fill.bitmapId));
        if (!bitmap || bitmap->image.isNull())
            return QBrush(Qt::NoBrush);
        QImage image = bitmap->image;
        if (!cx.isIdentity()) {
            const QString key = QStringLiteral("%1:%2,%3,%4,%5:%6,%7,%8,%9")
                                    .arg(fill.bitmapId)
                                    .arg(cx.redMult).arg(cx.greenMult).arg(cx.blueMult).arg(cx.alphaMult)
                                    .arg(cx.redAdd).arg(cx.greenAdd).arg(cx.blueAdd).arg(cx.alphaAdd);
            auto it = m_bitmapCache.find(key);
            if (it == m_bitmapCache.end()) {
                if (m_bitmapCache.size() > 64)
                    m_bitmapCache.clear();
                QImage transformed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
                for (int y = 0; y < transformed.height(); ++y) {
                    auto *row = reinterpret_cast<QRgb *>(transformed.scanLine(y));
                    for (int x = 0; x < transformed.width(); ++x)
                        row[x] = cx.applyPremultiplied(row[x]);
                }
                it = m_bitmapCache.insert(key, transformed);
            }
            image = *it;
        }
        QBrush brush(image);
        brush.setTransform(fill.matrix);
        return brush;
    }
    }
    return QBrush(Qt::NoBrush);
}

void Renderer::drawLayers(QPainter &painter, const std::vector<ShapeLayer> &layers, const QTransform &toDevice,
                          const ColorTransform &cx)
{
    painter.setWorldTransform(toDevice);
    const double scale = std::sqrt(std::fabs(toDevice.determinant()));
    for (const ShapeLayer &layer : layers) {
        for (const auto &[fill, path] : layer.fills) {
            painter.setPen(Qt::NoPen);
            if (fill.type == FillStyle::Bitmap && !fill.repeat) {
                // A clipped bitmap is drawn once, inside the shape.
                const auto *bitmap = dynamic_cast<const BitmapDef *>(m_movie.character(fill.bitmapId));
                if (!bitmap)
                    continue;
                const QBrush brush = brushFor(fill, cx);
                painter.save();
                painter.setClipPath(path, Qt::IntersectClip);
                painter.setWorldTransform(fill.matrix * toDevice);
                painter.setRenderHint(QPainter::SmoothPixmapTransform, fill.smooth);
                painter.drawImage(0, 0, brush.textureImage());
                painter.restore();
                continue;
            }
            painter.setRenderHint(QPainter::SmoothPixmapTransform, fill.type != FillStyle::Bitmap || fill.smooth);
            painter.setBrush(brushFor(fill, cx));
            painter.drawPath(path);
        }
        for (const auto &[line, path] : layer.lines) {
            QPen pen(line.fill ? brushFor(*line.fill, cx) : QBrush(cx.apply(line.color)), line.width);
            pen.setCapStyle(line.cap);
            pen.setJoinStyle(line.join);
            pen.setMiterLimit(line.miter);
            // Lines are never drawn thinner than one device pixel.
            if (line.width * scale < 1.0) {
                pen.setWidthF(1.0);
                pen.setCosmetic(true);
            }
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
    }
}

void Renderer::drawText(QPainter &painter, const TextDef &text, const QTransform &toDevice, const ColorTransform &cx)
{
    const QTransform base = text.matrix * toDevice;
    painter.setPen(Qt::NoPen);
    for (const TextRecord &record : text.records) {
        const auto *font = dynamic_cast<const FontDef *>(m_movie.character(record.fontId));
        if (!font)
            continue;
        painter.setBrush(cx.apply(record.color));
        const double scale = record.height / font->emSquare;
        double x = record.x;
        for (const GlyphEntry &glyph : record.glyphs) {
            if (glyph.index >= 0 && glyph.index < int(font->glyphs.size())) {
                QTransform place;
                place.translate(x, record.y);
                place.scale(scale, scale);
                painter.setWorldTransform(place * base);
                painter.drawPath(font->glyphs[size_t(glyph.index)]);
            }
            x += glyph.advance;
        }
    }
}

void Renderer::drawEditText(QPainter &painter, const EditTextDef &text, const QString &shown,
                            const QTransform &toDevice, const ColorTransform &cx)
{
    if (shown.isEmpty())
        return;
    painter.setWorldTransform(toDevice);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, int(text.height)));
    painter.setFont(font);
    painter.setPen(cx.apply(text.color));
    const int align = text.align == 1 ? Qt::AlignRight : text.align == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    painter.drawText(text.bounds.adjusted(40, 40, -40, -40), align | Qt::AlignTop | Qt::TextWordWrap, shown);
}

QPainterPath Renderer::maskPath(const DisplayObject &object, const QTransform &toDevice, int nesting)
{
    QPainterPath path;
    if (nesting > MaxLayers * 4)
        return path;
    if (const auto *shape = dynamic_cast<const ShapeDef *>(object.character)) {
        path = toDevice.map(shape->outline);
    } else if (const auto *morph = dynamic_cast<const MorphShapeDef *>(object.character)) {
        QPainterPath outline;
        MorphAt(*morph, object.ratio, &outline);
        path = toDevice.map(outline);
    } else if (const auto *text = dynamic_cast<const TextDef *>(object.character)) {
        path.addRect(toDevice.mapRect(text->bounds));
    } else {
        for (const auto &[depth, child] : object.children)
            path = path.united(maskPath(*child, child->matrix * toDevice, nesting + 1));
    }
    path.setFillRule(Qt::WindingFill);
    return path;
}

} // namespace swf
