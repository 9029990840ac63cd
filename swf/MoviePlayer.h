#pragma once

#include "swf/DisplayObject.h"
#include "swf/Renderer.h"
#include "swf/script/ScriptEngine.h"

#include <QElapsedTimer>

#include <deque>
#include <set>
#include <functional>

namespace swf {

class SoundMixer;

// A running movie: the display tree and its timelines, advanced one frame at
// a time. Frames count from 0. Display changes of a frame are applied first,
// then its actions run; a clip placed on a frame runs its first frame's
// actions after its parent's, and on later frames clips run before the root.
class MoviePlayer {
public:
    // Longest run of one action block, in actions, before it is stopped.
    static constexpr int MaxActionsPerBlock = 200000;
    // Most action blocks one frame may run (gotos can queue more).
    static constexpr int MaxBlocksPerFrame = 10000;
    // Work all the scripts of one frame may do together, in action units.
    static constexpr int MaxWorkPerFrame = 2000000;
    // Deepest nesting of clips within clips.
    static constexpr int MaxNesting = 32;
    // Most display objects alive at once.
    static constexpr int MaxObjects = 50000;
    // Scripts count depths from here: their depth 0 is this depth in the file,
    // and clips they make live at and above it.
    static constexpr int DynamicDepths = 16384;

    MoviePlayer() = default;

    // Where the movie's sounds go; none by default, and the movie is silent.
    void setSoundMixer(SoundMixer *mixer) { m_sound = mixer; }
    // The key of the root's streaming sound in the mixer.
    const void *rootStreamKey() const { return m_root.alive.get(); }

    // Loads a movie from its bytes and shows its first frame; false with a
    // reason when the bytes are not a readable movie.
    bool load(const QByteArray &file, QString *error);
    void unload();
    bool loaded() const { return bool(m_movie); }

    const MovieDef *movie() const { return m_movie.get(); }
    DisplayObject &root() { return m_root; }
    const DisplayObject &root() const { return m_root; }

    int currentFrame() const { return m_root.currentFrame; }
    int totalFrames() const { return m_root.frameCount(); }
    bool playing() const { return m_root.playing; }
    void play();
    void stop();
    // Shows the frame (clamped to the movie); playing or halted stays as it was.
    void gotoFrame(int frame);

    // One tick of the movie's clock.
    void advance();

    // How finely the movie is drawn (_quality); high unless a script says otherwise.
    Renderer::Quality quality() const { return m_quality; }
    void setQuality(Renderer::Quality quality)
    {
        m_changed = m_changed || quality != m_quality;
        m_quality = quality;
    }

    // The movie's background: the first one it sets.
    QColor background() const { return m_background; }

    // The text a field bound to a script variable shows, when the variable is set.
    std::optional<QString> boundText(const DisplayObject &field);

    // True once after the display tree changed.
    bool takeChanged();

    // Pointer input over the stage, in twips.
    void pointerMove(const QPointF &stage);
    void pointerPress(const QPointF &stage);
    void pointerRelease(const QPointF &stage);
    // Keyboard input: code as Key.isDown knows it, pressCode as key-press
    // handlers know it (0: none), ascii the character typed (0: none).
    void keyDown(int code, int pressCode, int ascii);
    void keyUp(int code);
    bool keyIsDown(int code) const { return m_keysDown.count(code) > 0; }
    // Where the pointer was last seen over the stage, in twips.
    QPointF pointer() const { return m_pointer; }
    int lastKeyCode() const { return m_lastKey; }
    int lastKeyAscii() const { return m_lastAscii; }

    std::function<void(const QString &command, const QString &arguments)> onFSCommand;
    std::function<void(const QString &line)> onTrace;

