// The ActionScript 3 String methods and the RegExp class, called as a
// script calls them, through String.prototype and new RegExp.
#include "swf/avm2/Runtime.h"

#include <QtTest>

#include <cmath>

using namespace swf::avm2;

namespace {

// Test arguments: a QVariant() is undefined, a "re:" text a RegExp made of
// "re:source/flags", a "fn:" text a function giving "<" + its arguments + ">".
Value argumentValue(Runtime &rt, const QVariant &v)
{
    if (!v.isValid())
        return Value();
    if (v.typeId() == QMetaType::Double)
        return Value::number(v.toDouble());
    const QString text = v.toString();
    if (text.startsWith(QLatin1String("re:"))) {
        const int slash = int(text.lastIndexOf(QLatin1Char('/')));
        const Value parts[] = {Value(text.mid(3, slash - 3)), Value(text.mid(slash + 1))};
        return rt.construct(Value(static_cast<Object *>(rt.builtin("RegExp"))), Args{parts, 2});
    }
    if (text == QLatin1String("fn:"))
        return Value(static_cast<Object *>(rt.newNativeFunction(
            [](Runtime &r, const Value &, Args args) {
                QStringList texts;
                for (int i = 0; i < args.count; ++i)
                    texts << r.toString(args[i]);
                return Value(QLatin1Char('<') + texts.join(QLatin1Char('|')) + QLatin1Char('>'));
            },
            QStringLiteral("f"), 0)));
    return Value(text);
}

// Calls String.prototype[method] on self; the result as text, or the
// error's. A method named "split.length" gives the length of split's array.
QString callString(Runtime &rt, QString method, const Value &self, const QVariantList &arguments)
{
    std::vector<Value> args;
    for (const QVariant &v : arguments)
        args.push_back(argumentValue(rt, v));
    const bool lengthOnly = method.endsWith(QLatin1String(".length"));
    method.chop(lengthOnly ? int(qstrlen(".length")) : 0);
    try {
        const Value fn = rt.get(Value(rt.stringClass->prototypeObject), method);
        const Value result = rt.call(fn, self, Args{args.data(), int(args.size())});
        return rt.toString(lengthOnly ? rt.get(result, QStringLiteral("length")) : result);
    } catch (const Exception &e) {
        return rt.toString(e.value);
    }
}

} // namespace

class TestAvm2String : public QObject {
    Q_OBJECT

private slots:
    void methods_data();
    void methods();
    void methodLengths();
    void regExpObjects();
    void execAdvancesLastIndex();
};

