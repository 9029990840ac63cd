#include "BitmapOps.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <vector>

namespace swf::BitmapOps {

namespace {

constexpr int64_t RandomModulus = 2147483647; // 2^31 - 1
constexpr int64_t RandomMultiplier = 16807;
constexpr int ChannelMax = 255;
constexpr int FullMerge = 256;
constexpr uint32_t AlphaBits = 0xFF000000;
constexpr uint32_t WhiteBits = 0xFFFFFF;
// One value in red, green and blue.
constexpr uint32_t GreyBits = 0x010101;
constexpr int AlphaShift = 24, RedShift = 16, GreenShift = 8, BlueShift = 0;
constexpr std::array<int, 4> Shifts{RedShift, GreenShift, BlueShift, AlphaShift};
constexpr std::array<unsigned, 4> ChannelBits{Red, Green, Blue, Alpha};
// Work perlinNoise may do in one call, in noise samples.
constexpr int64_t MaxPerlinSamples = int64_t(1) << 24;
constexpr int PerlinLattice = 256;
// Steps pixelDissolve's walk through an area with: a prime larger than any area.
constexpr int64_t DissolveStride = 2147483629;

uint32_t *row(QImage &image, int y) { return reinterpret_cast<uint32_t *>(image.scanLine(y)); }
const uint32_t *row(const QImage &image, int y) { return reinterpret_cast<const uint32_t *>(image.constScanLine(y)); }

int channelOf(uint32_t argb, int shift) { return int((argb >> shift) & ChannelMax); }
int clampChannel(double v) { return int(std::clamp(std::floor(v), 0.0, double(ChannelMax))); }
int shiftOf(unsigned channel)
{
    for (size_t i = 0; i < ChannelBits.size(); ++i)
        if (channel == ChannelBits[i])
            return Shifts[i];
    return -1;
}

// What of from lies in the source and, moved to `to`, in the target;
// `to` follows the cut.
bool transfer(QRect &from, QPoint &to, const QImage &source, const QImage &target)
{
    const QRect within = from.intersected(source.rect());
    to += within.topLeft() - from.topLeft();
    const QRect landing = QRect(to, within.size()).intersected(target.rect());
    from = QRect(within.topLeft() + (landing.topLeft() - to), landing.size());
    to = landing.topLeft();
    return !from.isEmpty();
}

template <typename Pixel> void eachPair(QImage &target, const QImage &source, QRect from, QPoint to, Pixel pixel)
{
    if (!transfer(from, to, source, target))
        return;
    for (int y = 0; y < from.height(); ++y) {
        const uint32_t *in = row(source, from.y() + y) + from.x();
        uint32_t *out = row(target, to.y() + y) + to.x();
        for (int x = 0; x < from.width(); ++x)
            pixel(out[x], in[x]);
    }
}

bool passes(Compare op, uint32_t value, uint32_t threshold)
{
    switch (op) {
    case Compare::Less: return value < threshold;
    case Compare::LessOrEqual: return value <= threshold;
    case Compare::Greater: return value > threshold;
    case Compare::GreaterOrEqual: return value >= threshold;
    case Compare::Equal: return value == threshold;
    case Compare::NotEqual: return value != threshold;
    }
    return false;
}

// Classic gradient noise on a lattice of period `period` cells (0: no wrap).
class GradientNoise {
public:
    explicit GradientNoise(Random &random)
    {
        for (int i = 0; i < PerlinLattice; ++i) {
            m_permutation[size_t(i)] = i;
            const double angle = random.next() / double(RandomModulus) * 2 * M_PI;
            m_gradients[size_t(i)] = {std::cos(angle), std::sin(angle)};
        }
        for (int i = PerlinLattice - 1; i > 0; --i)
            std::swap(m_permutation[size_t(i)], m_permutation[random.next() % uint32_t(i + 1)]);
    }

