#include "TScrbar.h"

#include "list/ListLayout.h"
#include "resources/Art.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

TScrbar::TScrbar(QWidget *AOwner, const QPixmap &listSkin)
    : TCustomControls(AOwner)
    , ThumbBitmap(LoadArt(QStringLiteral("scrollthumb"), ScreenPixelRatio()))
    , m_listSkin(listSkin)
{
}

void TScrbar::SetPosition(int Value)
{
    int v = Value;
    if (v < ThumbHalf)
        v = ThumbHalf;
    else if (v > height() - ThumbHalf)
        v = height() - ThumbHalf;
    if (v == Position)
        return;
    Position = v;
    // The list moves the bar from its own paint, where a nested repaint is
    // refused: the bar is drawn in the same paint cycle.
    update();
}

void TScrbar::Paint(QPainter &Canvas)
{
    const int skinWidth = ListLayout::SkinWidth;
    const int skinHeight = ListLayout::SkinHeight;
    const int titleHeight = ListLayout::TitleHeight;
    const int border = ListLayout::BorderSize;
    const QRect track(skinWidth - border - width(), titleHeight + 2, width(),
                      skinHeight - border - 2 - (titleHeight + 2));
    CopyRect(Canvas, rect(), m_listSkin, track);
    CopyRect(Canvas, QRect(1, Position - ThumbHalf, width() - 3, 2 * ThumbHalf), ThumbBitmap,
             QRect(0, 0, ListLayout::ScrollThumbWidth, ListLayout::ScrollThumbSlice));
}

void TScrbar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && OnTrack)
        OnTrack(qFloor(event->position().y()));
    TCustomControls::mousePressEvent(event);
}

void TScrbar::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && isEnabled() && OnTrack)
        OnTrack(qFloor(event->position().y()));
    TCustomControls::mouseMoveEvent(event);
}
