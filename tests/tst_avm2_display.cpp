// The ActionScript 3 display and event classes, driven from C++ on a movie's
// virtual machine: event dispatch through the display list, children by
// index, vector drawing into the engine's Drawing, text fields, and the
// frame's broadcasts and frame scripts.
#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"
#include "swf/TextFieldState.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"

#include <QtTest>

using namespace swf::avm2;

namespace {

QStringList g_log;

// A listener that writes "name:phase" of the object it hears the event on.
Value logListener(Runtime &rt, const Value &, Args args)
{
    const Value current = rt.get(args[0], QStringLiteral("currentTarget"));
    g_log << rt.toString(rt.get(current, QStringLiteral("name"))) + u':' +
                 rt.toString(rt.get(args[0], QStringLiteral("eventPhase")));
    return Value();
}

Value stopListener(Runtime &rt, const Value &, Args args)
{
    g_log << QStringLiteral("stop");
    rt.callProperty(args[0], rt.publicName(QStringLiteral("stopImmediatePropagation")), Args{});
    return Value();
}

Value typeListener(Runtime &rt, const Value &, Args args)
{
    g_log << rt.toString(rt.get(args[0], QStringLiteral("type")));
    return Value();
}

Value thisListener(Runtime &rt, const Value &self, Args)
{
    g_log << QStringLiteral("script ") + rt.toString(rt.get(self, QStringLiteral("name")));
    return Value();
}

class Fixture {
public:
    Fixture() : movie(player), rt(movie.runtime()) { g_log.clear(); }

    Value make(const char *cls, std::initializer_list<Value> args = {})
    {
        const std::vector<Value> list(args);
        return rt.construct(Value(static_cast<Object *>(rt.builtin(cls))), Args{list.data(), int(list.size())});
    }
    Value named(const char *cls, const char *name)
    {
        const Value object = make(cls);
        rt.set(object, QStringLiteral("name"), Value(name));
        return object;
    }
    Value call(const Value &object, const char *method, std::initializer_list<Value> args = {})
    {
        const std::vector<Value> list(args);
        return rt.callProperty(object, rt.publicName(QString::fromLatin1(method)), Args{list.data(), int(list.size())});
    }
    Value get(const Value &object, const char *name) { return rt.get(object, QString::fromLatin1(name)); }
    Value fn(NativeFn f) { return Value(static_cast<Object *>(rt.newNativeFunction(f, QStringLiteral("f"), 1))); }
    // The error a call throws, as the player prints it.
    QString errorOf(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const Exception &e) {
            return rt.toString(e.value);
        }
        return QString();
    }
    swf::DisplayObject &node(const Value &v) { return static_cast<DisplayObjectNative *>(v.asObject())->node(); }
    // A sprite standing for the document class's instance: the root, on the stage.
    Value root()
    {
        const Value object = make("flash.display::MovieClip");
        movie.bindRoot(*static_cast<DisplayObjectNative *>(object.asObject()));
        rt.set(object, QStringLiteral("name"), Value("root1"));
        return object;
    }

    swf::MoviePlayer player;
    As3Movie movie;
    Runtime &rt;
};

} // namespace

class TestAvm2Display : public QObject {
    Q_OBJECT

private slots:
    void eventText_data();
    void eventText();
    void dispatchPhases();
    void stopsAndPriorities();
    void childrenByIndex();
    void childErrors();
    void addedEvents();
    void drawing();
    void geometry();
    void textField();
    void frameBroadcasts();
    void pointerAndKeys();
    void stageChildren();
    void documentClassIsRoot();
};

