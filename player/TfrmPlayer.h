#pragma once

#include "platform/FileDialogs.h"
#include "player/ClockTick.h"
#include "player/PlayingItem.h"

#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class TFlash;

// The player window: an ordinary resizable window with a black client area in
// which video and movies appear. It owns the playback clock, the item that
// plays (its caption follows it) and the popup menu of player commands. What
// the clock and the menu ask of the playlist and the panel goes out through
// the signals and the hook below, which the program's start-up connects.
class TfrmPlayer : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultLeft = 430;
    static constexpr int DefaultTop = 96;
    static constexpr int DefaultWidth = 328;
    static constexpr int DefaultHeight = 267;
    static constexpr int ClockInterval = 333;
    // The window's own colour (black) as 0x00BBGGRR, given to the blank movie control.
    static constexpr int WindowColor = 0x000000;

    explicit TfrmPlayer(QWidget *parent = nullptr);
    ~TfrmPlayer() override;

    // Neither maximised, minimised nor full screen.
    bool isInNormalState() const;

    // The open-file dialog's filter, "desc|pattern|..." as the language file gives it.
    const QString &openFilter() const { return m_openDialog.Filter; }

    // Play (true) or pause (false) for media and movies alike; nothing loaded, nothing done.
    void PlayOrPause(bool play);

    void PopupMenuPopup();
    void TimerTimer();
    void mnuPlaypasueClick();
    void mnuStopClick();
    void mnuBackClick(QAction *Sender);
    void mnuPrvClick(QAction *Sender);
    void mnuMainClick();
    void mnuFullscreenClick();
    void mnuCloseClick();

    QMenu *PopupMenu = nullptr;
    QAction *mnuPlaypasue = nullptr;
    QAction *mnuStop = nullptr;
    QAction *mnuBack = nullptr;
    QAction *mnuForward = nullptr;
    QAction *mnuPrv = nullptr;
    QAction *mnuNext = nullptr;
    QAction *N4 = nullptr;
    QAction *mnuMain = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *N2 = nullptr;
    QAction *mnuAptitude = nullptr;
    QAction *mnuAutoSkip = nullptr;
    QAction *mnuDisLoop = nullptr;
    QAction *mnuFullscreen = nullptr;
    QAction *N1 = nullptr;
    QAction *mnuClose = nullptr;
    QTimer *Timer = nullptr;

    // The item that plays; the window's caption is set from it.
    PlayingItem Playing;
    // How many entries the playlist holds: Previous and Next show for more than one.
    std::function<int()> EntryCount;

signals:
    // The clock found the end of the item (or a movie that looped).
    void itemEnded();
    // After every tick: what the panel's seek bar and time display show.
    void clockShown(const ClockView &view);
    // Playback stopped: the seek bar goes to its start, the time display to zero.
    void clockStopped();
    // Play or pause switched the clock of a loaded item on (true) or off.
    void clockSwitched(bool running);
    // The menu's Previous (false) and Next (true).
    void stepRequested(bool Forward);
    // The menu's Open: files are added to the playlist.
    void openRequested();
    // The menu's Main: the panel comes to the front.
    void mainRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void FormCreate();
    void FormResize();
    QAction *MakeItem(const char *name, QMenu *menu);

    TOpenDialog m_openDialog;
    // Saved when full screen is entered, put back when it is left.
    QRect m_savedGeometry;
};

extern TfrmPlayer *frmPlayer;
// The player's open-file dialog, which the playlist's add, load and save commands use.
extern TOpenDialog *OpenDlg;
