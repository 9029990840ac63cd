#include "PanelFace.h"

#include <QPainter>

namespace {
QPixmap loadArt(const QString &name, qreal pixelRatio)
{
    const bool doubleSize = pixelRatio > 1.0;
    QPixmap pixmap(QStringLiteral(":/art/%1%2.png").arg(name, doubleSize ? QStringLiteral("@2x") : QString()));
    pixmap.setDevicePixelRatio(doubleSize ? 2.0 : 1.0);
    return pixmap;
}
} // namespace

TPanelFace TPanelFace::load(qreal pixelRatio)
{
    return {loadArt(QStringLiteral("face"), pixelRatio), loadArt(QStringLiteral("face-lit"), pixelRatio),
            loadArt(QStringLiteral("thumb"), pixelRatio)};
}

void CopyRect(QPainter &canvas, const QRect &target, const QPixmap &bitmap, const QRect &source)
{
    const qreal ratio = bitmap.devicePixelRatio();
    const QRectF pixels(source.x() * ratio, source.y() * ratio, source.width() * ratio, source.height() * ratio);
    canvas.drawPixmap(QRectF(target), bitmap, pixels);
}
