#pragma once

#include "swf/avm2/Namespace.h"
#include "swf/avm2/Value.h"

#include <QHash>
#include <QString>

#include <functional>
#include <vector>

namespace swf::avm2 {

class Class;
class Runtime;
struct Traits;

// Hands the collector each value an object keeps alive.
using Marker = std::function<void(const Value &)>;

// The dynamic properties of an object, in the order they were added; a
// deleted property leaves a gap so that enumeration indices stay valid.
class DynamicProperties {
public:
    struct Entry {
        QString name;
        Value value;
        bool enumerable = true;
        bool deleted = false;
    };

    Value *find(const QString &name);
    const Value *find(const QString &name) const;
    // Adds or replaces; returns the stored value.
    void set(const QString &name, const Value &value, bool enumerable = true);
    bool remove(const QString &name);
    bool setEnumerable(const QString &name, bool enumerable);
    bool isEnumerable(const QString &name) const;
    int size() const { return m_live; }
    // Enumeration: entries are numbered from 1; 0 ends.
    int next(int index) const;
    const Entry &at(int index) const { return m_entries[size_t(index - 1)]; }
    const std::vector<Entry> &entries() const { return m_entries; }
    void mark(const Marker &marker) const;

private:
    void compact();

    std::vector<Entry> m_entries;
    QHash<QString, int> m_index;
    int m_live = 0;
};

// Every ActionScript 3 object: sealed slotValues its class declares, dynamic
// properties for dynamic classes, and the prototype chain plain property
// reads fall back on. Subclasses keep native state (array elements, a
// function's code, a display object).
class Object {
public:
    explicit Object(Class *cls);
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;
    virtual ~Object() = default;

    Class *objectClass() const { return m_class; }
    void setObjectClass(Class *cls) { m_class = cls; }
    Object *prototype() const { return m_prototype; }
    void setPrototype(Object *proto) { m_prototype = proto; }

    // The traits this object's sealed properties come from.
    virtual const Traits *traits() const;
    // Whether properties may be added at run time.
    virtual bool isDynamic() const;

    std::vector<Value> slotValues;
    DynamicProperties dynamics;

    // Own dynamic properties by name, with the namespaces asked for. Classes
    // with their own storage (arrays, dictionaries, proxies, XML) override.
    virtual bool getOwn(Runtime &rt, const Multiname &name, Value &out);
    // False when the object refuses the property.
    virtual bool setOwn(Runtime &rt, const Multiname &name, const Value &value);
    virtual bool hasOwn(Runtime &rt, const Multiname &name);
    virtual bool deleteOwn(Runtime &rt, const Multiname &name);
    // A computed property name (obj[key]) before it becomes text: arrays
    // take integers directly, dictionaries take objects. False: not handled.
    virtual bool getByKey(Runtime &rt, const Value &key, Value &out);
    virtual bool setByKey(Runtime &rt, const Value &key, const Value &value);
    virtual bool hasByKey(Runtime &rt, const Value &key, bool &has);
    virtual bool deleteByKey(Runtime &rt, const Value &key, bool &deleted);

    // for..in over own enumerable properties: indices from 1, 0 ends.
    virtual int nextIndex(Runtime &rt, int index);
    virtual Value nameAt(Runtime &rt, int index);
    virtual Value valueAt(Runtime &rt, int index);
    virtual bool propertyIsEnumerable(const QString &name) const;
    virtual bool setPropertyIsEnumerable(const QString &name, bool enumerable);

    // Value equality beyond identity (XML compares by content).
    virtual bool equalsValue(Runtime &rt, const Value &other) { (void)rt, (void)other; return false; }
    // The + operator when this object takes part and decides (XML lists
    // concatenate); false: the usual rules.
    virtual bool addValues(Runtime &rt, const Value &a, const Value &b, Value &out)
    {
        (void)rt, (void)a, (void)b, (void)out;
        return false;
    }

    // XML: a name read, written or deleted means a child even where a
    // method trait has it; traits are reached only by calls.
    virtual bool namesChildren() const { return false; }
    // The primitive value (XML's text) when the object gives it directly.
    virtual bool toPrimitiveValue(Runtime &rt, Value &out)
    {
        (void)rt, (void)out;
        return false;
    }

    // The descendants operator (x..name), which only XML answers.
    virtual bool descendants(Runtime &rt, const Multiname &name, Value &out)
    {
        (void)rt, (void)name, (void)out;
        return false;
    }

    // Everything the object keeps alive, for the collector.
    virtual void mark(const Marker &marker) const;

    // Collector bookkeeping.
    bool marked = false;

private:
    Class *m_class = nullptr;
    Object *m_prototype = nullptr;
};

// A property name's text when it is a valid array index, else -1.
int64_t ArrayIndexOf(const QString &name);

} // namespace swf::avm2
