#pragma once

// The C heap behind the media engine. GStreamer's streaming threads come and
// go with every item, and glibc gives each thread that allocates its own heap
// arena (up to eight per core), where what an item freed stays resident; a
// MIDI item's soundfont alone is some hundred megabytes.

// Limits the process to a few arenas. Called first thing, before any thread starts.
void LimitHeapArenas();

// Hands the heap's free pages back to the system, after an item's graph is gone.
void ReturnFreeHeapMemory();
