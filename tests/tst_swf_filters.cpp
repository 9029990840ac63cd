// flash.filters and flash.display.BitmapData as movies see them: each case
// is a frame script in assembly, the movie's version, and what its traces
// print (as the reference player prints them).
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptCases;

namespace {

// Leaves new flash.PACKAGE.CLASS(ARGS) on the stack.
QString make(const QString &package, const QString &className, const QStringList &args = {})
{
    return pushArguments(args) +
           QStringLiteral(", \"flash\"\ngetvariable\npush \"%1\"\ngetmember\npush \"%2\"\nnewmethod\n")
               .arg(package, className);
}

// NAME = new flash.PACKAGE.CLASS(ARGS).
QString assign(const QString &name, const QString &package, const QString &className, const QStringList &args = {})
{
    return QStringLiteral("push \"%1\"\n").arg(name) + make(package, className, args) + QStringLiteral("setvariable\n");
}

// trace(NAME.MEMBER) for each member.
QString traceMembers(const QString &name, const QStringList &members)
{
    QString source;
    for (const QString &member : members)
        source += QStringLiteral("push \"%1\"\ngetvariable\npush \"%2\"\ngetmember\ntrace\n").arg(name, member);
    return source;
}

// A blur made of the same value three times, as the reference movies make them.
QString blurOf(const QString &value)
{
    return assign(QStringLiteral("f"), QStringLiteral("filters"), QStringLiteral("BlurFilter"), {value, value, value}) +
           traceMembers(QStringLiteral("f"), {"blurX", "blurY", "quality"});
}

const QString Bitmap = QStringLiteral("display");
const QString Filters = QStringLiteral("filters");

} // namespace

class SwfFiltersTest : public QObject {
    Q_OBJECT
private slots:
    void filters_data();
    void filters() { run(m_dir.path()); }
    void bitmaps_data();
    void bitmaps() { run(m_dir.path()); }

private:
    QTemporaryDir m_dir;
};

void SwfFiltersTest::filters_data()
{
    addColumns();
    QTest::newRow("a blur made without arguments is 4 by 4 in one pass")
        << 8 << assign("f", Filters, "BlurFilter") + traceMembers("f", {"blurX", "blurY", "quality"})
        << QStringList{"4", "4", "1"};
    QTest::newRow("blur stays within 0..255, NaN kept; quality is a whole number within 0..15")
        << 8 << blurOf("255.125") + blurOf("-0.5") + blurOf("15.125") + blurOf("undefined")
        << QStringList{"255", "255", "15", "0", "0", "0", "15.125", "15.125", "15", "NaN", "NaN", "0"};
    QTest::newRow("an infinite quality counts as 0")
        << 8
        << "push 1, 0\ndivide\npush 1, 0\ndivide\npush 1, 0\ndivide\npush 3, \"flash\"\ngetvariable\n"
           "push \"filters\"\ngetmember\npush \"BlurFilter\"\nnewmethod\npush \"f\"\nstackswap\nsetvariable\n" +
               traceMembers("f", {"blurX", "blurY", "quality"})
        << QStringList{"255", "255", "0"};
    QTest::newRow("called without new it makes nothing")
        << 8 << pushArguments({"1"}) + ", \"flash\"\ngetvariable\npush \"filters\"\ngetmember\npush \"BlurFilter\"\n"
                                       "callmethod\ntrace\n"
        << QStringList{"undefined"};
    QTest::newRow("movies before version 8 do not see the package")
        << 7 << make(Filters, "BlurFilter") + "trace\n" << QStringList{"undefined"};
    QTest::newRow("older movies see the classes once they clear the flag hiding flash")
        << 7
        << "push 4096, 0, \"flash\", \"_global\"\ngetvariable\npush 4, \"ASSetPropFlags\"\ncallfunction\npop\n" +
               assign("f", Filters, "BlurFilter") + "push \"f\"\ngetvariable\ntypeof\ntrace\n" +
               assign("b", Bitmap, "BitmapData", {"1", "1"}) + traceMembers("b", {"width"})
        << QStringList{"object", "1"};
    QTest::newRow("a filter's prototype inherits BitmapFilter's and names it as constructor")
        << 8
        << "push \"flash\"\ngetvariable\npush \"filters\"\ngetmember\npush \"BlurFilter\"\ngetmember\n"
           "push \"prototype\"\ngetmember\npush \"p\"\nstackswap\nsetvariable\n"
           "push \"p\"\ngetvariable\npush \"__constructor__\"\ngetmember\n"
           "push \"flash\"\ngetvariable\npush \"filters\"\ngetmember\npush \"BitmapFilter\"\ngetmember\n"
           "equals2\ntrace\n"
           "push \"p\"\ngetvariable\npush \"blurX\"\ngetmember\ntrace\n"
        << QStringList{"true", "undefined"};
    QTest::newRow("a clone has the original's values")
        << 8
        << assign("f", Filters, "BlurFilter", {"2", "3", "5"}) + "push \"g\", 0, \"f\"\ngetvariable\npush \"clone\"\n"
                                                                  "callmethod\nsetvariable\n" +
               traceMembers("g", {"blurX", "blurY", "quality"})
        << QStringList{"2", "3", "5"};
    QTest::newRow("a clip's filters read back as copies of what was set")
        << 8
        << "push \"_root\"\ngetvariable\npush \"filters\"\n" + make(Filters, "BlurFilter", {"7"}) +
               "push 1\ninitarray\nsetmember\n"
               "push \"_root\"\ngetvariable\npush \"filters\"\ngetmember\npush \"l\"\nstackswap\nsetvariable\n"
               "push \"l\"\ngetvariable\npush \"length\"\ngetmember\ntrace\n"
               "push \"l\"\ngetvariable\npush 0\ngetmember\npush \"blurX\"\ngetmember\ntrace\n"
               "push \"_root\"\ngetvariable\npush \"filters\"\ngetmember\npush 0\ngetmember\n"
               "push \"_root\"\ngetvariable\npush \"filters\"\ngetmember\npush 0\ngetmember\nequals2\ntrace\n"
        << QStringList{"1", "7", "false"};
}

