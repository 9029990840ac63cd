// Operators and the Object methods behind them as the reference player runs
// them: each case is a frame script in assembly, the movie's version, and
// what its traces print.
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptCases;

namespace {

// NAME = {}; NAME.valueOf = function () { trace(NAME); return VALUE; },
// VALUE being assembly that pushes one value.
QString tracingValueOf(const QString &name, const QString &value)
{
    return QStringLiteral(R"(push "%1", 0, "Object"
newobject
setvariable
push "%1"
getvariable
push "valueOf"
function ()
push "%1"
trace
%2
return
end
setmember
)")
        .arg(name, value);
}

// trace(A OP B) for two variables.
QString traceOperation(const QString &a, const QString &b, const QString &op)
{
    return QStringLiteral("push \"%1\"\ngetvariable\npush \"%2\"\ngetvariable\n%3\ntrace\n").arg(a, b, op);
}

const QString PushNaN = QStringLiteral("push 0, 0\ndivide");

} // namespace

class SwfOperatorsTest : public QObject {
    Q_OBJECT
private slots:
    void equality_data();
    void equality() { runCase(); }
    void comparisons_data();
    void comparisons() { runCase(); }
    void addition_data();
    void addition() { runCase(); }
    void numbers_data();
    void numbers() { runCase(); }
    void objectLiterals_data();
    void objectLiterals() { runCase(); }
    void watches_data();
    void watches() { runCase(); }
    void resolve_data();
    void resolve() { runCase(); }
    void escaping_data();
    void escaping() { runCase(); }
    void mathArguments_data();
    void mathArguments() { runCase(); }
    void prototypeDepth_data();
    void prototypeDepth() { runCase(); }
    void isPrototypeOf_data();
    void isPrototypeOf() { runCase(); }

private:
    void runCase() { run(m_dir.path()); }

    QTemporaryDir m_dir;
};

void SwfOperatorsTest::equality_data()
{
    addColumns();

    const QString objectAnsweringObject = tracingValueOf("a", "push 0, \"Object\"\nnewobject");
    QTest::newRow("version 5 asks the right side first")
        << 5 << tracingValueOf("a", "push 1") + tracingValueOf("b", "push 1") + traceOperation("a", "b", "equals2")
        << QStringList{"b", "a", "true"};
    QTest::newRow("version 6 compares two objects as themselves")
        << 6 << tracingValueOf("a", "push 1") + tracingValueOf("b", "push 1") + traceOperation("a", "b", "equals2")
        << QStringList{"false"};
    QTest::newRow("version 6 gives an object's valueOf against a number")
        << 6 << tracingValueOf("a", "push 1") + "push \"b\", 1\nsetvariable\n" + traceOperation("a", "b", "equals2")
        << QStringList{"a", "true"};
    QTest::newRow("an object whose valueOf answers an object equals no number")
        << 6 << objectAnsweringObject + "push \"b\", \"[object Object]\"\nsetvariable\n" +
                    traceOperation("a", "b", "equals2")
        << QStringList{"a", "false"};
    QTest::newRow("NaN equals NaN, strictly too, but not as text")
        << 6 << PushNaN + "\n" + PushNaN + "\nequals2\ntrace\n" + PushNaN + "\n" + PushNaN +
                    "\nstrictequals\ntrace\npush \"x\"\n" + PushNaN + "\nequals2\ntrace"
        << QStringList{"true", "true", "false"};
    QTest::newRow("undefined and null equal each other alone")
        << 7 << "push undefined, null\nequals2\ntrace\npush null, 0\nequals2\ntrace\npush undefined, \"\"\nequals2\ntrace"
        << QStringList{"true", "false", "false"};
    QTest::newRow("empty text is NaN from version 5")
        << 5 << "push \"\"\ntonumber\ntrace\npush \"\", 0\nequals2\ntrace" << QStringList{"NaN", "false"};
}