    // Services for the action interpreter.
    void gotoFrame(DisplayObject &clip, int frame, bool play);
    bool gotoLabel(DisplayObject &clip, const QString &label, bool play);
    DisplayObject *resolveTarget(DisplayObject &from, const QString &path);
    void getUrl(const QString &url, const QString &target);
    void trace(const QString &line);
    void stopSounds();
    // Sound objects: sounds by their export name, and the movie's volume.
    bool startExportedSound(const QString &name, const SoundInfo &info);
    void stopExportedSound(const QString &name);
    void setSoundVolume(int percent);
    int soundVolume() const { return m_soundVolume; }
    // Clips made and removed by scripts (depths in the scripts' count).
    DisplayObject *duplicateClip(DisplayObject &clip, const QString &name, int depth);
    // A clip of the sprite exported as exportName, or an empty one when it is empty.
    DisplayObject *attachClip(DisplayObject &parent, const QString &exportName, const QString &name, int depth);
    void removeClip(DisplayObject &clip);
    void swapDepths(DisplayObject &clip, int depth);
    // Milliseconds since the movie was loaded, for getTimer.
    qint64 elapsedMs() const { return m_clock.elapsed(); }
    int version() const { return m_movie ? m_movie->version : 0; }
    // The movie's script objects and globals.
    ScriptEngine &script() { return m_script; }
    // A script changed what is drawn.
    void markChanged() { m_changed = true; }
    // Charges script work against the frame's allowance; false once it is spent.
    bool spend(int units)
    {
        m_work -= units;
        return m_work >= 0;
    }

private:
    struct QueuedActions {
        DisplayObject *clip;
        std::weak_ptr<char> alive;
        QByteArray actions;
        ScriptObject *handler = nullptr; // a script function to call instead
    };
    // An object remembered across events, valid while it lives.
    struct Tracked {
        DisplayObject *object = nullptr;
        std::weak_ptr<char> alive;
        DisplayObject *get() const { return alive.expired() ? nullptr : object; }
        void set(DisplayObject *o) { object = o; alive = o ? o->alive : std::weak_ptr<char>(); }
    };

    // Clips created while frames are applied, parents first; their first
    // frame's actions run after the frame's own.
    using Created = std::vector<Tracked>;

    // A clip has reached a frame: queue its actions and start its sounds.
    void enterFrame(DisplayObject &clip, int frame);
    // A clip was just placed: its initialise, first frame and load work.
    void enterPlacedClip(DisplayObject &clip);
    void enqueueFrameActions(DisplayObject &clip, int frame);
    // Starts, moves or stops each streaming sound to match its timeline.
    void updateStreams();
    void setButtonState(DisplayObject &button, int state);
    // Queues what a clip does on an event: its clip actions for the event
    // bits, then the script function it holds under handlerKey (a name as
    // ScriptEngine::key makes it), if any.
    void queueClipEvent(DisplayObject &clip, uint32_t events, const QString &handlerKey);
    // Queues an event on every clip, children before their parents.
    void broadcastClipEvent(uint32_t events, const QString &handlerName);
    // Clips that answer the pointer like buttons.
    bool actsAsButton(const DisplayObject &clip);
    bool hits(const DisplayObject &object, const QPointF &point, const QTransform &toStage, int nesting = 0) const;
    void advanceClip(DisplayObject &clip);
    void goTo(DisplayObject &clip, int target);
    void applyFrame(DisplayObject &clip, int frame, Created &created);
    void rebuildTo(DisplayObject &clip, int target, Created &created);
    void place(DisplayObject &parent, const PlaceCommand &command, int frame, Created &created);
    // Scripts reach a clip, button or text field placed without a name by
    // the name the reference player gives it: "instance" and a count.
    void nameIfUnnamed(DisplayObject &object);
    std::unique_ptr<DisplayObject> instantiate(DisplayObject &parent, int characterId, Created &created);
    std::unique_ptr<DisplayObject> instantiate(DisplayObject &parent, const Character *character, int characterId,
                                               Created &created);
    DisplayObject *placeDynamic(DisplayObject &parent, const Character *character, int characterId,
                                const QString &name, int depth, const DisplayProperties *copyFrom);
    void rebuildButton(DisplayObject &button);
    void runQueue();
    DisplayObject *buttonAt(DisplayObject &clip, const QPointF &point, const QTransform &toStage);
    void runButtonActions(DisplayObject &button, int condition);

    std::shared_ptr<MovieDef> m_movie;
    DisplayObject m_root;
    std::deque<QueuedActions> m_queue;
    // Frames whose init actions have run: they run once per movie.
    std::set<const Frame *> m_initialised;
    ScriptEngine m_script;
    SoundMixer *m_sound = nullptr;
    int m_soundVolume = 100;
    std::set<int> m_keysDown;
    QPointF m_pointer;
    int m_lastKey = 0;
    int m_lastAscii = 0;
    SpriteDef m_emptyClip; // what createEmptyMovieClip places
    // Clips whose timeline streams sound, and the frame each showed last.
    struct StreamClip {
        Tracked clip;
        const void *key = nullptr;
        int lastFrame = -1;
    };
    std::vector<StreamClip> m_streamClips;
    QColor m_background = Qt::white;
    Renderer::Quality m_quality = Renderer::Quality::High;
    QElapsedTimer m_clock;
    bool m_changed = false;
    int m_objects = 0;
    int m_unnamedPlaced = 0;
    int m_work = MaxWorkPerFrame;
    Tracked m_hover;
    Tracked m_pressed;
};

} // namespace swf
