#pragma once

#include "swf/DisplayObject.h"
#include "swf/MovieLoads.h"
#include "swf/Renderer.h"
#include "swf/StageLayout.h"
#include "swf/SharedObjectStore.h"
#include "swf/script/ScriptContext.h"
#include "swf/script/ScriptEngine.h"

#include <QElapsedTimer>

#include <algorithm>
#include <deque>
#include <set>
#include <functional>
#include <map>
#include <optional>

namespace swf {

namespace avm2 {
class As3Movie;
}
class SoundMixer;

// A running movie: the display tree and its timelines, advanced one frame at
// a time. Frames count from 0. Each frame the clips run newest first (so
// children before their parents, the root last): a clip's enterFrame event,
// then its timeline moves on, applying display changes and queueing the
// frame's actions; the queue runs once every clip has moved. A clip placed on
// a frame runs its first frame's actions after its parent's. Initialize and
// construct events jump the queue; removed clips with unload scripts wait at
// a negative depth until the frame ends.
class MoviePlayer {
public:
    // Longest run of one action block, in actions, before it is stopped.
    static constexpr int MaxActionsPerBlock = 1000000;
    // Most action blocks one frame may run (gotos can queue more).
    static constexpr int MaxBlocksPerFrame = 10000;
    // Work all the scripts of one frame may do together, in action units.
    static constexpr int MaxWorkPerFrame = 2000000;
    // Deepest nesting of clips within clips.
    static constexpr int MaxNesting = 32;
    // Most display objects alive at once.
    static constexpr int MaxObjects = 50000;
    // The last version whose timelines may put two objects on one depth.
    static constexpr int SharedDepthVersion = 5;
    // Scripts count depths from here: their depth 0 is this depth in the file,
    // and clips they make live at and above it.
    static constexpr int DynamicDepths = 16384;
    // The deepest a script may swap a clip to, in the scripts' count.
    static constexpr int MaxScriptDepth = 2130690044;
    // Scripts remove only clips from depth 0 up to this, in their count.
    static constexpr int MaxRemovableDepth = 1048575;

    MoviePlayer();
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer &) = delete;
    MoviePlayer &operator=(const MoviePlayer &) = delete;

    // Where the movie's sounds go; none by default, and the movie is silent.
    void setSoundMixer(SoundMixer *mixer) { m_sound = mixer; }
    // The key of the root's streaming sound in the mixer.
    const void *rootStreamKey() const { return m_root.alive.get(); }

    // Loads a movie from its bytes and shows its first frame; false with a
    // reason when the bytes are not a readable movie.
    bool load(const QByteArray &file, QString *error);
    void unload();
    bool loaded() const { return bool(m_movie); }
    // Counts the movies loaded so far: a new count means a new movie, even
    // at the same address.
    quint64 generation() const { return m_generation; }

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
    // Shows or hides the pointer over the movie; answers whether it showed before.
    bool showPointer(bool shown)
    {
        const bool was = m_pointerShown;
        m_pointerShown = shown;
        if (was != shown && onPointerShown)
            onPointerShown(shown);
        return was;
    }
    bool pointerShown() const { return m_pointerShown; }
    // How the movie asks its stage to be fitted into a window.
    StageLayout &stageLayout() { return m_stageLayout; }
    const StageLayout &stageLayout() const { return m_stageLayout; }

    // The text a field bound to a script variable shows, when the variable is set.
    std::optional<QString> boundText(const DisplayObject &field);
    // Sets the variable a field is bound to; false when it is bound to none
    // that can be reached.
    bool writeBoundVariable(const DisplayObject &field, const QString &text);
    // Makes the variable a field is bound to, when missing, with the field's text.
    void bindField(const DisplayObject &field);
    // A text field made by a script, bounds in twips, at a depth in the scripts' count.
    DisplayObject *createTextField(DisplayObject &parent, const QString &name, int depth, const QRectF &bounds);

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
    // The keyboard focus: a clip, button or text field, or none. A change
    // tells, after the running script, the one losing it (onKillFocus), the
    // one taking it (onSetFocus) and Selection's listeners (onSetFocus). A
    // text field given the focus has its text selected.
    DisplayObject *focus() const { return m_focus.get(); }
    void setFocus(DisplayObject *object);
    // What a key typed does to the focused input field: code as keyDown
    // has it, text the characters it makes.
    void typeIntoFocus(int code, const QString &text);
    // Where the pointer was last seen over the stage, in twips.
    QPointF pointer() const { return m_pointer; }
    int lastKeyCode() const { return m_lastKey; }
    int lastKeyAscii() const { return m_lastAscii; }

