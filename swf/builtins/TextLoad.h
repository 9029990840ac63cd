#pragma once

#include "BuiltinClass.h"

namespace swf {

// What LoadVars and XML share: reads url beside the movie for target at a
// later frame, keeping target alive meanwhile; target's onData then gets
// the text, or undefined when the file could not be read, and its
// _bytesLoaded and _bytesTotal the file's size. False when nothing could
// even be asked for.
bool LoadTextFor(NativeCall &call, ScriptObject &target, const QString &url);

// How a class readies an object for a load of text (LoadVars and XML clear
// their loaded flag); false when the object is not one of the class's.
using LoadReadying = bool (*)(NativeCall &call, ScriptObject &target);

// Readies target and starts a load of url for it; false when either cannot be.
bool StartTextLoad(NativeCall &call, ScriptObject *target, const QString &url, LoadReadying ready);

// load(url), and sendAndLoad(url, target), which sends nothing and loads as load would.
template <LoadReadying Ready> Value LoadMethod(NativeCall &call)
{
    return StartTextLoad(call, call.object(), call.string(0), Ready);
}
template <LoadReadying Ready> Value SendAndLoadMethod(NativeCall &call)
{
    return StartTextLoad(call, call.args.size() >= 2 ? objectOf(call.args[1]) : nullptr, call.string(0), Ready);
}
// send(url): nothing is opened, what a movie sends goes nowhere; true when a url was named.
Value SendNothing(NativeCall &call);

// addRequestHeader(name, value), or an array of them in turn: kept for
// requests that are never sent.
Value AddRequestHeader(NativeCall &call);

// getBytesLoaded and getBytesTotal: what the last load recorded on this.
Value LoadedBytes(NativeCall &call);
Value TotalBytes(NativeCall &call);

} // namespace swf
