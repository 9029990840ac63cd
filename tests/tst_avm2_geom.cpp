// flash.geom and flash.filters in ActionScript 3 movies: the arithmetic on
// its own, the classes as scripts call them, DisplayObject's transform,
// spaces and hit tests, and filters reaching the engine and the picture.
#include "AbcWriter.h"
#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"
#include "swf/Renderer.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/GeomMath.h"

#include <QtTest>

#include <cmath>

using namespace swf::avm2;
using swf::avm2::geom::Affine;
using swf::avm2::geom::ColorTerms;
using swf::avm2::geom::Rect;

Q_DECLARE_METATYPE(Rect)
Q_DECLARE_METATYPE(Affine)

namespace {

class Fixture {
public:
    Fixture() : movie(player), rt(movie.runtime()) {}

    Value make(const char *cls, std::initializer_list<Value> args = {})
    {
        const std::vector<Value> list(args);
        return rt.construct(Value(static_cast<Object *>(rt.builtin(cls))), Args{list.data(), int(list.size())});
    }
    Value call(const Value &object, const char *method, std::initializer_list<Value> args = {})
    {
        const std::vector<Value> list(args);
        return rt.callProperty(object, rt.publicName(QString::fromLatin1(method)), Args{list.data(), int(list.size())});
    }
    Value callStatic(const char *cls, const char *method, std::initializer_list<Value> args)
    {
        return call(Value(static_cast<Object *>(rt.builtin(cls))), method, args);
    }
    Value get(const Value &object, const char *name) { return rt.get(object, QString::fromLatin1(name)); }
    void set(const Value &object, const char *name, const Value &v) { rt.set(object, QString::fromLatin1(name), v); }
    QString text(const Value &v) { return rt.toString(v); }
    double number(const Value &object, const char *name) { return rt.toNumber(get(object, name)); }
    QString errorOf(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const Exception &e) {
            return rt.toString(e.value);
        }
        return QString();
    }
    Value array(std::vector<Value> elements) { return Value(static_cast<Object *>(rt.newArray(std::move(elements)))); }
    swf::DisplayObject &node(const Value &v) { return static_cast<DisplayObjectNative *>(v.asObject())->node(); }
    Value root()
    {
        const Value object = make("flash.display::MovieClip");
        movie.bindRoot(*static_cast<DisplayObjectNative *>(object.asObject()));
        return object;
    }
    // A sprite with a filled square of the size, at the corner given, on the root.
    Value square(const Value &parent, double x, double y, double size, int color = 0x0000FF)
    {
        const Value sprite = make("flash.display::Sprite");
        const Value g = get(sprite, "graphics");
        call(g, "beginFill", {Value(color)});
        call(g, "drawRect", {Value(0), Value(0), Value(size), Value(size)});
        call(g, "endFill");
        set(sprite, "x", Value(x));
        set(sprite, "y", Value(y));
        call(parent, "addChild", {sprite});
        return sprite;
    }

    swf::MoviePlayer player;
    As3Movie movie;
    Runtime &rt;
};

// Runs a script that traces what the builder leaves, one trace a call.
QStringList runScript(const std::function<void(AbcWriter::Abc &, AbcWriter::Code &, uint32_t trace)> &build)
{
    using namespace AbcWriter;
    Abc abc;
    Code code;
    const uint32_t trace = abc.qname("", "trace");
    code.op(Op::GetLocal0).op(Op::PushScope);
    build(abc, code, trace);
    code.op(Op::ReturnVoid);
    abc.script(abc.method(0, code, {8, 3, 0, 2}), {});
    QStringList lines;
    Runtime rt;
    rt.onTrace = [&lines](const QString &line) { lines << line; };
    QString error;
    if (!rt.loadAbc(abc.bytes(), false, &error))
        lines << "refused: " + error;
    return lines;
}

bool near(double a, double b) { return std::abs(a - b) < 1e-9; }

} // namespace

