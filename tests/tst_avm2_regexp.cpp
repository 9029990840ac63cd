// The AS3 regular expression engine: matches as ECMAScript 3 defines them and
// as the conformance movies' traces show, refusal of bad patterns, bounded
// work on hostile ones, and replacement strings.
#include "swf/avm2/RegExpEngine.h"

#include <QElapsedTimer>
#include <QtTest>

using swf::avm2::ExpandReplacement;
using swf::avm2::RegExpFlags;
using swf::avm2::RegExpProgram;

namespace {

const QString kUndefined = QStringLiteral("undefined");
const QString kNoMatch = QStringLiteral("null");
// A hostile match must give up well within this, whatever the machine.
constexpr qint64 kHostileBudgetMs = 20000;

RegExpFlags parseFlags(const QString &letters)
{
    RegExpFlags flags;
    flags.global = letters.contains('g');
    flags.ignoreCase = letters.contains('i');
    flags.multiline = letters.contains('m');
    flags.dotAll = letters.contains('s');
    flags.extended = letters.contains('x');
    return flags;
}

std::shared_ptr<const RegExpProgram> compileOrFail(const QString &pattern, const QString &flags)
{
    QString error;
    auto program = RegExpProgram::compile(pattern, parseFlags(flags), &error);
    if (!program)
        qWarning("%s: %s", qPrintable(pattern), qPrintable(error));
    return program;
}

// What exec() returns, as an AS3 result array prints: null, or each group's
// text with "undefined" for groups left unmatched.
QStringList execText(const RegExpProgram &program, const QString &subject, int start, int *index = nullptr)
{
    std::vector<int> captures;
    if (!program.exec(subject, start, captures))
        return {kNoMatch};
    QStringList parts;
    for (size_t i = 0; i + 1 < captures.size(); i += 2)
        parts << (captures[i] < 0 ? kUndefined : subject.mid(captures[i], captures[i + 1] - captures[i]));
    if (index)
        *index = captures[0];
    return parts;
}

// String.prototype.match with the g flag: every match, stepping past empty ones.
QStringList matchAll(const RegExpProgram &program, const QString &subject)
{
    QStringList found;
    std::vector<int> captures;
    int last = 0;
    while (last <= subject.size() && program.exec(subject, last, captures)) {
        found << subject.mid(captures[0], captures[1] - captures[0]);
        last = captures[1] == captures[0] ? captures[1] + 1 : captures[1];
    }
    return found;
}

} // namespace

class Avm2RegExpTest : public QObject {
    Q_OBJECT

private slots:
    void exec_data();
    void exec();
    void global_data();
    void global();
    void anchored_data();
    void anchored();
    void syntaxErrors_data();
    void syntaxErrors();
    void hostile_data();
    void hostile();
    void groupNames();
    void replacement_data();
    void replacement();
};

