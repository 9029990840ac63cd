// flash.net.URLLoader: reads a file for a script, under the rules every
// load of the player keeps (swf/MovieFiles.h): only files in the movie's
// folder or below it, nothing over the network. As the reference player's
// loads, it never completes in the frame that starts it: the player reads
// the file as a later frame begins, then the loader tells its listeners
// "open", "progress" and "complete" with the data in the format asked for,
// or "ioError" (a file that cannot be read) or "securityError" (a file it
// may not read).
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/ByteArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/StaticState.h"
#include "swf/avm2/builtins/System.h"
#include "swf/avm2/builtins/URLLoading.h"
#include "swf/avm2/builtins/URLRequest.h"

#include "swf/MoviePlayer.h"

namespace swf::avm2 {

namespace {

constexpr int CoercionError = 1034;
constexpr int NullArgumentError = 2007;
constexpr int AcceptedValuesError = 2008;
constexpr int StreamError = 2032;
constexpr int SandboxError = 2048;
const QString StateNamespace = QStringLiteral("flash.net.URLLoader");
enum class Field { Data, DataFormat, BytesLoaded, BytesTotal, Generation };
const char *const FieldNames[] = {"data", "dataFormat", "bytesLoaded", "bytesTotal", "generation"};
// The loaders waiting for their file, kept alive until it comes.
const QString PendingSlotName = QStringLiteral("pending");

Value &field(Runtime &rt, const Value &self, Field which)
{
    return InstanceSlot(rt, self, StateNamespace, QString::fromLatin1(FieldNames[int(which)]));
}

Value &pendingLoaders(Runtime &rt)
{
    Class *cls = rt.builtin("flash.net::URLLoader");
    Value &slot = StaticSlot(rt, Value(static_cast<Object *>(cls)), StateNamespace, PendingSlotName);
    if (slot.isNullish())
        slot = Value(rt.newObject());
    return slot;
}

void dispatch(Runtime &rt, const Value &target, const char *eventClass, std::vector<Value> args)
{
    Class *cls = rt.builtin(eventClass);
    if (!cls)
        return;
    const Value event = rt.construct(Value(static_cast<Object *>(cls)), Args{args.data(), int(args.size())});
    rt.callProperty(target, rt.publicName(QStringLiteral("dispatchEvent")), Args{&event, 1});
}

bool isDataFormat(const QString &format)
{
    for (const char *known : {DataFormatBinary, DataFormatText, DataFormatVariables})
        if (format == QLatin1String(known))
            return true;
    return false;
}

Value loadedData(Runtime &rt, const QString &format, const QByteArray &bytes)
{
    if (format == QLatin1String(DataFormatBinary)) {
        auto *array = static_cast<ByteArrayObject *>(rt.allocate(rt.builtin("flash.utils::ByteArray")));
        array->bytes = bytes;
        return Value(static_cast<Object *>(array));
    }
    const QString text = UsesCodePage(rt) ? QString::fromLocal8Bit(bytes) : QString::fromUtf8(bytes);
    if (format != QLatin1String(DataFormatVariables))
        return Value(text);
    const Value variables = rt.construct(Value(static_cast<Object *>(rt.builtin("flash.net::URLVariables"))), Args{});
    DecodeUrlVariablesInto(rt, variables, text);
    return variables;
}

Value event(const char *type) { return Value(type); }

void failed(Runtime &rt, const Value &self, const QString &url, MovieFile::Status status)
{
    if (status == MovieFile::Refused) {
        const QString from = rt.movie ? rt.movie->player().urlOf(rt.movie->player().root()) : QString();
        const QString text = QStringLiteral("Error #%1: ").arg(SandboxError) +
                             Runtime::errorText(SandboxError).arg(from, url);
        dispatch(rt, self, "flash.events::SecurityErrorEvent",
                 {event("securityError"), Value(false), Value(false), Value(text), Value(SandboxError)});
        return;
    }
    const QString text = QStringLiteral("Error #%1: ").arg(StreamError) + Runtime::errorText(StreamError).arg(url);
    dispatch(rt, self, "flash.events::IOErrorEvent",
             {event("ioError"), Value(false), Value(false), Value(text), Value(StreamError)});
}

void completed(Runtime &rt, const Value &self, const QString &url, const MovieFile &file)
{
    if (!file.ok()) {
        failed(rt, self, url, file.status);
        return;
    }
    const Value size = Value::number(double(file.bytes.size()));
    dispatch(rt, self, "flash.events::Event", {event("open")});
    field(rt, self, Field::BytesLoaded) = size;
    field(rt, self, Field::BytesTotal) = size;
    dispatch(rt, self, "flash.events::ProgressEvent", {event("progress"), Value(false), Value(false), size, size});
    field(rt, self, Field::Data) = loadedData(rt, rt.toString(field(rt, self, Field::DataFormat)), file.bytes);
    dispatch(rt, self, "flash.events::Event", {event("complete")});
}

// A load that comes after close() or a newer load() is forgotten.
void arrived(Runtime &rt, const Value &self, int32_t generation, const QString &key, const QString &url,
             const MovieFile &file)
{
    if (Object *pending = pendingLoaders(rt).asObject())
        pending->dynamics.remove(key);
    if (rt.toInt(field(rt, self, Field::Generation)) != generation)
        return;
    completed(rt, self, url, file);
}

QString requestedUrl(Runtime &rt, const Value &request)
{
    if (request.isNullish())
        rt.throwError(ErrorType::TypeError, NullArgumentError, QStringList{QStringLiteral("request")});
    auto *object = dynamic_cast<URLRequestObject *>(request.asObject());
    if (!object)
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(request), QStringLiteral("flash.net.URLRequest")});
    if (object->url.isNullish())
        rt.throwError(ErrorType::TypeError, NullArgumentError, QStringList{QStringLiteral("url")});
    return rt.toString(object->url);
}

