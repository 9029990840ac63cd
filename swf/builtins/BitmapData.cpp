// flash.display.BitmapData(width, height, transparent, fillColor): pixels
// scripts make, read and copy, and clips show through attachBitmap.
#include "BitmapData.h"
#include "Builtins.h"

#include "swf/ImageMovie.h"
#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <QPainter>

#include <algorithm>
#include <atomic>

namespace swf {

namespace {

// Movies see the class from this version on (older ones once they clear
// the flag that hides flash from them).
constexpr int ClassVersion = 8;
// The reference player's largest side, and what every live bitmap may take together.
constexpr int MaxSide = 2880;
constexpr qint64 MaxLiveBytes = qint64(256) << 20;
constexpr int BytesPerPixel = 4;
constexpr uint32_t OpaqueAlpha = 0xFF000000;
constexpr uint32_t RgbMask = 0xFFFFFF;
constexpr double WhiteOpaque = 0xFFFFFFFF;
// What the getters answer once the bitmap is disposed.
constexpr double Disposed = -1;
// Rectangles and points beyond this are far off any bitmap, and keep QRect's sums in range.
constexpr int MaxCoordinate = 1 << 24;

std::atomic<qint64> liveBytes{0};

qint64 bytesOf(QSize size) { return qint64(size.width()) * size.height() * BytesPerPixel; }

BitmapDataPayload *selfBitmap(const NativeCall &call) { return BitmapDataOf(call.self); }

// What the getters answer: undefined for what is no bitmap, -1 once disposed.
const BitmapDataPayload *readable(const NativeCall &call, Value &answer)
{
    const ScriptObject *object = call.object();
    const auto *bitmap = object ? object->payloadAs<BitmapDataPayload>() : nullptr;
    answer = bitmap ? Value(Disposed) : Value(Undefined{});
    return bitmap && !bitmap->disposed() ? bitmap : nullptr;
}

uint32_t argbArgument(const NativeCall &call, size_t i) { return uint32_t(ToInt32(call.number(i, 0))); }
int intArgument(const NativeCall &call, size_t i) { return ToInt32(call.number(i, 0)); }

// A number member of a rectangle or point argument, as a whole pixel.
int member(NativeCall &call, const Value &object, const char *name)
{
    return std::clamp(int(ToInt32(call.cx.toNumber(call.cx.getMember(object, QLatin1String(name))))), -MaxCoordinate,
                      MaxCoordinate);
}

QImage filled(QSize size, uint32_t argb)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        image.fill(qPremultiply(argb));
    return image;
}

Value construct(NativeCall &call)
{
    ScriptObject *bitmap = call.construct ? call.object() : nullptr;
    if (!bitmap)
        return Undefined{};
    const QSize size(intArgument(call, 0), intArgument(call, 1));
    if (size.width() <= 0 || size.height() <= 0 || size.width() > MaxSide || size.height() > MaxSide ||
        !BitmapDataPayload::fits(size))
        return Undefined{};
    const bool transparent = call.args.size() < 3 || call.cx.toBool(call.args[2]);
    const uint32_t fill = uint32_t(ToInt32(call.number(3, WhiteOpaque)));
    QImage image = filled(size, transparent ? fill : fill | OpaqueAlpha);
    if (image.isNull())
        return Undefined{};
    bitmap->payload = std::make_unique<BitmapDataPayload>(std::move(image), transparent);
    return bitmap;
}

Value getWidth(NativeCall &call)
{
    Value answer;
    const BitmapDataPayload *bitmap = readable(call, answer);
    return bitmap ? Value(double(bitmap->image().width())) : answer;
}

Value getHeight(NativeCall &call)
{
    Value answer;
    const BitmapDataPayload *bitmap = readable(call, answer);
    return bitmap ? Value(double(bitmap->image().height())) : answer;
}

Value getTransparent(NativeCall &call)
{
    Value answer;
    const BitmapDataPayload *bitmap = readable(call, answer);
    return bitmap ? Value(bitmap->transparent()) : answer;
}

Value getRectangle(NativeCall &call)
{
    Value answer;
    const BitmapDataPayload *bitmap = readable(call, answer);
    return bitmap ? NewRectangle(call, bitmap->image().rect()) : answer;
}

Value dispose(NativeCall &call)
{
    if (BitmapDataPayload *bitmap = selfBitmap(call))
        bitmap->dispose();
    return Undefined{};
}

// Pixels outside the bitmap read as 0.
Value getPixel32(NativeCall &call)
{
    const BitmapDataPayload *bitmap = selfBitmap(call);
    if (!bitmap)
        return Undefined{};
    const QPoint at(intArgument(call, 0), intArgument(call, 1));
    if (!bitmap->image().rect().contains(at))
        return 0.0;
    return double(qUnpremultiply(bitmap->image().pixel(at)));
}

Value getPixel(NativeCall &call)
{
    const Value argb = getPixel32(call);
    const double *value = std::get_if<double>(&argb);
    return value ? Value(double(uint32_t(*value) & RgbMask)) : argb;
}

void setPixelTo(NativeCall &call, bool withAlpha)
{
    BitmapDataPayload *bitmap = selfBitmap(call);
    const QPoint at(intArgument(call, 0), intArgument(call, 1));
    uint32_t argb = argbArgument(call, 2);
    if (!bitmap || !bitmap->image().rect().contains(at))
        return;
    if (!withAlpha)
        argb = (argb & RgbMask) | (qUnpremultiply(bitmap->image().pixel(at)) & OpaqueAlpha);
    if (!bitmap->transparent())
        argb |= OpaqueAlpha;
    bitmap->pixels().setPixel(at, qPremultiply(argb));
}
Value setPixel(NativeCall &call)
{
    setPixelTo(call, false);
    return Undefined{};
}
Value setPixel32(NativeCall &call)
{
    setPixelTo(call, true);
    return Undefined{};
}

Value fillRect(NativeCall &call)
{
    const QRect area = BitmapRectArgument(call, 0);
    uint32_t argb = argbArgument(call, 1);
    BitmapDataPayload *bitmap = selfBitmap(call);
    if (!bitmap || call.args.size() < 2)
        return Undefined{};
    if (!bitmap->transparent())
        argb |= OpaqueAlpha;
    QPainter painter(&bitmap->pixels());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(area.intersected(bitmap->image().rect()), QColor::fromRgba(argb));
    return Undefined{};
}

// copyPixels(source, sourceRect, destPoint): the source's pixels replace
// these; what lies outside either bitmap is left out.
Value copyPixels(NativeCall &call)
{
    const QRect from = BitmapRectArgument(call, 1);
    const QPoint to = BitmapPointArgument(call, 2);
    const BitmapDataPayload *source = BitmapDataOf(call.arg(0));
    BitmapDataPayload *target = selfBitmap(call);
    if (!source || !target)
        return Undefined{};
    const QRect within = from.intersected(source->image().rect());
    if (within.isEmpty())
        return Undefined{};
    // A copy: the source may be this bitmap.
    const QImage pixels = source->image().copy(within);
    QPainter painter(&target->pixels());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(to + (within.topLeft() - from.topLeft()), pixels);
    return Undefined{};
}

Value clone(NativeCall &call)
{
    const BitmapDataPayload *bitmap = selfBitmap(call);
    return bitmap ? NewBitmapData(call, call.object()->prototype(), bitmap->image().copy(), bitmap->transparent())
                  : Value(Undefined{});
}

} // namespace