class TestAvm2Geom : public QObject {
    Q_OBJECT

private slots:
    void rectangleArithmetic_data();
    void rectangleArithmetic();
    void matrixInvert_data();
    void matrixInvert();
    void colorTransformMaths();
    void texts_data();
    void texts();
    void fromScripts();
    void pointAndRectangleMethods();
    void nullArguments();
    void transformCopies();
    void spaces();
    void hitTests();
    void filterDefaults_data();
    void filterDefaults();
    void filterArrays();
    void filtersReachTheEngine();
    void glowIsDrawn();
};

void TestAvm2Geom::rectangleArithmetic_data()
{
    QTest::addColumn<Rect>("r");
    QTest::addColumn<Rect>("s");
    QTest::addColumn<Rect>("intersection");
    QTest::addColumn<Rect>("unionRect");
    QTest::newRow("overlap") << Rect{0, 0, 10, 10} << Rect{5, 5, 10, 10} << Rect{5, 5, 5, 5} << Rect{0, 0, 15, 15};
    QTest::newRow("apart") << Rect{0, 0, 10, 10} << Rect{20, 0, 5, 5} << Rect{} << Rect{0, 0, 25, 10};
    // Touching edges share no area.
    QTest::newRow("touching") << Rect{0, 0, 10, 10} << Rect{10, 0, 5, 5} << Rect{} << Rect{0, 0, 15, 10};
    // An empty side leaves the other as it is, wherever the empty one lies.
    QTest::newRow("empty first") << Rect{-50, -50, 0, 5} << Rect{1, 2, 3, 4} << Rect{} << Rect{1, 2, 3, 4};
    QTest::newRow("empty second") << Rect{1, 2, 3, 4} << Rect{100, 100, -5, 5} << Rect{} << Rect{1, 2, 3, 4};
    QTest::newRow("inside") << Rect{0, 0, 10, 10} << Rect{2, 2, 2, 2} << Rect{2, 2, 2, 2} << Rect{0, 0, 10, 10};
}

void TestAvm2Geom::rectangleArithmetic()
{
    QFETCH(Rect, r);
    QFETCH(Rect, s);
    QFETCH(Rect, intersection);
    QFETCH(Rect, unionRect);
    const auto same = [](const Rect &a, const Rect &b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    };
    QVERIFY(same(geom::Intersection(r, s), intersection));
    QVERIFY(same(geom::Intersection(s, r), intersection));
    QVERIFY(same(geom::Union(r, s), unionRect));
}

void TestAvm2Geom::matrixInvert_data()
{
    QTest::addColumn<Affine>("m");
    QTest::addColumn<Affine>("inverse");
    QTest::newRow("identity") << Affine{} << Affine{};
    QTest::newRow("scale and move") << Affine{2, 0, 0, 4, 10, 20} << Affine{0.5, 0, 0, 0.25, -5, -5};
    QTest::newRow("rotation") << Affine{0, 1, -1, 0, 0, 0} << Affine{0, -1, 1, 0, 0, 0};
    QTest::newRow("flat") << Affine{1, 2, 2, 4, 7, 8} << Affine{0, 0, 0, 0, -7, -8};
    QTest::newRow("zero") << Affine{0, 0, 0, 0, 5, 5} << Affine{0, 0, 0, 0, -5, -5};
    QTest::newRow("NaN") << Affine{qQNaN(), 0, 0, 1, 0, 0} << Affine{0, 0, 0, 0, 0, 0};
}

void TestAvm2Geom::matrixInvert()
{
    QFETCH(Affine, m);
    QFETCH(Affine, inverse);
    const Affine got = geom::Inverted(m);
    QVERIFY(near(got.a, inverse.a) && near(got.b, inverse.b) && near(got.c, inverse.c) && near(got.d, inverse.d));
    QVERIFY(near(got.tx, inverse.tx) && near(got.ty, inverse.ty));
}

