// Turns a pattern's source into a RegExpNode tree, with the Flash player's
// leniency: a "{" that starts no valid count and a stray "]" or "}" are plain
// characters, and a backslash before a digit beyond the group count is an
// octal escape or the digit itself.
#include "RegExpSyntax.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

using Node = RegExpNode;
using NodePtr = std::unique_ptr<RegExpNode>;

constexpr int kHexDigitsShort = 2;
constexpr int kHexDigitsLong = 4;
constexpr int kMaxOctalValue = 0377;
constexpr int kMaxOctalDigits = 3;
constexpr char16_t kBackspace = 0x08;
constexpr char16_t kVerticalTab = 0x0B;
constexpr char16_t kFormFeed = 0x0C;
constexpr int kControlLetterMask = 0x1F;

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }
bool isOctalDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '7'; }

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x80 && (RegExpIsWordChar(u));
}

// Counts the capturing groups up front, as a backslash and digits mean a
// back reference only when that many groups exist anywhere in the pattern.
int countGroups(const QString &p)
{
    int count = 0;
    bool inClass = false;
    for (int i = 0; i < p.size(); ++i) {
        const QChar c = p[i];
        if (c == '\\') {
            ++i;
        } else if (inClass) {
            inClass = c != ']';
        } else if (c == '[') {
            inClass = true;
        } else if (c == '(') {
            const bool plain = i + 1 >= p.size() || p[i + 1] != '?';
            const bool named = p.mid(i + 1, 3) == QLatin1String("?P<");
            count += plain || named ? 1 : 0;
        }
    }
    return count;
}

class Parser {
public:
    Parser(const QString &pattern, RegExpFlags flags)
        : m_p(pattern), m_flags(flags), m_totalGroups(countGroups(pattern))
    {
    }

    RegExpSyntaxTree run(QString *error)
    {
        RegExpSyntaxTree tree;
        NodePtr root = disjunction(0);
        if (m_error.isEmpty() && m_pos < m_p.size())
            fail(QStringLiteral("unmatched ')'"));
        if (!m_error.isEmpty()) {
            if (error)
                *error = m_error;
            return tree;
        }
        tree.root = std::move(root);
        tree.classes = std::move(m_classes);
        tree.groupNames = m_names;
        return tree;
    }

private:
    const QString &m_p;
    RegExpFlags m_flags;
    int m_totalGroups;
    int m_pos = 0;
    QString m_error;
    std::vector<RegExpClass> m_classes;
    QStringList m_names;

    bool atEnd() const { return m_pos >= m_p.size(); }
    QChar peek(int ahead = 0) const
    {
        return m_pos + ahead < m_p.size() ? m_p[m_pos + ahead] : QChar();
    }
    bool failed() const { return !m_error.isEmpty(); }

