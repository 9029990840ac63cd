// The character rules of the pattern language: line ends, word characters,
// white space, case folding and bracketed sets.
#include "RegExpSyntax.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;
constexpr char16_t kNoBreakSpace = 0x00A0;
constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr char16_t kVerticalTab = 0x0B;
constexpr char16_t kFormFeed = 0x0C;
constexpr char16_t kLastAscii = 0x7F;

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
    // The first range starting beyond c; the one before it may hold c.
    auto after = std::upper_bound(ranges.begin(), ranges.end(), c,
                                  [](char16_t value, const auto &range) { return value < range.first; });
    return after != ranges.begin() && c <= std::prev(after)->second;
}

void RegExpClass::normalize()
{
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<char16_t, char16_t>> merged;
    for (const auto &range : ranges) {
        if (!merged.empty() && int(range.first) <= int(merged.back().second) + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    ranges = std::move(merged);
}

namespace {

constexpr int kCodeUnitCount = 0x10000;

// Every character whose folded form is another character, ordered by that
// folded form, so the characters folding to one form are found by search.
const std::vector<std::pair<char16_t, char16_t>> &foldedPreimages()
{
    static const std::vector<std::pair<char16_t, char16_t>> table = [] {
        std::vector<std::pair<char16_t, char16_t>> entries;
        for (int u = 0; u < kCodeUnitCount; ++u) {
            const char16_t folded = RegExpCanonicalize(char16_t(u));
            if (folded != u)
                entries.emplace_back(folded, char16_t(u));
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }();
    return table;
}

} // namespace

bool RegExpClass::contains(char16_t c, bool ignoreCase) const
{
    if (!ignoreCase)
        return containsExactly(c) != negated;
    // Without case, the set holds c when any member folds as c does.
    const char16_t folded = RegExpCanonicalize(c);
    bool found = RegExpCanonicalize(folded) == folded && containsExactly(folded);
    const auto &table = foldedPreimages();
    auto it = std::lower_bound(table.begin(), table.end(), std::make_pair(folded, char16_t(0)));
    for (; !found && it != table.end() && it->first == folded; ++it)
        found = containsExactly(it->second);
    return found != negated;
}

} // namespace swf::avm2
