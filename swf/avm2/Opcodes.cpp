// The operand layout of every instruction, looked up by its byte.

#include "swf/avm2/Opcodes.h"

#include <initializer_list>

namespace swf::avm2 {
namespace {

using K = OperandKind;

struct Entry {
    Op op;
    const char *name;
    std::initializer_list<K> operands;
};

// clang-format off
const Entry Entries[] = {
    {Op::Bkpt, "bkpt", {}}, {Op::Nop, "nop", {}}, {Op::Throw, "throw", {}},
    {Op::GetSuper, "getsuper", {K::Multiname}}, {Op::SetSuper, "setsuper", {K::Multiname}},
    {Op::Dxns, "dxns", {K::String}}, {Op::DxnsLate, "dxnslate", {}},
    {Op::Kill, "kill", {K::Register}}, {Op::Label, "label", {}},
    {Op::IfNlt, "ifnlt", {K::Offset}}, {Op::IfNle, "ifnle", {K::Offset}},
    {Op::IfNgt, "ifngt", {K::Offset}}, {Op::IfNge, "ifnge", {K::Offset}},
    {Op::Jump, "jump", {K::Offset}}, {Op::IfTrue, "iftrue", {K::Offset}},
    {Op::IfFalse, "iffalse", {K::Offset}}, {Op::IfEq, "ifeq", {K::Offset}},
    {Op::IfNe, "ifne", {K::Offset}}, {Op::IfLt, "iflt", {K::Offset}},
    {Op::IfLe, "ifle", {K::Offset}}, {Op::IfGt, "ifgt", {K::Offset}},
    {Op::IfGe, "ifge", {K::Offset}}, {Op::IfStrictEq, "ifstricteq", {K::Offset}},
    {Op::IfStrictNe, "ifstrictne", {K::Offset}},
    {Op::LookupSwitch, "lookupswitch", {K::Offset, K::CaseOffsets}},
    {Op::PushWith, "pushwith", {}}, {Op::PopScope, "popscope", {}},
    {Op::NextName, "nextname", {}}, {Op::HasNext, "hasnext", {}},
    {Op::PushNull, "pushnull", {}}, {Op::PushUndefined, "pushundefined", {}},
    {Op::NextValue, "nextvalue", {}}, {Op::PushByte, "pushbyte", {K::Byte}},
    {Op::PushShort, "pushshort", {K::U30}}, {Op::PushTrue, "pushtrue", {}},
    {Op::PushFalse, "pushfalse", {}}, {Op::PushNaN, "pushnan", {}},
    {Op::Pop, "pop", {}}, {Op::Dup, "dup", {}}, {Op::Swap, "swap", {}},
    {Op::PushString, "pushstring", {K::String}}, {Op::PushInt, "pushint", {K::Int}},
    {Op::PushUInt, "pushuint", {K::UInt}}, {Op::PushDouble, "pushdouble", {K::Double}},
    {Op::PushScope, "pushscope", {}}, {Op::PushNamespace, "pushnamespace", {K::Namespace}},
    {Op::HasNext2, "hasnext2", {K::Register, K::Register}},
    {Op::Li8, "li8", {}}, {Op::Li16, "li16", {}}, {Op::Li32, "li32", {}},
    {Op::Lf32, "lf32", {}}, {Op::Lf64, "lf64", {}}, {Op::Si8, "si8", {}},
    {Op::Si16, "si16", {}}, {Op::Si32, "si32", {}}, {Op::Sf32, "sf32", {}},
    {Op::Sf64, "sf64", {}},
    {Op::NewFunction, "newfunction", {K::Method}}, {Op::Call, "call", {K::U30}},
    {Op::Construct, "construct", {K::U30}}, {Op::CallMethod, "callmethod", {K::U30, K::U30}},
    {Op::CallStatic, "callstatic", {K::Method, K::U30}},
    {Op::CallSuper, "callsuper", {K::Multiname, K::U30}},
    {Op::CallProperty, "callproperty", {K::Multiname, K::U30}},
    {Op::ReturnVoid, "returnvoid", {}}, {Op::ReturnValue, "returnvalue", {}},
    {Op::ConstructSuper, "constructsuper", {K::U30}},
    {Op::ConstructProp, "constructprop", {K::Multiname, K::U30}},
    {Op::CallPropLex, "callproplex", {K::Multiname, K::U30}},
    {Op::CallSuperVoid, "callsupervoid", {K::Multiname, K::U30}},
    {Op::CallPropVoid, "callpropvoid", {K::Multiname, K::U30}},
    {Op::Sxi1, "sxi1", {}}, {Op::Sxi8, "sxi8", {}}, {Op::Sxi16, "sxi16", {}},
    {Op::ApplyType, "applytype", {K::U30}}, {Op::NewObject, "newobject", {K::U30}},
    {Op::NewArray, "newarray", {K::U30}}, {Op::NewActivation, "newactivation", {}},
    {Op::NewClass, "newclass", {K::Class}},
    {Op::GetDescendants, "getdescendants", {K::Multiname}},
    {Op::NewCatch, "newcatch", {K::Exception}},
    {Op::FindPropStrict, "findpropstrict", {K::Multiname}},
    {Op::FindProperty, "findproperty", {K::Multiname}},
    {Op::FindDef, "finddef", {K::Multiname}}, {Op::GetLex, "getlex", {K::Multiname}},
    {Op::SetProperty, "setproperty", {K::Multiname}},
    {Op::GetLocal, "getlocal", {K::Register}}, {Op::SetLocal, "setlocal", {K::Register}},
    {Op::GetGlobalScope, "getglobalscope", {}},
    {Op::GetScopeObject, "getscopeobject", {K::Byte}},
    {Op::GetProperty, "getproperty", {K::Multiname}},
    {Op::GetOuterScope, "getouterscope", {K::U30}},
    {Op::InitProperty, "initproperty", {K::Multiname}},
    {Op::DeleteProperty, "deleteproperty", {K::Multiname}},
    {Op::GetSlot, "getslot", {K::U30}}, {Op::SetSlot, "setslot", {K::U30}},
    {Op::GetGlobalSlot, "getglobalslot", {K::U30}}, {Op::SetGlobalSlot, "setglobalslot", {K::U30}},
    {Op::ConvertS, "convert_s", {}}, {Op::EscXElem, "esc_xelem", {}},
    {Op::EscXAttr, "esc_xattr", {}}, {Op::ConvertI, "convert_i", {}},
    {Op::ConvertU, "convert_u", {}}, {Op::ConvertD, "convert_d", {}},
    {Op::ConvertB, "convert_b", {}}, {Op::ConvertO, "convert_o", {}},
    {Op::CheckFilter, "checkfilter", {}},
    {Op::Coerce, "coerce", {K::Multiname}}, {Op::CoerceB, "coerce_b", {}},
    {Op::CoerceA, "coerce_a", {}}, {Op::CoerceI, "coerce_i", {}},
    {Op::CoerceD, "coerce_d", {}}, {Op::CoerceS, "coerce_s", {}},
    {Op::AsType, "astype", {K::Multiname}}, {Op::AsTypeLate, "astypelate", {}},
    {Op::CoerceU, "coerce_u", {}}, {Op::CoerceO, "coerce_o", {}},
    {Op::Negate, "negate", {}}, {Op::Increment, "increment", {}},
    {Op::IncLocal, "inclocal", {K::Register}}, {Op::Decrement, "decrement", {}},
    {Op::DecLocal, "declocal", {K::Register}}, {Op::TypeOf, "typeof", {}},
    {Op::Not, "not", {}}, {Op::BitNot, "bitnot", {}},
    {Op::Add, "add", {}}, {Op::Subtract, "subtract", {}}, {Op::Multiply, "multiply", {}},
    {Op::Divide, "divide", {}}, {Op::Modulo, "modulo", {}}, {Op::LShift, "lshift", {}},
    {Op::RShift, "rshift", {}}, {Op::URShift, "urshift", {}}, {Op::BitAnd, "bitand", {}},
    {Op::BitOr, "bitor", {}}, {Op::BitXor, "bitxor", {}}, {Op::Equals, "equals", {}},
    {Op::StrictEquals, "strictequals", {}}, {Op::LessThan, "lessthan", {}},
    {Op::LessEquals, "lessequals", {}}, {Op::GreaterThan, "greaterthan", {}},
    {Op::GreaterEquals, "greaterequals", {}}, {Op::InstanceOf, "instanceof", {}},
    {Op::IsType, "istype", {K::Multiname}}, {Op::IsTypeLate, "istypelate", {}},
    {Op::In, "in", {}},
    {Op::IncrementI, "increment_i", {}}, {Op::DecrementI, "decrement_i", {}},
    {Op::IncLocalI, "inclocal_i", {K::Register}}, {Op::DecLocalI, "declocal_i", {K::Register}},
    {Op::NegateI, "negate_i", {}}, {Op::AddI, "add_i", {}},
    {Op::SubtractI, "subtract_i", {}}, {Op::MultiplyI, "multiply_i", {}},
    {Op::GetLocal0, "getlocal0", {}}, {Op::GetLocal1, "getlocal1", {}},
    {Op::GetLocal2, "getlocal2", {}}, {Op::GetLocal3, "getlocal3", {}},
    {Op::SetLocal0, "setlocal0", {}}, {Op::SetLocal1, "setlocal1", {}},
    {Op::SetLocal2, "setlocal2", {}}, {Op::SetLocal3, "setlocal3", {}},
    // debug type, register name, register, extra
    {Op::Debug, "debug", {K::Byte, K::String, K::Byte, K::U30}},
    {Op::DebugLine, "debugline", {K::U30}}, {Op::DebugFile, "debugfile", {K::String}},
    {Op::BkptLine, "bkptline", {K::U30}}, {Op::Timestamp, "timestamp", {}},
};
// clang-format on

constexpr int OpcodeCount = 256;

struct Table {
    std::array<OpInfo, OpcodeCount> infos{};

    Table()
    {
        for (const Entry &entry : Entries) {
            OpInfo &info = infos[uint8_t(entry.op)];
            info.name = entry.name;
            for (K kind : entry.operands)
                info.operands[info.operandCount++] = kind;
        }
    }
};

} // namespace

const OpInfo *OpcodeInfo(uint8_t opcode)
{
    static const Table table;
    const OpInfo &info = table.infos[opcode];
    return info.name ? &info : nullptr;
}

} // namespace swf::avm2
