// Members of script objects as the reference player keeps them: the flags
// ASSetPropFlags sets (for..in, delete, assignment, and the versions a
// member is invisible to), __proto__ as a member, hasOwnProperty, ASnative
// and properties made by addProperty; what clips see of MovieClip: its
// prototype, and the methods older versions do not have; and the members
// the built-in classes start with, as the reference player lists them.
#include "ActionAssembler.h"
#include "swf/FlashControl.h"
#include "SwfWriter.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;
using namespace SwfWriter::as;

namespace {

const QByteArray traceTop = op(0x26), drop = op(0x17), getMember = op(0x4E), setMember = op(0x4F),
                 setVariable = op(0x1D), deleteMember = op(0x3A), initObject = op(0x43), enumerate2 = op(0x55),
                 callMethod = op(0x52), ret = op(0x3E);

// name = {key: value, ...} with number values.
QByteArray objectVariable(const QByteArray &name, const std::vector<std::pair<QByteArray, int>> &members)
{
    QByteArray code = pushString(name);
    for (const auto &[key, value] : members)
        code += pushString(key) + pushNumber(value);
    return code + pushNumber(int(members.size())) + initObject + setVariable;
}

// ASSetPropFlags(object, names, set, clear); names is code that pushes them.
QByteArray setFlags(const QByteArray &object, const QByteArray &names, int set, int clear = 0)
{
    return pushNumber(clear) + pushNumber(set) + names + getVariable(object) + callFunction("ASSetPropFlags", 4) +
           drop;
}

QByteArray traceMember(const QByteArray &object, const QByteArray &member)
{
    return getVariable(object) + pushString(member) + getMember + traceTop;
}

QByteArray assign(const QByteArray &object, const QByteArray &member, int value)
{
    return getVariable(object) + pushString(member) + pushNumber(value) + setMember;
}

// trace(object.hasOwnProperty(member))
QByteArray traceOwns(const QByteArray &object, const QByteArray &member)
{
    return pushString(member) + pushNumber(1) + getVariable(object) + pushString("hasOwnProperty") + callMethod +
           traceTop;
}

} // namespace

class SwfMembersTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QStringList run(const QByteArray &script, int version)
    {
        QStringList lines;
        swf::FlashControl control;
        connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
        const QString path = m_dir.filePath(QStringLiteral("members.swf"));
        TestFiles::write(path, movie(doAction(script) + showFrame(), version));
        control.setMovie(path);
        return lines;
    }

private slots:
    void membersFollowTheirFlags_data();
    void membersFollowTheirFlags();
    void builtinMembers_data();
    void builtinMembers();
};

