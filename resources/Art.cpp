#include "Art.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {
constexpr qreal DoubleRatio = 2.0;
} // namespace

qreal ScreenPixelRatio()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QPixmap LoadArt(const QString &name, qreal pixelRatio)
{
    const bool doubleSize = pixelRatio > 1.0;
    QPixmap pixmap(QStringLiteral(":/art/%1%2.png").arg(name, doubleSize ? QStringLiteral("@2x") : QString()));
    pixmap.setDevicePixelRatio(doubleSize ? DoubleRatio : 1.0);
    return pixmap;
}

void CopyRect(QPainter &canvas, const QRect &target, const QPixmap &bitmap, const QRect &source)
{
    const qreal ratio = bitmap.devicePixelRatio();
    const QRectF pixels(source.x() * ratio, source.y() * ratio, source.width() * ratio, source.height() * ratio);
    canvas.drawPixmap(QRectF(target), bitmap, pixels);
}
