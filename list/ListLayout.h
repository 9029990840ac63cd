#pragma once

#include <QRect>

// Geometry of the playlist window: its frame bitmap, the tool bar and the
// scroll bar with its thumb. The window, its layout routines and the artwork
// tool all take their numbers from here.
namespace ListLayout {

constexpr int SkinWidth = 128;
constexpr int SkinHeight = 64;
constexpr int TitleHeight = 27;
constexpr int BorderSize = 5;
// Presses right of width - CloseBoxWidth in the title row hit the close box.
constexpr int CloseBoxWidth = 22;
// The dark scroll slot at the right of the frame's body: the scroll bar's track.
constexpr QRect ScrollSlot(111, 29, 12, 28);

// The tool bar of menus under the title, and the scroll bar at the right.
constexpr int MenuBarHeight = 19;
constexpr int ScrollBarWidth = 12;

constexpr int ScrollThumbWidth = 10;
// Half the thumb's drawn height: its centre keeps this far from the bar's ends.
constexpr int ScrollThumbHalf = 11;
// Added to the thumb's centre as the list's scroll position places it.
constexpr int ScrollThumbOffset = 5;
constexpr int ScrollThumbSlice = 22;
constexpr int ScrollThumbSlices = 4;

} // namespace ListLayout
