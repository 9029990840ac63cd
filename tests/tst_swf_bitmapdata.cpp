// flash.display.BitmapData's effects as movies see them: each case is a
// frame script in assembly, the movie's version and what its traces print,
// the pixels worked out from what the methods are documented to do.
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptCases;

namespace {

const QString Display = QStringLiteral("display");
const QString Geom = QStringLiteral("geom");
const QString Filters = QStringLiteral("filters");

// A value a call takes: a variable's.
QString var(const QString &name) { return QStringLiteral("push \"%1\"\ngetvariable\n").arg(name); }
QString literal(const QString &value) { return QStringLiteral("push %1\n").arg(value); }

// Pushes the arguments, each the assembly leaving one value, as a call takes them.
QString arguments(const QStringList &values)
{
    QString out;
    for (auto it = values.crbegin(); it != values.crend(); ++it)
        out += *it;
    return out + QStringLiteral("push %1\n").arg(values.size());
}

// NAME = new flash.PACKAGE.CLASS(ARGS), the arguments numbers.
QString assign(const QString &name, const QString &package, const QString &className, const QStringList &args = {})
{
    QStringList values;
    for (const QString &a : args)
        values << literal(a);
    return QStringLiteral("push \"%1\"\n").arg(name) + arguments(values) +
           QStringLiteral("push \"flash\"\ngetvariable\npush \"%1\"\ngetmember\npush \"%2\"\nnewmethod\nsetvariable\n")
               .arg(package, className);
}

// Leaves NAME.METHOD(VALUES) on the stack.
QString invoke(const QString &name, const QString &method, const QStringList &values)
{
    return arguments(values) + var(name) + QStringLiteral("push \"%1\"\ncallmethod\n").arg(method);
}
QString call(const QString &name, const QString &method, const QStringList &values)
{
    return invoke(name, method, values) + QStringLiteral("pop\n");
}
QString traceOf(const QString &name, const QString &method, const QStringList &values)
{
    return invoke(name, method, values) + QStringLiteral("trace\n");
}

// Traces the alpha of NAME.getPixel32(X, Y), then its colour (the whole
// number prints signed).
QString tracePixel32(const QString &name, int x, int y)
{
    const QString pixel =
        invoke(name, QStringLiteral("getPixel32"), {literal(QString::number(x)), literal(QString::number(y))});
    return pixel + QStringLiteral("push 24\nbiturshift\ntrace\n") + pixel + QStringLiteral("push 16777215\nbitand\ntrace\n");
}
QString tracePixel(const QString &name, int x, int y)
{
    return traceOf(name, QStringLiteral("getPixel"), {literal(QString::number(x)), literal(QString::number(y))});
}

QString traceMembers(const QString &name, const QStringList &members)
{
    QString source;
    for (const QString &member : members)
        source += var(name) + QStringLiteral("push \"%1\"\ngetmember\ntrace\n").arg(member);
    return source;
}

// b = a bitmap of W by H, opaque or not, of one colour.
QString bitmap(const QString &name, int w, int h, bool transparent, const QString &colour)
{
    return assign(name, Display, QStringLiteral("BitmapData"),
                  {QString::number(w), QString::number(h), transparent ? "true" : "false", colour});
}

QString rect(const QString &name, int x, int y, int w, int h)
{
    return assign(name, Geom, QStringLiteral("Rectangle"),
                  {QString::number(x), QString::number(y), QString::number(w), QString::number(h)});
}
QString point(const QString &name, int x, int y)
{
    return assign(name, Geom, QStringLiteral("Point"), {QString::number(x), QString::number(y)});
}

// A clip NAME at DEPTH on the root, a square of SIDE at (X, Y) filled as
// FILL (the assembly of a fill call on the clip) with the drawing API.
QString square(const QString &name, int depth, int x, int y, int side, const QString &fill)
{
    QString source = arguments({literal("\"" + name + "\""), literal(QString::number(depth))}) +
                     QStringLiteral("push \"_root\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\npop\n");
    source += fill + call(name, "moveTo", {literal(QString::number(x)), literal(QString::number(y))});
    for (const auto &[dx, dy] : {std::pair{side, 0}, {side, side}, {0, side}, {0, 0}})
        source += call(name, "lineTo", {literal(QString::number(x + dx)), literal(QString::number(y + dy))});
    return source + call(name, "endFill", {});
}
QString solid(const QString &name, const QString &rgb) { return call(name, "beginFill", {literal(rgb)}); }
// The clip c, a red square of side 10 at the origin.
QString redSquare() { return square("c", 1, 0, 0, 10, solid("c", "16711680")); }

// The stage of a movie of SOURCE as its first frame leaves it.
QImage stageOf(const QString &dir, const QString &source)
{
    const QByteArray code = ActionAssembler::assemble(source);
    const QString path = dir + QStringLiteral("/drawn.swf");
    TestFiles::write(path, SwfWriter::movie(SwfWriter::doAction(code) + SwfWriter::showFrame(), 8));
    swf::FlashControl control;
    control.setMovie(path);
    return control.renderStage().convertToFormat(QImage::Format_RGB32);
}

// Whether two colours are within a few steps of each other per channel (edges blend).
bool near(QRgb a, QRgb b)
{
    constexpr int Tolerance = 8;
    return qAbs(qRed(a) - qRed(b)) <= Tolerance && qAbs(qGreen(a) - qGreen(b)) <= Tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= Tolerance;
}

// A 2 by 1 DefineBitsLossless2 of an opaque red and a green pixel, exported as "pixels".
QByteArray exportedBitmap()
{
    constexpr int Id = 1, Argb = 5, DefineBitsLossless2 = 36;
    const QByteArray argb = QByteArray::fromHex("ffff0000ff00ff00");
    QByteArray body;
    for (const int v : {Id & 0xFF, Id >> 8, Argb, 2, 0, 1, 0})
        body.append(char(v));
    body += qCompress(argb).mid(4); // the zlib stream without Qt's length
    return SwfWriter::tag(DefineBitsLossless2, body) + SwfWriter::exportAssets(Id, "pixels");
}

} // namespace

