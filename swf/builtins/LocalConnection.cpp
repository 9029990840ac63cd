// LocalConnection: movies of this process calling each other's methods by
// a connection name (connect, send, close, domain), the arguments carried
// in Action Message Format 0 as the reference player carries them.
#include "Amf0.h"
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/LocalConnectionHub.h"
#include "swf/MoviePlayer.h"
#include "swf/script/Interpreter.h"
#include "swf/script/ScriptEngine.h"

#include <atomic>

namespace swf {

namespace {

constexpr int FirstVersion = 6;
// Local files all come from one domain, and names without a leading
// underscore are scoped to it.
const QString LocalDomain = QStringLiteral("localhost");
// Methods a sender may not call: the object's own.
const char *const ReservedMethods[] = {"send", "connect", "close", "domain", "allowDomain", "allowInsecureDomain"};

// Numbers LocalConnection objects and messages apart, across movies.
std::atomic<quint64> nextSerial{1};

// The name the object listens on (empty: none), and where its movie keeps it meanwhile.
struct LocalConnectionPayload : NativePayload {
    QString name;
    QString keptName = QStringLiteral("LocalConnection %1").arg(nextSerial++);
};

LocalConnectionPayload *payloadOf(const NativeCall &call)
{
    const ScriptObject *object = call.object();
    return object ? object->payloadAs<LocalConnectionPayload>() : nullptr;
}

// "name" is "localhost:name"; "_name" and "domain:name" are as given.
QString qualified(const QString &name)
{
    return name.startsWith(u'_') || name.contains(u':') ? name : LocalDomain + u':' + name;
}

LocalConnectionHub::Endpoint endpoint(NativeCall &call, const QString &keptName)
{
    MoviePlayer &player = call.player();
    return {&player, player.root().alive, keptName};
}

bool isString(const Value &value) { return std::holds_alternative<QString>(value); }

Value construct(NativeCall &call)
{
    ScriptObject *object = call.construct ? call.object() : nullptr;
    if (!object)
        return Undefined{};
    object->payload = std::make_unique<LocalConnectionPayload>();
    return object;
}

Value connect(NativeCall &call)
{
    LocalConnectionPayload *payload = payloadOf(call);
    if (!payload || !payload->name.isEmpty() || !isString(call.arg(0)) || call.string(0).isEmpty() ||
        call.string(0).contains(u':'))
        return false;
    const QString name = qualified(call.string(0));
    if (!LocalConnectionHub::shared().listen(name, endpoint(call, payload->keptName)))
        return false;
    payload->name = name;
    call.engine().keep(payload->keptName, call.self);
    return true;
}

Value close(NativeCall &call)
{
    LocalConnectionPayload *payload = payloadOf(call);
    if (!payload || payload->name.isEmpty())
        return Undefined{};
    LocalConnectionHub::shared().close(payload->name, endpoint(call, payload->keptName));
    call.engine().release(payload->keptName);
    payload->name.clear();
    return Undefined{};
}

Value send(NativeCall &call)
{
    if (!payloadOf(call) || call.args.size() < 2 || !isString(call.args[0]) || !isString(call.args[1]))
        return false;
    const QString method = call.string(1);
    for (const char *reserved : ReservedMethods)
        if (method.isEmpty() || method == QLatin1String(reserved))
            return false;
    // The arguments travel as the members "0", "1"... of one object.
    ScriptObject *holder = call.engine().newObject();
    if (!holder)
        return false;
    for (size_t i = 2; i < call.args.size(); ++i) {
        const QString index = QString::number(i - 2);
        holder->set(index, index, call.args[i]);
    }
    QByteArray arguments;
    if (!Amf0::encodeMembers(*holder, LocalConnectionHub::MaxMessageBytes, arguments))
        return false;
    const QString keptName = QStringLiteral("LocalConnection message %1").arg(nextSerial++);
    if (!LocalConnectionHub::shared().send(qualified(call.string(0)), method, std::move(arguments),
                                           endpoint(call, keptName)))
        return false;
    // Kept until onStatus has told it how the message went.
    call.engine().keep(keptName, call.self);
    return true;
}

Value domain(NativeCall &) { return LocalDomain; }

// Calls OBJECT.METHOD(ARGS) from the root, as the player calls handlers.
void callOn(MoviePlayer &player, const Value &object, const QString &method, std::vector<Value> args)
{
    ScriptEngine::Interval call;
    call.self = object;
    call.method = method;
    call.args = std::move(args);
    RunInterval(player, player.root(), call);
}

std::vector<Value> decodedArguments(ScriptEngine &engine, const QByteArray &bytes)
{
    std::vector<Value> args;
    if (ScriptObject *holder = engine.newObject()) {
        Amf0::decodeMembers(engine, bytes, *holder);
        for (const ScriptObject::Member &member : holder->members())
            if (!(member.flags & DontEnum))
                args.push_back(member.value);
    }
    return args;
}

} // namespace

void DeliverLocalConnections(MoviePlayer &player)
{
    LocalConnectionHub &hub = LocalConnectionHub::shared();
    ScriptEngine &engine = player.script();
    for (const LocalConnectionHub::Delivery &delivery : hub.takeDeliveries(player)) {
        const Value receiver = engine.kept(delivery.keptName);
        if (objectOf(receiver))
            callOn(player, receiver, delivery.method, decodedArguments(engine, delivery.arguments));
    }
    for (const LocalConnectionHub::Status &status : hub.takeStatuses(player)) {
        const Value sender = engine.kept(status.keptName);
        engine.release(status.keptName);
        ScriptObject *info = engine.newObject(engine.objectPrototype());
        if (!objectOf(sender) || !info)
            continue;
        const QString level = QStringLiteral("level");
        info->set(engine.key(level), level, status.delivered ? QStringLiteral("status") : QStringLiteral("error"));
        callOn(player, sender, QStringLiteral("onStatus"), {info});
    }
}

const ClassDecl LocalConnectionClass{
    "LocalConnection",
    construct,
    {{"connect", connect}, {"send", send}, {"close", close}, {"domain", domain}},
    {},
    {},
    FirstVersion,
};

} // namespace swf
