#include "PlayerCapabilities.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QStringList>
#include <QUrl>

namespace swf {

const char *const PlayerVersion = "LNX 9,0,999,0";
const char *const PlayerManufacturer = "Adobe Linux";
const char *const PlayerOperatingSystem = "Linux";
const char *const PlayerType = "StandAlone";
const char *const PlayerScreenColor = "color";

namespace {

constexpr int FallbackWidth = 1024;
constexpr int FallbackHeight = 768;

// The server string has the input flag between the player's description
// and the late flags, so the groups are kept apart.
const CapabilityFlag EarlyFlags[] = {
    {"hasAudio", "A", true},           {"hasStreamingAudio", "SA", true}, {"hasStreamingVideo", "SV", false},
    {"hasEmbeddedVideo", "EV", false}, {"hasMP3", "MP3", true},           {"hasAudioEncoder", "AE", false},
    {"hasVideoEncoder", "VE", false},  {"hasAccessibility", "ACC", false}, {"hasPrinting", "PR", false},
    {"hasScreenPlayback", "SP", false}, {"hasScreenBroadcast", "SB", false}, {"isDebugger", "DEB", false},
};
const CapabilityFlag InputFlag{"hasIME", "IME", false};
const CapabilityFlag LateFlags[] = {
    {"avHardwareDisable", "AVD", false}, {"localFileReadDisable", "LFD", false},
    {"windowlessDisable", "WD", false},  {"hasTLS", "TLS", false},
};

QString escaped(const char *text) { return QString::fromLatin1(QUrl::toPercentEncoding(QLatin1String(text))); }

QString letter(bool value) { return QLatin1String(value ? "t" : "f"); }

QString pair(const CapabilityFlag &flag) { return QLatin1String(flag.code) + u'=' + letter(flag.value); }

} // namespace

const std::vector<CapabilityFlag> &CapabilityFlags()
{
    static const std::vector<CapabilityFlag> flags = [] {
        std::vector<CapabilityFlag> all(std::begin(EarlyFlags), std::end(EarlyFlags));
        all.push_back(InputFlag);
        all.insert(all.end(), std::begin(LateFlags), std::end(LateFlags));
        Q_ASSERT(all.size() == CapabilityFlagCount);
        return all;
    }();
    return flags;
}

QSize PlayerScreenSize()
{
    // A movie may run under a plain QCoreApplication: no screen then.
    const bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    const QScreen *screen = gui ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->size() : QSize(FallbackWidth, FallbackHeight);
}

QString PlayerLanguage()
{
    const QString code = QLocale::system().name().section(u'_', 0, 0);
    return code == QLatin1String("C") ? QStringLiteral("en") : code;
}

QString PlayerCpuArchitecture()
{
#if defined(Q_PROCESSOR_ARM)
    return QStringLiteral("ARM");
#else
    return QStringLiteral("x86");
#endif
}

QString PlayerServerString()
{
    const QSize screen = PlayerScreenSize();
    QStringList parts;
    for (const CapabilityFlag &flag : EarlyFlags)
        parts << pair(flag);
    parts << QStringLiteral("V=") + escaped(PlayerVersion) << QStringLiteral("M=") + escaped(PlayerManufacturer)
          << QStringLiteral("R=%1x%2").arg(screen.width()).arg(screen.height())
          << QStringLiteral("DP=%1").arg(PlayerScreenDpi) << QStringLiteral("COL=") + QLatin1String(PlayerScreenColor)
          << QStringLiteral("AR=%1").arg(PlayerPixelAspectRatio, 0, 'f', 1)
          << QStringLiteral("OS=") + escaped(PlayerOperatingSystem) << QStringLiteral("L=") + PlayerLanguage()
          << pair(InputFlag) << QStringLiteral("PT=") + QLatin1String(PlayerType);
    for (const CapabilityFlag &flag : LateFlags)
        parts << pair(flag);
    return parts.join(u'&');
}

} // namespace swf
