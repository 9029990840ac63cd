// flash.display.BitmapData's effects: drawing clips and bitmaps into one,
// noise, thresholds, fills, channel work, filters and comparisons. The pixel
// work itself is swf/BitmapOps's; this reads the arguments as the reference
// player does and keeps opaque bitmaps opaque.
#include "BitmapData.h"
#include "FilterProperties.h"

#include "swf/BitmapOps.h"
#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

namespace Ops = BitmapOps;

constexpr double TwipsPerPixel = 20;
constexpr uint32_t OpaqueAlpha = 0xFF000000;
constexpr int ChannelMax = 255;
constexpr int FullMerge = 256;
constexpr double ColorTransformUnit = 256;
constexpr int PaletteSize = 256;
constexpr int AllChannels = Ops::Red | Ops::Green | Ops::Blue;
// What compare answers: 0 alike, else why it could not compare.
constexpr double Alike = 0, OtherInvalid = -1, SelfInvalid = -2, WidthsDiffer = -3, HeightsDiffer = -4;
// pixelDissolve's count when none is given: a thirtieth of the area.
constexpr int DefaultDissolveShare = 30;

BitmapDataPayload *selfBitmap(const NativeCall &call) { return BitmapDataOf(call.self); }
uint32_t argbArgument(const NativeCall &call, size_t i, double fallback = 0)
{
    return uint32_t(ToInt32(call.number(i, fallback)));
}
int intArgument(const NativeCall &call, size_t i, double fallback = 0) { return ToInt32(call.number(i, fallback)); }
bool boolArgument(const NativeCall &call, size_t i, bool fallback = false)
{
    return i < call.args.size() ? call.cx.toBool(call.args[i]) : fallback;
}
bool given(const NativeCall &call, size_t i)
{
    return i < call.args.size() && !std::holds_alternative<Undefined>(call.args[i]) &&
           !std::holds_alternative<Null>(call.args[i]);
}

double numberMember(NativeCall &call, const Value &object, const char *name, double fallback)
{
    const Value v = call.cx.getMember(object, QLatin1String(name));
    if (std::holds_alternative<Undefined>(v))
        return fallback;
    const double d = call.cx.toNumber(v);
    return std::isfinite(d) ? d : fallback;
}


QImage plainOf(const QImage &premultiplied) { return premultiplied.convertToFormat(QImage::Format_ARGB32); }

void makeOpaque(QImage &plain)
{
    for (int y = 0; y < plain.height(); ++y) {
        auto *line = reinterpret_cast<uint32_t *>(plain.scanLine(y));
        for (int x = 0; x < plain.width(); ++x)
            line[x] |= OpaqueAlpha;
    }
}

