#pragma once

#include "main/PanelFace.h"
#include "main/PanelLayout.h"
#include "platform/TrayIcon.h"
#include "player/ClockTick.h"

#include <QFontMetrics>
#include <QStaticText>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QUrl;
class QMenu;
class QPainter;
class TCustomControls;
class TGbtn;
class TProgress;
class TTextLable;

// The main window: the borderless control panel. Closing it ends the program.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultLeft = 150;
    static constexpr int DefaultTop = 94;

    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Restores the places of all three windows from the preferences and shows
    // the playlist and player windows that were open at the last exit.
    void FormShow();
    // Writes the places and visibility of the three windows to the preferences.
    void FormCloseQuery();

    void PaintTitle(TCustomControls *Sender, QPainter &Canvas);
    void PaintTime(TCustomControls *Sender, QPainter &Canvas);

    // The command of a panel button, chosen by its Tag.
    void PanelButtonClick(TGbtn *Sender);
    // The playback clock's view after a tick: the seek bar's thumb, the time
    // display, and the title, which scrolls on.
    void ClockShown(const ClockView &view);
    // Playback stopped: the seek bar at its start, the time display at zero.
    void ClockStopped();
    // The playlist steps: the seek bar at its start, the title from its beginning.
    void StepStarted();
    // The output volume as 0 .. 65535, the mean of both channels.
    int GetWaveVolume() const;
    // The volume bar's track handler: moves the thumb and sets both channels.
    void VolumeTrack(int X);
    // The seek bar's track handler: seeks the media (no further than its
    // stop position) or jumps the movie; with nothing loaded the bar stays.
    void SeekTrack(int X);

    // Adds the notification-area icon and hides the program's windows (where
    // there is no notification area, minimises them), or removes the icon.
    void ShowTrayIcon(bool Show);
    // A left click on the icon brings back the windows that were showing; a
    // right click opens the popup menu.
    void WMTrayNotify(bool leftButton);
    // Brings the program to the front, as another start of it asks: the
    // windows come back from the tray or the task bar as a left click on the
    // icon brings them, and the panel is raised and activated.
    void BringToFront();
    // Media files dropped on the panel go to the end of the playlist, in the
    // reverse order of the drop; nothing starts.
    void WMDropFiles(const QList<QUrl> &files);
    bool TrayIconShown = false;
    TrayIcon &trayIcon() { return m_tray; }

    void mnuAboutClick();
    // The About box's text: the program's, Qt's and GStreamer's versions.
    static QString AboutText();
    void mnuExitClick();

    TGbtn *button(int tag) const { return m_buttons[tag]; }
    const TPanelFace &face() const { return m_face; }

    TProgress *pbVolume = nullptr;
    TProgress *pbSeek = nullptr;
    TTextLable *lblTitle = nullptr;
    TTextLable *lblTime = nullptr;

    QMenu *PopupMenu = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *N1 = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuExit = nullptr;

    // Running offset of the scrolling title; reset when the playlist steps.
    int TitleScroll = 0;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormCreate();
    void MinimizeApplication(bool intoTray);
    void RestoreApplication();
    TGbtn *MakeButton(int Tag, const char *name, const QRect &place);
    QAction *MakeMenuItem(const char *name);

    TPanelFace m_face;
    // The time display's own face and its measures, made once rather than on every paint.
    QFont m_timeFont;
    std::optional<QFontMetrics> m_timeMetrics;
    // Where the title is drawn while an item plays; it moves (and is
    // repainted) only when it does not fit.
    int m_titleLeft = 0;
    // The title last measured and laid out, kept until the title or the font changes.
    QString m_titleText;
    int m_titleWidth = 0;
    QStaticText m_titleLayout;
    int TitleWidth(const QString &text);
    std::array<TGbtn *, PanelLayout::Buttons.size()> m_buttons{};
    // Where the pointer grabbed the panel, relative to its top-left corner.
    std::optional<QPoint> m_dragOffset;
    TrayIcon m_tray;
    // The windows that were showing when the program was minimised.
    QList<QWidget *> m_minimisedWindows;
    // Set while those windows come back, so showing the panel is not a start.
    bool m_restoring = false;
};

extern TfrmMain *frmMain;