void Avm2RegExpTest::exec_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("expected");

    const QStringList undefined{kUndefined};
    // The worked examples of the ECMAScript 3 pattern semantics.
    QTest::newRow("alternation takes the first") << "a|ab" << "" << "abc" << 0 << 0 << QStringList{"a"};
    QTest::newRow("alternation captures") << "((a)|(ab))((c)|(bc))" << "" << "abc" << 0 << 0
                                          << QStringList{"abc", "a", "a", kUndefined, "bc", kUndefined, "bc"};
    QTest::newRow("greedy count") << "a[a-z]{2,4}" << "" << "abcdefghi" << 0 << 0 << QStringList{"abcde"};
    QTest::newRow("lazy count") << "a[a-z]{2,4}?" << "" << "abcdefghi" << 0 << 0 << QStringList{"abc"};
    QTest::newRow("alternation in a loop") << "(aa|aabaac|ba|b|c)*" << "" << "aabaac" << 0 << 0
                                           << QStringList{"aaba", "ba"};
    QTest::newRow("captures reset per iteration")
        << "(z)((a+)?(b+)?(c))*" << "" << "zaacbbbcac" << 0 << 0
        << QStringList{"zaacbbbcac", "z", "ac", "a", kUndefined, "c"};
    QTest::newRow("empty iteration refused") << "(a*)*" << "" << "b" << 0 << 0 << QStringList{"", kUndefined};
    QTest::newRow("empty back reference") << "(a*)b\\1+" << "" << "baaaac" << 0 << 0 << QStringList{"b", ""};
    QTest::newRow("lookahead captures") << "(?=(a+))" << "" << "baaabac" << 0 << 1 << QStringList{"", "aaa"};
    QTest::newRow("lookahead then reference") << "(?=(a+))a*b\\1" << "" << "baaabac" << 0 << 3
                                              << QStringList{"aba", "a"};
    QTest::newRow("negative lookahead clears") << "(.*?)a(?!(a+)b\\2c)\\2(.*)" << "" << "baaabaac" << 0 << 0
                                               << QStringList{"baaabaac", "ba", kUndefined, "abaac"};

    // Cases from the conformance movies' String.match and RegExp tests.
    QTest::newRow("zip code at the end") << "([\\d]{5})([- ]?[\\d]{4})?$" << "" << "Boston, Mass. 02134" << 0
                                         << 14 << QStringList{"02134", "02134", kUndefined};
    QTest::newRow("zip code past lastIndex") << "([\\d]{5})([-\\ ]?[\\d]{4})?$" << "g" << "Boston, MA 02134" << 12
                                             << -1 << QStringList{kNoMatch};
    QTest::newRow("dot after zero") << "0." << "" << "10203040506070809000" << 0 << 1 << QStringList{"02"};
    QTest::newRow("named group and reference") << "(?P<mygroup>abc)-123-(?P=mygroup)" << "" << "abc-123-abc" << 0
                                               << 0 << QStringList{"abc-123-abc", "abc"};
    QTest::newRow("named reference mismatch") << "(?P<mygroup>abc)-123-(?P=mygroup)" << "" << "abc-456-abc" << 0
                                              << -1 << QStringList{kNoMatch};
    QTest::newRow("ignore case search") << "String" << "i" << "a string" << 0 << 2 << QStringList{"string"};
    QTest::newRow("no match") << "notexist" << "gi" << "a string" << 0 << -1 << QStringList{kNoMatch};

    // Assertions and flags.
    QTest::newRow("^ only at the start") << "^b" << "" << "a\nb" << 0 << -1 << QStringList{kNoMatch};
    QTest::newRow("^ at a line with m") << "^b" << "m" << "a\nb" << 0 << 2 << QStringList{"b"};
    QTest::newRow("$ at a line with m") << "a$" << "m" << "a\u2028b" << 0 << 0 << QStringList{"a"};
    QTest::newRow("dot stops at line ends") << "a.b" << "" << "a\rb" << 0 << -1 << QStringList{kNoMatch};
    QTest::newRow("dot with s") << "a.b" << "s" << "a\nb" << 0 << 0 << QStringList{"a\nb"};
    QTest::newRow("word boundary") << "\\bfoo\\b" << "" << "xfoo foo" << 0 << 5 << QStringList{"foo"};
    QTest::newRow("not word boundary") << "\\Boo" << "" << "oo foo" << 0 << 4 << QStringList{"oo"};
    QTest::newRow("extended ignores spaces") << "a b  c" << "x" << "abc" << 0 << 0 << QStringList{"abc"};
    QTest::newRow("ignore case class") << "[a-z]+" << "i" << "HeLLo!" << 0 << 0 << QStringList{"HeLLo"};
    QTest::newRow("ignore case accent") << "\u00e9t\u00e9" << "i" << "\u00c9T\u00c9" << 0 << 0
                                        << QStringList{"\u00c9T\u00c9"};
    // Folding goes through the upper case form: the Kelvin sign folds to
    // itself, not to "K", while micro and mu share theirs.
    QTest::newRow("kelvin sign is no letter") << "[a-z]" << "i" << "\u212a" << 0 << -1 << QStringList{kNoMatch};
    QTest::newRow("kelvin sign is no k") << "k" << "i" << "\u212a" << 0 << -1 << QStringList{kNoMatch};
    QTest::newRow("kelvin sign is a non-word") << "[^\\w]" << "i" << "\u212a" << 0 << 0
                                               << QStringList{"\u212a"};
    QTest::newRow("micro folds as mu") << "[\u00b5]" << "i" << "\u03bc" << 0 << 0 << QStringList{"\u03bc"};
    QTest::newRow("y diaeresis") << "\u00ff" << "i" << "\u0178" << 0 << 0 << QStringList{"\u0178"};
    QTest::newRow("ignore case reference") << "(a)\\1" << "i" << "aA" << 0 << 0 << QStringList{"aA", "a"};

    // Quantifiers, groups and references.
    QTest::newRow("lazy plus") << "a+?" << "" << "aaa" << 0 << 0 << QStringList{"a"};
    QTest::newRow("lazy star backtracks") << "a*?b" << "" << "aab" << 0 << 0 << QStringList{"aab"};
    QTest::newRow("exact count") << "a{2}" << "" << "aaa" << 0 << 0 << QStringList{"aa"};
    QTest::newRow("open count") << "(ab){2,}" << "" << "abababx" << 0 << 0 << QStringList{"ababab", "ab"};
    QTest::newRow("optional group") << "a(b)?c" << "" << "ac" << 0 << 0 << QStringList{"ac", kUndefined};
    QTest::newRow("non-capturing") << "(?:ab)+(c)" << "" << "ababc" << 0 << 0 << QStringList{"ababc", "c"};
    QTest::newRow("forward reference is empty") << "\\1(a)" << "" << "a" << 0 << 0 << QStringList{"a", "a"};
    QTest::newRow("negative lookahead") << "(?!(a))b" << "" << "b" << 0 << 0 << QStringList{"b", kUndefined};
    QTest::newRow("lookahead undone on backtrack") << "(?=(a))ax|ab" << "" << "ab" << 0 << 0
                                                   << QStringList{"ab", kUndefined};
    QTest::newRow("nested lookahead") << "(?=a(?=(b)))(?!ac)\\w+" << "" << "acab" << 0 << 2
                                      << QStringList{"ab", "b"};
    QTest::newRow("two digit reference") << "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10" << "" << "abcdefghijj" << 0 << 0
                                         << QStringList{"abcdefghijj", "a", "b", "c", "d", "e",
                                                        "f", "g", "h", "i", "j"};
    QTest::newRow("start offset") << "a" << "" << "aba" << 1 << 2 << QStringList{"a"};
    QTest::newRow("empty pattern") << "" << "" << "abc" << 2 << 2 << QStringList{""};

    // Classes and escapes.
    QTest::newRow("overlapping ranges") << "[x-zd-ha-e0]+" << "" << "ijabcfghzz0x" << 0 << 2
                                        << QStringList{"abcfghzz0x"};
    QTest::newRow("adjacent ranges") << "[^a-cd-f]" << "" << "abcdefg" << 0 << 6 << QStringList{"g"};
    QTest::newRow("negated range") << "[^a-c]+" << "" << "abcdef" << 0 << 3 << QStringList{"def"};
    QTest::newRow("class escape before dash") << "[\\d-z]+" << "" << "a1-z" << 0 << 1 << QStringList{"1-z"};
    QTest::newRow("trailing dash") << "[a-]+" << "" << "x-a" << 0 << 1 << QStringList{"-a"};
    QTest::newRow("whitespace set") << "\\s+" << "" << "x\u00a0\ufeff\u3000\u2029y" << 0 << 1
                                    << QStringList{"\u00a0\ufeff\u3000\u2029"};
    QTest::newRow("non-word") << "\\W\\D\\S" << "" << "a!x?" << 0 << 1 << QStringList{"!x?"};
    QTest::newRow("hex and unicode") << "\\x41\\u0042\\t" << "" << "zAB\t" << 0 << 1 << QStringList{"AB\t"};
    QTest::newRow("control letter") << "\\cJ" << "" << "a\nb" << 0 << 1 << QStringList{"\n"};
    QTest::newRow("backspace in class") << "[\\b]" << "" << "a\bb" << 0 << 1 << QStringList{"\b"};
    QTest::newRow("octal without groups") << "\\11" << "" << "a\tb" << 0 << 1 << QStringList{"\t"};
    QTest::newRow("number beyond the groups is octal") << "(a)\\10" << "" << "aa0a\b" << 0 << 3
                                                       << QStringList{"a\b", "a"};
    QTest::newRow("eight is itself") << "\\8" << "" << "78" << 0 << 1 << QStringList{"8"};
    QTest::newRow("bad hex is the letter") << "\\xg" << "" << "xg" << 0 << 0 << QStringList{"xg"};
    QTest::newRow("lone brace") << "a{" << "" << "a{" << 0 << 0 << QStringList{"a{"};
    QTest::newRow("incomplete count") << "a{1,x}" << "" << "a{1,x}" << 0 << 0 << QStringList{"a{1,x}"};
    QTest::newRow("lone bracket") << "]}" << "" << "x]}" << 0 << 1 << QStringList{"]}"};
}

