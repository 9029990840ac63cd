#include "MprisService.h"

#include "list/Playlist.h"
#include "list/PlaylistModel.h"
#include "main/PanelMath.h"
#include "main/TGbtn.h"
#include "main/TProgress.h"
#include "main/TfrmMain.h"
#include "platform/WaveVolume.h"
#include "player/MediaGraph.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// The panel's button of this tag, clicked.
void clickPanel(int tag)
{
    if (frmMain)
        frmMain->PanelButtonClick(frmMain->button(tag));
}

} // namespace

// org.mpris.MediaPlayer2: the application.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisService *service)
        : QDBusAbstractAdaptor(service)
        , m_service(service)
    {
    }
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Tessaro"); }
    QString desktopEntry() const { return QStringLiteral("tessaro"); }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const { return MprisMimeTypes(MediaExts); }

public slots:
    void Raise() { m_service->raise(); }
    void Quit() { m_service->quit(); }

private:
    MprisService *m_service;
};

// org.mpris.MediaPlayer2.Player: the transport.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    explicit MprisPlayerAdaptor(MprisService *service)
        : QDBusAbstractAdaptor(service)
        , m_service(service)
    {
        connect(service, &MprisService::seeked, this, &MprisPlayerAdaptor::Seeked);
    }
    QString playbackStatus() const { return MprisPlaybackStatus(m_service->state()); }
    double rate() const { return 1.0; }
    void setRate(double) {}
    QVariantMap metadata() const { return MprisMetadata(m_service->state()); }
    double volume() const { return m_service->volume(); }
    void setVolume(double volume) { m_service->setVolume(volume); }
    qlonglong position() const { return m_service->positionUs(); }
    bool canGoNext() const { return MprisCan(m_service->state()).canGoNext; }
    bool canGoPrevious() const { return MprisCan(m_service->state()).canGoPrevious; }
    bool canPlay() const { return MprisCan(m_service->state()).canPlay; }
    bool canPause() const { return MprisCan(m_service->state()).canPause; }
    bool canSeek() const { return MprisCan(m_service->state()).canSeek; }
    bool canControl() const { return MprisCan(m_service->state()).canControl; }

public slots:
    void Play() { m_service->play(); }
    void Pause() { m_service->pause(); }
    void PlayPause() { m_service->playPause(); }
    void Stop() { m_service->stop(); }
    void Next() { m_service->next(); }
    void Previous() { m_service->previous(); }
    void Seek(qlonglong Offset) { m_service->seek(Offset); }
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position) { m_service->setPosition(TrackId, Position); }
    void OpenUri(const QString &Uri) { m_service->openUri(Uri); }

signals:
    void Seeked(qlonglong Position);

private:
    MprisService *m_service;
};

MprisService::MprisService()
    : m_bus(QDBusConnection::sessionBus())
{
    if (!m_bus.isConnected())
        return; // no session bus: no service, nothing said
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    if (!m_bus.registerObject(QString::fromLatin1(ObjectPath), this, QDBusConnection::ExportAdaptors))
        return;
    if (!m_bus.registerService(QString::fromLatin1(ServiceName))) {
        m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
        std::fprintf(stderr, "tessaro: %s is taken on the session bus; media keys stay with its owner\n",
                     ServiceName);
        return;
    }
    m_registered = true;

    const MprisPlayerState now = state();
    m_status = MprisPlaybackStatus(now);
    m_metadata = MprisMetadata(now);
    m_can = MprisCan(now);
    m_volume = volume();

    connect(&frmPlayer->Playing, &PlayingItem::changed, this, [this](const QString &path) {
        if (!path.isEmpty())
            ++m_track; // a new item, even when the same file starts again
        scheduleRefresh();
    });
    // The clock's ticks carry a length that becomes known and tags that arrive late.
    connect(frmPlayer, &TfrmPlayer::clockShown, this, &MprisService::scheduleRefresh);
    connect(frmPlayer, &TfrmPlayer::clockStopped, this, &MprisService::scheduleRefresh);
    connect(frmPlayer, &TfrmPlayer::clockSwitched, this, &MprisService::scheduleRefresh);
    connect(&WaveVolume::process(), &WaveVolume::changed, this, &MprisService::scheduleRefresh);
    if (PlayListItems) {
        connect(PlayListItems, &QAbstractItemModel::rowsInserted, this, &MprisService::scheduleRefresh);
        connect(PlayListItems, &QAbstractItemModel::rowsRemoved, this, &MprisService::scheduleRefresh);
        connect(PlayListItems, &QAbstractItemModel::modelReset, this, &MprisService::scheduleRefresh);
    }
}

