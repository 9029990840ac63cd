#include "TCustomControls.h"

#include <QPaintEvent>
#include <QPainter>

TCustomControls::TCustomControls(QWidget *AOwner)
    : QWidget(AOwner)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
}

void TCustomControls::Paint(QPainter &Canvas)
{
    if (OnPaint)
        OnPaint(this, Canvas);
}

void TCustomControls::paintEvent(QPaintEvent *event)
{
    QPainter canvas(this);
    canvas.fillRect(event->rect(), palette().window());
    Paint(canvas);
}
