#include "TProgress.h"

#include "PanelFace.h"
#include "main/PanelLayout.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>

int ClampBarPosition(int value, int width)
{
    if (value < TProgress::ThumbHalf)
        return TProgress::ThumbHalf;
    if (value > width - TProgress::ThumbHalf)
        return width - TProgress::ThumbHalf;
    return value;
}

QRect BarChange(int from, int to, int height)
{
    const int left = std::min(from, to) - TProgress::ThumbHalf;
    const int right = std::max(from, to) + TProgress::ThumbHalf;
    return QRect(left, 0, right - left, height);
}

TProgress::TProgress(QWidget *AOwner, const TPanelFace &face)
    : TCustomControls(AOwner)
    , m_face(face)
{
    SetPosition(1);
}

void TProgress::SetPosition(int Value)
{
    const int clamped = ClampBarPosition(Value, width());
    if (clamped == Position)
        return;
    update(BarChange(Position, clamped, height()));
    Position = clamped;
}

void TProgress::Paint(QPainter &Canvas)
{
    const int p = Position;
    const int W = width();
    const int H = height();
    if (p < 1 || p >= W)
        return;
    const QRect place = geometry();
    CopyRect(Canvas, QRect(0, 0, p, H), m_face.bmpFaceLit, QRect(place.left(), place.top(), p, H));
    CopyRect(Canvas, QRect(p, 0, W - p, H), m_face.bmpFace, QRect(place.left() + p, place.top(), W - p, H));
    CopyRect(Canvas, QRect(p - ThumbHalf, 0, 2 * ThumbHalf, H), m_face.bmpThumb,
             QRect(0, 0, PanelLayout::ThumbWidth, PanelLayout::ThumbRows));
}

void TProgress::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && OnTrack)
        OnTrack(qFloor(event->position().x()));
    TCustomControls::mousePressEvent(event);
}

void TProgress::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && isEnabled() && OnTrack)
        OnTrack(qFloor(event->position().x()));
    TCustomControls::mouseMoveEvent(event);
}
