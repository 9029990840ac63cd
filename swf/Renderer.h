#pragma once

#include "swf/BlendModes.h"
#include "swf/DisplayObject.h"
#include "swf/FieldFonts.h"

#include <QHash>
#include <QPainter>

#include <functional>
#include <optional>

namespace swf {

// Draws a movie's display tree with QPainter into an image, at any scale:
// shapes, bitmaps, text and buttons; colour transforms; masks (clip depth,
// nested); every blend mode with its layer group; filters, cached bitmaps,
// opaque backgrounds and scroll rectangles; what the drawing API drew.
class Renderer {
public:
    // As the movie's _quality names them: low draws without anti-aliasing.
    enum class Quality { Low, Medium, High, Best };

    explicit Renderer(const MovieDef &movie) : m_movie(&movie), m_rootFonts(movie), m_fonts(&m_rootFonts) {}

    // Draws the root's children over what target holds; stageToDevice maps
    // stage twips to target pixels.
    void render(QImage &target, const DisplayObject &root, const QTransform &stageToDevice);

    // Draws one object alone over target, as BitmapData.draw does: without
    // its own placement and colour; toDevice maps its twips to target
    // pixels, and only what falls within clip shows.
    void renderObject(QImage &target, const DisplayObject &object, const QTransform &toDevice,
                      const ColorTransform &cx, const QRect &clip);

    void setQuality(Quality quality) { m_quality = quality; }
    Quality quality() const { return m_quality; }

    // What a text field bound to a script variable shows now; nothing keeps
    // the field's own text.
    std::function<std::optional<QString>(const DisplayObject &field)> textOf;

    // The object's extent on the device, for layers and caches.
    QRectF deviceBounds(const DisplayObject &object, const QTransform &toDevice, int nesting = 0) const;

    // Layers drawn again (not taken from the cache) since the renderer was made.
    int layersDrawn() const { return m_layersDrawn; }

private:
    // Where drawing goes: an image, its painter, and whether it is a layer
    // group that alpha and erase blend modes act on.
    struct Canvas {
        QImage *image;
        QPainter *painter;
        bool group;
        int nesting;
    };
    struct CachedLayer {
        std::weak_ptr<char> alive;
        quint64 key = 0;
        QRect area;
        QImage image;
    };

    void drawChildren(Canvas &canvas, const DisplayObject &parent, const QTransform &toDevice,
                      const ColorTransform &cx);
    void drawObject(Canvas &canvas, const DisplayObject &object, const QTransform &parentToDevice,
                    const ColorTransform &parentCx);
    void drawContent(Canvas &canvas, const DisplayObject &object, const QTransform &toDevice,
                     const ColorTransform &cx);
    QImage drawLayer(Canvas &canvas, const DisplayObject &object, const QTransform &toDevice,
                     const ColorTransform &cx, const QRect &area, bool group);
    void drawLayers(QPainter &painter, const std::vector<ShapeLayer> &layers, const QTransform &toDevice,
                    const ColorTransform &cx);
    void drawText(QPainter &painter, const TextDef &text, const QTransform &toDevice, const ColorTransform &cx);
    void drawEditText(QPainter &painter, const EditTextDef &text, const QString &shown, const QTransform &toDevice,
                      const ColorTransform &cx, const TextFieldState *state);
    void drawVideo(QPainter &painter, const DisplayObject &object, const VideoDef &video,
                   const QTransform &toDevice, const ColorTransform &cx);
    // The focused field's selection, under its text, and its caret, over it.
    void drawSelection(QPainter &painter, const std::vector<TextLine> &lines, const TextFieldState &state);
    void drawCaret(QPainter &painter, const std::vector<TextLine> &lines, const EditTextDef &text,
                   const TextFieldState &state, const ColorTransform &cx);
    QBrush brushFor(const FillStyle &fill, const ColorTransform &cx);
    QImage bitmapFor(const FillStyle &fill, const ColorTransform &cx);
    QPainterPath maskPath(const DisplayObject &object, const QTransform &toDevice, int nesting);
    // Draws object within the clip its setMask gave, when that is still there.
    void drawMasked(Canvas &canvas, const DisplayObject &object, const QTransform &toDevice, const ColorTransform &cx);
    const std::vector<ShapeLayer> &morphLayers(const MorphShapeDef &morph, int ratio);
    quint64 contentKey(const DisplayObject &object, int nesting) const;
    void setHints(QPainter &painter) const;

    const std::vector<TextLine> &fieldLines(const EditTextDef &text, const QString &shown);

    // While a clip with a movie loaded into it is drawn, its characters and
    // fonts are that movie's.
    class MovieScope {
    public:
        MovieScope(Renderer &renderer, const DisplayObject &object);
        ~MovieScope();
        MovieScope(const MovieScope &) = delete;
        MovieScope &operator=(const MovieScope &) = delete;

    private:
        Renderer &m_renderer;
        const MovieDef *m_movie;
        FieldFonts *m_fonts;
    };
    FieldFonts &fontsOf(const std::shared_ptr<const MovieDef> &movie);

    const MovieDef *m_movie; // the movie whose characters are drawn now
    FieldFonts m_rootFonts;
    FieldFonts *m_fonts;
    struct LoadedFonts {
        std::weak_ptr<const MovieDef> movie;
        std::unique_ptr<FieldFonts> fonts;
    };
    std::map<const MovieDef *, LoadedFonts> m_loadedFonts;
    QHash<QString, std::vector<TextLine>> m_fieldLines; // by field and the text it shows
    Quality m_quality = Quality::High;
    double m_pixelScale = 1; // device pixels per stage pixel
    QTransform m_stageToDevice; // of the picture being drawn
    int m_layersDrawn = 0;
    // What filter work the frame being drawn has left.
    qint64 m_filterBudget = 0;
    QHash<QString, QImage> m_bitmapCache;
    QHash<qint64, std::vector<ShapeLayer>> m_morphCache;
    QHash<const void *, CachedLayer> m_layerCache;
};

// _quality's names: LOW, MEDIUM, HIGH, BEST in any case; another name keeps current.
Renderer::Quality QualityNamed(const QString &name, Renderer::Quality current);
QString QualityName(Renderer::Quality quality);

// The gradient's colours as the reference player computes them, with the
// colour transform applied: stops taken in file order (out of order or equal
// ratios give hard edges), blended in sRGB or in linear light.
QGradientStops GradientStops(const FillStyle &fill, const ColorTransform &cx);

} // namespace swf
