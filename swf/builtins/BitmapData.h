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

// Argument i as a flash.geom.Rectangle or Point, in whole pixels.
QRect BitmapRectArgument(NativeCall &call, size_t i);
QPoint BitmapPointArgument(NativeCall &call, size_t i);
// A new flash.geom.Rectangle, whatever the movie made that name mean; -1 when it has none.
Value NewRectangle(NativeCall &call, const QRect &rect);
// A new bitmap of the class of this one (or of the constructor this is) holding the pixels.
Value NewBitmapData(NativeCall &call, ScriptObject *prototype, QImage pixels, bool transparent);

// BitmapData's methods beyond reading and writing pixels: its effects and drawing.
Value BitmapDraw(NativeCall &call);
Value BitmapNoise(NativeCall &call);
Value BitmapPerlinNoise(NativeCall &call);
Value BitmapThreshold(NativeCall &call);
Value BitmapFloodFill(NativeCall &call);
Value BitmapColorTransform(NativeCall &call);
Value BitmapScroll(NativeCall &call);
Value BitmapHitTest(NativeCall &call);
Value BitmapGetColorBoundsRect(NativeCall &call);
Value BitmapMerge(NativeCall &call);
Value BitmapPaletteMap(NativeCall &call);
Value BitmapPixelDissolve(NativeCall &call);
Value BitmapCopyChannel(NativeCall &call);
Value BitmapApplyFilter(NativeCall &call);
Value BitmapGenerateFilterRect(NativeCall &call);
Value BitmapCompare(NativeCall &call);
Value BitmapLoadBitmap(NativeCall &call);

} // namespace swf
