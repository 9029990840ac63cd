#pragma once

#include "swf/script/ScriptContext.h"
#include "swf/script/ScriptObject.h"

#include <cmath>
#include <vector>

namespace swf {

// One call of a built-in function: this (under `new`, the object being
// made, already given the class's prototype), the arguments, and the
// interpreter to convert values and call back into scripts.
struct NativeCall {
    ScriptContext &cx;
    Value self;
    const std::vector<Value> &args;
    bool construct = false;

    ScriptEngine &engine() const { return cx.engine(); }
    MoviePlayer &player() const { return cx.player(); }
    // Argument i as a number, or fallback when not given.
    double number(size_t i, double fallback = std::nan("")) const
    {
        return i < args.size() ? cx.toNumber(args[i]) : fallback;
    }
    // Argument i as text; an empty string when not given.
    QString string(size_t i) const { return i < args.size() ? cx.toString(args[i]) : QString(); }
    const Value &arg(size_t i) const;
    // This as an object, as an array, and as a clip still on stage.
    ScriptObject *object() const { return objectOf(self); }
    DisplayObject *clip() const
    {
        const auto *ref = std::get_if<ClipRef>(&self);
        return ref ? ref->get() : nullptr;
    }
    ScriptObject *array() const;
    // The key a name is stored under in this movie.
    QString key(const QString &name) const;
};

// A number as an int within low..high; NaN counts as fallback.
int ClampedInt(double d, int low, int high, int fallback = 0);
// Clamps a relative index (negative counts from the end) into 0..length.
int RelativeIndex(double index, int length);
// An object made by a built-in as a value: undefined when the heap is full.
Value ObjectValue(ScriptObject *object);
// String, Number and Boolean: under `new`, the object being made wraps the
// plain value and is the answer; called as a function, the value is.
Value BoxedUnderNew(NativeCall &call, Value plain);
// The plain value this wraps when it is a boxed T; otherwise this itself.
template <typename T> Value UnboxedSelf(const NativeCall &call)
{
    const ScriptObject *object = call.object();
    const Value *boxed = object ? object->boxed() : nullptr;
    return boxed && std::holds_alternative<T>(*boxed) ? *boxed : call.self;
}

// The flags of a built-in's members unless its table says otherwise:
// hidden from for..in and kept by delete.
constexpr int BuiltinFlags = DontEnum | DontDelete;
// A constant keeps its value through assignments too.
constexpr int ConstantFlags = BuiltinFlags | ReadOnly;

// A method or a function of a built-in, and the movie version from which
// scripts see it. With sameAs, it is not a function of its own but a second
// name for an earlier method of the same table (Date.prototype.valueOf is
// getTime itself).
// Flags, when given (not UnsetFlags), replace the table's for this member.
// A method the reference player writes in ActionScript rather than natively
// has a prototype object of its own, as script functions do.
constexpr int UnsetFlags = -1;
struct MethodDecl {
    const char *name;
    NativeFunction function;
    int version = 5;
    const char *sameAs = nullptr;
    int flags = UnsetFlags;
    bool withPrototype = false;
};

// A second name for the method `of` of the same table.
inline MethodDecl SameAs(const char *name, const char *of) { return {name, nullptr, 5, of}; }
// A method the reference player defines in ActionScript: with a prototype.
inline MethodDecl ScriptMethod(const char *name, NativeFunction function, int version = 5, int flags = UnsetFlags)
{
    return {name, function, version, nullptr, flags, true};
}

// A number a built-in holds (Math.PI, Key.LEFT), with its flags.
struct ConstantDecl {
    const char *name;
    double value;
    int flags = ConstantFlags;
};

// A member read and written through built-in functions (Stage.width);
// without a setter, assignments leave it as it is.
struct PropertyDecl {
    const char *name;
    NativeFunction getter;
    NativeFunction setter = nullptr;
    int flags = UnsetFlags;
    int version = 5;
};

class ScriptEngine;

// A built-in class or group of globals, declared as a table. With a
// constructor, `name` becomes a global constructor whose prototype holds
// the methods; without one, `name` becomes a plain object (Math, Key).
// Without a name, the statics and constants go on the global object.
// Movies older than `version` do not see the global. The members the
// constructor (or object) holds, its own __proto__, constructor and
// prototype included, take staticFlags; those of the prototype take
// prototypeFlags.
struct ClassDecl {
    const char *name;
    NativeFunction constructor;
    std::vector<MethodDecl> prototype;
    std::vector<MethodDecl> statics;
    std::vector<ConstantDecl> constants;
    int version = 5;
    int staticFlags = BuiltinFlags;
    int prototypeFlags = BuiltinFlags;
    // Properties of the class object itself (Stage.align).
    std::vector<PropertyDecl> properties = {};
    // Properties of the prototype (PrintJob.prototype.paperWidth): what
    // they answer for an object of the class.
    std::vector<PropertyDecl> prototypeProperties = {};
    // What the table cannot say, done once the class is installed: the
    // listeners AsBroadcaster gives it, plain values on its prototype.
    void (*setup)(ScriptEngine &engine, ScriptObject &holder) = nullptr;
};

// Members that setup hooks add, as the tables add theirs.
void AddBuiltinMember(ScriptEngine &engine, ScriptObject &owner, const char *name, const Value &value, int flags);
// The prototype a class's constructor holds, or nullptr.
ScriptObject *PrototypeOf(ScriptEngine &engine, const ScriptObject &constructor);
// Gives an object the members AsBroadcaster.initialize gives it, with flags.
void InitializeBroadcaster(ScriptEngine &engine, ScriptObject &object, int flags);
// An empty listener list, as initialize makes it.
ScriptObject *NewListenerList(ScriptEngine &engine);
// ASnative(101, 12): AsBroadcaster's broadcastMessage.
Value BroadcastMessage(NativeCall &call);

} // namespace swf