void SwfOperatorsTest::comparisons_data()
{
    addColumns();

    QTest::newRow("empty text comes after every other")
        << 6 << "push \"\", \"a\"\nless2\ntrace\npush \"a\", \"\"\nless2\ntrace\npush \"abc\", \"abd\"\nless2\ntrace"
        << QStringList{"false", "true", "true"};
    QTest::newRow("NaN and clips compare as undefined")
        << 7 << "push 1\n" + PushNaN + "\nless2\ntrace\npush \"_root\"\ngetvariable\npush 1\ngreater\ntrace"
        << QStringList{"undefined", "undefined"};
    QTest::newRow("greater converts its right side first")
        << 6 << tracingValueOf("a", "push 2") + tracingValueOf("b", "push 1") + traceOperation("a", "b", "greater")
        << QStringList{"b", "a", "true"};
    QTest::newRow("the numeric less converts its left side first")
        << 5 << tracingValueOf("a", "push 1") + tracingValueOf("b", "push 2") + traceOperation("a", "b", "less")
        << QStringList{"a", "b", "true"};
    QTest::newRow("an object whose valueOf answers an object is never less")
        << 6 << tracingValueOf("a", "push 0, \"Object\"\nnewobject") + "push \"b\", 1\nsetvariable\n" +
                    traceOperation("b", "a", "less2")
        << QStringList{"a", "false"};
}

void SwfOperatorsTest::addition_data()
{
    addColumns();

    QTest::newRow("the right side converts first")
        << 6 << tracingValueOf("a", "push 1") + tracingValueOf("b", "push 2") + traceOperation("a", "b", "add2")
        << QStringList{"b", "a", "3"};
    QTest::newRow("a String object prints its text whatever its toString")
        << 6 << setPrototypeMember("String", "toString", "function ()\npush \"mine\"\nreturn\nend") + R"(
push "ab", 1, "String"
newobject
trace)"
        << QStringList{"ab"};
    QTest::newRow("a toString answering a number names the object")
        << 6 << R"(push "o", 0, "Object"
newobject
setvariable
push "o"
getvariable
push "toString"
function ()
push 5
return
end
setmember
push "o"
getvariable
trace)"
        << QStringList{"[type Object]"};
}

void SwfOperatorsTest::numbers_data()
{
    addColumns();

    QTest::newRow("the largest number prints cut rather than rounded past it")
        << 6 << "push \"Number\"\ngetvariable\npush \"MAX_VALUE\"\ngetmember\ntrace\n"
                "push \"Number\"\ngetvariable\npush \"MIN_VALUE\"\ngetmember\ntrace\npush 2, 3\ndivide\ntrace"
        << QStringList{"1.79769313486231e+308", "4.94065645841247e-324", "0.666666666666667"};
    QTest::newRow("Number.prototype is no number to its own methods")
        << 7 << "push \"Number\"\ngetvariable\npush \"prototype\"\ngetmember\ntrace\n"
                "push 4, \"Number\"\ngetvariable\npush \"prototype\"\ngetmember\nadd2\ntrace"
        << QStringList{"[type Object]", "NaN"};
}

// o = {2: "two", 1: "one", <undefined>: "undefined", <missing>: "hi"} from
// a stack one short of five pairs; then whether o has a member "undefined".
QString shortObjectLiteral()
{
    return QStringLiteral(R"(push "hi", undefined, "undefined", 1, "one", 2, "two", 5
initobject
push "o"
stackswap
setvariable
trace
push "undefined", 1, "o"
getvariable
push "hasOwnProperty"
callmethod
trace)");
}

void SwfOperatorsTest::objectLiterals_data()
{
    addColumns();

    QTest::newRow("InitObject takes the stack's last value with an undefined name (version 6)")
        << 6 << shortObjectLiteral() << QStringList{"undefined", "false"};
    QTest::newRow("InitObject takes the stack's last value with an undefined name (version 7)")
        << 7 << shortObjectLiteral() << QStringList{"undefined", "true"};
}

// o = {}; o.watch("x", CALLBACK, "data"), CALLBACK being assembly that
// pushes a function.
QString watchedObject(const QString &callback)
{
    return QStringLiteral(R"(push "o", 0, "Object"
newobject
setvariable
push "data"
%1
push "x", 3, "o"
getvariable
push "watch"
callmethod
trace
)")
        .arg(callback);
}

// o.x = VALUE; trace(o.x).
QString assignAndTrace(const QString &value)
{
    return QStringLiteral("push \"o\"\ngetvariable\npush \"x\", %1\nsetmember\n"
                          "push \"o\"\ngetvariable\npush \"x\"\ngetmember\ntrace\n")
        .arg(value);
}

