#pragma once

#include "player/GstHandles.h"

#include <QImage>
#include <QMutex>
#include <QSize>
#include <QWidget>

#include <memory>

// The newest decoded frame, handed from the streaming thread to the window
// that shows it. The window may come and go (its owner can destroy it); the
// slot stops notifying a window that is gone.
class FrameSlot {
public:
    // Streaming thread: keeps the sample (taking ownership) and asks the
    // viewer, if any, to repaint.
    void store(GstSample *sample);
    // User-interface thread.
    GstSamplePtr take();
    void setViewer(QWidget *viewer);
    void clear();

private:
    QMutex m_mutex;
    GstSamplePtr m_sample;
    QWidget *m_viewer = nullptr;
};

// The media graph's video window: paints the newest frame over its whole
// area. The frames come already scaled to its size in device pixels (the
// graph follows shownSizeChanged), so painting is a plain copy; a frame of
// another size (the one or two that follow a resize) is stretched. It takes
// no input, so mouse and keys over the video reach the window that owns it.
class VideoWindow : public QWidget {
    Q_OBJECT
public:
    explicit VideoWindow(std::shared_ptr<FrameSlot> slot);
    ~VideoWindow() override;

    // The size in device pixels frames should have; empty while the window
    // cannot be seen (hidden, minimised or of no area).
    QSize shownSize() const;

signals:
    void shownSizeChanged(QSize pixels);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void announceSize();

    std::shared_ptr<FrameSlot> m_slot;
    QImage m_frame; // wraps the mapped sample it was made from
    bool m_shown = false;
    QSize m_announced;
};

// The caps the video output converts to for frames of this size in device
// pixels: BGRx of exactly that size (stretched, as the window shows them), or
// any raw video (nothing converted) for an empty size.
GstCapsPtr VideoOutputCaps(QSize pixels);
// Threads for converting frames of this size: one for a small window, where
// more would cost more in waking than they save, up to idealThreads (at most
// MaxConversionThreads) for large ones.
constexpr int MaxConversionThreads = 4;
constexpr int ThreadedConversionPixels = 1280 * 720;
int ConversionThreads(QSize pixels, int idealThreads);

// Wraps a BGRx video sample as an image without copying; the image keeps the
// sample mapped and alive. A null image when the sample cannot be mapped.
QImage ImageFromSample(GstSamplePtr sample);