void TestAvm2Geom::colorTransformMaths()
{
    // second applies first: (c * 2 + 10) * 0.5 + 1.
    const ColorTerms first{0.5, 1, 1, 1, 1, 0, 0, 0};
    const ColorTerms second{2, 1, 1, 1, 10, 0, 0, 0};
    const ColorTerms t = geom::Concat(first, second);
    QCOMPARE(t.redMultiplier, 1.0);
    QCOMPARE(t.redOffset, 6.0);
    ColorTerms c;
    geom::SetColor(c, 0x123456);
    QCOMPARE(geom::ColorOf(c), 0x123456u);
    QCOMPARE(c.redMultiplier, 0.0);
    QCOMPARE(c.alphaMultiplier, 1.0);
    // The engine keeps 256ths and clamps what it cannot hold.
    const swf::ColorTransform e = geom::ToEngine({0.5, 1e9, qQNaN(), 1, -300, 0, 0, 255});
    QCOMPARE(e.redMult, 128);
    QCOMPARE(e.greenMult, 32767);
    QCOMPARE(e.blueMult, 0);
    QCOMPARE(e.redAdd, -300);
    QCOMPARE(geom::FromEngine(e).redMultiplier, 0.5);
}

void TestAvm2Geom::texts_data()
{
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QList<double>>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("point") << "flash.geom::Point" << QList<double>{1, 2} << "(x=1, y=2)";
    QTest::newRow("point default") << "flash.geom::Point" << QList<double>{} << "(x=0, y=0)";
    QTest::newRow("negative zero") << "flash.geom::Point" << QList<double>{-0.0, -1.5} << "(x=0, y=-1.5)";
    QTest::newRow("fraction") << "flash.geom::Point" << QList<double>{0.1 + 0.2, 1e21}
                              << "(x=0.30000000000000004, y=1e+21)";
    QTest::newRow("rectangle") << "flash.geom::Rectangle" << QList<double>{0, 0, 10, 10} << "(x=0, y=0, w=10, h=10)";
    QTest::newRow("matrix") << "flash.geom::Matrix" << QList<double>{} << "(a=1, b=0, c=0, d=1, tx=0, ty=0)";
    QTest::newRow("colour") << "flash.geom::ColorTransform" << QList<double>{0.5}
                            << "(redMultiplier=0.5, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
                               "redOffset=0, greenOffset=0, blueOffset=0, alphaOffset=0)";
}

void TestAvm2Geom::texts()
{
    QFETCH(QString, cls);
    QFETCH(QList<double>, args);
    QFETCH(QString, expected);
    Fixture f;
    std::vector<Value> list;
    for (double a : args)
        list.push_back(Value::number(a));
    const Value object = f.rt.construct(Value(static_cast<Object *>(f.rt.findClass(cls))),
                                        Args{list.data(), int(list.size())});
    QCOMPARE(f.text(f.call(object, "toString")), expected);
    if (!cls.endsWith(QLatin1String("ColorTransform")))
        QCOMPARE(f.text(f.call(f.call(object, "clone"), "toString")), expected);
}

