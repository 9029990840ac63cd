#include "ImageMovie.h"

#include "swf/BitmapDecoder.h"

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;
constexpr int ImageCharacter = 1;
constexpr int ImageDepth = 1;

// Only the picture formats the reference player loads; anything else fails as an unreadable movie would.
bool isPicture(const QByteArray &file)
{
    return file.startsWith("\xFF\xD8") || file.startsWith("\x89PNG") || file.startsWith("GIF8");
}

} // namespace

std::shared_ptr<ShapeDef> BitmapShape(const QImage &image, bool smooth)
{
    auto shape = std::make_shared<ShapeDef>();
    shape->bounds = QRectF(0, 0, image.width() * TwipsPerPixel, image.height() * TwipsPerPixel);
    shape->outline.addRect(shape->bounds);
    FillStyle fill;
    fill.type = FillStyle::Bitmap;
    fill.image = image;
    fill.matrix = QTransform::fromScale(TwipsPerPixel, TwipsPerPixel);
    fill.repeat = false;
    fill.smooth = smooth;
    shape->layers.push_back(ShapeLayer{{{fill, shape->outline}}, {}});
    return shape;
}

std::shared_ptr<MovieDef> ImageMovie(const QByteArray &file, int version)
{
    if (!isPicture(file))
        return nullptr;
    const QImage image = DecodeJpegBitmap(file, {}, {});
    if (image.isNull())
        return nullptr;
    auto movie = std::make_shared<MovieDef>();
    movie->version = version;
    std::shared_ptr<ShapeDef> shape = BitmapShape(image, false);
    shape->id = ImageCharacter;
    movie->frameRect = shape->bounds;
    movie->dictionary[ImageCharacter] = shape;
    PlaceCommand place;
    place.depth = ImageDepth;
    place.characterId = ImageCharacter;
    place.matrix = QTransform();
    movie->root.frames.resize(1);
    movie->root.frames[0].display.push_back(place);
    movie->headerFrames = 1;
    return movie;
}

} // namespace swf
