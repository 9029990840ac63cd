#pragma once

#include <QRect>

// Geometry of the playlist window's frame bitmap and the scroll bar's thumb.
namespace ListLayout {

constexpr int SkinWidth = 128;
constexpr int SkinHeight = 64;
constexpr int TitleHeight = 27;
constexpr int BorderSize = 5;
// Presses right of width - CloseBoxWidth in the title row hit the close box.
constexpr int CloseBoxWidth = 22;
// The dark scroll slot at the right of the frame's body: the scroll bar's track.
constexpr QRect ScrollSlot(111, 29, 12, 28);

constexpr int ScrollThumbWidth = 10;
constexpr int ScrollThumbSlice = 22;
constexpr int ScrollThumbSlices = 4;

} // namespace ListLayout