void SwfMembersTest::membersFollowTheirFlags_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("printed");

    const QByteArray abc = objectVariable("o", {}) + assign("o", "a", 1) + assign("o", "b", 2) + assign("o", "c", 3);
    // for..in pushes null, then the names; each trace takes the top one.
    const QByteArray listO = getVariable("o") + enumerate2 + traceTop + traceTop + traceTop;

    QTest::newRow("for..in meets members in the order they were made") << 6 << QByteArray(abc + listO) << QStringList{"a", "b", "c"};
    QTest::newRow("DontEnum leaves for..in")
        << 6 << QByteArray(abc + setFlags("o", pushString("b"), 1) + listO) << QStringList{"a", "c", "null"};
    QTest::newRow("names as a list in one string")
        << 6 << QByteArray(abc + setFlags("o", pushString("a,c"), 1) + listO) << QStringList{"b", "null", "undefined"};
    QTest::newRow("names as an array")
        << 6
        << QByteArray(abc + setFlags("o", pushString("c") + pushString("b") + pushNumber(2) + op(0x42), 1) + listO)
        << QStringList{"a", "null", "undefined"};
    QTest::newRow("null names every member")
        << 6 << QByteArray(abc + setFlags("o", pushNull(), 1) + listO) << QStringList{"null", "undefined", "undefined"};
    QTest::newRow("cleared flags come back")
        << 6 << QByteArray(abc + setFlags("o", pushNull(), 1) + setFlags("o", pushString("b"), 0, 1) + listO)
        << QStringList{"b", "null", "undefined"};
    QTest::newRow("ReadOnly keeps its value")
        << 6 << QByteArray(abc + setFlags("o", pushString("a"), 4) + assign("o", "a", 9) + traceMember("o", "a"))
        << QStringList{"1"};
    QTest::newRow("DontDelete survives delete")
        << 6
        << QByteArray(abc + setFlags("o", pushString("a"), 2) + getVariable("o") + pushString("a") + deleteMember +
                      traceTop + traceMember("o", "a"))
        << QStringList{"false", "1"};
    QTest::newRow("flags for a member that is not there do nothing")
        << 6 << QByteArray(abc + setFlags("o", pushString("z"), 4) + assign("o", "z", 5) + traceMember("o", "z"))
        << QStringList{"5"};

    const QByteArray hide1024 = abc + setFlags("o", pushString("a"), 1024);
    QTest::newRow("1024 hides from version 6")
        << 6 << QByteArray(hide1024 + traceMember("o", "a") + traceOwns("o", "a") + listO)
        << QStringList{"undefined", "true", "a", "b", "c"};
    QTest::newRow("1024 shows to version 7") << 7 << QByteArray(hide1024 + traceMember("o", "a")) << QStringList{"1"};
    QTest::newRow("128 hides from version 5 only")
        << 5 << QByteArray(abc + setFlags("o", pushString("a"), 128) + traceMember("o", "a")) << QStringList{"undefined"};
    QTest::newRow("256 hides from version 6, hasOwnProperty too")
        << 6 << QByteArray(abc + setFlags("o", pushString("a"), 256) + traceMember("o", "a") + traceOwns("o", "a"))
        << QStringList{"undefined", "false"};
    QTest::newRow("256 shows to version 7")
        << 7 << QByteArray(abc + setFlags("o", pushString("a"), 256) + traceMember("o", "a")) << QStringList{"1"};
    QTest::newRow("256 keeps hasOwnProperty false in version 7 too")
        << 7 << QByteArray(abc + setFlags("o", pushString("a"), 256) + traceOwns("o", "a")) << QStringList{"false"};
    QTest::newRow("a hidden member is written anew")
        << 6
        << QByteArray(hide1024 + assign("o", "a", 7) + traceMember("o", "a") + setFlags("o", pushString("a"), 0, 1024) +
                      traceMember("o", "a"))
        << QStringList{"7", "7"};

    // p = {x: 5}; o = {__proto__: p}
    const QByteArray inherit = objectVariable("p", {{"x", 5}}) + pushString("o") + pushString("__proto__") +
                               getVariable("p") + pushNumber(1) + initObject + setVariable;
    QTest::newRow("__proto__ is a member") << 6 << QByteArray(inherit + traceMember("o", "x") + traceOwns("o", "__proto__"))
                                           << QStringList{"5", "true"};
    QTest::newRow("a hidden __proto__ is not followed")
        << 6 << QByteArray(inherit + setFlags("o", pushString("__proto__"), 1024) + traceMember("o", "x"))
        << QStringList{"undefined"};
    QTest::newRow("own members shadow inherited ones in for..in")
        << 6
        << QByteArray(inherit + assign("o", "x", 1) + assign("o", "y", 2) + getVariable("o") + enumerate2 + traceTop +
                      traceTop + traceTop)
        << QStringList{"x", "y", "null"};

    QTest::newRow("hasOwnProperty without a name")
        << 6 << QByteArray(abc + pushNumber(0) + getVariable("o") + pushString("hasOwnProperty") + callMethod + traceTop)
        << QStringList{"false"};
    // o.own = ASnative(101, 5); o.own("a")
    QTest::newRow("ASnative 101, 5 is hasOwnProperty")
        << 5
        << QByteArray(abc + getVariable("o") + pushString("own") + pushNumber(5) + pushNumber(101) +
                      callFunction("ASnative", 2) + setMember + pushString("a") + pushNumber(1) + getVariable("o") +
                      pushString("own") + callMethod + traceTop)
        << QStringList{"true"};

    // o.addProperty("v", function () { return 42; }, function (n) { trace("set " + n); })
    const QByteArray getter = defineFunction("", {}, pushNumber(42) + ret);
    const QByteArray setter = defineFunction("", {"n"}, pushString("set ") + getVariable("n") + op(0x47) + traceTop);
    const QByteArray property = abc + setter + getter + pushString("v") + pushNumber(3) + getVariable("o") +
                                pushString("addProperty") + callMethod + traceTop;
    QTest::newRow("addProperty reads and writes through functions")
        << 6 << QByteArray(property + traceMember("o", "v") + assign("o", "v", 3)) << QStringList{"true", "42", "set 3"};
    QTest::newRow("a read-only property ignores assignments")
        << 6 << QByteArray(property + setFlags("o", pushString("v"), 4) + assign("o", "v", 3) + traceMember("o", "v"))
        << QStringList{"true", "42"};
    // p has the property v; b = {v: 1, __proto__: p}; o = {__proto__: b}; o.v = 3
    const QByteArray linkTo = pushString("__proto__");
    const QByteArray chain = objectVariable("p", {}) + setter + getter + pushString("v") + pushNumber(3) +
                             getVariable("p") + pushString("addProperty") + callMethod + drop +
                             objectVariable("b", {{"v", 1}}) + getVariable("b") + linkTo + getVariable("p") +
                             setMember + objectVariable("o", {}) + getVariable("o") + linkTo + getVariable("b") +
                             setMember;
    QTest::newRow("assignment reaches an inherited property past plain members")
        << 6 << QByteArray(chain + assign("o", "v", 3) + traceMember("o", "v") + traceOwns("o", "v"))
        << QStringList{"set 3", "1", "false"};
    QTest::newRow("addProperty is not there before version 6")
        << 5 << QByteArray(property + traceMember("o", "v")) << QStringList{"undefined", "undefined"};

    // createEmptyMovieClip("m", 1) on the main timeline
    const QByteArray makeClip = pushNumber(1) + pushString("m") + callFunction("createEmptyMovieClip", 2) + traceTop;
    QTest::newRow("empty clips are made from version 6") << 6 << makeClip << QStringList{"_level0.m"};
    QTest::newRow("version 5 has no createEmptyMovieClip") << 5 << makeClip << QStringList{"undefined"};

    // MovieClip.prototype.greeting = "hi"; trace(greeting); delete greeting; trace(greeting)
    const QByteArray clipInherits = getVariable("MovieClip") + pushString("prototype") + getMember +
                                    pushString("greeting") + pushString("hi") + setMember + getVariable("greeting") +
                                    traceTop + pushString("greeting") + op(0x3B) + traceTop + getVariable("greeting") +
                                    traceTop;
    QTest::newRow("clips inherit from MovieClip.prototype, which delete leaves alone")
        << 6 << clipInherits << QStringList{"hi", "false", "hi"};
}