class SwfBitmapDataTest : public QObject {
    Q_OBJECT
private slots:
    void methods_data();
    void methods() { run(m_dir.path()); }
    void drawn_data();
    void drawn();
    void loaded_data();
    void loaded();

private:
    QTemporaryDir m_dir;
};

void SwfBitmapDataTest::methods_data()
{
    addColumns();
    QTest::newRow("floodFill changes the connected area of one colour only")
        << 8
        << bitmap("b", 4, 4, false, "16777215") + rect("r", 2, 0, 1, 4) +
               call("b", "fillRect", {var("r"), literal("0")}) + call("b", "floodFill", {literal("0"), literal("0"), literal("16711680")}) +
               tracePixel("b", 1, 3) + tracePixel("b", 2, 1) + tracePixel("b", 3, 0)
        << QStringList{"16711680", "0", "16777215"};
    QTest::newRow("floodFill reaches round a wall, up again on the far side")
        << 8
        << bitmap("b", 3, 3, false, "16777215") + rect("r", 1, 0, 1, 2) +
               call("b", "fillRect", {var("r"), literal("0")}) +
               call("b", "floodFill", {literal("0"), literal("0"), literal("255")}) + tracePixel("b", 2, 0) +
               tracePixel("b", 1, 2) + tracePixel("b", 1, 0)
        << QStringList{"255", "255", "0"};
    QTest::newRow("threshold sets the pixels that pass and counts them")
        << 8
        << bitmap("b", 4, 4, false, "128") + rect("r", 0, 0, 2, 2) + call("b", "fillRect", {var("r"), literal("255")}) +
               rect("all", 0, 0, 4, 4) + point("p", 0, 0) +
               traceOf("b", "threshold",
                       {var("b"), var("all"), var("p"), literal("\">\""), literal("160"), literal("65280"), literal("255")}) +
               tracePixel("b", 0, 0) + tracePixel("b", 3, 3)
        << QStringList{"4", "65280", "128"};
    QTest::newRow("threshold copies the source where the test fails when asked")
        << 8
        << bitmap("b", 2, 1, false, "255") + bitmap("t", 2, 1, false, "0") + call("b", "setPixel", {literal("1"), literal("0"), literal("16")}) +
               rect("all", 0, 0, 2, 1) + point("p", 0, 0) +
               traceOf("t", "threshold",
                       {var("b"), var("all"), var("p"), literal("\"==\""), literal("255"), literal("16711680"),
                        literal("255"), literal("true")}) +
               tracePixel("t", 0, 0) + tracePixel("t", 1, 0)
        << QStringList{"1", "16711680", "16"};
    QTest::newRow("an unknown threshold operation changes nothing")
        << 8
        << bitmap("b", 2, 2, false, "0") + rect("all", 0, 0, 2, 2) + point("p", 0, 0) +
               traceOf("b", "threshold", {var("b"), var("all"), var("p"), literal("\"<>\""), literal("1"), literal("255")}) +
               tracePixel("b", 0, 0)
        << QStringList{"0", "0"};
    QTest::newRow("drawing a red square clip")
        << 8
        << redSquare() + bitmap("b", 20, 20, false, "16777215") + call("b", "draw", {var("c")}) + tracePixel("b", 5, 5) +
               tracePixel("b", 15, 15)
        << QStringList{"16711680", "16777215"};
    QTest::newRow("drawing a clip through a matrix moves it")
        << 8
        << redSquare() + bitmap("b", 20, 20, false, "16777215") +
               assign("m", Geom, "Matrix", {"1", "0", "0", "1", "10", "10"}) +
               call("b", "draw", {var("c"), var("m")}) + tracePixel("b", 5, 5) + tracePixel("b", 15, 15)
        << QStringList{"16777215", "16711680"};
    QTest::newRow("drawing within a clip rectangle")
        << 8
        << redSquare() + bitmap("b", 20, 20, false, "16777215") + rect("r", 0, 0, 5, 20) +
               call("b", "draw", {var("c"), literal("null"), literal("null"), literal("null"), var("r")}) +
               tracePixel("b", 2, 2) + tracePixel("b", 7, 2)
        << QStringList{"16711680", "16777215"};
    QTest::newRow("drawing a bitmap with a colour transform")
        << 8
        << bitmap("s", 2, 2, false, "16711680") + bitmap("b", 2, 2, false, "0") +
               assign("t", Geom, "ColorTransform", {"0", "1", "1", "1", "0", "0", "255", "0"}) +
               call("b", "draw", {var("s"), literal("null"), var("t")}) + tracePixel("b", 1, 1)
        << QStringList{"255"};
    QTest::newRow("getColorBoundsRect finds the colour, and what is not it")
        << 8
        << bitmap("b", 10, 10, false, "16777215") + rect("r", 2, 3, 4, 5) +
               call("b", "fillRect", {var("r"), literal("16711680")}) +
               "push \"q\"\n" + invoke("b", "getColorBoundsRect", {literal("16777215"), literal("16711680")}) +
               "setvariable\n" + traceMembers("q", {"x", "y", "width", "height"}) + "push \"q\"\n" +
               invoke("b", "getColorBoundsRect", {literal("16777215"), literal("16777215"), literal("false")}) +
               "setvariable\n" + traceMembers("q", {"x", "y", "width", "height"})
        << QStringList{"2", "3", "4", "5", "2", "3", "4", "5"};
    QTest::newRow("getColorBoundsRect of a colour that is not there is empty")
        << 8
        << bitmap("b", 4, 4, false, "0") + "push \"q\"\n" +
               invoke("b", "getColorBoundsRect", {literal("16777215"), literal("255")}) + "setvariable\n" +
               traceMembers("q", {"width", "height"})
        << QStringList{"0", "0"};
    QTest::newRow("colorTransform multiplies and adds per channel")
        << 8
        << bitmap("b", 2, 2, false, "8421504") + rect("r", 0, 0, 1, 1) +
               assign("t", Geom, "ColorTransform", {"0.5", "1", "1", "1", "0", "0", "10", "0"}) +
               call("b", "colorTransform", {var("r"), var("t")}) + tracePixel("b", 0, 0) + tracePixel("b", 1, 1)
        << QStringList{"4227210", "8421504"};
    QTest::newRow("scroll moves the pixels and keeps what nothing covers")
        << 8
        << bitmap("b", 3, 1, false, "0") + call("b", "setPixel", {literal("0"), literal("0"), literal("255")}) +
               call("b", "scroll", {literal("1"), literal("0")}) + tracePixel("b", 0, 0) + tracePixel("b", 1, 0) +
               tracePixel("b", 2, 0)
        << QStringList{"255", "255", "0"};
    QTest::newRow("merge takes each channel by its multiplier")
        << 8
        << bitmap("b", 2, 2, false, "0") + bitmap("s", 2, 2, false, "16777215") + rect("r", 0, 0, 2, 2) +
               point("p", 0, 0) +
               call("b", "merge", {var("s"), var("r"), var("p"), literal("256"), literal("0"), literal("256"), literal("0")}) +
               tracePixel("b", 1, 1)
        << QStringList{"16711935"};
    QTest::newRow("copyChannel puts the red of one into the blue of another")
        << 8
        << bitmap("b", 2, 2, false, "0") + bitmap("s", 2, 2, false, "16711680") + rect("r", 0, 0, 1, 2) +
               point("p", 1, 0) + call("b", "copyChannel", {var("s"), var("r"), var("p"), literal("1"), literal("4")}) +
               tracePixel("b", 0, 0) + tracePixel("b", 1, 1)
        << QStringList{"0", "255"};
    QTest::newRow("compare: alike, of other sizes, and the differences")
        << 8
        << bitmap("a", 2, 2, true, "4294945280") + bitmap("b", 2, 2, true, "3439307264") +
               bitmap("c", 3, 2, true, "0") + bitmap("d", 2, 3, true, "0") + traceOf("a", "compare", {var("a")}) +
               traceOf("a", "compare", {var("c")}) + traceOf("a", "compare", {var("d")}) + "push \"q\"\n" +
               invoke("a", "compare", {var("b")}) + "setvariable\n" + tracePixel32("q", 1, 1)
        << QStringList{"0", "-3", "-4", "51", "16777215"};
    QTest::newRow("compare shows the colour difference opaque")
        << 8
        << bitmap("a", 1, 1, true, "4278255513") + bitmap("b", 1, 1, true, "4289344358") + "push \"q\"\n" +
               invoke("a", "compare", {var("b")}) + "setvariable\n" + tracePixel32("q", 0, 0)
        << QStringList{"255", "5688371"};
    QTest::newRow("hitTest against points and rectangles by alpha")
        << 8
        << bitmap("b", 4, 4, true, "0") + call("b", "setPixel32", {literal("1"), literal("1"), literal("4278190080")}) +
               point("o", 10, 10) + point("hit", 11, 11) + point("miss", 12, 12) + rect("r", 10, 10, 2, 2) +
               traceOf("b", "hitTest", {var("o"), literal("255"), var("hit")}) +
               traceOf("b", "hitTest", {var("o"), literal("255"), var("miss")}) +
               traceOf("b", "hitTest", {var("o"), literal("255"), var("r")})
        << QStringList{"true", "false", "true"};
    QTest::newRow("noise of one value in red only; the same seed makes the same noise")
        << 8
        << bitmap("b", 2, 2, false, "0") + call("b", "noise", {literal("5"), literal("100"), literal("100"), literal("1")}) +
               tracePixel("b", 1, 1) + bitmap("x", 8, 8, false, "0") + bitmap("y", 8, 8, false, "0") +
               call("x", "noise", {literal("42")}) + call("y", "noise", {literal("42")}) +
               traceOf("x", "compare", {var("y")})
        << QStringList{"6553600", "0"};
    QTest::newRow("perlinNoise is the same for a seed, and grey when asked")
        << 8
        << bitmap("x", 16, 16, false, "0") + bitmap("y", 16, 16, false, "0") +
               call("x", "perlinNoise", {literal("8"), literal("8"), literal("2"), literal("7"), literal("false"),
                                         literal("true"), literal("7"), literal("true")}) +
               call("y", "perlinNoise", {literal("8"), literal("8"), literal("2"), literal("7"), literal("false"),
                                         literal("true"), literal("7"), literal("true")}) +
               traceOf("x", "compare", {var("y")}) + invoke("x", "getPixel", {literal("3"), literal("5")}) +
               "push 255\nbitand\n" + invoke("x", "getPixel", {literal("3"), literal("5")}) +
               "push 8\nbiturshift\npush 255\nbitand\nequals2\ntrace\n"
        << QStringList{"0", "true"};
    QTest::newRow("pixelDissolve of every pixel copies the source")
        << 8
        << bitmap("b", 2, 2, false, "16777215") + bitmap("s", 2, 2, false, "16711680") + rect("r", 0, 0, 2, 2) +
               point("p", 0, 0) + call("b", "pixelDissolve", {var("s"), var("r"), var("p"), literal("3"), literal("4")}) +
               tracePixel("b", 0, 0) + tracePixel("b", 1, 0) + tracePixel("b", 0, 1) + tracePixel("b", 1, 1)
        << QStringList{"16711680", "16711680", "16711680", "16711680"};
    QTest::newRow("applyFilter through a colour matrix swapping red and blue")
        << 8
        << bitmap("b", 2, 2, false, "16711680") + rect("r", 0, 0, 2, 2) + point("p", 0, 0) +
               "push \"f\", 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 20\ninitarray\npush 1, "
               "\"flash\"\ngetvariable\npush \"filters\"\ngetmember\npush \"ColorMatrixFilter\"\nnewmethod\n"
               "setvariable\n" +
               call("b", "applyFilter", {var("b"), var("r"), var("p"), var("f")}) + tracePixel("b", 1, 1)
        << QStringList{"255"};
    const QString displacement =
        bitmap("m", 3, 1, false, "0") + point("mp", 3, 4) + "push \"d\"\n" +
        arguments({var("m"), var("mp"), literal("1"), literal("2"), literal("10"), literal("-5"), literal("\"clamp\""),
                   literal("16711680"), literal("0.5")}) +
        "push \"flash\"\ngetvariable\npush \"filters\"\ngetmember\npush \"DisplacementMapFilter\"\nnewmethod\n"
        "setvariable\n";
    QTest::newRow("DisplacementMapFilter keeps what it was made with")
        << 8
        << displacement + traceMembers("d", {"componentX", "componentY", "scaleX", "scaleY", "mode", "color", "alpha"}) +
               var("d") + "push \"mapPoint\"\ngetmember\npush \"y\"\ngetmember\ntrace\n" + var("d") +
               "push \"mapBitmap\"\ngetmember\npush \"width\"\ngetmember\ntrace\n"
        << QStringList{"1", "2", "10", "-5", "clamp", "16711680", "0.5", "4", "3"};
    QTest::newRow("DisplacementMapFilter keeps its mode for an unknown name")
        << 8 << displacement + "push \"d\"\ngetvariable\npush \"mode\", \"sideways\"\nsetmember\n" + traceMembers("d", {"mode"})
        << QStringList{"clamp"};
    QTest::newRow("applyFilter of a displacement map moves the pixels by the map")
        << 8
        << bitmap("b", 3, 1, false, "16711680") + call("b", "setPixel", {literal("1"), literal("0"), literal("65280")}) +
               call("b", "setPixel", {literal("2"), literal("0"), literal("255")}) + bitmap("m", 3, 1, false, "0") +
               point("p", 0, 0) + rect("r", 0, 0, 3, 1) + "push \"d\"\n" +
               arguments({var("m"), var("p"), literal("1"), literal("1"), literal("2"), literal("0"), literal("\"clamp\"")}) +
               "push \"flash\"\ngetvariable\npush \"filters\"\ngetmember\npush \"DisplacementMapFilter\"\nnewmethod\n"
               "setvariable\n" +
               call("b", "applyFilter", {var("b"), var("r"), var("p"), var("d")}) + tracePixel("b", 1, 0) +
               tracePixel("b", 2, 0)
        << QStringList{"16711680", "65280"};
    QTest::newRow("Transform.pixelBounds is the clip's extent on the stage")
        << 8
        << redSquare() + "push \"c\"\ngetvariable\npush \"_x\", 5\nsetmember\n" +
               "push \"c\"\ngetvariable\npush \"_yscale\", 200\nsetmember\n" +
               tracePath("c.transform.pixelBounds.x") + tracePath("c.transform.pixelBounds.y") +
               tracePath("c.transform.pixelBounds.width") + tracePath("c.transform.pixelBounds.height")
        << QStringList{"5", "0", "10", "20"};
    QTest::newRow("operations on hostile sizes and missing arguments do nothing")
        << 8
        << bitmap("b", 2, 2, false, "255") + rect("huge", -100000000, -100000000, 200000000, 200000000) +
               point("p", 100000000, 0) + call("b", "floodFill", {}) + call("b", "scroll", {literal("1e12"), literal("-1e12")}) +
               call("b", "merge", {var("b"), var("huge"), var("p"), literal("256"), literal("256"), literal("256"), literal("256")}) +
               call("b", "perlinNoise", {literal("0"), literal("0"), literal("1000000")}) + call("b", "noise", {}) +
               traceOf("b", "threshold", {var("b"), var("huge"), var("p"), literal("\"<\""), literal("0")}) +
               traceMembers("b", {"width"})
        << QStringList{"0", "2"};
}

