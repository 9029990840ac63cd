#pragma once

#include "player/MediaInterfaces.h"

#include <QString>

#include <cstdint>
#include <optional>

// What one tick of the playback clock decides, apart from any window: whether
// the item is over, where the seek bar's thumb goes and what the time display
// reads. The player window applies it to the engines; the panel shows it.

// How far an item has got, as a fraction the panel places on a bar of its width.
struct Progress {
    std::int64_t done = 0;
    std::int64_t total = 1; // > 0

    int place(int barWidth) const { return int(std::int64_t(barWidth) * done / total); }
    friend bool operator==(const Progress &a, const Progress &b) { return a.done == b.done && a.total == b.total; }
};

// What the panel shows after a tick: nothing changes where a field is empty.
struct ClockView {
    std::optional<Progress> bar;
    std::optional<QString> time;
};

struct MediaTickOutcome {
    bool ended = false; // the position reached the end: the playlist steps on
    ClockView view;
};

// An audio or video item at position of duration (100 ns units; duration may
// be MediaGraph's unknown length, which keeps the thumb where it is).
MediaTickOutcome MediaTick(REFERENCE_TIME position, REFERENCE_TIME duration, REFERENCE_TIME unknownDuration);

// A movie as the tick finds it, with the player's movie options.
struct MovieState {
    int currentFrame = 0;
    int totalFrames = 0;
    bool playing = false;
    bool autoSkip = false; // a halted movie plays on
    bool disLoop = false;  // a movie that jumps back has ended
    int lastFrame = 0;     // the frame seen by the tick before
};

struct MovieTickOutcome {
    bool ended = false;
    bool resume = false;  // the halted movie is to play again (also on a tick that ends it)
    int lastFrame = 0;    // the frame to remember for the next tick
    ClockView view;
};

MovieTickOutcome MovieTick(const MovieState &movie);

// A millisecond count as "H:mm:ss" (hours not padded), whole days dropped.
QString TimeText(std::int64_t ms);
// What the time display reads with no position to show.
extern const QString ZeroTime;