void Avm2RegExpTest::exec()
{
    QFETCH(QString, pattern);
    QFETCH(QString, flags);
    QFETCH(QString, subject);
    QFETCH(int, start);
    QFETCH(int, index);
    QFETCH(QStringList, expected);
    auto program = compileOrFail(pattern, flags);
    QVERIFY(program);
    int foundAt = -1;
    QCOMPARE(execText(*program, subject, start, &foundAt), expected);
    QCOMPARE(foundAt, index);
}

void Avm2RegExpTest::global_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("repeated digits") << "34" << "343443444" << QStringList{"34", "34", "34"};
    QTest::newRow("single digits") << "\\d{1}" << "123456abcde7890"
                                   << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
    QTest::newRow("digit pairs") << "\\d{2}" << "123456abcde7890" << QStringList{"12", "34", "56", "78", "90"};
    // The examples of Adobe's guide to regular expressions.
    QTest::newRow("guide back reference") << "(\\d) = \\1" << "1 = 1, 2 = 1 + 1, 3 = 1 + 1 + 1, 4 = 4"
                                          << QStringList{"1 = 1", "4 = 4"};
    QTest::newRow("guide plus") << "iss+" << "Mississippi" << QStringList{"iss", "iss"};
    QTest::newRow("guide group plus") << "(iss)+" << "Mississippi" << QStringList{"ississ"};
    QTest::newRow("guide alternation") << "re|ad" << "red is rad" << QStringList{"re", "ad"};
    QTest::newRow("guide grouped alternation") << "r(e|a)d" << "red is rad" << QStringList{"red", "rad"};
    QTest::newRow("empty matches") << "a*" << "ab" << QStringList{"a", "", ""};
}

