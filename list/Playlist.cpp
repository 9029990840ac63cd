#include "Playlist.h"

#include "list/PlaylistFile.h"
#include "list/PlaylistFormats.h"
#include "list/PlaylistModel.h"
#include "list/PlaylistStep.h"
#include "platform/ErrorBox.h"
#include "platform/FileNames.h"
#include "platform/FolderListing.h"
#include "player/PlaybackClock.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"
#include "skin/Settings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

const QString MediaExts = QStringLiteral(".swf, .avi, .mp3, .mpg, .asf, .wmv, .wma, .wav, .mid, "
                                         ".mp4, .m4a, .m4v, .mkv, .webm, .mov, .ogg, .oga, .ogv, .opus, "
                                         ".flac, .aac, .3gp, .flv");
int CurrentIndex = 0;
PlaylistModel *PlayListItems = nullptr;
std::function<void()> StepStarting;

namespace {

PlaylistModel &items()
{
    return *PlayListItems;
}

void reportOpen(const QString &fileName, const QString &reason)
{
    ShowErrorBox(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason));
}

void reportCreate(const QString &fileName, const QString &reason)
{
    ShowErrorBox(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
}

// A playlist file's entries, the file reported when it cannot be read.
QStringList playlistEntries(const QString &fileName)
{
    QString reason;
    const std::optional<QStringList> entries = ReadAnyPlaylist(fileName, &reason);
    if (!entries)
        reportOpen(fileName, reason);
    return entries.value_or(QStringList());
}

} // namespace

bool IsMediaFile(const QString &name)
{
    const QString ext = AsciiLower(FileExtension(name));
    return !ext.isEmpty() && MediaExts.contains(ext);
}

void PlayStep(bool Forward)
{
    PlayStepThen(Forward, {});
}

void PlayStepThen(bool Forward, std::function<void()> landed)
{
    if (StepStarting)
        StepStarting();
    frmPlayer->Timer->stop();
    const int count = items().count();
    if (count == 0) {
        frmPlayer->mnuStop->trigger();
        if (landed)
            landed();
        return;
    }
    // A missing or unplayable entry is passed over, once round at most; a
    // start that fails in its preroll takes the step on from there, and a
    // newer start that drops it ends the step.
    StepToPlayable(
        CurrentIndex, count, Forward,
        [](int index, const std::function<void(bool)> &started) {
            CurrentIndex = index;
            // Events run while an item starts, and in an error box shown for
            // a broken movie: the list may have changed.
            if (index < items().count())
                PlayFile(items().entry(index), started);
            else
                started(false);
        },
        [landed](const StepOutcome &) {
            if (landed)
                landed();
        });
}

void PlayAdded(int Count)
{
    // The movie name is empty only until the player first opens or stops an item.
    if (!Flash->Movie().isEmpty())
        return;
    const int count = items().count();
    CurrentIndex = FirstAddedIndex(count, Count);
    if (count > 0)
        PlayFile(items().entry(CurrentIndex));
}

void StartEntry(int Index)
{
    CurrentIndex = Index;
    PlayFile(items().entry(Index));
}

void ShowPlaying(const QString &path)
{
    if (PlayListItems)
        PlayListItems->setPlaying(path, path.isEmpty() ? -1 : CurrentIndex);
}

QStringList KeepableNames(const QStringList &paths, QStringList refused)
{
    QStringList kept;
    for (const QString &path : paths) {
        const QString reason = UnkeepableNameReason(path);
        if (reason.isEmpty())
            kept.append(path);
        else
            refused.append(QStringLiteral("Cannot add \"%1\". %2").arg(PrintableName(path), reason));
    }
    if (!refused.isEmpty())
        ShowErrorBox(refused.join(u'\n'));
    return kept;
}

void AddFiles(const QStringList &paths)
{
    const QStringList kept = KeepableNames(paths);
    items().append(kept);
    PlayAdded(int(kept.size()));
}

