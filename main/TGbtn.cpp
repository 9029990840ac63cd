#include "TGbtn.h"

#include "PanelFace.h"

#include <QMouseEvent>
#include <QPainter>

TGbtn::TGbtn(QWidget *AOwner, const TPanelFace &face)
    : TCustomControls(AOwner)
    , m_face(face)
{
    resize(24, 24);
}

void TGbtn::setState(quint8 state)
{
    State = state;
    repaint();
}

void TGbtn::Paint(QPainter &Canvas)
{
    const bool lit = State == Entered || State == Released;
    CopyRect(Canvas, rect(), lit ? m_face.bmpFaceLit : m_face.bmpFace, geometry());
}

void TGbtn::enterEvent(QEnterEvent *event)
{
    TCustomControls::enterEvent(event);
    setState(Entered);
}

void TGbtn::leaveEvent(QEvent *event)
{
    TCustomControls::leaveEvent(event);
    setState(Left);
}

void TGbtn::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        setState(Down);
    TCustomControls::mousePressEvent(event);
}

void TGbtn::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        TCustomControls::mouseReleaseEvent(event);
        return;
    }
    // The mouse stays grabbed while held, so the release arrives even off the
    // button; only a release over it is a click.
    setState(Released);
    TCustomControls::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()))
        emit Click(this);
}
