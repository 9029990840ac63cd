// The commands behind the panel's buttons and bars.
#include "main/PanelLayout.h"
#include "main/PanelMath.h"
#include "main/TGbtn.h"
#include "main/TProgress.h"
#include "main/TTextLable.h"
#include "main/TfrmMain.h"
#include "list/Playlist.h"
#include "list/TfrmList.h"
#include "platform/WaveVolume.h"
#include "player/MediaGraph.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"
#include "player/Transport.h"

#include <QAction>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace {
void toggleVisible(QWidget *window)
{
    if (window->isVisible()) {
        window->hide();
    } else {
        window->show();
        window->raise();
    }
}
} // namespace

void TfrmMain::ClockShown(const ClockView &view)
{
    if (view.bar)
        pbSeek->SetPosition(view.bar->place(pbSeek->width()));
    // The text is measured only when it turns, once a second, not on every tick.
    if (view.time && *view.time != lblTime->text())
        lblTime->setText(*view.time, ChangedTextRect(*m_timeMetrics, lblTime->rect(), lblTime->text(), *view.time));
    // Any item scrolls while it plays, audio and video as much as movies; a
    // title that fits stands still and is not repainted.
    const QString title = frmPlayer->Playing.caption();
    const int left = ScrollTitle(TitleWidth(title), lblTitle->width(), frmPlayer->Timer->isActive(), TitleScroll);
    if (left != m_titleLeft) {
        m_titleLeft = left;
        lblTitle->update();
    }
}

void TfrmMain::ClockStopped()
{
    pbSeek->SetPosition(1);
    lblTime->setText(ZeroTime);
}

void TfrmMain::StepStarted()
{
    pbSeek->SetPosition(1);
    TitleScroll = 0;
}

void TfrmMain::PanelButtonClick(TGbtn *Sender)
{
    switch (Sender->Tag) {
    case PanelLayout::TagPrev:
        PlayStep(false);
        break;
    case PanelLayout::TagPlay:
        frmPlayer->PlayOrPause(true);
        break;
    case PanelLayout::TagPause:
        frmPlayer->PlayOrPause(false);
        break;
    case PanelLayout::TagStop:
        frmPlayer->mnuStop->trigger();
        break;
    case PanelLayout::TagNext:
        PlayStep(true);
        break;
    case PanelLayout::TagAdd:
        frmList->mnuAddFile->trigger();
        break;
    case PanelLayout::TagTray:
        ShowTrayIcon(true);
        break;
    case PanelLayout::TagClose:
        close();
        break;
    case PanelLayout::TagPlayer:
        toggleVisible(frmPlayer);
        break;
    case PanelLayout::TagList:
        toggleVisible(frmList);
        break;
    default:
        break;
    }
}

int TfrmMain::GetWaveVolume() const
{
    const WaveVolume &volume = WaveVolume::process();
    return (int(volume.left()) + int(volume.right())) / 2;
}

void TfrmMain::VolumeTrack(int X)
{
    pbVolume->SetPosition(X);
    const auto v = std::uint32_t(BarToVolume(pbVolume->Position, pbVolume->width()));
    WaveVolume::process().setVolume(v + v * 65536u);
}

void TfrmMain::SeekTrack(int X)
{
    if (DSMP.Seeking) {
        // A stream of unknown length cannot be placed on the bar.
        if (Duration == MediaGraph::UnknownDuration)
            return;
        pbSeek->SetPosition(X);
        REFERENCE_TIME stop = 0;
        DSMP.Seeking->GetStopPosition(stop);
        REFERENCE_TIME t = SeekTime(pbSeek->Position, pbSeek->width(), Duration, stop);
        DSMP.Seeking->SetPositions(&t, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    } else if (Flash->FrameNum() >= 0) {
        pbSeek->SetPosition(X);
        const int f = SeekFrame(pbSeek->Position, pbSeek->width(), Flash->TotalFrames());
        LastFrame = f;
        Flash->GotoFrame(f);
    }
}

void TfrmMain::ShowTrayIcon(bool Show)
{
    if (!Show) {
        m_tray.remove();
        TrayIconShown = false;
        return;
    }
    TrayIconShown = m_tray.show(QIcon(QStringLiteral(":/art/tessaro@2x.png")), QStringLiteral("Brelvan"));
    MinimizeApplication(TrayIconShown);
}

void TfrmMain::WMTrayNotify(bool leftButton)
{
    if (leftButton) {
        RestoreApplication();
        ShowTrayIcon(false);
    } else {
        PopupMenu->popup(QCursor::pos());
    }
}

void TfrmMain::BringToFront()
{
    const bool inTray = TrayIconShown;
    RestoreApplication();
    if (inTray)
        ShowTrayIcon(false);
}

void TfrmMain::MinimizeApplication(bool intoTray)
{
    if (!m_minimisedWindows.isEmpty())
        return; // already minimised
    for (QWidget *window : {static_cast<QWidget *>(this), static_cast<QWidget *>(frmList),
                            static_cast<QWidget *>(frmPlayer)}) {
        if (window && window->isVisible())
            m_minimisedWindows.append(window);
    }
    // Into the tray every window hides, so the icon is all that is left.
    // Without a notification area the task bar is the way back: the windows
    // that have an entry there minimise, the playlist window hides.
    for (QWidget *window : std::as_const(m_minimisedWindows)) {
        if (intoTray || window == frmList)
            window->hide();
        else
            window->showMinimized();
    }
}

void TfrmMain::RestoreApplication()
{
    const QList<QWidget *> windows = std::exchange(m_minimisedWindows, {});
    // Coming back is not the program's start: the places stay as they are.
    m_restoring = true;
    for (QWidget *window : windows) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
    }
    m_restoring = false;
    raise();
    activateWindow();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    WMDropFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void TfrmMain::WMDropFiles(const QList<QUrl> &files)
{
    AddDroppedFiles(files);
}
