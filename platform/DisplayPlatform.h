#pragma once

#include <QByteArray>

// Wayland lets no program place its own windows, and restoring places, docking
// and snapping are half of what the panel does. On a Wayland session with
// XWayland available the program therefore asks Qt for the xcb platform,
// unless the user chose a platform with QT_QPA_PLATFORM or -platform.
struct DisplayEnvironment {
    QByteArray qpaPlatform;     // QT_QPA_PLATFORM
    QByteArray sessionType;     // XDG_SESSION_TYPE
    QByteArray waylandDisplay;  // WAYLAND_DISPLAY
    QByteArray x11Display;      // DISPLAY
    bool platformArgument = false; // -platform on the command line
};

bool ShouldPreferXcb(const DisplayEnvironment &environment);

// Reads the environment and arguments and sets QT_QPA_PLATFORM=xcb when
// ShouldPreferXcb says so. Call before the application object exists.
void PreferXcbOnWayland(int argc, char **argv);
