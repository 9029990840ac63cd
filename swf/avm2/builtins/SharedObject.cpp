// flash.net.SharedObject: data a movie keeps between runs, in the same
// store as older movies' SharedObject (MoviePlayer::sharedObjects): a file
// per object in the reference player's layout, the members of an
// ActionScript 3 movie in AMF 3 as ByteArray.writeObject writes them, each
// with its name and a closing zero byte.
#include "swf/avm2/builtins/SharedObject.h"

#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/ByteArrayMethods.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/StaticState.h"

#include "swf/MoviePlayer.h"
#include "swf/SharedObjectStore.h"

namespace swf::avm2 {

namespace {

constexpr int FlushError = 2130;
constexpr int CreateError = 2134;
const QString StateNamespace = QStringLiteral("flash.net.SharedObject");
enum class Field { Data, File, Name };
const char *const FieldNames[] = {"data", "file", "name"};
// The objects getLocal made, by file: one per file while the movie plays.
const QString OpenedSlotName = QStringLiteral("opened");
const char *const Flushed = "flushed";
// An AMF 3 text's header: its length shifted past the flag that says the
// text follows inline rather than by reference.
constexpr uint32_t InlineFlag = 1;
constexpr uint32_t MaxU29 = (1u << 29) - 1;

Value &field(Runtime &rt, const Value &self, Field which)
{
    return InstanceSlot(rt, self, StateNamespace, QString::fromLatin1(FieldNames[int(which)]));
}

Object *openedObjects(Runtime &rt, Class *cls)
{
    Value &slot = StaticSlot(rt, Value(static_cast<Object *>(cls)), StateNamespace, OpenedSlotName);
    if (slot.isNullish())
        slot = Value(rt.newObject());
    return slot.asObject();
}

QByteArray u29(uint32_t v)
{
    QByteArray out;
    if (v < 0x80) {
        out.append(char(v));
    } else if (v < 0x4000) {
        out.append(char(0x80 | (v >> 7))).append(char(v & 0x7F));
    } else if (v < 0x200000) {
        out.append(char(0x80 | (v >> 14))).append(char(0x80 | ((v >> 7) & 0x7F))).append(char(v & 0x7F));
    } else {
        out.append(char(0x80 | (v >> 22))).append(char(0x80 | ((v >> 15) & 0x7F)));
        out.append(char(0x80 | ((v >> 8) & 0x7F))).append(char(v & 0xFF));
    }
    return out;
}

// Reads a U29 at pos; false past the end.
bool readU29(const QByteArray &in, qsizetype &pos, uint32_t &out)
{
    out = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= in.size())
            return false;
        const auto b = uint8_t(in[pos++]);
        if (i == 3) {
            out = (out << 8) | b;
            return true;
        }
        out = (out << 7) | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return true;
}

ByteArrayObject *newBytes(Runtime &rt)
{
    return static_cast<ByteArrayObject *>(rt.allocate(rt.builtin("flash.utils::ByteArray")));
}

// The data's enumerable properties, encoded; empty with false when they
// are more than an object may hold.
bool encodeMembers(Runtime &rt, const Value &data, QByteArray &out)
{
    ByteArrayObject *bytes = newBytes(rt);
    const Value bytesValue(static_cast<Object *>(bytes));
    Object *object = data.asObject();
    for (int i = object ? object->nextIndex(rt, 0) : 0; i > 0; i = object->nextIndex(rt, i)) {
        const QByteArray name = rt.toString(object->nameAt(rt, i)).toUtf8();
        if (uint32_t(name.size()) > MaxU29 >> 1)
            return false;
        bytes->write(rt, u29(uint32_t(name.size()) << 1 | InlineFlag) + name);
        const Value value = object->valueAt(rt, i);
        ByteArrayWriteObject(rt, bytesValue, Args{&value, 1});
        bytes->write(rt, QByteArray(1, '\0'));
        if (bytes->bytes.size() > SharedObjectStore::SizeLimit)
            return false;
    }
    out = bytes->bytes;
    return true;
}

// Sets what the members hold on data, as far as they can be read: a
// damaged file gives what came before the damage.
void decodeMembers(Runtime &rt, const QByteArray &members, const Value &data)
{
    ByteArrayObject *bytes = newBytes(rt);
    bytes->bytes = members;
    const Value bytesValue(static_cast<Object *>(bytes));
    qsizetype pos = 0;
    uint32_t header = 0;
    while (pos < members.size() && readU29(members, pos, header) && (header & InlineFlag)) {
        const qsizetype length = qsizetype(header >> 1);
        if (length > members.size() - pos)
            return;
        const QString name = QString::fromUtf8(members.mid(pos, length));
        bytes->position = uint32_t(pos + length);
        Value value;
        try {
            value = ByteArrayReadObject(rt, bytesValue, Args{});
        } catch (const Exception &) {
            return;
        }
        rt.set(data, name, value);
        pos = qsizetype(bytes->position) + 1; // the closing zero byte
    }
}

bool write(Runtime &rt, const Value &self)
{
    QByteArray members;
    if (!encodeMembers(rt, field(rt, self, Field::Data), members))
        return false;
    const QString file = rt.toString(field(rt, self, Field::File));
    const QString name = rt.toString(field(rt, self, Field::Name));
    return SharedObjectStore::write(file, SharedObjectStore::pack(name, SharedObjectStore::Amf3Format, members));
}

// getLocal(name, localPath): the same object for the same file while the
// movie plays, its data read from the store; Error #2134 for a name or
// path the reference player refuses, and without a store.
Value getLocal(Runtime &rt, const Value &self, Args args)
{
    auto *cls = dynamic_cast<Class *>(self.asObject());
    const QString name = args[0].isNullish() ? QString() : rt.toString(args[0]);
    const QString localPath = args[1].isNullish() ? QString() : rt.toString(args[1]);
    const QString file = rt.movie && cls ? rt.movie->player().sharedObjects().fileFor(name, localPath) : QString();
    if (file.isEmpty())
        rt.throwError(ErrorType::Error, CreateError);
    Object *opened = openedObjects(rt, cls);
    if (const Value *known = opened->dynamics.find(file))
        return *known;
    const Value shared(rt.constructClass(cls, Args{}));
    field(rt, shared, Field::File) = Value(file);
    field(rt, shared, Field::Name) = Value(name);
    const Value data(rt.newObject());
    field(rt, shared, Field::Data) = data;
    if (const std::optional<QByteArray> stored = SharedObjectStore::read(file))
        decodeMembers(rt, SharedObjectStore::unpack(*stored, SharedObjectStore::Amf3Format), data);
    opened->dynamics.set(file, shared, false);
    return shared;
}

// flush(minDiskSpace): writes the data now. The reference player would ask
// the user for room past its allowance; here the answer is no, so data
// (or room asked for) past it fails as an unwritable file does.
Value flush(Runtime &rt, const Value &self, Args args)
{
    if (rt.toNumber(args[0]) > double(SharedObjectStore::SizeLimit) || !write(rt, self))
        rt.throwError(ErrorType::Error, FlushError);
    return Value(Flushed);
}

// clear(): the data goes, from the object and from the store.
Value clear(Runtime &rt, const Value &self, Args)
{
    field(rt, self, Field::Data) = Value(rt.newObject());
    SharedObjectStore::remove(rt.toString(field(rt, self, Field::File)));
    return Value();
}

Value getData(Runtime &rt, const Value &self, Args) { return field(rt, self, Field::Data); }

Value getSize(Runtime &rt, const Value &self, Args)
{
    QByteArray members;
    encodeMembers(rt, field(rt, self, Field::Data), members);
    return Value::number(double(members.size()));
}

Value construct(Runtime &rt, const Value &self, Args)
{
    if (Class *base = rt.builtin("flash.events::EventDispatcher"); base && base->instanceInit)
        rt.callMethod(base->instanceInit, self, Args{});
    return Value();
}

void setup(Runtime &rt, Class *cls)
{
    for (const char *name : FieldNames)
        AddInstanceSlot(rt, cls, StateNamespace, QString::fromLatin1(name), Value::null());
    AddStaticSlot(rt, cls, StateNamespace, OpenedSlotName, Value::null());
}

} // namespace

void FlushSharedObjects(Runtime &rt)
{
    Class *cls = rt.builtin("flash.net::SharedObject");
    if (!cls)
        return;
    // A copy: writing may run scripts that open more.
    const std::vector<DynamicProperties::Entry> opened = openedObjects(rt, cls)->dynamics.entries();
    for (const DynamicProperties::Entry &entry : opened) {
        if (entry.deleted)
            continue;
        const Value &shared = entry.value;
        // A cleared object with nothing new stays cleared.
        QByteArray members;
        if (encodeMembers(rt, field(rt, shared, Field::Data), members) && !members.isEmpty())
            write(rt, shared);
    }
}

extern const NativeClass SharedObjectClass = {
    "flash.net",
    "SharedObject",
    "flash.events::EventDispatcher",
    0,
    nullptr,
    construct,
    nullptr,
    {
        {"getLocal", MemberKind::Method, getLocal, 1, MemberStatic},
        {"data", MemberKind::Getter, getData},
        {"size", MemberKind::Getter, getSize},
        {"flush", MemberKind::Method, flush},
        {"clear", MemberKind::Method, clear},
    },
    {},
    setup,
    {},
};

} // namespace swf::avm2
