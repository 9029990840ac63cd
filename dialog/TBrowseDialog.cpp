#include "TBrowseDialog.h"

#include "platform/FileDialogs.h"

bool TBrowseDialog::Execute()
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Folder;
    const std::optional<QStringList> chosen = RunFileDialog(request);
    if (!chosen || chosen->isEmpty())
        return false;
    Directory = chosen->first();
    return true;
}