void AddDroppedFiles(const QList<QUrl> &files)
{
    QStringList added;
    for (qsizetype i = files.size() - 1; i >= 0; --i) {
        const QString path = files[i].toLocalFile();
        if (path.isEmpty())
            continue;
        if (IsMediaFile(path)) {
            added.append(path);
        } else if (IsPlaylistFileName(path)) {
            // A dropped playlist brings its entries, in its own order.
            if (const std::optional<QStringList> entries = ReadAnyPlaylist(path, nullptr))
                added.append(*entries);
        }
    }
    items().append(KeepableNames(added));
}

namespace {

// The media files found directly in Folder, sorted by name; the names that
// cannot be kept are added to refused, as KeepableNames reports them.
QStringList FolderMediaFiles(const QString &Folder, QStringList &refused)
{
    const FolderListing listing = ListFolderFiles(Folder);
    QStringList found;
    for (const QString &name : listing.names) {
        if (IsMediaFile(name))
            found.append(Folder + u'/' + name);
    }
    for (const QString &name : listing.undecodable) {
        if (IsMediaFile(name))
            refused.append(QStringLiteral("Cannot add \"%1\". %2")
                               .arg(PrintableName(Folder + u'/' + name), UndecodableNameReason));
    }
    PlaylistModel::SortIgnoringCase(found);
    return found;
}

} // namespace

void AddFolder(const QString &Folder)
{
    QStringList refused;
    QStringList found = FolderMediaFiles(Folder, refused);
    found = KeepableNames(found, refused);
    items().append(found);
    PlayAdded(int(found.size()));
}

void OpenFiles(const QStringList &paths)
{
    QStringList collected;
    QStringList refused;
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir())
            collected += FolderMediaFiles(QDir::cleanPath(path), refused);
        else if (IsMediaFile(path))
            collected.append(path);
        else if (IsPlaylistFileName(path))
            collected += playlistEntries(path);
    }
    const QStringList kept = KeepableNames(collected, refused);
    if (kept.isEmpty())
        return;
    const int before = items().count();
    items().append(kept);
    // A sorted list puts the first of them at its sorted place.
    StartEntry(items().sorted() ? int(items().entries().indexOf(kept.first())) : before);
}

void AddList(const QString &fileName)
{
    QString reason;
    const std::optional<QStringList> entries = ReadAnyPlaylist(fileName, &reason);
    if (!entries) {
        reportOpen(fileName, reason);
        return;
    }
    items().append(*entries);
    PlayAdded(int(entries->size()));
}

void LoadList(const QString &fileName)
{
    QString reason;
    const std::optional<QStringList> entries = ReadAnyPlaylist(fileName, &reason);
    if (!entries) {
        reportOpen(fileName, reason);
        return;
    }
    items().replaceAll(*entries);
    PlayAdded(0);
}

void SaveList(const QString &fileName)
{
    QString reason;
    if (!WritePlaylistFile(fileName, items().entries(), &reason))
        reportCreate(fileName, reason);
}

void RemoveEntries(const QList<int> &rows)
{
    items().removeRows(rows);
}

void ClearList()
{
    items().clear();
}

void TrimList()
{
    QList<int> missing;
    for (int i = items().count() - 1; i >= 0; --i) {
        const QString &entry = items().entry(i);
        if (entry.isEmpty() || !QFileInfo(entry).isFile())
            missing.append(i);
    }
    items().removeRows(missing);
}

QString DefaultPlaylistFileName()
{
    return AppPath + QStringLiteral("default.pls");
}

bool LoadDefaultPlaylist()
{
    const QString fileName = DefaultPlaylistFileName();
    if (!QFileInfo::exists(fileName))
        return true;
    const std::optional<QStringList> entries = ReadPlaylistFile(fileName, nullptr);
    if (entries)
        items().replaceAll(*entries);
    return entries.has_value();
}

void SaveDefaultPlaylist()
{
    SaveList(DefaultPlaylistFileName());
}
