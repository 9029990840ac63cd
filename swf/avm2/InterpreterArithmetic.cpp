// Arithmetic, bit operations and comparisons.
#include "swf/avm2/Interpreter.h"

#include <cmath>

namespace swf::avm2 {

namespace {

constexpr uint32_t ShiftMask = 0x1F;

template <class F> void binaryNumber(Frame &f, F op)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(Value::number(op(f.rt.toNumber(a), f.rt.toNumber(b))));
}

template <class F> void binaryInt(Frame &f, F op)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(Value(int32_t(op(f.rt.toInt(a), f.rt.toInt(b)))));
}

void add(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(f.rt.add(a, b));
}

void subtract(Frame &f, const PreparedInstruction &)
{
    binaryNumber(f, [](double a, double b) { return a - b; });
}
void multiply(Frame &f, const PreparedInstruction &)
{
    binaryNumber(f, [](double a, double b) { return a * b; });
}
void divide(Frame &f, const PreparedInstruction &)
{
    binaryNumber(f, [](double a, double b) { return a / b; });
}
void modulo(Frame &f, const PreparedInstruction &)
{
    binaryNumber(f, [](double a, double b) { return std::fmod(a, b); });
}

void addI(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return uint32_t(a) + uint32_t(b); });
}
void subtractI(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return uint32_t(a) - uint32_t(b); });
}
void multiplyI(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return uint32_t(a) * uint32_t(b); });
}
void lshift(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return uint32_t(a) << (uint32_t(b) & ShiftMask); });
}
void rshift(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return a >> (uint32_t(b) & ShiftMask); });
}
void urshift(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(Value::fromUint(f.rt.toUint(a) >> (f.rt.toUint(b) & ShiftMask)));
}
void bitAnd(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return a & b; });
}
void bitOr(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return a | b; });
}
void bitXor(Frame &f, const PreparedInstruction &)
{
    binaryInt(f, [](int32_t a, int32_t b) { return a ^ b; });
}
void bitNot(Frame &f, const PreparedInstruction &) { f.push(Value(~f.rt.toInt(f.pop()))); }

void negate(Frame &f, const PreparedInstruction &)
{
    const Value v = f.pop();
    if (v.isInt() && v.asInt() != 0 && v.asInt() != INT32_MIN)
        f.push(Value(-v.asInt()));
    else
        f.push(Value::number(-f.rt.toNumber(v)));
}
void negateI(Frame &f, const PreparedInstruction &) { f.push(Value(int32_t(0u - uint32_t(f.rt.toInt(f.pop()))))); }

void increment(Frame &f, const PreparedInstruction &) { f.push(Value::number(f.rt.toNumber(f.pop()) + 1)); }
void decrement(Frame &f, const PreparedInstruction &) { f.push(Value::number(f.rt.toNumber(f.pop()) - 1)); }
void incrementI(Frame &f, const PreparedInstruction &) { f.push(Value(int32_t(uint32_t(f.rt.toInt(f.pop())) + 1))); }
void decrementI(Frame &f, const PreparedInstruction &) { f.push(Value(int32_t(uint32_t(f.rt.toInt(f.pop())) - 1))); }

void incLocal(Frame &f, const PreparedInstruction &in)
{
    Value &v = f.local(in.a);
    v = Value::number(f.rt.toNumber(v) + 1);
}
void decLocal(Frame &f, const PreparedInstruction &in)
{
    Value &v = f.local(in.a);
    v = Value::number(f.rt.toNumber(v) - 1);
}
void incLocalI(Frame &f, const PreparedInstruction &in)
{
    Value &v = f.local(in.a);
    v = Value(int32_t(uint32_t(f.rt.toInt(v)) + 1));
}
void decLocalI(Frame &f, const PreparedInstruction &in)
{
    Value &v = f.local(in.a);
    v = Value(int32_t(uint32_t(f.rt.toInt(v)) - 1));
}

void logicalNot(Frame &f, const PreparedInstruction &) { f.push(Value(!f.rt.toBoolean(f.pop()))); }

void equals(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(Value(f.rt.looseEquals(a, b)));
}
void strictEquals(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(Value(f.rt.strictEquals(a, b)));
}

// a < b with undefined (a NaN took part) as false.
bool isTrue(const Value &v) { return v.isBoolean() && v.asBool(); }

void lessThan(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(Value(isTrue(f.rt.lessThan(a, b))));
}
void lessEquals(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    const Value r = f.rt.lessThan(b, a);
    f.push(Value(r.isBoolean() && !r.asBool()));
}
void greaterThan(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    f.push(Value(isTrue(f.rt.lessThan(b, a))));
}
void greaterEquals(Frame &f, const PreparedInstruction &)
{
    Value b = f.pop();
    Value a = f.pop();
    const Value r = f.rt.lessThan(a, b);
    f.push(Value(r.isBoolean() && !r.asBool()));
}

void typeOf(Frame &f, const PreparedInstruction &) { f.push(Value(f.rt.typeOf(f.pop()))); }

} // namespace

void RegisterArithmeticHandlers(HandlerTable &t)
{
    t[uint8_t(Op::Add)] = add;
    t[uint8_t(Op::Subtract)] = subtract;
    t[uint8_t(Op::Multiply)] = multiply;
    t[uint8_t(Op::Divide)] = divide;
    t[uint8_t(Op::Modulo)] = modulo;
    t[uint8_t(Op::AddI)] = addI;
    t[uint8_t(Op::SubtractI)] = subtractI;
    t[uint8_t(Op::MultiplyI)] = multiplyI;
    t[uint8_t(Op::LShift)] = lshift;
    t[uint8_t(Op::RShift)] = rshift;
    t[uint8_t(Op::URShift)] = urshift;
    t[uint8_t(Op::BitAnd)] = bitAnd;
    t[uint8_t(Op::BitOr)] = bitOr;
    t[uint8_t(Op::BitXor)] = bitXor;
    t[uint8_t(Op::BitNot)] = bitNot;
    t[uint8_t(Op::Negate)] = negate;
    t[uint8_t(Op::NegateI)] = negateI;
    t[uint8_t(Op::Increment)] = increment;
    t[uint8_t(Op::Decrement)] = decrement;
    t[uint8_t(Op::IncrementI)] = incrementI;
    t[uint8_t(Op::DecrementI)] = decrementI;
    t[uint8_t(Op::IncLocal)] = incLocal;
    t[uint8_t(Op::DecLocal)] = decLocal;
    t[uint8_t(Op::IncLocalI)] = incLocalI;
    t[uint8_t(Op::DecLocalI)] = decLocalI;
    t[uint8_t(Op::Not)] = logicalNot;
    t[uint8_t(Op::Equals)] = equals;
    t[uint8_t(Op::StrictEquals)] = strictEquals;
    t[uint8_t(Op::LessThan)] = lessThan;
    t[uint8_t(Op::LessEquals)] = lessEquals;
    t[uint8_t(Op::GreaterThan)] = greaterThan;
    t[uint8_t(Op::GreaterEquals)] = greaterEquals;
    t[uint8_t(Op::TypeOf)] = typeOf;
}

} // namespace swf::avm2
