// The commands behind the panel's buttons and bars.
#include "main/PanelLayout.h"
#include "main/PanelMath.h"
#include "main/TGbtn.h"
#include "main/TProgress.h"
#include "main/TfrmMain.h"
#include "list/TfrmList.h"
#include "platform/WaveVolume.h"
#include "player/TfrmPlayer.h"

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

void TfrmMain::PanelButtonClick(TGbtn *Sender)
{
    switch (Sender->Tag) {
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