    double at(double x, double y, int periodX, int periodY) const
    {
        const double fx = std::floor(x), fy = std::floor(y);
        const double dx = x - fx, dy = y - fy;
        const auto cell = [](double c, int period) {
            const auto i = int64_t(c);
            return int(period > 0 ? ((i % period) + period) % period : i & (PerlinLattice - 1));
        };
        const int x0 = cell(fx, periodX), y0 = cell(fy, periodY);
        const int x1 = cell(fx + 1, periodX), y1 = cell(fy + 1, periodY);
        const auto dot = [&](int cx, int cy, double ox, double oy) {
            const auto &g = m_gradients[size_t(m_permutation[size_t((m_permutation[size_t(cx & 255)] + cy) & 255)])];
            return g[0] * ox + g[1] * oy;
        };
        const auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
        const double u = fade(dx), v = fade(dy);
        const double top = dot(x0, y0, dx, dy) + u * (dot(x1, y0, dx - 1, dy) - dot(x0, y0, dx, dy));
        const double bottom = dot(x0, y1, dx, dy - 1) + u * (dot(x1, y1, dx - 1, dy - 1) - dot(x0, y1, dx, dy - 1));
        return (top + v * (bottom - top)) * M_SQRT2;
    }

private:
    std::array<int, PerlinLattice> m_permutation{};
    std::array<std::array<double, 2>, PerlinLattice> m_gradients{};
};

// One channel's value of perlinNoise at a pixel, 0..255.
int perlinValue(const GradientNoise &noise, const Perlin &p, int octaves, double x, double y, QSize size)
{
    double sum = 0, amplitude = 1, frequencyX = 1 / p.baseX, frequencyY = 1 / p.baseY;
    for (int o = 0; o < octaves; ++o) {
        const QPointF offset = size_t(o) < p.offsets.size() ? p.offsets[size_t(o)] : QPointF();
        const int periodX = p.stitch ? std::max(1, int(std::lround(size.width() * frequencyX))) : 0;
        const int periodY = p.stitch ? std::max(1, int(std::lround(size.height() * frequencyY))) : 0;
        const double n = noise.at((x + offset.x()) * frequencyX, (y + offset.y()) * frequencyY, periodX, periodY);
        sum += (p.fractal ? n : std::abs(n)) * amplitude;
        amplitude /= 2;
        frequencyX *= 2;
        frequencyY *= 2;
    }
    return clampChannel(p.fractal ? (sum + 1) * ChannelMax / 2 : sum * ChannelMax);
}

} // namespace

Random::Random(int64_t seed) : m_state(std::abs(seed) % RandomModulus)
{
    if (m_state == 0)
        m_state = 1;
}

uint32_t Random::next()
{
    m_state = m_state * RandomMultiplier % RandomModulus;
    return uint32_t(m_state);
}

void floodFill(QImage &image, QPoint at, uint32_t argb)
{
    if (!image.rect().contains(at))
        return;
    const uint32_t from = row(image, at.y())[at.x()];
    if (from == argb)
        return;
    std::vector<QPoint> pending{at};
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        uint32_t *line = row(image, p.y());
        if (line[p.x()] != from)
            continue;
        // One run of the line at a time, its neighbours above and below pending.
        int left = p.x(), right = p.x();
        while (left > 0 && line[left - 1] == from)
            --left;
        while (right + 1 < image.width() && line[right + 1] == from)
            ++right;
        for (int x = left; x <= right; ++x)
            line[x] = argb;
        // One pending point per run of the colour touching this one, above and below.
        for (const int y : {p.y() - 1, p.y() + 1}) {
            if (y < 0 || y >= image.height())
                continue;
            const uint32_t *next = row(image, y);
            for (int x = left; x <= right; ++x)
                if (next[x] == from && (x == left || next[x - 1] != from))
                    pending.push_back(QPoint(x, y));
        }
    }
}

