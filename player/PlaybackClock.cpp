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
#include <QPointer>

void PlayFile(const QString &fileName, std::function<void(bool started)> started)
{
    const auto tell = [started](bool ok) {
        if (started)
            started(ok);
    };
    const QString ext = AsciiLower(FileExtension(fileName));
    frmPlayer->mnuStop->trigger();
    if (ext == QLatin1String(".swf")) {
        Flash->setBackgroundColor(-1);
        try {
            Flash->setMovie(fileName);
        } catch (const swf::MovieError &error) {
            ShowErrorBox(QString::fromStdString(error.what()));
            tell(false);
            return;
        }
        Flash->Play();
        LastFrame = 0;
        frmPlayer->Timer->start();
        frmPlayer->Playing.set(fileName);
        tell(true);
        return;
    }
    // DSMP may outlive the player window (at shutdown it goes after the
    // windows): a start that ends once the window has gone changes nothing.
    StartMediaGraph(fileName, frmPlayer, [player = QPointer<TfrmPlayer>(frmPlayer), fileName, tell](bool ok) {
        if (!player)
            return;
        if (ok) {
            player->Timer->start();
            player->Playing.set(fileName);
        }
        tell(ok);
    });
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
