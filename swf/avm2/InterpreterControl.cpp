// Branches, returns, throw and the for..in iteration instructions.
#include "swf/avm2/Interpreter.h"

namespace swf::avm2 {

namespace {

void jump(Frame &f, const PreparedInstruction &in)
{
    if (in.target < 0)
        f.throwVerify();
    f.ip = in.target;
}

void branchIf(Frame &f, const PreparedInstruction &in, bool taken)
{
    if (taken)
        jump(f, in);
}

void ifTrue(Frame &f, const PreparedInstruction &in) { branchIf(f, in, f.rt.toBoolean(f.pop())); }
void ifFalse(Frame &f, const PreparedInstruction &in) { branchIf(f, in, !f.rt.toBoolean(f.pop())); }

// The two operands of a comparing branch, first pushed first.
std::pair<Value, Value> operands(Frame &f)
{
    Value b = f.pop();
    Value a = f.pop();
    return {std::move(a), std::move(b)};
}

bool isTrue(const Value &v) { return v.isBoolean() && v.asBool(); }
bool isFalse(const Value &v) { return v.isBoolean() && !v.asBool(); }

void ifEq(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, f.rt.looseEquals(a, b));
}
void ifNe(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, !f.rt.looseEquals(a, b));
}
void ifStrictEq(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, f.rt.strictEquals(a, b));
}
void ifStrictNe(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, !f.rt.strictEquals(a, b));
}
void ifLt(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, isTrue(f.rt.lessThan(a, b)));
}
void ifNlt(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, !isTrue(f.rt.lessThan(a, b)));
}
void ifLe(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, isFalse(f.rt.lessThan(b, a)));
}
void ifNle(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, !isFalse(f.rt.lessThan(b, a)));
}
void ifGt(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, isTrue(f.rt.lessThan(b, a)));
}
void ifNgt(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, !isTrue(f.rt.lessThan(b, a)));
}
void ifGe(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, isFalse(f.rt.lessThan(a, b)));
}
void ifNge(Frame &f, const PreparedInstruction &in)
{
    auto [a, b] = operands(f);
    branchIf(f, in, !isFalse(f.rt.lessThan(a, b)));
}

void lookupSwitch(Frame &f, const PreparedInstruction &in)
{
    const Value index = f.pop();
    const int32_t i = f.rt.toInt(index);
    const auto *targets = &f.code->caseTargets[size_t(in.cases)];
    f.ip = (i >= 0 && uint32_t(i) < in.a) ? targets[1 + i] : targets[0];
}

void throwValue(Frame &f, const PreparedInstruction &) { throw Exception{f.pop()}; }

void returnVoid(Frame &f, const PreparedInstruction &)
{
    f.result = Value();
    f.done = true;
}

void returnValue(Frame &f, const PreparedInstruction &)
{
    f.result = f.pop();
    f.done = true;
}

// The next enumerable property after index on object, following its
// prototype chain: moves object along the chain as it goes.
int nextProperty(Frame &f, Value &object, int index)
{
    Object *o = object.asObject();
    if (!o)
        o = object.isNullish() ? nullptr : f.rt.prototypeOf(object);
    while (o) {
        const int next = o->nextIndex(f.rt, index);
        if (next > 0) {
            object = Value(o);
            return next;
        }
        o = o->prototype();
        index = 0;
    }
    object = Value::null();
    return 0;
}

void hasNext(Frame &f, const PreparedInstruction &)
{
    const int32_t index = f.rt.toInt(f.pop());
    Value object = f.pop();
    Object *o = object.asObject();
    f.push(Value(o ? o->nextIndex(f.rt, index) : 0));
}

void hasNext2(Frame &f, const PreparedInstruction &in)
{
    Value &object = f.local(in.a);
    Value &index = f.local(in.b);
    const int next = nextProperty(f, object, f.rt.toInt(index));
    index = Value(next);
    f.push(Value(next > 0));
}

void nextName(Frame &f, const PreparedInstruction &)
{
    const int32_t index = f.rt.toInt(f.pop());
    const Value object = f.pop();
    Object *o = object.asObject();
    f.push(o ? o->nameAt(f.rt, index) : Value());
}

void nextValue(Frame &f, const PreparedInstruction &)
{
    const int32_t index = f.rt.toInt(f.pop());
    const Value object = f.pop();
    Object *o = object.asObject();
    f.push(o ? o->valueAt(f.rt, index) : Value());
}

} // namespace

void RegisterControlHandlers(HandlerTable &t)
{
    t[uint8_t(Op::Jump)] = jump;
    t[uint8_t(Op::IfTrue)] = ifTrue;
    t[uint8_t(Op::IfFalse)] = ifFalse;
    t[uint8_t(Op::IfEq)] = ifEq;
    t[uint8_t(Op::IfNe)] = ifNe;
    t[uint8_t(Op::IfStrictEq)] = ifStrictEq;
    t[uint8_t(Op::IfStrictNe)] = ifStrictNe;
    t[uint8_t(Op::IfLt)] = ifLt;
    t[uint8_t(Op::IfNlt)] = ifNlt;
    t[uint8_t(Op::IfLe)] = ifLe;
    t[uint8_t(Op::IfNle)] = ifNle;
    t[uint8_t(Op::IfGt)] = ifGt;
    t[uint8_t(Op::IfNgt)] = ifNgt;
    t[uint8_t(Op::IfGe)] = ifGe;
    t[uint8_t(Op::IfNge)] = ifNge;
    t[uint8_t(Op::LookupSwitch)] = lookupSwitch;
    t[uint8_t(Op::Throw)] = throwValue;
    t[uint8_t(Op::ReturnVoid)] = returnVoid;
    t[uint8_t(Op::ReturnValue)] = returnValue;
    t[uint8_t(Op::HasNext)] = hasNext;
    t[uint8_t(Op::HasNext2)] = hasNext2;
    t[uint8_t(Op::NextName)] = nextName;
    t[uint8_t(Op::NextValue)] = nextValue;
}

} // namespace swf::avm2
