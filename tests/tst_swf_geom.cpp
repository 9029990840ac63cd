// flash.geom as movies see it: each case is a frame script in assembly,
// the movie's version, and what its traces print.
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptCases;

namespace {

// Movies before 8 reach the package once they clear its version flags.
const QString showPackage =
    QStringLiteral("push 5248, 0, \"flash\", \"_global\"\ngetvariable\npush 4, \"ASSetPropFlags\"\ncallfunction\npop\n");

// Pushes flash.geom.NAME.
QString geom(const QString &name)
{
    return QStringLiteral("push \"flash\"\ngetvariable\npush \"geom\"\ngetmember\npush \"%1\"\ngetmember\n").arg(name);
}

// VARIABLE = new flash.geom.NAME(ARGS).
QString make(const QString &variable, const QString &name, const QStringList &args = {})
{
    return QStringLiteral("push \"%1\"\n").arg(variable) + pushArguments(args) + QStringLiteral("\n") + geom(name) +
           QStringLiteral("push undefined\nnewmethod\nsetvariable\n");
}

QString traceVariable(const QString &variable) { return QStringLiteral("push \"%1\"\ngetvariable\ntrace\n").arg(variable); }

QString traceMember(const QString &variable, const QString &member)
{
    return QStringLiteral("push \"%1\"\ngetvariable\npush \"%2\"\ngetmember\ntrace\n").arg(variable, member);
}

// trace(VARIABLE.METHOD(ARGS)), the arguments being values to push.
QString traceMethod(const QString &variable, const QString &method, const QStringList &args = {})
{
    return pushArguments(args) + QStringLiteral("\npush \"%1\"\ngetvariable\npush \"%2\"\ncallmethod\ntrace\n")
                                     .arg(variable, method);
}

} // namespace

class SwfGeomTest : public QObject {
    Q_OBJECT
private slots:
    void package_data();
    void package() { runCase(); }
    void point_data();
    void point() { runCase(); }
    void matrix_data();
    void matrix() { runCase(); }
    void colorTransform_data();
    void colorTransform() { runCase(); }
    void transform_data();
    void transform() { runCase(); }

private:
    void runCase() { run(m_dir.path()); }
    QTemporaryDir m_dir;
};

void SwfGeomTest::package_data()
{
    addColumns();
    const QString makePoint = make(QStringLiteral("p"), QStringLiteral("Point"), {QStringLiteral("1"), QStringLiteral("2")}) +
                              traceVariable(QStringLiteral("p"));
    QTest::newRow("version 8 sees flash.geom") << 8 << makePoint << QStringList{"(x=1, y=2)"};
    QTest::newRow("version 7 does not, at first") << 7 << makePoint << QStringList{"undefined"};
    QTest::newRow("version 6 does once the flags are cleared") << 6 << showPackage + makePoint << QStringList{"(x=1, y=2)"};
    QTest::newRow("the classes share one package")
        << 7 << showPackage + geom(QStringLiteral("Point")) + QStringLiteral("typeof\ntrace\n") + geom(QStringLiteral("Matrix")) +
                    QStringLiteral("typeof\ntrace\n")
        << QStringList{"function", "function"};
    QTest::newRow("version 5 never does") << 5 << showPackage + makePoint << QStringList{"undefined"};
}

