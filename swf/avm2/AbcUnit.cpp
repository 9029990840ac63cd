#include "swf/avm2/AbcUnit.h"

#include "swf/avm2/Runtime.h"

#include <cmath>

namespace swf::avm2 {

namespace {

// Types whose unset slotValues do not start as null.
Value defaultFor(Runtime &rt, Class *type, bool untyped)
{
    if (untyped)
        return Value();
    if (type == rt.intClass || type == rt.uintClass)
        return Value(0);
    if (type == rt.numberClass)
        return Value(std::nan(""));
    if (type == rt.booleanClass)
        return Value(false);
    return Value::null();
}

} // namespace

AbcUnit::AbcUnit(Runtime &rt, AbcFile abc) : file(std::move(abc)), m_rt(rt)
{
    namespaces.resize(file.namespaces.size(), nullptr);
    for (size_t i = 1; i < file.namespaces.size(); ++i) {
        const AbcNamespace &ns = file.namespaces[i];
        const QString &uri = file.strings[ns.name];
        namespaces[i] = ns.kind == NamespaceKind::Private ? rt.namespaces.unique(ns.kind, uri)
                                                          : rt.namespaces.intern(ns.kind, uri);
    }
    nsSets.resize(file.nsSets.size());
    for (size_t i = 1; i < file.nsSets.size(); ++i)
        for (uint32_t ns : file.nsSets[i])
            if (namespaces[ns])
                nsSets[i].push_back(namespaces[ns]);

    multinames.resize(file.multinames.size());
    for (size_t i = 1; i < file.multinames.size(); ++i) {
        const AbcMultiname &abc = file.multinames[i];
        Multiname &m = multinames[i];
        m.attribute = abc.isAttribute();
        switch (abc.kind) {
        case MultinameKind::QName:
        case MultinameKind::QNameA:
            m.anyNamespace = abc.ns == 0;
            if (abc.ns)
                m.namespaces.push_back(namespaces[abc.ns]);
            m.anyName = abc.name == 0;
            m.name = file.strings[abc.name];
            break;
        case MultinameKind::RTQName:
        case MultinameKind::RTQNameA:
            m.anyName = abc.name == 0;
            m.name = file.strings[abc.name];
            break;
        case MultinameKind::Multiname:
        case MultinameKind::MultinameA:
            m.anyName = abc.name == 0;
            m.name = file.strings[abc.name];
            m.namespaces = nsSets[abc.nsSet];
            break;
        case MultinameKind::MultinameL:
        case MultinameKind::MultinameLA:
            m.namespaces = nsSets[abc.nsSet];
            break;
        case MultinameKind::RTQNameL:
        case MultinameKind::RTQNameLA:
        case MultinameKind::TypeName:
            break;
        }
    }
    // Applied generics may name entries that come after them.
    for (size_t i = 1; i < file.multinames.size(); ++i) {
        const AbcMultiname &abc = file.multinames[i];
        if (abc.kind != MultinameKind::TypeName || abc.typeName == i)
            continue;
        const Multiname base = multinames[abc.typeName];
        Multiname &m = multinames[i];
        m.name = base.name;
        m.namespaces = base.namespaces;
        m.anyNamespace = base.anyNamespace;
        for (uint32_t param : abc.typeParams)
            if (param != i && file.multinames[param].kind != MultinameKind::TypeName)
                m.typeParams.push_back(multinames[param]);
            else
                m.typeParams.push_back(Multiname{});
    }

    methods.reserve(file.methods.size());
    for (size_t i = 0; i < file.methods.size(); ++i) {
        const AbcMethod &info = file.methods[i];
        auto method = std::make_unique<Method>();
        method->name = file.strings[info.name];
        method->unit = this;
        method->index = uint32_t(i);
        method->info = &info;
        method->body = info.body >= 0 ? &file.bodies[size_t(info.body)] : nullptr;
        method->length = int(info.paramTypes.size() - std::min(info.paramTypes.size(), info.optionals.size()));
        methods.push_back(std::move(method));
    }
    classes.resize(file.instances.size(), nullptr);
}

const QString &AbcUnit::string(uint32_t index) const
{
    static const QString empty;
    return index < file.strings.size() ? file.strings[index] : empty;
}

Value AbcUnit::constant(const AbcConstant &c) const
{
    switch (c.kind) {
    case ConstantKind::Int: return Value(file.ints[c.index]);
    case ConstantKind::UInt: return Value::fromUint(file.uints[c.index]);
    case ConstantKind::Double: return Value::number(file.doubles[c.index]);
    case ConstantKind::Utf8: return Value(file.strings[c.index]);
    case ConstantKind::True: return Value(true);
    case ConstantKind::False: return Value(false);
    case ConstantKind::Null: return Value::null();
    case ConstantKind::Undefined: return Value();
    default:
        return m_rt.newNamespace(namespaces[c.index]);
    }
}

Class *AbcUnit::resolveType(uint32_t multiname)
{
    if (multiname == 0 || multiname >= multinames.size())
        return nullptr;
    return resolveType(multinames[multiname]);
}

Class *AbcUnit::resolveType(const Multiname &name) { return m_rt.resolveType(name); }

void AbcUnit::bindTraits(Traits &traits, const std::vector<AbcTrait> &list, Class *owner, bool isStatic,
                         const SavedScope &scope)
{
    const auto inherited = uint32_t(traits.slotTable.size());
    for (const AbcTrait &trait : list) {
        const Multiname &name = multinames[trait.name];
        const Namespace *ns = name.namespaces.empty() ? m_rt.namespaces.publicNs() : name.namespaces[0];
        switch (trait.kind) {
        case TraitKind::Slot:
        case TraitKind::Const:
        case TraitKind::Class:
        case TraitKind::Function: {
            SlotInfo info;
            const bool untyped = trait.kind == TraitKind::Function || trait.typeName == 0;
            if (trait.kind == TraitKind::Slot || trait.kind == TraitKind::Const) {
                info.type = untyped ? Multiname{} : multinames[trait.typeName];
                if (untyped)
                    info.type.anyName = true;
                info.typeClass = untyped ? nullptr : resolveType(trait.typeName);
                info.typeResolved = untyped || info.typeClass;
                const bool unset = trait.value.kind == ConstantKind::Undefined;
                info.initial = unset ? defaultFor(m_rt, info.typeClass, untyped) : constant(trait.value);
                if (!unset && info.typeResolved)
                    info.initial = m_rt.coerce(info.initial, info.typeClass);
            } else {
                info.type.anyName = true;
                info.typeResolved = true;
                info.initial = trait.kind == TraitKind::Class ? Value::null() : Value();
                if (trait.kind == TraitKind::Function)
                    if (Method *m = method(trait.method))
                        info.initial = Value(m_rt.newFunction(m, scope));
            }
            const bool isConst = trait.kind != TraitKind::Slot;
            const uint32_t wanted = trait.slotId ? trait.slotId - 1 : 0;
            if (trait.slotId && wanted >= inherited && wanted < traits.slotTable.size() + 64) {
                // The slot the block numbers it: instructions address it so.
                while (traits.slotTable.size() <= wanted)
                    traits.slotTable.push_back(SlotInfo{});
                info.name = name.name;
                traits.slotTable[wanted] = std::move(info);
                TraitBinding &binding = traits.bind(name.name, ns);
                binding.kind = isConst ? TraitBinding::Kind::Const : TraitBinding::Kind::Slot;
                binding.slot = wanted;
            } else {
                traits.addSlot(name.name, ns, isConst, std::move(info));
            }
            break;
        }
        case TraitKind::Method:
        case TraitKind::Getter:
        case TraitKind::Setter: {
            Method *m = method(trait.method);
            if (!m)
                break;
            m->owner = owner;
            m->isStatic = isStatic;
            m->scope = scope;
            if (m->name.isEmpty() || m->name.contains(u'/'))
                m->name = name.name;
            TraitBinding *existing = traits.findExact(name.name, ns);
            const TraitBinding before = existing ? *existing : TraitBinding{};
            TraitBinding &binding = traits.bind(name.name, ns);
            if (trait.kind == TraitKind::Method) {
                binding.kind = TraitBinding::Kind::Method;
                binding.method = m;
            } else {
                if (binding.kind != TraitBinding::Kind::Accessor) {
                    binding.getter = binding.setter = nullptr;
                    binding.kind = TraitBinding::Kind::Accessor;
                }
                (trait.kind == TraitKind::Getter ? binding.getter : binding.setter) = m;
            }
            // An override also replaces the bindings of the same name that an
            // inherited protected or interface name aliased.
            if (existing)
                for (TraitBinding &other : traits.byName[name.name])
                    if (&other != &binding && other.kind == before.kind && other.method == before.method &&
                        other.getter == before.getter && other.setter == before.setter) {
                        const Namespace *otherNs = other.ns;
                        other = binding;
                        other.ns = otherNs;
                    }
            break;
        }
        }
    }
}

Class *AbcUnit::newClass(uint32_t index, Class *base, const SavedScope &scope)
{
    const AbcInstance &inst = file.instances[index];
    const AbcClass &info = file.classes[index];
    const Multiname &name = multinames[inst.name];

    Class *cls = m_rt.heap.make<Class>(m_rt.classClass);
    cls->setPrototype(m_rt.classClass ? m_rt.classClass->prototypeObject : nullptr);
    cls->name = name.name;
    cls->ns = name.namespaces.empty() ? m_rt.namespaces.publicNs() : name.namespaces[0];
    cls->superClass = base;
    cls->sealed = inst.flags & InstanceSealed;
    cls->final = inst.flags & InstanceFinal;
    cls->isInterface = inst.flags & InstanceInterface;
    if (inst.flags & InstanceProtectedNs)
        cls->protectedNs = namespaces[inst.protectedNs];
    cls->creator = base ? base->creator : nullptr;
    if (base) {
        cls->instanceTraits = base->instanceTraits;
        cls->interfaces = base->interfaces;
        // Inherited protected members are reached by this class's protected name too.
        if (base->protectedNs && cls->protectedNs && base->protectedNs != cls->protectedNs) {
            std::vector<std::pair<QString, TraitBinding>> aliases;
            for (auto it = cls->instanceTraits.byName.cbegin(); it != cls->instanceTraits.byName.cend(); ++it)
                for (const TraitBinding &binding : *it)
                    if (binding.ns == base->protectedNs)
                        aliases.emplace_back(it.key(), binding);
            for (auto &[aliasName, binding] : aliases) {
                TraitBinding &alias = cls->instanceTraits.bind(aliasName, cls->protectedNs);
                alias = binding;
                alias.ns = cls->protectedNs;
            }
        }
    }
    for (uint32_t ifaceName : inst.interfaces) {
        Class *iface = m_rt.defineClass(multinames[ifaceName]);
        if (!iface)
            continue;
        if (!cls->implements(iface))
            cls->interfaces.push_back(iface);
        for (Class *inheritedIface : iface->interfaces)
            if (!cls->implements(inheritedIface))
                cls->interfaces.push_back(inheritedIface);
    }

    auto chain = std::make_shared<ScopeChain>(scope ? *scope : ScopeChain{});
    chain->push_back(ScopeEntry{Value(static_cast<Object *>(cls)), false});
    cls->scope = chain;
    bindTraits(cls->instanceTraits, inst.traits, cls, false, chain);
    bindTraits(cls->classTraits, info.traits, cls, true, chain);

    // An interface's methods are reached by the interface's names too.
    if (!cls->isInterface)
        for (Class *iface : cls->interfaces)
            for (auto it = iface->instanceTraits.byName.cbegin(); it != iface->instanceTraits.byName.cend(); ++it)
                for (const TraitBinding &declared : *it) {
                    const TraitBinding *impl = cls->instanceTraits.find(m_rt.publicName(it.key()));
                    if (!impl || cls->instanceTraits.findExact(it.key(), declared.ns))
                        continue;
                    const TraitBinding copy = *impl;
                    TraitBinding &alias = cls->instanceTraits.bind(it.key(), declared.ns);
                    alias = copy;
                    alias.ns = declared.ns;
                }

    cls->instanceInit = method(inst.iinit);
    if (cls->instanceInit) {
        cls->instanceInit->owner = cls;
        cls->instanceInit->scope = chain;
    }
    Object *proto = m_rt.newObject();
    proto->setPrototype(base ? base->prototypeObject : nullptr);
    proto->dynamics.set(QStringLiteral("constructor"), Value(static_cast<Object *>(cls)), false);
    cls->prototypeObject = proto;
    m_rt.initSlots(cls, cls->classTraits);
    classes[index] = cls;
    m_rt.registerClass(cls);

    if (Method *cinit = method(info.cinit)) {
        cinit->owner = cls;
        cinit->isStatic = true;
        m_rt.invoke(cinit, Value(static_cast<Object *>(cls)), Args{}, chain, nullptr);
    }
    return cls;
}

Class *AbcUnit::activationClass(Method *m)
{
    if (m->activationClass)
        return m->activationClass;
    Class *cls = m_rt.heap.make<Class>(m_rt.classClass);
    cls->name = QStringLiteral("activation");
    cls->sealed = false;
    if (m->body)
        bindTraits(cls->instanceTraits, m->body->traits, nullptr, false, m->scope);
    m->activationClass = cls;
    m_activationClasses.push_back(cls);
    return cls;
}

Class *AbcUnit::catchClass(const AbcException &handler)
{
    auto it = m_catchClasses.find(&handler);
    if (it != m_catchClasses.end())
        return it->second;
    Class *cls = m_rt.heap.make<Class>(m_rt.classClass);
    cls->name = QStringLiteral("catch");
    cls->sealed = false;
    if (handler.varName) {
        const Multiname &name = multinames[handler.varName];
        SlotInfo info;
        info.type.anyName = true;
        info.typeResolved = true;
        cls->instanceTraits.addSlot(name.name,
                                    name.namespaces.empty() ? m_rt.namespaces.publicNs() : name.namespaces[0],
                                    false, std::move(info));
    }
    m_catchClasses.emplace(&handler, cls);
    return cls;
}

void AbcUnit::mark(const Marker &marker) const
{
    for (Class *cls : classes)
        if (cls)
            marker(Value(static_cast<Object *>(cls)));
    for (Class *cls : m_activationClasses)
        marker(Value(static_cast<Object *>(cls)));
    for (const auto &[handler, cls] : m_catchClasses)
        marker(Value(static_cast<Object *>(cls)));
    for (const auto &m : methods)
        if (m->scope)
            for (const ScopeEntry &entry : *m->scope)
                marker(entry.object);
}

} // namespace swf::avm2
