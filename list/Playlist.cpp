#include "Playlist.h"

#include "list/TListBoxs.h"
#include "main/TProgress.h"
#include "main/TfrmMain.h"
#include "player/PlaybackClock.h"
#include "player/TFlash.h"
#include "player/TfrmPlayer.h"

int CurrentIndex = 0;

void PlayStep(bool Forward)
{
    frmMain->pbSeek->SetPosition(1);
    frmPlayer->Timer->stop();
    frmMain->TitleScroll = 0;
    const int count = PlayListBox->items().count();
    if (count == 0) {
        frmPlayer->mnuStop->trigger();
        return;
    }
    CurrentIndex += Forward ? 1 : -1;
    if (CurrentIndex >= count)
        CurrentIndex = 0;
    else if (CurrentIndex < 0)
        CurrentIndex = count - 1;
    PlayFile(PlayListBox->items().entry(CurrentIndex));
    PlayListBox->viewport()->repaint();
}

void PlayAdded(int Count)
{
    // The movie name is empty only until the player first opens or stops an item.
    if (!Flash->Movie().isEmpty())
        return;
    const int count = PlayListBox->items().count();
    CurrentIndex = count - Count;
    if (CurrentIndex < 0)
        CurrentIndex = 0;
    else if (CurrentIndex >= count)
        CurrentIndex = count - 1;
    if (count > 0)
        PlayFile(PlayListBox->items().entry(CurrentIndex));
}

void StartEntry(int Index)
{
    CurrentIndex = Index;
    PlayFile(PlayListBox->items().entry(Index));
}