void TestAvm2Geom::fromScripts()
{
    using namespace AbcWriter;
    const QStringList lines = runScript([](Abc &abc, Code &code, uint32_t trace) {
        const uint32_t point = abc.qname("flash.geom", "Point"), matrix = abc.qname("flash.geom", "Matrix");
        const uint32_t glow = abc.qname("flash.filters", "GlowFilter");
        // trace(new Point(1, 2).add(new Point(0.5, -1)))
        code.op(Op::FindPropStrict, {trace});
        code.op(Op::FindPropStrict, {point}).op(Op::PushByte, {1}).op(Op::PushByte, {2});
        code.op(Op::ConstructProp, {point, 2});
        code.op(Op::FindPropStrict, {point}).op(Op::PushDouble, {abc.number(0.5)}).op(Op::PushDouble, {abc.number(-1)});
        code.op(Op::ConstructProp, {point, 2});
        code.op(Op::CallProperty, {abc.qname("", "add"), 1}).op(Op::CallPropVoid, {trace, 1});
        // var m = new Matrix(); m.rotate(Math.PI / 2); trace(m)
        code.op(Op::FindPropStrict, {matrix}).op(Op::ConstructProp, {matrix, 0}).op(Op::SetLocal1);
        code.op(Op::GetLocal1).op(Op::PushDouble, {abc.number(M_PI / 2)});
        code.op(Op::CallPropVoid, {abc.qname("", "rotate"), 1});
        code.op(Op::FindPropStrict, {trace}).op(Op::GetLocal1).op(Op::CallPropVoid, {trace, 1});
        // trace(new GlowFilter(0x336699).clone().color)
        code.op(Op::FindPropStrict, {trace});
        code.op(Op::FindPropStrict, {glow}).op(Op::PushInt, {abc.integer(0x336699)}).op(Op::ConstructProp, {glow, 1});
        code.op(Op::CallProperty, {abc.qname("", "clone"), 0}).op(Op::GetProperty, {abc.qname("", "color")});
        code.op(Op::CallPropVoid, {trace, 1});
        // trace(Point.polar(2, 0))
        code.op(Op::FindPropStrict, {trace}).op(Op::GetLex, {point});
        code.op(Op::PushByte, {2}).op(Op::PushByte, {0}).op(Op::CallProperty, {abc.qname("", "polar"), 2});
        code.op(Op::CallPropVoid, {trace, 1});
    });
    QCOMPARE(lines, QStringList({"(x=1.5, y=1)", "(a=6.123233995736766e-17, b=1, c=-1, d=6.123233995736766e-17, tx=0, ty=0)",
                                 QString::number(0x336699), "(x=2, y=0)"}));
}

void TestAvm2Geom::pointAndRectangleMethods()
{
    Fixture f;
    const Value p = f.make("flash.geom::Point", {Value(3), Value(4)});
    QCOMPARE(f.number(p, "length"), 5.0);
    f.call(p, "normalize", {Value(10)});
    QCOMPARE(f.text(p), QStringLiteral("(x=6, y=8)"));
    const Value q = f.callStatic("flash.geom::Point", "interpolate",
                                 {f.make("flash.geom::Point", {Value(10), Value(0)}), f.make("flash.geom::Point"),
                                  Value(0.25)});
    QCOMPARE(f.text(q), QStringLiteral("(x=2.5, y=0)"));
    QCOMPARE(f.rt.toNumber(f.callStatic("flash.geom::Point", "distance", {p, f.make("flash.geom::Point")})), 10.0);

    const Value r = f.make("flash.geom::Rectangle", {Value(10), Value(10), Value(20), Value(20)});
    // Moving the left edge keeps the right one.
    f.set(r, "left", Value(5));
    QCOMPARE(f.text(r), QStringLiteral("(x=5, y=10, w=25, h=20)"));
    f.set(r, "bottomRight", f.make("flash.geom::Point", {Value(40), Value(40)}));
    QCOMPARE(f.text(r), QStringLiteral("(x=5, y=10, w=35, h=30)"));
    QVERIFY(f.call(r, "contains", {Value(5), Value(10)}).asBool());
    QVERIFY(!f.call(r, "contains", {Value(40), Value(40)}).asBool());
    f.call(r, "inflate", {Value(1), Value(2)});
    QCOMPARE(f.text(r), QStringLiteral("(x=4, y=8, w=37, h=34)"));
    // The points a rectangle hands out are copies.
    f.set(f.get(r, "topLeft"), "x", Value(100));
    QCOMPARE(f.number(r, "x"), 4.0);
    f.call(r, "setEmpty");
    QVERIFY(f.call(r, "isEmpty").asBool());
    QCOMPARE(f.text(f.call(r, "union", {f.make("flash.geom::Rectangle", {Value(1), Value(1), Value(2), Value(2)})})),
             QStringLiteral("(x=1, y=1, w=2, h=2)"));

    const Value m = f.make("flash.geom::Matrix");
    f.call(m, "scale", {Value(2), Value(2)});
    f.call(m, "translate", {Value(5), Value(0)});
    QCOMPARE(f.text(f.call(m, "transformPoint", {f.make("flash.geom::Point", {Value(1), Value(1)})})),
             QStringLiteral("(x=7, y=2)"));
    QCOMPARE(f.text(f.call(m, "deltaTransformPoint", {f.make("flash.geom::Point", {Value(1), Value(1)})})),
             QStringLiteral("(x=2, y=2)"));
    f.call(m, "createGradientBox", {Value(1638.4), Value(1638.4)});
    QCOMPARE(f.text(m), QStringLiteral("(a=1, b=0, c=0, d=1, tx=819.2, ty=819.2)"));

    const Value c = f.make("flash.geom::ColorTransform");
    f.set(c, "color", Value(0xFF8000));
    QCOMPARE(f.number(c, "color"), double(0xFF8000));
    QCOMPARE(f.number(c, "greenOffset"), 128.0);
}

