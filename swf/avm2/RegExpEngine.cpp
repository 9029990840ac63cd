// Compiles the parsed tree into a small instruction list and runs it with an
// explicit backtracking stack. Every change to a capture or loop register is
// logged on that stack, so failing back to a choice point undoes exactly the
// work done after it. Quantified groups follow the ECMAScript rules: their
// captures are cleared on each iteration, and an optional iteration that
// matches the empty string fails.
#include "RegExpSyntax.h"

namespace swf::avm2 {

namespace {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;
constexpr char16_t kNoBreakSpace = 0x00A0;
constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr char16_t kVerticalTab = 0x0B;
constexpr char16_t kFormFeed = 0x0C;
constexpr char16_t kLastAscii = 0x7F;

// One exec() may run this many instructions and backtracks; beyond that the
// match counts as failed, so catastrophic patterns end in bounded time.
constexpr long long kMaxStepsPerExec = 10'000'000;
constexpr size_t kMaxBacktrackEntries = size_t(1) << 21;

} // namespace

bool RegExpIsLineTerminator(char16_t c)
{
    return c == '\n' || c == '\r' || c == kLineSeparator || c == kParagraphSeparator;
}

bool RegExpIsWordChar(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool RegExpIsWhitespace(char16_t c)
{
    if (c == ' ' || c == '\t' || c == kVerticalTab || c == kFormFeed || c == kNoBreakSpace
        || c == kByteOrderMark || RegExpIsLineTerminator(c))
        return true;
    return QChar(c).category() == QChar::Separator_Space;
}

char16_t RegExpCanonicalize(char16_t c)
{
    const char16_t upper = QChar(c).toUpper().unicode();
    if (c > kLastAscii && upper <= kLastAscii)
        return c;
    return upper;
}

bool RegExpClass::containsExactly(char16_t c) const
{
    const bool digit = c >= '0' && c <= '9';
    const bool word = RegExpIsWordChar(c);
    const bool space = RegExpIsWhitespace(c);
    if (((builtins & Digit) && digit) || ((builtins & NotDigit) && !digit)
        || ((builtins & Word) && word) || ((builtins & NotWord) && !word)
        || ((builtins & Space) && space) || ((builtins & NotSpace) && !space))
        return true;
    for (const auto &range : ranges) {
        if (c >= range.first && c <= range.second)
            return true;
    }
    return false;
}

bool RegExpClass::contains(char16_t c, bool ignoreCase) const
{
    bool found = containsExactly(c);
    if (!found && ignoreCase) {
        // Approximates "some member folds to the same character" by trying
        // the character's own upper and lower case forms.
        const char16_t upper = RegExpCanonicalize(c);
        const char16_t lower = QChar(c).toLower().unicode();
        found = containsExactly(upper) || containsExactly(lower);
    }
    return found != negated;
}

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
        case RegExpNode::Kind::Empty: break;
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

// Runs a program against one subject. The state vector holds the capture
// slots followed by the loop and lookahead registers.
class RegExpMatcher {
public:
    RegExpMatcher(const RegExpProgram &program, const QString &subject)
        : m_program(program), m_text(reinterpret_cast<const char16_t *>(subject.utf16())),
          m_length(int(subject.size())), m_ignoreCase(program.m_flags.ignoreCase),
          m_multiline(program.m_flags.multiline)
    {
    }

    // True when a match begins at `start`; the captures are then in state().
    bool matchAt(int start)
    {
        m_state.assign(size_t(m_program.m_registerCount), -1);
        m_stack.clear();
        m_pc = 0;
        m_pos = start;
        while (m_steps++ < kMaxStepsPerExec && m_stack.size() < kMaxBacktrackEntries) {
            const RegExpInstruction &inst = m_program.m_code[size_t(m_pc)];
            if (inst.op == RegExpOp::Match)
                return true;
            if (!step(inst) && !backtrack())
                return false;
        }
        m_exhausted = true;
        return false;
    }

    bool exhausted() const { return m_exhausted; }
    const std::vector<int> &state() const { return m_state; }

private:
    enum class EntryKind : uint8_t { Restore, Branch, Barrier, GreedyRest, LazyMore };
    // Restore: state[index] = value. Branch: resume at pc, pos.
    // Barrier: a lookahead's start (value: negative). GreedyRest: a single-
    // character loop may give back characters down to pos. LazyMore: a lazy
    // single-character loop at pc may take one more (value: count so far).
    struct Entry {
        EntryKind kind;
        int pc;
        int pos;
        int value;
    };

    const RegExpProgram &m_program;
    const char16_t *m_text;
    int m_length;
    bool m_ignoreCase;
    bool m_multiline;
    std::vector<int> m_state;
    std::vector<Entry> m_stack;
    int m_pc = 0;
    int m_pos = 0;
    long long m_steps = 0;
    bool m_exhausted = false;

    void set(int index, int value)
    {
        m_stack.push_back({EntryKind::Restore, index, 0, m_state[size_t(index)]});
        m_state[size_t(index)] = value;
    }

    void pushBranch(int pc, int pos) { m_stack.push_back({EntryKind::Branch, pc, pos, 0}); }

    bool advance()
    {
        ++m_pc;
        return true;
    }

    bool matchesOne(const RegExpInstruction &inst, int pos) const
    {
        if (pos >= m_length)
            return false;
        const char16_t c = m_text[pos];
        switch (inst.op) {
        case RegExpOp::Char: return (m_ignoreCase ? RegExpCanonicalize(c) : c) == inst.a;
        case RegExpOp::Any: return true;
        case RegExpOp::AnyButLineEnd: return !RegExpIsLineTerminator(c);
        case RegExpOp::Class: return m_program.m_classes[size_t(inst.a)].contains(c, m_ignoreCase);
        default: return false;
        }
    }

    bool wordAt(int pos) const { return pos >= 0 && pos < m_length && RegExpIsWordChar(m_text[pos]); }

    bool step(const RegExpInstruction &inst)
    {
        switch (inst.op) {
        case RegExpOp::Char:
        case RegExpOp::Any:
        case RegExpOp::AnyButLineEnd:
        case RegExpOp::Class:
            if (!matchesOne(inst, m_pos))
                return false;
            ++m_pos;
            return advance();
        case RegExpOp::Split: pushBranch(inst.a, m_pos); return advance();
        case RegExpOp::Jump: m_pc = inst.a; return true;
        case RegExpOp::Save: set(inst.a, m_pos); return advance();
        case RegExpOp::BackReference: return backReference(inst.a);
        case RegExpOp::LookStart: return lookStart(inst);
        case RegExpOp::LookEnd: return lookEnd(inst);
        case RegExpOp::LoopInit:
        case RegExpOp::LoopHead:
        case RegExpOp::LoopBody:
        case RegExpOp::LoopEnd:
        case RegExpOp::SingleLoop: return loopStep(inst);
        default: return assertion(inst.op) && advance();
        }
    }

    bool assertion(RegExpOp op) const
    {
        switch (op) {
        case RegExpOp::LineStart:
            return m_pos == 0 || (m_multiline && RegExpIsLineTerminator(m_text[m_pos - 1]));
        case RegExpOp::LineEnd:
            return m_pos == m_length || (m_multiline && RegExpIsLineTerminator(m_text[m_pos]));
        case RegExpOp::WordBoundary: return wordAt(m_pos - 1) != wordAt(m_pos);
        case RegExpOp::NotWordBoundary: return wordAt(m_pos - 1) == wordAt(m_pos);
        default: return false;
        }
    }

    // A group that has not matched matches the empty string.
    bool backReference(int group)
    {
        const int begin = m_state[size_t(2 * group)];
        const int end = m_state[size_t(2 * group + 1)];
        if (begin < 0 || end < 0)
            return advance();
        const int length = end - begin;
        if (length > m_length - m_pos)
            return false;
        for (int i = 0; i < length; ++i) {
            const char16_t a = m_text[begin + i];
            const char16_t b = m_text[m_pos + i];
            if (a != b && !(m_ignoreCase && RegExpCanonicalize(a) == RegExpCanonicalize(b)))
                return false;
        }
        m_pos += length;
        return advance();
    }

    bool lookStart(const RegExpInstruction &inst)
    {
        set(inst.a, int(m_stack.size()) + 1);
        m_stack.push_back({EntryKind::Barrier, inst.c, m_pos, inst.b});
        return advance();
    }

    // The body matched. A positive lookahead keeps the body's captures (and
    // their undo entries) but none of its choice points; a negative one
    // undoes everything and fails.
    bool lookEnd(const RegExpInstruction &inst)
    {
        const size_t barrier = size_t(m_state[size_t(inst.a)]);
        const int startPos = m_stack[barrier].pos;
        if (inst.b) {
            while (m_stack.size() > barrier)
                popAndRestore();
            return false;
        }
        size_t kept = barrier;
        for (size_t i = barrier + 1; i < m_stack.size(); ++i) {
            if (m_stack[i].kind == EntryKind::Restore)
                m_stack[kept++] = m_stack[i];
        }
        m_stack.resize(kept);
        m_pos = startPos;
        return advance();
    }

    void popAndRestore()
    {
        const Entry e = m_stack.back();
        m_stack.pop_back();
        if (e.kind == EntryKind::Restore)
            m_state[size_t(e.pc)] = e.value;
    }

    bool loopStep(const RegExpInstruction &inst)
    {
        const RegExpLoop &loop = m_program.m_loops[size_t(inst.a)];
        switch (inst.op) {
        case RegExpOp::LoopInit: set(loop.counterRegister, 0); return advance();
        case RegExpOp::LoopHead: return loopHead(loop);
        case RegExpOp::LoopBody:
            set(loop.startRegister, m_pos);
            for (int group = loop.firstCapture; group < loop.captureEnd; ++group) {
                set(2 * group, -1);
                set(2 * group + 1, -1);
            }
            return advance();
        case RegExpOp::LoopEnd: {
            const int done = m_state[size_t(loop.counterRegister)];
            if (done >= loop.min && m_pos == m_state[size_t(loop.startRegister)])
                return false;
            set(loop.counterRegister, done + 1);
            m_pc = inst.b;
            return true;
        }
        default: return singleLoop(loop);
        }
    }

    bool loopHead(const RegExpLoop &loop)
    {
        const int done = m_state[size_t(loop.counterRegister)];
        if (done < loop.min) {
            m_pc = loop.body;
        } else if (done >= loop.max) {
            m_pc = loop.exit;
        } else if (loop.greedy) {
            pushBranch(loop.exit, m_pos);
            m_pc = loop.body;
        } else {
            pushBranch(loop.body, m_pos);
            m_pc = loop.exit;
        }
        return true;
    }

    // A quantified single character needs no per-iteration bookkeeping: one
    // stack entry stands for all the ways to give characters back or take more.
    bool singleLoop(const RegExpLoop &loop)
    {
        const RegExpInstruction &atom = m_program.m_code[size_t(m_pc + 1)];
        int taken = 0;
        const int wanted = loop.greedy ? loop.max : loop.min;
        while (taken < wanted && matchesOne(atom, m_pos + taken)) {
            ++taken;
            if (++m_steps > kMaxStepsPerExec)
                return false;
        }
        if (taken < loop.min)
            return false;
        if (loop.greedy && taken > loop.min)
            m_stack.push_back({EntryKind::GreedyRest, loop.exit, m_pos + loop.min, m_pos + taken});
        if (!loop.greedy && taken < loop.max)
            m_stack.push_back({EntryKind::LazyMore, m_pc, m_pos + taken, taken});
        m_pos += taken;
        m_pc = loop.exit;
        return true;
    }

    // Pops to the latest choice point and resumes there; false when none is left.
    bool backtrack()
    {
        while (!m_stack.empty()) {
            if (++m_steps > kMaxStepsPerExec)
                return false;
            Entry &e = m_stack.back();
            switch (e.kind) {
            case EntryKind::Restore: popAndRestore(); continue;
            case EntryKind::Branch:
            case EntryKind::Barrier: {
                const Entry taken = e;
                m_stack.pop_back();
                if (taken.kind == EntryKind::Barrier && !taken.value)
                    continue;
                m_pc = taken.pc;
                m_pos = taken.pos;
                return true;
            }
            case EntryKind::GreedyRest:
                m_pc = e.pc;
                m_pos = --e.value;
                if (e.value <= e.pos)
                    m_stack.pop_back();
                return true;
            case EntryKind::LazyMore:
                if (lazyMore(e))
                    return true;
                m_stack.pop_back();
                continue;
            }
        }
        return false;
    }

    bool lazyMore(Entry &e)
    {
        const RegExpInstruction &loopInst = m_program.m_code[size_t(e.pc)];
        const RegExpLoop &loop = m_program.m_loops[size_t(loopInst.a)];
        if (e.value >= loop.max || !matchesOne(m_program.m_code[size_t(e.pc + 1)], e.pos))
            return false;
        ++e.pos;
        ++e.value;
        m_pos = e.pos;
        m_pc = loop.exit;
        return true;
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

namespace {

void copyCaptures(const std::vector<int> &state, int captureCount, std::vector<int> &captures)
{
    captures.assign(state.begin(), state.begin() + 2 * (captureCount + 1));
    // A group whose end was never reached did not take part.
    for (size_t i = 0; i + 1 < captures.size(); i += 2) {
        if (captures[i] < 0 || captures[i + 1] < 0)
            captures[i] = captures[i + 1] = -1;
    }
}

} // namespace

bool RegExpProgram::exec(const QString &subject, int start, std::vector<int> &captures) const
{
    RegExpMatcher matcher(*this, subject);
    for (int pos = std::max(start, 0); pos <= subject.size() && !matcher.exhausted(); ++pos) {
        if (matcher.matchAt(pos)) {
            copyCaptures(matcher.state(), m_captureCount, captures);
            return true;
        }
    }
    return false;
}

bool RegExpProgram::matchAt(const QString &subject, int start, std::vector<int> &captures) const
{
    if (start < 0 || start > subject.size())
        return false;
    RegExpMatcher matcher(*this, subject);
    if (!matcher.matchAt(start))
        return false;
    copyCaptures(matcher.state(), m_captureCount, captures);
    return true;
}

} // namespace swf::avm2
