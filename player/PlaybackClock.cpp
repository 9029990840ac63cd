// The playback clock: starting items, stop, pause and resume, and the 333 ms
// tick that notices the end of an item and tells the panel what to show.
#include "PlaybackClock.h"

#include "platform/ErrorBox.h"
#include "platform/FileNames.h"
#include "player/MediaGraph.h"
#include "player/TDSMP.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"

#include <QAction>

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
    frmPlayer->Playing.set(fileName);
    return true;
}

void TfrmPlayer::mnuStopClick()
{
    Timer->stop();
    FreeGraph(DSMP);
    Flash->setMovie(swf::FlashControl::NoMovie);
    Flash->setBackgroundColor(WindowColor);
    Playing.clear();
    emit clockStopped();
}

void TfrmPlayer::PlayOrPause(bool play)
{
    if (DSMP.Control) {
        play ? Timer->start() : Timer->stop();
        if (Timer->isActive())
            DSMP.Control->Run();
        else
            DSMP.Control->Pause();
    } else if (Flash->FrameNum() >= 0) {
        play ? Timer->start() : Timer->stop();
        // Resuming always resumes a halted movie, whatever the auto-skip option says.
        if (Timer->isActive())
            Flash->Play();
        else
            Flash->Stop();
    } else {
        return;
    }
    emit clockSwitched(Timer->isActive());
}

void TfrmPlayer::mnuPlaypasueClick()
{
    PlayOrPause(!Timer->isActive());
}

void TfrmPlayer::TimerTimer()
{
    ClockView view;
    if (DSMP.Seeking) {
        RefreshDuration();
        REFERENCE_TIME pos = 0;
        DSMP.Seeking->GetCurrentPosition(pos);
        const MediaTickOutcome outcome = MediaTick(pos, Duration, MediaGraph::UnknownDuration);
        if (outcome.ended)
            emit itemEnded();
        view = outcome.view;
    } else if (Flash->FrameNum() >= 0) {
        const MovieTickOutcome outcome =
            MovieTick({Flash->CurrentFrame(), Flash->TotalFrames(), Flash->Playing(), mnuAutoSkip->isChecked(),
                       mnuDisLoop->isChecked(), LastFrame});
        if (outcome.resume)
            Flash->Play();
        LastFrame = outcome.lastFrame;
        if (outcome.ended)
            emit itemEnded();
        view = outcome.view;
    }
    emit clockShown(view);
}