void TestAvm2Geom::nullArguments()
{
    Fixture f;
    const Value p = f.make("flash.geom::Point");
    QCOMPARE(f.errorOf([&] { f.call(p, "add", {Value::null()}); }),
             QStringLiteral("TypeError: Error #1009: Cannot access a property or method of a null object reference."));
    const Value r = f.make("flash.geom::Rectangle");
    QVERIFY(f.errorOf([&] { f.call(r, "union", {Value("x")}); }).startsWith("TypeError: Error #1034"));
    const Value sprite = f.make("flash.display::Sprite");
    QCOMPARE(f.errorOf([&] { f.set(f.get(sprite, "transform"), "matrix", Value::null()); }),
             QStringLiteral("TypeError: Error #2007: Parameter value must be non-null."));
    QCOMPARE(f.errorOf([&] { f.set(sprite, "filters", f.array({Value(1)})); }),
             QStringLiteral("ArgumentError: Error #2005: Parameter 0 is of the incorrect type. Should be type Filter."));
}

void TestAvm2Geom::transformCopies()
{
    Fixture f;
    const Value sprite = f.make("flash.display::Sprite");
    f.set(sprite, "x", Value(10));
    const Value transform = f.get(sprite, "transform");
    const Value matrix = f.get(transform, "matrix");
    QCOMPARE(f.text(matrix), QStringLiteral("(a=1, b=0, c=0, d=1, tx=10, ty=0)"));
    // Changing the copy changes nothing until it is set back.
    f.call(matrix, "scale", {Value(2), Value(3)});
    QCOMPARE(f.number(sprite, "scaleX"), 1.0);
    f.set(transform, "matrix", matrix);
    QCOMPARE(f.number(sprite, "scaleX"), 2.0);
    QCOMPARE(f.number(sprite, "x"), 20.0);
    const Value colour = f.make("flash.geom::ColorTransform", {Value(1), Value(1), Value(1), Value(0.5)});
    f.set(transform, "colorTransform", colour);
    QCOMPARE(f.number(sprite, "alpha"), 0.5);
    QCOMPARE(f.node(sprite).cxform.alphaMult, 128);
    // Setting a transform takes the other object's matrix and colours.
    const Value other = f.make("flash.display::Sprite");
    f.set(other, "transform", transform);
    QCOMPARE(f.number(other, "scaleY"), 3.0);
    QCOMPARE(f.number(other, "alpha"), 0.5);
}

