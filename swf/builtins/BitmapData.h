#pragma once

#include "BuiltinClass.h"

#include <QImage>

namespace swf {

// The pixels of a flash.display.BitmapData, premultiplied ARGB; none once
// disposed. Every live bitmap counts against one allowance of memory, so
// that a movie making bitmaps in a loop runs out of bitmaps, not of memory.
struct BitmapDataPayload : NativePayload {
    BitmapDataPayload(QImage pixels, bool transparent);
    ~BitmapDataPayload() override;
    BitmapDataPayload(const BitmapDataPayload &) = delete;
    BitmapDataPayload &operator=(const BitmapDataPayload &) = delete;

    const QImage &image() const { return m_image; }
    QImage &pixels() { return m_image; }
    bool transparent() const { return m_transparent; }
    bool disposed() const { return m_image.isNull(); }
    void dispose();

    // Whether a bitmap of the size fits within the allowance now.
    static bool fits(QSize size);

private:
    QImage m_image;
    bool m_transparent;
};

// The bitmap a value is, if it is one that was not disposed.
BitmapDataPayload *BitmapDataOf(const Value &value);

} // namespace swf
