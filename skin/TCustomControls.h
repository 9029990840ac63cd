#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// Base of the custom-drawn controls: an opaque child widget that paints its
// whole area itself. A resize repaints only the newly exposed part. Painting
// first fills the background colour, then runs Paint, which by default hands
// the canvas to OnPaint so an owner can draw the control without a subclass.
class TCustomControls : public QWidget {
    Q_OBJECT
public:
    using PaintHandler = std::function<void(TCustomControls *Sender, QPainter &Canvas)>;

    explicit TCustomControls(QWidget *AOwner);

    PaintHandler OnPaint;

protected:
    virtual void Paint(QPainter &Canvas);
    void paintEvent(QPaintEvent *event) override;
    // A control keeps the presses, moves and releases it receives: they never
    // reach the window beneath, which would take them for a drag of itself.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
