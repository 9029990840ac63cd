#pragma once

#include "swf/script/ScriptContext.h"
#include "swf/script/ScriptHeap.h"

#include <QHash>

#include <vector>

namespace swf {

struct ClassDecl;
struct MethodDecl;
struct PropertyDecl;
struct DisplayObject;

// The script world of one movie: its heap, the global object and the
// built-in classes the builtins folder declares, as visible to the movie's
// version.
class ScriptEngine {
public:
    // Deepest nesting of script function calls.
    static constexpr int MaxCallDepth = 256;
    // Most elements an array may hold.
    static constexpr int MaxArrayLength = 1 << 20;

    ScriptEngine() = default;
    ScriptEngine(const ScriptEngine &) = delete;
    ScriptEngine &operator=(const ScriptEngine &) = delete;

    // Forgets every object and builds fresh globals for a movie of version.
    void reset(int version);
    // The key a name is stored under: movies before version 7 ignore case.
    QString key(const QString &name) const { return m_caseSensitive ? name : name.toLower(); }
    int version() const { return m_version; }
    ScriptHeap &heap() { return m_heap; }

    ScriptObject *global() const { return m_global; }
    ScriptObject *objectPrototype() const { return m_objectPrototype; }
    ScriptObject *arrayPrototype() const { return m_arrayPrototype; }
    ScriptObject *functionPrototype() const { return m_functionPrototype; }
    ScriptObject *stringPrototype() const { return m_stringPrototype; }
    ScriptObject *numberPrototype() const { return m_numberPrototype; }
    ScriptObject *booleanPrototype() const { return m_booleanPrototype; }
    // What a clip inherits from: the prototype a script gave it, or MovieClip's.
    ScriptObject *clipPrototype(const DisplayObject &clip) const;

    // New objects; nullptr once the heap is full.
    ScriptObject *newObject(ScriptObject *prototype = nullptr);
    ScriptObject *newArray(std::vector<Value> elements = {});
    ScriptObject *newFunction();
    ScriptObject *newNative(NativeFunction function);
    // A function call's locals: an object that inherits nothing.
    ScriptObject *newActivation() { return m_heap.make(ScriptObject::Kind::Object, nullptr); }

    // Frees the objects that neither the globals nor any clip's variables reach.
    void collectGarbage(const std::vector<const DisplayObject *> &roots);
    // True when the heap has grown enough since the last collection to be worth one.
    bool wantsCollection() const { return m_heap.size() > 2 * m_liveAfterCollection + 10000; }

    // A function that setInterval runs every period (setTimeout: once), on
    // a function or on an object's method.
    struct Interval {
        int id = 0;
        Value function;
        Value self;
        QString method;
        std::vector<Value> args;
        qint64 periodMs = 0;
        qint64 dueMs = 0;
        bool once = false;
    };
    static constexpr int MaxIntervals = 1000;
    static constexpr qint64 MinIntervalMs = 10;
    // Adds an interval, giving it its id; 0 when there are too many.
    int addInterval(Interval interval);
    void clearInterval(int id);
    // The intervals due at nowMs, each set to come round again.
    std::vector<Interval> takeDueIntervals(qint64 nowMs);

    // Values kept alive under a name, whatever else reaches them, until the
    // movie goes: the shared objects a movie opened, say.
    Value kept(const QString &name) const { return m_kept.value(name, Undefined{}); }
    void keep(const QString &name, const Value &value) { m_kept.insert(name, value); }
    void release(const QString &name) { m_kept.remove(name); }
    const QHash<QString, Value> &keptValues() const { return m_kept; }

    int callDepth = 0;
    // Counts a call, conversion or script run from inside another against
    // callDepth for as long as it lasts.
    class NestedCall {
    public:
        explicit NestedCall(ScriptEngine &engine) : m_engine(engine) { ++m_engine.callDepth; }
        ~NestedCall() { --m_engine.callDepth; }
        NestedCall(const NestedCall &) = delete;
        NestedCall &operator=(const NestedCall &) = delete;

    private:
        ScriptEngine &m_engine;
    };

private:
    // A function object, made as the reference player makes them: it
    // inherits from Function.prototype (through a __proto__ movies of
    // version 5 do not see) and names Function as its constructor.
    ScriptObject *makeFunction(ScriptObject::Kind kind);
    // Function itself, made before anything else so that every function
    // can name it.
    void makeFunctionClass();
    void install(const ClassDecl &decl);
    ScriptObject *installConstructor(const ClassDecl &decl);
    ScriptObject *installObject(const ClassDecl &decl);
    void addMember(ScriptObject *owner, const char *name, const Value &value, int flags);
    void addMethods(ScriptObject *owner, const std::vector<MethodDecl> &methods, int flags);
    void addProperties(ScriptObject *owner, const std::vector<PropertyDecl> &properties, int flags);
    // The object a dotted path of names leads to from the globals, made where
    // missing; a package made for a class is hidden as the class is.
    ScriptObject *namespaceFor(const QString &path, int version);
    ScriptObject *prototypeOf(const char *className) const;

    ScriptHeap m_heap;
    int m_version = 0;
    bool m_caseSensitive = false;
    int m_liveAfterCollection = 0;
    ScriptObject *m_global = nullptr;
    ScriptObject *m_objectPrototype = nullptr;
    ScriptObject *m_arrayPrototype = nullptr;
    ScriptObject *m_functionPrototype = nullptr;
    ScriptObject *m_stringPrototype = nullptr;
    ScriptObject *m_numberPrototype = nullptr;
    ScriptObject *m_booleanPrototype = nullptr;
    ScriptObject *m_movieClipPrototype = nullptr;
    std::vector<Interval> m_intervals;
    int m_nextInterval = 1;
    QHash<QString, Value> m_kept;
};

} // namespace swf