void TestAvm2Display::eventText_data()
{
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QString>("expected");
    QTest::newRow("event") << "flash.events::Event"
                           << R"([Event type="x" bubbles=false cancelable=false eventPhase=2])";
    QTest::newRow("mouse") << "flash.events::MouseEvent"
                           << R"([MouseEvent type="x" bubbles=true cancelable=false eventPhase=2 localX=NaN )"
                              R"(localY=NaN stageX=NaN stageY=NaN relatedObject=null ctrlKey=false altKey=false )"
                              R"(shiftKey=false buttonDown=false delta=0])";
    QTest::newRow("keyboard") << "flash.events::KeyboardEvent"
                              << R"([KeyboardEvent type="x" bubbles=true cancelable=false eventPhase=2 charCode=0 )"
                                 R"(keyCode=0 keyLocation=0 ctrlKey=false altKey=false shiftKey=false])";
}

void TestAvm2Display::eventText()
{
    QFETCH(QString, cls);
    QFETCH(QString, expected);
    Fixture f;
    const Value event = f.make(cls.toLatin1().constData(), {Value("x")});
    QCOMPARE(f.rt.toString(f.call(event, "toString")), expected);
    // A clone is of the same class, with the same fields.
    QCOMPARE(f.rt.toString(f.call(f.call(event, "clone"), "toString")), expected);
}

void TestAvm2Display::dispatchPhases()
{
    Fixture f;
    const Value outer = f.named("flash.display::Sprite", "outer");
    const Value inner = f.named("flash.display::Sprite", "inner");
    f.call(outer, "addChild", {inner});
    f.call(outer, "addEventListener", {Value("ping"), f.fn(logListener), Value(true)});
    f.call(outer, "addEventListener", {Value("ping"), f.fn(logListener)});
    f.call(inner, "addEventListener", {Value("ping"), f.fn(logListener)});
    f.call(inner, "dispatchEvent", {f.make("flash.events::Event", {Value("ping"), Value(true)})});
    QCOMPARE(g_log, QStringList({"outer:1", "inner:2", "outer:3"}));
    g_log.clear();
    // Without bubbling only the capture phase and the target hear it.
    f.call(inner, "dispatchEvent", {f.make("flash.events::Event", {Value("ping")})});
    QCOMPARE(g_log, QStringList({"outer:1", "inner:2"}));
    QVERIFY(f.rt.toBoolean(f.call(inner, "willTrigger", {Value("ping")})));
    QVERIFY(!f.rt.toBoolean(f.call(inner, "hasEventListener", {Value("pong")})));
}

void TestAvm2Display::stopsAndPriorities()
{
    Fixture f;
    const Value target = f.named("flash.display::Sprite", "t");
    f.call(target, "addEventListener", {Value("go"), f.fn(logListener), Value(false), Value(0)});
    f.call(target, "addEventListener", {Value("go"), f.fn(stopListener), Value(false), Value(5)});
    f.call(target, "dispatchEvent", {f.make("flash.events::Event", {Value("go")})});
    QCOMPARE(g_log, QStringList({"stop"}));
    g_log.clear();
    // The same listener twice counts once; removing it leaves the other.
    const Value listener = f.fn(typeListener);
    f.call(target, "addEventListener", {Value("other"), listener});
    f.call(target, "addEventListener", {Value("other"), listener});
    f.call(target, "dispatchEvent", {f.make("flash.events::Event", {Value("other")})});
    QCOMPARE(g_log, QStringList({"other"}));
    f.call(target, "removeEventListener", {Value("other"), listener});
    QVERIFY(!f.rt.toBoolean(f.call(target, "hasEventListener", {Value("other")})));
}

