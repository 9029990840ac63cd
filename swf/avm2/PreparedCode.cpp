#include "swf/avm2/PreparedCode.h"

#include "swf/avm2/AbcFile.h"
#include "swf/avm2/Instruction.h"

#include <unordered_map>

namespace swf::avm2 {

namespace {

// The player's verifier errors.
constexpr int IllegalOpcodeError = 1011;
constexpr int BranchTargetError = 1021;
constexpr int FellOffEndError = 1020;

bool isBranch(Op op)
{
    return (op >= Op::IfNlt && op <= Op::IfStrictNe);
}

} // namespace

std::unique_ptr<PreparedCode> PrepareCode(const AbcBody &body, int &errorId, int &errorOffset)
{
    auto prepared = std::make_unique<PreparedCode>();
    std::unordered_map<int, int32_t> indexAt;
    std::vector<Instruction> decoded;
    const int size = int(body.code.size());
    for (int position = 0; position < size;) {
        std::optional<Instruction> instruction = DecodeInstruction(body.code, position);
        if (!instruction) {
            errorId = IllegalOpcodeError;
            errorOffset = position;
            return nullptr;
        }
        indexAt.emplace(position, int32_t(decoded.size()));
        position = instruction->next();
        decoded.push_back(std::move(*instruction));
    }
    indexAt.emplace(size, int32_t(decoded.size()));
    auto resolve = [&](int64_t offset, int32_t &out) {
        const auto it = indexAt.find(int(offset));
        if (offset < 0 || offset > size || it == indexAt.end())
            return false;
        out = it->second;
        return true;
    };
    prepared->instructions.reserve(decoded.size());
    for (const Instruction &in : decoded) {
        PreparedInstruction out;
        out.op = in.op();
        out.offset = in.offset;
        out.a = uint32_t(in.operands[0]);
        out.b = uint32_t(in.operands[1]);
        bool ok = true;
        if (isBranch(out.op)) {
            // Compilers leave unreachable branches past the end: refused only if taken.
            if (!resolve(in.target(int32_t(in.operands[0])), out.target))
                out.target = -1;
        } else if (out.op == Op::LookupSwitch) {
            out.cases = int32_t(prepared->caseTargets.size());
            int32_t target = 0;
            ok = resolve(in.target(int32_t(in.operands[0])), target);
            prepared->caseTargets.push_back(target);
            out.a = uint32_t(in.caseOffsets.size());
            for (int32_t relative : in.caseOffsets) {
                ok = ok && resolve(in.target(relative), target);
                prepared->caseTargets.push_back(target);
            }
        }
        if (!ok) {
            errorId = BranchTargetError;
            errorOffset = in.offset;
            return nullptr;
        }
        prepared->instructions.push_back(out);
    }
    // Running off the end is refused up front; the last instruction must leave.
    if (prepared->instructions.empty()) {
        errorId = FellOffEndError;
        errorOffset = 0;
        return nullptr;
    }
    for (uint32_t i = 0; i < body.exceptions.size(); ++i) {
        const AbcException &e = body.exceptions[i];
        PreparedHandler handler;
        handler.exceptionIndex = i;
        if (!resolve(e.from, handler.from) || !resolve(e.to, handler.to) || !resolve(e.target, handler.target)) {
            // Ranges may end inside an instruction: take the next boundary.
            int32_t from = -1, to = int32_t(decoded.size()), target = -1;
            for (size_t k = 0; k < decoded.size(); ++k) {
                if (from < 0 && decoded[k].offset >= int(e.from))
                    from = int32_t(k);
                if (decoded[k].offset >= int(e.to) && to == int32_t(decoded.size()))
                    to = int32_t(k);
                if (decoded[k].offset == int(e.target))
                    target = int32_t(k);
            }
            if (from < 0 || target < 0)
                continue;
            handler.from = from;
            handler.to = to;
            handler.target = target;
        }
        prepared->handlers.push_back(handler);
    }
    return prepared;
}

} // namespace swf::avm2
