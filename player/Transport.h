#pragma once

#include "player/MediaInterfaces.h"

// Where the transport commands take an item, apart from any window.

// The media time under the seek bar's thumb at barPosition of barWidth, for an
// item of duration, no further than its stop position.
REFERENCE_TIME SeekTime(int barPosition, int barWidth, REFERENCE_TIME duration, REFERENCE_TIME stop);

// The movie frame under the seek bar's thumb at barPosition of barWidth.
int SeekFrame(int barPosition, int barWidth, int totalFrames);

// The frame a twentieth of the movie back or forward from frame, kept among
// its frames.
int JumpFrame(int frame, int totalFrames, bool back);