void TestAvm2Display::childrenByIndex()
{
    Fixture f;
    const Value parent = f.named("flash.display::Sprite", "p");
    const Value a = f.named("flash.display::Sprite", "a"), b = f.named("flash.display::Shape", "b"),
                c = f.named("flash.display::Sprite", "c");
    f.call(parent, "addChild", {a});
    f.call(parent, "addChild", {c});
    f.call(parent, "addChildAt", {b, Value(1)});
    const auto names = [&] {
        QStringList list;
        const int count = f.rt.toInt(f.get(parent, "numChildren"));
        for (int i = 0; i < count; ++i)
            list << f.rt.toString(f.get(f.call(parent, "getChildAt", {Value(i)}), "name"));
        return list;
    };
    QCOMPARE(names(), QStringList({"a", "b", "c"}));
    f.call(parent, "setChildIndex", {c, Value(0)});
    QCOMPARE(names(), QStringList({"c", "a", "b"}));
    f.call(parent, "swapChildren", {c, b});
    QCOMPARE(names(), QStringList({"b", "a", "c"}));
    QCOMPARE(f.rt.toInt(f.call(parent, "getChildIndex", {a})), 1);
    QVERIFY(f.call(parent, "getChildByName", {Value("c")}).asObject() == c.asObject());
    QVERIFY(f.get(a, "parent").asObject() == parent.asObject());
    f.call(parent, "removeChild", {a});
    QCOMPARE(names(), QStringList({"b", "c"}));
    QVERIFY(f.get(a, "parent").isNull());
    // Moving a child to another parent takes it from the first.
    const Value other = f.named("flash.display::Sprite", "o");
    f.call(other, "addChild", {c});
    QCOMPARE(names(), QStringList({"b"}));
    QVERIFY(f.rt.toBoolean(f.call(other, "contains", {c})));
}

void TestAvm2Display::childErrors()
{
    Fixture f;
    const Value a = f.make("flash.display::Sprite"), b = f.make("flash.display::Sprite");
    f.call(a, "addChild", {b});
    QCOMPARE(f.errorOf([&] { f.call(a, "addChild", {a}); }),
             "ArgumentError: Error #2024: An object cannot be added as a child of itself.");
    QVERIFY(f.errorOf([&] { f.call(b, "addChild", {a}); }).startsWith("ArgumentError: Error #2150"));
    QVERIFY(f.errorOf([&] { f.call(a, "getChildAt", {Value(5)}); }).startsWith("RangeError: Error #2006"));
    QVERIFY(f.errorOf([&] { f.call(b, "removeChild", {a}); }).startsWith("ArgumentError: Error #2025"));
    QVERIFY(f.errorOf([&] { f.call(a, "addChild", {Value::null()}); }).startsWith("TypeError: Error #2007"));
}

void TestAvm2Display::addedEvents()
{
    Fixture f;
    const Value root = f.root();
    const Value holder = f.named("flash.display::Sprite", "holder");
    const Value child = f.named("flash.display::Sprite", "child");
    for (const Value &object : {holder, child})
        for (const char *type : {"added", "addedToStage", "removed", "removedFromStage"})
            f.call(object, "addEventListener", {Value(type), f.fn(typeListener)});
    f.call(holder, "addChild", {child});
    QCOMPARE(g_log, QStringList({"added", "added"})); // the child's, then bubbling to holder
    g_log.clear();
    f.call(root, "addChild", {holder});
    QCOMPARE(g_log, QStringList({"added", "addedToStage", "addedToStage"}));
    QVERIFY(f.get(child, "stage").asObject() == f.movie.stage());
    QVERIFY(f.get(child, "root").asObject() == root.asObject());
    g_log.clear();
    f.call(root, "removeChild", {holder});
    QCOMPARE(g_log, QStringList({"removed", "removedFromStage", "removedFromStage"}));
    QVERIFY(f.get(child, "stage").isNull());
}

void TestAvm2Display::drawing()
{
    Fixture f;
    const Value sprite = f.make("flash.display::Sprite");
    const Value graphics = f.get(sprite, "graphics");
    QVERIFY(f.get(sprite, "graphics").asObject() == graphics.asObject());
    f.call(graphics, "beginFill", {Value(0xFF0000), Value(0.5)});
    f.call(graphics, "drawRect", {Value(10), Value(20), Value(30), Value(40)});
    f.call(graphics, "endFill");
    const swf::DisplayObject &node = f.node(sprite);
    QVERIFY(node.drawing && !node.drawing->isEmpty());
    QCOMPARE(node.drawing->bounds(), QRectF(200, 400, 600, 800));
    QCOMPARE(f.rt.toNumber(f.get(sprite, "width")), 30.0);
    QCOMPARE(f.rt.toNumber(f.get(sprite, "height")), 40.0);
    // Without a fill or a line style nothing is drawn.
    f.call(graphics, "drawCircle", {Value(0), Value(0), Value(5)});
    QCOMPARE(node.drawing->bounds().left(), 200.0);
    f.call(graphics, "lineStyle", {Value(0)});
    f.call(graphics, "drawCircle", {Value(0), Value(0), Value(5)});
    QVERIFY(node.drawing->bounds().left() <= -100.0);
    f.call(graphics, "clear");
    QVERIFY(node.drawing->isEmpty());
    // A child drawn on the root shows with the root's children.
    const Value root = f.root();
    const Value shape = f.make("flash.display::Shape");
    f.call(root, "addChild", {shape});
    QCOMPARE(int(f.player.root().children.size()), 1);
}