    std::function<void(const QString &command, const QString &arguments)> onFSCommand;
    std::function<void(const QString &line)> onTrace;
    // The movie hid or showed the pointer over it (Mouse.hide, Mouse.show).
    std::function<void(bool shown)> onPointerShown;

    // Services for the action interpreter.
    void gotoFrame(DisplayObject &clip, int frame, bool play);
    bool gotoLabel(DisplayObject &clip, const QString &label, bool play);
    DisplayObject *resolveTarget(DisplayObject &from, const QString &path);
    void getUrl(const QString &url, const QString &target);
    void trace(const QString &line);
    void stopSounds();
    // Sound objects: sounds by their export name, and the movie's volume.
    // owner: the alive token of the clip whose Sound transform the sound follows.
    bool startExportedSound(const QString &name, const SoundInfo &info, const void *owner = nullptr);
    void stopExportedSound(const QString &name);
    void setSoundVolume(int percent);
    // The library sound exported as name, or nullptr.
    const SoundDef *exportedSound(const QString &name) const;
    // Sounds a script loaded, decoded, played under key.
    void startLoadedSound(const void *key, std::shared_ptr<const std::vector<int16_t>> samples, const SoundInfo &info,
                          const void *owner = nullptr);
    // A Sound changed a clip's transform: the clips' sounds are heard through it from now on.
    void clipSoundChanged();
    // A transform of a script's own for the sounds started under owner (an
    // ActionScript 3 sound channel); none forgets it.
    void setOwnSoundTransform(const void *owner, std::optional<SoundTransform> transform);
    void stopLoadedSound(const void *key);
    // Counts stopSounds calls: a sound started before the count changed was stopped.
    quint64 soundStops() const { return m_soundStops; }
    int soundVolume() const { return m_soundTransform.volume; }
    // The whole movie's sound transform (a Sound made without a target).
    SoundTransform &soundTransform() { return m_soundTransform; }
    // Clips made, removed and moved by scripts (depths in the scripts' count).
    DisplayObject *duplicateClip(DisplayObject &clip, const QString &name, int depth);
    // A clip of the sprite exported as exportName, or an empty one when it is empty.
    DisplayObject *attachClip(DisplayObject &parent, const QString &exportName, const QString &name, int depth);
    void removeClip(DisplayObject &clip);
    // Places a shape a script made (attachBitmap's) at depth; the object keeps it.
    void placeScriptShape(DisplayObject &parent, std::shared_ptr<const ShapeDef> shape, int depth);
    // Empties the clip, as loading nothing into it does: when the frame after
    // this one ends, like the reference player's loads.
    void unloadMovie(DisplayObject &clip);
    void swapDepths(DisplayObject &clip, qint64 depth);
    // The movie's file: its loads are looked up in its folder, and _url names it.
    void setMovieFile(const QString &absolutePath);
    // The movie a clip's characters come from, and the folder its loads
    // are looked up in.
    const MovieDef &movieOf(const DisplayObject &clip) const;
    QString folderOf(const DisplayObject &clip) const;
    QString urlOf(const DisplayObject &clip) const;
    // The size of the movie the clip shows: of its file, or of the movie loaded into it.
    qint64 bytesOf(const DisplayObject &clip) const;
    // What a load into a clip tells whoever started it: the movie (or
    // image) is in place, with its size; its first frame's actions ran; it
    // could not be loaded.
    struct ClipLoadEvents {
        std::function<void(ScriptContext &cx, DisplayObject &clip, qint64 bytes)> loaded;
        std::function<void(ScriptContext &cx, DisplayObject &clip)> initialized;
        std::function<void(ScriptContext &cx, MovieFile::Status why)> failed;
    };
    // Replaces what the clip shows with the movie url names, at a later frame.
    void loadMovie(DisplayObject &clip, const QString &url, ClipLoadEvents events = {});
    // Levels: movies loaded over the root (_level1 and up), drawn above it
    // in their order. A load into level 0 replaces the root.
    static constexpr int MaxLevels = 256;
    // The number a level's name (_level3) gives, when it is one.
    static std::optional<int> LevelNumber(const QString &name, int version);
    DisplayObject *level(int number);
    // The root of every level, _level0 first.
    std::vector<const DisplayObject *> levels() const;
    // What _root names for a clip: the root of its level, or the nearest
    // clip holding a loaded movie that locks its root (_lockroot).
    DisplayObject &rootOf(DisplayObject &clip);
    // Shows the movie url names as a level, from the start of a later frame.
    void loadLevel(int number, const QString &url, ClipLoadEvents events = {});
    // Takes a level away when the frame after this one ends.
    void unloadLevel(int number);
    // Reads the file url names (relative to the folder of from's movie) at
    // a later frame; false when it cannot even be asked for.
    // Sets the clip's variables from the file url names, at a later frame.
    void loadVariables(DisplayObject &clip, const QString &url);
    using FileDone = std::function<void(ScriptContext &cx, const MovieFile &file)>;
    bool loadFile(const DisplayObject &from, const QString &url, FileDone done);
    // Frames a load takes: it completes as the frame this many after the
    // one that asked for it begins.
    static constexpr int LoadFrames = 2;
    // Runs work as the first frame begins at which the movie's clock
    // (frameStartMs) has reached dueMs: a sound's end, say. Work asked for
    // under the key of earlier work replaces it. False when too much waits.
    using TimedWork = std::function<void(ScriptContext &cx)>;
    static constexpr int MaxTimedWork = 1000;
    bool runAt(const void *key, qint64 dueMs, TimedWork work);
    // Milliseconds since the movie was loaded, for getTimer and intervals:
    // at least the frame periods advanced so far, so that a movie run faster
    // than its rate still sees time pass with its frames.
    qint64 elapsedMs() const
    {
        const double rate = m_movie && m_movie->frameRate > 0 ? m_movie->frameRate : 12;
        return std::max(m_clock.elapsed(), qint64(double(m_frames) * 1000.0 / rate));
    }
    // The clock as the current frame began. Timers count from it, so that a
    // movie stepped faster than real time sees them fire on the same frames
    // on every run.
    qint64 frameStartMs() const { return m_frameStartMs; }
    int version() const { return m_movie ? m_movie->version : 0; }
    // The movie's script objects and globals.
    ScriptEngine &script() { return m_script; }
    // An ActionScript 3 movie's side; none for older movies.
    avm2::As3Movie *as3() { return m_as3.get(); }
    // Where the movie's shared objects are kept between runs.
    SharedObjectStore &sharedObjects() { return m_sharedObjects; }
    // A script changed what is drawn.
    void markChanged() { m_changed = true; }
    // Charges script work against the frame's allowance; false once it is
    // spent, and for good once scripts were stopped.
    bool spend(int units)
    {
        m_work -= units;
        return m_work >= 0 && !m_scriptsStopped;
    }
    // Stops every script of the movie for as long as it plays, as the
    // reference player does when calls nest too deep to be anything but
    // endless recursion.
    void stopScripts() { m_scriptsStopped = true; }

private:
    struct QueuedActions {
        DisplayObject *clip;
        std::weak_ptr<char> alive;
        QByteArray actions;
        ScriptObject *handler = nullptr; // a script function to call instead
        // A handler the clip holds when the entry runs (a key as ScriptEngine::key makes it).
        QString handlerKey = {};
        // Load, unload and initialize events run on a clip being removed too.
        bool lifecycle = false;
        // The global object (Key, Mouse) whose listeners hear the event
        // named handlerName instead, through its broadcastMessage.
        QString listenersOf = {};
        QString message = {};
        // Work of the player's own to do in turn instead (a load's callback).
        std::function<void(ScriptContext &cx)> native = {};
    };
    using Queue = std::deque<QueuedActions>;
    // Where a text field's variable lives: the clip and the variable's name.
    struct FieldVariable {
        DisplayObject *owner = nullptr;
        QString name;
    };
    FieldVariable fieldVariable(const DisplayObject &field);
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
    // Clips just placed: their initialize, construct, first frame and load
    // work. A script's new clip (scriptMade) is constructed at once.
    void enterPlacedClips(const Created &created, const DisplayObject *scriptMade = nullptr);
    void enterPlacedClip(DisplayObject &clip, bool constructNow);
    void constructNow(DisplayObject &clip);
    void enqueueFrameActions(DisplayObject &clip, int frame);
    // Starts, moves or stops each streaming sound to match its timeline.
    void updateStreams();
    void setButtonState(DisplayObject &button, int state);
    // Queues what a clip does on an event: its clip actions for the event
    // bits, then the script function it holds under handlerKey (a name as
    // ScriptEngine::key makes it), if any.
    void queueClipEvent(DisplayObject &clip, uint32_t events, const QString &handlerKey);
    // Queues a clip's load, unload, initialize or construct event: its clip
    // actions, then the handler named handlerName (none: nullptr) it holds
    // when the queue reaches it.
    void queueLifecycleEvent(DisplayObject &clip, uint32_t event, const char *handlerName, Queue &queue);
    ScriptObject *handlerOf(const DisplayObject &clip, const QString &handlerKey) const;
    // Queues an event on every clip, children before their parents, then
    // for the listeners of the global object named listenersOf (if given).
    void broadcastClipEvent(uint32_t events, const QString &handlerName, const QString &listenersOf = {});
    // Clips that answer the pointer like buttons.
    bool actsAsButton(const DisplayObject &clip);
    bool hits(const DisplayObject &object, const QPointF &point, const QTransform &toStage, int nesting = 0) const;
    // Every clip's enterFrame event and next frame, newest clip first.
    void runFrames();
    void goTo(DisplayObject &clip, int target);
    // Applies a frame's display changes, except on the depths in skip; false
    // when a placement stopped it.
    bool applyFrame(DisplayObject &clip, int frame, Created &created, const std::set<int> *skip = nullptr);
    // Going back: removes the objects the target frame does not have as they
    // are, and gives the others the target's properties; the depths kept.
    std::set<int> rewind(DisplayObject &clip, int target);
    // False when the command stops the frame: a new placement that names no character.
    bool place(DisplayObject &parent, const PlaceCommand &command, int frame, Created &created);
    void placeBeneath(DisplayObject &existing, const PlaceCommand &command, int frame, Created &created);
    // Takes the object at depth off the display list: at once, or, when it
    // or a clip in it has unload scripts, after they run.
    void removeObject(DisplayObject &parent, int depth);
    bool hasUnloadWork(const DisplayObject &clip, const QString &handlerKey, int nesting) const;
    // Marks a removed clip and what it holds, queueing their unload events;
    // the parts without unload scripts go at once.
    void startUnloading(DisplayObject &clip, const QString &handlerKey, int nesting);
    // The end of a frame: removed clips waiting on their unload scripts go.
    void finishUnloading();
    // Empties the clips asked for before this frame began; true when that
    // queued unload events.
    bool emptyUnloadedMovies();
    void empty(DisplayObject &clip);
    // Puts a loaded movie into the clip and starts its first frame.
    void showLoadedMovie(DisplayObject &clip, std::shared_ptr<const LoadedMovie> movie,
                         const ClipLoadEvents &events);
    // The parsed movie a file holds, shared by every clip that loads it.
    std::shared_ptr<const LoadedMovie> loadedMovie(const QString &folder, const QString &url,
                                                   const QByteArray &bytes);
    // Scripts reach a clip, button or text field placed without a name by
    // the name the reference player gives it: "instance" and a count.
    // Clips, buttons and text fields get a name when placed without one.
    static bool namedWhenPlaced(const Character *character);
    std::unique_ptr<DisplayObject> instantiate(DisplayObject &parent, int characterId, Created &created);
    std::unique_ptr<DisplayObject> instantiate(DisplayObject &parent, const Character *character, int characterId,
                                               Created &created);
    DisplayObject *placeDynamic(DisplayObject &parent, const Character *character, int characterId,
                                const QString &name, int depth, const DisplayProperties *copyFrom);
    void rebuildButton(DisplayObject &button);
    void runQueue();
    // The timed work due as this frame begins.
    void runTimedWork();
    // Runs one queued entry; false when it had nothing to run.
    bool runQueued(const QueuedActions &entry);
    DisplayObject *buttonAt(DisplayObject &clip, const QPointF &point, const QTransform &toStage);
    void runButtonActions(DisplayObject &button, int condition);

