// Constants, the operand stack, registers and the scope stack.
#include "swf/avm2/Interpreter.h"

#include <cmath>

namespace swf::avm2 {

namespace {

void pushByte(Frame &f, const PreparedInstruction &in) { f.push(Value(int32_t(int8_t(in.a)))); }
void pushShort(Frame &f, const PreparedInstruction &in) { f.push(Value(int32_t(int16_t(uint16_t(in.a))))); }
void pushTrue(Frame &f, const PreparedInstruction &) { f.push(Value(true)); }
void pushFalse(Frame &f, const PreparedInstruction &) { f.push(Value(false)); }
void pushNull(Frame &f, const PreparedInstruction &) { f.push(Value::null()); }
void pushUndefined(Frame &f, const PreparedInstruction &) { f.push(Value()); }
void pushNaN(Frame &f, const PreparedInstruction &) { f.push(Value(std::nan(""))); }

void pushString(Frame &f, const PreparedInstruction &in)
{
    if (in.a >= f.unit->file.strings.size())
        f.throwVerify();
    f.push(Value(f.unit->file.strings[in.a]));
}

void pushInt(Frame &f, const PreparedInstruction &in)
{
    if (in.a >= f.unit->file.ints.size())
        f.throwVerify();
    f.push(Value(f.unit->file.ints[in.a]));
}

void pushUint(Frame &f, const PreparedInstruction &in)
{
    if (in.a >= f.unit->file.uints.size())
        f.throwVerify();
    f.push(Value::fromUint(f.unit->file.uints[in.a]));
}

void pushDouble(Frame &f, const PreparedInstruction &in)
{
    if (in.a >= f.unit->file.doubles.size())
        f.throwVerify();
    f.push(Value::number(f.unit->file.doubles[in.a]));
}

void pushNamespace(Frame &f, const PreparedInstruction &in)
{
    if (in.a == 0 || in.a >= f.unit->namespaces.size())
        f.throwVerify();
    f.push(f.rt.newNamespace(f.unit->namespaces[in.a]));
}

void pop(Frame &f, const PreparedInstruction &) { f.pop(); }
void dup(Frame &f, const PreparedInstruction &) { f.push(Value(f.top())); }

void swap(Frame &f, const PreparedInstruction &)
{
    Value a = f.pop();
    Value b = f.pop();
    f.push(std::move(a));
    f.push(std::move(b));
}

void getLocal(Frame &f, const PreparedInstruction &in) { f.push(f.local(in.a)); }
void setLocal(Frame &f, const PreparedInstruction &in) { f.local(in.a) = f.pop(); }
template <uint32_t N> void getLocalN(Frame &f, const PreparedInstruction &) { f.push(f.local(N)); }
template <uint32_t N> void setLocalN(Frame &f, const PreparedInstruction &) { f.local(N) = f.pop(); }
void kill(Frame &f, const PreparedInstruction &in) { f.local(in.a) = Value(); }

void pushScope(Frame &f, const PreparedInstruction &)
{
    Value v = f.pop();
    if (v.isNullish())
        f.rt.throwError(ErrorType::TypeError, v.isNull() ? 1009 : 1010, QStringList{});
    if (f.scopes.size() >= Frame::MaxStack)
        f.throwVerify();
    f.scopes.push_back(ScopeEntry{std::move(v), false});
}

void pushWith(Frame &f, const PreparedInstruction &)
{
    Value v = f.pop();
    if (v.isNullish())
        f.rt.throwError(ErrorType::TypeError, v.isNull() ? 1009 : 1010, QStringList{});
    if (f.scopes.size() >= Frame::MaxStack)
        f.throwVerify();
    f.scopes.push_back(ScopeEntry{std::move(v), true});
}

void popScope(Frame &f, const PreparedInstruction &)
{
    if (!f.scopes.empty())
        f.scopes.pop_back();
}

void getScopeObject(Frame &f, const PreparedInstruction &in)
{
    if (in.a >= f.scopes.size())
        f.throwVerify();
    f.push(f.scopes[in.a].object);
}

void getOuterScope(Frame &f, const PreparedInstruction &in)
{
    if (!f.outer || in.a >= f.outer->size())
        f.throwVerify();
    f.push((*f.outer)[in.a].object);
}

void getGlobalScope(Frame &f, const PreparedInstruction &) { f.push(f.globalObject()); }

void nothing(Frame &, const PreparedInstruction &) {}

} // namespace

void RegisterStackHandlers(HandlerTable &t)
{
    t[uint8_t(Op::PushByte)] = pushByte;
    t[uint8_t(Op::PushShort)] = pushShort;
    t[uint8_t(Op::PushTrue)] = pushTrue;
    t[uint8_t(Op::PushFalse)] = pushFalse;
    t[uint8_t(Op::PushNull)] = pushNull;
    t[uint8_t(Op::PushUndefined)] = pushUndefined;
    t[uint8_t(Op::PushNaN)] = pushNaN;
    t[uint8_t(Op::PushString)] = pushString;
    t[uint8_t(Op::PushInt)] = pushInt;
    t[uint8_t(Op::PushUInt)] = pushUint;
    t[uint8_t(Op::PushDouble)] = pushDouble;
    t[uint8_t(Op::PushNamespace)] = pushNamespace;
    t[uint8_t(Op::Pop)] = pop;
    t[uint8_t(Op::Dup)] = dup;
    t[uint8_t(Op::Swap)] = swap;
    t[uint8_t(Op::GetLocal)] = getLocal;
    t[uint8_t(Op::SetLocal)] = setLocal;
    t[uint8_t(Op::GetLocal0)] = getLocalN<0>;
    t[uint8_t(Op::GetLocal1)] = getLocalN<1>;
    t[uint8_t(Op::GetLocal2)] = getLocalN<2>;
    t[uint8_t(Op::GetLocal3)] = getLocalN<3>;
    t[uint8_t(Op::SetLocal0)] = setLocalN<0>;
    t[uint8_t(Op::SetLocal1)] = setLocalN<1>;
    t[uint8_t(Op::SetLocal2)] = setLocalN<2>;
    t[uint8_t(Op::SetLocal3)] = setLocalN<3>;
    t[uint8_t(Op::Kill)] = kill;
    t[uint8_t(Op::PushScope)] = pushScope;
    t[uint8_t(Op::PushWith)] = pushWith;
    t[uint8_t(Op::PopScope)] = popScope;
    t[uint8_t(Op::GetScopeObject)] = getScopeObject;
    t[uint8_t(Op::GetOuterScope)] = getOuterScope;
    t[uint8_t(Op::GetGlobalScope)] = getGlobalScope;
    for (Op op : {Op::Nop, Op::Label, Op::Bkpt, Op::BkptLine, Op::Debug, Op::DebugLine, Op::DebugFile, Op::Timestamp})
        t[uint8_t(op)] = nothing;
}

} // namespace swf::avm2