void TestAvm2Display::geometry()
{
    Fixture f;
    const Value sprite = f.make("flash.display::Sprite");
    f.call(f.get(sprite, "graphics"), "beginFill", {Value(0)});
    f.call(f.get(sprite, "graphics"), "drawRect", {Value(0), Value(0), Value(10), Value(10)});
    f.rt.set(sprite, QStringLiteral("x"), Value(12.5));
    f.rt.set(sprite, QStringLiteral("scaleX"), Value(2));
    f.rt.set(sprite, QStringLiteral("rotation"), Value(450));
    f.rt.set(sprite, QStringLiteral("alpha"), Value(0.5));
    QCOMPARE(f.rt.toNumber(f.get(sprite, "x")), 12.5);
    QCOMPARE(f.rt.toNumber(f.get(sprite, "scaleX")), 2.0);
    QCOMPARE(f.rt.toNumber(f.get(sprite, "rotation")), 90.0);
    QCOMPARE(f.rt.toNumber(f.get(sprite, "alpha")), 0.5);
    QCOMPARE(f.node(sprite).matrix.dx(), 250.0);
    f.rt.set(sprite, QStringLiteral("rotation"), Value(0));
    f.rt.set(sprite, QStringLiteral("width"), Value(40));
    QCOMPARE(f.rt.toNumber(f.get(sprite, "scaleX")), 4.0);
}

void TestAvm2Display::textField()
{
    Fixture f;
    const Value field = f.make("flash.text::TextField");
    f.rt.set(field, QStringLiteral("text"), Value("one\ntwo"));
    f.call(field, "appendText", {Value("!")});
    QCOMPARE(f.rt.toString(f.get(field, "text")), QString("one\rtwo!"));
    QCOMPARE(f.rt.toInt(f.get(field, "length")), 8);
    QCOMPARE(f.rt.toNumber(f.get(field, "width")), 100.0);
    f.rt.set(field, QStringLiteral("width"), Value(250));
    QCOMPARE(f.node(field).textField->bounds().width(), 5000.0);
    f.rt.set(field, QStringLiteral("textColor"), Value(0x336699));
    QCOMPARE(f.rt.toInt(f.get(field, "textColor")), 0x336699);
    const Value format = f.make("flash.text::TextFormat", {Value("_sans"), Value(20), Value(0xFF0000)});
    f.rt.set(field, QStringLiteral("defaultTextFormat"), format);
    QCOMPARE(f.rt.toNumber(f.get(f.get(field, "defaultTextFormat"), "size")), 20.0);
    QCOMPARE(f.rt.toString(f.get(f.get(field, "defaultTextFormat"), "font")), QString("_sans"));
    f.rt.set(field, QStringLiteral("autoSize"), Value("left"));
    QCOMPARE(f.rt.toString(f.get(field, "autoSize")), QString("left"));
}

