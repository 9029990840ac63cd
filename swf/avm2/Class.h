#pragma once

#include "swf/avm2/Function.h"

#include <QHash>

#include <vector>

namespace swf::avm2 {

struct NativeClass;

// How a sealed property is bound.
struct TraitBinding {
    enum class Kind : uint8_t { Slot, Const, Method, Accessor };
    const Namespace *ns = nullptr;
    Kind kind = Kind::Slot;
    uint32_t slot = 0; // Slot, Const: index into the object's slotValues
    Method *method = nullptr; // Method
    Method *getter = nullptr; // Accessor
    Method *setter = nullptr;
};

// A slot's declared type and first value.
struct SlotInfo {
    QString name;
    Multiname type; // anyName: untyped
    mutable Class *typeClass = nullptr; // resolved on first use
    mutable bool typeResolved = false;
    Value initial;
};

// The sealed properties of a class's instances (or of its statics, of a
// script's global object, of an activation), inherited ones included.
struct Traits {
    QHash<QString, std::vector<TraitBinding>> byName;
    std::vector<SlotInfo> slotTable;

    const TraitBinding *find(const Multiname &name) const;
    TraitBinding *findExact(const QString &name, const Namespace *ns);
    // Adds or overrides a binding.
    TraitBinding &bind(const QString &name, const Namespace *ns);
    uint32_t addSlot(const QString &name, const Namespace *ns, bool isConst, SlotInfo info);
};

// A class object: the class's statics are its own slotValues; instances take
// their traits and prototype from it.
class Class : public Object {
public:
    explicit Class(Class *classClass);

    QString name;                 // local name
    const Namespace *ns = nullptr; // its package
    Class *superClass = nullptr;
    std::vector<Class *> interfaces; // every interface, inherited ones included
    bool sealed = true;
    bool final = false;
    bool isInterface = false;
    const Namespace *protectedNs = nullptr;

    Traits instanceTraits;
    Traits classTraits;
    Method *instanceInit = nullptr;
    Object *prototypeObject = nullptr;
    SavedScope scope;

    // The built-in class this is, or nullptr for classes from a block.
    const NativeClass *native = nullptr;
    // Makes instances: the nearest built-in ancestor's maker, or nullptr
    // for plain objects.
    Object *(*creator)(Runtime &rt, Class *cls) = nullptr;
    // Vector.<T>: the element type (nullptr: Vector.<*>), and the generic.
    Class *elementType = nullptr;
    bool isVectorClass = false;

    // "flash.display::Sprite", or "Object".
    QString qualifiedName() const;
    bool isSubclassOf(const Class *other) const;
    bool implements(const Class *iface) const;

    const Traits *traits() const override { return &classTraits; }
    bool isDynamic() const override { return true; }
    void mark(const Marker &marker) const override;
};

} // namespace swf::avm2
