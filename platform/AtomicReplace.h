#pragma once

#include <QByteArray>
#include <QString>

// Replacing a file's whole content in one step: the new bytes go to a
// temporary file beside it, reach the disk, and are then renamed over the
// file, so a reader (or the next start after a kill) finds either the old
// content or the new, never a mix. The temporary files carry a name of their
// own, <file>.tessaro-tmp-<8 hex digits>, so leftovers of an interrupted replace are
// recognised and removed.
namespace AtomicReplace {

// What follows the file's name in the names of its temporary files.
inline constexpr char TemporaryMark[] = ".tessaro-tmp-";

// Replaces fileName (the file a symbolic link names, when it is one) with
// bytes, keeping its permissions. Returns false, leaving the file as it was,
// when the replace could not be made; fileName naming something other than a
// regular file counts as such.
bool ReplaceFile(const QString &fileName, const QByteArray &bytes);

// Removes the temporary files an interrupted ReplaceFile of fileName left behind.
void RemoveStaleTemporaries(const QString &fileName);

} // namespace AtomicReplace
