#include "Filters.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Filter list records as movie files store them.
constexpr int GradientFilterMaxColors = 16;
constexpr int MaxKernelSide = 31;

// A plane of 8-bit values, one per pixel.
struct Plane {
    int width = 0, height = 0;
    std::vector<uint8_t> values;

    Plane(int w, int h) : width(w), height(h), values(size_t(w) * size_t(h), 0) {}
    uint8_t at(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0 : values[size_t(y) * size_t(width) + size_t(x)];
    }
};

// One pass of a box blur over `count` samples of `channels` interleaved
// bytes, `stride` bytes apart, into out.
void boxLine(const uint8_t *in, uint8_t *out, int count, int stride, int channels, int radius)
{
    const int window = 2 * radius + 1;
    for (int c = 0; c < channels; ++c) {
        int sum = 0;
        for (int i = 0; i <= radius && i < count; ++i)
            sum += in[i * stride + c];
        for (int i = 0; i < count; ++i) {
            out[i * stride + c] = uint8_t((sum + window / 2) / window);
            const int enter = i + radius + 1, leave = i - radius;
            if (enter < count)
                sum += in[enter * stride + c];
            if (leave >= 0)
                sum -= in[leave * stride + c];
        }
    }
}

// One vertical pass of the same box blur over whole rows at once: running
// sums per byte of a row, so the image is read row by row (a column walk over
// a wide layer misses the cache on every sample). The original values of the
// rows leaving the window are kept in a ring of radius + 1 rows.
void boxColumns(uint8_t *data, int height, size_t rowLength, int rowBytes, int radius)
{
    const int window = 2 * radius + 1;
    const int ringRows = std::min(radius + 1, height);
    std::vector<uint8_t> ring(size_t(ringRows) * rowLength);
    std::vector<int> sums(rowLength, 0);
    const auto rowAt = [&](int y) { return data + size_t(y) * size_t(rowBytes); };
    for (int y = 0; y <= radius && y < height; ++y) {
        const uint8_t *row = rowAt(y);
        for (size_t i = 0; i < rowLength; ++i)
            sums[i] += row[i];
    }
    for (int y = 0; y < height; ++y) {
        uint8_t *row = rowAt(y);
        uint8_t *saved = ring.data() + size_t(y % ringRows) * rowLength;
        std::copy(row, row + rowLength, saved);
        for (size_t i = 0; i < rowLength; ++i)
            row[i] = uint8_t((sums[i] + window / 2) / window);
        const int enter = y + radius + 1, leave = y - radius;
        if (enter < height) {
            const uint8_t *entering = rowAt(enter);
            for (size_t i = 0; i < rowLength; ++i)
                sums[i] += entering[i];
        }
        if (leave >= 0) {
            const uint8_t *leaving = ring.data() + size_t(leave % ringRows) * rowLength;
            for (size_t i = 0; i < rowLength; ++i)
                sums[i] -= leaving[i];
        }
    }
}

// Box-blurs interleaved pixels in place: `passes` times along x, then along y.
void boxBlur(uint8_t *data, int width, int height, int rowBytes, int channels, int radiusX, int radiusY, int passes)
{
    std::vector<uint8_t> line(size_t(width) * size_t(channels));
    for (int pass = 0; pass < passes; ++pass) {
        if (radiusX > 0) {
            for (int y = 0; y < height; ++y) {
                uint8_t *row = data + size_t(y) * size_t(rowBytes);
                std::copy(row, row + size_t(width) * size_t(channels), line.begin());
                boxLine(line.data(), row, width, channels, channels, radiusX);
            }
        }
        if (radiusY > 0)
            boxColumns(data, height, size_t(width) * size_t(channels), rowBytes, radiusY);
    }
}

Plane alphaOf(const QImage &image)
{
    Plane plane(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            plane.values[size_t(y) * size_t(image.width()) + size_t(x)] = uint8_t(qAlpha(row[x]));
    }
    return plane;
}

void blurPlane(Plane &plane, const Filter &f, double scale)
{
    boxBlur(plane.values.data(), plane.width, plane.height, plane.width, 1, BlurRadius(f.blurX, scale),
            BlurRadius(f.blurY, scale), std::clamp(f.passes, 0, MaxPasses));
}

QPoint offsetOf(const Filter &f, double scale)
{
    return QPoint(int(std::lround(std::cos(f.angle) * f.distance * scale)),
                  int(std::lround(std::sin(f.angle) * f.distance * scale)));
}

