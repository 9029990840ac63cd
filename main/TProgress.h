#pragma once

#include "skin/TCustomControls.h"

#include <functional>

struct TPanelFace;

// A horizontal bar with a thumb: the volume bar and the seek bar. Its width in
// pixels is its scale. Input only reports the pointer; the owner decides
// whether the thumb moves.
class TProgress : public TCustomControls {
    Q_OBJECT
public:
    static constexpr int ThumbHalf = 4;

    TProgress(QWidget *AOwner, const TPanelFace &face);

    // The thumb centre in pixels from the left edge, kept within 4 .. Width - 4.
    int Position = 0;
    // Pointer X in bar pixels on a left press and while dragging; may lie outside the bar.
    std::function<void(int X)> OnTrack;

    // Clamps and stores the position; repaints, with the window's next paint,
    // only the part between the old and the new thumb.
    void SetPosition(int Value);

protected:
    void Paint(QPainter &Canvas) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    const TPanelFace &m_face;
};

// The position SetPosition gives a bar of this width: the lower bound applies first.
int ClampBarPosition(int value, int width);
// The pixels of a bar this high that differ when its thumb moves from one
// position to another: both thumbs and the run of bar between them.
QRect BarChange(int from, int to, int height);
