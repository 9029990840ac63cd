// flash.system.Security: the sandbox a movie runs in. The player plays
// movies from the disk and nothing else: a local movie the user chose to
// run, which the reference player's stand-alone version trusts, so it
// reports the trusted local sandbox. Nothing it plays is reached over the
// network, so there is no cross-domain access to grant: allowDomain and
// allowInsecureDomain change nothing here, as they change nothing for a
// trusted local movie in the reference player.
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

const char *const LocalTrusted = "localTrusted";

Value sandboxType(Runtime &, const Value &, Args) { return Value(LocalTrusted); }
Value allowDomain(Runtime &, const Value &, Args) { return Value(); }
// Movies from the disk match domains exactly; there is only one.
Value exactSettings(Runtime &, const Value &, Args) { return Value(true); }

} // namespace

extern const NativeClass SecurityClass = {
    "flash.system",
    "Security",
    "Object",
    ClassFinal,
    nullptr,
    nullptr,
    nullptr,
    {
        {"sandboxType", MemberKind::Getter, sandboxType, 0, MemberStatic},
        {"exactSettings", MemberKind::Getter, exactSettings, 0, MemberStatic},
        {"allowDomain", MemberKind::Method, allowDomain, 0, MemberStatic},
        {"allowInsecureDomain", MemberKind::Method, allowDomain, 0, MemberStatic},
    },
    {
        {"APPLICATION", 0, "application"},
        {"LOCAL_TRUSTED", 0, LocalTrusted},
        {"LOCAL_WITH_FILE", 0, "localWithFile"},
        {"LOCAL_WITH_NETWORK", 0, "localWithNetwork"},
        {"REMOTE", 0, "remote"},
    },
    nullptr,
    {},
};

} // namespace swf::avm2
