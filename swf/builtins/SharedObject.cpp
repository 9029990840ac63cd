// SharedObject: data a movie keeps between runs (getLocal, flush, clear,
// getSize), stored as the reference player stores it: a file per object in
// its SOL layout, the members in Action Message Format 0.
#include "Amf0.h"
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/SharedObjectStore.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// Where getLocal's objects are kept alive, by file.
const QString KeptPrefix = QStringLiteral("SharedObject ");

struct SharedObjectPayload : NativePayload {
    SharedObjectPayload(QString f, QString n) : file(std::move(f)), name(std::move(n)) {}
    QString file;
    QString name;
};

const QString &dataName()
{
    static const QString name = QStringLiteral("data");
    return name;
}

SharedObjectPayload *sharedOf(const NativeCall &call)
{
    const ScriptObject *object = call.object();
    return object ? object->payloadAs<SharedObjectPayload>() : nullptr;
}

ScriptObject *dataOf(const NativeCall &call)
{
    const ScriptObject *object = call.object();
    const Value *data = object ? object->find(call.key(dataName())) : nullptr;
    return data ? objectOf(*data) : nullptr;
}

// The object's members encoded, within what one object may hold.
bool encodedData(const ScriptObject &data, QByteArray &members)
{
    return Amf0::encodeMembers(data, SharedObjectStore::SizeLimit, members);
}

bool write(const SharedObjectPayload &shared, const ScriptObject &data)
{
    QByteArray members;
    return encodedData(data, members) && SharedObjectStore::write(shared.file, SharedObjectStore::pack(shared.name, SharedObjectStore::Amf0Format, members));
}

ScriptObject *sharedObjectPrototype(NativeCall &call)
{
    const Value *constructor = call.engine().global()->find(call.key(QStringLiteral("SharedObject")));
    const ScriptObject *object = constructor ? objectOf(*constructor) : nullptr;
    const Value *prototype = object ? object->find(call.key(QStringLiteral("prototype"))) : nullptr;
    return prototype ? objectOf(*prototype) : nullptr;
}

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

// SharedObject.getLocal(name, localPath): the same object for the same file
// while the movie plays, its data read from the file; null for a name or
// path the reference player refuses.
Value getLocal(NativeCall &call)
{
    const QString file = call.player().sharedObjects().fileFor(call.string(0), call.args.size() > 1 && !isNullish(call.args[1]) ? call.string(1) : QString());
    if (file.isEmpty())
        return Null{};
    const Value opened = call.engine().kept(KeptPrefix + file);
    if (!std::holds_alternative<Undefined>(opened))
        return opened;
    ScriptObject *shared = call.engine().newObject(sharedObjectPrototype(call));
    ScriptObject *data = call.engine().newObject(call.engine().objectPrototype());
    if (!shared || !data)
        return Null{};
    shared->payload = std::make_unique<SharedObjectPayload>(file, call.string(0));
    shared->set(call.key(dataName()), dataName(), data, DontDelete);
    if (const std::optional<QByteArray> stored = SharedObjectStore::read(file))
        Amf0::decodeMembers(call.engine(), SharedObjectStore::unpack(*stored, SharedObjectStore::Amf0Format), *data);
    call.engine().keep(KeptPrefix + file, shared);
    return shared;
}

// flush(minimumSize): writes the data now; false when it (or the room the
// movie asks for) is more than an object may hold, or the file cannot be
// written. The reference player would ask the user for more room; here
// the answer is no.
Value flush(NativeCall &call)
{
    const SharedObjectPayload *shared = sharedOf(call);
    const ScriptObject *data = dataOf(call);
    if (!shared || !data)
        return Undefined{};
    if (call.number(0, 0) > double(SharedObjectStore::SizeLimit))
        return false;
    return write(*shared, *data);
}

// clear(): the data goes, from the object and from the disk.
Value clear(NativeCall &call)
{
    const SharedObjectPayload *shared = sharedOf(call);
    ScriptObject *object = call.object();
    if (!shared || !object)
        return Undefined{};
    if (ScriptObject *data = call.engine().newObject(call.engine().objectPrototype()))
        object->set(call.key(dataName()), dataName(), data, DontDelete);
    SharedObjectStore::remove(shared->file);
    return Undefined{};
}

// getSize(): the bytes the data takes encoded.
Value getSize(NativeCall &call)
{
    const ScriptObject *data = dataOf(call);
    if (!sharedOf(call) || !data)
        return Undefined{};
    QByteArray members;
    encodedData(*data, members);
    return double(members.size());
}

} // namespace

void FlushSharedObjects(ScriptEngine &engine)
{
    const QString dataKey = engine.key(dataName());
    for (auto it = engine.keptValues().cbegin(); it != engine.keptValues().cend(); ++it) {
        const ScriptObject *shared = it.key().startsWith(KeptPrefix) ? objectOf(it.value()) : nullptr;
        const auto *payload = shared ? shared->payloadAs<SharedObjectPayload>() : nullptr;
        const Value *data = payload ? shared->find(dataKey) : nullptr;
        if (data && objectOf(*data))
            write(*payload, *objectOf(*data));
    }
}

const ClassDecl SharedObjectClass{
    "SharedObject",
    construct,
    {{"flush", flush}, {"clear", clear}, {"getSize", getSize}},
    {{"getLocal", getLocal}},
    {},
    6,
};

} // namespace swf
