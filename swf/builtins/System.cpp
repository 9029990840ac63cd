// System: what the movie may learn of the machine playing it
// (System.capabilities), the security settings, the clipboard and the
// code page text is read in. The capabilities are this player's own: it
// runs on Linux, plays sound and MP3 but records nothing, decodes no video
// and prints nothing.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QUrl>

namespace swf {

namespace {

constexpr int FallbackWidth = 1024;
constexpr int FallbackHeight = 768;
constexpr double ScreenDpi = 96;
constexpr int ExactSettingsVersion = 7;
// The reference player whose behaviour the engine follows, as it numbers itself.
const char *const PlayerVersion = "LNX 9,0,999,0";
const char *const Manufacturer = "Adobe Linux";
const char *const OperatingSystem = "Linux";

struct Flag {
    const char *name;
    const char *code; // its letters in the server string
    bool value;
};
const Flag Flags[] = {
    {"hasAudio", "A", true},           {"hasStreamingAudio", "SA", true}, {"hasStreamingVideo", "SV", false},
    {"hasEmbeddedVideo", "EV", false}, {"hasMP3", "MP3", true},           {"hasAudioEncoder", "AE", false},
    {"hasVideoEncoder", "VE", false},  {"hasAccessibility", "ACC", false}, {"hasPrinting", "PR", false},
    {"hasScreenPlayback", "SP", false}, {"hasScreenBroadcast", "SB", false}, {"isDebugger", "DEB", false},
};
const Flag InputFlag{"hasIME", "IME", false};
const Flag LateFlags[] = {
    {"avHardwareDisable", "AVD", false}, {"localFileReadDisable", "LFD", false},
    {"windowlessDisable", "WD", false},  {"hasTLS", "TLS", false},
};

// A movie may run under a plain QCoreApplication (a tool, a test): no screen
// and no clipboard then.
bool hasGui() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

QSize screenSize()
{
    const QScreen *screen = hasGui() ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->size() : QSize(FallbackWidth, FallbackHeight);
}

// The host's language code; English where the locale names none.
QString language()
{
    const QString code = QLocale::system().name().section(u'_', 0, 0);
    return code == QLatin1String("C") ? QStringLiteral("en") : code;
}

QString escaped(const QString &text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

QString letter(bool value) { return QLatin1String(value ? "t" : "f"); }

// The capabilities in one line, as the reference player sends them to servers.
QString serverString(const QSize &screen)
{
    QStringList parts;
    for (const Flag &flag : Flags)
        parts << QLatin1String(flag.code) + u'=' + letter(flag.value);
    parts << QStringLiteral("V=") + escaped(QLatin1String(PlayerVersion))
          << QStringLiteral("M=") + escaped(QLatin1String(Manufacturer))
          << QStringLiteral("R=%1x%2").arg(screen.width()).arg(screen.height())
          << QStringLiteral("DP=%1").arg(ScreenDpi) << QStringLiteral("COL=color") << QStringLiteral("AR=1.0")
          << QStringLiteral("OS=") + escaped(QLatin1String(OperatingSystem)) << QStringLiteral("L=") + language()
          << QLatin1String(InputFlag.code) + u'=' + letter(InputFlag.value) << QStringLiteral("PT=StandAlone");
    for (const Flag &flag : LateFlags)
        parts << QLatin1String(flag.code) + u'=' + letter(flag.value);
    return parts.join(u'&');
}

// Sets the capabilities as plain members of object, which names its
// constructor as the built-in objects do.
void describe(ScriptContext *cx, ScriptEngine &engine, ScriptObject &object)
{
    const QSize screen = screenSize();
    if (const Value *objectClass = engine.objectPrototype()->own(engine.key(QStringLiteral("constructor"))))
        AddBuiltinMember(engine, object, "constructor", *objectClass, BuiltinFlags);
    const auto put = [&](const char *name, const Value &value) {
        const QString text = QString::fromLatin1(name);
        if (cx)
            cx->setMember(&object, text, value);
        else
            object.set(engine.key(text), text, value);
    };
    for (const Flag &flag : Flags)
        put(flag.name, flag.value);
    put(InputFlag.name, InputFlag.value);
    for (const Flag &flag : LateFlags)
        put(flag.name, flag.value);
    put("version", QString::fromLatin1(PlayerVersion));
    put("manufacturer", QString::fromLatin1(Manufacturer));
    put("os", QString::fromLatin1(OperatingSystem));
    put("language", language());
    put("playerType", QStringLiteral("StandAlone"));
    put("screenColor", QStringLiteral("color"));
    put("screenDPI", ScreenDpi);
    put("screenResolutionX", double(screen.width()));
    put("screenResolutionY", double(screen.height()));
    put("pixelAspectRatio", 1.0);
    put("serverString", serverString(screen));
}

// System.setClipboard(text): the host's clipboard takes the text.
Value setClipboard(NativeCall &call)
{
    if (hasGui() && !call.args.empty())
        QGuiApplication::clipboard()->setText(call.string(0));
    return Undefined{};
}

// This player has no settings panel to show.
Value showSettings(NativeCall &) { return Undefined{}; }

// A movie here plays from the disk and trusts every domain already.
Value allowDomain(NativeCall &) { return Undefined{}; }

void addMembers(ScriptEngine &engine, ScriptObject &system)
{
    if (ScriptObject *capabilities = engine.newObject()) {
        describe(nullptr, engine, *capabilities);
        AddBuiltinMember(engine, system, "capabilities", capabilities, 0);
    }
    if (ScriptObject *security = engine.newObject()) {
        for (const char *name : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"})
            if (ScriptObject *function = engine.newNative(allowDomain))
                AddBuiltinMember(engine, *security, name, function, 0);
        AddBuiltinMember(engine, system, "security", security, 0);
    }
    // Movies from version 7 match domains exactly; text is read as Unicode.
    AddBuiltinMember(engine, system, "exactSettings", engine.version() >= ExactSettingsVersion, 0);
    AddBuiltinMember(engine, system, "useCodepage", false, 0);
}

} // namespace

// ASnative(11, 0): gives this the capabilities as members.
Value QueryCapabilities(NativeCall &call)
{
    if (ScriptObject *object = call.object())
        describe(&call.cx, call.engine(), *object);
    return Undefined{};
}

const ClassDecl SystemObject{
    "System",
    nullptr,
    {},
    {{"setClipboard", setClipboard, 5, nullptr, 0}, {"showSettings", showSettings, 5, nullptr, 0}},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {},
    addMembers,
};

} // namespace swf
