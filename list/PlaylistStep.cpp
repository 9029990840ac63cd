#include "PlaylistStep.h"

#include <memory>
#include <optional>
#include <utility>

int StepIndex(int current, int count, bool Forward)
{
    int index = current + (Forward ? 1 : -1);
    if (index >= count)
        index = 0;
    else if (index < 0)
        index = count - 1;
    return index;
}

namespace {

struct StepWalk {
    int count = 0;
    bool forward = true;
    StartTry tryStart;
    std::function<void(const StepOutcome &)> done;
    StepOutcome outcome;
    int tries = 0;
    bool inTry = false;        // tryStart has not returned yet
    std::optional<bool> early; // what a try told before it returned
};

void finishWalk(StepWalk &walk, bool started)
{
    walk.outcome.started = started;
    if (walk.done)
        walk.done(walk.outcome);
}

// Tries on from the entry last tried. Starts told at once are taken in this
// loop, so a long run of broken entries does not nest one call per entry.
void walkOn(const std::shared_ptr<StepWalk> &walk)
{
    while (walk->tries < walk->count) {
        walk->outcome.index = StepIndex(walk->outcome.index, walk->count, walk->forward);
        ++walk->tries;
        walk->early.reset();
        walk->inTry = true;
        walk->tryStart(walk->outcome.index, [walk](bool started) {
            if (walk->inTry)
                walk->early = started;
            else if (started)
                finishWalk(*walk, true);
            else
                walkOn(walk);
        });
        walk->inTry = false;
        if (!walk->early)
            return; // told later, or never
        if (*walk->early) {
            finishWalk(*walk, true);
            return;
        }
    }
    finishWalk(*walk, false);
}

} // namespace

void StepToPlayable(int current, int count, bool Forward, StartTry tryStart,
                    std::function<void(const StepOutcome &outcome)> done)
{
    auto walk = std::make_shared<StepWalk>();
    walk->count = count;
    walk->forward = Forward;
    walk->tryStart = std::move(tryStart);
    walk->done = std::move(done);
    walk->outcome = {current, false};
    walkOn(walk);
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
