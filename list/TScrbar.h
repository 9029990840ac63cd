#pragma once

#include "list/ListLayout.h"
#include "skin/TCustomControls.h"

#include <QPixmap>

#include <functional>

// The playlist's scroll bar: a track cut from the window's frame bitmap and
// a thumb, reporting presses and drags to its owner.
class TScrbar : public TCustomControls {
    Q_OBJECT
public:
    static constexpr int ThumbHalf = ListLayout::ScrollThumbHalf;

    TScrbar(QWidget *AOwner, const QPixmap &listSkin);

    QPixmap ThumbBitmap;
    // The thumb's centre from the top, kept within 11 .. Height - 11.
    int Position = 0;
    // Pointer Y on a left press and while dragging; may lie outside the bar.
    std::function<void(int Y)> OnTrack;

    void SetPosition(int Value);

protected:
    void Paint(QPainter &Canvas) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    const QPixmap &m_listSkin;
};
