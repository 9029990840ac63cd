// Object: the constructor and Object.prototype.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "ClassRegistry.h"

#include "swf/DisplayObject.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// Movies of version 5 do not see hasOwnProperty.
constexpr int FirstVersionWithOwnProperties = 6;
constexpr int FirstVersionWithWatches = 6;
constexpr int FirstVersionWithRegisteredClasses = 6;

Value construct(NativeCall &call)
{
    if (objectOf(call.arg(0)))
        return call.arg(0);
    if (call.construct)
        return call.self;
    // Called as a function, it makes an object of no class: instanceof
    // finds no prototype on it, not even Object's.
    ScriptObject *plain = call.engine().newObject();
    if (plain)
        plain->setPrototype(nullptr);
    return ObjectValue(plain);
}

Value toString(NativeCall &call)
{
    const ScriptObject *object = call.object();
    return object && object->isCallable() ? QStringLiteral("[type Function]") : QStringLiteral("[object Object]");
}

Value valueOf(NativeCall &call) { return call.self; }

// The object whose members this names: an object's own, a clip's.
ScriptObject *memberHolder(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    return clip ? &clip->object : call.object();
}

Value hasOwnProperty(NativeCall &call)
{
    const ScriptObject *object = memberHolder(call);
    return object && !call.args.empty() && object->hasOwn(call.key(call.string(0)));
}

// addProperty(name, getter, setter): a member read and written through
// functions; without a setter, assignments do nothing.
Value addProperty(NativeCall &call)
{
    DisplayObject *clip = call.clip(); // a clip keeps its members in its script side
    ScriptObject *object = clip ? &clip->object : call.object();
    const QString name = call.string(0);
    ScriptObject *getter = objectOf(call.arg(1));
    ScriptObject *setter = objectOf(call.arg(2));
    if (!object || name.isEmpty() || !getter || !getter->isCallable())
        return false;
    if (setter && !setter->isCallable())
        return false;
    if (!setter && !std::holds_alternative<Null>(call.arg(2)))
        return false;
    object->setProperty(call.key(name), name, getter, setter);
    return true;
}

// watch(name, callback, data): assignments to the member call callback
// (name, old value, new value, data) first and store what it answers.
Value watch(NativeCall &call)
{
    ScriptObject *holder = memberHolder(call);
    const ScriptObject *callback = objectOf(call.arg(1));
    if (!holder || call.args.empty() || !callback || !callback->isCallable())
        return false;
    return holder->watch(call.key(call.string(0)), objectOf(call.arg(1)), call.arg(2));
}

Value unwatch(NativeCall &call)
{
    ScriptObject *holder = memberHolder(call);
    return holder && !call.args.empty() && holder->unwatch(call.key(call.string(0)));
}

// The first prototype a value inherits from: a plain value's class's.
const ScriptObject *firstPrototype(NativeCall &call, const Value &value)
{
    ScriptEngine &engine = call.engine();
    if (const ScriptObject *object = objectOf(value))
        return object->prototype();
    if (const auto *ref = std::get_if<ClipRef>(&value))
        return ref->get() ? engine.clipPrototype(*ref->get()) : nullptr;
    if (std::holds_alternative<double>(value))
        return engine.numberPrototype();
    if (std::holds_alternative<QString>(value))
        return engine.stringPrototype();
    return std::holds_alternative<bool>(value) ? engine.booleanPrototype() : nullptr;
}

// Whether this is on the value's prototype chain.
Value isPrototypeOf(NativeCall &call)
{
    constexpr int MaxChain = 256;
    const ScriptObject *self = call.object();
    const ScriptObject *walk = firstPrototype(call, call.arg(0));
    for (int depth = 0; self && walk && depth < MaxChain; ++depth, walk = walk->prototype())
        if (walk == self)
            return true;
    return false;
}

QString registrationKey(const QString &exportName)
{
    return QStringLiteral("registerClass ") + exportName.toLower();
}

// Object.registerClass(exportName, constructor); a constructor that is no
// function undoes the registration.
Value registerClass(NativeCall &call)
{
    if (call.args.size() < 2)
        return false;
    const QString key = registrationKey(call.string(0));
    if (ScriptObject *constructor = objectOf(call.arg(1)); constructor && constructor->isCallable())
        call.engine().keep(key, constructor);
    else
        call.engine().release(key);
    return true;
}

} // namespace

ScriptObject *RegisteredClass(ScriptEngine &engine, const QString &exportName)
{
    return exportName.isEmpty() ? nullptr : objectOf(engine.kept(registrationKey(exportName)));
}

void AdoptRegisteredClass(ScriptEngine &engine, DisplayObject &clip, const QString &exportName)
{
    if (ScriptObject *constructor = RegisteredClass(engine, exportName))
        if (ScriptObject *prototype = PrototypeOf(engine, *constructor))
            clip.object.setPrototype(prototype);
}

void ConstructRegisteredClass(ScriptContext &cx, DisplayObject &clip, const QString &exportName)
{
    if (ScriptObject *constructor = RegisteredClass(cx.engine(), exportName))
        cx.call(constructor, refTo(&clip), {});
}

const ClassDecl ObjectClass{
    "Object",
    construct,
    {{"toString", toString},
     {"valueOf", valueOf},
     {"hasOwnProperty", hasOwnProperty, FirstVersionWithOwnProperties},
     {"addProperty", addProperty, 6},
     {"isPrototypeOf", isPrototypeOf, FirstVersionWithOwnProperties},
     {"watch", watch, FirstVersionWithWatches},
     {"unwatch", unwatch, FirstVersionWithWatches}},
    {{"registerClass", registerClass, FirstVersionWithRegisteredClasses}},
    {},
};

} // namespace swf
