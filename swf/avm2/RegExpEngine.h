#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace swf::avm2 {

// The flags an AS3 RegExp is built with ("g", "i", "m", "s", "x").
struct RegExpFlags {
    bool global = false;
    bool ignoreCase = false;
    bool multiline = false;
    bool dotAll = false;
    bool extended = false;
};

struct RegExpInstruction;
struct RegExpClass;
struct RegExpLoop;

// A compiled pattern: immutable once built, so one program may be shared by
// every RegExp object made from the same source. Matching backtracks with a
// stack of its own and a bounded number of steps, so a hostile pattern can
// neither hang the player nor exhaust the C++ stack; a match that runs out
// of steps simply fails.
class RegExpProgram {
public:
    // Returns nullptr and sets *error (when given) for a pattern that does
    // not parse or is too large or too deeply nested.
    static std::shared_ptr<const RegExpProgram> compile(const QString &pattern, RegExpFlags flags,
                                                        QString *error);

    RegExpFlags flags() const { return m_flags; }
    // Number of capturing groups, named ones included.
    int captureCount() const { return m_captureCount; }
    // One entry per capturing group, in order: its name, or empty when unnamed.
    QStringList groupNames() const { return m_groupNames; }

    // Finds the first match starting at or after `start`. On success fills
    // `captures` with 2 * (captureCount() + 1) offsets, begin and end for the
    // whole match and then for each group; -1 for a group left unmatched.
    bool exec(const QString &subject, int start, std::vector<int> &captures) const;
    // As exec, but only a match beginning exactly at `start`.
    bool matchAt(const QString &subject, int start, std::vector<int> &captures) const;

    ~RegExpProgram();
    RegExpProgram(const RegExpProgram &) = delete;
    RegExpProgram &operator=(const RegExpProgram &) = delete;

private:
    RegExpProgram();
    friend class RegExpCompiler;
    friend class RegExpMatcher;
    int nextCandidate(const QString &subject, int pos) const;

    RegExpFlags m_flags;
    int m_captureCount = 0;
    int m_registerCount = 0;
    QStringList m_groupNames;
    std::vector<RegExpInstruction> m_code;
    std::vector<RegExpClass> m_classes;
    std::vector<RegExpLoop> m_loops;
};

// Expands the "$" forms of a String.prototype.replace replacement string for
// one match: $$, $&, $`, $', $n and $nn. `captures` is as exec() fills it.
// Like the Flash player, "$0n" stands for group n followed by the digit n.
QString ExpandReplacement(const QString &replacement, const QString &subject,
                          const std::vector<int> &captures);

} // namespace swf::avm2