void SwfBitmapDataTest::drawn_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("expected");
    // A 2 by 2 bitmap: red, green on top; blue, white below.
    const QString checker = bitmap("b", 2, 2, false, "16777215") +
                            call("b", "setPixel", {literal("0"), literal("0"), literal("16711680")}) +
                            call("b", "setPixel", {literal("1"), literal("0"), literal("65280")}) +
                            call("b", "setPixel", {literal("0"), literal("1"), literal("255")});
    const QString scaled = checker + assign("m", Geom, "Matrix", {"10", "0", "0", "10", "0", "0"});
    const QString bitmapSquare = square("s", 1, 0, 0, 40, call("s", "beginBitmapFill", {var("b"), var("m")}));
    QTest::newRow("a bitmap fill scaled ten times: its first pixel") << scaled + bitmapSquare << QPoint(5, 5) << QColor(Qt::red);
    QTest::newRow("a bitmap fill scaled ten times: its second pixel") << scaled + bitmapSquare << QPoint(15, 5) << QColor(Qt::green);
    QTest::newRow("a bitmap fill scaled ten times: its third pixel") << scaled + bitmapSquare << QPoint(5, 15) << QColor(Qt::blue);
    QTest::newRow("a bitmap fill repeats past the bitmap") << scaled + bitmapSquare << QPoint(25, 35) << QColor(Qt::blue);
    QTest::newRow("a bitmap fill without repeat stretches its edge pixels")
        << scaled + square("s", 1, 0, 0, 40, call("s", "beginBitmapFill", {var("b"), var("m"), literal("false")}))
        << QPoint(25, 35) << QColor(Qt::white);
    const QString masked = square("c", 1, 0, 0, 100, solid("c", "16711680")) +
                           square("k", 2, 50, 50, 20, solid("k", "255")) +
                           call("c", "setMask", {var("k")});
    QTest::newRow("a masked clip shows within the mask") << masked << QPoint(60, 60) << QColor(Qt::red);
    QTest::newRow("a masked clip shows nothing outside the mask") << masked << QPoint(20, 20) << QColor(Qt::white);
    QTest::newRow("the mask itself is not drawn") << masked << QPoint(80, 80) << QColor(Qt::white);
    QTest::newRow("the mask masks while it is not visible")
        << masked + "push \"k\"\ngetvariable\npush \"_visible\", false\nsetmember\n" << QPoint(20, 20)
        << QColor(Qt::white);
    QTest::newRow("setMask(null) shows the clip whole again")
        << masked + call("c", "setMask", {literal("null")}) << QPoint(20, 20) << QColor(Qt::red);
    QTest::newRow("the mask shows again once it masks nothing")
        << masked + call("c", "setMask", {literal("null")}) << QPoint(60, 60) << QColor(Qt::blue);
}

