#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class PlaylistModel;

// The playlist's operations, on the playlist's entries (PlayListItems, which
// PlayListBox shows); every addition is one batch.

// The playlist's entries, owned by the playlist window; null without it.
extern PlaylistModel *PlayListItems;

// The media types admitted when folders are scanned or files are dropped.
extern const QString MediaExts;

// The entry started last; never adjusted when entries change, brought back
// into range before use.
extern int CurrentIndex;

// True when the name's lower-cased extension occurs anywhere in MediaExts
// (so ".mp", ".w" and a lone "." pass too, while ".mp5" does not).
bool IsMediaFile(const QString &name);

// Starts the next (Forward) or previous entry, wrapping around and passing
// over entries that cannot be opened; stops playback when the playlist is
// empty, and leaves the player idle when no entry opens.
void PlayStep(bool Forward);
// PlayStep, then landed once the step has ended: an entry plays, or none
// could. A step that a newer start or a stop drops never lands.
void PlayStepThen(bool Forward, std::function<void()> landed);
// Called as each step begins, before anything stops; the program's start-up
// sets it so the panel puts its seek bar and its scrolling title back.
extern std::function<void()> StepStarting;
// Starts the first of the Count entries just appended, when the player has
// been idle since start-up.
void PlayAdded(int Count);
// Makes entry Index the current one and starts it.
void StartEntry(int Index);
// Marks the entry that plays, given the playing item's path (empty: none);
// the player's playing item reports every change here.
void ShowPlaying(const QString &path);

// The paths a playlist file can keep; the others are reported in one error
// box, each with its reason, after the refusals already found.
QStringList KeepableNames(const QStringList &paths, QStringList refused = {});

void AddFiles(const QStringList &paths);
// Dropped files: the local media files go to the end of the playlist, in the
// reverse order of the drop, a dropped playlist file (of any format read by
// ReadAnyPlaylist) with its entries in their order; nothing starts.
void AddDroppedFiles(const QList<QUrl> &files);
// Appends the media files found directly in Folder, sorted by name.
void AddFolder(const QString &Folder);
// Files opened from outside the program (its command line, a second start):
// a folder gives its media files as AddFolder does, a playlist file (of any
// format ReadAnyPlaylist reads) its entries, any other path is kept when it
// passes IsMediaFile. They go to the end of the playlist in the order
// given, and the first of them starts at once, whatever played before.
void OpenFiles(const QStringList &paths);
// Appends a playlist file's entries (the program's own or another player's
// format); reports a file that cannot be read.
void AddList(const QString &fileName);
// Replaces the playlist by a playlist file's entries.
void LoadList(const QString &fileName);
// Writes the playlist; reports a file that cannot be written.
void SaveList(const QString &fileName);
// Removes the entries at these rows.
void RemoveEntries(const QList<int> &rows);
void ClearList();
// Removes every entry that does not name an existing file.
void TrimList();

// The default playlist beside the executable.
QString DefaultPlaylistFileName();
// Loads it at start-up when it exists; nothing starts, nothing is reported.
// False when it exists but could not be read.
bool LoadDefaultPlaylist();
// Writes it at shutdown; a failure is reported and shutdown goes on.
void SaveDefaultPlaylist();