std::optional<Compare> CompareNamed(const QString &name)
{
    static const std::array<std::pair<const char *, Compare>, 6> Names{{{"<", Compare::Less},
                                                                         {"<=", Compare::LessOrEqual},
                                                                         {">", Compare::Greater},
                                                                         {">=", Compare::GreaterOrEqual},
                                                                         {"==", Compare::Equal},
                                                                         {"!=", Compare::NotEqual}}};
    for (const auto &[text, op] : Names)
        if (name == QLatin1String(text))
            return op;
    return std::nullopt;
}

int threshold(QImage &target, const QImage &source, QRect from, QPoint to, const Threshold &t)
{
    int count = 0;
    eachPair(target, source, from, to, [&](uint32_t &out, uint32_t in) {
        if (passes(t.operation, in & t.mask, t.threshold & t.mask)) {
            out = t.color;
            ++count;
        } else if (t.copySource) {
            out = in;
        }
    });
    return count;
}

void colorTransform(QImage &image, QRect area, const ChannelTransform &t)
{
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uint32_t *line = row(image, y);
        for (int x = area.left(); x <= area.right(); ++x) {
            uint32_t out = 0;
            for (size_t c = 0; c < Shifts.size(); ++c)
                out |= uint32_t(clampChannel(channelOf(line[x], Shifts[c]) * t.multiplier[c] + t.offset[c]))
                       << Shifts[c];
            line[x] = out;
        }
    }
}

void scroll(QImage &image, int dx, int dy)
{
    const QImage before = image.copy();
    eachPair(image, before, before.rect(), QPoint(dx, dy), [](uint32_t &out, uint32_t in) { out = in; });
}