void SwfBitmapDataTest::drawn()
{
    QFETCH(QString, source);
    QFETCH(QPoint, at);
    QFETCH(QColor, expected);
    const QImage stage = stageOf(m_dir.path(), source);
    QVERIFY(!stage.isNull());
    const QRgb actual = stage.pixel(at);
    QVERIFY2(near(actual, expected.rgb()), qPrintable(QString::number(actual, 16)));
}

void SwfBitmapDataTest::loaded_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");
    const QString load = QStringLiteral("push \"b\"\n") + arguments({literal("\"%1\"")}) +
                         "push \"flash\"\ngetvariable\npush \"display\"\ngetmember\npush \"BitmapData\"\n"
                         "getmember\npush \"loadBitmap\"\ncallmethod\nsetvariable\n";
    QTest::newRow("an exported bitmap, by its linkage name in any case")
        << load.arg("Pixels") + traceMembers("b", {"width", "height"}) + tracePixel("b", 0, 0) + tracePixel("b", 1, 0)
        << QStringList{"2", "1", "16711680", "65280"};
    QTest::newRow("a name nothing is exported as") << load.arg("nothing") + tracePath("b") << QStringList{"undefined"};
}

void SwfBitmapDataTest::loaded()
{
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    const QString path = m_dir.path() + QStringLiteral("/exported.swf");
    TestFiles::write(path, SwfWriter::movie(exportedBitmap() + SwfWriter::doAction(ActionAssembler::assemble(source)) +
                                                SwfWriter::showFrame(),
                                            8));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    QCOMPARE(lines, printed);
}

QTEST_MAIN(SwfBitmapDataTest)
#include "tst_swf_bitmapdata.moc"
