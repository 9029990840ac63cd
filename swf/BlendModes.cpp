#include "BlendModes.h"

#include <algorithm>

namespace swf {

namespace {

// The blend of one straight channel pair, 0..255 each.
int blendChannel(int b, int s, BlendMode mode)
{
    switch (mode) {
    case BlendMultiply: return b * s / 255;
    case BlendScreen: return b + s - b * s / 255;
    case BlendLighten: return std::max(b, s);
    case BlendDarken: return std::min(b, s);
    case BlendDifference: return std::abs(b - s);
    case BlendAdd: return std::min(255, b + s);
    case BlendSubtract: return std::max(0, b - s);
    case BlendInvert: return 255 - b;
    case BlendOverlay: return b < 128 ? 2 * b * s / 255 : 255 - 2 * (255 - b) * (255 - s) / 255;
    case BlendHardLight: return s < 128 ? 2 * b * s / 255 : 255 - 2 * (255 - b) * (255 - s) / 255;
    default: return s;
    }
}

int div255(int v)
{
    return (v + 127) / 255;
}

} // namespace

BlendMode BlendModeOf(int code)
{
    return code >= BlendLayer && code <= BlendHardLight ? BlendMode(code) : BlendNormal;
}

QRgb BlendPixel(QRgb backdrop, QRgb source, BlendMode mode)
{
    const int sa = qAlpha(source), ba = qAlpha(backdrop);
    if (mode == BlendAlpha)
        return qRgba(div255(qRed(backdrop) * sa), div255(qGreen(backdrop) * sa), div255(qBlue(backdrop) * sa),
                     div255(ba * sa));
    if (mode == BlendErase) {
        const int keep = 255 - sa;
        return qRgba(div255(qRed(backdrop) * keep), div255(qGreen(backdrop) * keep), div255(qBlue(backdrop) * keep),
                     div255(ba * keep));
    }
    if (sa == 0)
        return backdrop;
    const QRgb bs = qUnpremultiply(backdrop), ss = qUnpremultiply(source);
    // (1 - sa) B + (1 - ba) S + sa ba blend(b, s), in premultiplied terms.
    const auto channel = [&](int bp, int sp, int b, int s) {
        const int mixed = mode == BlendNormal || mode == BlendLayer ? s : blendChannel(b, s, mode);
        return std::clamp(div255((255 - sa) * bp) + div255((255 - ba) * sp) + div255(div255(sa * ba) * mixed), 0,
                          255);
    };
    const int a = std::min(255, sa + ba - div255(sa * ba));
    return qRgba(std::min(a, channel(qRed(backdrop), qRed(source), qRed(bs), qRed(ss))),
                 std::min(a, channel(qGreen(backdrop), qGreen(source), qGreen(bs), qGreen(ss))),
                 std::min(a, channel(qBlue(backdrop), qBlue(source), qBlue(bs), qBlue(ss))), a);
}

void BlendImage(QImage &target, const QImage &source, QPoint at, BlendMode mode)
{
    const QRect area = target.rect().intersected(QRect(at, source.size()));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(target.scanLine(y));
        const auto *from = reinterpret_cast<const QRgb *>(source.constScanLine(y - at.y()));
        for (int x = area.left(); x <= area.right(); ++x)
            row[x] = BlendPixel(row[x], from[x - at.x()], mode);
    }
}

} // namespace swf
