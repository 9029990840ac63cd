// Clips in coordinate spaces as scripts reach them: points to and from the
// stage, bounds, hit tests and depth look-ups.
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptCases;

namespace {

// A clip "a" at (10, 10) with a filled 25 by 25 square drawn from its origin.
const QString SquareClip = QStringLiteral(R"(
push 0, "a", 2, "this"
getvariable
push "createEmptyMovieClip"
callmethod
pop
push "a"
getvariable
push "_x", 10
setmember
push "a"
getvariable
push "_y", 10
setmember
push 255, 1, "a"
getvariable
push "beginFill"
callmethod
pop
push 25, 0, 2, "a"
getvariable
push "lineTo"
callmethod
pop
push 25, 25, 2, "a"
getvariable
push "lineTo"
callmethod
pop
push 0, 25, 2, "a"
getvariable
push "lineTo"
callmethod
pop
push 0, 0, 2, "a"
getvariable
push "lineTo"
callmethod
pop
)");

// trace(a.hitTest(x, y, shape))
QString hitTest(int x, int y, bool shape)
{
    return QStringLiteral("push %3, %1, %2, 3, \"a\"\ngetvariable\npush \"hitTest\"\ncallmethod\ntrace\n")
        .arg(x)
        .arg(y)
        .arg(shape ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace

class SwfPathsTest : public QObject {
    Q_OBJECT
private slots:
    void geometry_data();
    void geometry() { run(m_dir.path()); }

private:
    QTemporaryDir m_dir;
};

void SwfPathsTest::geometry_data()
{
    addColumns();
    // Bounds count their edges in; the drawn shape does not.
    QTest::newRow("hitTest edges") << 6
                                   << SquareClip + hitTest(10, 10, false) + hitTest(10, 10, true) +
                                          hitTest(20, 20, true) + hitTest(5, 5, false)
                                   << QStringList{"true", "false", "true", "false"};
    // The point's members are written in place, in stage pixels.
    QTest::newRow("localToGlobal") << 6
                                   << SquareClip + QStringLiteral(R"(
push "p", "x", 1, "y", 2, 2
initobject
setvariable
push "p"
getvariable
push 1, "a"
getvariable
push "localToGlobal"
callmethod
pop
push "p"
getvariable
push "x"
getmember
trace
push "p"
getvariable
push "y"
getmember
trace
)") << QStringList{"11", "12"};
    // Bounds come as an object of no class; something not a clip as the
    // space answers nothing.
    QTest::newRow("getBounds") << 6
                               << SquareClip + QStringLiteral(R"(
push "this"
getvariable
push 1, "a"
getvariable
push "getBounds"
callmethod
push "xMax"
getmember
trace
push 0, "a"
getvariable
push "getBounds"
callmethod
trace
push 2, 1, "a"
getvariable
push "getBounds"
callmethod
trace
)") << QStringList{"35", "[type Object]", "undefined"};
    // The depth look-ups came with version 7.
    QTest::newRow("getNextHighestDepth v7") << 7
                                           << SquareClip + QStringLiteral(R"(
push 0, "this"
getvariable
push "getNextHighestDepth"
callmethod
trace
push 0, 1, "this"
getvariable
push "getInstanceAtDepth"
callmethod
push "_name"
getmember
trace
)") << QStringList{"1", "a"};
    QTest::newRow("getNextHighestDepth v6") << 6
                                           << SquareClip + QStringLiteral(R"(
push 0, "this"
getvariable
push "getNextHighestDepth"
callmethod
trace
)") << QStringList{"undefined"};
}

QTEST_MAIN(SwfPathsTest)
#include "tst_swf_paths.moc"
