// Decodes one instruction and its operands by the opcode table.

#include "swf/avm2/Instruction.h"

#include "swf/avm2/CodeReader.h"

namespace swf::avm2 {
namespace {

constexpr int S24Bytes = 3;

bool readCases(CodeReader &r, Instruction &instruction, int64_t &count)
{
    const uint32_t lastCase = r.u30();
    count = lastCase;
    // Refused before allocating when the code cannot hold that many offsets.
    if (r.overrun() || int64_t(lastCase) + 1 > r.remaining() / S24Bytes)
        return false;
    instruction.caseOffsets.reserve(size_t(lastCase) + 1);
    for (uint32_t i = 0; i <= lastCase; ++i)
        instruction.caseOffsets.push_back(r.s24());
    return true;
}

} // namespace

std::optional<Instruction> DecodeInstruction(const QByteArray &code, int position)
{
    CodeReader r(code, position);
    Instruction instruction;
    instruction.offset = position;
    instruction.opcode = r.u8();
    instruction.info = OpcodeInfo(instruction.opcode);
    if (r.overrun() || !instruction.info)
        return std::nullopt;
    for (int i = 0; i < instruction.info->operandCount; ++i) {
        int64_t &operand = instruction.operands[i];
        switch (instruction.info->operands[i]) {
        case OperandKind::Byte:
            operand = r.u8();
            break;
        case OperandKind::Offset:
            operand = r.s24();
            break;
        case OperandKind::CaseOffsets:
            if (!readCases(r, instruction, operand))
                return std::nullopt;
            break;
        default:
            operand = r.u30();
            break;
        }
    }
    if (r.overrun())
        return std::nullopt;
    instruction.length = r.position() - position;
    return instruction;
}

} // namespace swf::avm2
