#include "swf/avm2/builtins/StaticState.h"

namespace swf::avm2 {

namespace {

constexpr int CoercionError = 1034;

SlotInfo untypedSlot(const Value &initial)
{
    SlotInfo info;
    info.type.anyName = true;
    info.typeResolved = true;
    info.initial = initial;
    return info;
}

} // namespace

void AddStaticSlot(Runtime &rt, Class *cls, const QString &owner, const QString &name, const Value &initial)
{
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, owner);
    const uint32_t slot = cls->classTraits.addSlot(name, ns, false, untypedSlot(initial));
    if (cls->slotValues.size() <= slot)
        cls->slotValues.resize(slot + 1);
    cls->slotValues[slot] = initial;
}

Value &StaticSlot(Runtime &rt, const Value &cls, const QString &owner, const QString &name)
{
    auto *object = dynamic_cast<Class *>(cls.asObject());
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, owner);
    const TraitBinding *binding = object ? object->classTraits.findExact(name, ns) : nullptr;
    if (!binding || binding->slot >= object->slotValues.size())
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(cls), owner});
    return object->slotValues[binding->slot];
}

void AddInstanceSlot(Runtime &rt, Class *cls, const QString &owner, const QString &name, const Value &initial)
{
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, owner);
    cls->instanceTraits.addSlot(name, ns, false, untypedSlot(initial));
}

Value &InstanceSlot(Runtime &rt, const Value &object, const QString &owner, const QString &name)
{
    Object *target = object.asObject();
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, owner);
    Class *cls = target ? target->objectClass() : nullptr;
    const TraitBinding *binding = cls ? cls->instanceTraits.findExact(name, ns) : nullptr;
    if (!binding || binding->slot >= target->slotValues.size())
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(object), owner});
    return target->slotValues[binding->slot];
}

} // namespace swf::avm2
