// The semantics of ActionScript 1 and 2 as movies see them: each case is a
// frame script in assembly, the movie's version, and what its traces print.
#include "ScriptCases.h"
#include "SwfWriter.h"
#include "TestFiles.h"
#include "swf/FlashControl.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;
using namespace ScriptCases;

namespace {

// o = {}; o.valueOf = function () { trace("valueOf"); return VALUE; }; the
// same for toString with TEXT, both given as assembly that pushes a value.
QString objectWithConversions(const QString &value, const QString &text)
{
    return QStringLiteral(R"(
push "o", 0, "Object"
newobject
setvariable
push "o"
getvariable
push "valueOf"
function ()
push "valueOf"
trace
%1
return
end
setmember
push "o"
getvariable
push "toString"
function ()
push "toString"
trace
%2
return
end
setmember
)")
        .arg(value, text);
}

// d = new Date(ARGS).
QString newDate(const QStringList &args)
{
    return QStringLiteral("push \"d\"\n") + pushArguments(args) +
           QStringLiteral(", \"Date\"\nnewobject\nsetvariable\n");
}

// trace(d.METHOD(ARGS)).
QString traceDate(const QString &method, const QStringList &args = {})
{
    return pushArguments(args) + QStringLiteral(", \"d\"\ngetvariable\npush \"%1\"\ncallmethod\ntrace\n").arg(method);
}

// trace(Date.UTC(ARGS)).
QString traceUtc(const QStringList &args)
{
    return pushArguments(args) + QStringLiteral(", \"Date\"\ngetvariable\npush \"UTC\"\ncallmethod\ntrace\n");
}

const QString TraceD = QStringLiteral("push \"d\"\ngetvariable\ntrace\n");

// A method that calls super.NAME() and then traces TEXT.
QString superCallingMethod(const QString &name, const QString &text)
{
    return QStringLiteral("function ()\npush 0, \"super\"\ngetvariable\npush \"%1\"\ncallmethod\npop\n"
                          "push \"%2\"\ntrace\nend")
        .arg(name, text);
}

// Empty constructors NAMES, each extending the one before.
QString classChain(const QStringList &names)
{
    QString source;
    for (const QString &name : names)
        source += QStringLiteral("function %1()\nend\n").arg(name);
    for (qsizetype i = 1; i < names.size(); ++i)
        source += extendsClass(names[i], names[i - 1]);
    return source;
}

} // namespace

class SwfScriptTest : public QObject {
    Q_OBJECT
private slots:
    void conversions_data();
    void conversions() { runCase(); }
    void clipsAsObjects_data();
    void clipsAsObjects() { runCase(); }
    void dates_data();
    void dates() { runCase(); }
    void builtins_data();
    void builtins() { runCase(); }
    void malformedUtf8EndsText();
    void functions_data();
    void functions() { runCase(); }
    void controlFlow_data();
    void controlFlow() { runCase(); }
    void timersKeepToFrames();

private:
    void runCase() { run(m_dir.path()); }

    QTemporaryDir m_dir;
};

void SwfScriptTest::conversions_data()
{
    addColumns();

    const QString addToText = QStringLiteral("push \"=\", \"o\"\ngetvariable\nadd2\ntrace\n");
    const QString pushObject = QStringLiteral("push 0, \"Object\"\nnewobject");
    const QString pushThis = QStringLiteral("push \"this\"\ngetvariable");
    QTest::newRow("valueOf answers a number: toString is not asked")
        << 6 << objectWithConversions("push 5", "push \"five\"") + addToText << QStringList{"valueOf", "=5"};
    QTest::newRow("valueOf answers an object: toString is asked")
        << 6 << objectWithConversions(pushObject, "push \"text\"") + addToText
        << QStringList{"valueOf", "toString", "=text"};
    QTest::newRow("both answer objects")
        << 6 << objectWithConversions(pushThis, pushThis) + addToText
        << QStringList{"valueOf", "toString", "=[type Object]"};
    QTest::newRow("a clip counts as a plain value")
        << 6 << objectWithConversions("push \"_root\"\ngetvariable", "push \"text\"") + addToText
        << QStringList{"valueOf", "=_level0"};
    QTest::newRow("a function answered from version 6 is an object")
        << 6 << objectWithConversions("push \"Object\"\ngetvariable", "push \"text\"") + addToText
        << QStringList{"valueOf", "toString", "=text"};
    QTest::newRow("trace asks toString alone")
        << 6 << objectWithConversions("push 5", "push \"five\"") + "push \"o\"\ngetvariable\ntrace"
        << QStringList{"toString", "five"};
    QTest::newRow("without conversions an object adds as undefined")
        << 7 << "push \"o\", 0, \"Object\"\nnewobject\nsetvariable\npush \"o\"\ngetvariable\npush \"__proto__\", "
                "undefined\nsetmember\n" + addToText
        << QStringList{"=undefined"};
    QTest::newRow("boxed primitives are objects that convert back")
        << 6 << R"(push 7, 1, "Number"
newobject
typeof
trace
push false, 1, "Boolean"
newobject
typeof
trace
push 7, 1, "Number"
newobject
push "ab", 1, "String"
newobject
add2
trace
push false, 1, "Boolean"
newobject
push 1
add2
trace
push "ab", 1, "String"
newobject
push "length"
getmember
trace)"
        << QStringList{"object", "object", "7ab", "1", "2"};
    QTest::newRow("a replaced Array toString speaks for arrays")
        << 6 << R"(push "Array"
