// flash.system.Capabilities: what a movie may learn of the machine playing
// it, the same values System.capabilities gives older movies.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include "swf/PlayerCapabilities.h"

#include <utility>

namespace swf::avm2 {

namespace {

template <size_t Index> Value flag(Runtime &, const Value &, Args) { return Value(CapabilityFlags()[Index].value); }

template <const char *const *Text> Value text(Runtime &, const Value &, Args) { return Value(QString::fromLatin1(*Text)); }

Value language(Runtime &, const Value &, Args) { return Value(PlayerLanguage()); }
Value languages(Runtime &rt, const Value &, Args) { return Value(static_cast<Object *>(rt.newArray({Value(PlayerLanguage())}))); }
Value cpuArchitecture(Runtime &, const Value &, Args) { return Value(PlayerCpuArchitecture()); }
Value serverString(Runtime &, const Value &, Args) { return Value(PlayerServerString()); }
Value screenDpi(Runtime &, const Value &, Args) { return Value::number(PlayerScreenDpi); }
Value pixelAspectRatio(Runtime &, const Value &, Args) { return Value::number(PlayerPixelAspectRatio); }
Value screenWidth(Runtime &, const Value &, Args) { return Value::number(PlayerScreenSize().width()); }
Value screenHeight(Runtime &, const Value &, Args) { return Value::number(PlayerScreenSize().height()); }
// A player of its own on a desktop: not inside Acrobat, no touch screen.
Value no(Runtime &, const Value &, Args) { return Value(false); }
Value touchscreenType(Runtime &, const Value &, Args) { return Value("none"); }

NativeMember getter(const char *name, NativeFn fn) { return {name, MemberKind::Getter, fn, 0, MemberStatic}; }

template <size_t... Index> std::vector<NativeMember> flagGetters(std::index_sequence<Index...>)
{
    return {getter(CapabilityFlags()[Index].name, flag<Index>)...};
}

std::vector<NativeMember> members()
{
    std::vector<NativeMember> list = flagGetters(std::make_index_sequence<CapabilityFlagCount>());
    list.insert(list.end(), {
        getter("version", text<&PlayerVersion>),
        getter("manufacturer", text<&PlayerManufacturer>),
        getter("os", text<&PlayerOperatingSystem>),
        getter("playerType", text<&PlayerType>),
        getter("screenColor", text<&PlayerScreenColor>),
        getter("language", language),
        getter("languages", languages),
        getter("cpuArchitecture", cpuArchitecture),
        getter("serverString", serverString),
        getter("screenDPI", screenDpi),
        getter("pixelAspectRatio", pixelAspectRatio),
        getter("screenResolutionX", screenWidth),
        getter("screenResolutionY", screenHeight),
        getter("isEmbeddedInAcrobat", no),
        getter("touchscreenType", touchscreenType),
    });
    return list;
}

} // namespace

extern const NativeClass CapabilitiesClass = {
    "flash.system", "Capabilities", "Object", ClassFinal, nullptr, nullptr, nullptr, members(), {}, nullptr, {},
};

} // namespace swf::avm2
