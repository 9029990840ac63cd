#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Window places read from the preferences, or about to be written there, kept
// on a screen that exists.

// Pixels of a window, across and down from its top edge, that stay on its
// screen so the user can still grab it (fewer when the window is smaller).
constexpr int GrabMargin = 32;

// The place for a window stored at topLeft with size, given its minimum size
// and the available areas of the screens (the primary one first):
// - the screen is the one the stored place overlaps most, else the nearest;
// - a place is kept as it is when its size lies between the minimum and that
//   screen's size, its top edge lies on the screen and at least GrabMargin
//   pixels of the window across and down stay on it;
// - any other place gets the size brought between those bounds (the minimum
//   winning on a screen smaller than it) and is moved the least distance that
//   puts the window wholly on the screen.
// With no screen at all the window goes to (0, 0) at its minimum size.
QRect PlaceOnScreen(QPoint topLeft, QSize size, QSize minimum, const QList<QRect> &screens);

// The available areas of the screens, the primary screen first.
QList<QRect> AvailableScreenAreas();
