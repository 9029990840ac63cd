// NetConnection: a link to a media server. This player reaches none: a
// connection to null (for progressive downloads) succeeds at once, one to
// a server fails at once.
#include "NetStatus.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int FirstVersion = 6;

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

Value connect(NativeCall &call)
{
    const bool local = call.args.empty() || isNullish(call.args[0]);
    const Value info = local ? NetStatusInfo(call, "NetConnection.Connect.Success", "status")
                             : NetStatusInfo(call, "NetConnection.Connect.Failed", "error");
    call.cx.callMethod(call.self, QStringLiteral("onStatus"), {info});
    return local;
}

// With no server, there is nothing to close, call or tell headers to.
Value noServer(NativeCall &) { return Undefined{}; }

} // namespace

Value NetStatusInfo(NativeCall &call, const char *code, const char *level)
{
    ScriptObject *info = call.engine().newObject();
    if (!info)
        return Undefined{};
    call.cx.setMember(info, QStringLiteral("code"), QString::fromLatin1(code));
    call.cx.setMember(info, QStringLiteral("level"), QString::fromLatin1(level));
    return info;
}

const ClassDecl NetConnectionClass{
    "NetConnection",
    construct,
    {{"connect", connect, FirstVersion},
     {"close", noServer, FirstVersion},
     {"call", noServer, FirstVersion},
     {"addHeader", noServer, FirstVersion}},
    {},
    {},
};

} // namespace swf
