// The playback clock: starting items, stop, pause and resume, and the 333 ms
// tick that moves the panel's bars and notices the end of an item.
#include "PlaybackClock.h"

#include "list/Playlist.h"
#include "list/TListBoxs.h"
#include "main/TProgress.h"
#include "main/TTextLable.h"
#include "main/TfrmMain.h"
#include "platform/ErrorBox.h"
#include "platform/FileNames.h"
#include "player/MediaGraph.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"

#include <QAction>

namespace {
constexpr std::int64_t MsPerDay = 86'400'000;
const QString ZeroTime = QStringLiteral("0:00:00");
} // namespace

QString TimeText(std::int64_t ms)
{
    const std::int64_t t = ((ms % MsPerDay) + MsPerDay) % MsPerDay;
    const std::int64_t seconds = t / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

bool PlayFile(const QString &fileName)
{
    const QString ext = AsciiLower(FileExtension(fileName));
    frmPlayer->mnuStop->trigger();
    if (ext == QLatin1String(".swf")) {
        Flash->setBackgroundColor(-1);
        try {
            Flash->setMovie(fileName);
        } catch (const swf::MovieError &error) {
            ShowErrorBox(QString::fromStdString(error.what()));
            return false;
        }
        Flash->Play();
        LastFrame = 0;
    } else if (!StartMediaGraph(fileName, frmPlayer)) {
        return false;
    }
    frmPlayer->Timer->start();
    frmPlayer->setWindowTitle(fileName);
    PlayListBox->items().setPlaying(fileName, CurrentIndex);
    return true;
}

void TfrmPlayer::mnuStopClick()
{
    Timer->stop();
    FreeGraph(DSMP);
    Flash->setMovie(swf::FlashControl::NoMovie);
    Flash->setBackgroundColor(WindowColor);
    setWindowTitle(NoneMovie);
    PlayListBox->items().setPlaying(QString(), -1);
    frmMain->pbSeek->SetPosition(1);
    frmMain->lblTime->setText(ZeroTime);
}

void TfrmPlayer::mnuPlaypasueClick()
{
    if (DSMP.Control) {
        Timer->isActive() ? Timer->stop() : Timer->start();
        if (Timer->isActive())
            DSMP.Control->Run();
        else
            DSMP.Control->Pause();
    } else if (Flash->FrameNum() >= 0) {
        Timer->isActive() ? Timer->stop() : Timer->start();
        // Resuming always resumes, whatever the auto-skip option says.
        if (Timer->isActive())
            Flash->Play();
        else
            Flash->Stop();
    }
}

void TfrmPlayer::TimerTimer()
{
    TProgress *seek = frmMain->pbSeek;
    if (DSMP.Seeking) {
        RefreshDuration();
        REFERENCE_TIME pos = 0;
        DSMP.Seeking->GetCurrentPosition(pos);
        if (pos >= Duration) {
            PlayStep(true);
        } else {
            // An unknown length keeps the thumb at the start.
            if (Duration != MediaGraph::UnknownDuration)
                seek->SetPosition(int(std::int64_t(seek->width()) * pos / Duration));
            frmMain->lblTime->setText(TimeText(pos / 10000));
        }
    } else if (Flash->FrameNum() >= 0) {
        if (Flash->CurrentFrame() >= Flash->TotalFrames() - 1) {
            PlayStep(true);
        } else {
            if (!Flash->Playing() && mnuAutoSkip->isChecked())
                Flash->Play();
            if (mnuDisLoop->isChecked() && Flash->CurrentFrame() < LastFrame)
                PlayStep(true); // the movie jumped back: it looped
            else
                LastFrame = Flash->CurrentFrame();
            if (Flash->TotalFrames() != 0)
                seek->SetPosition(seek->width() * LastFrame / Flash->TotalFrames());
            frmMain->lblTime->setText(ZeroTime);
        }
    }
    frmMain->lblTitle->repaint();
}