// 256 premultiplied colours along a gradient's stops.
std::array<QRgb, 256> gradientTable(const QGradientStops &stops)
{
    std::array<QRgb, 256> table{};
    if (stops.isEmpty())
        return table;
    for (int i = 0; i < 256; ++i) {
        const double t = i / 255.0;
        QColor c = stops.last().second;
        if (t <= stops.first().first) {
            c = stops.first().second;
        } else {
            for (int s = 1; s < stops.size(); ++s) {
                if (t <= stops[s].first) {
                    const double span = stops[s].first - stops[s - 1].first;
                    const double k = span > 0 ? (t - stops[s - 1].first) / span : 1;
                    const QColor &a = stops[s - 1].second, &b = stops[s].second;
                    c = QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * k),
                                         float(a.greenF() + (b.greenF() - a.greenF()) * k),
                                         float(a.blueF() + (b.blueF() - a.blueF()) * k),
                                         float(a.alphaF() + (b.alphaF() - a.alphaF()) * k));
                    break;
                }
            }
        }
        table[size_t(i)] = qPremultiply(c.rgba());
    }
    return table;
}

QRgb scaled(QRgb premultiplied, double k)
{
    k = std::clamp(k, 0.0, 1.0);
    return qRgba(int(qRed(premultiplied) * k + 0.5), int(qGreen(premultiplied) * k + 0.5),
                 int(qBlue(premultiplied) * k + 0.5), int(qAlpha(premultiplied) * k + 0.5));
}

QRgb over(QRgb top, QRgb bottom)
{
    const int inverse = 255 - qAlpha(top);
    const auto mixChannel = [inverse](int t, int b) { return std::min(255, t + (b * inverse + 127) / 255); };
    return qRgba(mixChannel(qRed(top), qRed(bottom)), mixChannel(qGreen(top), qGreen(bottom)),
                 mixChannel(qBlue(top), qBlue(bottom)), mixChannel(qAlpha(top), qAlpha(bottom)));
}

// Puts an effect (one premultiplied colour per pixel) with the object as
// the filter's options say: outside or inside its edge, with or without it.
template <typename EffectAt>
void compose(QImage &image, const Filter &f, bool inner, bool outerUnderObject, EffectAt effectAt)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb source = row[x];
            const double coverage = qAlpha(source) / 255.0;
            QRgb effect = effectAt(x, y);
            if (inner) {
                effect = scaled(effect, coverage);
                row[x] = f.knockout || f.hideObject ? effect : over(effect, source);
            } else if (f.knockout) {
                row[x] = scaled(effect, 1 - coverage);
            } else if (f.hideObject) {
                row[x] = outerUnderObject ? effect : scaled(effect, 1 - coverage);
            } else {
                row[x] = over(source, outerUnderObject ? effect : scaled(effect, 1 - coverage));
            }
        }
    }
}

void shadow(QImage &image, const Filter &f, double scale)
{
    Plane blurred = alphaOf(image);
    if (f.inner)
        for (uint8_t &v : blurred.values)
            v = uint8_t(255 - v);
    blurPlane(blurred, f, scale);
    const QPoint off = offsetOf(f, scale);
    const QRgb colour = qPremultiply(f.color.rgba());
    compose(image, f, f.inner, true, [&](int x, int y) {
        // Past the layer the object is transparent: its inverse there is opaque.
        const int inside = blurred.at(x - off.x(), y - off.y());
        const bool beyond = x - off.x() < 0 || y - off.y() < 0 || x - off.x() >= blurred.width ||
                            y - off.y() >= blurred.height;
        const int a = f.inner && beyond ? 255 : inside;
        return scaled(colour, a / 255.0 * f.strength);
    });
}

void gradientGlow(QImage &image, const Filter &f, double scale)
{
    Plane blurred = alphaOf(image);
    blurPlane(blurred, f, scale);
    const QPoint off = offsetOf(f, scale);
    const std::array<QRgb, 256> table = gradientTable(f.gradient);
    compose(image, f, f.inner, false, [&](int x, int y) {
        int a = blurred.at(x - off.x(), y - off.y());
        if (f.inner)
            a = 255 - a;
        return table[size_t(std::clamp(int(a * f.strength), 0, 255))];
    });
}

