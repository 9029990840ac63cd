// Runs a compiled program with an explicit backtracking stack. Every change
// to a capture or loop register is logged on that stack, so failing back to a
// choice point undoes exactly the work done after it.
#include "RegExpSyntax.h"

namespace swf::avm2 {

namespace {

// One exec() may run this many instructions and backtracks; beyond that the
// match counts as failed, so catastrophic patterns end in bounded time.
constexpr long long kMaxStepsPerExec = 10'000'000;
constexpr size_t kMaxBacktrackEntries = size_t(1) << 21;

} // namespace

// Runs a program against one subject. The state vector holds the capture
// slots followed by the loop and lookahead registers.
class RegExpMatcher {
public:
    RegExpMatcher(const RegExpProgram &program, const QString &subject)
        : m_program(program), m_text(reinterpret_cast<const char16_t *>(subject.utf16())),
          m_length(int(subject.size())), m_ignoreCase(program.m_flags.ignoreCase),
          m_multiline(program.m_flags.multiline), m_state(size_t(program.m_registerCount), -1)
    {
    }

    // True when a match begins at `start`; the captures are then in state().
    bool matchAt(int start)
    {
        // A failed attempt has undone all its changes on the way back, so the
        // state is clean again without clearing every register per position.
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
        // Comparing is work too: long references must use up the budget.
        m_steps += length;
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

namespace {

void copyCaptures(const std::vector<int> &state, int captureCount, std::vector<int> &captures)
{
    captures.assign(state.begin(), state.begin() + 2 * (captureCount + 1));
    // A group whose end was never reached is left unmatched.
    for (size_t i = 0; i + 1 < captures.size(); i += 2) {
        if (captures[i] < 0 || captures[i + 1] < 0)
            captures[i] = captures[i + 1] = -1;
    }
}

} // namespace

// When every match must begin with one known character, the positions
// without it need no attempt; returns the next candidate at or after pos.
int RegExpProgram::nextCandidate(const QString &subject, int pos) const
{
    const bool leadsWithChar = m_code.size() > 1 && m_code[1].op == RegExpOp::Char;
    if (!leadsWithChar)
        return pos;
    const int wanted = m_code[1].a;
    const int length = int(subject.size());
    while (pos < length) {
        const char16_t c = subject[pos].unicode();
        if ((m_flags.ignoreCase ? RegExpCanonicalize(c) : c) == wanted)
            return pos;
        ++pos;
    }
    return pos;
}

bool RegExpProgram::exec(const QString &subject, int start, std::vector<int> &captures) const
{
    RegExpMatcher matcher(*this, subject);
    for (int pos = std::max(start, 0); pos <= subject.size() && !matcher.exhausted(); ++pos) {
        pos = nextCandidate(subject, pos);
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