getvariable
push "prototype"
getmember
push "toString"
function ()
push "mine"
return
end
setmember
push 1, 2, 2
initarray
trace)"
        << QStringList{"mine"};
    QTest::newRow("whole numbers of 16 digits or more print in exponent notation")
        << 6 << "push 562949953421312\ntrace\npush 4503599627370496\ntrace\npush -1e15\ntrace"
        << QStringList{"562949953421312", "4.5035996273705e+15", "-1e+15"};
    QTest::newRow("the Function global appears with version 6")
        << 5 << "push \"Function\"\ngetvariable\ntypeof\ntrace" << QStringList{"undefined"};
}

void SwfScriptTest::clipsAsObjects_data()
{
    addColumns();
    QTest::newRow("clip methods are functions")
        << 6 << "push \"this\"\ngetvariable\npush \"gotoAndStop\"\ngetmember\ntypeof\ntrace" << QStringList{"function"};
    QTest::newRow("a clip's prototype is MovieClip.prototype")
        << 6 << R"(push "this"
getvariable
push "__proto__"
getmember
push "MovieClip"
getvariable
push "prototype"
getmember
strictequals
trace)" << QStringList{"true"};
    QTest::newRow("a method added to MovieClip.prototype runs on clips")
        << 6 << R"(push "MovieClip"
getvariable
push "prototype"
getmember
push "hello"
function ()
push "hi ", "this"
getvariable
add2
return
end
setmember
push 0, "_root"
getvariable
push "hello"
callmethod
trace)" << QStringList{"hi _level0"};
    QTest::newRow("a method read into a variable is called on its clip")
        << 6 << R"(push 1, "a", 2, "createEmptyMovieClip"
callfunction
pop
push "depth", "a"
getvariable
push "getDepth"
getmember
setvariable
push "a"
getvariable
push "getDepth"
push "depth"
getvariable
setmember
push 0, "a"
getvariable
push "getDepth"
callmethod
trace)" << QStringList{"1"};
    QTest::newRow("a timeline function called by name has the clip as this")
        << 6 << "function f()\npush \"this\"\ngetvariable\ntrace\nend\npush 0, \"f\"\ncallfunction\npop"
        << QStringList{"_level0"};
    QTest::newRow("a local function called by name has the activation as this")
        << 6 << R"(function outer()
function inner()
push "this"
getvariable
trace
end
push 0, "inner"
callfunction
pop
end
push 0, "outer"
callfunction
pop)" << QStringList{"[type Object]"};
    QTest::newRow("a target path that names no clip sends actions back to the script's clip")
        << 6 << R"(push "x", 0
setvariable
push "a", "x", 1, 1
initobject
setvariable
push 0, "b", 2, "createEmptyMovieClip"
callfunction
pop
push "b"
getvariable
push "x", 2
setmember
settarget "b"
push "x"
getvariable
trace
settarget "a"
push "x"
getvariable
trace
settarget ""
push "o", 0, "Object"
newobject
setvariable
push "o"
getvariable
settarget2
push "x"
getvariable
trace)" << QStringList{"2", "0", "0"};
    QTest::newRow("the stage's size is the movie's and stays so")
        << 6 << R"(push "Stage"
getvariable
push "width", 5
setmember
push "Stage"
getvariable
push "width"
getmember
trace
push "Stage"
getvariable
push "height"
getmember
trace)" << QStringList{"200", "150"};
    QTest::newRow("the stage's alignment keeps the edges it names, in order")
        << 6 << R"(push "Stage"
getvariable
push "align", "brtx"
setmember
push "Stage"
getvariable
push "align"
getmember
trace)" << QStringList{"TRB"};
    QTest::newRow("clips tell their movie's version")
        << 5 << "push 0, \"this\"\ngetvariable\npush \"getSWFVersion\"\ncallmethod\ntrace" << QStringList{"5"};
    QTest::newRow("endless recursion stops the movie's scripts for good")
        << 6 << R"(function f()
push 0, "f"
callfunction
end
push "before"
trace
push 0, "f"
callfunction
pop
push "after"
trace)" << QStringList{"before"};
    QTest::newRow("the drawing methods appear with version 6")
        << 5 << "push \"this\"\ngetvariable\npush \"lineTo\"\ngetmember\ntypeof\ntrace" << QStringList{"undefined"};
}

