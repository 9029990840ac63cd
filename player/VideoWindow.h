#pragma once

#include "player/GstHandles.h"

#include <QImage>
#include <QMutex>
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

// The media graph's video window: paints the newest frame stretched over its
// whole area. It takes no input, so mouse and keys over the video reach the
// window that owns it.
class VideoWindow : public QWidget {
    Q_OBJECT
public:
    explicit VideoWindow(std::shared_ptr<FrameSlot> slot);
    ~VideoWindow() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::shared_ptr<FrameSlot> m_slot;
    QImage m_frame; // wraps the mapped sample it was made from
};

// Wraps a BGRx video sample as an image without copying; the image keeps the
// sample mapped and alive. A null image when the sample cannot be mapped.
QImage ImageFromSample(GstSamplePtr sample);
