#include "TCustomControls.h"

#include <QMouseEvent>
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

void TCustomControls::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void TCustomControls::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void TCustomControls::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void TCustomControls::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}
