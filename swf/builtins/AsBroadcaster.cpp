// AsBroadcaster: gives an object a list of listeners and the methods to add
// and remove them and to call a method on each. The built-in objects that
// tell of events (Key, Mouse, Stage...) are given them as they are made.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

#include <optional>

namespace swf {

namespace {

// The flags initialize gives the members it adds: hidden, kept by delete,
// and unseen by movies of version 5.
constexpr int InitializedFlags = DontEnum | DontDelete | HiddenBefore6;
// ASnative's numbering of broadcastMessage, which initialize asks it for.
constexpr int BroadcasterGroup = 101;
constexpr int BroadcastIndex = 12;

const QString ListenersName = QStringLiteral("_listeners");

// The listener list of this, when it is an array.
ScriptObject *listenersOf(NativeCall &call)
{
    ScriptObject *list = objectOf(call.cx.getMember(call.self, ListenersName));
    return list && list->kind == ScriptObject::Kind::Array ? list : nullptr;
}

// Two listeners are the same when they are the same object, clip or value.
bool sameListener(const Value &a, const Value &b)
{
    const auto *clipA = std::get_if<ClipRef>(&a);
    const auto *clipB = std::get_if<ClipRef>(&b);
    if (clipA || clipB)
        return clipA && clipB && clipA->get() == clipB->get();
    if (a.index() != b.index())
        return false;
    if (const auto *number = std::get_if<double>(&a))
        return *number == std::get<double>(b);
    if (const auto *text = std::get_if<QString>(&a))
        return *text == std::get<QString>(b);
    if (const auto *flag = std::get_if<bool>(&a))
        return *flag == std::get<bool>(b);
    return objectOf(a) == objectOf(b);
}

bool removeFrom(ScriptObject &list, const Value &listener)
{
    for (size_t i = 0; i < list.elements.size(); ++i)
        if (sameListener(list.elements[i], listener)) {
            list.elements.erase(list.elements.begin() + std::ptrdiff_t(i));
            return true;
        }
    return false;
}

// addListener(listener): listed once, at the end; always true.
Value addListener(NativeCall &call)
{
    ScriptObject *list = listenersOf(call);
    if (!list)
        return true;
    removeFrom(*list, call.arg(0));
    if (list->resizeElements(list->elements.size() + 1))
        list->elements.back() = call.arg(0);
    return true;
}

// removeListener(listener): whether it was listed.
Value removeListener(NativeCall &call)
{
    ScriptObject *list = listenersOf(call);
    return list && removeFrom(*list, call.arg(0));
}

// broadcastMessage(name, args...): calls name on every listener, in the
// order of a copy taken first (listeners may remove themselves). True when
// there was a listener to call, undefined when not.
// A copy of the listener list: an array's elements, or what any other
// object or clip holds by its length and indexes, as the reference
// player's script reads them; nothing when there is no list.
std::optional<std::vector<Value>> listenerCopy(NativeCall &call)
{
    const Value list = call.cx.getMember(call.self, ListenersName);
    if (const ScriptObject *array = objectOf(list); array && array->kind == ScriptObject::Kind::Array)
        return array->elements;
    if (!objectOf(list) && !std::holds_alternative<ClipRef>(list))
        return std::nullopt;
    const int length = ClampedInt(call.cx.toNumber(call.cx.getMember(list, QStringLiteral("length"))), 0,
                                  ScriptEngine::MaxArrayLength);
    std::vector<Value> listeners;
    for (int i = 0; i < length && call.player().spend(1); ++i)
        listeners.push_back(call.cx.getMember(list, QString::number(i)));
    return listeners;
}

Value broadcastMessage(NativeCall &call)
{
    const std::optional<std::vector<Value>> copy = listenerCopy(call);
    if (!copy || call.args.empty())
        return Undefined{};
    const std::vector<Value> &listeners = *copy;
    const QString method = call.string(0);
    const std::vector<Value> args(call.args.begin() + 1, call.args.end());
    bool any = false;
    for (const Value &listener : listeners) {
        if (isNullish(listener))
            continue;
        any = true;
        if (!call.player().spend(1))
            break;
        call.cx.callMethod(listener, method, args);
    }
    return any ? Value(true) : Value(Undefined{});
}

// initialize(object): as the reference player's own script does it, with
// the methods AsBroadcaster holds now and a broadcastMessage from ASnative.
Value initialize(NativeCall &call)
{
    const Value &target = call.arg(0);
    if (!objectOf(target) && !std::holds_alternative<ClipRef>(target))
        return Undefined{};
    const Value broadcaster = call.cx.getMember(call.engine().global(), QStringLiteral("AsBroadcaster"));
    const Value asNative = call.cx.getMember(call.engine().global(), QStringLiteral("ASnative"));
    const Value broadcast = call.cx.call(asNative, Undefined{}, {double(BroadcasterGroup), double(BroadcastIndex)});
    call.cx.setMember(target, QStringLiteral("broadcastMessage"), broadcast);
    for (const QString &name : {QStringLiteral("addListener"), QStringLiteral("removeListener")})
        call.cx.setMember(target, name, call.cx.getMember(broadcaster, name));
    call.cx.setMember(target, ListenersName, ObjectValue(NewListenerList(call.engine())));
    if (ScriptObject *object = objectOf(target))
        for (const char *name : {"broadcastMessage", "addListener", "removeListener", "_listeners"})
            object->setFlags(call.key(QString::fromLatin1(name)), InitializedFlags, 0);
    return Undefined{};
}

} // namespace

ScriptObject *NewListenerList(ScriptEngine &engine)
{
    // Made as `new Array` made arrays in the script that does this in the
    // reference player: naming Array as its constructor.
    ScriptObject *list = engine.newArray();
    if (list)
        if (const Value *array = engine.global()->own(engine.key(QStringLiteral("Array"))))
            AddBuiltinMember(engine, *list, "constructor", *array, BuiltinFlags);
    return list;
}

Value BroadcastMessage(NativeCall &call) { return broadcastMessage(call); }

void InitializeBroadcaster(ScriptEngine &engine, ScriptObject &object, int flags)
{
    const Value *broadcaster = engine.global()->own(engine.key(QStringLiteral("AsBroadcaster")));
    const ScriptObject *methods = broadcaster ? objectOf(*broadcaster) : nullptr;
    if (!methods)
        return;
    AddBuiltinMember(engine, object, "broadcastMessage", ObjectValue(engine.newNative(broadcastMessage)), flags);
    for (const char *name : {"addListener", "removeListener"})
        if (const Value *method = methods->own(engine.key(QString::fromLatin1(name))))
            AddBuiltinMember(engine, object, name, *method, flags);
    AddBuiltinMember(engine, object, "_listeners", ObjectValue(NewListenerList(engine)), flags);
}

const ClassDecl AsBroadcasterClass{
    "AsBroadcaster",
    [](NativeCall &) -> Value { return Undefined{}; },
    {},
    {{"initialize", initialize},
     {"addListener", addListener},
     {"removeListener", removeListener},
     {"broadcastMessage", broadcastMessage}},
    {},
};

} // namespace swf