void SwfOperatorsTest::watches_data()
{
    addColumns();

    const QString tracingCallback = QStringLiteral(R"(function (name, old, new, data)
push "name"
getvariable
trace
push "old"
getvariable
trace
push "data"
getvariable
trace
push "new"
getvariable
push 1
add2
return
end)");
    QTest::newRow("a watch stores what its callback answers")
        << 6 << watchedObject(tracingCallback) + assignAndTrace("1") + assignAndTrace("10")
        << QStringList{"true", "x", "undefined", "data", "2", "x", "2", "data", "11"};
    QTest::newRow("a watch outlives the member it watches")
        << 7 << watchedObject(tracingCallback) + "push \"o\"\ngetvariable\npush \"x\"\ndelete\npop\n" +
                    assignAndTrace("1")
        << QStringList{"true", "x", "undefined", "data", "2"};
    const QString unwatchingCallback = QStringLiteral(R"(function ()
push "x", 1, "o"
getvariable
push "unwatch"
callmethod
trace
push 5
return
end)");
    QTest::newRow("a callback may remove its own watch")
        << 6 << watchedObject(unwatchingCallback) + assignAndTrace("100") + assignAndTrace("7")
        << QStringList{"true", "true", "5", "7"};
    const QString reassigningCallback = QStringLiteral(R"(function (name, old, new)
push "o"
getvariable
push "x", 50
setmember
push "o"
getvariable
push "x"
getmember
trace
push "new"
getvariable
return
end)");
    QTest::newRow("a callback's own assignment to the member does not call it again")
        << 6 << watchedObject(reassigningCallback) + assignAndTrace("1") << QStringList{"true", "50", "1"};
    QTest::newRow("movies of version 5 have no watch")
        << 5 << watchedObject(tracingCallback) + assignAndTrace("1") << QStringList{"undefined", "1"};
    QTest::newRow("undefined elements join as undefined from version 7")
        << 7 << "push undefined, \"a\", 2\ninitarray\ntrace" << QStringList{"a,undefined"};
}

// o = {__proto__: {}}; o.__proto__.__resolve = function (name) { return
// "resolved " + name; }; o.__resolve = OWN, OWN being one value to push.
QString resolvingObject(const QString &own)
{
    return QStringLiteral(R"(push "o", "__proto__", 0
initobject
push 1
initobject
setvariable
push "o"
getvariable
push "__proto__"
getmember
push "__resolve"
function (name)
push "resolved "
push "name"
getvariable
add2
return
end
setmember
push "o"
getvariable
push "__resolve", %1
setmember
)")
        .arg(own);
}

const QString TraceWorld = QStringLiteral("push \"o\"\ngetvariable\npush \"world\"\ngetmember\ntrace\n");

void SwfOperatorsTest::resolve_data()
{
    addColumns();

    QTest::newRow("__resolve answers missing members, not present ones")
        << 7 << resolvingObject("undefined") + TraceWorld + "push \"o\"\ngetvariable\npush \"world\", 1\nsetmember\n" +
                    TraceWorld
        << QStringList{"resolved world", "1"};
    QTest::newRow("a plain __resolve is in the way before version 7")
        << 6 << resolvingObject("42") + TraceWorld << QStringList{"undefined"};
    QTest::newRow("a plain __resolve is passed over from version 7")
        << 7 << resolvingObject("42") + TraceWorld << QStringList{"resolved world"};
    QTest::newRow("an object __resolve is in the way from version 7 too")
        << 7 << resolvingObject("0, \"Object\"\nnewobject") + TraceWorld << QStringList{"undefined"};
    QTest::newRow("__resolve answers a with block's variables")
        << 7 << resolvingObject("undefined") + "push \"o\"\ngetvariable\nwith done\npush \"missing\"\n"
                                               "getvariable\ntrace\ndone:"
        << QStringList{"resolved missing"};
}

