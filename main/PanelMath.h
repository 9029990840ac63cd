#pragma once

#include <QPoint>
#include <QRect>

class QFontMetrics;
class QString;

// Arithmetic of the control panel, kept apart from the widgets.

// Where a playlist window at listPos goes when the panel moves from oldPanel to
// newPanelPos: an edge that lines up exactly with the panel's left edge (or
// with its right edge, for the x axis; its bottom edge, for y) follows the
// panel. Each axis is decided on its own.
QPoint DockFollow(QPoint listPos, const QRect &oldPanel, QPoint newPanelPos);

// The left edge at which the title is drawn this time, for a title textWidth
// pixels wide in a label labelRight pixels wide. While an item plays, a title
// that does not fit runs left by 5 pixels per call and, once it has run out,
// re-enters from the right edge; otherwise it stands at 0. titleScroll is the
// running offset, kept between calls.
int ScrollTitle(int textWidth, int labelRight, bool playing, int &titleScroll);

// The part of a label (in its own pixels) that changes when the text it
// draws centred at its top goes from before to after: the run of characters
// that differ, widened either side for glyphs that reach past their advance;
// the whole label when the text's width changes.
QRect ChangedTextRect(const QFontMetrics &metrics, const QRect &label, const QString &before, const QString &after);

// The volume bar's position for a volume of 0 .. 65535 on a bar this wide, and back.
int VolumeToBar(int volume, int barWidth);
int BarToVolume(int position, int barWidth);
