#pragma once

#include <QPointF>
#include <QString>

#include <map>
#include <cstdint>
#include <memory>
#include <vector>

namespace swf {
class MoviePlayer;
struct DisplayObject;
struct Frame;
struct SoundDef;
} // namespace swf

namespace swf::avm2 {

class Class;
class DisplayObjectNative;
class Runtime;

// The ActionScript 3 side of one movie: its virtual machine, fed the
// frames' DoABC blocks and SymbolClass links as the timeline reaches them,
// and the display objects' events. Each frame, once the timelines moved:
// enterFrame to every object listening, frameConstructed, the frame
// scripts of the clips that reached a frame, then exitFrame.
class As3Movie {
public:
    explicit As3Movie(MoviePlayer &player);
    ~As3Movie();
    As3Movie(const As3Movie &) = delete;
    As3Movie &operator=(const As3Movie &) = delete;

    Runtime &runtime() { return *m_rt; }
    MoviePlayer &player() { return m_player; }
    // Loads the frame's blocks, then makes the classes it links: the
    // document class (character 0) becomes the root's.
    void frameReached(DisplayObject &clip, const Frame &frame);
    // Once a frame, as it begins: the timers whose time has come.
    void runTimers(qint64 frameStartMs);
    // A clip showed a frame: its frame script runs with the frame's others.
    void clipEnteredFrame(DisplayObject &clip, int frame);
    // The frame's events and scripts, after the timelines moved.
    void advanceFrame();
    // The frame scripts queued so far (the first frame's, after the document class).
    void runFrameScripts();
    // The movie closes: its shared objects are written.
    void flushSharedObjects();

    // The stage and the root's script object, once the document class made it.
    DisplayObjectNative *stage();
    DisplayObjectNative *rootObject() const { return m_rootObject; }
    // Makes the object the root: bound to the player's root, on the stage.
    void bindRoot(DisplayObjectNative &root);
    // Input, as the player gets it (stage points in twips): mouse events on
    // the interactive object under the pointer, key events on the stage.
    void pointerMoved(const QPointF &point);
    void pointerPressed(const QPointF &point);
    void pointerReleased(const QPointF &point);
    void keyChanged(bool down, int code, int ascii);

    // Sprite.startDrag: the object follows the pointer, keeping its offset
    // from it (none: its origin under the pointer), until stopDrag.
    void startDrag(DisplayObjectNative &object, bool lockCenter);
    void stopDrag();
    // Where the pointer is in the object's space, in pixels.
    QPointF pointerIn(const DisplayObject &node) const;

    // Objects listening for the events every display object hears (enterFrame, exitFrame...).
    void addBroadcastTarget(DisplayObjectNative &object);
    // Sends an event of type to every object listening for it.
    void broadcast(const char *type);

    // The embedded sound the SymbolClass tags linked the class (or the
    // nearest class it extends) to, or nullptr.
    const SoundDef *linkedSound(const Class &cls) const;
    // A library sound's samples as the mixer plays them, decoded once.
    std::shared_ptr<const std::vector<int16_t>> decodedSound(const SoundDef &sound);

private:
    void linkRootClass(const QString &className);
    // The interactive object the pointer is over, or the stage.
    DisplayObjectNative *objectAt(const QPointF &point);
    void dispatchMouse(DisplayObjectNative &target, const char *type, const QPointF &point);

    MoviePlayer &m_player;
    std::unique_ptr<Runtime> m_rt;
    DisplayObjectNative *m_stage = nullptr;
    DisplayObjectNative *m_rootObject = nullptr;
    std::vector<DisplayObjectNative *> m_broadcastTargets;
    // Characters linked to classes, by the class's qualified name ("pkg::Name").
    std::map<QString, int> m_linkedCharacters;
    std::map<const SoundDef *, std::shared_ptr<const std::vector<int16_t>>> m_decodedSounds;
    struct FrameScript {
        DisplayObject *clip;
        std::weak_ptr<char> alive;
        int frame;
    };
    std::vector<FrameScript> m_frameScripts;
    // Where the pointer was pressed, for click; and whether it is down.
    DisplayObjectNative *m_pressed = nullptr;
    bool m_buttonDown = false;
    DisplayObjectNative *m_dragged = nullptr;
    QPointF m_dragOffset; // twips, in the dragged object's parent's space
    void followPointer();
};

} // namespace swf::avm2
