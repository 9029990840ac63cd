#pragma once

#include <array>
#include <cstdint>

namespace swf::avm2 {

// Every instruction the Flash player's ActionScript 3 machine defines, by
// its byte. Names follow the standard mnemonics (CamelCase, as some are
// C++ keywords); OpcodeInfo() gives the mnemonic itself.
enum class Op : uint8_t {
    Bkpt = 0x01,
    Nop = 0x02,
    Throw = 0x03,
    GetSuper = 0x04,
    SetSuper = 0x05,
    Dxns = 0x06,
    DxnsLate = 0x07,
    Kill = 0x08,
    Label = 0x09,
    IfNlt = 0x0C,
    IfNle = 0x0D,
    IfNgt = 0x0E,
    IfNge = 0x0F,
    Jump = 0x10,
    IfTrue = 0x11,
    IfFalse = 0x12,
    IfEq = 0x13,
    IfNe = 0x14,
    IfLt = 0x15,
    IfLe = 0x16,
    IfGt = 0x17,
    IfGe = 0x18,
    IfStrictEq = 0x19,
    IfStrictNe = 0x1A,
    LookupSwitch = 0x1B,
    PushWith = 0x1C,
    PopScope = 0x1D,
    NextName = 0x1E,
    HasNext = 0x1F,
    PushNull = 0x20,
    PushUndefined = 0x21,
    NextValue = 0x23,
    PushByte = 0x24,
    PushShort = 0x25,
    PushTrue = 0x26,
    PushFalse = 0x27,
    PushNaN = 0x28,
    Pop = 0x29,
    Dup = 0x2A,
    Swap = 0x2B,
    PushString = 0x2C,
    PushInt = 0x2D,
    PushUInt = 0x2E,
    PushDouble = 0x2F,
    PushScope = 0x30,
    PushNamespace = 0x31,
    HasNext2 = 0x32,
    // Alchemy's domain memory: loads and stores on the current ByteArray.
    Li8 = 0x35,
    Li16 = 0x36,
    Li32 = 0x37,
    Lf32 = 0x38,
    Lf64 = 0x39,
    Si8 = 0x3A,
    Si16 = 0x3B,
    Si32 = 0x3C,
    Sf32 = 0x3D,
    Sf64 = 0x3E,
    NewFunction = 0x40,
    Call = 0x41,
    Construct = 0x42,
    CallMethod = 0x43,
    CallStatic = 0x44,
    CallSuper = 0x45,
    CallProperty = 0x46,
    ReturnVoid = 0x47,
    ReturnValue = 0x48,
    ConstructSuper = 0x49,
    ConstructProp = 0x4A,
    CallPropLex = 0x4C,
    CallSuperVoid = 0x4E,
    CallPropVoid = 0x4F,
    // Sign extension of the low 1, 8 and 16 bits (Alchemy).
    Sxi1 = 0x50,
    Sxi8 = 0x51,
    Sxi16 = 0x52,
    ApplyType = 0x53,
    NewObject = 0x55,
    NewArray = 0x56,
    NewActivation = 0x57,
    NewClass = 0x58,
    GetDescendants = 0x59,
    NewCatch = 0x5A,
    FindPropStrict = 0x5D,
    FindProperty = 0x5E,
    FindDef = 0x5F,
    GetLex = 0x60,
    SetProperty = 0x61,
    GetLocal = 0x62,
    SetLocal = 0x63,
    GetGlobalScope = 0x64,
    GetScopeObject = 0x65,
    GetProperty = 0x66,
    GetOuterScope = 0x67,
    InitProperty = 0x68,
    DeleteProperty = 0x6A,
    GetSlot = 0x6C,
    SetSlot = 0x6D,
    GetGlobalSlot = 0x6E,
    SetGlobalSlot = 0x6F,
    ConvertS = 0x70,
    EscXElem = 0x71,
    EscXAttr = 0x72,
    ConvertI = 0x73,
    ConvertU = 0x74,
    ConvertD = 0x75,
    ConvertB = 0x76,
    ConvertO = 0x77,
    CheckFilter = 0x78,
    Coerce = 0x80,
    CoerceB = 0x81,
    CoerceA = 0x82,
    CoerceI = 0x83,
    CoerceD = 0x84,
    CoerceS = 0x85,
    AsType = 0x86,
    AsTypeLate = 0x87,
    CoerceU = 0x88,
    CoerceO = 0x89,
    Negate = 0x90,
    Increment = 0x91,
    IncLocal = 0x92,
    Decrement = 0x93,
    DecLocal = 0x94,
    TypeOf = 0x95,
    Not = 0x96,
    BitNot = 0x97,
    Add = 0xA0,
    Subtract = 0xA1,
    Multiply = 0xA2,
    Divide = 0xA3,
    Modulo = 0xA4,
    LShift = 0xA5,
    RShift = 0xA6,
    URShift = 0xA7,
    BitAnd = 0xA8,
    BitOr = 0xA9,
    BitXor = 0xAA,
    Equals = 0xAB,
    StrictEquals = 0xAC,
    LessThan = 0xAD,
    LessEquals = 0xAE,
    GreaterThan = 0xAF,
    GreaterEquals = 0xB0,
    InstanceOf = 0xB1,
    IsType = 0xB2,
    IsTypeLate = 0xB3,
    In = 0xB4,
    IncrementI = 0xC0,
    DecrementI = 0xC1,
    IncLocalI = 0xC2,
    DecLocalI = 0xC3,
    NegateI = 0xC4,
    AddI = 0xC5,
    SubtractI = 0xC6,
    MultiplyI = 0xC7,
    GetLocal0 = 0xD0,
    GetLocal1 = 0xD1,
    GetLocal2 = 0xD2,
    GetLocal3 = 0xD3,
    SetLocal0 = 0xD4,
    SetLocal1 = 0xD5,
    SetLocal2 = 0xD6,
    SetLocal3 = 0xD7,
    Debug = 0xEF,
    DebugLine = 0xF0,
    DebugFile = 0xF1,
    BkptLine = 0xF2,
    Timestamp = 0xF3,
};

// How one operand is stored and what it refers to.
enum class OperandKind : uint8_t {
    Byte,      // u8: pushbyte's value (sign-extend it), getscopeobject's depth, debug's fields
    U30,       // a plain count or number: argument count, slot, dispatch id, line, scope depth
    Register,  // u30: a local register
    Offset,    // s24: branch offset from the end of the instruction
    Multiname, // u30 index into the multiname pool
    String,    // u30 index into the string pool
    Int,       // u30 index into the int pool
    UInt,      // u30 index into the uint pool
    Double,    // u30 index into the double pool
    Namespace, // u30 index into the namespace pool
    Method,    // u30 index into the methods
    Class,     // u30 index into the classes
    Exception, // u30 index into the body's exceptions
    // lookupswitch's tail: u30 case count, then count + 1 s24 offsets. Its
    // offsets, and its default Offset, count from the lookupswitch byte itself.
    CaseOffsets,
};

constexpr int MaxOperands = 4;

struct OpInfo {
    const char *name = nullptr; // the standard mnemonic
    int operandCount = 0;
    std::array<OperandKind, MaxOperands> operands{};
};

// The layout of an opcode's operands; nullptr for a byte no instruction uses.
const OpInfo *OpcodeInfo(uint8_t opcode);

inline const OpInfo *OpcodeInfo(Op op) { return OpcodeInfo(uint8_t(op)); }

} // namespace swf::avm2