void Avm2RegExpTest::global()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    QFETCH(QStringList, expected);
    auto program = compileOrFail(pattern, "g");
    QVERIFY(program);
    QCOMPARE(matchAll(*program, subject), expected);
}

// String.prototype.split tries the pattern at each position in turn.
void Avm2RegExpTest::anchored_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("expected");
    QTest::newRow("star at the start") << "a*" << "ab" << 0 << "a";
    QTest::newRow("star matches empty") << "a*" << "ab" << 1 << "";
    QTest::newRow("no search ahead") << "b" << "ab" << 0 << kNoMatch;
    QTest::newRow("past the end") << "" << "ab" << 3 << kNoMatch;
}

void Avm2RegExpTest::anchored()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    QFETCH(int, start);
    QFETCH(QString, expected);
    auto program = compileOrFail(pattern, "");
    QVERIFY(program);
    std::vector<int> captures;
    const bool found = program->matchAt(subject, start, captures);
    QCOMPARE(found ? subject.mid(captures[0], captures[1] - captures[0]) : kNoMatch, expected);
    if (found)
        QCOMPARE(captures[0], start);
}

void Avm2RegExpTest::syntaxErrors_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("double star") << "a**";
    QTest::newRow("leading star") << "*a";
    QTest::newRow("count out of order") << "a{2,1}";
    QTest::newRow("unclosed group") << "(ab";
    QTest::newRow("unopened group") << "ab)";
    QTest::newRow("unclosed class") << "[ab";
    QTest::newRow("range out of order") << "[z-a]";
    QTest::newRow("trailing backslash") << "ab\\";
    QTest::newRow("quantified anchor") << "^*";
    QTest::newRow("unknown group kind") << "(?<x>a)";
    QTest::newRow("unknown group name") << "(?P<a>x)(?P=b)";
    QTest::newRow("deep nesting") << QString(1000, '(') + QString(1000, ')');
}

