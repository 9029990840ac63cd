#include "Transport.h"

namespace {
constexpr int JumpFraction = 20;
} // namespace

REFERENCE_TIME SeekTime(int barPosition, int barWidth, REFERENCE_TIME duration, REFERENCE_TIME stop)
{
    const REFERENCE_TIME t = REFERENCE_TIME(barPosition) * duration / barWidth;
    return t > stop ? stop : t;
}

int SeekFrame(int barPosition, int barWidth, int totalFrames)
{
    return totalFrames * barPosition / barWidth;
}

int JumpFrame(int frame, int totalFrames, bool back)
{
    const int step = totalFrames / JumpFraction;
    const int target = back ? frame - step : frame + step;
    if (target < 0)
        return 0;
    if (target >= totalFrames)
        return totalFrames - 1;
    return target;
}
