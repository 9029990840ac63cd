// The semantics of ActionScript 1 and 2 as movies see them: each case is a
// frame script in assembly, the movie's version, and what its traces print.
#include "ActionAssembler.h"
#include "SwfWriter.h"
#include "TestFiles.h"
#include "swf/FlashControl.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;

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

} // namespace

class SwfScriptTest : public QObject {
    Q_OBJECT
private slots:
    void conversions_data();
    void conversions() { runCase(); }
    void clipsAsObjects_data();
    void clipsAsObjects() { runCase(); }

private:
    // Runs the row's script as the first frame of a movie of its version
    // and compares what it traces.
    void runCase();
    static void addColumns();

    QTemporaryDir m_dir;
};

void SwfScriptTest::addColumns()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");
}

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
    QTest::newRow("the drawing methods appear with version 6")
        << 5 << "push \"this\"\ngetvariable\npush \"lineTo\"\ngetmember\ntypeof\ntrace" << QStringList{"undefined"};
}

void SwfScriptTest::runCase()
{
    QFETCH(int, version);
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    const QByteArray code = ActionAssembler::assemble(source);
    QVERIFY(!code.isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("script.swf"));
    TestFiles::write(path, movie(doAction(code) + showFrame(), version));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    QCOMPARE(lines, printed);
}

QTEST_MAIN(SwfScriptTest)
#include "tst_swf_script.moc"