// Dates as the reference player reads and prints them; the test runs with
// TZ=UTC, so local time is universal time.
void SwfScriptTest::dates_data()
{
    addColumns();

    QTest::newRow("fields are local time; years 0..99 are the 1900s")
        << 6
        << newDate({"73", "3", "13", "21", "20", "24"}) + TraceD + traceDate("getTime") + traceDate("getFullYear") +
               traceDate("getYear")
        << QStringList{"Fri Apr 13 21:20:24 GMT+0000 1973", "103584024000", "1973", "73"};
    QTest::newRow("one number is milliseconds since 1970, kept as given")
        << 6 << newDate({"0.5"}) + traceDate("getTime") + newDate({"-1"}) + TraceD + traceDate("getMilliseconds")
        << QStringList{"0.5", "Wed Dec 31 23:59:59 GMT+0000 1969", "999"};
    QTest::newRow("a moment short of a whole millisecond reads as the reference player has it")
        << 6 << newDate({"-0.5"}) + TraceD + traceDate("getHours") + traceDate("getMilliseconds")
        << QStringList{"Wed Dec 31 00:59:59 GMT+0000 1969", "0", "0"};
    QTest::newRow("no arguments: now")
        << 6 << newDate({}) + "push 0, \"d\"\ngetvariable\npush \"getTime\"\ncallmethod\npush 1.7e12\ngreater\ntrace\n"
        << QStringList{"true"};
    QTest::newRow("called without new, Date answers text")
        << 6 << "push 0, \"Date\"\ncallfunction\ntypeof\ntrace\n" << QStringList{"string"};
    QTest::newRow("Date.UTC needs a year and a month")
        << 6 << traceUtc({"1983"}) + traceUtc({"1983", "5", "25", "13", "50", "50", "300"}) + traceUtc({"-1", "0"})
        << QStringList{"undefined", "425397050300", "-2240524800000"};
    QTest::newRow("undefined ends the arguments")
        << 6 << traceUtc({"1983", "undefined", "25"}) + newDate({"1983", "5", "undefined", "13"}) + traceDate("getTime")
        << QStringList{"undefined", "423273600000"};
    QTest::newRow("getters in local and universal time")
        << 6 << newDate({"425397050300"}) + traceDate("getDay") + traceDate("getUTCDay") + traceDate("getMonth") +
                    traceDate("getUTCDate") + traceDate("getHours") + traceDate("getUTCMinutes") +
                    traceDate("getSeconds") + traceDate("getUTCMilliseconds") + traceDate("getUTCFullYear") +
                    traceDate("getTimezoneOffset") + traceDate("valueOf")
        << QStringList{"6", "6", "5", "25", "13", "50", "50", "300", "1983", "0", "425397050300"};
    QTest::newRow("setters carry over into the larger fields")
        << 6 << newDate({"1983", "0", "31"}) + traceDate("setMonth", {"1"}) + TraceD + traceDate("setDate", {"0"}) +
                    TraceD + traceDate("setHours", {"25", "61", "61", "1001"}) + TraceD +
                    traceDate("setFullYear", {"2000", "1", "29"}) + TraceD
        << QStringList{"415497600000", "Thu Mar 3 00:00:00 GMT+0000 1983",
                       "415238400000", "Mon Feb 28 00:00:00 GMT+0000 1983",
                       "415332122001", "Tue Mar 1 02:02:02 GMT+0000 1983",
                       "951789722001", "Tue Feb 29 02:02:02 GMT+0000 2000"};
    QTest::newRow("universal setters")
        << 6
        << newDate({"0"}) + traceDate("setUTCMilliseconds", {"5"}) + traceDate("setUTCSeconds", {"1", "0"}) +
               traceDate("setUTCMinutes", {"1"}) + traceDate("setUTCHours", {"1"}) + traceDate("setUTCDate", {"2"}) +
               traceDate("setUTCMonth", {"1"}) + traceDate("setUTCFullYear", {"1971"}) +
               traceDate("setTime", {"7.9"})
        << QStringList{"5", "1000", "61000", "3661000", "90061000", "2768461000", "34304461000", "7"};
    QTest::newRow("setYear takes two digits as 1900s, and negative years as they are")
        << 6
        << newDate({"0"}) + traceDate("setYear", {"99"}) + traceDate("getFullYear") + traceDate("setYear", {"-1"}) +
               traceDate("getFullYear")
        << QStringList{"915148800000", "1999", "-62198755200000", "-1"};
    QTest::newRow("an invalid date stays so until setTime")
        << 6
        << newDate({"NaN"}) + TraceD + traceDate("getHours") + traceDate("setDate", {"5"}) +
               traceDate("setTime", {"5"}) + traceDate("getMilliseconds")
        << QStringList{"Invalid Date", "NaN", "NaN", "5", "5"};
    QTest::newRow("setters answer NaN for non-finite days and moments out of range")
        << 6 << newDate({"0"}) + traceDate("setDate", {"inf"}) + newDate({"0"}) + traceDate("setYear", {"275761"}) +
                    newDate({"0"}) + traceDate("setTime", {"8.64e15"}) + traceDate("setTime", {"8.7e15"})
        << QStringList{"NaN", "NaN", "8.64e+15", "NaN"};
    QTest::newRow("a year or month that is not finite counts as 0")
        << 6 << traceUtc({"NaN", "0"}) + traceUtc({"1983", "inf"}) + traceUtc({"1983", "0", "NaN"})
        << QStringList{"-62167219200000", "-62167219200000", "NaN"};
    QTest::newRow("huge arguments neither crash nor hang")
        << 6 << traceUtc({"1e308", "1e308", "1e308", "1e308", "1e308", "1e308", "1e308"}) + newDate({"-1.7e308"}) +
                    "push \"d\"\ngetvariable\ntypeof\ntrace\n" + newDate({"1e308", "-1e308"}) + traceDate("getDay") +
                    traceDate("setMonth", {"1e308"}) + "push \"done\"\ntrace\n"
        << QStringList{"Infinity", "object", "0", "NaN", "done"};
    QTest::newRow("empty text is NaN to a Date in every version")
        << 5 << newDate({"\"\""}) + traceDate("getTime") + traceUtc({"1983", "\"\""})
        << QStringList{"NaN", "-62167219200000"};
    QTest::newRow("arguments convert by valueOf alone")
        << 6 << objectWithConversions("push \"o\"\ngetvariable", "push 7") + newDate({"0"}) +
                    "push \"o\"\ngetvariable\npush 1, \"d\"\ngetvariable\npush \"setTime\"\ncallmethod\ntrace\n"
        << QStringList{"valueOf", "NaN"};
    QTest::newRow("an addition takes a Date's text from version 6")
        << 6
        << newDate({"0"}) + "push \"\", \"d\"\ngetvariable\nadd2\ntrace\n" +
               "push \"d\"\ngetvariable\npush 1\nsubtract\ntrace\n"
        << QStringList{"Thu Jan 1 00:00:00 GMT+0000 1970", "-1"};
    QTest::newRow("an addition takes a Date's number in version 5")
        << 5 << newDate({"0"}) + "push \"\", \"d\"\ngetvariable\nadd2\ntrace\n" + TraceD
        << QStringList{"0", "Thu Jan 1 00:00:00 GMT+0000 1970"};
}

