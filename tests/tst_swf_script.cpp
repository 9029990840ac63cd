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
    void conversions();

private:
    QTemporaryDir m_dir;
};

void SwfScriptTest::conversions_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");

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

void SwfScriptTest::conversions()
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
