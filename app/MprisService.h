#pragma once

#include "app/MprisState.h"

#include <QDBusConnection>
#include <QObject>

// The desktop's way to the player: MPRIS 2 on the session bus, as
// org.mpris.MediaPlayer2.tessaro, so media keys and now-playing controls
// reach it. Made once the three windows exist and destroyed before them.
// Without a session bus, or with the name taken, it stays absent: nothing
// is shown, at most one line goes to stderr.
//
// Every method runs the command of the panel's button (or the playlist's)
// after the call has been answered, so a dialog the command opens never holds
// the caller. Changes go out as PropertiesChanged from the player's own
// signals (the playing item, the clock, the volume, the playlist's rows);
// nothing polls.
class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char *ServiceName = "org.mpris.MediaPlayer2.tessaro";
    static constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";

    MprisService();
    ~MprisService() override;
    MprisService(const MprisService &) = delete;
    MprisService &operator=(const MprisService &) = delete;

    // True while the name is ours.
    bool isRegistered() const { return m_registered; }

    // What the properties read, now.
    MprisPlayerState state() const;
    qlonglong positionUs() const;
    double volume() const;
    void setVolume(double volume);

    // The methods of both interfaces.
    void raise();
    void quit();
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void seek(qlonglong offsetUs);
    void setPosition(const QDBusObjectPath &trackId, qlonglong positionUs);
    void openUri(const QString &uri);

signals:
    // The position jumped (Seek, SetPosition): the Player interface's Seeked.
    void seeked(qlonglong positionUs);

private:
    // Runs a command once the current call has been answered.
    template <typename Command> void later(Command command);
    void seekTo(std::int64_t positionUs);
    void scheduleRefresh();
    void refresh();

    QDBusConnection m_bus;
    bool m_registered = false;
    std::int64_t m_track = 0;
    bool m_refreshPending = false;
    // What the desktop was last told.
    QString m_status;
    QVariantMap m_metadata;
    double m_volume = 0;
    MprisAbilities m_can;
};
