#pragma once

#include <QString>

#include <cstdint>

// Starts one playlist item in the engine its extension chooses: ".swf" in
// the movie control, anything else in the media graph. Stops what played
// first; an item that cannot start leaves the player idle and gives false.
bool PlayFile(const QString &fileName);

// A millisecond count as "H:mm:ss" (hours not padded), whole days dropped.
QString TimeText(std::int64_t ms);
