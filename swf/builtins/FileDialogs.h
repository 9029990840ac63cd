#pragma once

#include "BuiltinClass.h"

namespace swf {

// What FileReference and FileReferenceList share. Movies of version 6 see
// both classes, whose methods only version 8 movies see.
constexpr int FileReferencesVersion = 6;
constexpr int FileDialogVersion = 8;

// browse, upload and download: no dialog opens, so nothing is picked.
inline Value NoFileDialog(NativeCall &) { return false; }

// The prototype broadcasts to listeners, as AsBroadcaster.initialize makes it.
inline void InitializeListeners(ScriptEngine &engine, ScriptObject &holder)
{
    if (ScriptObject *prototype = PrototypeOf(engine, holder))
        InitializeBroadcaster(engine, *prototype, BuiltinFlags);
}

// Each object has a listener list of its own, a plain member.
inline void GiveOwnListeners(NativeCall &call, ScriptObject &self)
{
    call.cx.setMember(&self, QStringLiteral("_listeners"), ObjectValue(NewListenerList(call.engine())));
}

} // namespace swf
