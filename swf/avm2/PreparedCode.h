#pragma once

#include "swf/avm2/Opcodes.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <vector>

namespace swf::avm2 {

struct AbcBody;

// A method body decoded once before its first run: instructions with their
// operands read and branch offsets turned into instruction numbers, so
// that running it never decodes and no branch lands between instructions.
struct PreparedInstruction {
    Op op = Op::Nop;
    uint32_t a = 0, b = 0; // the operands, in the order the opcode lists them
    int32_t target = -1;   // branches: the instruction jumped to
    int32_t cases = -1;    // lookupswitch: where its targets start in caseTargets
    int32_t offset = 0;    // of the opcode in the code, for exception ranges
};

struct PreparedHandler {
    int32_t from = 0, to = 0; // instructions from..to-1 are covered
    int32_t target = 0;
    uint32_t exceptionIndex = 0;
};

struct PreparedCode {
    std::vector<PreparedInstruction> instructions;
    std::vector<int32_t> caseTargets; // per lookupswitch: default, then each case
    std::vector<PreparedHandler> handlers;
};

// Decodes a body; nullptr with the VerifyError number and offset when the
// code uses an unknown opcode, runs off its end or branches into the
// middle of an instruction.
std::unique_ptr<PreparedCode> PrepareCode(const AbcBody &body, int &errorId, int &errorOffset);

} // namespace swf::avm2
