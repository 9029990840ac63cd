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

// createEmptyMovieClip(NAME, DEPTH) on the clip reached by the chain of
// members (the timeline itself when empty).
QString newClip(const QStringList &chain, const QString &name, int depth)
{
    if (chain.isEmpty())
        return QStringLiteral("push %1, \"%2\", 2, \"createEmptyMovieClip\"\ncallfunction\npop\n").arg(depth).arg(name);
    QString source = QStringLiteral("push %1, \"%2\", 2, \"%3\"\ngetvariable\n").arg(depth).arg(name, chain.first());
    for (qsizetype i = 1; i < chain.size(); ++i)
        source += QStringLiteral("push \"%1\"\ngetmember\n").arg(chain.at(i));
    return source + QStringLiteral("push \"createEmptyMovieClip\"\ncallmethod\npop\n");
}

// CHAIN.d = VALUE, CHAIN starting with a variable.
QString setD(const QStringList &chain, int value)
{
    QString source = QStringLiteral("push \"%1\"\ngetvariable\n").arg(chain.first());
    for (qsizetype i = 1; i < chain.size(); ++i)
        source += QStringLiteral("push \"%1\"\ngetmember\n").arg(chain.at(i));
    return source + QStringLiteral("push \"d\", %1\nsetmember\n").arg(value);
}

// trace(eval(NAME)) for each name, as GetVariable reads it.
QString traceVariables(const QStringList &names)
{
    QString source;
    for (const QString &name : names)
        source += QStringLiteral("push \"%1\"\ngetvariable\ntrace\n").arg(name);
    return source;
}

// set(NAME, VALUE) through SetVariable.
QString setVariable(const QString &name, int value)
{
    return QStringLiteral("push \"%1\", %2\nsetvariable\n").arg(name).arg(value);
}

// Clips whose names hold dots and colons, each with its own d: _root.d is
// 40, a.d 41, and the children of a 42 ("b.c"), 44 ("..c"), 45 (".."),
// 46 ("...") and 48 (":").
const QString OddNames = newClip({}, QStringLiteral("a"), 0) + newClip({"a"}, QStringLiteral("b.c"), 0) +
                         newClip({"a"}, QStringLiteral("..c"), 2) + newClip({"a"}, QStringLiteral(".."), 3) +
                         newClip({"a"}, QStringLiteral("..."), 4) + newClip({"a"}, QStringLiteral(":"), 6) +
                         setVariable(QStringLiteral("d"), 40) + setD({"a"}, 41) + setD({"a", "b.c"}, 42) +
                         setD({"a", "..c"}, 44) + setD({"a", ".."}, 45) + setD({"a", "..."}, 46) +
                         setD({"a", ":"}, 48);

} // namespace

