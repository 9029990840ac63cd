#include "MprisState.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <limits>

const QString MprisNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString MprisPlaybackStatus(const MprisPlayerState &state)
{
    if (state.path.isEmpty())
        return QStringLiteral("Stopped");
    return state.clockRunning ? QStringLiteral("Playing") : QStringLiteral("Paused");
}

QDBusObjectPath MprisTrackId(const MprisPlayerState &state)
{
    if (state.path.isEmpty())
        return QDBusObjectPath(MprisNoTrack);
    return QDBusObjectPath(QStringLiteral("/org/tessaro/Track/%1").arg(state.track));
}

QVariantMap MprisMetadata(const MprisPlayerState &state)
{
    QVariantMap metadata;
    if (state.path.isEmpty())
        return metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(MprisTrackId(state)));
    const QFileInfo file(state.path);
    metadata.insert(QStringLiteral("xesam:url"),
                    QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded));
    metadata.insert(QStringLiteral("xesam:title"), state.title.isEmpty() ? file.fileName() : state.title);
    if (!state.artist.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{state.artist});
    if (state.lengthUs > 0)
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(state.lengthUs));
    return metadata;
}

MprisAbilities MprisCan(const MprisPlayerState &state)
{
    const bool loaded = !state.path.isEmpty();
    MprisAbilities can;
    // The playlist wraps round: with any entry there is a next and a previous.
    can.canGoNext = state.entryCount > 0;
    can.canGoPrevious = state.entryCount > 0;
    can.canPlay = loaded || state.entryCount > 0;
    can.canPause = loaded;
    can.canSeek = loaded && state.media && state.lengthUs > 0;
    can.canControl = true;
    return can;
}

int MprisStartIndex(int currentIndex, int entryCount)
{
    if (entryCount <= 0)
        return -1;
    return currentIndex >= 0 && currentIndex < entryCount ? currentIndex : 0;
}

std::int64_t MicrosecondsFromMediaTime(std::int64_t mediaTime)
{
    return mediaTime / 10;
}

std::int64_t MediaTimeFromMicroseconds(std::int64_t microseconds)
{
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10;
    return std::clamp(microseconds, -limit, limit) * 10;
}

std::int64_t MicrosecondsFromFrames(std::int64_t frames, double frameRate)
{
    if (!(frameRate > 0) || frames <= 0)
        return 0;
    return std::int64_t(std::llround(double(frames) * 1e6 / frameRate));
}

std::optional<std::int64_t> MprisSeekTarget(std::int64_t positionUs, std::int64_t offsetUs, std::int64_t lengthUs)
{
    // Saturating: an offset of any size stays a time.
    std::int64_t target = 0;
    if (__builtin_add_overflow(positionUs, offsetUs, &target))
        target = offsetUs > 0 ? std::numeric_limits<std::int64_t>::max() : 0;
    target = std::max<std::int64_t>(0, target);
    if (lengthUs >= 0 && target > lengthUs)
        return std::nullopt;
    return target;
}

bool MprisPositionAccepted(std::int64_t positionUs, std::int64_t lengthUs)
{
    return positionUs >= 0 && (lengthUs < 0 || positionUs <= lengthUs);
}

double MprisVolume(std::uint32_t leftAndRight)
{
    const std::uint32_t left = leftAndRight & 0xFFFFu, right = leftAndRight >> 16;
    return (double(left) + double(right)) / 2.0 / 65535.0;
}

std::uint32_t WaveVolumeFromMpris(double volume)
{
    if (std::isnan(volume))
        volume = 0;
    const auto v = std::uint32_t(std::lround(std::clamp(volume, 0.0, 1.0) * 65535.0));
    return v + v * 65536u;
}

QStringList MprisMimeTypes(const QString &mediaExts)
{
    const QMimeDatabase database;
    QStringList types;
    for (const QString &part : mediaExts.split(u',', Qt::SkipEmptyParts)) {
        const QString ext = part.trimmed();
        if (ext.size() < 2)
            continue;
        const QMimeType type = database.mimeTypeForFile(QStringLiteral("x") + ext, QMimeDatabase::MatchExtension);
        if (type.isValid() && !type.isDefault() && !types.contains(type.name()))
            types.append(type.name());
    }
    return types;
}
