#include "swf/avm2/builtins/StaticState.h"

namespace swf::avm2 {

namespace {
constexpr int CoercionError = 1034;
}

void AddStaticSlot(Runtime &rt, Class *cls, const QString &owner, const QString &name, const Value &initial)
{
    SlotInfo info;
    info.type.anyName = true;
    info.typeResolved = true;
    info.initial = initial;
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Private, owner);
    const uint32_t slot = cls->classTraits.addSlot(name, ns, false, std::move(info));
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

} // namespace swf::avm2