void SwfScriptTest::builtins_data()
{
    addColumns();

    const QString abc = QStringLiteral("\"ABCDEF\"");
    QTest::newRow("substr: a negative count counts from the end, short of the last character")
        << 6
        << traceCall(abc, "substr", {"-5", "-2"}) + traceCall(abc, "substr", {"-5", "-1"}) +
               traceCall(abc, "substr", {"2", "9"}) + traceCall(abc, "substr", {"-2"})
        << QStringList{"BCDE", "", "CDEF", "EF"};
    QTest::newRow("slice without arguments answers undefined")
        << 7 << traceCall(abc, "slice") + traceCall(abc, "slice", {"-2"}) << QStringList{"undefined", "EF"};
    QTest::newRow("split: a limit of 0 or less gives nothing; the empty text one piece from version 6")
        << 6
        << traceCall("\"a,b,c\"", "split", {"\",\"", "2"}) + traceCall("\"a,b\"", "split", {"\",\"", "-1"}) +
               "push \"x\", 1, \"\"\npush \"split\"\ncallmethod\npush \"length\"\ngetmember\ntrace\n" +
               traceCall("\"hey\"", "split", {"\"\""})
        << QStringList{"a,b", "", "1", "h,e,y"};
    QTest::newRow("split in version 5 cuts only at single characters")
        << 5 << traceCall("\"12345\"", "split", {"\"23\""}) + traceCall("\"hey\"", "split", {"\"\""}) +
                    traceCall("\"1-2\"", "split", {"\"-\""})
        << QStringList{"12345", "hey", "1,2"};
    QTest::newRow("parseInt: prefixes only at the very start")
        << 6
        << traceGlobal("parseInt", {"\"0x123\""}) + traceGlobal("parseInt", {"\"0x123\"", "5"}) +
               traceGlobal("parseInt", {"\"0x-123\""}) + traceGlobal("parseInt", {"\"  0x123\""}) +
               traceGlobal("parseInt", {"\"-0x123\""}) + traceGlobal("parseInt", {"\"-0123\""}) +
               traceGlobal("parseInt", {"\" 0123\""}) + traceGlobal("parseInt", {"\"12\"", "37"})
        << QStringList{"291", "38", "-291", "0", "NaN", "-83", "123", "NaN"};
    QTest::newRow("text to number: hexadecimal and octal from version 6, at the very start")
        << 6 << "push \"0123\"\ntonumber\ntrace\npush \" 0123\"\ntonumber\ntrace\npush \"0x-10\"\ntonumber\ntrace\n"
                "push \" 0x10\"\ntonumber\ntrace\n"
        << QStringList{"83", "123", "-16", "NaN"};
    QTest::newRow("text to number: version 5 reads decimal alone")
        << 5 << "push \"0123\"\ntonumber\ntrace\npush \"0x10\"\ntonumber\ntrace\n" << QStringList{"123", "NaN"};
    QTest::newRow("parseFloat reads the leading number")
        << 6
        << traceGlobal("parseFloat", {"\"  -1.5e3xyz\""}) + traceGlobal("parseFloat", {"\".5.\""}) +
               traceGlobal("parseFloat", {"\"2e\""}) + traceGlobal("parseFloat", {"\"x1\""})
        << QStringList{"-1500", "0.5", "2", "NaN"};
    QTest::newRow("an object's number comes from valueOf alone")
        << 6 << objectWithConversions("push \"o\"\ngetvariable", "push 7") + "push \"o\"\ngetvariable\ntonumber\ntrace\n"
        << QStringList{"valueOf", "NaN"};
    QTest::newRow("numbers below 1e-5 print in exponent notation")
        << 6 << "push 0.0000152587890625\ntrace\npush 0.00000762939453125\ntrace\n"
        << QStringList{"0.0000152587890625", "7.62939453125e-6"};
    QTest::newRow("an unsigned shift by no bits keeps the sign; ToInteger wraps to 32 bits")
        << 6 << "push -1, 32\nbiturshift\ntrace\npush -1, 1\nbiturshift\ntrace\npush 4294967297\ntointeger\ntrace\n"
        << QStringList{"-1", "2147483647", "1"};
    QTest::newRow("character 0 is the empty string")
        << 6 << "push 0\nasciitochar\nstringlength\ntrace\n" << QStringList{"0"};
    QTest::newRow("chr makes a byte before version 6")
        << 5 << "push 256\nasciitochar\nstringlength\ntrace\npush 321\nasciitochar\ntrace\n"
        << QStringList{"0", "A"};
    QTest::newRow("fromCharCode stops at code 0; before version 6 larger codes are two bytes")
        << 5 << traceCall("\"String\"\ngetvariable", "fromCharCode", {"65", "0", "66"}) +
                    traceCall("\"String\"\ngetvariable", "fromCharCode", {"16706", "256", "67"})
        << QStringList{"A", "AB\u0001"};
    // cmp(a, b) traces a + b and answers (a > b) - (b > a).
    const QString tracingComparison = QStringLiteral(R"(function cmp(a, b)
push "a"
getvariable
push "b"
getvariable
add2
trace
push "a"
getvariable
push "b"
getvariable
greater
push "b"
getvariable
push "a"
getvariable
greater
subtract
return
end
)");
    const QString sortCall = QStringLiteral("push \"sort\"\ncallmethod\ntrace\n");
    QTest::newRow("sort compares in the reference player's order")
        << 6 << tracingComparison + "push \"cmp\"\ngetvariable\npush 1, \"d\", \"b\", \"c\", \"a\", 4\ninitarray\n" + sortCall
        << QStringList{"ac", "ad", "ab", "ac", "cb", "cd", "cb", "a,b,c,d"};
    const auto sortWith = [&sortCall](int flags) {
        return QStringLiteral("push %1, 1, 2, 10, 3, 3\ninitarray\n").arg(flags) + sortCall;
    };
    QTest::newRow("sort flags: text, numbers, descending, indices, unique")
        << 6
        << "push 0, 2, 10, 3, 3\ninitarray\n" + sortCall + sortWith(16) + sortWith(18) + sortWith(24) +
               "push 4, 1, 1, 1, 2\ninitarray\n" + sortCall +
               "push 1, 1, \"C\", \"A\", \"b\", 3\ninitarray\n" + sortCall +
               "push \"Array\"\ngetvariable\npush \"NUMERIC\"\ngetmember\ntrace\n"
        << QStringList{"10,2,3", "2,3,10", "10,3,2", "2,0,1", "0", "A,b,C", "16"};
    QTest::newRow("sortOn sorts by the named member; flags for each name")
        << 6
        << "push \"x\", 2, 1\ninitobject\npush \"x\", 1, 1\ninitobject\npush \"x\", 3, 1\ninitobject\npush 3\n"
           "initarray\nstoreregister 1\npop\n"
           "push 8, \"x\", 2, r1\npush \"sortOn\"\ncallmethod\ntrace\n"
           "push 10, 1\ninitarray\npush \"x\", 1\ninitarray\npush 2, r1\npush \"sortOn\"\ncallmethod\ntrace\n"
        << QStringList{"1,2,0", "0,2,1"};
    const QString replaceArray = QStringLiteral("push \"_global\"\ngetvariable\npush \"Array\"\nfunction ()\nend\nsetmember\n");
    QTest::newRow("from version 6 arrays inherit from the Array a movie put in place")
        << 6 << replaceArray + "push 2, 1, 2\ninitarray\ntrace\n" << QStringList{"[object Object]"};
    QTest::newRow("version 5 arrays keep the built-in Array prototype")
        << 5 << replaceArray + "push 2, 1, 2\ninitarray\ntrace\n" << QStringList{"1,2"};
    QTest::newRow("ASnative 102 holds the old case functions, for ASCII letters alone")
        << 6
        << "push \"o\", \"Ab\u00e4\u00c4\", 1, \"String\"\nnewobject\nsetvariable\n"
           "push \"o\"\ngetvariable\npush \"u\", 0, 102, 2, \"ASnative\"\ncallfunction\nsetmember\n"
           "push \"o\"\ngetvariable\npush \"l\", 1, 102, 2, \"ASnative\"\ncallfunction\nsetmember\n"
           "push 0, \"o\"\ngetvariable\npush \"u\"\ncallmethod\ntrace\n"
           "push 0, \"o\"\ngetvariable\npush \"l\"\ncallmethod\ntrace\n"
        << QStringList{"AB\u00e4\u00c4", "ab\u00e4\u00c4"};
    QTest::newRow("a carriage return stays in the traced line")
        << 6 << "push \"a\", 13\nasciitochar\nadd2\ntrace\n" << QStringList{"a\r"};
}

