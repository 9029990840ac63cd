#include "TextLoad.h"

#include "KeptObject.h"

#include "swf/MoviePlayer.h"

#include <memory>

namespace swf {

namespace {
const QString BytesLoaded = QStringLiteral("_bytesLoaded");
const QString BytesTotal = QStringLiteral("_bytesTotal");

Value recorded(NativeCall &call, const QString &member)
{
    return call.object() ? call.cx.getMember(call.self, member) : Value(Undefined{});
}
} // namespace

bool LoadTextFor(NativeCall &call, ScriptObject &target, const QString &url)
{
    if (url.isEmpty())
        return false;
    ScriptObject *object = &target;
    auto kept = std::make_shared<KeptObject>(call.engine(), object);
    return call.player().loadFile(call.player().root(), url, [object, kept](ScriptContext &cx, const MovieFile &file) {
        if (file.ok()) {
            const double bytes = double(file.bytes.size());
            cx.setMember(object, BytesLoaded, bytes);
            cx.setMember(object, BytesTotal, bytes);
        }
        cx.callMethod(object, QStringLiteral("onData"),
                      {file.ok() ? Value(QString::fromUtf8(file.bytes)) : Value(Undefined{})});
    });
}

bool StartTextLoad(NativeCall &call, ScriptObject *target, const QString &url, LoadReadying ready)
{
    return target && !url.isEmpty() && ready(call, *target) && LoadTextFor(call, *target, url);
}

Value SendNothing(NativeCall &call) { return !call.args.empty() && !call.string(0).isEmpty(); }

Value LoadedBytes(NativeCall &call) { return recorded(call, BytesLoaded); }
Value TotalBytes(NativeCall &call) { return recorded(call, BytesTotal); }

} // namespace swf