class SwfPathsTest : public QObject {
    Q_OBJECT
private slots:
    void geometry_data();
    void geometry() { run(m_dir.path()); }
    void variablePaths_data();
    void variablePaths() { run(m_dir.path()); }
    void instanceNames_data();
    void instanceNames();

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

void SwfPathsTest::variablePaths_data()
{
    addColumns();
    // Once a slash or colon is in the name, dots belong to clip names; the
    // variable still splits at a last dot.
    QTest::newRow("dots in slash paths") << 6 << OddNames + traceVariables({"a/b.c:d", "a/b.c.d", "a/..c:d"})
                                         << QStringList{"42", "42", "44"};
    // ".." alone is the parent; longer runs of dots are names.
    QTest::newRow("dot runs") << 6 << OddNames + traceVariables({"a/..:d", "a:...:d", "...:d", "a:..::d", "a:../:d"})
                              << QStringList{"40", "46", "undefined", "40", "40"};
    // Leading separators are skipped; one that starts a segment is its name.
    QTest::newRow("separators as names") << 6 << OddNames + traceVariables({":::a:d", "a/:/:d", "a/b.c:::d"})
                                         << QStringList{"41", "48", "undefined"};
    // Without a slash, a colon path still splits at dots between names.
    QTest::newRow("colon paths split dots") << 6
                                            << newClip({}, QStringLiteral("a"), 0) + newClip({"a"}, QStringLiteral("b"), 0) +
                                                   setVariable(QStringLiteral("a.b:x"), 7) +
                                                   traceVariables({"a.b:x", "a:b.x", "/a.b:x"})
                                            << QStringList{"7", "7", "undefined"};
    // A path whose first segment is empty leads nowhere, so nothing is set.
    QTest::newRow("empty first segment") << 6
                                         << setVariable(QStringLiteral(".x"), 1) + setVariable(QStringLiteral(":x"), 2) +
                                                traceVariables({".x", ":x", "x"})
                                         << QStringList{"undefined", "undefined", "undefined"};
    // A segment may go through a variable holding a plain object.
    QTest::newRow("through objects") << 6
                                     << OddNames + QStringLiteral("push \"o\", \"k\", \"a\"\ngetvariable\npush 1\n"
                                                                  "initobject\nsetvariable\n") +
                                            traceVariables({"o/k:d", "o/k/..:d", "o/k/b.c:d"})
                                     << QStringList{"41", "40", "42"};
    // A segment longer than 127 characters goes on as the next one.
    const QString longName = QString(127, u'N');
    QTest::newRow("long segments") << 6
                                   << newClip({}, longName, 0) + QStringLiteral("push \"%1\"\ngetvariable\npush \"H\", "
                                                                                "\"yo\", 42, 1\ninitobject\nsetmember\n")
                                                                     .arg(longName) +
                                          traceVariables({longName + QStringLiteral("H:yo"), longName + QStringLiteral(":yo")})
                                   << QStringList{"42", "undefined"};
    // A bare slash path is the clip when there is one, else a variable.
    QTest::newRow("bare slash names v6") << 6
                                         << newClip({}, QStringLiteral("a"), 0) + newClip({"a"}, QStringLiteral("a"), 0) +
                                                setVariable(QStringLiteral("a/a"), 5) + traceVariables({"a/a"})
                                         << QStringList{"_level0.a.a"};
    QTest::newRow("bare slash names v5") << 5
                                         << setVariable(QStringLiteral("/a"), 1) + setVariable(QStringLiteral("a/a"), 2) +
                                                traceVariables({"/a", "a/a"})
                                         << QStringList{"1", "2"};
    // Before the first slash of a relative path lone dots still separate;
    // after it, and anywhere after a leading slash, they belong to names.
    const QString nested = newClip({}, QStringLiteral("a"), 0) + newClip({"a"}, QStringLiteral("a"), 0) +
                           newClip({"a", "a"}, QStringLiteral("a"), 0) + setD({"a", "a", "a"}, 3);
    QTest::newRow("dots before the first slash")
        << 6 << nested + traceVariables({"a.a/a:d", ":a.a/a.d", "/a.a/a:d", "a/a.a:d"})
        << QStringList{"3", "3", "undefined", "undefined"};
    // A leading slash is the root and one separator; what follows it is a name.
    QTest::newRow("after a leading slash") << 6
                                           << setVariable(QStringLiteral("d"), 40) +
                                                  traceVariables({"/:d", "/::d", "/a/..:d"})
                                           << QStringList{"40", "undefined", "undefined"};
    // A property added to the timeline hides a child of the same name, which
    // hides the built-in property.
    QTest::newRow("own properties first") << 6
                                          << newClip({}, QStringLiteral("_x"), 0) + traceVariables({"_x"}) +
                                                 QStringLiteral("push null\nfunction ()\npush \"got me!\"\nreturn\nend\n"
                                                                "push \"_x\", 3, \"addProperty\"\ncallfunction\npop\n") +
                                                 traceVariables({"_x"}) + QStringLiteral("push \"\", 0\ngetproperty\ntrace\n")
                                          << QStringList{"_level0._x", "got me!", "0"};
    // Once the clip set as target goes, names are looked up on the script's own timeline.
    QTest::newRow("removed target") << 6
                                    << QStringLiteral("push \"test\", \"root\"\nsetvariable\n") +
                                           newClip({}, QStringLiteral("a"), 0) +
                                           QStringLiteral("settarget \"a\"\npush \"_root\"\ngetvariable\npush \"a\"\n"
                                                          "getmember\npush \"test\", \"a\"\nsetmember\n") +
                                           traceVariables({"test"}) +
                                           QStringLiteral("push \"_root\"\ngetvariable\npush \"a\"\ngetmember\n"
                                                          "removesprite\n") +
                                           traceVariables({"test"})
                                    << QStringList{"a", "root"};
    // targetPath answers in dots, where _target answers in slashes.
    QTest::newRow("targetPath dotted") << 6
                                       << newClip({}, QStringLiteral("foo"), 0) +
                                              QStringLiteral("push \"_root\"\ngetvariable\ntargetpath\ntrace\n"
                                                             "push \"foo\"\ngetvariable\ntargetpath\ntrace\n"
                                                             "push \"foo\", 11\ngetproperty\ntrace\n")
                                       << QStringList{"_level0", "_level0.foo", "/foo"};
    // Targets count runs of separators as one, where variable paths do not.
    QTest::newRow("target separator runs") << 6
                                           << nested + QStringLiteral("push \"a/../a::::a\", 11\ngetproperty\ntrace\n") +
                                                  traceVariables({"a/../a::::a:d", "a/../a/a/a:d"})
                                           << QStringList{"/a/a", "undefined", "3"};
    QTest::newRow("parent of the root") << 7 << traceVariables({"_parent"}) << QStringList{"undefined"};
}

void SwfPathsTest::instanceNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("printed");
    // An unnamed clip is numbered before the clips its first frame places.
    QTest::newRow("outer clip") << "instance1" << "_level0.instance1";
    QTest::newRow("inner clip") << "instance1.instance2" << "_level0.instance1.instance2";
}

// An empty clip (2) inside a clip (3), both placed without names, then
// trace(eval(name)).
void SwfPathsTest::instanceNames()
{
    QFETCH(QString, name);
    QFETCH(QString, printed);
    constexpr int Version = 7;
    const QByteArray inner = SwfWriter::sprite(2, SwfWriter::showFrame());
    const QByteArray outer = SwfWriter::sprite(3, SwfWriter::place(SwfWriter::Place(1, 2)) + SwfWriter::showFrame());
    const QByteArray script =
        ActionAssembler::assemble(QStringLiteral("push \"%1\"\ngetvariable\ntrace\n").arg(name));
    const QString path = m_dir.path() + QStringLiteral("/names.swf");
    TestFiles::write(path, SwfWriter::movie(inner + outer + SwfWriter::place(SwfWriter::Place(1, 3)) +
                                                SwfWriter::doAction(script) + SwfWriter::showFrame(),
                                            Version));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    QCOMPARE(lines, QStringList{printed});
}

QTEST_MAIN(SwfPathsTest)
#include "tst_swf_paths.moc"