// Text of version 6 movies is UTF-8; the reference player ends a string at
// its first malformed sequence. The assembler writes only well-formed text,
// so the push is built by hand: "ok", a lone continuation byte, "lost".
void SwfScriptTest::malformedUtf8EndsText()
{
    const QByteArray text = QByteArray("ok\x80lost", 7) + '\0';
    QByteArray code;
    code += char(0x96); // Push
    code += char(text.size() + 1);
    code += char(0); // the length's high byte
    code += char(0); // a string
    code += text;
    code += char(0x26); // Trace
    const QString path = m_dir.filePath(QStringLiteral("utf8.swf"));
    TestFiles::write(path, movie(doAction(code) + showFrame(), 6));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    QCOMPARE(lines, QStringList{"ok"});
}

// Functions as the reference player calls them: arguments, this, super,
// constructors, closures and the class operators.
void SwfScriptTest::functions_data()
{
    addColumns();

    QTest::newRow("arguments know the function and its caller, null at the top")
        << 6 << R"(function f()
push "arguments"
getvariable
push "caller"
getmember
typeof
trace
push "arguments"
getvariable
push "caller"
getmember
push "g"
getvariable
strictequals
trace
push "arguments"
getvariable
push "callee"
getmember
push "f"
getvariable
strictequals
trace
end
function g()
push 0, "f"
callfunction
pop
end
push 0, "f"
callfunction
pop
push 0, "g"
callfunction
pop)" << QStringList{"null", "false", "true", "function", "true", "true"};
    QTest::newRow("a built-in calling back passes on its caller")
        << 6 << R"(function f()
