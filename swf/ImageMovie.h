#pragma once

#include "swf/Definitions.h"

#include <QByteArray>
#include <QImage>

#include <memory>

namespace swf {

// A rectangle filled with the image, one pixel to a pixel, from the origin.
std::shared_ptr<ShapeDef> BitmapShape(const QImage &image, bool smooth);

// A JPEG, PNG or GIF file loaded into a clip shows as a movie of one frame
// holding the picture at its top left, one pixel to a pixel. Nothing when
// the bytes are no such picture, or one too large.
std::shared_ptr<MovieDef> ImageMovie(const QByteArray &file, int version);

} // namespace swf
