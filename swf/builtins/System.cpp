// System: what the movie may learn of the machine playing it
// (System.capabilities), the security settings, the clipboard and the
// code page text is read in. The capabilities are the player's own
// (swf/PlayerCapabilities.h), which ActionScript 3 movies see too.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/PlayerCapabilities.h"
#include "swf/script/ScriptEngine.h"

#include <QClipboard>
#include <QGuiApplication>

namespace swf {

namespace {

constexpr int ExactSettingsVersion = 7;

// A movie may run under a plain QCoreApplication (a tool, a test): no
// clipboard then.
bool hasGui() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

// Sets the capabilities as plain members of object, which names its
// constructor as the built-in objects do.
void describe(ScriptContext *cx, ScriptEngine &engine, ScriptObject &object)
{
    const QSize screen = PlayerScreenSize();
    if (const Value *objectClass = engine.objectPrototype()->own(engine.key(QStringLiteral("constructor"))))
        AddBuiltinMember(engine, object, "constructor", *objectClass, BuiltinFlags);
    const auto put = [&](const char *name, const Value &value) {
        const QString text = QString::fromLatin1(name);
        if (cx)
            cx->setMember(&object, text, value);
        else
            object.set(engine.key(text), text, value);
    };
    for (const CapabilityFlag &flag : CapabilityFlags())
        put(flag.name, flag.value);
    put("version", QString::fromLatin1(PlayerVersion));
    put("manufacturer", QString::fromLatin1(PlayerManufacturer));
    put("os", QString::fromLatin1(PlayerOperatingSystem));
    put("language", PlayerLanguage());
    put("playerType", QString::fromLatin1(PlayerType));
    put("screenColor", QString::fromLatin1(PlayerScreenColor));
    put("screenDPI", PlayerScreenDpi);
    put("screenResolutionX", double(screen.width()));
    put("screenResolutionY", double(screen.height()));
    put("pixelAspectRatio", PlayerPixelAspectRatio);
    put("serverString", PlayerServerString());
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