QRect BitmapRectArgument(NativeCall &call, size_t i)
{
    const Value &r = call.arg(i);
    return QRect(member(call, r, "x"), member(call, r, "y"), member(call, r, "width"), member(call, r, "height"));
}

QPoint BitmapPointArgument(NativeCall &call, size_t i)
{
    const Value &p = call.arg(i);
    return QPoint(member(call, p, "x"), member(call, p, "y"));
}

Value NewRectangle(NativeCall &call, const QRect &rect)
{
    const std::vector<Value> bounds{double(rect.x()), double(rect.y()), double(rect.width()), double(rect.height())};
    const Value geom = call.cx.getMember(call.cx.getMember(call.engine().global(), QStringLiteral("flash")),
                                         QStringLiteral("geom"));
    const Value rectangle = call.cx.getMember(geom, QStringLiteral("Rectangle"));
    const ScriptObject *constructor = objectOf(rectangle);
    if (!constructor || !constructor->isCallable())
        return Disposed;
    return call.cx.construct(rectangle, bounds);
}

Value NewBitmapData(NativeCall &call, ScriptObject *prototype, QImage pixels, bool transparent)
{
    ScriptObject *copy = !pixels.isNull() && BitmapDataPayload::fits(pixels.size())
                             ? call.engine().newObject(prototype)
                             : nullptr;
    if (!copy)
        return Undefined{};
    copy->payload = std::make_unique<BitmapDataPayload>(std::move(pixels), transparent);
    return copy;
}

