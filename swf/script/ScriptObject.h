#pragma once

#include "swf/script/Value.h"

#include <QByteArray>
#include <QHash>

#include <functional>
#include <memory>
#include <vector>

namespace swf {

class ScriptContext;
class ScriptHeap;
struct NativeCall;

// A built-in function: runs with the call's this, arguments and context.
using NativeFunction = Value (*)(NativeCall &call);

// How a member behaves: hidden from for..in, kept by delete, or kept by
// assignment; and the movie versions it is invisible to, as the reference
// player's built-ins mark what later versions added. The values are those
// ASSetPropFlags takes.
enum MemberFlag {
    DontEnum = 1,
    DontDelete = 2,
    ReadOnly = 4,
    HiddenBefore6 = 0x80,
    HiddenIn6 = 0x100,
    HiddenBefore7 = 0x400,
    HiddenBefore8 = 0x1000,
    HiddenBefore9 = 0x2000,
};

// What a movie of one version sees of members by their flags.
struct MemberVisibility {
    int version = 0;

    // A member the movie can neither read nor write: to it, absent.
    bool hidden(int flags) const;
    // A member hasOwnProperty still answers false for, though for..in lists
    // it: one marked as hidden from version 6, in movies of every version.
    bool unowned(int flags) const;
    // A __proto__ member the member lookup does not follow.
    bool prototypeHidden(int flags) const;
};

// What a built-in class keeps on its objects (the sound a Sound object
// attached, the clip a Color object tints): each class derives its own.
struct NativePayload {
    virtual ~NativePayload() = default;
    // Whether an addition takes the object's text before its number, as it
    // does a Date's (from version 6).
    virtual bool addsAsText() const { return false; }
    // Hands the collector every value the payload keeps alive (an XML
    // node's parent and children), which no member holds.
    virtual void markReferences(const std::function<void(const Value &)> &mark) const { (void)mark; }
    // Members the object answers through its payload, which no listing
    // shows and hasOwnProperty does not see (an XML document's status):
    // false for a key the payload does not know.
    virtual bool readMember(ScriptContext &cx, const QString &key, Value &value)
    {
        (void)cx, (void)key, (void)value;
        return false;
    }
    virtual bool writeMember(ScriptContext &cx, const QString &key, const Value &value)
    {
        (void)cx, (void)key, (void)value;
        return false;
    }
};

// The plain value a String, Number or Boolean object wraps.
struct BoxedPrimitive : NativePayload {
    explicit BoxedPrimitive(Value v) : value(std::move(v)) {}
    Value value;
};

// A script function's code, as DefineFunction or DefineFunction2 gave it.
struct FunctionCode {
    // A parameter: its name, and the register it goes to (0: none).
    struct Parameter {
        QString name;
        int reg = 0;
    };
    QByteArray code;
    std::vector<Parameter> parameters;
    std::vector<QString> constants;
    bool function2 = false;
    int registerCount = 0;
    int flags = 0;
    // Where in its block the definition stands, and the block, kept so that
    // the place stays its own: version 5 counts functions defined at the
    // same place as equal.
    const char *site = nullptr;
    QByteArray block;
};

// A script object: members in the order they were made, a prototype to
// inherit from, and what makes it special: an array's elements, a script
// function's code, a built-in function, a built-in class's payload. A
// function's `super` is an object of its own kind: its elements hold the
// this it calls on and the prototype its lookups start above (null: none).
struct ScriptObject {
    enum class Kind { Object, Array, Function, Native, Super };

    struct Member {
        QString key;
        QString name;
        Value value;
        int flags = 0;
        // A property addProperty made: read and written through functions.
        ScriptObject *getter = nullptr;
        ScriptObject *setter = nullptr;

        bool isProperty() const { return getter != nullptr; }
    };

    // What Object.watch set on a member: the function an assignment to it
    // calls first, and the value handed to it; running while it is called,
    // so that its own assignments to the member do not call it again.
    struct Watch {
        QString key;
        ScriptObject *callback = nullptr;
        Value data;
        bool running = false;
    };

    Kind kind = Kind::Object;
    std::vector<Value> elements;
    std::vector<Watch> watches;

    // Script functions: their code and the scope they close over.
    std::shared_ptr<const FunctionCode> function;
    ClipRef scopeClip;
    // The with objects and activations around the definition, innermost last.
    std::vector<Value> scopes;
    // The prototypes of the interfaces ImplementsOp gave a class's prototype.
    std::vector<ScriptObject *> interfaces;
    // Built-in functions.
    NativeFunction native = nullptr;
    std::unique_ptr<NativePayload> payload;

    bool isCallable() const { return kind == Kind::Function || kind == Kind::Native; }
    // Makes the object an array: its length, read from the elements, is a
    // member of its own that listings show once unhidden.
    void makeArray();
    // The payload when it is of class T.
    template <typename T> T *payloadAs() const { return dynamic_cast<T *>(payload.get()); }
    // The plain value a boxed String, Number or Boolean holds, or nullptr.
    const Value *boxed() const
    {
        const auto *box = payloadAs<BoxedPrimitive>();
        return box ? &box->value : nullptr;
    }

    // Grow the elements within the heap's allowance; false when refused.
    bool resizeElements(size_t size);
    bool insertElements(size_t at, const Value *first, size_t count);

    // The object members are inherited from: the __proto__ member, when it
    // holds an object the movie's version sees.
    ScriptObject *prototype() const;
    void setPrototype(ScriptObject *prototype);

    // Members by key (names as the movie's version compares them), as far
    // as the movie's version sees them.
    const Value *own(const QString &key) const;
    Value *own(const QString &key);
    const Member *ownMember(const QString &key) const;
    // The object's own member even when its flags hide it from the movie's
    // version, as some built-ins reach it.
    Member *storedMember(const QString &key);
    // The member here or on the prototype chain.
    const Member *findMember(const QString &key) const;
    const Value *find(const QString &key) const;
    // Whether the prototype chain goes on past the depth findMember follows
    // (a circular one does).
    bool prototypeChainTooDeep() const;
    // The nearest property (made by addProperty) up the prototype chain.
    const Member *inheritedProperty(const QString &key) const;
    // What hasOwnProperty answers.
    bool hasOwn(const QString &key) const;
    // Sets a member; a read-only one keeps its value. New members, and those
    // the movie does not see, take flags.
    void set(const QString &key, const QString &name, Value value, int flags = 0);
    // Makes a property read and written through functions.
    void setProperty(const QString &key, const QString &name, ScriptObject *getter, ScriptObject *setter);
    // Changes the flags of a member the object has, seen or not.
    void setFlags(const QString &key, int set, int clear);
    void setAllFlags(int set, int clear);
    // Removes a member unless it is DontDelete; true when removed.
    bool remove(const QString &key);
    // Sets or replaces the watch on a member, within the heap's allowance;
    // false when refused. unwatch: true when there was one to remove.
    bool watch(const QString &key, ScriptObject *callback, const Value &data);
    bool unwatch(const QString &key);
    Watch *watchOf(const QString &key);
    // Every member, the hidden ones too, oldest first.
    const std::vector<Member> &members() const { return m_members; }
    MemberVisibility visibility() const;

private:
    friend class ScriptHeap;
    Member *visibleMember(const QString &key);
    Member *add(const QString &key, const QString &name);

    ScriptHeap *m_heap = nullptr;
    std::vector<Member> m_members;
    QHash<QString, int> m_index;
    bool m_marked = false;
};

} // namespace swf
