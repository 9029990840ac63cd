// Reading, writing, calling and deleting properties: traits first, then the
// object's own dynamic properties, then the prototype chain.
#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ProxyObject.h"

namespace swf::avm2 {

namespace {

// Longest prototype chain followed: chains are built by scripts.
constexpr int MaxPrototypeChain = 10000;
constexpr int CallNotFoundError = 1070;
constexpr int DeleteSealedError = 1120;
constexpr int ReadSealedNsError = 1081;

} // namespace

Class *Runtime::resolveType(const Multiname &name)
{
    if (name.anyName)
        return nullptr;
    if (!name.typeParams.empty()) {
        // Vector.<A> before A exists is not yet Vector.<*>.
        Class *element = resolveType(name.typeParams[0]);
        return element || name.typeParams[0].anyName ? vectorOf(element) : nullptr;
    }
    if (name.anyNamespace)
        return findClass(name.name);
    for (const Namespace *ns : name.namespaces) {
        const QString qualified = ns->uri.isEmpty() ? name.name : ns->uri + QStringLiteral("::") + name.name;
        if (Class *cls = findClass(qualified))
            return cls;
    }
    return nullptr;
}

Class *Runtime::defineClass(const Multiname &name)
{
    if (Class *cls = resolveType(name))
        return cls;
    Object *global = nullptr;
    if (name.anyName || !lookupGlobal(name, global))
        return nullptr;
    return dynamic_cast<Class *>(getProperty(Value(global), name).asObject());
}

bool Runtime::hasClassNamed(const Value &v, const Multiname &name)
{
    Class *cls = classOf(v);
    for (Class *c = cls; c; c = c->superClass)
        if (c->name == name.name && name.matches(c->ns))
            return true;
    if (cls)
        for (Class *iface : cls->interfaces)
            if (iface->name == name.name && name.matches(iface->ns))
                return true;
    return false;
}

Class *Runtime::slotType(const SlotInfo &slot)
{
    if (!slot.typeResolved) {
        slot.typeClass = resolveType(slot.type);
        slot.typeResolved = slot.typeClass != nullptr;
    }
    return slot.typeClass;
}

Object *Runtime::prototypeOf(const Value &v)
{
    if (Object *object = v.asObject())
        return object->prototype();
    // Every number, integral or not, finds Number.prototype, as in the player.
    Class *cls = v.isNumber() ? numberClass : classOf(v);
    return cls ? cls->prototypeObject : nullptr;
}

static const Traits *traitsFor(Runtime &rt, const Value &v)
{
    if (Object *object = v.asObject())
        return object->traits();
    Class *cls = rt.classOf(v);
    return cls ? &cls->instanceTraits : nullptr;
}

// Class objects also answer to Class's own members (prototype), functions to Function's.
static const TraitBinding *findBinding(Runtime &rt, const Value &v, const Multiname &name)
{
    if (Object *object = v.asObject(); object && object->namesChildren())
        return nullptr;
    const Traits *traits = traitsFor(rt, v);
    if (const TraitBinding *binding = traits ? traits->find(name) : nullptr)
        return binding;
    if (Object *object = v.asObject(); object && dynamic_cast<Class *>(object) && rt.classClass)
        return rt.classClass->instanceTraits.find(name);
    return nullptr;
}

// Calls reach XML's methods, which its property reads do not.
static const TraitBinding *findCallBinding(Runtime &rt, const Value &v, const Multiname &name)
{
    const Traits *traits = traitsFor(rt, v);
    if (const TraitBinding *binding = traits ? traits->find(name) : nullptr)
        return binding;
    return findBinding(rt, v, name);
}

Value Runtime::readTrait(Object *object, const TraitBinding &binding, const Value &self)
{
    switch (binding.kind) {
    case TraitBinding::Kind::Slot:
    case TraitBinding::Kind::Const:
        return object && binding.slot < object->slotValues.size() ? object->slotValues[binding.slot] : Value();
    case TraitBinding::Kind::Method:
        return Value(static_cast<Object *>(bindMethod(binding.method, self)));
    case TraitBinding::Kind::Accessor:
        if (!binding.getter)
            throwError(ErrorType::ReferenceError, 1077, QStringList{QStringLiteral("property"), describe(self)});
        return callMethod(binding.getter, self, Args{});
    }
    return Value();
}

bool Runtime::writeTrait(Object *object, const TraitBinding &binding, const Value &self, const Value &value,
                         const Multiname &name, bool init)
{
    switch (binding.kind) {
    case TraitBinding::Kind::Const:
        if (!init)
            throwError(ErrorType::ReferenceError, 1074, QStringList{name.name, describe(self)});
        [[fallthrough]];
    case TraitBinding::Kind::Slot: {
        if (!object || binding.slot >= object->slotValues.size())
            return false;
        const Traits *traits = object->traits();
        Class *type = traits && binding.slot < traits->slotTable.size() ? slotType(traits->slotTable[binding.slot]) : nullptr;
        object->slotValues[binding.slot] = coerce(value, type);
        return true;
    }
    case TraitBinding::Kind::Method:
        throwError(ErrorType::ReferenceError, 1037, QStringList{name.name, describe(self)});
    case TraitBinding::Kind::Accessor:
        if (!binding.setter)
            throwError(ErrorType::ReferenceError, 1074, QStringList{name.name, describe(self)});
        {
            const Value arg[] = {value};
            callMethod(binding.setter, self, Args{arg, 1});
        }
        return true;
    }
    return false;
}

Value Runtime::getFromPrototypes(Object *start, const Multiname &name, const Value &, bool &found)
{
    found = false;
    if (!name.hasPublic() || name.attribute)
        return Value();
    int steps = 0;
    for (Object *p = start; p && steps < MaxPrototypeChain; p = p->prototype(), ++steps) {
        Value out;
        if (p->getOwn(*this, name, out)) {
            found = true;
            return out;
        }
    }
    return Value();
}

static void checkNotNullish(Runtime &rt, const Value &v)
{
    if (v.isNull())
        rt.throwError(ErrorType::TypeError, 1009, QStringList{});
    if (v.isUndefined())
        rt.throwError(ErrorType::TypeError, 1010, QStringList{});
}

Value Runtime::getProperty(const Value &v, const Multiname &name)
{
    checkNotNullish(*this, v);
    if (const TraitBinding *binding = findBinding(*this, v, name))
        return readTrait(v.asObject(), *binding, v);
    Object *object = v.asObject();
    Value out;
    if (object && object->getOwn(*this, name, out))
        return out;
    if (v.isString() && name.hasPublic() && !name.anyName) {
        const int64_t index = ArrayIndexOf(name.name);
        if (index >= 0 && index < v.asString().size())
            return Value(QString(v.asString()[int(index)]));
    }
    bool found = false;
    out = getFromPrototypes(object ? object->prototype() : prototypeOf(v), name, v, found);
    if (found)
        return out;
    // On an object, wildcards and attributes name nothing outside XML.
    if (object && (name.anyName || name.attribute))
        throwError(ErrorType::ReferenceError, ReadSealedNsError, QStringList{name.displayName(), describe(v)});
    if (!object || !object->isDynamic())
        throwError(ErrorType::ReferenceError, 1069, QStringList{name.displayName(), describe(v)});
    return Value();
}

void Runtime::setProperty(const Value &v, const Multiname &name, const Value &value, bool init)
{
    checkNotNullish(*this, v);
    Object *object = v.asObject();
    if (const TraitBinding *binding = findBinding(*this, v, name))
        if (writeTrait(object, *binding, v, value, name, init))
            return;
    if (!object || !object->setOwn(*this, name, value))
        throwError(ErrorType::ReferenceError, 1056, QStringList{name.displayName(), describe(v)});
}

bool Runtime::hasProperty(const Value &v, const Multiname &name)
{
    if (v.isNullish())
        return false;
    if (findBinding(*this, v, name))
        return true;
    Object *object = v.asObject();
    if (object && object->hasOwn(*this, name))
        return true;
    bool found = false;
    getFromPrototypes(object ? object->prototype() : prototypeOf(v), name, v, found);
    return found;
}

bool Runtime::deleteProperty(const Value &v, const Multiname &name)
{
    checkNotNullish(*this, v);
    Object *object = v.asObject();
    // A string, number or boolean has nothing of its own to delete.
    if (!object)
        throwError(ErrorType::ReferenceError, DeleteSealedError, QStringList{name.displayName(), describe(v)});
    if (findBinding(*this, v, name))
        return false;
    if (object->deleteOwn(*this, name))
        return true;
    return object->isDynamic();
}

Value Runtime::callProperty(const Value &v, const Multiname &name, Args args, bool keepThis)
{
    checkNotNullish(*this, v);
    const TraitBinding *binding = findCallBinding(*this, v, name);
    if (binding && binding->kind == TraitBinding::Kind::Method)
        return callMethod(binding->method, v, args);
    if (auto *proxy = dynamic_cast<ProxyObject *>(v.asObject()); proxy && !binding)
        return proxy->callOwn(*this, name, args);
    const Value fn = binding ? readTrait(v.asObject(), *binding, v) : getProperty(v, name);
    Object *target = fn.asObject();
    if (!target || (!dynamic_cast<FunctionObject *>(target) && !dynamic_cast<Class *>(target)))
        throwError(ErrorType::TypeError, 1006, QStringList{name.displayName()});
    return call(fn, keepThis ? v : Value::null(), args);
}

// A computed name's text, as obj[key] looks it up.
static Multiname keyedName(Runtime &rt, const Value &key, const Multiname &name)
{
    Multiname keyed = name;
    keyed.anyName = false;
    keyed.name = key.isInt() ? QString::number(key.asInt()) : rt.toString(key);
    return keyed;
}

Value Runtime::getKeyed(const Value &v, const Value &key, const Multiname &name)
{
    checkNotNullish(*this, v);
    Object *object = v.asObject();
    Value out;
    if (object && object->getByKey(*this, key, out))
        return out;
    if (v.isString() && key.isInt()) {
        const int index = key.asInt();
        if (index >= 0 && index < v.asString().size())
            return Value(QString(v.asString()[index]));
    }
    return getProperty(v, keyedName(*this, key, name));
}

void Runtime::setKeyed(const Value &v, const Value &key, const Multiname &name, const Value &value)
{
    checkNotNullish(*this, v);
    Object *object = v.asObject();
    if (object && object->setByKey(*this, key, value))
        return;
    setProperty(v, keyedName(*this, key, name), value);
}

Value Runtime::getSuper(const Value &self, Class *from, const Multiname &name)
{
    Class *base = from ? from->superClass : nullptr;
    if (base)
        if (const TraitBinding *binding = base->instanceTraits.find(name))
            return readTrait(self.asObject(), *binding, self);
    return getProperty(self, name);
}

void Runtime::setSuper(const Value &self, Class *from, const Multiname &name, const Value &value)
{
    Class *base = from ? from->superClass : nullptr;
    if (base)
        if (const TraitBinding *binding = base->instanceTraits.find(name))
            if (writeTrait(self.asObject(), *binding, self, value, name, false))
                return;
    setProperty(self, name, value);
}

Value Runtime::callSuper(const Value &self, Class *from, const Multiname &name, Args args)
{
    Class *base = from ? from->superClass : nullptr;
    if (base)
        if (const TraitBinding *binding = base->instanceTraits.find(name)) {
            if (binding->kind == TraitBinding::Kind::Method)
                return callMethod(binding->method, self, args);
            return call(readTrait(self.asObject(), *binding, self), self, args);
        }
    // super.f() reaches only the base class's methods, never dynamic or prototype ones.
    if (base)
        throwError(ErrorType::ReferenceError, CallNotFoundError, QStringList{name.displayName(), base->qualifiedName()});
    return callProperty(self, name, args);
}

} // namespace swf::avm2
