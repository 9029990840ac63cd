// Compiles the parsed tree into a small instruction list. Quantified groups
// follow the ECMAScript rules: their captures are cleared on each iteration,
// and an optional iteration that matches the empty string fails.
#include "RegExpSyntax.h"

namespace swf::avm2 {

// Emits the instruction list for a parsed tree.
class RegExpCompiler {
public:
    RegExpCompiler(RegExpProgram &program, int captureCount)
        : m_program(program), m_nextRegister(2 * (captureCount + 1))
    {
    }

    bool compile(const RegExpNode &root)
    {
        emitGroup(root, 0);
        add(RegExpOp::Match);
        m_program.m_registerCount = m_nextRegister;
        return !m_tooLarge;
    }

private:
    RegExpProgram &m_program;
    int m_nextRegister;
    bool m_tooLarge = false;

    int pc() const { return int(m_program.m_code.size()); }

    int add(RegExpOp op, int a = 0, int b = 0, int c = 0)
    {
        if (pc() >= kRegExpMaxProgramSize) {
            m_tooLarge = true;
            return pc() - 1;
        }
        m_program.m_code.push_back({op, a, b, c});
        return pc() - 1;
    }

    RegExpInstruction &at(int index) { return m_program.m_code[size_t(index)]; }

    void emitNode(const RegExpNode &node)
    {
        if (m_tooLarge)
            return;
        switch (node.kind) {
        case RegExpNode::Kind::Sequence:
            for (const auto &child : node.children)
                emitNode(*child);
            break;
        case RegExpNode::Kind::Alternation: emitAlternation(node); break;
        case RegExpNode::Kind::Group:
            node.value < 0 ? emitNode(*node.children.front()) : emitGroup(*node.children.front(), node.value);
            break;
        case RegExpNode::Kind::Repeat: emitRepeat(node); break;
        case RegExpNode::Kind::Lookahead: emitLookahead(node); break;
        default: emitSimple(node); break;
        }
    }

    void emitSimple(const RegExpNode &node)
    {
        const bool ignoreCase = m_program.m_flags.ignoreCase;
        switch (node.kind) {
        case RegExpNode::Kind::Char:
            add(RegExpOp::Char, ignoreCase ? RegExpCanonicalize(char16_t(node.value)) : node.value);
            break;
        case RegExpNode::Kind::Any:
            add(m_program.m_flags.dotAll ? RegExpOp::Any : RegExpOp::AnyButLineEnd);
            break;
        case RegExpNode::Kind::Class: add(RegExpOp::Class, node.value); break;
        case RegExpNode::Kind::BackReference: add(RegExpOp::BackReference, node.value); break;
        case RegExpNode::Kind::Assertion: add(assertionOp(RegExpAssertion(node.value))); break;
        default: break;
        }
    }

    static RegExpOp assertionOp(RegExpAssertion assertion)
    {
        switch (assertion) {
        case RegExpAssertion::LineStart: return RegExpOp::LineStart;
        case RegExpAssertion::LineEnd: return RegExpOp::LineEnd;
        case RegExpAssertion::WordBoundary: return RegExpOp::WordBoundary;
        case RegExpAssertion::NotWordBoundary: break;
        }
        return RegExpOp::NotWordBoundary;
    }

    void emitGroup(const RegExpNode &body, int capture)
    {
        add(RegExpOp::Save, 2 * capture);
        emitNode(body);
        add(RegExpOp::Save, 2 * capture + 1);
    }

    void emitAlternation(const RegExpNode &node)
    {
        std::vector<int> jumpsToEnd;
        for (size_t i = 0; i < node.children.size(); ++i) {
            const bool last = i + 1 == node.children.size();
            const int split = last ? -1 : add(RegExpOp::Split);
            emitNode(*node.children[i]);
            if (last || m_tooLarge)
                break;
            jumpsToEnd.push_back(add(RegExpOp::Jump));
            at(split).a = pc();
        }
        for (int jump : jumpsToEnd)
            at(jump).a = pc();
    }

    void emitLookahead(const RegExpNode &node)
    {
        const int reg = m_nextRegister++;
        const int start = add(RegExpOp::LookStart, reg, node.negative ? 1 : 0);
        emitNode(*node.children.front());
        add(RegExpOp::LookEnd, reg, node.negative ? 1 : 0);
        at(start).c = pc();
    }

    static bool isSingleCharacter(const RegExpNode &node)
    {
        return node.kind == RegExpNode::Kind::Char || node.kind == RegExpNode::Kind::Any
               || node.kind == RegExpNode::Kind::Class;
    }

    void emitRepeat(const RegExpNode &node)
    {
        RegExpLoop loop;
        loop.min = node.min;
        loop.max = node.max;
        loop.greedy = node.greedy;
        loop.firstCapture = node.firstCapture + 1;
        loop.captureEnd = node.captureEnd + 1;
        loop.counterRegister = m_nextRegister++;
        loop.startRegister = m_nextRegister++;
        const int index = int(m_program.m_loops.size());
        m_program.m_loops.push_back(loop);
        const RegExpNode &atom = *node.children.front();
        if (isSingleCharacter(atom)) {
            add(RegExpOp::SingleLoop, index);
            emitSimple(atom);
            m_program.m_loops[size_t(index)].exit = pc();
            return;
        }
        add(RegExpOp::LoopInit, index);
        const int head = add(RegExpOp::LoopHead, index);
        m_program.m_loops[size_t(index)].body = add(RegExpOp::LoopBody, index);
        emitNode(atom);
        add(RegExpOp::LoopEnd, index);
        at(pc() - 1).b = head;
        m_program.m_loops[size_t(index)].exit = pc();
    }
};

RegExpProgram::RegExpProgram() = default;
RegExpProgram::~RegExpProgram() = default;

std::shared_ptr<const RegExpProgram> RegExpProgram::compile(const QString &pattern, RegExpFlags flags,
                                                           QString *error)
{
    RegExpSyntaxTree tree = RegExpParse(pattern, flags, error);
    if (!tree.root)
        return nullptr;
    std::shared_ptr<RegExpProgram> program(new RegExpProgram);
    program->m_flags = flags;
    program->m_captureCount = int(tree.groupNames.size());
    program->m_groupNames = tree.groupNames;
    program->m_classes = std::move(tree.classes);
    RegExpCompiler compiler(*program, program->m_captureCount);
    if (!compiler.compile(*tree.root)) {
        if (error)
            *error = QStringLiteral("pattern too large");
        return nullptr;
    }
    return program;
}

} // namespace swf::avm2
