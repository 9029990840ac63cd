// The "$" forms of a String.prototype.replace replacement string.
#include "RegExpEngine.h"

namespace swf::avm2 {

namespace {

constexpr int kMaxGroupDigits = 2;

int digitAt(const QString &text, int index)
{
    if (index >= text.size())
        return -1;
    const char16_t c = text[index].unicode();
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

QString captured(const QString &subject, const std::vector<int> &captures, int group)
{
    const size_t begin = size_t(2 * group);
    if (begin + 1 >= captures.size() || captures[begin] < 0)
        return QString();
    return subject.mid(captures[begin], captures[begin + 1] - captures[begin]);
}

// Reads the group number after a "$" at `dollar`; returns how many characters
// of the replacement it stands for (0 when none), and the group in `group`.
int groupReference(const QString &replacement, int dollar, int groupCount, int &group)
{
    const int first = digitAt(replacement, dollar + 1);
    if (first < 0)
        return 0;
    const int second = digitAt(replacement, dollar + 2);
    const int twoDigits = second >= 0 ? first * 10 + second : -1;
    if (twoDigits >= 1 && twoDigits <= groupCount && first > 0) {
        group = twoDigits;
        return 1 + kMaxGroupDigits;
    }
    if (first == 0 && second >= 1 && second <= groupCount) {
        // The Flash player reads "$0n" as group n but consumes only "$0",
        // so the digit is copied as well.
        group = second;
        return kMaxGroupDigits;
    }
    if (first >= 1 && first <= groupCount) {
        group = first;
        return kMaxGroupDigits;
    }
    return 0;
}

} // namespace

QString ExpandReplacement(const QString &replacement, const QString &subject,
                          const std::vector<int> &captures)
{
    if (captures.size() < 2 || captures[0] < 0)
        return replacement;
    const int groupCount = int(captures.size() / 2) - 1;
    const int matchBegin = captures[0];
    const int matchEnd = captures[1];
    QString result;
    for (int i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        const QChar next = i + 1 < replacement.size() ? replacement[i + 1] : QChar();
        if (c != '$') {
            result += c;
        } else if (next == '$') {
            result += c;
            ++i;
        } else if (next == '&') {
            result += subject.mid(matchBegin, matchEnd - matchBegin);
            ++i;
        } else if (next == '`') {
            result += subject.left(matchBegin);
            ++i;
        } else if (next == '\'') {
            result += subject.mid(matchEnd);
            ++i;
        } else {
            int group = 0;
            const int length = groupReference(replacement, i, groupCount, group);
            if (length == 0) {
                result += c;
                continue;
            }
            result += captured(subject, captures, group);
            i += length - 1;
        }
    }
    return result;
}

} // namespace swf::avm2
