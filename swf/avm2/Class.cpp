#include "swf/avm2/Class.h"

namespace swf::avm2 {

const TraitBinding *Traits::find(const Multiname &name) const
{
    if (name.anyName || name.attribute)
        return nullptr;
    const auto it = byName.constFind(name.name);
    if (it == byName.cend())
        return nullptr;
    for (const TraitBinding &binding : *it)
        if (name.matches(binding.ns))
            return &binding;
    return nullptr;
}

TraitBinding *Traits::findExact(const QString &name, const Namespace *ns)
{
    const auto it = byName.find(name);
    if (it == byName.end())
        return nullptr;
    for (TraitBinding &binding : *it)
        if (binding.ns == ns)
            return &binding;
    return nullptr;
}

TraitBinding &Traits::bind(const QString &name, const Namespace *ns)
{
    if (TraitBinding *existing = findExact(name, ns))
        return *existing;
    auto &list = byName[name];
    list.push_back(TraitBinding{});
    list.back().ns = ns;
    return list.back();
}

uint32_t Traits::addSlot(const QString &name, const Namespace *ns, bool isConst, SlotInfo info)
{
    const auto slot = uint32_t(slotTable.size());
    info.name = name;
    slotTable.push_back(std::move(info));
    TraitBinding &binding = bind(name, ns);
    binding.kind = isConst ? TraitBinding::Kind::Const : TraitBinding::Kind::Slot;
    binding.slot = slot;
    return slot;
}

Class::Class(Class *classClass) : Object(classClass) {}

QString Class::qualifiedName() const
{
    if (!ns || ns->uri.isEmpty())
        return name;
    return ns->uri + QStringLiteral("::") + name;
}

bool Class::isSubclassOf(const Class *other) const
{
    for (const Class *c = this; c; c = c->superClass)
        if (c == other)
            return true;
    return false;
}

bool Class::implements(const Class *iface) const
{
    for (const Class *c : interfaces)
        if (c == iface)
            return true;
    return false;
}

void Class::mark(const Marker &marker) const
{
    Object::mark(marker);
    if (superClass)
        marker(Value(static_cast<Object *>(superClass)));
    for (Class *c : interfaces)
        marker(Value(static_cast<Object *>(c)));
    if (prototypeObject)
        marker(Value(prototypeObject));
    if (elementType)
        marker(Value(static_cast<Object *>(elementType)));
    if (scope)
        for (const ScopeEntry &entry : *scope)
            marker(entry.object);
    for (const Traits *traits : {&instanceTraits, &classTraits})
        for (const SlotInfo &slot : traits->slotTable) {
            marker(slot.initial);
            if (slot.typeClass)
                marker(Value(static_cast<Object *>(slot.typeClass)));
        }
}

FunctionObject::FunctionObject(Class *functionClass, Method *m, SavedScope s)
    : Object(functionClass), method(m), scope(std::move(s))
{
}

void FunctionObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    marker(boundThis);
    marker(prototypeValue);
    if (scope)
        for (const ScopeEntry &entry : *scope)
            marker(entry.object);
    if (method && method->scope)
        for (const ScopeEntry &entry : *method->scope)
            marker(entry.object);
}

} // namespace swf::avm2
