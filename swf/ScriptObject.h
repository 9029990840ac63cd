#pragma once

#include "swf/ScriptValue.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace swf {

class ScriptHeap;

// A script object: members in the order they were made, a prototype to
// inherit from, and what makes it special: an array's elements, a script
// function's code, or the number of a built-in function.
struct ScriptObject {
    enum class Kind { Object, Array, Function, Native };

    struct Member {
        QString key;
        QString name;
        Value value;
    };
    // A function's parameter: its name, and the register it goes to (0: none).
    struct Parameter {
        QString name;
        int reg = 0;
    };

    Kind kind = Kind::Object;
    ScriptObject *prototype = nullptr;
    std::vector<Value> elements;

    // Script functions: their code, parameters and the scope they close over.
    QByteArray code;
    std::vector<Parameter> parameters;
    std::vector<QString> constants;
    ClipRef scopeClip;
    std::vector<ScriptObject *> scopes; // activations of the functions around it, innermost last
    bool function2 = false;
    int registerCount = 0;
    int flags = 0;
    int native = -1;
    // What a built-in class keeps on its objects: the sound a Sound object
    // attached, the clip a Color object tints.
    QString builtinData;
    ClipRef builtinClip;

    bool isCallable() const { return kind == Kind::Function || kind == Kind::Native; }

    // Grow the elements within the heap's allowance; false when refused.
    bool resizeElements(size_t size);
    bool insertElements(size_t at, const Value *first, size_t count);

    // Members by key (names as the movie's version compares them).
    const Value *own(const QString &key) const;
    Value *own(const QString &key);
    // The member here or on the prototype chain.
    const Value *find(const QString &key) const;
    void set(const QString &key, const QString &name, Value value);
    bool remove(const QString &key);
    const std::vector<Member> &members() const { return m_members; }

private:
    friend class ScriptHeap;
    ScriptHeap *m_heap = nullptr;
    std::vector<Member> m_members;
    QHash<QString, int> m_index;
    bool m_marked = false;
};

// Every script object of one movie. Objects are freed all at once when the
// movie goes, and in between by a collection from the values still in use.
class ScriptHeap {
public:
    static constexpr int MaxObjects = 200000;
    // Objects, members and array elements the heap holds at most: a hostile
    // script cannot take the machine's memory.
    static constexpr qint64 MaxCells = 2000000;

    ScriptHeap() = default;
    ScriptHeap(const ScriptHeap &) = delete;
    ScriptHeap &operator=(const ScriptHeap &) = delete;

    // A new object, or nullptr once the heap is full.
    ScriptObject *make(ScriptObject::Kind kind, ScriptObject *prototype);
    void clear();
    int size() const { return int(m_objects.size()); }
    // Claims room for cells more members or elements; false when the heap is full.
    bool take(qint64 cells);
    bool canTake(qint64 cells) const { return cells >= 0 && cells <= MaxCells - m_cells; }

    // Frees what the roots do not reach; roots calls mark for each value in use.
    void collect(const std::function<void(const std::function<void(const Value &)> &mark)> &roots);

private:
    std::vector<std::unique_ptr<ScriptObject>> m_objects;
    qint64 m_cells = 0; // counted as they are taken, recounted by each collection
};

} // namespace swf