push "arguments"
getvariable
push "caller"
getmember
push "g"
getvariable
strictequals
trace
end
function g()
push null, 1, "f"
getvariable
push "call"
callmethod
pop
end
push 0, "g"
callfunction
pop)" << QStringList{"true"};

    const QString oneAndTwo = QStringLiteral("function One()\npush \"One\"\ntrace\nend\n") + R"(function Two()
push 0, "super"
callfunction
pop
push "Two"
trace
end
)" + extendsClass("Two", "One") +
                              setPrototypeMember("One", "hello", "function ()\npush \"One.hello\"\ntrace\nend") +
                              setPrototypeMember("Two", "hello", superCallingMethod("hello", "Two.hello"));
    QTest::newRow("super() runs the superclass constructor, super.method() its method")
        << 6 << oneAndTwo + "push 0, 0, \"Two\"\nnewobject\npush \"hello\"\ncallmethod\npop"
        << QStringList{"One", "Two", "One.hello", "Two.hello"};

    // C4 extends C3 extends C2 extends C1; only C1 and C4 have foo, and
    // both call super.foo().
    const QString missing = classChain({"C1", "C2", "C3", "C4"}) +
                            setPrototypeMember("C1", "foo", superCallingMethod("foo", "foo 1")) +
                            setPrototypeMember("C4", "foo", superCallingMethod("foo", "foo 4")) +
                            "push 0, 0, \"C4\"\nnewobject\npush \"foo\"\ncallmethod\npop";
    QTest::newRow("a method super reaches again runs once for each prototype in version 6")
        << 6 << missing << QStringList{"foo 1", "foo 1", "foo 1", "foo 4"};
    QTest::newRow("from version 7 super skips to the prototype that holds the method")
        << 7 << missing << QStringList{"foo 1", "foo 1", "foo 4"};

    const QString holder = classChain({"C1", "C2", "C3"}) + setPrototypeMember("C1", "who", "push \"one\"") +
                           setPrototypeMember("C2", "who", "push \"two\"") +
                           setPrototypeMember("C2", "tell",
                                              "function ()\npush \"super\"\ngetvariable\npush \"who\"\ngetmember\n"
                                              "trace\nend") +
                           "push 0, 0, \"C3\"\nnewobject\npush \"tell\"\ncallmethod\npop";
    QTest::newRow("super in an inherited method starts above this's prototype in version 6")
        << 6 << holder << QStringList{"two"};
    QTest::newRow("super in an inherited method starts above its own prototype from version 7")
        << 7 << holder << QStringList{"one"};

    QTest::newRow("super in a class without a superclass reaches Object.prototype")
        << 6 << "function Foo()\nend\n" +
                    setPrototypeMember("Foo", "check", R"(function ()
push "super"
getvariable
push "toString"
getmember
push "Object"
getvariable
push "prototype"
getmember
push "toString"
getmember
strictequals
trace
push 0, "super"
callfunction
typeof
trace
end)") + "push 0, 0, \"Foo\"\nnewobject\npush \"check\"\ncallmethod\npop"
        << QStringList{"true", "undefined"};
    QTest::newRow("version 5 has no super")
        << 5 << "function f()\npush \"super\"\ngetvariable\ntypeof\ntrace\nend\npush 0, 0, \"f\"\nnewobject\npop"
        << QStringList{"undefined"};

    QTest::newRow("new drops the object a script constructor returns")
        << 6 << R"(function A()
