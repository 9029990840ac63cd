#pragma once

#include <QString>

#include <functional>

// Moving and deleting files the way a desktop user expects: deleting sends
// the file to the desktop trash, moving puts it into a folder (renaming, or
// copying then removing across file systems) and asks before it replaces a
// file of the same name. A failure is reported in the error box with its
// reason, and the file stays where it was.

// Sends the file to the trash; false (reported) when it could not.
bool TrashFile(const QString &path);
// Moves the file into folder; false when it did not move (reported, unless
// the user chose not to replace).
bool MoveFileInto(const QString &path, const QString &folder);

// Asks whether to replace an existing file; tests put an answer in its place.
using ReplaceQuestion = std::function<bool(const QString &existing)>;
ReplaceQuestion SetReplaceQuestion(ReplaceQuestion question);
