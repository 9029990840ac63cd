#pragma once

#include <QDBusObjectPath>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <optional>

// What the MPRIS 2 service (MprisService) tells the desktop, worked out from
// the player's state apart from D-Bus and any window, so a test can call it.
// Times on the bus are microseconds; the player counts 100 ns (media) or
// frames (movies).

// The player as the service sees it at one moment.
struct MprisPlayerState {
    QString path;               // the item that plays, empty for none
    bool clockRunning = false;  // the playback clock runs: playing, not paused
    std::int64_t track = 0;     // how many items have started; names the track
    std::int64_t lengthUs = -1; // the item's length, negative while not known
    bool media = false;         // an audio/video item (the media graph seeks)
    QString title;              // the stream's tags, empty where absent
    QString artist;
    int entryCount = 0;         // playlist entries
};

// What the Can* properties say.
struct MprisAbilities {
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
    bool canControl = true;
    friend bool operator==(const MprisAbilities &a, const MprisAbilities &b)
    {
        return a.canGoNext == b.canGoNext && a.canGoPrevious == b.canGoPrevious && a.canPlay == b.canPlay &&
               a.canPause == b.canPause && a.canSeek == b.canSeek && a.canControl == b.canControl;
    }
    friend bool operator!=(const MprisAbilities &a, const MprisAbilities &b) { return !(a == b); }
};

// The track id of nothing playing, as MPRIS names it.
extern const QString MprisNoTrack;

// "Playing", "Paused" or "Stopped".
QString MprisPlaybackStatus(const MprisPlayerState &state);
// The track's object path: MprisNoTrack when nothing plays.
QDBusObjectPath MprisTrackId(const MprisPlayerState &state);
// The Metadata map: empty when nothing plays, else mpris:trackid, xesam:url,
// xesam:title (the title tag, or the file's name), and mpris:length and
// xesam:artist where known.
QVariantMap MprisMetadata(const MprisPlayerState &state);
MprisAbilities MprisCan(const MprisPlayerState &state);

// The playlist entry Play starts when nothing is loaded: the current one,
// brought back into range; -1 for an empty playlist.
int MprisStartIndex(int currentIndex, int entryCount);

// 100 ns media time and microseconds.
std::int64_t MicrosecondsFromMediaTime(std::int64_t mediaTime);
std::int64_t MediaTimeFromMicroseconds(std::int64_t microseconds);
// A movie's frame at frameRate frames a second as microseconds (0 without a rate).
std::int64_t MicrosecondsFromFrames(std::int64_t frames, double frameRate);

// Where Seek(offset) goes from position in an item of lengthUs (negative:
// unknown): never before the start; nothing when it passes the end, which
// MPRIS makes a step to the next item.
std::optional<std::int64_t> MprisSeekTarget(std::int64_t positionUs, std::int64_t offsetUs, std::int64_t lengthUs);
// Whether SetPosition may go to positionUs: within 0 .. lengthUs.
bool MprisPositionAccepted(std::int64_t positionUs, std::int64_t lengthUs);

// The wave-output volume (both channels, 0 .. 65535 each) as the MPRIS
// Volume (0.0 .. 1.0, the mean of the channels), and back: both channels at
// once, clamped to 0 .. 1.
double MprisVolume(std::uint32_t leftAndRight);
std::uint32_t WaveVolumeFromMpris(double volume);

// The MIME types of the extensions in mediaExts (the playlist's MediaExts,
// ".swf, .avi, ..."), by the desktop's MIME database, each once.
QStringList MprisMimeTypes(const QString &mediaExts);
