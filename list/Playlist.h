#pragma once

#include <QString>

// The entry started last; never adjusted when entries change, brought back
// into range before use.
extern int CurrentIndex;

// Starts the next (Forward) or previous entry, wrapping around; stops
// playback when the playlist is empty.
void PlayStep(bool Forward);

// Starts the first of the Count entries just appended, when the player has
// been idle since start-up.
void PlayAdded(int Count);

// Makes entry Index the current one and starts it.
void StartEntry(int Index);
