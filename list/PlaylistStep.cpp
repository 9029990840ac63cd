#include "PlaylistStep.h"

int StepIndex(int current, int count, bool Forward)
{
    int index = current + (Forward ? 1 : -1);
    if (index >= count)
        index = 0;
    else if (index < 0)
        index = count - 1;
    return index;
}

StepOutcome StepToPlayable(int current, int count, bool Forward, const std::function<bool(int index)> &tryStart)
{
    StepOutcome outcome{current, false};
    for (int tries = 0; tries < count && !outcome.started; ++tries) {
        outcome.index = StepIndex(outcome.index, count, Forward);
        outcome.started = tryStart(outcome.index);
    }
    return outcome;
}

int FirstAddedIndex(int count, int added)
{
    const int index = count - added;
    if (index < 0)
        return 0;
    if (index >= count)
        return count - 1;
    return index;
}