    NodePtr fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 at %2").arg(message).arg(m_pos);
        return nullptr;
    }

    void skipExtendedSpace()
    {
        while (m_flags.extended && !atEnd() && peek().isSpace())
            ++m_pos;
    }

    NodePtr disjunction(int depth)
    {
        if (depth > kRegExpMaxNesting)
            return fail(QStringLiteral("pattern nested too deeply"));
        NodePtr first = alternative(depth);
        if (failed() || peek() != '|')
            return first;
        auto node = std::make_unique<Node>(Node::Kind::Alternation);
        node->children.push_back(std::move(first));
        while (!failed() && peek() == '|') {
            ++m_pos;
            node->children.push_back(alternative(depth));
        }
        return failed() ? nullptr : std::move(node);
    }

    NodePtr alternative(int depth)
    {
        auto node = std::make_unique<Node>(Node::Kind::Sequence);
        skipExtendedSpace();
        while (!failed() && !atEnd() && peek() != '|' && peek() != ')') {
            NodePtr t = term(depth);
            if (t)
                node->children.push_back(std::move(t));
            skipExtendedSpace();
        }
        return failed() ? nullptr : std::move(node);
    }

    NodePtr term(int depth)
    {
        const int firstCapture = m_names.size();
        NodePtr atomNode = atom(depth);
        if (!atomNode)
            return nullptr;
        skipExtendedSpace();
        int min = 0;
        int max = 0;
        if (!quantifier(min, max))
            return failed() ? nullptr : std::move(atomNode);
        if (atomNode->kind == Node::Kind::Assertion)
            return fail(QStringLiteral("nothing to repeat"));
        auto repeat = std::make_unique<Node>(Node::Kind::Repeat);
        repeat->min = min;
        repeat->max = max;
        if (peek() == '?') {
            repeat->greedy = false;
            ++m_pos;
        }
        repeat->firstCapture = firstCapture;
        repeat->captureEnd = m_names.size();
        repeat->children.push_back(std::move(atomNode));
        return repeat;
    }

    // Reads a decimal count, saturating instead of overflowing.
    int count()
    {
        long long value = 0;
        while (isDigit(peek())) {
            value = std::min<long long>(value * 10 + (peek().unicode() - '0'), kRegExpUnbounded);
            ++m_pos;
        }
        return int(value);
    }

    // A "{" that does not make a complete count is left for atom() as text.
    bool braceQuantifier(int &min, int &max)
    {
        const int start = m_pos;
        ++m_pos;
        if (!isDigit(peek())) {
            m_pos = start;
            return false;
        }
        min = count();
        max = min;
        if (peek() == ',') {
            ++m_pos;
            max = isDigit(peek()) ? count() : kRegExpUnbounded;
        }
        if (peek() != '}') {
            m_pos = start;
            return false;
        }
        ++m_pos;
        if (max < min) {
            fail(QStringLiteral("numbers out of order in {} quantifier"));
            return false;
        }
        return true;
    }

    bool quantifier(int &min, int &max)
    {
        const QChar c = peek();
        if (c == '{')
            return braceQuantifier(min, max);
        if (c != '*' && c != '+' && c != '?')
            return false;
        ++m_pos;
        min = c == '+' ? 1 : 0;
        max = c == '?' ? 1 : kRegExpUnbounded;
        return true;
    }

    bool startsQuantifier()
    {
        const QChar c = peek();
        if (c == '*' || c == '+' || c == '?')
            return true;
        if (c != '{')
            return false;
        const int start = m_pos;
        int min = 0;
        int max = 0;
        const bool isCount = braceQuantifier(min, max);
        m_pos = start;
        return isCount || failed();
    }

    NodePtr atom(int depth)
    {
        if (startsQuantifier())
            return fail(QStringLiteral("nothing to repeat"));
        const QChar c = peek();
        ++m_pos;
        switch (c.unicode()) {
        case '^':
            return std::make_unique<Node>(Node::Kind::Assertion, int(RegExpAssertion::LineStart));
        case '$':
            return std::make_unique<Node>(Node::Kind::Assertion, int(RegExpAssertion::LineEnd));
        case '.':
            return std::make_unique<Node>(Node::Kind::Any);
        case '(':
            return group(depth);
        case '[':
            return bracketClass();
        case '\\':
            return atomEscape();
        default:
            return std::make_unique<Node>(Node::Kind::Char, c.unicode());
        }
    }

    NodePtr group(int depth)
    {
        int capture = -1;
        auto look = std::make_unique<Node>(Node::Kind::Lookahead);
        bool isLook = false;
        if (peek() == '?') {
            const QChar kind = peek(1);
            m_pos += 2;
            if (kind == '=' || kind == '!') {
                isLook = true;
                look->negative = kind == '!';
            } else if (kind == 'P' && peek() == '=') {
                return namedBackReference();
            } else if (kind == 'P' && peek() == '<') {
                ++m_pos;
                capture = newCapture(groupName('>'));
            } else if (kind != ':') {
                return fail(QStringLiteral("unknown group kind"));
            }
        } else {
            capture = newCapture(QString());
        }
        if (failed())
            return nullptr;
        NodePtr body = disjunction(depth + 1);
        if (failed())
            return nullptr;
        if (peek() != ')')
            return fail(QStringLiteral("missing ')'"));
        ++m_pos;
        if (isLook) {
            look->children.push_back(std::move(body));
            return look;
        }
        auto node = std::make_unique<Node>(Node::Kind::Group, capture);
        node->children.push_back(std::move(body));
        return node;
    }

    int newCapture(const QString &name)
    {
        m_names.append(name);
        return m_names.size();
    }

    QString groupName(QChar terminator)
    {
        const int start = m_pos;
        while (isNameChar(peek()))
            ++m_pos;
        if (m_pos == start || peek() != terminator) {
            fail(QStringLiteral("bad group name"));
            return QString();
        }
        ++m_pos;
        return m_p.mid(start, m_pos - 1 - start);
    }

    NodePtr namedBackReference()
    {
        ++m_pos;
        const QString name = groupName(')');
        if (failed())
            return nullptr;
        const int index = m_names.indexOf(name);
        if (index < 0)
            return fail(QStringLiteral("reference to an unknown group name"));
        return std::make_unique<Node>(Node::Kind::BackReference, index + 1);
    }

    NodePtr classNode(RegExpClass set)
    {
        set.normalize();
        m_classes.push_back(std::move(set));
        return std::make_unique<Node>(Node::Kind::Class, int(m_classes.size()) - 1);
    }

    static bool builtinClass(QChar c, uint8_t &bit)
    {
        switch (c.unicode()) {
        case 'd': bit = RegExpClass::Digit; return true;
        case 'D': bit = RegExpClass::NotDigit; return true;
        case 'w': bit = RegExpClass::Word; return true;
        case 'W': bit = RegExpClass::NotWord; return true;
        case 's': bit = RegExpClass::Space; return true;
        case 'S': bit = RegExpClass::NotSpace; return true;
        default: return false;
        }
    }

    NodePtr atomEscape()
    {
        if (atEnd())
            return fail(QStringLiteral("\\ at end of pattern"));
        const QChar c = peek();
        if (c == 'b' || c == 'B') {
            ++m_pos;
            const auto kind = c == 'b' ? RegExpAssertion::WordBoundary : RegExpAssertion::NotWordBoundary;
            return std::make_unique<Node>(Node::Kind::Assertion, int(kind));
        }
        uint8_t bit = 0;
        if (builtinClass(c, bit)) {
            ++m_pos;
            RegExpClass set;
            set.builtins = bit;
            return classNode(std::move(set));
        }
        if (isDigit(c) && c != '0') {
            const int reference = backReferenceNumber();
            if (reference > 0)
                return std::make_unique<Node>(Node::Kind::BackReference, reference);
        }
        return std::make_unique<Node>(Node::Kind::Char, characterEscape());
    }

    // The whole decimal number after the backslash when it names an existing
    // group; otherwise 0, position unchanged, and the digits are an octal
    // escape or themselves.
    int backReferenceNumber()
    {
        long long value = 0;
        int n = 0;
        while (isDigit(peek(n))) {
            value = std::min<long long>(value * 10 + (peek(n).unicode() - '0'), kRegExpUnbounded);
            ++n;
        }
        if (value < 1 || value > m_totalGroups)
            return 0;
        m_pos += n;
        return int(value);
    }

    int octalEscape()
    {
        int value = 0;
        int n = 0;
        while (n < kMaxOctalDigits && isOctalDigit(peek())
               && value * 8 + (peek().unicode() - '0') <= kMaxOctalValue) {
            value = value * 8 + (peek().unicode() - '0');
            ++m_pos;
            ++n;
        }
        return value;
    }

    int hexEscape(int digits, QChar letter)
    {
        int value = 0;
        for (int i = 0; i < digits; ++i) {
            const int d = hexValue(peek(i));
            if (d < 0)
                return letter.unicode();
            value = value * 16 + d;
        }
        m_pos += digits;
        return value;
    }

    // The escapes that stand for one character, in and out of brackets.
    char16_t characterEscape()
    {
        const QChar c = peek();
        if (isOctalDigit(c))
            return char16_t(octalEscape());
        ++m_pos;
        switch (c.unicode()) {
        case 't': return '\t';
        case 'n': return '\n';
        case 'v': return kVerticalTab;
        case 'f': return kFormFeed;
        case 'r': return '\r';
        case 'x': return char16_t(hexEscape(kHexDigitsShort, c));
        case 'u': return char16_t(hexEscape(kHexDigitsLong, c));
        case 'c': {
            const char16_t letter = peek().unicode();
            if ((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')) {
                ++m_pos;
                return char16_t(letter & kControlLetterMask);
            }
            return '\\';
        }
        default: return c.unicode();
        }
    }

    // One member of a bracketed set; returns false for a class escape,
    // which it adds to `set` itself.
    bool classAtom(RegExpClass &set, char16_t &ch)
    {
        const QChar c = peek();
        ++m_pos;
        if (c != '\\') {
            ch = c.unicode();
            return true;
        }
        if (atEnd()) {
            fail(QStringLiteral("\\ at end of pattern"));
            return false;
        }
        uint8_t bit = 0;
        if (builtinClass(peek(), bit)) {
            ++m_pos;
            set.builtins |= bit;
            return false;
        }
        if (peek() == 'b') {
            ++m_pos;
            ch = kBackspace;
            return true;
        }
        ch = characterEscape();
        return true;
    }

    NodePtr bracketClass()
    {
        RegExpClass set;
        if (peek() == '^') {
            set.negated = true;
            ++m_pos;
        }
        while (!failed() && !atEnd() && peek() != ']') {
            char16_t low = 0;
            if (!classAtom(set, low))
                continue;
            if (peek() != '-' || peek(1) == ']' || m_pos + 1 >= m_p.size()) {
                set.ranges.emplace_back(low, low);
                continue;
            }
            ++m_pos;
            char16_t high = 0;
            if (!classAtom(set, high)) {
                // A class escape cannot end a range: both ends and the dash are members.
                set.ranges.emplace_back(low, low);
                set.ranges.emplace_back(u'-', u'-');
                continue;
            }
            if (high < low)
                return fail(QStringLiteral("range out of order in character class"));
            set.ranges.emplace_back(low, high);
        }
        if (failed())
            return nullptr;
        if (atEnd())
            return fail(QStringLiteral("missing ']'"));
        ++m_pos;
        return classNode(std::move(set));
    }
};

} // namespace

RegExpSyntaxTree RegExpParse(const QString &pattern, RegExpFlags flags, QString *error)
{
    if (pattern.size() > kRegExpMaxPatternLength) {
        if (error)
            *error = QStringLiteral("pattern too long");
        return {};
    }
    return Parser(pattern, flags).run(error);
}

} // namespace swf::avm2