void Avm2RegExpTest::syntaxErrors()
{
    QFETCH(QString, pattern);
    QString error;
    QVERIFY(!RegExpProgram::compile(pattern, {}, &error));
    QVERIFY(!error.isEmpty());
}

void Avm2RegExpTest::hostile_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    const QString manyA(30000, 'a');
    QTest::newRow("nested star") << "(a*)*b" << manyA;
    QTest::newRow("nested counts") << "((a{0,1000}){0,1000}){0,1000}b" << manyA;
    QTest::newRow("alternation blowup") << "(a|aa)+$" << manyA + 'b';
    QTest::newRow("huge count") << "(?:a{1000000000}){1000000000}" << manyA;
    QTest::newRow("many groups, long subject") << "x" + QStringLiteral("()").repeated(50000) << QString(200000, 'a');
    QTest::newRow("long back references") << "(a+)\\1*b" << manyA;
    QTest::newRow("long bracketed list") << "[" + QString(60000, 'b') + "]+c" << manyA + manyA;
    QTest::newRow("url validator") << "^(((https?)|(ftp)):\\/\\/([\\-\\w]+\\.)+\\w{2,4}(\\/[%\\-\\w]+(\\.\\w{2,})?)*"
                                      "(([\\w\\-\\.\\?\\\\\\/+@&#;`~=%!]*)(\\.\\w{2,})?)*\\/?)$"
                                   << "http://www.example.com/" + QString(40, 'a') + " ";
}

void Avm2RegExpTest::hostile()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    auto program = compileOrFail(pattern, "");
    QVERIFY(program);
    QElapsedTimer timer;
    timer.start();
    std::vector<int> captures;
    QVERIFY(!program->exec(subject, 0, captures));
    QVERIFY(timer.elapsed() < kHostileBudgetMs);
}

void Avm2RegExpTest::groupNames()
{
    auto program = compileOrFail("(a)(?P<second>b)(?:c)(?P<third>d)", "");
    QVERIFY(program);
    QCOMPARE(program->captureCount(), 3);
    QCOMPARE(program->groupNames(), (QStringList{"", "second", "third"}));
}

void Avm2RegExpTest::replacement_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    const QString ten = "(\\w+)-(\\w+)-(\\w+)-(\\w+)-(\\w+)-(\\w+)-(\\w+)-(\\w+)-(\\w+)-(\\w+)";
    const QString numbers = "one-two-three-four-five-six-seven-eight-nine-ten";
    QTest::newRow("swap") << "(\\w+)-(\\w+)" << "one-two" << "$2-$1" << "two-one";
    QTest::newRow("nine groups") << ten << numbers << "$9-$8-$7-$6-$5-$4-$3-$2-$1"
                                 << "nine-eight-seven-six-five-four-three-two-one";
    QTest::newRow("two digit group") << ten << numbers << "$10-$1" << "ten-one";
    QTest::newRow("not a group") << "(\\w+)-(\\w+)" << "one-two" << "$2-$A" << "two-$A";
    QTest::newRow("leading zero keeps its digit") << "(\\w+)-(\\w+)" << "one-two" << "$02-$01" << "two2-one1";
    QTest::newRow("group beyond count") << "(\\w+)-(\\w+)" << "one-two" << "$3$" << "$3$";
    QTest::newRow("dollar and match") << "b" << "abc" << "[$$|$&|$`|$']" << "[$|b|a|c]";
    QTest::newRow("unmatched group") << "a(x)?" << "a" << "<$1>" << "<>";
}

void Avm2RegExpTest::replacement()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    auto program = compileOrFail(pattern, "");
    QVERIFY(program);
    std::vector<int> captures;
    QVERIFY(program->exec(subject, 0, captures));
    QCOMPARE(ExpandReplacement(replacement, subject, captures), expected);
}

QTEST_GUILESS_MAIN(Avm2RegExpTest)
#include "tst_avm2_regexp.moc"