void TestAvm2Display::frameBroadcasts()
{
    Fixture f;
    // enterFrame reaches objects off the display list too.
    const Value loose = f.named("flash.display::Sprite", "loose");
    for (const char *type : {"enterFrame", "exitFrame", "frameConstructed"})
        f.call(loose, "addEventListener", {Value(type), f.fn(typeListener)});
    const Value root = f.root();
    f.call(root, "addFrameScript", {Value(0), f.fn(thisListener)});
    f.movie.clipEnteredFrame(f.player.root(), 0);
    f.movie.advanceFrame();
    QCOMPARE(g_log, QStringList({"enterFrame", "frameConstructed", "script root1", "exitFrame"}));
}

void TestAvm2Display::pointerAndKeys()
{
    Fixture f;
    const Value root = f.root();
    const Value button = f.named("flash.display::Sprite", "button");
    f.call(f.get(button, "graphics"), "beginFill", {Value(0)});
    f.call(f.get(button, "graphics"), "drawRect", {Value(0), Value(0), Value(10), Value(10)});
    f.rt.set(button, QStringLiteral("x"), Value(100));
    f.call(root, "addChild", {button});
    for (const char *type : {"mouseDown", "mouseUp", "click"})
        f.call(root, "addEventListener", {Value(type), f.fn(typeListener)});
    // Pressed and released over the button: its events bubble up to the root.
    const QPointF over(105 * 20, 5 * 20);
    f.movie.pointerPressed(over);
    f.movie.pointerReleased(over);
    QCOMPARE(g_log, QStringList({"mouseDown", "mouseUp", "click"}));
    g_log.clear();
    // Released elsewhere: no click.
    f.movie.pointerPressed(over);
    f.movie.pointerReleased(QPointF(0, 0));
    QCOMPARE(g_log, QStringList({"mouseDown"}));
    g_log.clear();
    const Value stage(static_cast<Object *>(f.movie.stage()));
    f.call(stage, "addEventListener", {Value("keyDown"), f.fn(typeListener)});
    f.movie.keyChanged(true, 65, 97);
    QCOMPARE(g_log, QStringList({"keyDown"}));
}

void TestAvm2Display::stageChildren()
{
    Fixture f;
    const Value root = f.root();
    const Value stage(static_cast<Object *>(f.movie.stage()));
    const Value over = f.named("flash.display::Sprite", "over");
    const Value under = f.named("flash.display::Sprite", "under");
    f.call(root, "addChild", {under});
    f.call(stage, "addChild", {over});
    // The root comes first among the stage's children; the stage's own are drawn above the root's.
    QCOMPARE(f.rt.toInt(f.get(stage, "numChildren")), 2);
    QVERIFY(f.call(stage, "getChildAt", {Value(0)}).asObject() == root.asObject());
    QVERIFY(f.get(over, "parent").asObject() == stage.asObject());
    QCOMPARE(f.rt.toInt(f.get(root, "numChildren")), 1);
    QVERIFY(f.node(over).depth > f.node(under).depth);
    QVERIFY(f.get(over, "stage").asObject() == stage.asObject());
    QVERIFY(f.rt.toBoolean(f.call(stage, "contains", {under})));
    f.call(stage, "removeChild", {over});
    QCOMPARE(f.rt.toInt(f.get(stage, "numChildren")), 1);
    QVERIFY(f.get(over, "parent").isNull());
}

void TestAvm2Display::documentClassIsRoot()
{
    const QString movie = QStringLiteral("/work/shared/avm2-corpus/as3/Array/regress_733384/test.swf");
    QFile file(movie);
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("the ActionScript 3 corpus is not here");
    swf::MoviePlayer player;
    QVERIFY(player.load(file.readAll(), nullptr));
    QVERIFY(player.as3());
    DisplayObjectNative *root = player.as3()->rootObject();
    QVERIFY(root);
    QVERIFY(root->peek() == &player.root());
    Runtime &rt = player.as3()->runtime();
    const Value self(static_cast<Object *>(root));
    QVERIFY(rt.get(self, QStringLiteral("stage")).asObject() == player.as3()->stage());
    QCOMPARE(rt.toInt(rt.get(self, QStringLiteral("currentFrame"))), 1);
}

QTEST_GUILESS_MAIN(TestAvm2Display)
#include "tst_avm2_display.moc"