push "x", 1, 1
initobject
return
end
push "o", 0, "A"
newobject
setvariable
push "o"
getvariable
push "x"
getmember
trace
push "o"
getvariable
push "A"
getvariable
instanceof
trace)" << QStringList{"undefined", "true"};

    QTest::newRow("call and apply with null run on the globals; apply takes a list or nothing")
        << 6 << R"(function f()
push "this"
getvariable
push "_global"
getvariable
strictequals
trace
push "arguments"
getvariable
push "length"
getmember
trace
end
push null, 1, "f"
getvariable
push "call"
callmethod
pop
push 5, null, 2, "f"
getvariable
push "apply"
callmethod
pop
push 3, 2, 2
initarray
push null, 2, "f"
getvariable
push "apply"
callmethod
pop)" << QStringList{"true", "0", "true", "0", "true", "2"};

    const QString traceThisAndRegister = "push r1, \"this\"\ngetvariable\ntrace\ntrace\nend\n"
                                         "push 0, \"o\", 0\ninitobject\npush \"f\", \"foo\"\ngetvariable\nsetmember\n";
    QTest::newRow("DefineFunction2 preloading and suppressing this: the register is empty, this the caller's")
        << 7 << "function2 foo() 2 3\n" + traceThisAndRegister + "push 0, \"foo\"\ncallfunction\npop"
        << QStringList{"_level0", "undefined"};
    QTest::newRow("DefineFunction2 preloading and suppressing arguments: the register has them, the name not")
        << 7 << "function2 foo() 2 12\npush r1, \"arguments\"\ngetvariable\ntrace\ntrace\nend\n"
                "push 0, \"foo\"\ncallfunction\npop"
        << QStringList{"undefined", ""};
    QTest::newRow("parameters named this, arguments and super stand for them")
        << 7 << R"(function2 foo(r0:arguments, r0:this, r0:super) 0 0
push "arguments", "this", "super"
getvariable
trace
getvariable
trace
getvariable
trace
end
push 3, 2, 1, 3, "foo"
callfunction
pop)" << QStringList{"3", "2", "1"};

    QTest::newRow("a class implements interfaces for instanceof and CastOp, while its prototype lasts")
        << 6 << R"(function I()
end
function C()
end
push "I"
getvariable
push 1, "C"
getvariable
implementsop
push "o", 0, "C"
newobject
setvariable
push "o"
getvariable
push "I"
getvariable
instanceof
trace
push "I"
getvariable
push "o"
getvariable
castop
typeof
trace
push "C"
getvariable
push "prototype", 0, "Object"
newobject
setmember
push 0, "C"
newobject
push "I"
getvariable
instanceof
trace
push "Object"
getvariable
push "_root"
getvariable
castop
trace)" << QStringList{"true", "object", "false", "_level0"};
    QTest::newRow("ImplementsOp takes its interfaces off the stack")
        << 6 << "function C()\nend\npush \"left\", \"Array\"\ngetvariable\npush \"Object\"\ngetvariable\n"
                "push 2, \"C\"\ngetvariable\nimplementsop\ntrace"
        << QStringList{"left"};

    QTest::newRow("ASnew tells whether the function was called by new")
        << 6 << R"(function T()
push 0, "asnew"
callfunction
trace
end
push "asnew", 0, 2, 2, "ASnative"
callfunction
setvariable
push 0, "T"
callfunction
pop
push 0, "T"
newobject
pop)" << QStringList{"false", "true"};

    const QString nested = R"(function outer()
push "secret", "inner"
definelocal
function inner()
push "secret"
getvariable
trace
end
push 0, "inner"
callfunction
pop
end
push 0, "outer"
callfunction
pop)";
    QTest::newRow("functions close over the locals around them from version 6") << 6 << nested
                                                                                  << QStringList{"inner"};
    QTest::newRow("version 5 functions see no locals but their own") << 5 << nested << QStringList{"undefined"};
    const QString definedInWith = R"(push "o", "x", "object", 1
initobject
setvariable
push "o"
getvariable
with done
function f()
push "x"
getvariable
trace
end
done:
push 0, "f"
callfunction
pop)";
    QTest::newRow("a function defined in a with block keeps its object from version 6")
        << 6 << definedInWith << QStringList{"object"};
    QTest::newRow("version 5 functions keep no with object") << 5 << definedInWith << QStringList{"undefined"};
    QTest::newRow("version 5 counts functions defined at the same place as equal")
        << 5 << "function make()\nfunction ()\nend\nreturn\nend\npush 0, \"make\"\ncallfunction\n"
                "push 0, \"make\"\ncallfunction\nequals2\ntrace"
        << QStringList{"true"};
    QTest::newRow("from version 6 each definition makes a function of its own")
        << 6 << "function make()\nfunction ()\nend\nreturn\nend\npush 0, \"make\"\ncallfunction\n"
                "push 0, \"make\"\ncallfunction\nequals2\ntrace"
        << QStringList{"false"};

}

