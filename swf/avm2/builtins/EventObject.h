#pragma once

#include "swf/avm2/builtins/NativeHelpers.h"

#include <array>

namespace swf::avm2 {

// An event as dispatchers carry it. The fields of the event classes built
// on Event (a mouse event's coordinates, a key's code) sit in `fields`,
// numbered by each class.
class EventObject : public Object {
public:
    static constexpr int MaxFields = 12;
    enum Phase : int32_t { Capturing = 1, AtTarget = 2, Bubbling = 3 };

    using Object::Object;
    QString type;
    bool bubbles = false;
    bool cancelable = false;
    Value target = Value::null();
    Value currentTarget = Value::null();
    int32_t phase = AtTarget;
    bool defaultPrevented = false;
    bool stopped = false;
    bool stoppedNow = false;
    std::array<Value, MaxFields> fields;
    // How each field takes what scripts write to it.
    std::array<uint8_t, MaxFields> fieldKinds{};

    void mark(const Marker &marker) const override
    {
        Object::mark(marker);
        marker(target);
        marker(currentTarget);
        for (const Value &field : fields)
            marker(field);
    }
};

// What an event class adds to Event: its fields, in the order its
// constructor takes them after (type, bubbles, cancelable), how each is
// kept, and its default.
struct EventField {
    enum class Kind : uint8_t { Number, Int, Uint, Boolean, String, Object };
    const char *name;
    Kind kind;
    double number = 0;
    const char *text = nullptr;
};
using EventFields = std::vector<EventField>;

// Makes an event of the class named (a built-in one) for the player to dispatch.
EventObject *NewEvent(Runtime &rt, const char *className, const QString &type, bool bubbles = false,
                      bool cancelable = false);
// The constructor of an event class: (type, bubbles, cancelable, fields...).
void ConstructEvent(Runtime &rt, const Value &self, Args args, bool bubblesByDefault, const EventFields &fields);
// "[MouseEvent type="click" bubbles=true ... delta=0]".
QString EventText(Runtime &rt, const Value &event, const QString &className, const QStringList &names);
// Event's own properties and then the class's, by name, for toString.
QStringList EventFieldNames(const EventFields &fields);
QStringList EventFieldNames(std::initializer_list<const char *> names);
// ErrorEvent's fields (text, errorID), which its subclasses share.
const EventFields &ErrorEventFields();
// A copy of the event as the class it is: type, flags and fields.
Value CloneEvent(Runtime &rt, const Value &self);

Value CoerceEventField(Runtime &rt, EventField::Kind kind, const Value &v);

// Reads and writes field Index of an event, as the class's accessors do.
template <int Index> Value GetEventField(Runtime &rt, const Value &self, Args)
{
    return ThisAs<EventObject>(rt, self, "flash.events.Event")->fields[Index];
}
template <int Index> Value SetEventField(Runtime &rt, const Value &self, Args args)
{
    EventObject *event = ThisAs<EventObject>(rt, self, "flash.events.Event");
    event->fields[Index] = CoerceEventField(rt, EventField::Kind(event->fieldKinds[Index]), args[0]);
    return Value();
}

// The accessors of an event class's fields, then its other members.
std::vector<NativeMember> EventMembers(const EventFields &fields, std::vector<NativeMember> others);

} // namespace swf::avm2
