// flash.events.Event: what dispatchers hand their listeners, and the base
// of the player's other event classes, whose fields it keeps for them.
#include "swf/avm2/builtins/EventObject.h"

#include <utility>

namespace swf::avm2 {

namespace {

EventObject *self_(Runtime &rt, const Value &self) { return ThisAs<EventObject>(rt, self, "flash.events.Event"); }

Value construct(Runtime &rt, const Value &self, Args args)
{
    ConstructEvent(rt, self, args, false, {});
    return Value();
}

Value type(Runtime &rt, const Value &self, Args) { return Value(self_(rt, self)->type); }
Value bubbles(Runtime &rt, const Value &self, Args) { return Value(self_(rt, self)->bubbles); }
Value cancelable(Runtime &rt, const Value &self, Args) { return Value(self_(rt, self)->cancelable); }
Value target(Runtime &rt, const Value &self, Args) { return self_(rt, self)->target; }
Value currentTarget(Runtime &rt, const Value &self, Args) { return self_(rt, self)->currentTarget; }
Value eventPhase(Runtime &rt, const Value &self, Args) { return Value(self_(rt, self)->phase); }

Value preventDefault(Runtime &rt, const Value &self, Args)
{
    EventObject *event = self_(rt, self);
    if (event->cancelable)
        event->defaultPrevented = true;
    return Value();
}
Value isDefaultPrevented(Runtime &rt, const Value &self, Args) { return Value(self_(rt, self)->defaultPrevented); }
Value stopPropagation(Runtime &rt, const Value &self, Args)
{
    self_(rt, self)->stopped = true;
    return Value();
}
Value stopImmediatePropagation(Runtime &rt, const Value &self, Args)
{
    EventObject *event = self_(rt, self);
    event->stopped = event->stoppedNow = true;
    return Value();
}

Value clone(Runtime &rt, const Value &self, Args) { return CloneEvent(rt, self); }

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(EventText(rt, self, QStringLiteral("Event"),
                           {QStringLiteral("type"), QStringLiteral("bubbles"), QStringLiteral("cancelable"),
                            QStringLiteral("eventPhase")}));
}

// formatToString(className, ...names): the event's properties by name.
Value formatToString(Runtime &rt, const Value &self, Args args)
{
    QStringList names;
    for (int i = 1; i < args.count; ++i)
        names << rt.toString(args[i]);
    return Value(EventText(rt, self, rt.toString(args[0]), names));
}

} // namespace

EventObject *NewEvent(Runtime &rt, const char *className, const QString &type, bool bubbles, bool cancelable)
{
    const Value args[] = {Value(type), Value(bubbles), Value(cancelable)};
    return static_cast<EventObject *>(rt.constructClass(rt.builtin(className), Args{args, 3}));
}

Value CoerceEventField(Runtime &rt, EventField::Kind kind, const Value &v)
{
    switch (kind) {
    case EventField::Kind::Number: return Value::number(rt.toNumber(v));
    case EventField::Kind::Int: return Value(rt.toInt(v));
    case EventField::Kind::Uint: return Value::fromUint(rt.toUint(v));
    case EventField::Kind::Boolean: return Value(rt.toBoolean(v));
    case EventField::Kind::String: return v.isNullish() ? Value::null() : Value(rt.toString(v));
    case EventField::Kind::Object: return v.isObject() ? v : Value::null();
    }
    return v;
}

void ConstructEvent(Runtime &rt, const Value &self, Args args, bool bubblesByDefault, const EventFields &fields)
{
    EventObject *event = self_(rt, self);
    event->type = rt.toString(args[0]);
    event->bubbles = args.has(1) ? rt.toBoolean(args[1]) : bubblesByDefault;
    event->cancelable = rt.toBoolean(args[2]);
    for (size_t i = 0; i < fields.size() && i < size_t(EventObject::MaxFields); ++i) {
        const EventField &field = fields[i];
        const int at = int(i) + 3;
        const Value fallback = field.kind == EventField::Kind::String
                                   ? (field.text ? Value(QString::fromLatin1(field.text)) : Value::null())
                               : field.kind == EventField::Kind::Object  ? Value::null()
                               : field.kind == EventField::Kind::Boolean ? Value(field.number != 0)
                                                                         : Value::number(field.number);
        event->fieldKinds[i] = uint8_t(field.kind);
        event->fields[i] = args.has(at) ? CoerceEventField(rt, field.kind, args[at]) : fallback;
    }
}

