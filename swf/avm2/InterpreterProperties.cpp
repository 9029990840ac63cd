// Finding names in scope and reading, writing and deleting properties.
#include "swf/avm2/Interpreter.h"

namespace swf::avm2 {

namespace {

constexpr int UndefinedVariableError = 1065;
constexpr int DescendantsError = 1016;

bool hasTrait(Runtime &rt, const Value &v, const Multiname &name)
{
    Object *object = v.asObject();
    const Traits *traits = object ? object->traits() : nullptr;
    (void)rt;
    return traits && traits->find(name);
}

bool scopeHas(Runtime &rt, const ScopeEntry &entry, const Multiname &name)
{
    return entry.isWith ? rt.hasProperty(entry.object, name) : hasTrait(rt, entry.object, name);
}

Value findProperty(Frame &f, const Multiname &name, bool strict)
{
    for (auto it = f.scopes.rbegin(); it != f.scopes.rend(); ++it)
        if (scopeHas(f.rt, *it, name))
            return it->object;
    if (f.outer)
        for (auto it = f.outer->rbegin(); it != f.outer->rend(); ++it)
            if (scopeHas(f.rt, *it, name))
                return it->object;
    Object *global = nullptr;
    if (f.rt.lookupGlobal(name, global))
        return Value(global);
    const Value scriptGlobal = f.globalObject();
    if (!scriptGlobal.isNullish() && f.rt.hasProperty(scriptGlobal, name))
        return scriptGlobal;
    if (strict)
        f.rt.throwError(ErrorType::ReferenceError, UndefinedVariableError, QStringList{name.displayName()});
    return scriptGlobal;
}

void findPropStrict(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    f.push(findProperty(f, *name.name, true));
}

void findPropertyOp(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    f.push(findProperty(f, *name.name, false));
}

void findDef(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    Object *global = nullptr;
    if (f.rt.lookupGlobal(*name.name, global))
        f.push(Value(global));
    else
        f.push(f.globalObject());
}

void getLex(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    const Value holder = findProperty(f, *name.name, true);
    f.push(f.rt.getProperty(holder, *name.name));
}

void getPropertyOp(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    f.push(name.keyed ? f.rt.getKeyed(object, name.key, *name.name) : f.rt.getProperty(object, *name.name));
}

void setPropertyOp(Frame &f, const PreparedInstruction &in)
{
    Value value = f.pop();
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    if (name.keyed)
        f.rt.setKeyed(object, name.key, *name.name, value);
    else
        f.rt.setProperty(object, *name.name, value);
}

void initPropertyOp(Frame &f, const PreparedInstruction &in)
{
    Value value = f.pop();
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    f.rt.setProperty(object, *name.name, value, true);
}

void deletePropertyOp(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    if (Object *o = object.asObject(); o && name.keyed) {
        bool deleted = false;
        if (o->deleteByKey(f.rt, name.key, deleted)) {
            f.push(Value(deleted));
            return;
        }
    }
    f.push(Value(f.rt.deleteProperty(object, *name.name)));
}

void inOp(Frame &f, const PreparedInstruction &)
{
    const Value object = f.pop();
    const Value key = f.pop();
    if (object.isNullish())
        f.rt.throwError(ErrorType::TypeError, object.isNull() ? 1009 : 1010, QStringList{});
    if (Object *o = object.asObject()) {
        bool has = false;
        if (o->hasByKey(f.rt, key, has)) {
            f.push(Value(has));
            return;
        }
    }
    f.push(Value(f.rt.hasProperty(object, f.rt.publicName(f.rt.toString(key)))));
}

void getSlot(Frame &f, const PreparedInstruction &in)
{
    const Value object = f.pop();
    // Primitives have no slots: code that reaches one here is malformed.
    Object *o = f.rt.toObject(object);
    if (!o || in.a == 0 || in.a > o->slotValues.size())
        f.throwVerify();
    f.push(o->slotValues[in.a - 1]);
}

void setSlot(Frame &f, const PreparedInstruction &in)
{
    Value value = f.pop();
    const Value object = f.pop();
    // Primitives have no slots: code that reaches one here is malformed.
    Object *o = f.rt.toObject(object);
    if (!o || in.a == 0 || in.a > o->slotValues.size())
        f.throwVerify();
    const Traits *traits = o->traits();
    Class *type = traits && in.a <= traits->slotTable.size() ? f.rt.slotType(traits->slotTable[in.a - 1]) : nullptr;
    o->slotValues[in.a - 1] = f.rt.coerce(value, type);
}

void getGlobalSlot(Frame &f, const PreparedInstruction &in)
{
    Object *o = f.globalObject().asObject();
    if (!o || in.a == 0 || in.a > o->slotValues.size())
        f.throwVerify();
    f.push(o->slotValues[in.a - 1]);
}

void setGlobalSlot(Frame &f, const PreparedInstruction &in)
{
    Value value = f.pop();
    Object *o = f.globalObject().asObject();
    if (!o || in.a == 0 || in.a > o->slotValues.size())
        f.throwVerify();
    o->slotValues[in.a - 1] = std::move(value);
}

void getSuper(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    f.push(f.rt.getSuper(object, f.method->owner, *name.name));
}

void setSuper(Frame &f, const PreparedInstruction &in)
{
    Value value = f.pop();
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    f.rt.setSuper(object, f.method->owner, *name.name, value);
}

void getDescendants(Frame &f, const PreparedInstruction &in)
{
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    Value out;
    Object *o = object.asObject();
    if (!o || !o->descendants(f.rt, *name.name, out))
        f.rt.throwError(ErrorType::TypeError, DescendantsError, QStringList{f.rt.describe(object)});
    f.push(out);
}

void dxns(Frame &f, const PreparedInstruction &in)
{
    if (in.a >= f.unit->file.strings.size())
        f.throwVerify();
    f.rt.defaultXmlNamespace = f.unit->file.strings[in.a];
    f.defaultXmlNamespace = f.rt.newNamespace(f.rt.namespaces.intern(NamespaceKind::Namespace, f.rt.defaultXmlNamespace));
}

void dxnsLate(Frame &f, const PreparedInstruction &)
{
    const Value uri = f.pop();
    f.rt.defaultXmlNamespace = f.rt.toString(uri);
    f.defaultXmlNamespace = f.rt.newNamespace(f.rt.namespaces.intern(NamespaceKind::Namespace, f.rt.defaultXmlNamespace));
}

} // namespace

void RegisterPropertyHandlers(HandlerTable &t)
{
    t[uint8_t(Op::FindPropStrict)] = findPropStrict;
    t[uint8_t(Op::FindProperty)] = findPropertyOp;
    t[uint8_t(Op::FindDef)] = findDef;
    t[uint8_t(Op::GetLex)] = getLex;
    t[uint8_t(Op::GetProperty)] = getPropertyOp;
    t[uint8_t(Op::SetProperty)] = setPropertyOp;
    t[uint8_t(Op::InitProperty)] = initPropertyOp;
    t[uint8_t(Op::DeleteProperty)] = deletePropertyOp;
    t[uint8_t(Op::In)] = inOp;
    t[uint8_t(Op::GetSlot)] = getSlot;
    t[uint8_t(Op::SetSlot)] = setSlot;
    t[uint8_t(Op::GetGlobalSlot)] = getGlobalSlot;
    t[uint8_t(Op::SetGlobalSlot)] = setGlobalSlot;
    t[uint8_t(Op::GetSuper)] = getSuper;
    t[uint8_t(Op::SetSuper)] = setSuper;
    t[uint8_t(Op::GetDescendants)] = getDescendants;
    t[uint8_t(Op::Dxns)] = dxns;
    t[uint8_t(Op::DxnsLate)] = dxnsLate;
}

} // namespace swf::avm2