// try, with and the stack as the reference player runs them.
void SwfScriptTest::controlFlow_data()
{
    addColumns();

    QTest::newRow("a try block that ends goes on to its finally block, past the catch block")
        << 7 << R"(try 3 "e" t c f
push "in try"
trace
t:
push "in catch"
trace
c:
push "in finally"
trace
f:)" << QStringList{"in try", "in finally"};
    QTest::newRow("a throw goes through a finally block to the catch block around")
        << 7 << R"(try 1 "e" t1 c1 f1
try 2 "e" t2 c2 f2
push "thrown"
throw
t2:
c2:
push "finally"
trace
f2:
t1:
push "e"
getvariable
trace
c1:
f1:)" << QStringList{"finally", "thrown"};
    QTest::newRow("a throw in a finally block replaces what the catch block threw")
        << 7 << R"(try 1 "e" t1 c1 f1
try 3 "e" t2 c2 f2
push "try"
throw
t2:
push "catch"
throw
c2:
push "finally"
throw
f2:
t1:
push "e"
getvariable
trace
c1:
f1:)" << QStringList{"finally"};
    QTest::newRow("a throw from a called function reaches the caller's catch block")
        << 7 << R"(function f()
push "from f"
throw
end
try 5 r1 t c f
push 0, "f"
callfunction
pop
push "not reached"
trace
t:
push r1
trace
c:
f:)" << QStringList{"from f"};
    QTest::newRow("jumping out of a catch block leaves the try behind, finally block and all")
        << 7 << R"(push "i", 0
setvariable
loop:
push "i"
getvariable
push 2
less2
not
if done
push "i"
getvariable
increment
push "i"
stackswap
setvariable
try 3 "e" t c f
push "x"
throw
t:
jump loop
c:
push "finally"
trace
f:
jump loop
done:
push "end"
trace
push "late"
throw
push "not reached"
trace)" << QStringList{"end"};

    QTest::newRow("a with block ends when the code steps past its end, not when it jumps there")
        << 7 << R"(push "n", 0
setvariable
push "o", "n", 10, 1
initobject
setvariable
push "o"
getvariable
with end
top:
push "n"
getvariable
trace
push "n", "n"
getvariable
increment
setvariable
push "n"
getvariable
push 12
less2
jump end
end:
if top
push "n"
getvariable
trace)" << QStringList{"10", "11", "0"};
    QTest::newRow("code that jumped out of a with block leaves it at its next step")
        << 7 << R"(push "x", "clip"
setvariable
push "o", "x", "object", 1
initobject
setvariable
push "o"
getvariable
with end
push "x"
getvariable
trace
jump out
end:
push "x"
getvariable
trace
push 1
if done
out:
push "x"
getvariable
trace
done:)" << QStringList{"object", "clip"};
    QTest::newRow("delete finds the variable as a lookup does: with object, clip, globals")
        << 6 << R"(push "_global"
getvariable
push "a", "global"
setmember
push "a", "clip"
setvariable
push "o", "a", "object", 1
initobject
setvariable
push "o"
getvariable
with end
push "a"
getvariable
trace
push "a"
delete2
trace
push "a"
getvariable
trace
push "a"
delete2
pop
push "a"
getvariable
trace
end:)" << QStringList{"object", "true", "clip", "global"};

    QTest::newRow("a block may run long loops")
        << 6 << R"(push "i", 0
setvariable
loop:
push "i", "i"
getvariable
increment
setvariable
push "i"
getvariable
push 30000
less2
if loop
push "i"
getvariable
trace)" << QStringList{"30000"};
    QTest::newRow("a function starts with a stack of its own")
        << 6 << "function f()\npop\ntrace\nend\npush \"caller's\", 0, \"f\"\ncallfunction\npop\ntrace"
        << QStringList{"undefined", "caller's"};
}

// A movie run faster than its frame rate still sees its frame periods pass:
// setTimeout(f, 1000) at 12 frames a second has fired 13 frames on.
void SwfScriptTest::timersKeepToFrames()
{
    const QByteArray code = ActionAssembler::assemble(R"(push 1000
function ()
push "fired"
trace
end
push 2, "setTimeout"
callfunction
pop)");
    QVERIFY(!code.isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("timer.swf"));
    TestFiles::write(path, movie(doAction(code) + showFrame(), 6));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    control.advanceFrame();
    QCOMPARE(lines, QStringList{});
    for (int i = 0; i < 12; ++i)
        control.advanceFrame();
    QCOMPARE(lines, QStringList{"fired"});
}

QTEST_MAIN(SwfScriptTest)
#include "tst_swf_script.moc"
