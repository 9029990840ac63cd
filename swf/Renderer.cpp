#include "Renderer.h"

#include "swf/ShapeParser.h"
#include "swf/TextFieldState.h"


#include <cmath>

namespace swf {

namespace {

// Layers (blend modes, filters, cached bitmaps) nest at most this deep;
// deeper ones draw straight onto their parent's canvas.
constexpr int MaxLayers = 8;
// The morph shapes kept per renderer, by character and ratio.
constexpr int MaxMorphCache = 256;
// Colour-transformed bitmaps and cached layers kept per renderer.
constexpr int MaxBitmapCache = 64;
constexpr int MaxLayerCache = 256;
// Largest layer side, in pixels; a bigger object is drawn in part.
constexpr int MaxLayerSide = 4096;
// Text field layouts kept per renderer.
constexpr int MaxFieldLayouts = 128;
// Samples taken along a gradient whose stops Qt cannot take as they are.
constexpr int GradientSamples = 256;
// Deepest nesting bounds and cache keys look into.
constexpr int MaxBoundsNesting = 32;
// Twips per pixel.
constexpr double Twips = 20;
// An embedded font's underline is this share of its size thick, and as far below the baseline.
constexpr double UnderlineShare = 16;
// A focused field's selected text lies on this.
const QColor SelectionColor(0x33, 0x99, 0xFF, 0x80);
// The side of the square gradients are defined in, in twips.
constexpr double GradientHalfSide = 16384;

QColor mixColor(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

double toLinear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double toSrgb(double c)
{
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

QColor mixLinear(const QColor &a, const QColor &b, double t)
{
    const auto m = [t](double x, double y) { return toSrgb(toLinear(x) + (toLinear(y) - toLinear(x)) * t); };
    return QColor::fromRgbF(float(m(a.redF(), b.redF())), float(m(a.greenF(), b.greenF())),
                            float(m(a.blueF(), b.blueF())), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

// The colour at t (0..1) along stops taken in file order: before the first
// stop its colour, between two stops in order their blend, past them all the
// last colour.
QColor colourAt(const QGradientStops &stops, double t, bool linear)
{
    if (t <= stops.first().first)
        return stops.first().second;
    for (int i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first && stops[i - 1].first < stops[i].first) {
            const double k = (t - stops[i - 1].first) / (stops[i].first - stops[i - 1].first);
            return linear ? mixLinear(stops[i - 1].second, stops[i].second, k)
                          : mixColor(stops[i - 1].second, stops[i].second, k);
        }
    }
    return stops.last().second;
}

quint64 mixKey(quint64 seed, quint64 value)
{
    return seed ^ (value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2));
}

quint64 keyOf(const QTransform &t)
{
    quint64 k = 0;
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        k = mixKey(k, quint64(qHash(v)));
    return k;
}

quint64 keyOf(const ColorTransform &c)
{
    quint64 k = 0;
    for (int v : {c.redMult, c.greenMult, c.blueMult, c.alphaMult, c.redAdd, c.greenAdd, c.blueAdd, c.alphaAdd})
        k = mixKey(k, quint64(uint32_t(v)));
    return k;
}

double pixelScaleOf(const QTransform &toDevice)
{
    return std::sqrt(std::fabs(toDevice.determinant())) * Twips;
}

} // namespace

Renderer::Quality QualityNamed(const QString &name, Renderer::Quality current)
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("LOW"))
        return Renderer::Quality::Low;
    if (upper == QLatin1String("MEDIUM"))
        return Renderer::Quality::Medium;
    if (upper == QLatin1String("HIGH"))
        return Renderer::Quality::High;
    if (upper == QLatin1String("BEST"))
        return Renderer::Quality::Best;
    return current;
}

QString QualityName(Renderer::Quality quality)
{
    switch (quality) {
    case Renderer::Quality::Low: return QStringLiteral("LOW");
    case Renderer::Quality::Medium: return QStringLiteral("MEDIUM");
    case Renderer::Quality::High: return QStringLiteral("HIGH");
    case Renderer::Quality::Best: return QStringLiteral("BEST");
    }
    return QStringLiteral("HIGH");
}

QGradientStops GradientStops(const FillStyle &fill, const ColorTransform &cx)
{
    const QGradientStops &stops = fill.stops;
    QGradientStops out;
    if (stops.isEmpty()) {
        out.append({0.0, cx.apply(Qt::black)}); // the reference player fills black
        return out;
    }
    bool ordered = true;
    for (int i = 1; i < stops.size(); ++i)
        ordered = ordered && stops[i].first > stops[i - 1].first;
    if (ordered && !fill.linearRgb) {
        for (const QGradientStop &stop : stops)
            out.append({stop.first, cx.apply(stop.second)});
        return out;
    }
    for (int step = 0; step < GradientSamples; ++step) {
        const double t = step / double(GradientSamples - 1);
        out.append({t, cx.apply(colourAt(stops, t, fill.linearRgb))});
    }
    return out;
}

void Renderer::setHints(QPainter &painter) const
{
    const bool smooth = m_quality != Quality::Low;
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void Renderer::render(QImage &target, const DisplayObject &root, const QTransform &stageToDevice)
{
    if (target.isNull())
        return;
    if (target.format() != QImage::Format_ARGB32_Premultiplied)
        target = target.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_pixelScale = pixelScaleOf(stageToDevice);
    m_stageToDevice = stageToDevice;
    m_filterBudget = FrameFilterBudget(target.size());
    if (m_layerCache.size() > MaxLayerCache / 2) {
        for (auto it = m_layerCache.begin(); it != m_layerCache.end();)
            it = it->alive.expired() ? m_layerCache.erase(it) : std::next(it);
        if (m_layerCache.size() > MaxLayerCache)
            m_layerCache.clear();
    }
    for (auto it = m_loadedFonts.begin(); it != m_loadedFonts.end();)
        it = it->second.movie.expired() ? m_loadedFonts.erase(it) : std::next(it);
    QPainter painter(&target);
    setHints(painter);
    Canvas canvas{&target, &painter, false, 0};
    // What scripts drew on the root lies under everything placed.
    if (root.drawing && !root.drawing->isEmpty())
        drawLayers(painter, root.drawing->layers(), stageToDevice, ColorTransform{});
    drawChildren(canvas, root, stageToDevice, ColorTransform{});
}

void Renderer::renderObject(QImage &target, const DisplayObject &object, const QTransform &toDevice,
                            const ColorTransform &cx, const QRect &clip)
{
    if (target.isNull() || target.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    m_pixelScale = pixelScaleOf(toDevice);
    m_stageToDevice = toDevice;
    m_filterBudget = FrameFilterBudget(target.size());
    const MovieScope scope(*this, object);
    QPainter painter(&target);
    setHints(painter);
    painter.setClipRect(clip);
    Canvas canvas{&target, &painter, false, 0};
    drawContent(canvas, object, toDevice, cx);
}

void Renderer::drawChildren(Canvas &canvas, const DisplayObject &parent, const QTransform &toDevice,
                            const ColorTransform &cx)
{
    QPainter &painter = *canvas.painter;
    struct Mask {
        int upTo;
        QPainterPath path;
    };
    std::vector<Mask> masks;
    for (const auto &[depth, child] : parent.children) {
        masks.erase(std::remove_if(masks.begin(), masks.end(), [d = depth](const Mask &m) { return d > m.upTo; }),
                    masks.end());
        if (child->clipDepth > 0) {
            // A mask inside the reach of another shows only where both do.
            QPainterPath path = maskPath(*child, child->matrix * toDevice, 0);
            for (const Mask &outer : masks)
                path = path.intersected(outer.path);
            masks.push_back({child->clipDepth, path});
            continue;
        }
        const auto draw = [&](const DisplayObject &object) {
            const DisplayObject *masked = object.masking.get();
            if (!object.visible || (masked && masked->mask.get() == &object))
                return;
            if (masks.empty()) {
                drawMasked(canvas, object, toDevice, cx);
                return;
            }
            painter.save();
            const QTransform world = painter.worldTransform();
            painter.resetTransform();
            for (const Mask &mask : masks)
                painter.setClipPath(mask.path, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
            painter.setWorldTransform(world);
            drawMasked(canvas, object, toDevice, cx);
            painter.restore();
        };
        for (const auto &below : child->beneath)
            draw(*below);
        draw(*child);
    }
}

void Renderer::drawMasked(Canvas &canvas, const DisplayObject &object, const QTransform &toDevice,
                          const ColorTransform &cx)
{
    const DisplayObject *mask = object.mask.get();
    if (!mask) {
        drawObject(canvas, object, toDevice, cx);
        return;
    }
    // The mask is where it shows on the stage, wherever it sits in the tree.
    QTransform maskToStage = mask->matrix;
    int nesting = 0;
    for (const DisplayObject *p = mask->parent; p && p->parent && nesting < MaxBoundsNesting; p = p->parent, ++nesting)
        maskToStage *= p->matrix;
    QPainter &painter = *canvas.painter;
    painter.save();
    const QTransform world = painter.worldTransform();
    painter.resetTransform();
    painter.setClipPath(maskPath(*mask, maskToStage * m_stageToDevice, 0),
                        painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter.setWorldTransform(world);
    drawObject(canvas, object, toDevice, cx);
    painter.restore();
}

QRectF Renderer::deviceBounds(const DisplayObject &object, const QTransform &toDevice, int nesting) const
{
    const Character *c = object.character;
    QRectF r;
    if (const auto *shape = dynamic_cast<const ShapeDef *>(c)) {
        r = toDevice.mapRect(shape->bounds);
    } else if (const auto *morph = dynamic_cast<const MorphShapeDef *>(c)) {
        r = toDevice.mapRect(morph->startBounds.united(morph->endBounds));
    } else if (const auto *text = dynamic_cast<const TextDef *>(c)) {
        r = toDevice.mapRect(text->bounds).united((text->matrix * toDevice).mapRect(text->bounds));
    } else if (const auto *edit = dynamic_cast<const EditTextDef *>(c)) {
        r = toDevice.mapRect(object.textField ? object.textField->bounds() : edit->bounds);
    } else if (const auto *video = dynamic_cast<const VideoDef *>(c)) {
        r = toDevice.mapRect(video->bounds());
    } else if (nesting < MaxBoundsNesting) {
        for (const auto &[depth, child] : object.children)
            if (child->visible)
                r = r.united(deviceBounds(*child, child->matrix * toDevice, nesting + 1));
    }
    if (object.drawing && !object.drawing->isEmpty())
        r = r.united(toDevice.mapRect(object.drawing->bounds()));
    if (object.scrollRect)
        r = r.intersected(toDevice.mapRect(QRectF(QPointF(), object.scrollRect->size())));
    // Anti-aliased edges reach into the next pixel.
    return r.isEmpty() ? r : r.adjusted(-1, -1, 1, 1);
}

quint64 Renderer::contentKey(const DisplayObject &object, int nesting) const
{
    quint64 k = mixKey(quint64(object.characterId), quint64(object.currentFrame));
    k = mixKey(k, quint64(uint32_t(object.ratio)) | quint64(object.blendMode) << 32 |
                      quint64(object.visible) << 40 | quint64(object.buttonState) << 48);
    k = mixKey(k, quint64(object.clipDepth));
    k = mixKey(k, keyOf(object.matrix));
    k = mixKey(k, keyOf(object.cxform));
    k = mixKey(k, quint64(quintptr(object.filters.get())));
    if (object.drawing)
        k = mixKey(k, object.drawing->version() + 1);
    if (object.scrollRect)
        k = mixKey(k, quint64(qHash(object.scrollRect->x())) ^ quint64(qHash(object.scrollRect->y())) << 1);
    if (object.textField)
        k = mixKey(k, object.textField->revision());
    if (object.video && object.video->stream)
        k = mixKey(k, quint64(object.video->stream->revision()) + 1);
    if (dynamic_cast<const EditTextDef *>(object.character) && textOf) {
        if (const std::optional<QString> shown = textOf(object))
            k = mixKey(k, quint64(qHash(*shown)) + 1);
    }
    if (nesting < MaxBoundsNesting) {
        for (const auto &[depth, child] : object.children)
            k = mixKey(k, mixKey(quint64(depth), contentKey(*child, nesting + 1)));
        for (const auto &below : object.beneath)
            k = mixKey(k, contentKey(*below, nesting + 1));
    }
    return k;
}

Renderer::MovieScope::MovieScope(Renderer &renderer, const DisplayObject &object)
    : m_renderer(renderer), m_movie(renderer.m_movie), m_fonts(renderer.m_fonts)
{
    if (!object.loaded || !object.loaded->movie)
        return;
    renderer.m_movie = object.loaded->movie.get();
    renderer.m_fonts = &renderer.fontsOf(object.loaded->movie);
}

Renderer::MovieScope::~MovieScope()
{
    m_renderer.m_movie = m_movie;
    m_renderer.m_fonts = m_fonts;
}

FieldFonts &Renderer::fontsOf(const std::shared_ptr<const MovieDef> &movie)
{
    LoadedFonts &entry = m_loadedFonts[movie.get()];
    // The same address may hold a movie loaded since.
    if (!entry.fonts || entry.movie.lock() != movie) {
        entry.movie = movie;
        entry.fonts = std::make_unique<FieldFonts>(*movie);
    }
    return *entry.fonts;
}

void Renderer::drawObject(Canvas &canvas, const DisplayObject &object, const QTransform &parentToDevice,
                          const ColorTransform &parentCx)
{
    const MovieScope scope(*this, object);
    QTransform toDevice = object.matrix * parentToDevice;
    const ColorTransform cx = parentCx.after(object.cxform);
    QPainter &painter = *canvas.painter;

    bool clipped = false;
    if (object.scrollRect) {
        // Only the rectangle shows, moved to the object's origin.
        painter.save();
        clipped = true;
        QPainterPath clip;
        clip.addPolygon(toDevice.map(QRectF(QPointF(), object.scrollRect->size())));
        painter.resetTransform();
        painter.setClipPath(clip, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        toDevice = QTransform::fromTranslate(-object.scrollRect->x(), -object.scrollRect->y()) * toDevice;
    }

    BlendMode mode = BlendModeOf(object.blendMode);
    // Alpha and erase act on a layer group; with none to act on they draw normally.
    if ((mode == BlendAlpha || mode == BlendErase) && !canvas.group)
        mode = BlendNormal;
    const bool filtered = object.filters && !object.filters->empty();
    const bool layered = mode != BlendNormal || filtered || object.cacheAsBitmap;
    if (!layered || canvas.nesting >= MaxLayers) {
        drawContent(canvas, object, toDevice, cx);
        if (clipped)
            painter.restore();
        return;
    }

    const QMargins margins = filtered ? FilterMargins(*object.filters, m_pixelScale) : QMargins();
    const QRect bounds = deviceBounds(object, toDevice).toAlignedRect();
    // Room beyond the canvas is only for what filters bring in from outside;
    // it is cut so that the layer, however wide the filters, keeps the part
    // that shows.
    const QRect target = canvas.image->rect();
    const int roomX = std::max(0, (MaxLayerSide - target.width()) / 2);
    const int roomY = std::max(0, (MaxLayerSide - target.height()) / 2);
    const QMargins room(std::min(margins.left(), roomX), std::min(margins.top(), roomY),
                        std::min(margins.right(), roomX), std::min(margins.bottom(), roomY));
    QRect area = bounds.marginsAdded(margins).intersected(target.marginsAdded(room));
    area.setWidth(std::min(area.width(), MaxLayerSide));
    area.setHeight(std::min(area.height(), MaxLayerSide));
    if (area.isEmpty()) {
        if (clipped)
            painter.restore();
        return;
    }

    QImage layer;
    const bool cacheable = filtered || object.cacheAsBitmap;
    if (cacheable) {
        const quint64 key = mixKey(mixKey(contentKey(object, 0), keyOf(toDevice)),
                                   mixKey(keyOf(cx), quint64(m_quality) | quint64(canvas.group) << 8));
        CachedLayer &cached = m_layerCache[object.alive.get()];
        if (cached.alive.expired() || cached.key != key || cached.area != area) {
            cached.alive = object.alive;
            cached.key = key;
            cached.area = area;
            cached.image = drawLayer(canvas, object, toDevice, cx, area, mode != BlendNormal);
        }
        layer = cached.image;
    } else {
        layer = drawLayer(canvas, object, toDevice, cx, area, mode != BlendNormal);
    }

    painter.save();
    painter.resetTransform();
    if (mode == BlendNormal || mode == BlendLayer) {
        painter.drawImage(area.topLeft(), layer);
    } else {
        // Blend onto a copy of what lies under the layer, then put the result
        // back within the current clip (masks).
        const QRect under = area.intersected(canvas.image->rect());
        QImage patch = canvas.image->copy(under);
        BlendImage(patch, layer, area.topLeft() - under.topLeft(), mode);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(under.topLeft(), patch);
    }
    painter.restore();
    if (clipped)
        painter.restore();
}

QImage Renderer::drawLayer(Canvas &canvas, const DisplayObject &object, const QTransform &toDevice,
                           const ColorTransform &cx, const QRect &area, bool group)
{
    ++m_layersDrawn;
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return layer;
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        setHints(layerPainter);
        Canvas inner{&layer, &layerPainter, group, canvas.nesting + 1};
        drawContent(inner, object, toDevice * QTransform::fromTranslate(-area.x(), -area.y()), cx);
    }
    if (object.filters && !object.filters->empty())
        ApplyFilters(layer, *object.filters, m_pixelScale, m_filterBudget);
    return layer;
}

void Renderer::drawContent(Canvas &canvas, const DisplayObject &object, const QTransform &toDevice,
                           const ColorTransform &cx)
{
    QPainter &painter = *canvas.painter;
    if (object.opaqueBackground) {
        const QRectF bounds = deviceBounds(object, toDevice);
        painter.save();
        painter.resetTransform();
        painter.fillRect(bounds.adjusted(1, 1, -1, -1), cx.apply(*object.opaqueBackground));
        painter.restore();
    }
    const Character *c = object.character;
    if (const auto *shape = dynamic_cast<const ShapeDef *>(c)) {
        drawLayers(painter, shape->layers, toDevice, cx);
    } else if (const auto *morph = dynamic_cast<const MorphShapeDef *>(c)) {
        drawLayers(painter, morphLayers(*morph, object.ratio), toDevice, cx);
    } else if (const auto *text = dynamic_cast<const TextDef *>(c)) {
        drawText(painter, *text, toDevice, cx);
    } else if (const auto *edit = dynamic_cast<const EditTextDef *>(c)) {
        std::optional<QString> bound = textOf ? textOf(object) : std::nullopt;
        // What scripts made of the field, when it has its running state.
        const EditTextDef &look = object.textField ? object.textField->look() : *edit;
        const QString &own = object.textField ? object.textField->shown() : edit->text;
        drawEditText(painter, look, bound ? *bound : own, toDevice, cx, object.textField.get());
    } else if (const auto *video = dynamic_cast<const VideoDef *>(c)) {
        drawVideo(painter, object, *video, toDevice, cx);
    } else {
        // What the drawing API drew lies under the clip's children.
        if (object.drawing && !object.drawing->isEmpty())
            drawLayers(painter, object.drawing->layers(), toDevice, cx);
        drawChildren(canvas, object, toDevice, cx);
    }
}

void Renderer::drawVideo(QPainter &painter, const DisplayObject &object, const VideoDef &video,
                         const QTransform &toDevice, const ColorTransform &cx)
{
    const VideoState *state = object.video.get();
    QImage picture = state && state->stream ? state->stream->picture() : video.picture(object.ratio);
    if (picture.isNull() || (state && state->clearedPicture == picture.cacheKey()))
        return;
    // The picture fills the video's bounds, whatever size the stream has.
    const QRectF bounds = video.bounds();
    FillStyle fill;
    fill.type = FillStyle::Bitmap;
    fill.image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    fill.matrix = QTransform::fromScale(bounds.width() / picture.width(), bounds.height() / picture.height());
    fill.repeat = false;
    fill.smooth = state ? state->smoothing : video.smoothing;
    QPainterPath area;
    area.addRect(bounds);
    ShapeLayer layer;
    layer.fills.emplace_back(fill, area);
    drawLayers(painter, {layer}, toDevice, cx);
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

QImage Renderer::bitmapFor(const FillStyle &fill, const ColorTransform &cx)
{
    QImage image = fill.image;
    if (image.isNull()) {
        const auto *bitmap = dynamic_cast<const BitmapDef *>(m_movie->character(fill.bitmapId));
        if (!bitmap || bitmap->image.isNull())
            return QImage();
        image = bitmap->image;
    }
    if (cx.isIdentity())
        return image;
    const QString key = QStringLiteral("%1:%2,%3,%4,%5:%6,%7,%8,%9")
                            .arg(image.cacheKey())
                            .arg(cx.redMult).arg(cx.greenMult).arg(cx.blueMult).arg(cx.alphaMult)
                            .arg(cx.redAdd).arg(cx.greenAdd).arg(cx.blueAdd).arg(cx.alphaAdd);
    auto it = m_bitmapCache.find(key);
    if (it == m_bitmapCache.end()) {
        if (m_bitmapCache.size() > MaxBitmapCache)
            m_bitmapCache.clear();
        QImage transformed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < transformed.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(transformed.scanLine(y));
            for (int x = 0; x < transformed.width(); ++x) {
                // A transparent pixel stays transparent, whatever the transform adds.
                if (qAlpha(row[x]) != 0)
                    row[x] = cx.applyPremultiplied(row[x]);
            }
        }
        it = m_bitmapCache.insert(key, transformed);
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
        if (fill.stops.size() <= 1) // no stops: black; one: its colour everywhere
            return QBrush(fill.stops.isEmpty() ? cx.apply(Qt::black) : cx.apply(fill.stops.first().second));
        QGradient gradient;
        if (fill.type == FillStyle::Linear)
            gradient = QLinearGradient(-GradientHalfSide, 0, GradientHalfSide, 0);
        else
            gradient = QRadialGradient(QPointF(0, 0), GradientHalfSide,
                                       QPointF(std::clamp(fill.focal, -0.98, 0.98) * GradientHalfSide, 0));
        gradient.setSpread(fill.spread == 1 ? QGradient::ReflectSpread
                                            : fill.spread == 2 ? QGradient::RepeatSpread : QGradient::PadSpread);
        gradient.setStops(GradientStops(fill, cx));
        QBrush brush(gradient);
        brush.setTransform(fill.matrix);
        return brush;
    }
    case FillStyle::Bitmap: {
        const QImage image = bitmapFor(fill, cx);
        if (image.isNull())
            return QBrush(Qt::NoBrush);
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
    const bool smooth = m_quality != Quality::Low;
    for (const ShapeLayer &layer : layers) {
        for (const auto &[fill, path] : layer.fills) {
            painter.setPen(Qt::NoPen);
            if (fill.type == FillStyle::Bitmap && !fill.repeat) {
                // A clipped bitmap is drawn once, inside the shape.
                const QImage image = bitmapFor(fill, cx);
                if (image.isNull())
                    continue;
                painter.save();
                painter.setClipPath(path, Qt::IntersectClip);
                painter.setWorldTransform(fill.matrix * toDevice);
                painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth && fill.smooth);
                painter.drawImage(0, 0, image);
                painter.restore();
                continue;
            }
            painter.setRenderHint(QPainter::SmoothPixmapTransform,
                                  smooth && (fill.type != FillStyle::Bitmap || fill.smooth));
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
        const auto *font = dynamic_cast<const FontDef *>(m_movie->character(record.fontId));
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

const std::vector<TextLine> &Renderer::fieldLines(const EditTextDef &text, const QString &shown)
{
    // Scripts change a field's size and colour: they are part of its layout.
    const QString key = QStringLiteral("%1:%2x%3:%4:%5:")
                            .arg(quintptr(&text), 0, 16)
                            .arg(text.bounds.width())
                            .arg(text.bounds.height())
                            .arg(text.color.rgba(), 0, 16)
                            .arg(int(text.html) | int(text.wordWrap) << 1 | int(text.password) << 2) +
                        shown;
    auto it = m_fieldLines.find(key);
    if (it != m_fieldLines.end())
        return *it;
    if (m_fieldLines.size() >= MaxFieldLayouts)
        m_fieldLines.clear();
    return *m_fieldLines.insert(key, LayoutField(*m_fonts, text, shown));
}

void Renderer::drawEditText(QPainter &painter, const EditTextDef &text, const QString &shown,
                            const QTransform &toDevice, const ColorTransform &cx, const TextFieldState *state)
{
    if (text.border) {
        // The background fills the field; the border is the one-pixel line just inside its edge.
        const QRectF area = toDevice.mapRect(text.bounds);
        painter.save();
        painter.resetTransform();
        painter.fillRect(area, cx.apply(text.backgroundColor));
        QPen pen(cx.apply(text.borderColor), 1);
        pen.setCosmetic(true);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
        painter.restore();
    }
    const bool focused = state && state->focused();
    if (shown.isEmpty() && !focused)
        return;
    static const std::vector<TextLine> NoLines;
    const std::vector<TextLine> &lines = shown.isEmpty() ? NoLines : fieldLines(text, shown);
    m_fonts->setField(text);
    painter.save();
    painter.setWorldTransform(toDevice);
    painter.setClipRect(text.bounds, Qt::IntersectClip);
    // Scrolled text moves up by the lines above the top one, and left by hscroll.
    const QPointF scrolled = state ? ScrollOffset(lines, state->scroll(), state->hscroll()) : QPointF();
    painter.translate(-scrolled);
    if (focused)
        drawSelection(painter, lines, *state);
    for (const TextLine &line : lines) {
        if (line.top - scrolled.y() > text.bounds.bottom())
            break;
        for (const TextSpan &span : line.spans) {
            const QColor colour = cx.apply(span.format.color);
            if (const FontDef *font = m_fonts->embedded(span.format)) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(colour);
                painter.drawPath(m_fonts->outline(*font, span.text, span.format, span.origin));
                if (span.format.underline) {
                    const double thickness = std::max(span.format.size / UnderlineShare, Twips);
                    painter.fillRect(QRectF(span.origin.x(), span.origin.y() + thickness, span.width, thickness),
                                     colour);
                }
            } else {
                painter.setFont(m_fonts->deviceFont(span.format));
                painter.setPen(colour);
                painter.drawText(span.origin, span.text);
            }
        }
    }
    if (state && state->caretShown())
        drawCaret(painter, lines, text, *state, cx);
    painter.restore();
}

void Renderer::drawSelection(QPainter &painter, const std::vector<TextLine> &lines, const TextFieldState &state)
{
    for (const TextLine &line : lines) {
        const int from = std::max(state.selectionBegin(), line.start);
        const int to = std::min(state.selectionEnd(), LineEnd(line));
        if (from >= to)
            continue;
        const double left = LineCaretX(line, from, *m_fonts);
        const double right = LineCaretX(line, to, *m_fonts);
        painter.fillRect(QRectF(left, line.top, right - left, line.ascent + line.descent), SelectionColor);
    }
}

void Renderer::drawCaret(QPainter &painter, const std::vector<TextLine> &lines, const EditTextDef &text,
                         const TextFieldState &state, const ColorTransform &cx)
{
    const CaretPlace place = PlaceCaret(lines, state.caret(), *m_fonts);
    const TextFormat base = m_fonts->baseFormat();
    const double x = place.line ? place.x : text.bounds.left() + FieldGutter + text.leftMargin;
    const double top = place.line ? place.line->top : text.bounds.top() + FieldGutter;
    const double height =
        place.line ? place.line->ascent + place.line->descent : m_fonts->ascent(base) + m_fonts->descent(base);
    QPen pen(cx.apply(text.color), 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawLine(QPointF(x, top), QPointF(x, top + height));
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
        // Text masks with its glyphs.
        const QTransform base = text->matrix * toDevice;
        for (const TextRecord &record : text->records) {
            const auto *font = dynamic_cast<const FontDef *>(m_movie->character(record.fontId));
            if (!font)
                continue;
            const double scale = record.height / font->emSquare;
            double x = record.x;
            for (const GlyphEntry &glyph : record.glyphs) {
                if (glyph.index >= 0 && glyph.index < int(font->glyphs.size())) {
                    QTransform place;
                    place.translate(x, record.y);
                    place.scale(scale, scale);
                    QPainterPath g = (place * base).map(font->glyphs[size_t(glyph.index)]);
                    g.setFillRule(Qt::WindingFill);
                    path.addPath(g.simplified());
                }
                x += glyph.advance;
            }
        }
    } else if (const auto *edit = dynamic_cast<const EditTextDef *>(object.character)) {
        path.addPolygon(toDevice.map(object.textField ? object.textField->bounds() : edit->bounds));
    } else if (const auto *video = dynamic_cast<const VideoDef *>(object.character)) {
        path.addPolygon(toDevice.map(video->bounds()));
    } else {
        if (object.drawing && !object.drawing->isEmpty())
            path = toDevice.map(object.drawing->outline());
        // Children masked inside the mask count only where their own mask is.
        struct Inner {
            int upTo;
            QPainterPath path;
        };
        std::vector<Inner> inner;
        for (const auto &[depth, child] : object.children) {
            inner.erase(std::remove_if(inner.begin(), inner.end(), [d = depth](const Inner &m) { return d > m.upTo; }),
                        inner.end());
            QPainterPath part = maskPath(*child, child->matrix * toDevice, nesting + 1);
            if (child->clipDepth > 0) {
                inner.push_back({child->clipDepth, part});
                continue;
            }
            for (const Inner &m : inner)
                part = part.intersected(m.path);
            path = path.united(part);
        }
    }
    path.setFillRule(Qt::WindingFill);
    return path;
}

} // namespace swf
