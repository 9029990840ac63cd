#include "VideoWindow.h"

#include <QPainter>

#include <algorithm>

#include <gst/video/video.h>

void FrameSlot::store(GstSample *sample)
{
    QMutexLocker lock(&m_mutex);
    m_sample.reset(sample);
    if (m_viewer)
        QMetaObject::invokeMethod(m_viewer, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

GstSamplePtr FrameSlot::take()
{
    QMutexLocker lock(&m_mutex);
    return std::move(m_sample);
}

void FrameSlot::setViewer(QWidget *viewer)
{
    QMutexLocker lock(&m_mutex);
    m_viewer = viewer;
}

void FrameSlot::clear()
{
    QMutexLocker lock(&m_mutex);
    m_sample.reset();
}

namespace {
struct MappedFrame {
    GstVideoFrame frame;
    GstSamplePtr sample;
};

void unmapFrame(void *info)
{
    auto *mapped = static_cast<MappedFrame *>(info);
    gst_video_frame_unmap(&mapped->frame);
    delete mapped;
}
} // namespace

QImage ImageFromSample(GstSamplePtr sample)
{
    GstVideoInfo info;
    GstCaps *caps = gst_sample_get_caps(sample.get());
    GstBuffer *buffer = gst_sample_get_buffer(sample.get());
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps) || GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx)
        return QImage();
    auto *mapped = new MappedFrame;
    if (!gst_video_frame_map(&mapped->frame, &info, buffer, GST_MAP_READ)) {
        delete mapped;
        return QImage();
    }
    mapped->sample = std::move(sample);
    // BGRx in memory is QImage's RGB32 on little-endian machines.
    return QImage(static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&mapped->frame, 0)),
                  GST_VIDEO_FRAME_WIDTH(&mapped->frame), GST_VIDEO_FRAME_HEIGHT(&mapped->frame),
                  GST_VIDEO_FRAME_PLANE_STRIDE(&mapped->frame, 0), QImage::Format_RGB32, unmapFrame, mapped);
}

GstCapsPtr VideoOutputCaps(QSize pixels)
{
    if (pixels.isEmpty())
        return GstCapsPtr(gst_caps_new_empty_simple("video/x-raw"));
    return GstCapsPtr(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT,
                                          pixels.width(), "height", G_TYPE_INT, pixels.height(),
                                          "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
}

int ConversionThreads(QSize pixels, int idealThreads)
{
    if (std::int64_t(pixels.width()) * pixels.height() < ThreadedConversionPixels)
        return 1;
    return std::clamp(idealThreads, 1, MaxConversionThreads);
}

VideoWindow::VideoWindow(std::shared_ptr<FrameSlot> slot)
    : m_slot(std::move(slot))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_slot->setViewer(this);
}

VideoWindow::~VideoWindow()
{
    m_slot->setViewer(nullptr);
}

QSize VideoWindow::shownSize() const
{
    if (!m_shown || (window() && window()->isMinimized()))
        return QSize();
    const QSize pixels = (QSizeF(size()) * devicePixelRatioF()).toSize();
    return pixels.isEmpty() ? QSize() : pixels;
}

void VideoWindow::announceSize()
{
    const QSize pixels = shownSize();
    if (pixels == m_announced)
        return;
    m_announced = pixels;
    emit shownSizeChanged(pixels);
}

void VideoWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_shown = true;
    announceSize();
}

void VideoWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_shown = false;
    announceSize();
}

void VideoWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    announceSize();
}

void VideoWindow::paintEvent(QPaintEvent *)
{
    if (GstSamplePtr sample = m_slot->take()) {
        QImage frame = ImageFromSample(std::move(sample));
        if (!frame.isNull())
            m_frame = frame;
    }
    QPainter painter(this);
    if (m_frame.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // A frame of the window's own size is copied as it is; only the frames
    // caught in a resize are smoothed.
    if (m_frame.size() != (QSizeF(size()) * devicePixelRatioF()).toSize())
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_frame);
}