Value load(Runtime &rt, const Value &self, Args args)
{
    const QString url = requestedUrl(rt, args[0]);
    Value &generationSlot = field(rt, self, Field::Generation);
    const int32_t generation = rt.toInt(generationSlot) + 1;
    generationSlot = Value(generation);
    field(rt, self, Field::BytesLoaded) = Value(0);
    field(rt, self, Field::BytesTotal) = Value(0);
    Object *pending = pendingLoaders(rt).asObject();
    // Without a movie (a runtime used alone) there is no folder to read from.
    if (!rt.movie || !pending)
        rt.throwError(ErrorType::IOError, StreamError, QStringList{url});
    MoviePlayer &player = rt.movie->player();
    const QString key = QStringLiteral("%1 %2").arg(quintptr(self.asObject())).arg(generation);
    Runtime *runtime = &rt;
    const Value loader = self;
    const bool asked = player.loadFile(player.root(), url, [runtime, loader, generation, key, url](ScriptContext &, const MovieFile &file) {
        runtime->runEntry([&] { arrived(*runtime, loader, generation, key, url, file); });
    });
    if (!asked)
        rt.throwError(ErrorType::IOError, StreamError, QStringList{url});
    pending->dynamics.set(key, self, false);
    return Value();
}

Value close(Runtime &rt, const Value &self, Args)
{
    Value &generation = field(rt, self, Field::Generation);
    generation = Value(rt.toInt(generation) + 1);
    return Value();
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    if (Class *base = rt.builtin("flash.events::EventDispatcher"); base && base->instanceInit)
        rt.callMethod(base->instanceInit, self, Args{});
    field(rt, self, Field::Data) = Value();
    field(rt, self, Field::DataFormat) = Value(DataFormatText);
    if (!args[0].isNullish())
        load(rt, self, args);
    return Value();
}

template <Field Which> Value get(Runtime &rt, const Value &self, Args) { return field(rt, self, Which); }

Value setData(Runtime &rt, const Value &self, Args args)
{
    field(rt, self, Field::Data) = args[0];
    return Value();
}

Value setDataFormat(Runtime &rt, const Value &self, Args args)
{
    const QString format = args[0].isNullish() ? QString() : rt.toString(args[0]);
    if (!isDataFormat(format))
        rt.throwError(ErrorType::ArgumentError, AcceptedValuesError, QStringList{QStringLiteral("dataFormat")});
    field(rt, self, Field::DataFormat) = Value(format);
    return Value();
}

void setup(Runtime &rt, Class *cls)
{
    for (const char *name : FieldNames)
        AddInstanceSlot(rt, cls, StateNamespace, QString::fromLatin1(name), Value(0));
    AddStaticSlot(rt, cls, StateNamespace, PendingSlotName, Value::null());
}

} // namespace

extern const NativeClass URLLoaderClass = {
    "flash.net",
    "URLLoader",
    "flash.events::EventDispatcher",
    0,
    nullptr,
    construct,
    nullptr,
    {
        {"data", MemberKind::Getter, get<Field::Data>},
        {"data", MemberKind::Setter, setData},
        {"dataFormat", MemberKind::Getter, get<Field::DataFormat>},
        {"dataFormat", MemberKind::Setter, setDataFormat},
        {"bytesLoaded", MemberKind::Getter, get<Field::BytesLoaded>},
        {"bytesTotal", MemberKind::Getter, get<Field::BytesTotal>},
        {"load", MemberKind::Method, load, 1},
        {"close", MemberKind::Method, close},
    },
    {},
    setup,
    {},
};

} // namespace swf::avm2
