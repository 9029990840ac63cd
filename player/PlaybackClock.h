#pragma once

#include "player/ClockTick.h"

#include <QString>

#include <functional>

// Starts one playlist item in the engine its extension chooses: ".swf" in
// the movie control, at once, anything else in the media graph, which
// prerolls while events go on. Stops what played first; the clock, the
// caption and the panel follow only once the item plays. started is told
// whether it did (an item that cannot start leaves the player idle), at once
// for a movie or a file that cannot even begin; a start that a stop or a
// newer start drops is never told.
void PlayFile(const QString &fileName, std::function<void(bool started)> started = {});