namespace {

template <size_t... I> std::vector<NativeMember> fieldAccessors(const EventFields &fields, std::index_sequence<I...>)
{
    static constexpr NativeFn Getters[] = {GetEventField<int(I)>...};
    static constexpr NativeFn Setters[] = {SetEventField<int(I)>...};
    std::vector<NativeMember> members;
    for (size_t i = 0; i < fields.size() && i < sizeof...(I); ++i) {
        members.push_back({fields[i].name, MemberKind::Getter, Getters[i]});
        members.push_back({fields[i].name, MemberKind::Setter, Setters[i]});
    }
    return members;
}

} // namespace

std::vector<NativeMember> EventMembers(const EventFields &fields, std::vector<NativeMember> others)
{
    std::vector<NativeMember> members =
        fieldAccessors(fields, std::make_index_sequence<size_t(EventObject::MaxFields)>());
    members.insert(members.end(), others.begin(), others.end());
    return members;
}

QStringList EventFieldNames(const EventFields &fields)
{
    QStringList names{QStringLiteral("type"), QStringLiteral("bubbles"), QStringLiteral("cancelable"),
                      QStringLiteral("eventPhase")};
    for (const EventField &field : fields)
        names << QString::fromLatin1(field.name);
    return names;
}

QStringList EventFieldNames(std::initializer_list<const char *> names)
{
    QStringList list = EventFieldNames(EventFields{});
    for (const char *name : names)
        list << QString::fromLatin1(name);
    return list;
}

QString EventText(Runtime &rt, const Value &event, const QString &className, const QStringList &names)
{
    QString text = u'[' + className;
    for (const QString &name : names) {
        const Value value = rt.get(event, name);
        text += u' ' + name + u'=' + (value.isString() ? u'"' + value.asString() + u'"' : rt.toString(value));
    }
    return text + u']';
}

Value CloneEvent(Runtime &rt, const Value &self)
{
    EventObject *event = self_(rt, self);
    Class *cls = event->objectClass();
    while (cls && !cls->native)
        cls = cls->superClass;
    const Value args[] = {Value(event->type), Value(event->bubbles), Value(event->cancelable)};
    auto *copy = static_cast<EventObject *>(rt.constructClass(cls, Args{args, 3}));
    copy->fields = event->fields;
    return Value(static_cast<Object *>(copy));
}

extern const NativeClass EventClass = {
    "flash.events", "Event", "Object", 0, CreateNative<EventObject>, construct, nullptr,
    {
        {"type", MemberKind::Getter, type},
        {"bubbles", MemberKind::Getter, bubbles},
        {"cancelable", MemberKind::Getter, cancelable},
        {"target", MemberKind::Getter, target},
        {"currentTarget", MemberKind::Getter, currentTarget},
        {"eventPhase", MemberKind::Getter, eventPhase},
        {"preventDefault", MemberKind::Method, preventDefault},
        {"isDefaultPrevented", MemberKind::Method, isDefaultPrevented},
        {"stopPropagation", MemberKind::Method, stopPropagation},
        {"stopImmediatePropagation", MemberKind::Method, stopImmediatePropagation},
        {"clone", MemberKind::Method, clone},
        {"toString", MemberKind::Method, toStringMethod},
        {"formatToString", MemberKind::Method, formatToString, 1},
    },
    {
        {"ACTIVATE", 0, "activate"},
        {"ADDED", 0, "added"},
        {"ADDED_TO_STAGE", 0, "addedToStage"},
        {"CANCEL", 0, "cancel"},
        {"CHANGE", 0, "change"},
        {"CLOSE", 0, "close"},
        {"COMPLETE", 0, "complete"},
        {"CONNECT", 0, "connect"},
        {"DEACTIVATE", 0, "deactivate"},
        {"ENTER_FRAME", 0, "enterFrame"},
        {"EXIT_FRAME", 0, "exitFrame"},
        {"FRAME_CONSTRUCTED", 0, "frameConstructed"},
        {"FULLSCREEN", 0, "fullScreen"},
        {"ID3", 0, "id3"},
        {"INIT", 0, "init"},
        {"MOUSE_LEAVE", 0, "mouseLeave"},
        {"OPEN", 0, "open"},
        {"REMOVED", 0, "removed"},
        {"REMOVED_FROM_STAGE", 0, "removedFromStage"},
        {"RENDER", 0, "render"},
        {"RESIZE", 0, "resize"},
        {"SCROLL", 0, "scroll"},
        {"SELECT", 0, "select"},
        {"SOUND_COMPLETE", 0, "soundComplete"},
        {"TAB_CHILDREN_CHANGE", 0, "tabChildrenChange"},
        {"TAB_ENABLED_CHANGE", 0, "tabEnabledChange"},
        {"TAB_INDEX_CHANGE", 0, "tabIndexChange"},
        {"UNLOAD", 0, "unload"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
