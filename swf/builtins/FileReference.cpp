// flash.net.FileReference: a file the user picks to upload, or a download
// to save. This player offers movies no file dialogs, so nothing is ever
// picked: browse, upload and download answer false, and a reference knows
// no file to describe.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "FileDialogs.h"

namespace swf {

namespace {

Value noFile(NativeCall &) { return Undefined{}; }

Value construct(NativeCall &call)
{
    ScriptObject *self = call.construct ? call.object() : nullptr;
    if (!self)
        return Undefined{};
    GiveOwnListeners(call, *self);
    return self;
}

} // namespace

const ClassDecl FileReferenceClass{
    "flash.net.FileReference",
    construct,
    {{"browse", NoFileDialog, FileDialogVersion},
     {"upload", NoFileDialog, FileDialogVersion},
     {"download", NoFileDialog, FileDialogVersion},
     {"cancel", noFile, FileDialogVersion}},
    {},
    {},
    FileReferencesVersion,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"creationDate", noFile},
     {"creator", noFile},
     {"modificationDate", noFile},
     {"name", noFile},
     {"size", noFile},
     {"type", noFile}},
    InitializeListeners,
};

} // namespace swf