void bevel(QImage &image, const Filter &f, double scale)
{
    Plane blurred = alphaOf(image);
    blurPlane(blurred, f, scale);
    const QPoint off = offsetOf(f, scale);
    const bool gradient = f.type == Filter::GradientBevel;
    const std::array<QRgb, 256> table = gradient ? gradientTable(f.gradient) : std::array<QRgb, 256>{};
    const QRgb shadowColour = qPremultiply(f.color.rgba()), highlightColour = qPremultiply(f.highlight.rgba());
    const auto effectAt = [&](int x, int y) {
        // Lit from the angle's opposite side: the shadow falls where the object
        // shifted along the angle covers more than shifted against it.
        const double v = (blurred.at(x - off.x(), y - off.y()) - blurred.at(x + off.x(), y + off.y())) / 255.0 *
                         f.strength;
        if (gradient)
            return table[size_t(std::clamp(int(std::lround(127.5 + v * 127.5)), 0, 255))];
        return v > 0 ? scaled(shadowColour, v) : scaled(highlightColour, -v);
    };
    if (f.onTop) {
        // A full bevel: both sides of the edge.
        for (int y = 0; y < image.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = f.knockout ? effectAt(x, y) : over(effectAt(x, y), row[x]);
        }
        return;
    }
    compose(image, f, f.inner, false, effectAt);
}

void blur(QImage &image, const Filter &f, double scale)
{
    boxBlur(image.bits(), image.width(), image.height(), int(image.bytesPerLine()), 4, BlurRadius(f.blurX, scale),
            BlurRadius(f.blurY, scale), std::clamp(f.passes, 0, MaxPasses));
}

void colorMatrix(QImage &image, const Filter &f)
{
    const std::array<float, 20> &m = f.colorMatrix;
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = qUnpremultiply(row[x]);
            const float in[4] = {float(qRed(p)), float(qGreen(p)), float(qBlue(p)), float(qAlpha(p))};
            int out[4];
            for (int c = 0; c < 4; ++c) {
                const float *k = &m[size_t(c) * 5];
                out[c] = std::clamp(int(std::lround(k[0] * in[0] + k[1] * in[1] + k[2] * in[2] + k[3] * in[3] + k[4])),
                                    0, 255);
            }
            row[x] = qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
        }
    }
}

void convolution(QImage &image, const Filter &f)
{
    if (f.matrixX <= 0 || f.matrixY <= 0 || int(f.kernel.size()) < f.matrixX * f.matrixY)
        return;
    const QImage source = image.copy();
    const int w = image.width(), h = image.height();
    const int cx = f.matrixX / 2, cy = f.matrixY / 2;
    const float divisor = f.divisor == 0 ? 1 : f.divisor;
    const QRgb outside = f.defaultColor.rgba();
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < f.matrixY; ++j) {
                for (int i = 0; i < f.matrixX; ++i) {
                    int sx = x + i - cx, sy = y + j - cy;
                    QRgb p;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h) {
                        if (!f.clamp) {
                            p = outside;
                        } else {
                            sx = std::clamp(sx, 0, w - 1);
                            sy = std::clamp(sy, 0, h - 1);
                            p = qUnpremultiply(source.pixel(sx, sy));
                        }
                    } else {
                        p = qUnpremultiply(reinterpret_cast<const QRgb *>(source.constScanLine(sy))[sx]);
                    }
                    const float k = f.kernel[size_t(j * f.matrixX + i)];
                    sum[0] += k * float(qRed(p));
                    sum[1] += k * float(qGreen(p));
                    sum[2] += k * float(qBlue(p));
                    sum[3] += k * float(qAlpha(p));
                }
            }
            const QRgb own = qUnpremultiply(row[x]);
            const auto channel = [&](int c) { return std::clamp(int(std::lround(sum[c] / divisor + f.bias)), 0, 255); };
            row[x] = qPremultiply(
                qRgba(channel(0), channel(1), channel(2), f.preserveAlpha ? qAlpha(own) : channel(3)));
        }
    }
}

int channelOf(QRgb mapPixel, int component)
{
    const QRgb p = qUnpremultiply(mapPixel);
    switch (component) {
    case Filter::Red: return qRed(p);
    case Filter::Green: return qGreen(p);
    case Filter::Blue: return qBlue(p);
    case Filter::Alpha: return qAlpha(mapPixel);
    default: return 128;
    }
}