void TestAvm2Geom::spaces()
{
    Fixture f;
    const Value root = f.root();
    const Value outer = f.square(root, 100, 50, 10);
    f.set(outer, "scaleX", Value(2));
    const Value inner = f.square(outer, 10, 10, 10);
    const Value local = f.make("flash.geom::Point", {Value(1), Value(1)});
    const Value global = f.call(inner, "localToGlobal", {local});
    QCOMPARE(f.text(global), QStringLiteral("(x=122, y=61)"));
    QCOMPARE(f.text(f.call(inner, "globalToLocal", {global})), QStringLiteral("(x=1, y=1)"));
    QCOMPARE(f.text(f.call(inner, "getBounds", {root})), QStringLiteral("(x=120, y=60, w=20, h=10)"));
    QCOMPARE(f.text(f.call(inner, "getBounds", {inner})), QStringLiteral("(x=0, y=0, w=10, h=10)"));
    QCOMPARE(f.text(f.call(outer, "getBounds", {outer})), QStringLiteral("(x=0, y=0, w=20, h=20)"));
    QCOMPARE(f.text(f.get(f.get(inner, "transform"), "concatenatedMatrix")),
             QStringLiteral("(a=2, b=0, c=0, d=1, tx=120, ty=60)"));
    QCOMPARE(f.text(f.get(f.get(inner, "transform"), "pixelBounds")), QStringLiteral("(x=120, y=60, w=20, h=10)"));
    // getRect leaves strokes out; getBounds takes them in.
    const Value lined = f.make("flash.display::Shape");
    f.call(f.get(lined, "graphics"), "lineStyle", {Value(10)});
    f.call(f.get(lined, "graphics"), "beginFill", {Value(0)});
    f.call(f.get(lined, "graphics"), "drawRect", {Value(0), Value(0), Value(10), Value(10)});
    QCOMPARE(f.text(f.call(lined, "getRect", {lined})), QStringLiteral("(x=0, y=0, w=10, h=10)"));
    QVERIFY(f.number(f.call(lined, "getBounds", {lined}), "width") > 10);
    // Off the display list, an object stands where its own matrix and its
    // parents' put it.
    const Value loose = f.make("flash.display::Sprite");
    f.set(loose, "x", Value(10));
    const Value child = f.make("flash.display::Sprite");
    f.set(child, "y", Value(5));
    f.call(loose, "addChild", {child});
    QCOMPARE(f.text(f.call(child, "localToGlobal", {f.make("flash.geom::Point")})), QStringLiteral("(x=10, y=5)"));
    // The scroll rectangle is kept in twips and read back as a copy.
    QVERIFY(f.get(outer, "scrollRect").isNull());
    f.set(outer, "scrollRect", f.make("flash.geom::Rectangle", {Value(1.5), Value(2), Value(qInf()), Value(-4)}));
    QCOMPARE(*f.node(outer).scrollRect, QRectF(30, 40, 0, 0));
    QCOMPARE(f.text(f.get(outer, "scrollRect")), QStringLiteral("(x=1.5, y=2, w=0, h=0)"));
    f.set(outer, "scrollRect", Value::null());
    QVERIFY(!f.node(outer).scrollRect);
    // Nothing drawn: an empty rectangle.
    QCOMPARE(f.text(f.call(f.make("flash.display::Sprite"), "getBounds", {root})),
             QStringLiteral("(x=0, y=0, w=0, h=0)"));
}

void TestAvm2Geom::hitTests()
{
    Fixture f;
    const Value root = f.root();
    const Value a = f.square(root, 0, 0, 10);
    const Value b = f.square(root, 5, 5, 10);
    const Value c = f.square(root, 50, 50, 10);
    QVERIFY(f.call(a, "hitTestObject", {b}).asBool());
    QVERIFY(!f.call(a, "hitTestObject", {c}).asBool());
    // A circle: its bounds' corner is in the bounds, not in the shape.
    const Value circle = f.make("flash.display::Sprite");
    f.call(f.get(circle, "graphics"), "beginFill", {Value(0)});
    f.call(f.get(circle, "graphics"), "drawCircle", {Value(100), Value(100), Value(50)});
    f.call(root, "addChild", {circle});
    QVERIFY(f.call(circle, "hitTestPoint", {Value(55), Value(55), Value(false)}).asBool());
    QVERIFY(!f.call(circle, "hitTestPoint", {Value(55), Value(55), Value(true)}).asBool());
    QVERIFY(f.call(circle, "hitTestPoint", {Value(100), Value(100), Value(true)}).asBool());
    QVERIFY(!f.call(circle, "hitTestPoint", {Value(qQNaN()), Value(100), Value(true)}).asBool());
}

