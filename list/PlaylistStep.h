#pragma once

#include <functional>

// Where a step of the playlist lands.

// The entry one on (Forward) or one back from current among count entries,
// wrapping round; an index left out of range by removals comes back to the
// first entry (above the end) or the last (below 0). count > 0.
int StepIndex(int current, int count, bool Forward);

struct StepOutcome {
    int index = 0;        // the entry that started, or the last one tried
    bool started = false; // false: no entry could be started
};

// Starts entry index and tells started whether it did, at once or later;
// a start that is dropped before it is told is never told.
using StartTry = std::function<void(int index, const std::function<void(bool started)> &started)>;

// Steps from current in one direction until tryStart starts an entry, trying
// each entry at most once: count tries, current itself last. An entry that
// cannot be opened is passed over so one broken file does not end the
// playlist; the step goes on when the failure is told, so a start that is
// never told ends it there. done gets the outcome. count > 0.
void StepToPlayable(int current, int count, bool Forward, StartTry tryStart,
                    std::function<void(const StepOutcome &outcome)> done = {});

// The first of the added entries just appended to a playlist that now holds
// count, kept among the entries (-1 when the playlist is empty and nothing was
// added); the entry that starts when the player has been idle since start-up.
int FirstAddedIndex(int count, int added);
