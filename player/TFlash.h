#pragma once

#include "swf/FlashControl.h"

#include <QWidget>

// The movie control hosted in the player window, filling its client area.
// A right press never reaches the movie: it asks for the player's popup menu.
class TFlash : public QWidget {
    Q_OBJECT
public:
    explicit TFlash(QWidget *AOwner);

    swf::FlashControl &control() { return m_control; }

    // The control's contract, as the player and the panel use it.
    QString Movie() const { return m_control.Movie(); }
    void setMovie(const QString &path) { m_control.setMovie(path); }
    int FrameNum() const { return m_control.FrameNum(); }
    void setBackgroundColor(int color) { m_control.setBackgroundColor(color); }
    int TotalFrames() const { return m_control.TotalFrames(); }
    bool Playing() const { return m_control.Playing(); }
    void Play() { m_control.Play(); }
    void Stop() { m_control.Stop(); }
    void GotoFrame(int frame) { m_control.GotoFrame(frame); }
    int CurrentFrame() const { return m_control.CurrentFrame(); }

    // A halted movie that raises an fscommand moves on one frame when the
    // player's auto-skip option is on.
    void FlashFSCommand(const QString &command, const QString &args);

signals:
    void popupRequested(const QPoint &globalPosition);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    swf::FlashControl m_control;
};

// The player's movie control, reachable by the panel and the playlist.
extern TFlash *Flash;
// The frame seen by the last clock tick, or the target of the last jump.
extern int LastFrame;

// Jumps a twentieth of the movie back or forward, clamped to its frames.
void Jump(bool back);
