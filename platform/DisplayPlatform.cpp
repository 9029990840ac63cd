#include "DisplayPlatform.h"

#include <QtGlobal>

#include <cstring>

bool ShouldPreferXcb(const DisplayEnvironment &environment)
{
    if (!environment.qpaPlatform.isEmpty() || environment.platformArgument)
        return false;
    const bool wayland = environment.sessionType == "wayland" || !environment.waylandDisplay.isEmpty();
    return wayland && !environment.x11Display.isEmpty();
}

void PreferXcbOnWayland(int argc, char **argv)
{
    DisplayEnvironment environment;
    environment.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    environment.sessionType = qgetenv("XDG_SESSION_TYPE");
    environment.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    environment.x11Display = qgetenv("DISPLAY");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            environment.platformArgument = true;
    }
    if (ShouldPreferXcb(environment))
        qputenv("QT_QPA_PLATFORM", "xcb");
}