BitmapDataPayload::BitmapDataPayload(QImage pixels, bool transparent)
    : m_image(std::move(pixels)), m_transparent(transparent)
{
    liveBytes += bytesOf(m_image.size());
}

BitmapDataPayload::~BitmapDataPayload() { dispose(); }

void BitmapDataPayload::dispose()
{
    liveBytes -= bytesOf(m_image.size());
    m_image = QImage();
}

bool BitmapDataPayload::fits(QSize size) { return liveBytes + bytesOf(size) <= MaxLiveBytes; }

BitmapDataPayload *BitmapDataOf(const Value &value)
{
    const ScriptObject *object = objectOf(value);
    auto *bitmap = object ? object->payloadAs<BitmapDataPayload>() : nullptr;
    return bitmap && !bitmap->disposed() ? bitmap : nullptr;
}

// clip.attachBitmap(bitmap, depth, pixelSnapping, smoothing): a shape filled
// with the bitmap's pixels as they are now, at depth.
Value ClipAttachBitmap(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    const BitmapDataPayload *bitmap = BitmapDataOf(call.arg(0));
    if (!clip || !bitmap || call.args.size() < 2)
        return Undefined{};
    const QImage &image = bitmap->image();
    std::shared_ptr<ShapeDef> shape = BitmapShape(image, call.args.size() > 3 && call.cx.toBool(call.args[3]));
    call.player().placeScriptShape(*clip, std::move(shape), intArgument(call, 1));
    return Undefined{};
}

const ClassDecl BitmapDataClass{
    "flash.display.BitmapData",
    construct,
    {
        {"getPixel", getPixel},
        {"getPixel32", getPixel32},
        {"setPixel", setPixel},
        {"setPixel32", setPixel32},
        {"fillRect", fillRect},
        {"copyPixels", copyPixels},
        {"clone", clone},
        {"dispose", dispose},
        {"draw", BitmapDraw},
        {"noise", BitmapNoise},
        {"perlinNoise", BitmapPerlinNoise},
        {"threshold", BitmapThreshold},
        {"floodFill", BitmapFloodFill},
        {"colorTransform", BitmapColorTransform},
        {"scroll", BitmapScroll},
        {"hitTest", BitmapHitTest},
        {"getColorBoundsRect", BitmapGetColorBoundsRect},
        {"merge", BitmapMerge},
        {"paletteMap", BitmapPaletteMap},
        {"pixelDissolve", BitmapPixelDissolve},
        {"copyChannel", BitmapCopyChannel},
        {"applyFilter", BitmapApplyFilter},
        {"generateFilterRect", BitmapGenerateFilterRect},
        {"compare", BitmapCompare},
    },
    {
        {"loadBitmap", BitmapLoadBitmap},
    },
    {},
    ClassVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {
        {"width", getWidth},
        {"height", getHeight},
        {"transparent", getTransparent},
        {"rectangle", getRectangle},
    },
};

} // namespace swf
