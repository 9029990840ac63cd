#pragma once

#include <QImage>
#include <QRect>

#include <array>
#include <cstdint>
#include <optional>

// The pixel work of scripts' bitmaps (flash.display.BitmapData's methods),
// on plain (not premultiplied) ARGB32 images. Areas are cut to the images
// first, so every operation touches each pixel of a bitmap a bounded number
// of times.
namespace swf::BitmapOps {

// Channel bits as scripts name them.
enum Channel : unsigned { Red = 1, Green = 2, Blue = 4, Alpha = 8 };

// The numbers a Park-Miller generator gives from a seed; the same seed
// gives the same numbers.
class Random {
public:
    explicit Random(int64_t seed);
    uint32_t next();

private:
    int64_t m_state;
};

// Changes the 4-connected area of one colour around at to argb.
void floodFill(QImage &image, QPoint at, uint32_t argb);

enum class Compare { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };
std::optional<Compare> CompareNamed(const QString &name);
struct Threshold {
    Compare operation = Compare::Equal;
    uint32_t threshold = 0, color = 0, mask = 0xFFFFFFFF;
    bool copySource = false;
};
// Sets the target pixels whose source pixel passes the test to the colour
// (the others to the source's own when copySource); the count of set pixels.
int threshold(QImage &target, const QImage &source, QRect from, QPoint to, const Threshold &t);

// What a flash.geom.ColorTransform does to a channel: value * multiplier + offset, clamped.
struct ChannelTransform {
    std::array<double, 4> multiplier{1, 1, 1, 1}; // red, green, blue, alpha
    std::array<double, 4> offset{0, 0, 0, 0};
};
void colorTransform(QImage &image, QRect area, const ChannelTransform &t);

// Moves every pixel by (dx, dy); what nothing moves onto stays.
void scroll(QImage &image, int dx, int dy);

// The smallest rectangle holding every pixel whose bits under mask are (or
// with find false, are not) color; empty when none is.
QRect colorBounds(const QImage &image, uint32_t mask, uint32_t color, bool find);

// Blends the source into the target channel by channel, multipliers 0..256 (red, green, blue, alpha).
void merge(QImage &target, const QImage &source, QRect from, QPoint to, const std::array<int, 4> &multipliers);

// Each of the source's channels looks up its table (red, green, blue,
// alpha; none keeps the channel); the sum of the four is the pixel.
using Palette = std::array<std::optional<std::array<uint32_t, 256>>, 4>;
void paletteMap(QImage &target, const QImage &source, QRect from, QPoint to, const Palette &palette);

// Copies one channel of the source into one channel of the target.
void copyChannel(QImage &target, const QImage &source, QRect from, QPoint to, unsigned fromChannel,
                 unsigned toChannel);

// Random channel values from low to high in the channels asked for; the
// others are 0, alpha 255; grey gives red, green and blue one value.
void noise(QImage &image, int64_t seed, int low, int high, unsigned channels, bool grey);

struct Perlin {
    double baseX = 1, baseY = 1;
    int octaves = 1;
    int64_t seed = 0;
    bool stitch = false, fractal = false, grey = false;
    unsigned channels = Red | Green | Blue;
    std::vector<QPointF> offsets; // per octave, in pixels
};
// Perlin noise: fractal sums the octaves' signed noise, turbulence their
// magnitudes; stitch makes the edges meet when the bitmap is tiled.
void perlinNoise(QImage &image, const Perlin &p);

// Changes count pixels of the area from the source's (fillColor when the
// source is the target), on from where the seed says; the seed to go on with.
int64_t pixelDissolve(QImage &target, const QImage *source, QRect from, QPoint to, int64_t seed, int64_t count,
                      uint32_t fillColor);

// The pixel difference of two images of one size, as compare answers it:
// none when they are alike.
std::optional<QImage> difference(const QImage &a, const QImage &b);

// Whether a pixel of the image within the area has at least the alpha.
bool opaqueWithin(const QImage &image, QRect area, int alpha);

} // namespace swf::BitmapOps
