// The commands behind the panel's buttons and bars.
#include "main/PanelLayout.h"
#include "main/PanelMath.h"
#include "main/TGbtn.h"
#include "main/TProgress.h"
#include "main/TfrmMain.h"
#include "list/Playlist.h"
#include "list/TfrmList.h"
#include "platform/WaveVolume.h"
#include "player/MediaGraph.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"

#include <QAction>

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

void TfrmMain::PlayOrPause(bool play)
{
    if (DSMP.Control) {
        play ? frmPlayer->Timer->start() : frmPlayer->Timer->stop();
        if (frmPlayer->Timer->isActive())
            DSMP.Control->Run();
        else
            DSMP.Control->Pause();
    } else if (Flash->FrameNum() >= 0) {
        play ? frmPlayer->Timer->start() : frmPlayer->Timer->stop();
        // Play always resumes a halted movie, whatever the auto-skip option says.
        if (frmPlayer->Timer->isActive())
            Flash->Play();
        else
            Flash->Stop();
    }
}

void TfrmMain::PanelButtonClick(TGbtn *Sender)
{
    switch (Sender->Tag) {
    case PanelLayout::TagPrev:
        PlayStep(false);
        break;
    case PanelLayout::TagPlay:
        PlayOrPause(true);
        break;
    case PanelLayout::TagPause:
        PlayOrPause(false);
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
