#pragma once

#include "swf/avm2/Object.h"

#include <vector>

namespace swf::avm2 {

class EventObject;
class Runtime;

// An object listeners can be added to. Display objects override
// eventParent, which dispatches walk for the capture and bubble phases.
class EventDispatcherObject : public Object {
public:
    // Most listeners one object keeps; a movie adding more in a loop stops here.
    static constexpr size_t MaxListeners = 100000;

    struct Listener {
        QString type;
        Value function;
        bool capture = false;
        int32_t priority = 0;
    };

    using Object::Object;
    // The object events are said to come from (the constructor's target), or null: this one.
    Value dispatchTarget = Value::null();
    std::vector<Listener> listeners;

    virtual EventDispatcherObject *eventParent() const { return nullptr; }
    // A listener for type was added (display objects join the frame's broadcasts).
    virtual void listenerAdded(Runtime &rt, const QString &type) { (void)rt, (void)type; }
    bool listensTo(const QString &type) const;

    void mark(const Marker &marker) const override;
};

// Sends the event along its path: capture from the outermost parent, the
// target, then bubbling back out when the event bubbles. An event that was
// dispatched before goes as a clone. False when a listener prevented its default.
bool DispatchEvent(Runtime &rt, EventDispatcherObject &target, EventObject *event);
// Only to the object's own listeners, as the player sends enterFrame.
void DispatchToTarget(Runtime &rt, EventDispatcherObject &target, EventObject &event);

} // namespace swf::avm2
