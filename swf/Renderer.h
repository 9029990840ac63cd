#pragma once

#include "swf/DisplayObject.h"

#include <QHash>
#include <QPainter>

#include <functional>
#include <optional>

namespace swf {

// Draws a movie's display tree with QPainter, anti-aliased, at any scale.
// Shapes, bitmaps, text and buttons; colour transforms; masks (clip depth);
// and the blend modes QPainter can express.
class Renderer {
public:
    explicit Renderer(const MovieDef &movie) : m_movie(movie) {}

    // Draws the root's children; stageToDevice maps stage twips to the device.
    void render(QPainter &painter, const DisplayObject &root, const QTransform &stageToDevice);

    // What a text field bound to a script variable shows now; nothing keeps
    // the field's own text.
    std::function<std::optional<QString>(const DisplayObject &field)> textOf;

private:
    void drawChildren(QPainter &painter, const DisplayObject &parent, const QTransform &toDevice,
                      const ColorTransform &cx, bool inLayer, int layers);
    void drawObject(QPainter &painter, const DisplayObject &object, const QTransform &toDevice,
                    const ColorTransform &cx, bool inLayer, int layers);
    void drawContent(QPainter &painter, const DisplayObject &object, const QTransform &toDevice,
                     const ColorTransform &cx, bool inLayer, int layers);
    void drawLayers(QPainter &painter, const std::vector<ShapeLayer> &layers, const QTransform &toDevice,
                    const ColorTransform &cx);
    void drawText(QPainter &painter, const TextDef &text, const QTransform &toDevice, const ColorTransform &cx);
    void drawEditText(QPainter &painter, const EditTextDef &text, const QString &shown, const QTransform &toDevice,
                      const ColorTransform &cx);
    QBrush brushFor(const FillStyle &fill, const ColorTransform &cx);
    QPainterPath maskPath(const DisplayObject &object, const QTransform &toDevice, int nesting);
    const std::vector<ShapeLayer> &morphLayers(const MorphShapeDef &morph, int ratio);

    const MovieDef &m_movie;
    QHash<QString, QImage> m_bitmapCache;
    QHash<qint64, std::vector<ShapeLayer>> m_morphCache;
};

} // namespace swf