MprisService::~MprisService()
{
    if (!m_registered)
        return;
    m_bus.unregisterService(QString::fromLatin1(ServiceName));
    m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
}

MprisPlayerState MprisService::state() const
{
    MprisPlayerState s;
    s.entryCount = PlayListItems ? PlayListItems->count() : 0;
    if (!frmPlayer)
        return s;
    s.path = frmPlayer->Playing.path();
    s.clockRunning = frmPlayer->Timer->isActive();
    s.track = m_track;
    if (s.path.isEmpty())
        return s;
    if (DSMP.Seeking) {
        s.media = true;
        if (Duration != MediaGraph::UnknownDuration && Duration > 0)
            s.lengthUs = MicrosecondsFromMediaTime(Duration);
    } else if (Flash && Flash->FrameNum() >= 0) {
        const std::int64_t length = MicrosecondsFromFrames(Flash->TotalFrames(), Flash->control().frameRate());
        if (length > 0)
            s.lengthUs = length;
    }
    if (DSMP.Content) {
        DSMP.Content->get_Title(s.title);
        DSMP.Content->get_AuthorName(s.artist);
    }
    return s;
}

qlonglong MprisService::positionUs() const
{
    if (!frmPlayer || frmPlayer->Playing.isNone())
        return 0;
    if (DSMP.Seeking) {
        REFERENCE_TIME position = 0;
        DSMP.Seeking->GetCurrentPosition(position);
        return std::max<qlonglong>(0, MicrosecondsFromMediaTime(position));
    }
    if (Flash && Flash->FrameNum() >= 0)
        return MicrosecondsFromFrames(Flash->CurrentFrame(), Flash->control().frameRate());
    return 0;
}

double MprisService::volume() const
{
    return MprisVolume(WaveVolume::process().volume());
}

void MprisService::setVolume(double volume)
{
    WaveVolume::process().setVolume(WaveVolumeFromMpris(volume));
    // The panel's bar shows the new volume as its own drags do.
    if (frmMain)
        frmMain->pbVolume->SetPosition(VolumeToBar(frmMain->GetWaveVolume(), frmMain->pbVolume->width()));
}

template <typename Command> void MprisService::later(Command command)
{
    QMetaObject::invokeMethod(this, command, Qt::QueuedConnection);
}

void MprisService::raise()
{
    later([] {
        if (!frmMain)
            return;
        if (frmMain->TrayIconShown)
            frmMain->WMTrayNotify(true); // the tray icon's left click: the windows come back
        frmMain->setWindowState(frmMain->windowState() & ~Qt::WindowMinimized);
        frmMain->show();
        frmMain->raise();
        frmMain->activateWindow();
    });
}

void MprisService::quit()
{
    later([] { clickPanel(PanelLayout::TagClose); });
}

void MprisService::play()
{
    later([this] {
        if (!frmPlayer->Playing.isNone()) {
            clickPanel(PanelLayout::TagPlay);
            return;
        }
        // Stopped: the current entry starts, as a double click on it does.
        const int index = MprisStartIndex(CurrentIndex, state().entryCount);
        if (index >= 0)
            StartEntry(index);
    });
}

void MprisService::pause()
{
    later([] { clickPanel(PanelLayout::TagPause); });
}