void TestAvm2Geom::filterDefaults_data()
{
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blur") << "BlurFilter" << "blurX" << "4";
    QTest::newRow("blur quality") << "BlurFilter" << "quality" << "1";
    QTest::newRow("glow colour") << "GlowFilter" << "color" << "16711680";
    QTest::newRow("glow blur") << "GlowFilter" << "blurY" << "6";
    QTest::newRow("glow strength") << "GlowFilter" << "strength" << "2";
    QTest::newRow("shadow angle") << "DropShadowFilter" << "angle" << "45";
    QTest::newRow("shadow distance") << "DropShadowFilter" << "distance" << "4";
    QTest::newRow("shadow hides") << "DropShadowFilter" << "hideObject" << "false";
    QTest::newRow("bevel highlight") << "BevelFilter" << "highlightColor" << "16777215";
    QTest::newRow("bevel type") << "BevelFilter" << "type" << "inner";
    QTest::newRow("convolution divisor") << "ConvolutionFilter" << "divisor" << "1";
    QTest::newRow("convolution alpha") << "ConvolutionFilter" << "alpha" << "0";
    QTest::newRow("convolution keeps alpha") << "ConvolutionFilter" << "preserveAlpha" << "true";
    QTest::newRow("colour matrix") << "ColorMatrixFilter" << "matrix" << "1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0";
}

void TestAvm2Geom::filterDefaults()
{
    QFETCH(QString, cls);
    QFETCH(QString, property);
    QFETCH(QString, expected);
    Fixture f;
    const Value filter = f.rt.construct(Value(static_cast<Object *>(f.rt.findClass("flash.filters::" + cls))), Args{});
    QCOMPARE(f.text(f.get(filter, property.toLatin1().constData())), expected);
    QCOMPARE(f.text(f.get(f.call(filter, "clone"), property.toLatin1().constData())), expected);
}

void TestAvm2Geom::filterArrays()
{
    Fixture f;
    // A kernel holds matrixX by matrixY numbers, padded with 0 or cut.
    const Value kernel = f.array({Value(1), Value(2), Value(3)});
    const Value convolution = f.make("flash.filters::ConvolutionFilter", {Value(2), Value(2), kernel});
    QCOMPARE(f.text(f.get(convolution, "matrix")), QStringLiteral("1,2,3,0"));
    f.set(convolution, "matrixX", Value(1));
    QCOMPARE(f.text(f.get(convolution, "matrix")), QStringLiteral("1,2"));
    f.set(convolution, "matrixY", Value(1000));
    QCOMPARE(f.number(convolution, "matrixY"), 15.0);
    // The array read is a copy.
    f.rt.setKeyed(f.get(convolution, "matrix"), Value(0), f.rt.publicName(QString()), Value(9));
    QCOMPARE(f.text(f.get(convolution, "matrix")).left(2), QStringLiteral("1,"));
    const Value colour = f.make("flash.filters::ColorMatrixFilter", {f.array({Value(0.5), Value(2)})});
    QCOMPARE(f.text(f.get(colour, "matrix")), QStringLiteral("0.5,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"));
    QVERIFY(f.errorOf([&] { f.set(colour, "matrix", Value(3)); }).startsWith("TypeError: Error #1034"));
    const Value sprite = f.make("flash.display::Sprite");
    f.set(sprite, "filters", f.array({convolution, colour}));
    QCOMPARE(f.node(sprite).filters->at(0).kernel.size(), size_t(15));
    QCOMPARE(f.node(sprite).filters->at(1).colorMatrix[0], 0.5f);
    QCOMPARE(f.text(f.get(f.rt.getKeyed(f.get(sprite, "filters"), Value(1), f.rt.publicName(QString())), "matrix")),
             QStringLiteral("0.5,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"));
    // Gradient colours keep their low 24 bits; ratios stay within 0..255.
    const Value gradient = f.make("flash.filters::GradientGlowFilter",
                                  {Value(0), Value(0), f.array({Value(-1), Value(0x0000FF)}),
                                   f.array({Value(1), Value(0.5)}), f.array({Value(-5), Value(300)})});
    QCOMPARE(f.text(f.get(gradient, "colors")), QStringLiteral("16777215,255"));
    QCOMPARE(f.text(f.get(gradient, "ratios")), QStringLiteral("0,255"));
    f.set(sprite, "filters", f.array({gradient}));
    QCOMPARE(f.node(sprite).filters->at(0).gradient.size(), 2);
    const Value back = f.rt.getKeyed(f.get(sprite, "filters"), Value(0), f.rt.publicName(QString()));
    QVERIFY(f.rt.isType(back, f.rt.builtin("flash.filters::GradientGlowFilter")));
    QCOMPARE(f.text(f.get(back, "colors")), QStringLiteral("16777215,255"));
}