// Edits the bitmap's pixels as plain ARGB; an opaque bitmap stays opaque.
template <typename Edit> void editPlain(BitmapDataPayload &bitmap, Edit edit)
{
    QImage plain = plainOf(bitmap.image());
    edit(plain);
    if (!bitmap.transparent())
        makeOpaque(plain);
    bitmap.pixels() = plain.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

uint32_t colourFor(const BitmapDataPayload &bitmap, uint32_t argb)
{
    return bitmap.transparent() ? argb : argb | OpaqueAlpha;
}

// A flash.geom.ColorTransform argument as the engine's (multipliers in 256ths).
ColorTransform engineTransform(NativeCall &call, const Value &t)
{
    const auto mult = [&](const char *name) {
        return int(std::lround(std::clamp(numberMember(call, t, name, 1), -ColorTransformUnit, ColorTransformUnit) *
                               ColorTransformUnit));
    };
    const auto add = [&](const char *name) {
        return int(std::clamp(numberMember(call, t, name, 0), -double(ChannelMax), double(ChannelMax)));
    };
    ColorTransform cx;
    cx.redMult = mult("redMultiplier");
    cx.greenMult = mult("greenMultiplier");
    cx.blueMult = mult("blueMultiplier");
    cx.alphaMult = mult("alphaMultiplier");
    cx.redAdd = add("redOffset");
    cx.greenAdd = add("greenOffset");
    cx.blueAdd = add("blueOffset");
    cx.alphaAdd = add("alphaOffset");
    return cx;
}

Ops::ChannelTransform channelTransform(NativeCall &call, const Value &t)
{
    Ops::ChannelTransform out;
    const std::array<const char *, 4> multipliers{"redMultiplier", "greenMultiplier", "blueMultiplier",
                                                  "alphaMultiplier"};
    const std::array<const char *, 4> offsets{"redOffset", "greenOffset", "blueOffset", "alphaOffset"};
    for (size_t c = 0; c < multipliers.size(); ++c) {
        out.multiplier[c] = numberMember(call, t, multipliers[c], 1);
        out.offset[c] = numberMember(call, t, offsets[c], 0);
    }
    return out;
}

// A flash.geom.Matrix argument (a, b, c, d, tx, ty in pixels); identity when none.
QTransform matrixArgument(NativeCall &call, size_t i)
{
    if (!given(call, i))
        return QTransform();
    const Value &m = call.arg(i);
    return QTransform(numberMember(call, m, "a", 1), numberMember(call, m, "b", 0), numberMember(call, m, "c", 0),
                      numberMember(call, m, "d", 1), numberMember(call, m, "tx", 0), numberMember(call, m, "ty", 0));
}

void drawBitmap(BitmapDataPayload &target, QImage pixels, const QTransform &matrix,
                const std::optional<Ops::ChannelTransform> &transform, const QRect &clip, bool smooth)
{
    if (transform) {
        QImage plain = plainOf(pixels);
        Ops::colorTransform(plain, plain.rect(), *transform);
        pixels = plain.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QPainter painter(&target.pixels());
    painter.setClipRect(clip);
    painter.setTransform(matrix);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(QPointF(), pixels);
}

// The engine filter a script filter object is, if it is one.
std::optional<Filter> filterArgument(const NativeCall &call, size_t i)
{
    const ScriptObject *object = objectOf(call.arg(i));
    const auto *filter = object ? object->payloadAs<FilterPayload>() : nullptr;
    return filter ? std::optional<Filter>(EngineFilter(filter->type, filter->state)) : std::nullopt;
}

// A palette argument: 256 colours, or none to keep the channel.
std::optional<std::array<uint32_t, PaletteSize>> paletteArgument(NativeCall &call, size_t i)
{
    const ScriptObject *array = objectOf(call.arg(i));
    if (!array || array->kind != ScriptObject::Kind::Array)
        return std::nullopt;
    std::array<uint32_t, PaletteSize> palette{};
    for (size_t v = 0; v < palette.size() && v < array->elements.size(); ++v)
        palette[v] = uint32_t(ToInt32(call.cx.toNumber(array->elements[v])));
    return palette;
}

} // namespace

// draw(source, matrix, colorTransform, blendMode, clipRect, smooth): a clip
// (drawn as it looks in its own space) or a bitmap drawn over these pixels.
Value BitmapDraw(NativeCall &call)
{
    BitmapDataPayload *target = selfBitmap(call);
    if (!target)
        return Undefined{};
    const QTransform matrix = matrixArgument(call, 1);
    const QRect clip = given(call, 4) ? BitmapRectArgument(call, 4) : target->image().rect();
    const bool smooth = boolArgument(call, 5);
    if (const BitmapDataPayload *source = BitmapDataOf(call.arg(0))) {
        const std::optional<Ops::ChannelTransform> transform =
            given(call, 2) ? std::optional(channelTransform(call, call.arg(2))) : std::nullopt;
        // A copy: the source may be this bitmap.
        drawBitmap(*target, source->image().copy(), matrix, transform, clip, smooth);
        return Undefined{};
    }
    const auto *ref = std::get_if<ClipRef>(&call.arg(0));
    const DisplayObject *clipObject = ref ? ref->get() : nullptr;
    if (!clipObject)
        return Undefined{};
    MoviePlayer &player = call.player();
    Renderer renderer(player.movieOf(*clipObject));
    renderer.setQuality(player.quality());
    const ColorTransform cx = given(call, 2) ? engineTransform(call, call.arg(2)) : ColorTransform{};
    renderer.renderObject(target->pixels(), *clipObject,
                          QTransform::fromScale(1 / TwipsPerPixel, 1 / TwipsPerPixel) * matrix, cx, clip);
    return Undefined{};
}

// noise(randomSeed, low, high, channelOptions, grayScale)
Value BitmapNoise(NativeCall &call)
{
    if (BitmapDataPayload *bitmap = selfBitmap(call)) {
        const int64_t seed = intArgument(call, 0);
        const int low = intArgument(call, 1, 0), high = intArgument(call, 2, ChannelMax);
        const auto channels = unsigned(intArgument(call, 3, AllChannels));
        const bool grey = boolArgument(call, 4);
        editPlain(*bitmap, [&](QImage &plain) { Ops::noise(plain, seed, low, high, channels, grey); });
    }
    return Undefined{};
}

// perlinNoise(baseX, baseY, numOctaves, randomSeed, stitch, fractalNoise, channelOptions, grayScale, offsets)
Value BitmapPerlinNoise(NativeCall &call)
{
    BitmapDataPayload *bitmap = selfBitmap(call);
    if (!bitmap)
        return Undefined{};
    Ops::Perlin p;
    p.baseX = call.number(0, 0);
    p.baseY = call.number(1, 0);
    p.octaves = intArgument(call, 2, 0);
    p.seed = intArgument(call, 3, 0);
    p.stitch = boolArgument(call, 4);
    p.fractal = boolArgument(call, 5);
    p.channels = unsigned(intArgument(call, 6, AllChannels));
    p.grey = boolArgument(call, 7);
    if (const ScriptObject *offsets = objectOf(call.arg(8)); offsets && offsets->kind == ScriptObject::Kind::Array) {
        for (size_t o = 0; o < offsets->elements.size() && o < size_t(std::max(p.octaves, 0)); ++o)
            p.offsets.emplace_back(numberMember(call, offsets->elements[o], "x", 0),
                                   numberMember(call, offsets->elements[o], "y", 0));
    }
    editPlain(*bitmap, [&](QImage &plain) { Ops::perlinNoise(plain, p); });
    return Undefined{};
}

// threshold(source, sourceRect, destPoint, operation, threshold, color, mask, copySource): the count set.
Value BitmapThreshold(NativeCall &call)
{
    BitmapDataPayload *target = selfBitmap(call);
    const BitmapDataPayload *source = BitmapDataOf(call.arg(0));
    const std::optional<Ops::Compare> operation = Ops::CompareNamed(call.string(3));
    if (!target || !source || !operation)
        return 0.0;
    Ops::Threshold t;
    t.operation = *operation;
    t.threshold = argbArgument(call, 4);
    t.color = colourFor(*target, argbArgument(call, 5));
    t.mask = argbArgument(call, 6, double(0xFFFFFFFFu));
    t.copySource = boolArgument(call, 7);
    const QImage from = plainOf(source->image());
    int count = 0;
    editPlain(*target, [&](QImage &plain) {
        count = Ops::threshold(plain, from, BitmapRectArgument(call, 1), BitmapPointArgument(call, 2), t);
    });
    return double(count);
}

// floodFill(x, y, color)
Value BitmapFloodFill(NativeCall &call)
{
    if (BitmapDataPayload *bitmap = selfBitmap(call)) {
        const QPoint at(intArgument(call, 0), intArgument(call, 1));
        const uint32_t argb = colourFor(*bitmap, argbArgument(call, 2));
        editPlain(*bitmap, [&](QImage &plain) { Ops::floodFill(plain, at, argb); });
    }
    return Undefined{};
}

// colorTransform(rect, colorTransform)
Value BitmapColorTransform(NativeCall &call)
{
    BitmapDataPayload *bitmap = selfBitmap(call);
    if (!bitmap || !objectOf(call.arg(1)))
        return Undefined{};
    const QRect area = BitmapRectArgument(call, 0);
    const Ops::ChannelTransform t = channelTransform(call, call.arg(1));
    editPlain(*bitmap, [&](QImage &plain) { Ops::colorTransform(plain, area, t); });
    return Undefined{};
}

// scroll(x, y)
Value BitmapScroll(NativeCall &call)
{
    if (BitmapDataPayload *bitmap = selfBitmap(call)) {
        const int dx = std::clamp(intArgument(call, 0), -bitmap->image().width(), bitmap->image().width());
        const int dy = std::clamp(intArgument(call, 1), -bitmap->image().height(), bitmap->image().height());
        editPlain(*bitmap, [&](QImage &plain) { Ops::scroll(plain, dx, dy); });
    }
    return Undefined{};
}

// hitTest(firstPoint, firstAlphaThreshold, secondObject, secondBitmapPoint,
// secondAlphaThreshold): whether this bitmap, at firstPoint, has a pixel of
// at least the alpha on the point, in the rectangle or under such a pixel of
// the second bitmap.
Value BitmapHitTest(NativeCall &call)
{
    const BitmapDataPayload *bitmap = selfBitmap(call);
    if (!bitmap || !objectOf(call.arg(2)))
        return false;
    const QPoint origin = BitmapPointArgument(call, 0);
    const int alpha = std::clamp(intArgument(call, 1), 0, ChannelMax);
    const QImage plain = plainOf(bitmap->image());
    if (const BitmapDataPayload *other = BitmapDataOf(call.arg(2))) {
        const QPoint otherOrigin = BitmapPointArgument(call, 3);
        const int otherAlpha = std::clamp(intArgument(call, 4, 1), 0, ChannelMax);
        const QImage theirs = plainOf(other->image());
        const QRect overlap = QRect(origin, plain.size()).intersected(QRect(otherOrigin, theirs.size()));
        for (int y = overlap.top(); y <= overlap.bottom(); ++y)
            for (int x = overlap.left(); x <= overlap.right(); ++x)
                if (qAlpha(plain.pixel(QPoint(x, y) - origin)) >= alpha &&
                    qAlpha(theirs.pixel(QPoint(x, y) - otherOrigin)) >= otherAlpha)
                    return true;
        return false;
    }
    const bool isRectangle =
        !std::holds_alternative<Undefined>(call.cx.getMember(call.arg(2), QStringLiteral("width")));
    const QRect area = isRectangle ? BitmapRectArgument(call, 2) : QRect(BitmapPointArgument(call, 2), QSize(1, 1));
    return Ops::opaqueWithin(plain, area.translated(-origin), alpha);
}

// getColorBoundsRect(mask, color, findColor)
Value BitmapGetColorBoundsRect(NativeCall &call)
{
    const BitmapDataPayload *bitmap = selfBitmap(call);
    if (!bitmap)
        return Undefined{};
    const uint32_t mask = argbArgument(call, 0), color = argbArgument(call, 1);
    const QRect bounds = Ops::colorBounds(plainOf(bitmap->image()), mask, color & mask, boolArgument(call, 2, true));
    return NewRectangle(call, bounds.isEmpty() ? QRect(0, 0, 0, 0) : bounds);
}

// merge(source, sourceRect, destPoint, redMultiplier, greenMultiplier, blueMultiplier, alphaMultiplier)
Value BitmapMerge(NativeCall &call)
{
    BitmapDataPayload *target = selfBitmap(call);
    const BitmapDataPayload *source = BitmapDataOf(call.arg(0));
    if (!target || !source)
        return Undefined{};
    std::array<int, 4> multipliers{};
    for (size_t c = 0; c < multipliers.size(); ++c)
        multipliers[c] = std::clamp(intArgument(call, 3 + c), 0, FullMerge);
    const QImage from = plainOf(source->image());
    editPlain(*target, [&](QImage &plain) {
        Ops::merge(plain, from, BitmapRectArgument(call, 1), BitmapPointArgument(call, 2), multipliers);
    });
    return Undefined{};
}

// paletteMap(source, sourceRect, destPoint, redArray, greenArray, blueArray, alphaArray)
Value BitmapPaletteMap(NativeCall &call)
{
    BitmapDataPayload *target = selfBitmap(call);
    const BitmapDataPayload *source = BitmapDataOf(call.arg(0));
    if (!target || !source)
        return Undefined{};
    Ops::Palette palette;
    for (size_t c = 0; c < palette.size(); ++c)
        palette[c] = paletteArgument(call, 3 + c);
    const QImage from = plainOf(source->image());
    editPlain(*target, [&](QImage &plain) {
        Ops::paletteMap(plain, from, BitmapRectArgument(call, 1), BitmapPointArgument(call, 2), palette);
    });
    return Undefined{};
}

// pixelDissolve(source, sourceRect, destPoint, randomSeed, numPixels, fillColor): the seed to go on with.
Value BitmapPixelDissolve(NativeCall &call)
{
    BitmapDataPayload *target = selfBitmap(call);
    const BitmapDataPayload *source = BitmapDataOf(call.arg(0));
    const int64_t seed = intArgument(call, 3);
    if (!target || !source)
        return double(seed);
    const QRect area = BitmapRectArgument(call, 1);
    const int64_t count = given(call, 4) ? int64_t(intArgument(call, 4))
                                         : int64_t(area.width()) * area.height() / DefaultDissolveShare;
    const uint32_t fill = colourFor(*target, argbArgument(call, 5));
    const QImage from = plainOf(source->image());
    const bool itself = source == target;
    int64_t next = seed;
    editPlain(*target, [&](QImage &plain) {
        next = Ops::pixelDissolve(plain, itself ? nullptr : &from, area, BitmapPointArgument(call, 2), seed, count,
                                  fill);
    });
    return double(next);
}

// copyChannel(source, sourceRect, destPoint, sourceChannel, destChannel)
Value BitmapCopyChannel(NativeCall &call)
{
    BitmapDataPayload *target = selfBitmap(call);
    const BitmapDataPayload *source = BitmapDataOf(call.arg(0));
    if (!target || !source)
        return Undefined{};
    const auto fromChannel = unsigned(intArgument(call, 3)), toChannel = unsigned(intArgument(call, 4));
    const QImage from = plainOf(source->image());
    editPlain(*target, [&](QImage &plain) {
        Ops::copyChannel(plain, from, BitmapRectArgument(call, 1), BitmapPointArgument(call, 2), fromChannel,
                         toChannel);
    });
    return Undefined{};
}

// applyFilter(source, sourceRect, destPoint, filter): the source's area,
// filtered, lands at destPoint with what the filter spreads around it.
Value BitmapApplyFilter(NativeCall &call)
{
    BitmapDataPayload *target = selfBitmap(call);
    const BitmapDataPayload *source = BitmapDataOf(call.arg(0));
    const std::optional<Filter> filter = filterArgument(call, 3);
    if (!target || !source || !filter)
        return Undefined{};
    const QRect from = BitmapRectArgument(call, 1).intersected(source->image().rect());
    if (from.isEmpty())
        return Undefined{};
    const FilterList filters{*filter};
    const QMargins margins = FilterMargins(filters, 1);
    QImage layer(from.size().grownBy(margins), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return Undefined{};
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.drawImage(QPoint(margins.left(), margins.top()), source->image(), from);
    }
    qint64 budget = FrameFilterBudget(layer.size());
    ApplyFilters(layer, filters, 1, budget);
    QImage &pixels = target->pixels();
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(BitmapPointArgument(call, 2) - QPoint(margins.left(), margins.top()), layer);
    painter.end();
    if (!target->transparent())
        editPlain(*target, [](QImage &) {});
    return Undefined{};
}

// generateFilterRect(sourceRect, filter): the area applyFilter would change.
Value BitmapGenerateFilterRect(NativeCall &call)
{
    const std::optional<Filter> filter = filterArgument(call, 1);
    if (!selfBitmap(call) || !filter)
        return Undefined{};
    return NewRectangle(call, BitmapRectArgument(call, 0).marginsAdded(FilterMargins({*filter}, 1)));
}

// compare(otherBitmapData): 0 when alike, a bitmap of the differences, or a
// negative number when the two cannot be compared.
Value BitmapCompare(NativeCall &call)
{
    const BitmapDataPayload *self = selfBitmap(call);
    const BitmapDataPayload *other = BitmapDataOf(call.arg(0));
    if (!self)
        return SelfInvalid;
    if (!other)
        return OtherInvalid;
    if (self->image().width() != other->image().width())
        return WidthsDiffer;
    if (self->image().height() != other->image().height())
        return HeightsDiffer;
    std::optional<QImage> difference = Ops::difference(plainOf(self->image()), plainOf(other->image()));
    if (!difference)
        return Alike;
    return NewBitmapData(call, call.object()->prototype(),
                         difference->convertToFormat(QImage::Format_ARGB32_Premultiplied), true);
}

// BitmapData.loadBitmap(linkageId): a new bitmap holding the pixels of the
// bitmap the movie exports under that name.
Value BitmapLoadBitmap(NativeCall &call)
{
    const MovieDef *movie = call.player().movie();
    const ScriptObject *constructor = call.object();
    if (!movie || !constructor || call.args.empty())
        return Undefined{};
    const auto id = movie->exports.find(call.string(0).toLower());
    const auto *bitmap = id == movie->exports.end() ? nullptr : dynamic_cast<const BitmapDef *>(movie->character(*id));
    if (!bitmap || bitmap->image.isNull())
        return Undefined{};
    return NewBitmapData(call, PrototypeOf(call.engine(), *constructor),
                         bitmap->image.convertToFormat(QImage::Format_ARGB32_Premultiplied), true);
}

} // namespace swf