void SwfFiltersTest::bitmaps_data()
{
    addColumns();
    QTest::newRow("the largest bitmap the reference player makes")
        << 8 << assign("b", Bitmap, "BitmapData", {"2880", "2880", "true", "255"}) +
                    traceMembers("b", {"width", "height", "transparent"})
        << QStringList{"2880", "2880", "true"};
    QTest::newRow("no bitmap without width or height, nor beyond 2880 pixels a side")
        << 8
        << make(Bitmap, "BitmapData", {"0", "10"}) + "trace\n" + make(Bitmap, "BitmapData", {"10", "-1"}) + "trace\n" +
               make(Bitmap, "BitmapData", {"2881", "1"}) + "trace\n" +
               make(Bitmap, "BitmapData", {"100000", "100000"}) + "trace\n"
        << QStringList{"undefined", "undefined", "undefined", "undefined"};
    QTest::newRow("a disposed bitmap answers -1")
        << 8
        << assign("b", Bitmap, "BitmapData", {"5", "5"}) + "push 0, \"b\"\ngetvariable\npush \"dispose\"\ncallmethod\n"
                                                            "pop\n" +
               traceMembers("b", {"width", "height", "transparent", "rectangle"})
        << QStringList{"-1", "-1", "-1", "-1"};
    QTest::newRow("an opaque bitmap keeps its pixels opaque")
        << 8
        << assign("b", Bitmap, "BitmapData", {"4", "4", "false", "1193046"}) +
               traceCall("\"b\"\ngetvariable", "getPixel32", {"1", "1"}) +
               traceCall("\"b\"\ngetvariable", "getPixel", {"9", "1"})
        << QStringList{QString::number(0xFF123456u), "0"};
    QTest::newRow("an attached bitmap takes the depth's clip away; the depth answers its holder")
        << 8
        << "push 0, \"a\", 2, \"createEmptyMovieClip\"\ncallfunction\npop\n"
           "push 0, \"a\", 2, \"a\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\npop\n" +
               assign("red", Bitmap, "BitmapData", {"100", "100", "false", "16711680"}) +
               "push 0, \"red\"\ngetvariable\npush 2, \"a\"\ngetvariable\npush \"attachBitmap\"\ncallmethod\npop\n" +
               traceMembers("a", {"a"}) + traceCall("\"a\"\ngetvariable", "getInstanceAtDepth", {"0"}) +
               traceMembers("a", {"_width", "_height"})
        << QStringList{"undefined", "_level0.a", "100", "100"};
}

QTEST_MAIN(SwfFiltersTest)
#include "tst_swf_filters.moc"