void TestAvm2String::methods_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("self");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");
    const QVariant undefined;
    const double nan = std::nan("");
    const double inf = INFINITY;

    QTest::newRow("charAt") << "charAt" << "hello" << QVariantList{1.0} << "e";
    QTest::newRow("charAt -0.5 is 0") << "charAt" << "hello" << QVariantList{-0.5} << "h";
    QTest::newRow("charAt past end") << "charAt" << "hello" << QVariantList{4294967296.0} << "";
    QTest::newRow("charCodeAt NaN index") << "charCodeAt" << "abc" << QVariantList{nan} << "97";
    QTest::newRow("charCodeAt past end") << "charCodeAt" << "abc" << QVariantList{3.0} << "NaN";
    QTest::newRow("concat") << "concat" << "a" << QVariantList{"b", 1.0, undefined} << "ab1undefined";
    QTest::newRow("indexOf missing is undefined") << "indexOf" << "xundefined" << QVariantList{} << "1";
    QTest::newRow("indexOf empty past end") << "indexOf" << "abc" << QVariantList{"", 10.0} << "3";
    QTest::newRow("lastIndexOf") << "lastIndexOf" << "abcabc" << QVariantList{"b"} << "4";
    QTest::newRow("lastIndexOf from") << "lastIndexOf" << "abcabc" << QVariantList{"b", 3.0} << "1";
    QTest::newRow("lastIndexOf NaN from") << "lastIndexOf" << "abcabc" << QVariantList{"c", nan} << "5";
    QTest::newRow("lastIndexOf longer") << "lastIndexOf" << "ab" << QVariantList{"abc"} << "-1";
    QTest::newRow("localeCompare differs") << "localeCompare" << "h" << QVariantList{"H"} << "32";
    QTest::newRow("localeCompare prefix") << "localeCompare" << "h" << QVariantList{"hello"} << "-1";
    QTest::newRow("localeCompare too many") << "localeCompare" << "h" << QVariantList{"a", "b"}
                                            << "ArgumentError: Error #1063: Argument count mismatch on "
                                               "String/localeCompare(). Expected 1, got 2.";
    QTest::newRow("slice negative") << "slice" << "abcdef" << QVariantList{-3.0} << "def";
    QTest::newRow("slice NaN Infinity") << "slice" << "abc" << QVariantList{nan, inf} << "abc";
    QTest::newRow("slice reversed") << "slice" << "abc" << QVariantList{2.0, 1.0} << "";
    QTest::newRow("substring swaps") << "substring" << "abcdef" << QVariantList{4.0, 1.0} << "bcd";
    QTest::newRow("substring negative") << "substring" << "abc" << QVariantList{-5.0, 2.0} << "ab";
    QTest::newRow("substr") << "substr" << "abcdef" << QVariantList{-4.0, 2.0} << "cd";
    QTest::newRow("substr negative count") << "substr" << "abcdef" << QVariantList{1.0, -1.0} << "";
    QTest::newRow("toUpperCase keeps sharp s") << "toUpperCase" << QString::fromUtf8("stra\u00dfe")
                                                << QVariantList{} << QString::fromUtf8("STRA\u00dfE");
    QTest::newRow("toUpperCase micro sign") << "toUpperCase" << QString::fromUtf8("\u00b5") << QVariantList{}
                                             << QString::fromUtf8("\u00b5");
    QTest::newRow("toLowerCase Georgian") << "toLowerCase" << QString(QChar(0x10A0)) << QVariantList{}
                                           << QString(QChar(0x10D0));
    QTest::newRow("split text") << "split" << "a,b,,c" << QVariantList{","} << "a,b,,c";
    QTest::newRow("split limit") << "split" << "a-b-c" << QVariantList{"-", 2.0} << "a,b";
    QTest::newRow("split undefined separator") << "split" << "xundefinedy" << QVariantList{undefined} << "x,y";
    QTest::newRow("split empty on empty") << "split.length" << "" << QVariantList{""} << "1";
    QTest::newRow("split missing separator") << "split.length" << "a,b" << QVariantList{} << "1";
    QTest::newRow("split regexp captures") << "split" << "A<B>bold</B>" << QVariantList{"re:<(\\/)?([^<>]+)>/"}
                                           << "A,,B,bold,/,B,";
    QTest::newRow("split regexp empty matches") << "split" << "abc" << QVariantList{"re:x*/"} << "a,b,c";
    QTest::newRow("match global") << "match" << "a1b22c333" << QVariantList{"re:\\d+/g"} << "1,22,333";
    QTest::newRow("match none") << "match" << "abc" << QVariantList{"re:\\d/"} << "null";
    QTest::newRow("match text pattern") << "match" << "a.c" << QVariantList{"."} << "a";
    QTest::newRow("search") << "search" << "abc1" << QVariantList{"re:\\d/"} << "3";
    QTest::newRow("search undefined") << "search" << "abc" << QVariantList{undefined} << "-1";
    QTest::newRow("replace text first only") << "replace" << "aXbXc" << QVariantList{"X", "-"} << "a-bXc";
    QTest::newRow("replace text dollar") << "replace" << "abc" << QVariantList{"b", "[$&$$]"} << "a[b$]c";
    QTest::newRow("replace regexp groups") << "replace" << "one two" << QVariantList{"re:(\\w+) (\\w+)/", "$2-$1"}
                                           << "two-one";
    QTest::newRow("replace global function") << "replace" << "a1b2" << QVariantList{"re:(\\d)/g", "fn:"}
                                             << "a<1|1|1|a1b2>b<2|2|3|a1b2>";
    QTest::newRow("replace no match at end") << "replace" << "a\nb\n" << QVariantList{"re:^/gm", "*"} << "*a\n*b\n";
    QTest::newRow("replace empty text") << "replace" << "" << QVariantList{"re:x*/g", "y"} << "y";
}

