#pragma once

#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/EventDispatcherObject.h"

#include <QTransform>

#include <memory>

namespace swf {
struct DisplayObject;
}

namespace swf::avm2 {


// An ActionScript 3 display object and the engine's object it shows as.
// The display list owns engine objects: off the list, this holds its own;
// on it, this refers to it through its alive token. An engine object the
// list let go while this lives is made anew, empty, on next use.
class DisplayObjectNative : public EventDispatcherObject {
public:
    DisplayObjectNative(Class *cls, Runtime &rt);
    ~DisplayObjectNative() override;

    Runtime &runtime;
    // The stage, for the root: the parent it has above the engine's root.
    DisplayObjectNative *stageAbove = nullptr;
    // The Graphics object of a Sprite or Shape, made on first use.
    Value graphics;
    // Input settings of interactive objects and sprites.
    bool mouseEnabled = true;
    bool doubleClickEnabled = false;
    bool buttonMode = false;
    bool mouseChildren = true;
    // Listed with the movie for the frame's broadcasts.
    bool hearsBroadcasts = false;

    swf::DisplayObject &node();
    // Binds to an object the display list made (the root, a timeline's child).
    void bind(swf::DisplayObject &existing);
    // Takes the engine object back when it leaves the display list.
    void adopt(std::unique_ptr<swf::DisplayObject> object);
    // The engine object, without making one.
    swf::DisplayObject *peek() const;
    // Hands over the engine object this holds, to be put on the display list.
    std::unique_ptr<swf::DisplayObject> release();
    bool ownsNode() const;
    virtual bool isStage() const { return false; }

    EventDispatcherObject *eventParent() const override;
    void listenerAdded(Runtime &rt, const QString &type) override;
    void mark(const Marker &marker) const override;

protected:
    // What a new engine object of this class starts with (a text field's state).
    virtual void initNode(swf::DisplayObject &node);

private:
    std::unique_ptr<swf::DisplayObject> m_owned;
    swf::DisplayObject *m_node = nullptr;
    std::weak_ptr<char> m_alive;
};

// The object scripts see for an engine object, made for it (as a
// MovieClip, Shape or TextField) when the timeline placed it.
DisplayObjectNative *ScriptObjectOf(Runtime &rt, swf::DisplayObject &node);
// The display object a method runs on, or Error #1034.
DisplayObjectNative *DisplayThis(Runtime &rt, const Value &self);
// The parent scripts see: the engine's parent, or the stage above the root.
DisplayObjectNative *ParentOf(Runtime &rt, DisplayObjectNative &object);
// The stage the object is on, or null.
DisplayObjectNative *StageOf(Runtime &rt, DisplayObjectNative &object);

// From the object's space to the stage's, in twips.
QTransform StageTransformOf(const swf::DisplayObject &node);

template <class T> Object *CreateDisplay(Runtime &rt, Class *cls) { return rt.heap.make<T>(cls, rt); }

} // namespace swf::avm2
