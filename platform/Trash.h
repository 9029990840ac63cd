#pragma once

#include <QString>

// The desktop trash as freedesktop.org's desktop trash layout has it: a
// file on the home file system goes to $XDG_DATA_HOME/Trash, a file on another
// mount to that mount's $topdir/.Trash/$uid or $topdir/.Trash-$uid. Each trash
// folder holds files/ and info/; the NAME.trashinfo beside a trashed NAME
// says where it came from and when it went. Missing folders are made, private
// to the user (mode 0700).
namespace Trash {

// $XDG_DATA_HOME/Trash, with ~/.local/share when XDG_DATA_HOME is unset, empty
// or relative; empty when there is no absolute home folder either.
QString HomeTrashFolder();

// The trash of the mount whose top folder is topdir, for the user uid: the
// shared $topdir/.Trash/$uid when $topdir/.Trash is a real folder with the
// sticky bit, else $topdir/.Trash-$uid.
QString TopdirTrashFolder(const QString &topdir, uint uid);

struct Result {
    bool moved = false;
    QString error;     // why not, when not moved
    QString trashedAs; // the file's new path, in trashFolder/files
    QString infoFile;  // its .trashinfo
};

// Moves the file (or link, or folder) at path into the trash folder, making
// the folder as needed. The .trashinfo is made first, under a name no other
// trashed file holds, then the file is renamed beside it. When topdir is
// given, the recorded path is relative to it. On any failure nothing is left
// behind and the file stays where it was.
Result MoveIntoTrashFolder(const QString &path, const QString &trashFolder, const QString &topdir = QString());

// Moves the file into the trash of its file system.
Result MoveToTrash(const QString &path);

} // namespace Trash