QRect colorBounds(const QImage &image, uint32_t mask, uint32_t color, bool find)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uint32_t *line = row(image, y);
        for (int x = 0; x < image.width(); ++x) {
            if (((line[x] & mask) == color) != find)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = y;
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

void merge(QImage &target, const QImage &source, QRect from, QPoint to, const std::array<int, 4> &multipliers)
{
    eachPair(target, source, from, to, [&](uint32_t &out, uint32_t in) {
        uint32_t mixed = 0;
        for (size_t c = 0; c < Shifts.size(); ++c) {
            const int m = std::clamp(multipliers[c], 0, FullMerge);
            const int v = (channelOf(in, Shifts[c]) * m + channelOf(out, Shifts[c]) * (FullMerge - m)) / FullMerge;
            mixed |= uint32_t(v) << Shifts[c];
        }
        out = mixed;
    });
}

void paletteMap(QImage &target, const QImage &source, QRect from, QPoint to, const Palette &palette)
{
    eachPair(target, source, from, to, [&](uint32_t &out, uint32_t in) {
        uint32_t sum = 0;
        for (size_t c = 0; c < Shifts.size(); ++c) {
            const int v = channelOf(in, Shifts[c]);
            sum += palette[c] ? (*palette[c])[size_t(v)] : uint32_t(v) << Shifts[c];
        }
        out = sum;
    });
}

void copyChannel(QImage &target, const QImage &source, QRect from, QPoint to, unsigned fromChannel,
                 unsigned toChannel)
{
    const int inShift = shiftOf(fromChannel), outShift = shiftOf(toChannel);
    if (inShift < 0 || outShift < 0)
        return;
    eachPair(target, source, from, to, [&](uint32_t &out, uint32_t in) {
        out = (out & ~(uint32_t(ChannelMax) << outShift)) | uint32_t(channelOf(in, inShift)) << outShift;
    });
}

void noise(QImage &image, int64_t seed, int low, int high, unsigned channels, bool grey)
{
    low = std::clamp(low, 0, ChannelMax);
    high = std::clamp(high, low, ChannelMax);
    const auto span = uint32_t(high - low + 1);
    Random random(seed);
    for (int y = 0; y < image.height(); ++y) {
        uint32_t *line = row(image, y);
        for (int x = 0; x < image.width(); ++x) {
            uint32_t out = 0;
            if (grey)
                out = uint32_t(low + int(random.next() % span)) * GreyBits;
            for (size_t c = 0; c < ChannelBits.size() - 1 && !grey; ++c)
                if (channels & ChannelBits[c])
                    out |= uint32_t(low + int(random.next() % span)) << Shifts[c];
            const bool alpha = channels & Alpha;
            line[x] = out | (alpha ? uint32_t(low + int(random.next() % span)) << AlphaShift : AlphaBits);
        }
    }
}

void perlinNoise(QImage &image, const Perlin &p)
{
    if (!(p.baseX > 0) || !(p.baseY > 0) || p.octaves <= 0) {
        image.fill(p.fractal ? QColor(0x7F, 0x7F, 0x7F) : Qt::black);
        return;
    }
    const int64_t pixels = int64_t(image.width()) * image.height();
    const int octaves = int(std::min<int64_t>(p.octaves, std::max<int64_t>(1, MaxPerlinSamples / (pixels * 4))));
    Random random(p.seed);
    std::vector<GradientNoise> lattices;
    for (size_t c = 0; c < ChannelBits.size(); ++c)
        lattices.emplace_back(random);
    for (int y = 0; y < image.height(); ++y) {
        uint32_t *line = row(image, y);
        for (int x = 0; x < image.width(); ++x) {
            uint32_t out = 0;
            if (p.grey)
                out = uint32_t(perlinValue(lattices[0], p, octaves, x, y, image.size())) * GreyBits;
            for (size_t c = 0; c < ChannelBits.size() - 1 && !p.grey; ++c)
                if (p.channels & ChannelBits[c])
                    out |= uint32_t(perlinValue(lattices[c], p, octaves, x, y, image.size())) << Shifts[c];
            const bool alpha = p.channels & Alpha;
            line[x] = out | (alpha ? uint32_t(perlinValue(lattices[3], p, octaves, x, y, image.size())) << AlphaShift
                                   : AlphaBits);
        }
    }
}

int64_t pixelDissolve(QImage &target, const QImage *source, QRect from, QPoint to, int64_t seed, int64_t count,
                      uint32_t fillColor)
{
    const QImage &pixels = source ? *source : target;
    if (!transfer(from, to, pixels, target))
        return seed;
    const int64_t area = int64_t(from.width()) * from.height();
    count = std::clamp<int64_t>(count, 0, area);
    int64_t at = ((seed % area) + area) % area;
    for (int64_t i = 0; i < count; ++i) {
        const QPoint p(int(at % from.width()), int(at / from.width()));
        row(target, to.y() + p.y())[to.x() + p.x()] =
            source ? row(*source, from.y() + p.y())[from.x() + p.x()] : fillColor;
        at = (at + DissolveStride) % area;
    }
    return at;
}

std::optional<QImage> difference(const QImage &a, const QImage &b)
{
    QImage out(a.size(), QImage::Format_ARGB32);
    bool differs = false;
    for (int y = 0; y < a.height(); ++y) {
        const uint32_t *p = row(a, y), *q = row(b, y);
        uint32_t *d = row(out, y);
        for (int x = 0; x < a.width(); ++x) {
            uint32_t rgb = 0;
            for (size_t c = 0; c < ChannelBits.size() - 1; ++c)
                rgb |= uint32_t((channelOf(p[x], Shifts[c]) - channelOf(q[x], Shifts[c])) & ChannelMax) << Shifts[c];
            const auto alpha = uint32_t((channelOf(p[x], AlphaShift) - channelOf(q[x], AlphaShift)) & ChannelMax);
            // Colours that differ show their difference opaque; alone, alpha's shows on white.
            d[x] = rgb ? rgb | AlphaBits : alpha ? alpha << AlphaShift | WhiteBits : 0;
            differs = differs || d[x];
        }
    }
    return differs ? std::optional<QImage>(out) : std::nullopt;
}

bool opaqueWithin(const QImage &image, QRect area, int alpha)
{
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uint32_t *line = row(image, y);
        for (int x = area.left(); x <= area.right(); ++x)
            if (channelOf(line[x], AlphaShift) >= alpha)
                return true;
    }
    return false;
}

} // namespace swf::BitmapOps