void SwfMembersTest::membersFollowTheirFlags()
{
    QFETCH(int, version);
    QFETCH(QByteArray, script);
    QFETCH(QStringList, printed);
    QCOMPARE(run(script, version), printed);
}

void SwfMembersTest::builtinMembers_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");

    QTest::newRow("Date.prototype.valueOf is getTime itself") << 6 << QStringLiteral(R"(
        push "Date"
        getvariable
        push "prototype"
        getmember
        push "valueOf"
        getmember
        push "Date"
        getvariable
        push "prototype"
        getmember
        push "getTime"
        getmember
        equals2
        trace
        push "clearTimeout"
        getvariable
        push "clearInterval"
        getvariable
        equals2
        trace)") << QStringList{"true", "true"};
    QTest::newRow("Number's constants keep their values") << 6 << QStringLiteral(R"(
        push "Number"
        getvariable
        push "POSITIVE_INFINITY", 5
        setmember
        push "Number"
        getvariable
        push "POSITIVE_INFINITY"
        getmember
        trace
        push "Number"
        getvariable
        push "NEGATIVE_INFINITY"
        getmember
        trace)") << QStringList{"Infinity", "-Infinity"};
    QTest::newRow("Array's sort options can be enumerated") << 6 << QStringLiteral(R"(
        push "Array"
        getvariable
        enumerate2
        next:
        storeregister 1
        push null
        equals2
        if done
        push r1
        trace
        jump next
        done:)") << QStringList{"CASEINSENSITIVE", "DESCENDING", "UNIQUESORT", "RETURNINDEXEDARRAY", "NUMERIC"};
    QTest::newRow("built-in methods survive delete") << 6 << QStringLiteral(R"(
        push "Boolean"
        getvariable
        push "prototype"
        getmember
        push "toString"
        delete
        trace
        push "Key"
        getvariable
        push "ALT"
        getmember
        trace)") << QStringList{"false", "18"};
    QTest::newRow("functions name Function as their constructor") << 6 << QStringLiteral(R"(
        push "escape"
        getvariable
        push "constructor"
        getmember
        push "Function"
        getvariable
        equals2
        trace
        push "Math"
        getvariable
        push "constructor"
        getmember
        push "Object"
        getvariable
        equals2
        trace)") << QStringList{"true", "true"};
    QTest::newRow("version 5 sees neither Function nor a function's __proto__") << 5 << QStringLiteral(R"(
        push "Function"
        getvariable
        typeof
        trace
        push "Object"
        getvariable
        push "constructor"
        getmember
        typeof
        trace
        push "escape"
        getvariable
        push "__proto__"
        getmember
        typeof
        trace
        push "escape"
        getvariable
        trace)") << QStringList{"undefined", "function", "undefined", "[type Function]"};
    QTest::newRow("dotted names lead through objects") << 6 << QStringLiteral(R"(
        push "_global.Key.ALT"
        getvariable
        trace
        push "_global.Date.prototype.getTime"
        getvariable
        typeof
        trace
        push "_global.Nothing.here"
        getvariable
        trace)") << QStringList{"18", "function", "undefined"};
    QTest::newRow("an array's length is its own member, hidden and kept by delete") << 6 << QStringLiteral(R"(
        push "a", 0, "Array"
        newobject
        setvariable
        push "length", 1, "a"
        getvariable
        push "hasOwnProperty"
        callmethod
        trace
        push 1, 0, "length", "a"
        getvariable
        push 4, "ASSetPropFlags"
        callfunction
        pop
        push "a"
        getvariable
        enumerate2
        next:
        storeregister 1
        push null
        equals2
        if done
        push r1
        trace
        jump next
        done:
        push "a"
        getvariable
        push "length"
        delete
        trace
        push "a"
        getvariable
        push "length", "hello 0"
        setmember
        push "a"
        getvariable
        push "length"
        getmember
        trace)") << QStringList{"true", "length", "false", "hello 0"};
    QTest::newRow("an array literal names Array as its constructor, as its own member") << 7 << QStringLiteral(R"(
        push "b", 0
        initarray
        setvariable
        push "constructor", 1, "b"
        getvariable
        push "hasOwnProperty"
        callmethod
        trace
        push "b"
        getvariable
        push "constructor"
        getmember
        push "Array"
        getvariable
        equals2
        trace)") << QStringList{"true", "true"};
    QTest::newRow("the built-ins' own arrays inherit Array's prototype in version 5 too") << 5 << QStringLiteral(R"(
        push 5248, 0, "_listeners", "Key"
        getvariable
        push 4, "ASSetPropFlags"
        callfunction
        pop
        push "Key"
        getvariable
        push "_listeners"
        getmember
        push "__proto__"
        getmember
        push "Array"
        getvariable
        push "prototype"
        getmember
        equals2
        trace)") << QStringList{"true"};
    QTest::newRow("a Color keeps its target, read-only") << 6 << QStringLiteral(R"(
        push "c", "moi", 1, "Color"
        newobject
        definelocal
        push "c"
        getvariable
        push "target", "other"
        setmember
        push "c"
        getvariable
        push "target"
        getmember
        trace)") << QStringList{"moi"};
}

void SwfMembersTest::builtinMembers()
{
    QFETCH(int, version);
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    const QByteArray code = ActionAssembler::assemble(source);
    QVERIFY(!code.isEmpty());
    QCOMPARE(run(code, version), printed);
}

QTEST_MAIN(SwfMembersTest)
#include "tst_swf_members.moc"