void SwfGeomTest::point_data()
{
    addColumns();
    const QString p = QStringLiteral("p");
    QTest::newRow("no arguments: the origin; others kept as given")
        << 8
        << make(p, QStringLiteral("Point")) + traceVariable(p) +
               make(p, QStringLiteral("Point"), {QStringLiteral("\"a\"")}) + traceVariable(p)
        << QStringList{"(x=0, y=0)", "(x=a, y=undefined)"};
    QTest::newRow("length, add, subtract, clone")
        << 8
        << make(p, QStringLiteral("Point"), {QStringLiteral("3"), QStringLiteral("4")}) + traceMember(p, QStringLiteral("length")) +
               QStringLiteral("push \"p\"\ngetvariable\npush 1\npush \"p\"\ngetvariable\npush \"add\"\ncallmethod\ntrace\n") +
               QStringLiteral("push \"p\"\ngetvariable\npush 1\npush \"p\"\ngetvariable\npush \"subtract\"\ncallmethod\ntrace\n") +
               traceMethod(p, QStringLiteral("clone"))
        << QStringList{"5", "(x=6, y=8)", "(x=0, y=0)", "(x=3, y=4)"};
    QTest::newRow("NaN and infinities: the distance of a point from itself")
        << 8
        << QStringLiteral("push \"p\"\npush \"Infinity\"\ngetvariable\npush -1\nmultiply\npush 50, 2\n") +
               geom(QStringLiteral("Point")) + QStringLiteral("push undefined\nnewmethod\nsetvariable\n") +
               QStringLiteral("push \"p\"\ngetvariable\npush \"p\"\ngetvariable\npush 2\n") + geom(QStringLiteral("Point")) +
               QStringLiteral("push \"distance\"\ncallmethod\ntrace\n") + traceMember(p, QStringLiteral("length"))
        << QStringList{"NaN", "Infinity"};
    QTest::newRow("normalize and offset change the point and answer nothing")
        << 8
        << make(p, QStringLiteral("Point"), {QStringLiteral("3"), QStringLiteral("4")}) +
               traceMethod(p, QStringLiteral("normalize"), {QStringLiteral("10")}) + traceVariable(p) +
               traceMethod(p, QStringLiteral("offset"), {QStringLiteral("1"), QStringLiteral("-1")}) + traceVariable(p)
        << QStringList{"undefined", "(x=6, y=8)", "undefined", "(x=7, y=7)"};
    QTest::newRow("interpolate goes from the second point toward the first")
        << 8
        << make(QStringLiteral("a"), QStringLiteral("Point")) +
               make(QStringLiteral("b"), QStringLiteral("Point"), {QStringLiteral("1"), QStringLiteral("2")}) +
               QStringLiteral("push 0.68\npush \"b\"\ngetvariable\npush \"a\"\ngetvariable\npush 3\n") +
               geom(QStringLiteral("Point")) + QStringLiteral("push \"interpolate\"\ncallmethod\ntrace\n")
        << QStringList{"(x=0.32, y=0.64)"};
}

void SwfGeomTest::matrix_data()
{
    addColumns();
    const QString m = QStringLiteral("m");
    QTest::newRow("no arguments: identity; missing ones stay undefined")
        << 8
        << make(m, QStringLiteral("Matrix")) + traceVariable(m) +
               make(m, QStringLiteral("Matrix"), {QStringLiteral("10"), QStringLiteral("null")}) + traceVariable(m)
        << QStringList{"(a=1, b=0, c=0, d=1, tx=0, ty=0)", "(a=10, b=null, c=undefined, d=undefined, tx=undefined, ty=undefined)"};
    QTest::newRow("version 6 prints undefined members as nothing")
        << 6 << showPackage + make(m, QStringLiteral("Matrix"), {QStringLiteral("10")}) + traceVariable(m)
        << QStringList{"(a=10, b=, c=, d=, tx=, ty=)"};
}

void SwfGeomTest::colorTransform_data()
{
    addColumns();
    const QString c = QStringLiteral("c");
    const QStringList terms{"0.5", "1.5", "2.5", "3.5", "4.5", "5.5", "6.5", "7.5"};
    QTest::newRow("concat: offsets pass through the multipliers")
        << 8
        << make(c, QStringLiteral("ColorTransform"), terms) + make(QStringLiteral("d"), QStringLiteral("ColorTransform"), terms) +
               QStringLiteral("push \"d\"\ngetvariable\npush 1\npush \"c\"\ngetvariable\npush \"concat\"\ncallmethod\ntrace\n") +
               traceVariable(c)
        << QStringList{"undefined", "(redMultiplier=0.25, greenMultiplier=2.25, blueMultiplier=6.25, alphaMultiplier=12.25, "
                                    "redOffset=6.75, greenOffset=13.75, blueOffset=22.75, alphaOffset=33.75)"};
    QTest::newRow("rgb: offsets as one colour; setting it drops the multipliers")
        << 8
        << make(c, QStringLiteral("ColorTransform"), terms) + traceMember(c, QStringLiteral("rgb")) +
               QStringLiteral("push \"c\"\ngetvariable\npush \"rgb\", 1099511627775\nsetmember\n") + traceVariable(c)
        << QStringList{"263430", "(redMultiplier=0, greenMultiplier=0, blueMultiplier=0, alphaMultiplier=3.5, "
                                 "redOffset=255, greenOffset=255, blueOffset=255, alphaOffset=7.5)"};
    QTest::newRow("terms are numbers: undefined is NaN")
        << 8
        << make(c, QStringLiteral("ColorTransform")) +
               QStringLiteral("push \"c\"\ngetvariable\npush \"redOffset\", undefined\nsetmember\n") +
               traceMember(c, QStringLiteral("redOffset")) + traceMember(c, QStringLiteral("redMultiplier"))
        << QStringList{"NaN", "1"};
    QTest::newRow("before version 8 the object keeps nothing")
        << 7 << showPackage + make(c, QStringLiteral("ColorTransform"), terms) + traceMember(c, QStringLiteral("rgb"))
        << QStringList{"undefined"};
}

