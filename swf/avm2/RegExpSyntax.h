#pragma once

// The pieces RegExpEngine.cpp and RegExpParser.cpp share: the character
// rules of the pattern language, the parsed tree and the compiled program's
// instruction set. Internal to the engine; users include RegExpEngine.h.

#include "RegExpEngine.h"

#include <QChar>

#include <climits>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace swf::avm2 {

// Limits that keep a hostile pattern from exhausting memory or the stack.
constexpr int kRegExpMaxNesting = 512;
constexpr int kRegExpMaxProgramSize = 1 << 18;
constexpr int kRegExpMaxPatternLength = 1 << 20;
constexpr int kRegExpUnbounded = INT_MAX;

bool RegExpIsLineTerminator(char16_t c);
bool RegExpIsWordChar(char16_t c);
bool RegExpIsWhitespace(char16_t c);
// Simple case folding: the upper case form, unless that would turn a
// non-ASCII character into an ASCII one.
char16_t RegExpCanonicalize(char16_t c);

// A bracketed set, or one of the escapes \d \D \w \W \s \S on its own.
struct RegExpClass {
    enum Builtin : uint8_t {
        Digit = 1 << 0,
        NotDigit = 1 << 1,
        Word = 1 << 2,
        NotWord = 1 << 3,
        Space = 1 << 4,
        NotSpace = 1 << 5,
    };
    std::vector<std::pair<char16_t, char16_t>> ranges;
    uint8_t builtins = 0;
    bool negated = false;

    bool contains(char16_t c, bool ignoreCase) const;
    // Sorts and merges the ranges, so a lookup is a binary search however
    // long the bracketed list was.
    void normalize();

private:
    bool containsExactly(char16_t c) const;
};

enum class RegExpAssertion : uint8_t { LineStart, LineEnd, WordBoundary, NotWordBoundary };

struct RegExpNode {
    enum class Kind : uint8_t {
        Char,        // value: the character
        Any,         // "."
        Class,       // value: index into the class table
        Sequence,
        Alternation,
        Group,       // value: capture number, or -1 for (?: )
        Repeat,      // min, max, greedy; one child
        Assertion,   // value: RegExpAssertion
        BackReference, // value: capture number
        Lookahead,   // negative; one child
    };
    explicit RegExpNode(Kind k, int v = 0) : kind(k), value(v) {}

    Kind kind;
    int value = 0;
    int min = 0;
    int max = 0;
    bool greedy = true;
    bool negative = false;
    // Repeat: the groups numbered firstCapture + 1 to captureEnd lie inside it.
    int firstCapture = 0;
    int captureEnd = 0;
    std::vector<std::unique_ptr<RegExpNode>> children;
};

struct RegExpSyntaxTree {
    std::unique_ptr<RegExpNode> root;
    std::vector<RegExpClass> classes;
    QStringList groupNames;
};

// Parses a pattern; on failure returns an empty root and sets *error.
RegExpSyntaxTree RegExpParse(const QString &pattern, RegExpFlags flags, QString *error);

enum class RegExpOp : uint8_t {
    Char,           // a: character (canonical when ignoring case)
    Any,            // any character at all ("." with the s flag)
    AnyButLineEnd,  // "."
    Class,          // a: class index
    Split,          // continue at pc + 1, on failure at a
    Jump,           // a: target
    Save,           // a: capture slot
    LineStart,
    LineEnd,
    WordBoundary,
    NotWordBoundary,
    BackReference,  // a: capture number
    LookStart,      // a: register, b: negative, c: pc after the LookEnd
    LookEnd,        // a: register, b: negative
    LoopInit,       // a: loop index
    LoopHead,       // a: loop index
    LoopBody,       // a: loop index
    LoopEnd,        // a: loop index
    SingleLoop,     // a: loop index; the one-character atom is at pc + 1
    Match,
};

struct RegExpInstruction {
    RegExpOp op;
    int a = 0;
    int b = 0;
    int c = 0;
};

struct RegExpLoop {
    int min = 0;
    int max = 0;
    bool greedy = true;
    int counterRegister = 0;
    int startRegister = 0;
    int body = 0;
    int exit = 0;
    // Groups firstCapture to captureEnd - 1, cleared on each iteration.
    int firstCapture = 0;
    int captureEnd = 0;
};

} // namespace swf::avm2
