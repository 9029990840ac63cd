#pragma once

#include <QSize>
#include <QString>

#include <vector>

namespace swf {

// What a movie may learn of the machine playing it, the same for both
// script engines (System.capabilities and flash.system.Capabilities). The
// capabilities are this player's own: it runs on Linux, plays sound and
// MP3 but records nothing, decodes no video and prints nothing.

struct CapabilityFlag {
    const char *name;
    const char *code; // its letters in the server string
    bool value;
};

// Every yes/no capability, in the order the reference player lists them.
const std::vector<CapabilityFlag> &CapabilityFlags();
constexpr size_t CapabilityFlagCount = 17;

// The reference player whose behaviour the engine follows, as it numbers itself.
extern const char *const PlayerVersion;
extern const char *const PlayerManufacturer;
extern const char *const PlayerOperatingSystem;
// A player of its own window, not a browser's plug-in.
extern const char *const PlayerType;
extern const char *const PlayerScreenColor;
constexpr double PlayerScreenDpi = 96;
constexpr double PlayerPixelAspectRatio = 1;

// The primary screen's size; a common one without a screen (a tool, a test).
QSize PlayerScreenSize();
// The host's language code; English where the locale names none.
QString PlayerLanguage();
// The processor family as the reference player names it: "x86" or "ARM".
QString PlayerCpuArchitecture();
// The capabilities in one line, as the reference player sends them to servers.
QString PlayerServerString();

} // namespace swf
