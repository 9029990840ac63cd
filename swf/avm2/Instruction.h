#pragma once

#include "swf/avm2/Opcodes.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace swf::avm2 {

// One decoded instruction of a method body. Operands are in the order
// OpcodeInfo() lists them; pool indices are as stored, not yet checked
// against their pools.
struct Instruction {
    int offset = 0; // of the opcode byte in the code
    int length = 0; // opcode and operands
    uint8_t opcode = 0;
    const OpInfo *info = nullptr;
    std::array<int64_t, MaxOperands> operands{}; // u8 and u30 as unsigned, s24 signed
    std::vector<int32_t> caseOffsets; // lookupswitch: case count + 1 offsets

    Op op() const { return Op(opcode); }
    int next() const { return offset + length; }
    // Where a branch offset of this instruction leads (it may lie outside the code).
    int64_t target(int32_t relative) const
    {
        return (op() == Op::LookupSwitch ? offset : next()) + int64_t(relative);
    }
};

// The instruction at position in code; nullopt for a byte no instruction
// uses or operands that run past the end of the code.
std::optional<Instruction> DecodeInstruction(const QByteArray &code, int position);

} // namespace swf::avm2
