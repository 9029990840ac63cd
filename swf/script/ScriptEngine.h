#pragma once

#include "swf/script/ScriptContext.h"
#include "swf/script/ScriptHeap.h"

#include <vector>

namespace swf {

struct ClassDecl;
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
    void collectGarbage(const DisplayObject &root);
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

    int callDepth = 0;
    // Set once a script recursed past MaxCallDepth: as in the reference
    // player, no script of the movie runs any more.
    bool aborted = false;

private:
    void install(const ClassDecl &decl);
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
};

} // namespace swf
