#pragma once

#include "swf/script/Value.h"

#include <QRectF>

namespace swf {

class Conversions;
class MoviePlayer;
struct DisplayObject;

// Movie-clip properties by their GetProperty index.
enum ClipProperty {
    PropX, PropY, PropXScale, PropYScale, PropCurrentFrame, PropTotalFrames, PropAlpha, PropVisible,
    PropWidth, PropHeight, PropRotation, PropTarget, PropFramesLoaded, PropName, PropDropTarget, PropUrl,
    PropHighQuality, PropFocusRect, PropSoundBufTime, PropQuality, PropXMouse, PropYMouse, PropCount
};

// The index of a property named "_x", "_alpha"... (without case), or -1.
int ClipPropertyIndex(const QString &name);

// The movie-wide properties (_quality, _highquality...) a plain name reaches
// from any timeline.
bool IsMovieWideProperty(int index);

// The clip's extent in twips, in its own coordinates; a null rectangle when
// it shows nothing.
QRectF ClipBounds(const DisplayObject &clip, int nesting = 0);

// A clip's property as scripts read it.
Value GetClipProperty(MoviePlayer &player, const DisplayObject &clip, int index, const Conversions &convert);
// Sets a property; read-only and unknown ones stay.
void SetClipProperty(MoviePlayer &player, DisplayObject &clip, int index, const Value &value, Conversions &convert);

} // namespace swf
