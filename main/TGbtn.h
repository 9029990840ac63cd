#pragma once

#include "skin/TCustomControls.h"

struct TPanelFace;

// A skinned push button: shows the unlit panel at rest and while held down,
// the lit panel while the pointer is over it and once it was released.
class TGbtn : public TCustomControls {
    Q_OBJECT
public:
    // Visual states; 1 is never used.
    enum : quint8 { Idle = 0, Entered = 2, Left = 3, Down = 4, Released = 5 };

    TGbtn(QWidget *AOwner, const TPanelFace &face);

    quint8 State = Idle;
    // The command the button stands for.
    int Tag = 0;

signals:
    void Click(TGbtn *Sender);

protected:
    void Paint(QPainter &Canvas) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setState(quint8 state);

    const TPanelFace &m_face;
};