void MprisService::playPause()
{
    if (frmPlayer->Playing.isNone()) {
        play();
        return;
    }
    later([] { frmPlayer->mnuPlaypasue->trigger(); });
}

void MprisService::stop()
{
    later([] { clickPanel(PanelLayout::TagStop); });
}

void MprisService::next()
{
    later([this] {
        if (MprisCan(state()).canGoNext)
            clickPanel(PanelLayout::TagNext);
    });
}

void MprisService::previous()
{
    later([this] {
        if (MprisCan(state()).canGoPrevious)
            clickPanel(PanelLayout::TagPrev);
    });
}

void MprisService::seek(qlonglong offsetUs)
{
    later([this, offsetUs] {
        const MprisPlayerState now = state();
        if (!MprisCan(now).canSeek)
            return;
        const std::optional<std::int64_t> target = MprisSeekTarget(positionUs(), offsetUs, now.lengthUs);
        if (target)
            seekTo(*target);
        else
            clickPanel(PanelLayout::TagNext); // past the end: the next item
    });
}

void MprisService::setPosition(const QDBusObjectPath &trackId, qlonglong positionUs)
{
    later([this, trackId, positionUs] {
        const MprisPlayerState now = state();
        if (MprisCan(now).canSeek && trackId == MprisTrackId(now) && MprisPositionAccepted(positionUs, now.lengthUs))
            seekTo(positionUs);
    });
}

void MprisService::seekTo(std::int64_t positionUs)
{
    // As the panel's seek bar does: absolute, no further than the stop position.
    REFERENCE_TIME stop = 0;
    DSMP.Seeking->GetStopPosition(stop);
    REFERENCE_TIME t = std::min(MediaTimeFromMicroseconds(positionUs), stop);
    DSMP.Seeking->SetPositions(&t, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    emit seeked(MicrosecondsFromMediaTime(t));
}

void MprisService::openUri(const QString &uri)
{
    const QUrl url(uri);
    if (!url.isLocalFile())
        return;
    later([url] {
        if (!PlayListItems)
            return;
        // Added as a dropped file is; then it starts where it landed (the
        // list may keep its entries sorted).
        const int before = PlayListItems->count();
        AddDroppedFiles({url});
        if (PlayListItems->count() == before)
            return;
        const int row = int(PlayListItems->entries().lastIndexOf(url.toLocalFile()));
        if (row >= 0)
            StartEntry(row);
    });
}

void MprisService::scheduleRefresh()
{
    // One look after the event that caused it and its neighbours (a step
    // stops one item and starts the next): one PropertiesChanged for both.
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(this, &MprisService::refresh, Qt::QueuedConnection);
}

void MprisService::refresh()
{
    m_refreshPending = false;
    if (!m_registered)
        return;
    const MprisPlayerState now = state();
    QVariantMap changed;
    const QString status = MprisPlaybackStatus(now);
    if (status != m_status)
        changed.insert(QStringLiteral("PlaybackStatus"), m_status = status);
    const QVariantMap metadata = MprisMetadata(now);
    if (metadata != m_metadata)
        changed.insert(QStringLiteral("Metadata"), m_metadata = metadata);
    const double level = volume();
    if (level != m_volume)
        changed.insert(QStringLiteral("Volume"), m_volume = level);
    const MprisAbilities can = MprisCan(now);
    if (can != m_can) {
        changed.insert(QStringLiteral("CanGoNext"), can.canGoNext);
        changed.insert(QStringLiteral("CanGoPrevious"), can.canGoPrevious);
        changed.insert(QStringLiteral("CanPlay"), can.canPlay);
        changed.insert(QStringLiteral("CanPause"), can.canPause);
        changed.insert(QStringLiteral("CanSeek"), can.canSeek);
        changed.insert(QStringLiteral("CanControl"), can.canControl);
        m_can = can;
    }
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

#include "MprisService.moc"
