// The String methods that take a pattern, a RegExp or a text: match,
// replace, search and split.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/RegExpObject.h"
#include "swf/avm2/builtins/StringMethods.h"

namespace swf::avm2 {

namespace {

constexpr uint32_t NoSplitLimit = 0xFFFFFFFFu;

Value arrayValue(ArrayObject *array) { return Value(static_cast<Object *>(array)); }

// Where the next search starts after a match: one further on when the match
// was empty, so that a loop over every match always moves forward.
int nextStart(const std::vector<int> &captures) { return captures[1] > captures[0] ? captures[1] : captures[1] + 1; }

// The text a replacement gives for one match: a function's result, or the
// replacement text with its "$" forms expanded.
QString replacementFor(Runtime &rt, const Value &replacement, const QString &subject,
                       const std::vector<int> &captures)
{
    if (!dynamic_cast<FunctionObject *>(replacement.asObject()))
        return ExpandReplacement(rt.toString(replacement), subject, captures);
    const int groups = int(captures.size() / 2) - 1;
    std::vector<Value> args;
    args.reserve(size_t(groups + 3));
    for (int i = 0; i <= groups; ++i)
        args.push_back(RegExpCapture(subject, captures, i));
    args.push_back(Value(int32_t(captures[0])));
    args.push_back(Value(subject));
    return rt.toString(rt.call(replacement, Value::null(), Args{args.data(), int(args.size())}));
}

// Every match of re in subject (only the first unless it is global). Like
// the player, only the first match may lie at the very end of the text, so
// /^ */gm finds nothing after a final line end.
std::vector<std::vector<int>> matchesOf(const RegExpObject &re, const QString &subject)
{
    std::vector<std::vector<int>> matches;
    std::vector<int> captures;
    int start = 0;
    while (start <= subject.size() && re.find(subject, start, captures)) {
        if (!matches.empty() && captures[0] >= subject.size())
            break;
        matches.push_back(captures);
        if (!re.flags.global)
            break;
        start = nextStart(captures);
    }
    return matches;
}

QString replaceMatches(Runtime &rt, const QString &subject, const std::vector<std::vector<int>> &matches,
                       const Value &replacement)
{
    QString out;
    int copied = 0;
    for (const std::vector<int> &captures : matches) {
        out += QStringView(subject).mid(copied, captures[0] - copied);
        out += replacementFor(rt, replacement, subject, captures);
        CheckTextLength(out.size());
        copied = captures[1];
    }
    out += QStringView(subject).mid(copied);
    CheckTextLength(out.size());
    return out;
}

void pushGroups(ArrayObject *array, const QString &subject, const std::vector<int> &captures)
{
    const int groups = int(captures.size() / 2) - 1;
    for (int i = 1; i <= groups; ++i)
        array->push(RegExpCapture(subject, captures, i));
}

// Split by a RegExp: empty matches where the last piece ended do not count.
void splitByRegExp(ArrayObject *array, const RegExpObject &re, const QString &subject, uint32_t limit)
{
    std::vector<int> captures;
    if (subject.isEmpty()) {
        if (!re.matchAt(subject, 0, captures))
            array->push(Value(subject));
        return;
    }
    int piece = 0;
    int q = 0;
    while (q < subject.size() && re.find(subject, q, captures)) {
        if (captures[0] >= subject.size())
            break;
        if (captures[1] == piece) {
            q = captures[0] + 1;
            continue;
        }
        array->push(Value(subject.mid(piece, captures[0] - piece)));
        if (array->length() >= limit)
            return;
        pushGroups(array, subject, captures);
        if (array->length() >= limit) {
            array->setLength(limit);
            return;
        }
        piece = captures[1];
        q = captures[1] > captures[0] ? captures[1] : captures[1] + 1;
    }
    array->push(Value(subject.mid(piece)));
}

void splitByText(ArrayObject *array, const QString &separator, const QString &subject, uint32_t limit)
{
    if (separator.isEmpty()) {
        // "".split("") gives [""], as in the player.
        if (subject.isEmpty())
            array->push(Value(subject));
        for (int i = 0; i < subject.size() && array->length() < limit; ++i)
            array->push(Value(QString(subject[i])));
        return;
    }
    int piece = 0;
    for (int found = int(subject.indexOf(separator)); found >= 0;
         found = int(subject.indexOf(separator, piece))) {
        array->push(Value(subject.mid(piece, found - piece)));
        if (array->length() >= limit)
            return;
        piece = found + int(separator.size());
    }
    array->push(Value(subject.mid(piece)));
}

} // namespace

Value StringMatch(Runtime &rt, const Value &self, Args args)
{
    const QString subject = ThisText(rt, self);
    RegExpObject *re = ToRegExp(rt, args[0]);
    if (!re->flags.global) {
        std::vector<int> captures;
        if (!re->find(subject, 0, captures))
            return Value::null();
        return arrayValue(RegExpMatchArray(rt, *re, subject, captures));
    }
    re->lastIndex = 0;
    ArrayObject *array = rt.newArray();
    for (const std::vector<int> &captures : matchesOf(*re, subject))
        array->push(RegExpCapture(subject, captures, 0));
    return arrayValue(array);
}

Value StringReplace(Runtime &rt, const Value &self, Args args)
{
    const QString subject = ThisText(rt, self);
    if (const RegExpObject *re = AsRegExp(args[0])) {
        const auto matches = matchesOf(*re, subject);
        return Value(replaceMatches(rt, subject, matches, args[1]));
    }
    const QString needle = rt.toString(args[0]);
    const int found = int(subject.indexOf(needle));
    if (found < 0)
        return Value(subject);
    return Value(replaceMatches(rt, subject, {{found, found + int(needle.size())}}, args[1]));
}

Value StringSearch(Runtime &rt, const Value &self, Args args)
{
    const QString subject = ThisText(rt, self);
    const RegExpObject *re = ToRegExp(rt, args[0]);
    std::vector<int> captures;
    return Value(int32_t(re->find(subject, 0, captures) ? captures[0] : -1));
}

Value StringSplit(Runtime &rt, const Value &self, Args args)
{
    const QString subject = ThisText(rt, self);
    const uint32_t limit = args[1].isUndefined() ? NoSplitLimit : rt.toUint(args[1]);
    ArrayObject *array = rt.newArray();
    if (limit == 0)
        return arrayValue(array);
    // Only a missing separator leaves the text whole; undefined splits at "undefined".
    if (!args.has(0))
        array->push(Value(subject));
    else if (const RegExpObject *re = AsRegExp(args[0]))
        splitByRegExp(array, *re, subject, limit);
    else
        splitByText(array, rt.toString(args[0]), subject, limit);
    return arrayValue(array);
}

} // namespace swf::avm2
