#pragma once

#include "player/ClockTick.h"

#include <QString>

// Starts one playlist item in the engine its extension chooses: ".swf" in
// the movie control, anything else in the media graph. Stops what played
// first; an item that cannot start leaves the player idle and gives false.
bool PlayFile(const QString &fileName);
