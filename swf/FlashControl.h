#pragma once

#include "swf/MoviePlayer.h"
#include "swf/MovieFiles.h"
#include "swf/Renderer.h"
#include "swf/SoundMixer.h"
#include "swf/SoundOutput.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QTimer>

#include <memory>
#include <stdexcept>

namespace swf {

// Raised by a Movie write that cannot load the file.
class MovieError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The movie control: load a movie by writing Movie, steer it with Play, Stop
// and GotoFrame, read its frames, and hear its fscommands. Frames count from
// 0. A loaded movie advances by itself at its frame rate; with no movie the
// control runs no timer.
class FlashControl : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxFileSize = MaxMovieFileSize;
    // A sound output silent this long is let go; the next sound makes another.
    static constexpr int OutputIdleMs = 1000;
    static constexpr QLatin1String NoMovie{"res://"};
    // A focused input field's caret shows and hides this often.
    static constexpr int CaretBlinkMs = 500;

    explicit FlashControl(QObject *parent = nullptr);
    ~FlashControl() override;

    // Gives the control a voice: from now on movies' sounds are mixed and
    // an output is made by factory whenever one starts to sound. Without
    // it the control is silent and keeps time by its timer alone.
    void setSoundOutput(SoundOutputFactory factory);
    // Where movies keep their shared objects between runs; nowhere (nothing
    // kept) until it is set.
    void setSharedObjectFolder(const QString &folder);
    // The movie's sounds, for inspection.
    const SoundMixer &mixer() const { return m_mixer; }
    // The root frame whose streaming sound is being heard; nothing while no
    // stream leads the picture.
    std::optional<int> heardFrame() const;

    // The last value written, empty before the first.
    QString Movie() const { return m_movieName; }
    // Loads the movie at path; "res://" leaves no movie. Throws MovieError
    // when the file is not a readable movie; the control is then blank.
    void setMovie(const QString &path);
    // Negative while no movie is loaded; otherwise the current frame.
    int FrameNum() const;
    // -1: the movie's own background; any other 0x00BBGGRR colour paints the
    // empty control.
    void setBackgroundColor(int color);
    int backgroundColor() const { return m_backgroundColor; }
    int TotalFrames() const;
    bool Playing() const;
    void Play();
    void Stop();
    void GotoFrame(int frame);
    int CurrentFrame() const { return FrameNum(); }

    // One tick of the movie's clock, as the timer runs it: the next frame,
    // or, while the root timeline streams sound, the frame being heard
    // (frames in between are run but not drawn).
    void advanceFrame();
    // The stage fitted into area keeping its aspect ratio, centred, with the
    // background colour around it.
    void paint(QPainter &painter, const QRect &area);
    // The stage at 1:1 (the movie's own size), stage origin at the top left.
    QImage renderStage();
    QSize stageSize() const;

    // Pointer input, in the coordinates of the area given to paint.
    void pointerMove(const QPointF &position, const QRect &area);
    void pointerPress(const QPointF &position, const QRect &area);
    void pointerRelease(const QPointF &position, const QRect &area);

    // Keyboard input for the movie; what a key types goes into the input
    // field that has the focus.
    void keyPress(Qt::Key key, const QString &text);
    void keyRelease(Qt::Key key);

    double frameRate() const;

signals:
    void FSCommand(const QString &command, const QString &args);
    void Trace(const QString &line);
    // The movie hid (false) or showed the pointer over itself.
    void pointerShown(bool shown);
    // The picture changed and wants repainting.
    void changed();

private:
    QColor backgroundForPaint() const;
    QTransform stageToArea(const QRect &area) const;
    void notifyIfChanged();
    // The caret blinks while an input field has the focus; no timer runs otherwise.
    TextFieldState *focusedInputField();
    void updateCaretBlink();
    void blinkCaret();
    void updateTimer();
    void startOutputIfSounding();
    void releaseOutputWhenSilent();
    // Advances the root to the frame its streaming sound has reached; false
    // when no stream leads.
    bool followStream();

    // The mixer outlives the player that feeds it and the output that pulls it.
    SoundMixer m_mixer;
    SoundOutputFactory m_outputFactory;
    std::unique_ptr<SoundOutput> m_output;
    QElapsedTimer m_silentSince;
    int m_streamGeneration = 0;
    qint64 m_streamAdvances = 0;
    MoviePlayer m_player;
    std::unique_ptr<Renderer> m_renderer;
    quint64 m_renderedMovie = 0; // the player's generation m_renderer draws
    void makeRenderer();
    QImage m_frame; // what paint draws the movie into, kept between paints
    QTimer m_timer;
    QTimer m_caretTimer;
    QString m_movieName;
    int m_backgroundColor = -1;
};

} // namespace swf
