// The character rules of the pattern language: line ends, word characters,
// white space, case folding and bracketed sets.
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

} // namespace swf::avm2