void SwfGeomTest::transform_data()
{
    addColumns();
    // a.transform.colorTransform = new ColorTransform(TERMS), a being a new clip.
    const auto tint = [](const QString &clip, const QStringList &terms) {
        return QStringLiteral("push \"%1\"\ngetvariable\npush \"transform\"\ngetmember\npush \"colorTransform\"\n").arg(clip) +
               pushArguments(terms) + QStringLiteral("\n") + geom(QStringLiteral("ColorTransform")) +
               QStringLiteral("push undefined\nnewmethod\nsetmember\n");
    };
    const auto traceTransform = [](const QString &clip, const QString &member) {
        return QStringLiteral("push \"%1\"\ngetvariable\npush \"transform\"\ngetmember\npush \"%2\"\ngetmember\ntrace\n")
            .arg(clip, member);
    };
    const QString clips = QStringLiteral("push 0, \"a\", 2, \"_root\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\npop\n"
                                         "push 0, \"b\", 2, \"a\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\npop\n"
                                         "push \"c\", \"a.b\"\ngetvariable\nsetvariable\n");
    QTest::newRow("a clip keeps whole 256ths and whole offsets")
        << 8
        << clips + tint(QStringLiteral("a"), {"0.5", "-1.5", "0.35452134151223", "3.5", "4.5", "-500", "6.5", "700.5"}) +
               traceTransform(QStringLiteral("a"), QStringLiteral("colorTransform"))
        << QStringList{"(redMultiplier=0.5, greenMultiplier=-1.5, blueMultiplier=0.3515625, alphaMultiplier=3.5, "
                       "redOffset=4, greenOffset=-500, blueOffset=6, alphaOffset=700)"};
    QTest::newRow("the concatenated transform rounds each product down")
        << 8
        << clips + tint(QStringLiteral("a"), {"0.5", "-1.5", "0.35452134151223", "3.5", "4.5", "-500", "6.5", "700.5"}) +
               tint(QStringLiteral("c"), {"0.75", "0.34", "0.53", "0.1", "34", "-25", "103", "230"}) +
               traceTransform(QStringLiteral("c"), QStringLiteral("concatenatedColorTransform"))
        << QStringList{"(redMultiplier=0.375, greenMultiplier=-0.51171875, blueMultiplier=0.18359375, alphaMultiplier=0.33984375, "
                       "redOffset=21, greenOffset=-463, blueOffset=42, alphaOffset=1505)"};
    QTest::newRow("the matrix in pixels")
        << 8
        << clips + QStringLiteral("push \"a\"\ngetvariable\npush \"_x\", 15\nsetmember\n") +
               traceTransform(QStringLiteral("c"), QStringLiteral("concatenatedMatrix"))
        << QStringList{"(a=1, b=0, c=0, d=1, tx=15, ty=0)"};
    QTest::newRow("version 7 sees no transform")
        << 7 << showPackage + clips + traceTransform(QStringLiteral("a"), QStringLiteral("colorTransform"))
        << QStringList{"undefined"};
}

QTEST_MAIN(SwfGeomTest)
#include "tst_swf_geom.moc"
