#pragma once

// The program's start-up and shutdown.

// Creates the main, playlist and player windows, in that order, into frmMain,
// frmList and frmPlayer. Needs the application object and InitSkin.
void CreateWindows();

// Destroys the windows in the reverse order of their creation.
void DestroyWindows();

// The whole run: application object, GStreamer, skin, windows, message loop,
// teardown. Returns the process exit code.
int RunTessaro(int argc, char **argv);