    std::shared_ptr<MovieDef> m_movie;
    DisplayObject m_root;
    Queue m_queue;
    Queue m_initQueue; // initialize and construct events, run first
    std::vector<Tracked> m_unloading;
    // Clips to empty, and the frame count at which each was asked for.
    struct UnloadRequest {
        Tracked clip;
        quint64 frame;
    };
    std::vector<UnloadRequest> m_unloadRequests;
    quint64 m_frames = 0; // frames advanced since the movie was loaded
    qint64 m_frameStartMs = 0;
    quint64 m_serial = 0;
    // Frames whose init actions have run: they run once per movie.
    std::set<const Frame *> m_initialised;
    ScriptEngine m_script;
    // An ActionScript 3 movie's virtual machine; none for older movies.
    std::unique_ptr<avm2::As3Movie> m_as3;
    SharedObjectStore m_sharedObjects;
    SoundMixer *m_sound = nullptr;
    SoundTransform m_soundTransform;
    // Once a script gives a clip a sound transform, the transforms heard are
    // shared with the mixer as sounds start and as each frame ends.
    bool m_clipSoundsSet = false;
    bool m_clipSoundsChanged = false;
    std::map<const void *, SoundTransform> m_ownSoundTransforms;
    void shareSoundTransforms();
    void shareChangedSoundTransforms();
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
    StageLayout m_stageLayout;
    bool m_pointerShown = true;
    bool m_scriptsStopped = false;
    Renderer::Quality m_quality = Renderer::Quality::High;
    QElapsedTimer m_clock;
    bool m_changed = false;
    int m_objects = 0;
    int m_unnamedPlaced = 0;
    int m_work = MaxWorkPerFrame;
    QString m_folder;
    QString m_url;
    // A movie loaded into the root, which takes the old one's place as the frame ends.
    QByteArray m_replacement;
    QString m_replacementPath;
    void replaceMovie();
    qint64 m_bytes = 0;
    quint64 m_generation = 0;
    MovieLoads m_loads;
    std::multimap<qint64, std::pair<const void *, TimedWork>> m_timedWork;
    quint64 m_soundStops = 0;
    // Movies loaded so far by file, while a clip shows them.
    QHash<QString, std::weak_ptr<const LoadedMovie>> m_loadedMovies;
    static constexpr qsizetype MaxLoadedMovies = 256;
    // Movies clips no longer show, kept while what they made waits to unload.
    std::vector<std::shared_ptr<const LoadedMovie>> m_retiredMovies;
    Tracked m_hover;
    Tracked m_pressed;
    // Levels above the root by number, and the loads that make them: these
    // complete as a frame begins, before any clip moves.
    std::map<int, std::unique_ptr<DisplayObject>> m_levels;
    MovieLoads m_levelLoads;
    // Levels loaded as this frame began: they show their first frame in it,
    // newest first, and tell their loaders once the frame's scripts ran.
    struct EnteredLevel {
        Tracked level;
        std::function<void(ScriptContext &cx, DisplayObject &clip)> initialized;
    };
    std::vector<EnteredLevel> m_enteredLevels;
    void showLevel(int number, std::shared_ptr<const LoadedMovie> movie, const ClipLoadEvents &events);
    void enterLoadedLevels();
    void queueLevelInits();
    // Empties the clip a script unloaded; a level goes altogether.
    void emptyOrDrop(DisplayObject &clip);
    bool enteredThisFrame(const DisplayObject &clip) const;
    // The button under a point of the stage: the top level's first.
    DisplayObject *buttonOnStage(const QPointF &stage);
    Tracked m_focus;
    // The topmost text field under a stage point that takes the focus, and its transform to the stage.
    DisplayObject *focusableFieldAt(DisplayObject &clip, const QPointF &point, const QTransform &toStage,
                                    QTransform &fieldToStage, int nesting = 0);
    // A press gives the field under it the focus, its caret where it was pressed;
    // pressing elsewhere takes the focus from a field.
    void focusFieldAt(const QPointF &stage);
    // The field's onChanged, then its listeners'.
    void queueChanged(DisplayObject &field);
};

} // namespace swf
