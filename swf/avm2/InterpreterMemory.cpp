// Alchemy's loads and stores on the domain memory, a ByteArray a movie
// hands ApplicationDomain.domainMemory.
#include "swf/avm2/Interpreter.h"

#include <cstring>

namespace swf::avm2 {

namespace {

constexpr int RangeInvalidError = 1506;

template <class T> char *at(Frame &f, const Value &address)
{
    QByteArray *memory = f.rt.domainMemory;
    const double a = f.rt.toNumber(address);
    if (!memory || !(a >= 0) || a + double(sizeof(T)) > double(memory->size()))
        f.rt.throwError(ErrorType::RangeError, RangeInvalidError, QStringList{});
    return memory->data() + qsizetype(a);
}

template <class T> T load(Frame &f)
{
    const Value address = f.pop();
    T value;
    std::memcpy(&value, at<T>(f, address), sizeof value);
    return value;
}

template <class T> void store(Frame &f, T value, const Value &address) { std::memcpy(at<T>(f, address), &value, sizeof value); }

void li8(Frame &f, const PreparedInstruction &) { f.push(Value(int32_t(load<uint8_t>(f)))); }
void li16(Frame &f, const PreparedInstruction &) { f.push(Value(int32_t(load<uint16_t>(f)))); }
void li32(Frame &f, const PreparedInstruction &) { f.push(Value(load<int32_t>(f))); }
void lf32(Frame &f, const PreparedInstruction &) { f.push(Value::number(double(load<float>(f)))); }
void lf64(Frame &f, const PreparedInstruction &) { f.push(Value::number(load<double>(f))); }

void si8(Frame &f, const PreparedInstruction &)
{
    const Value address = f.pop();
    store(f, uint8_t(f.rt.toInt(f.pop())), address);
}
void si16(Frame &f, const PreparedInstruction &)
{
    const Value address = f.pop();
    store(f, uint16_t(f.rt.toInt(f.pop())), address);
}
void si32(Frame &f, const PreparedInstruction &)
{
    const Value address = f.pop();
    store(f, f.rt.toInt(f.pop()), address);
}
void sf32(Frame &f, const PreparedInstruction &)
{
    const Value address = f.pop();
    store(f, float(f.rt.toNumber(f.pop())), address);
}
void sf64(Frame &f, const PreparedInstruction &)
{
    const Value address = f.pop();
    store(f, f.rt.toNumber(f.pop()), address);
}

} // namespace

void RegisterMemoryHandlers(HandlerTable &t)
{
    t[uint8_t(Op::Li8)] = li8;
    t[uint8_t(Op::Li16)] = li16;
    t[uint8_t(Op::Li32)] = li32;
    t[uint8_t(Op::Lf32)] = lf32;
    t[uint8_t(Op::Lf64)] = lf64;
    t[uint8_t(Op::Si8)] = si8;
    t[uint8_t(Op::Si16)] = si16;
    t[uint8_t(Op::Si32)] = si32;
    t[uint8_t(Op::Sf32)] = sf32;
    t[uint8_t(Op::Sf64)] = sf64;
}

} // namespace swf::avm2