void TestAvm2Geom::filtersReachTheEngine()
{
    Fixture f;
    const Value sprite = f.make("flash.display::Sprite");
    // Arguments go through the setters: clamped as they are.
    const Value glow = f.make("flash.filters::GlowFilter", {Value(0x00FF00), Value(0.5), Value(1000), Value(8)});
    QCOMPARE(f.number(glow, "blurX"), 255.0);
    const Value blur = f.make("flash.filters::BlurFilter", {Value(2), Value(3), Value(99)});
    QCOMPARE(f.number(blur, "quality"), 15.0);
    f.set(sprite, "filters", f.array({glow, blur}));
    const swf::DisplayObject &node = f.node(sprite);
    QVERIFY(node.filters);
    QCOMPARE(int(node.filters->size()), 2);
    QCOMPARE(node.filters->at(0).type, swf::Filter::Glow);
    QCOMPARE(node.filters->at(0).color.green(), 255);
    QCOMPARE(node.filters->at(0).blurY, 8.0);
    QCOMPARE(node.filters->at(1).passes, 15);
    // Reading gives new objects of the same classes.
    const Value read = f.get(sprite, "filters");
    QCOMPARE(f.number(read, "length"), 2.0);
    const Value first = f.rt.getKeyed(read, Value(0), f.rt.publicName(QString()));
    QVERIFY(first.asObject() != glow.asObject());
    QVERIFY(f.rt.isType(first, f.rt.builtin("flash.filters::GlowFilter")));
    QCOMPARE(f.number(first, "color"), double(0x00FF00));
    // Changing a copy changes nothing; null clears.
    f.set(first, "blurY", Value(1));
    QCOMPARE(node.filters->at(0).blurY, 8.0);
    f.set(sprite, "filters", Value::null());
    QVERIFY(!f.node(sprite).filters);
    QCOMPARE(f.number(f.get(sprite, "filters"), "length"), 0.0);
}

void TestAvm2Geom::glowIsDrawn()
{
    Fixture f;
    const Value root = f.root();
    const Value sprite = f.square(root, 20, 20, 20);
    constexpr QSize Picture(60, 60);
    const auto draw = [&] {
        swf::MovieDef movieDef;
        QImage image(Picture, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        swf::Renderer renderer(movieDef);
        renderer.render(image, f.player.root(), QTransform::fromScale(0.05, 0.05));
        return image;
    };
    const QPoint beside(17, 30);
    QCOMPARE(draw().pixelColor(beside), QColor(Qt::white));
    QCOMPARE(draw().pixelColor(30, 30), QColor(Qt::blue));
    f.set(sprite, "filters",
          f.array({f.make("flash.filters::GlowFilter", {Value(0xFF0000), Value(1), Value(8), Value(8)})}));
    const QColor glow = draw().pixelColor(beside);
    // Red glow over white: red stays, green and blue fall.
    constexpr int Tolerance = 3;
    QVERIFY2(glow.red() >= 255 - Tolerance && glow.green() < 255 - 20, qPrintable(glow.name()));
    QVERIFY(qAbs(draw().pixelColor(30, 30).blue() - 255) <= Tolerance);
}

QTEST_MAIN(TestAvm2Geom)
#include "tst_avm2_geom.moc"