void displacement(QImage &image, const Filter &f, double scale)
{
    if (f.map.isNull())
        return;
    const QImage source = image.copy();
    const QImage map = f.map.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int mx = x - f.mapPoint.x(), my = y - f.mapPoint.y();
            if (mx < 0 || my < 0 || mx >= map.width() || my >= map.height())
                continue; // no map here: the pixel stays
            const QRgb m = map.pixel(mx, my);
            int sx = x + int(std::lround((channelOf(m, f.componentX) - 128) * f.scaleX * scale / 256));
            int sy = y + int(std::lround((channelOf(m, f.componentY) - 128) * f.scaleY * scale / 256));
            if (sx >= 0 && sy >= 0 && sx < w && sy < h) {
                row[x] = source.pixel(sx, sy);
                continue;
            }
            switch (f.mode) {
            case Filter::Wrap:
                sx = ((sx % w) + w) % w;
                sy = ((sy % h) + h) % h;
                row[x] = source.pixel(sx, sy);
                break;
            case Filter::Clamp: row[x] = source.pixel(std::clamp(sx, 0, w - 1), std::clamp(sy, 0, h - 1)); break;
            case Filter::Ignore: row[x] = source.pixel(x, y); break;
            case Filter::UseColor: row[x] = qPremultiply(f.mapColor.rgba()); break;
            }
        }
    }
}

void angleAndDistance(SwfReader &r, Filter &f)
{
    f.angle = r.fixed16();
    f.distance = std::clamp(r.fixed16(), -MaxBlur, MaxBlur);
}

void readGradient(SwfReader &r, Filter &f)
{
    const int count = std::min<int>(r.u8(), GradientFilterMaxColors);
    std::vector<QColor> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(r.rgba());
    for (int i = 0; i < count; ++i)
        f.gradient.append({r.u8() / 255.0, colours[size_t(i)]});
}

void readBlur(SwfReader &r, Filter &f)
{
    f.blurX = std::clamp(r.fixed16(), 0.0, MaxBlur);
    f.blurY = std::clamp(r.fixed16(), 0.0, MaxBlur);
}

} // namespace

bool operator==(const Filter &a, const Filter &b)
{
    return a.type == b.type && a.color == b.color && a.highlight == b.highlight && a.gradient == b.gradient &&
           a.blurX == b.blurX && a.blurY == b.blurY && a.angle == b.angle && a.distance == b.distance &&
           a.strength == b.strength && a.inner == b.inner && a.knockout == b.knockout &&
           a.hideObject == b.hideObject && a.onTop == b.onTop && a.passes == b.passes &&
           a.colorMatrix == b.colorMatrix && a.matrixX == b.matrixX && a.matrixY == b.matrixY &&
           a.kernel == b.kernel && a.divisor == b.divisor && a.bias == b.bias && a.defaultColor == b.defaultColor &&
           a.clamp == b.clamp && a.preserveAlpha == b.preserveAlpha && a.map.cacheKey() == b.map.cacheKey() &&
           a.mapPoint == b.mapPoint && a.componentX == b.componentX && a.componentY == b.componentY &&
           a.scaleX == b.scaleX && a.scaleY == b.scaleY && a.mode == b.mode && a.mapColor == b.mapColor;
}

int BlurRadius(double blur, double scale)
{
    return std::clamp(int(std::floor(blur * scale / 2)), 0, int(MaxBlur * 8));
}

FilterList ReadFilterList(SwfReader &r)
{
    FilterList filters;
    const int count = r.u8();
    for (int i = 0; i < count && !r.overrun(); ++i) {
        Filter f;
        const int code = r.u8();
        if (code > Filter::GradientBevel)
            return filters; // unknown record: its size is unknown too
        f.type = Filter::Type(code);
        switch (f.type) {
        case Filter::DropShadow:
        case Filter::Glow: {
            f.color = r.rgba();
            readBlur(r, f);
            if (f.type == Filter::DropShadow)
                angleAndDistance(r, f);
            else
                f.distance = 0;
            f.strength = r.fixed8();
            f.inner = r.ub(1);
            f.knockout = r.ub(1);
            f.hideObject = !r.ub(1);
            f.passes = int(r.ub(5));
            break;
        }
        case Filter::Blur:
            readBlur(r, f);
            f.passes = int(r.ub(5));
            r.ub(3);
            break;
        case Filter::Bevel:
        case Filter::GradientGlow:
        case Filter::GradientBevel:
            if (f.type == Filter::Bevel) {
                f.color = r.rgba();
                f.highlight = r.rgba();
            } else {
                readGradient(r, f);
            }
            readBlur(r, f);
            angleAndDistance(r, f);
            f.strength = r.fixed8();
            f.inner = r.ub(1);
            f.knockout = r.ub(1);
            f.hideObject = !r.ub(1);
            f.onTop = r.ub(1);
            f.passes = int(r.ub(4));
            break;
        case Filter::Convolution: {
            f.matrixX = r.u8();
            f.matrixY = r.u8();
            f.divisor = r.f32();
            f.bias = r.f32();
            const int cells = f.matrixX * f.matrixY;
            for (int c = 0; c < cells && !r.overrun(); ++c)
                f.kernel.push_back(r.f32());
            f.defaultColor = r.rgba();
            r.ub(6);
            f.clamp = r.ub(1);
            f.preserveAlpha = r.ub(1);
            if (f.matrixX > MaxKernelSide || f.matrixY > MaxKernelSide)
                continue;
            break;
        }
        case Filter::ColorMatrix:
            for (float &v : f.colorMatrix)
                v = r.f32();
            break;
        default:
            return filters; // unknown record: its size is unknown too
        }
        if (r.overrun())
            break;
        if (int(filters.size()) < MaxFilters)
            filters.push_back(std::move(f));
    }
    return filters;
}

