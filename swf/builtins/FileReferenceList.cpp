// flash.net.FileReferenceList: several files the user picks at once. As
// with FileReference, no dialog is offered, so browse answers false and
// the list of files stays empty.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "FileDialogs.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

Value construct(NativeCall &call)
{
    ScriptObject *self = call.construct ? call.object() : nullptr;
    if (!self)
        return Undefined{};
    GiveOwnListeners(call, *self);
    // Made as the player's script makes it: by new Array().
    const Value array = call.cx.getMember(call.engine().global(), QStringLiteral("Array"));
    call.cx.setMember(self, QStringLiteral("fileList"), call.cx.construct(array, {}));
    return self;
}

} // namespace

const ClassDecl FileReferenceListClass{
    "flash.net.FileReferenceList",
    construct,
    {{"browse", NoFileDialog, FileDialogVersion}},
    {},
    {},
    FileReferencesVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {},
    InitializeListeners,
};

} // namespace swf