void SwfOperatorsTest::escaping_data()
{
    addColumns();

    QTest::newRow("escape leaves ASCII letters and digits alone, UTF-8 from version 6")
        << 6 << traceGlobal("escape", {"\"aZ9-._~ \u00e9\""}) << QStringList{"aZ9%2D%2E%5F%7E%20%C3%A9"};
    QTest::newRow("escape takes a byte a character in version 5")
        << 5 << "push 233, 1, \"String\"\ngetvariable\npush \"fromCharCode\"\ncallmethod\npush 1, \"escape\"\n"
                "callfunction\ntrace"
        << QStringList{"%E9"};
    QTest::newRow("unescape reads + as a space and drops broken sequences")
        << 6 << traceGlobal("unescape", {"\"a+b%6+1%&'\""}) << QStringList{"a b1'"};
    QTest::newRow("unescape ends at a zero byte")
        << 7 << traceGlobal("unescape", {"\"start%00end\""}) << QStringList{"start"};
    QTest::newRow("unescape reads broken UTF-8 as the reference player")
        << 6
        << traceGlobal("unescape", {"\"a%c1end\""}) + traceGlobal("unescape", {"\"a%80end\""}) +
               traceGlobal("unescape", {"\"a%c0\""}) + traceGlobal("unescape", {"\"a%ffend\""})
        << QStringList{"a\ufffdnd", "a\u0080end", "a", "a"};
    QTest::newRow("unescape reads Latin-1 in version 5, and has no empty text")
        << 5 << traceGlobal("unescape", {"\"a%c1end\""}) + traceGlobal("unescape", {"\"\""})
        << QStringList{"a\u00c1end", "undefined"};
}

// trace(Math.FUNCTION(a, b, c)) for objects whose valueOf traces their name.
QString mathOfThree(const QString &function)
{
    return tracingValueOf("a", "push 3") + tracingValueOf("b", "push 2") + tracingValueOf("c", "push 1") +
           QStringLiteral(R"(push "c"
getvariable
push "b"
getvariable
push "a"
getvariable
push 3, "Math"
getvariable
push "%1"
callmethod
trace
)")
               .arg(function);
}

void SwfOperatorsTest::mathArguments_data()
{
    addColumns();

    QTest::newRow("abs converts its first two arguments")
        << 6 << mathOfThree("abs") << QStringList{"a", "b", "3"};
    QTest::newRow("pow converts its arguments in order")
        << 7 << mathOfThree("pow") << QStringList{"a", "b", "9"};
    QTest::newRow("max takes two arguments only") << 5 << mathOfThree("max") << QStringList{"a", "b", "3"};
    QTest::newRow("min takes two arguments only") << 8 << mathOfThree("min") << QStringList{"a", "b", "2"};
}

// o.x = 42 with DEPTH objects stacked on o by __proto__; then trace(o.x)
// and trace("after").
QString deepChain(int depth)
{
    return QStringLiteral(R"(push "o", 0, "Object"
newobject
setvariable
push "o"
getvariable
push "x", 42
setmember
push "i", 0
setvariable
loop:
push "p", 0, "Object"
newobject
setvariable
push "p"
getvariable
push "__proto__", "o"
getvariable
setmember
push "o", "p"
getvariable
setvariable
push "i", "i"
getvariable
increment
setvariable
push "i"
getvariable
push %1
less2
if loop
push "o"
getvariable
push "x"
getmember
trace
push "after"
trace)")
        .arg(depth);
}

void SwfOperatorsTest::prototypeDepth_data()
{
    addColumns();

    QTest::newRow("a lookup follows 256 prototypes") << 6 << deepChain(256) << QStringList{"42", "after"};
    QTest::newRow("a lookup past 256 prototypes ends the scripts") << 7 << deepChain(257) << QStringList{};
}

// trace(CLASS.prototype.isPrototypeOf(VALUE)), VALUE being one value to push.
QString traceIsPrototypeOf(const QString &className, const QString &value)
{
    return QStringLiteral("push %2, 1, \"%1\"\ngetvariable\npush \"prototype\"\ngetmember\n"
                          "push \"isPrototypeOf\"\ncallmethod\ntrace\n")
        .arg(className, value);
}

void SwfOperatorsTest::isPrototypeOf_data()
{
    addColumns();

    QTest::newRow("plain values inherit from their class's prototype")
        << 6
        << traceIsPrototypeOf("Number", "1") + traceIsPrototypeOf("Object", "\"text\"") +
               traceIsPrototypeOf("String", "true") + traceIsPrototypeOf("Object", "undefined")
        << QStringList{"true", "true", "false", "false"};
    QTest::newRow("clips inherit from Object.prototype")
        << 7 << "push \"_root\"\ngetvariable\npush 1, \"Object\"\ngetvariable\npush \"prototype\"\ngetmember\n"
                "push \"isPrototypeOf\"\ncallmethod\ntrace"
        << QStringList{"true"};
}

QTEST_MAIN(SwfOperatorsTest)
#include "tst_swf_operators.moc"