void TestAvm2String::methods()
{
    QFETCH(QString, method);
    QFETCH(QString, self);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    Runtime rt;
    QCOMPARE(callString(rt, method, Value(self), args), expected);
}

void TestAvm2String::methodLengths()
{
    Runtime rt;
    const Value proto(rt.stringClass->prototypeObject);
    const QList<QPair<const char *, int>> lengths = {
        {"charAt", 1}, {"concat", 0}, {"indexOf", 2}, {"lastIndexOf", 2}, {"replace", 2},
        {"slice", 2},  {"split", 2},  {"substr", 2},  {"toLowerCase", 0},
    };
    for (const auto &[name, length] : lengths)
        QCOMPARE(rt.toInt(rt.get(rt.get(proto, QString::fromLatin1(name)), QStringLiteral("length"))), length);
}

void TestAvm2String::regExpObjects()
{
    Runtime rt;
    const Value re = argumentValue(rt, QStringLiteral("re:a(b)?/gix"));
    QCOMPARE(rt.toString(re), QStringLiteral("/a(b)?/gix"));
    QCOMPARE(rt.toBoolean(rt.get(re, QStringLiteral("extended"))), true);
    QCOMPARE(rt.toBoolean(rt.get(re, QStringLiteral("multiline"))), false);
    Class *regExpClass = rt.builtin("RegExp");
    const Value copyArgs[] = {re};
    const Value same = rt.call(Value(static_cast<Object *>(regExpClass)), Value(), Args{copyArgs, 1});
    QCOMPARE(same.asObject(), re.asObject());
    const Value withFlags[] = {re, Value("g")};
    try {
        rt.construct(Value(static_cast<Object *>(regExpClass)), Args{withFlags, 2});
        QFAIL("flags with a RegExp were accepted");
    } catch (const Exception &e) {
        QVERIFY(rt.toString(e.value).startsWith(QLatin1String("TypeError: Error #1100")));
    }
    // A pattern that does not compile never matches.
    const Value bad = argumentValue(rt, QStringLiteral("re:(/"));
    const Value subject[] = {Value("(")};
    QCOMPARE(rt.toBoolean(rt.call(rt.get(bad, QStringLiteral("test")), bad, Args{subject, 1})), false);
}

void TestAvm2String::execAdvancesLastIndex()
{
    Runtime rt;
    const Value re = argumentValue(rt, QStringLiteral("re:o(x)?/g"));
    const Value exec = rt.get(re, QStringLiteral("exec"));
    const Value subject[] = {Value("foo")};
    const Value first = rt.call(exec, re, Args{subject, 1});
    QCOMPARE(rt.toInt(rt.get(first, QStringLiteral("index"))), 1);
    QCOMPARE(rt.toString(rt.get(first, QStringLiteral("input"))), QStringLiteral("foo"));
    QVERIFY(rt.get(first, QStringLiteral("1")).isUndefined());
    QCOMPARE(rt.toInt(rt.get(re, QStringLiteral("lastIndex"))), 2);
    rt.call(exec, re, Args{subject, 1});
    QVERIFY(rt.call(exec, re, Args{subject, 1}).isNull());
    QCOMPARE(rt.toInt(rt.get(re, QStringLiteral("lastIndex"))), 0);
}

QTEST_GUILESS_MAIN(TestAvm2String)
#include "tst_avm2_string.moc"