QMargins FilterMargins(const FilterList &filters, double scale)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    for (const Filter &f : filters) {
        const int passes = std::clamp(f.passes, 0, MaxPasses);
        const int rx = BlurRadius(f.blurX, scale) * passes, ry = BlurRadius(f.blurY, scale) * passes;
        int dx = 0, dy = 0;
        switch (f.type) {
        case Filter::DropShadow:
        case Filter::Glow:
        case Filter::Bevel:
        case Filter::GradientGlow:
        case Filter::GradientBevel:
            dx = offsetOf(f, scale).x();
            dy = offsetOf(f, scale).y();
            break;
        case Filter::Blur: break;
        case Filter::Convolution: // spreads the image by the kernel's reach
            left += f.matrixX / 2;
            right += f.matrixX / 2;
            top += f.matrixY / 2;
            bottom += f.matrixY / 2;
            continue;
        default: continue;
        }
        const int reachX = rx + std::abs(dx), reachY = ry + std::abs(dy);
        left += reachX;
        right += reachX;
        top += reachY;
        bottom += reachY;
    }
    return QMargins(left, top, right, bottom);
}

namespace {

// Roughly the bytes a filter reads and writes over a pixels-sized image.
qint64 workOf(const Filter &f, qint64 pixels)
{
    constexpr qint64 Channels = 4, Axes = 2, ComposeBytes = 8, MatrixTerms = 20;
    const qint64 passes = std::clamp(f.passes, 0, MaxPasses);
    switch (f.type) {
    case Filter::Blur: return pixels * Channels * Axes * passes;
    case Filter::DropShadow:
    case Filter::Glow:
    case Filter::Bevel:
    case Filter::GradientBevel:
    case Filter::GradientGlow: return pixels * (Axes * passes + ComposeBytes);
    case Filter::Convolution: return pixels * Channels * std::max(1, f.matrixX * f.matrixY);
    case Filter::ColorMatrix: return pixels * MatrixTerms;
    case Filter::DisplacementMap: return pixels * ComposeBytes;
    }
    return pixels;
}

} // namespace

qint64 FrameFilterBudget(QSize picture)
{
    constexpr qint64 WorkPerPicturePixel = 64;
    constexpr qint64 SmallestBudget = qint64(1) << 22;
    return std::max(SmallestBudget, qint64(std::max(0, picture.width())) * std::max(0, picture.height()) *
                                        WorkPerPicturePixel);
}

void ApplyFilters(QImage &image, const FilterList &filters, double scale, qint64 &budget)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const qint64 pixels = qint64(image.width()) * image.height();
    for (const Filter &f : filters) {
        const qint64 work = workOf(f, pixels);
        if (work > budget)
            continue;
        budget -= work;
        switch (f.type) {
        case Filter::DropShadow:
        case Filter::Glow: shadow(image, f, scale); break;
        case Filter::Blur: blur(image, f, scale); break;
        case Filter::Bevel:
        case Filter::GradientBevel: bevel(image, f, scale); break;
        case Filter::GradientGlow: gradientGlow(image, f, scale); break;
        case Filter::Convolution: convolution(image, f); break;
        case Filter::ColorMatrix: colorMatrix(image, f); break;
        case Filter::DisplacementMap: displacement(image, f, scale); break;
        }
    }
}

} // namespace swf
