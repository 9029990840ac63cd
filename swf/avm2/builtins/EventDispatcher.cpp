// flash.events.EventDispatcher: listeners by type, phase and priority, and
// the dispatch that walks the display list's parents.
#include "swf/avm2/builtins/EventDispatcherObject.h"

#include "swf/avm2/builtins/EventObject.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

constexpr int NullParameterError = 2007;
// How deep a dispatch follows parents; the display list is shallower.
constexpr int MaxPathLength = 1000;

EventDispatcherObject *self_(Runtime &rt, const Value &self)
{
    return ThisAs<EventDispatcherObject>(rt, self, "flash.events.EventDispatcher");
}

// A method taken off an object twice gives two closures over one method:
// the player counts them as one listener.
bool sameFunction(Runtime &rt, const Value &a, const Value &b)
{
    if (a.asObject() == b.asObject())
        return true;
    const auto *fa = dynamic_cast<const FunctionObject *>(a.asObject());
    const auto *fb = dynamic_cast<const FunctionObject *>(b.asObject());
    return fa && fb && fa->bound && fb->bound && fa->method == fb->method &&
           rt.strictEquals(fa->boundThis, fb->boundThis);
}

Value construct(Runtime &, const Value &self, Args args)
{
    if (auto *dispatcher = dynamic_cast<EventDispatcherObject *>(self.asObject()))
        dispatcher->dispatchTarget = args[0].isObject() ? args[0] : Value::null();
    return Value();
}

Value requireListener(Runtime &rt, const Value &listener)
{
    if (listener.isNullish())
        rt.throwError(ErrorType::TypeError, NullParameterError, QStringList{QStringLiteral("listener")});
    if (!dynamic_cast<FunctionObject *>(listener.asObject()))
        rt.throwError(ErrorType::TypeError, 1034, QStringList{rt.describe(listener), QStringLiteral("Function")});
    return listener;
}

// addEventListener(type, listener, useCapture = false, priority = 0, useWeakReference = false)
Value addEventListener(Runtime &rt, const Value &self, Args args)
{
    EventDispatcherObject *dispatcher = self_(rt, self);
    EventDispatcherObject::Listener added{rt.toString(args[0]), requireListener(rt, args[1]), rt.toBoolean(args[2]),
                                          rt.toInt(args[3])};
    auto &list = dispatcher->listeners;
    for (const auto &l : list)
        if (l.type == added.type && l.capture == added.capture && sameFunction(rt, l.function, added.function))
            return Value();
    if (list.size() >= EventDispatcherObject::MaxListeners)
        throw ScriptAbort{QStringLiteral("too many event listeners")};
    // Higher priorities first; equal ones in the order they were added.
    const auto at = std::find_if(list.begin(), list.end(),
                                 [&](const EventDispatcherObject::Listener &l) { return l.priority < added.priority; });
    const QString type = added.type;
    list.insert(at, std::move(added));
    dispatcher->listenerAdded(rt, type);
    return Value();
}

Value removeEventListener(Runtime &rt, const Value &self, Args args)
{
    EventDispatcherObject *dispatcher = self_(rt, self);
    const QString type = rt.toString(args[0]);
    const Value listener = requireListener(rt, args[1]);
    const bool capture = rt.toBoolean(args[2]);
    auto &list = dispatcher->listeners;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const EventDispatcherObject::Listener &l) {
                                  return l.type == type && l.capture == capture &&
                                         sameFunction(rt, l.function, listener);
                              }),
               list.end());
    return Value();
}

Value hasEventListener(Runtime &rt, const Value &self, Args args)
{
    return Value(self_(rt, self)->listensTo(rt.toString(args[0])));
}

Value willTrigger(Runtime &rt, const Value &self, Args args)
{
    const QString type = rt.toString(args[0]);
    int steps = 0;
    for (const EventDispatcherObject *d = self_(rt, self); d && steps < MaxPathLength; d = d->eventParent(), ++steps)
        if (d->listensTo(type))
            return Value(true);
    return Value(false);
}

Value dispatchEvent(Runtime &rt, const Value &self, Args args)
{
    EventDispatcherObject *dispatcher = self_(rt, self);
    if (args[0].isNullish())
        rt.throwError(ErrorType::TypeError, NullParameterError, QStringList{QStringLiteral("event")});
    auto *event = ThisAs<EventObject>(rt, args[0], "flash.events.Event");
    return Value(DispatchEvent(rt, *dispatcher, event));
}

// Calls the listeners of one object for one phase, as they were when the phase began.
void notify(Runtime &rt, EventDispatcherObject &object, EventObject &event, bool capture)
{
    std::vector<Value> functions;
    for (const auto &l : object.listeners)
        if (l.capture == capture && l.type == event.type)
            functions.push_back(l.function);
    if (functions.empty())
        return;
    event.currentTarget = object.dispatchTarget.isObject() ? object.dispatchTarget : Value(&object);
    const Value argument(static_cast<Object *>(&event));
    for (const Value &fn : functions) {
        rt.call(fn, Value::null(), Args{&argument, 1});
        if (event.stoppedNow)
            return;
    }
}

} // namespace

bool EventDispatcherObject::listensTo(const QString &type) const
{
    return std::any_of(listeners.begin(), listeners.end(), [&](const Listener &l) { return l.type == type; });
}

void EventDispatcherObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    marker(dispatchTarget);
    for (const Listener &l : listeners)
        marker(l.function);
}

bool DispatchEvent(Runtime &rt, EventDispatcherObject &target, EventObject *event)
{
    if (!event->target.isNull())
        event = static_cast<EventObject *>(CloneEvent(rt, Value(static_cast<Object *>(event))).asObject());
    event->target = target.dispatchTarget.isObject() ? target.dispatchTarget : Value(&target);
    std::vector<EventDispatcherObject *> parents;
    for (EventDispatcherObject *p = target.eventParent(); p && int(parents.size()) < MaxPathLength;
         p = p->eventParent())
        parents.push_back(p);
    event->phase = EventObject::Capturing;
    for (auto it = parents.rbegin(); it != parents.rend() && !event->stopped; ++it)
        notify(rt, **it, *event, true);
    if (!event->stopped) {
        event->phase = EventObject::AtTarget;
        notify(rt, target, *event, false);
    }
    event->phase = EventObject::Bubbling;
    for (auto it = parents.begin(); event->bubbles && it != parents.end() && !event->stopped; ++it)
        notify(rt, **it, *event, false);
    return !event->defaultPrevented;
}

void DispatchToTarget(Runtime &rt, EventDispatcherObject &target, EventObject &event)
{
    event.target = target.dispatchTarget.isObject() ? target.dispatchTarget : Value(&target);
    event.phase = EventObject::AtTarget;
    notify(rt, target, event, false);
}

extern const NativeClass EventDispatcherClass = {
    "flash.events", "EventDispatcher", "Object", 0, CreateNative<EventDispatcherObject>, construct, nullptr,
    {
        {"addEventListener", MemberKind::Method, addEventListener, 2},
        {"removeEventListener", MemberKind::Method, removeEventListener, 2},
        {"hasEventListener", MemberKind::Method, hasEventListener, 1},
        {"willTrigger", MemberKind::Method, willTrigger, 1},
        {"dispatchEvent", MemberKind::Method, dispatchEvent, 1},
    },
    {},
    nullptr,
    {"flash.events::IEventDispatcher"},
    nullptr,
};

} // namespace swf::avm2
