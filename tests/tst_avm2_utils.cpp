// JSON, the flash.utils package functions and the timer queue, driven from
// C++ on a runtime of their own: no movie needed.
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"

#include <QtTest>

using namespace swf::avm2;

namespace {

// The value a call gives, as text, or the error it throws.
QString outcome(Runtime &rt, const std::function<Value()> &f)
{
    try {
        return rt.toString(f());
    } catch (const Exception &e) {
        return rt.toString(e.value);
    }
}

Value callStatic(Runtime &rt, const char *cls, const char *method, std::vector<Value> args)
{
    return rt.callProperty(Value(static_cast<Object *>(rt.builtin(cls))), rt.publicName(QString::fromLatin1(method)),
                           Args{args.data(), int(args.size())});
}

Value callUtil(Runtime &rt, const char *name, std::vector<Value> args)
{
    Multiname fn;
    fn.name = QString::fromLatin1(name);
    fn.namespaces.push_back(rt.namespaces.intern(NamespaceKind::Package, QStringLiteral("flash.utils")));
    Object *global = nullptr;
    if (!rt.lookupGlobal(fn, global))
        return Value();
    return rt.callProperty(Value(global), fn, Args{args.data(), int(args.size())});
}

// A Proxy subclass's overrides: every property reads as its name in
// capitals, calls answer with the name and the argument count.
Value proxyGet(Runtime &rt, const Value &, Args args) { return Value(rt.toString(args[0]).toUpper()); }
Value proxyCall(Runtime &rt, const Value &, Args args)
{
    return Value(rt.toString(args[0]) + QString::number(args.count - 1));
}

Class *proxySubclass(Runtime &rt)
{
    Class *proxy = rt.builtin("flash.utils::Proxy");
    Class *sub = rt.heap.make<Class>(rt.classClass);
    sub->name = QStringLiteral("Upper");
    sub->superClass = proxy;
    sub->creator = proxy->creator;
    sub->instanceTraits = proxy->instanceTraits;
    sub->prototypeObject = proxy->prototypeObject;
    sub->instanceInit = proxy->instanceInit;
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Namespace,
                                               QStringLiteral("http://www.adobe.com/2006/actionscript/flash/proxy"));
    sub->instanceTraits.bind(QStringLiteral("getProperty"), ns).method =
        rt.makeNativeMethod(proxyGet, QStringLiteral("getProperty"), 1);
    sub->instanceTraits.bind(QStringLiteral("callProperty"), ns).method =
        rt.makeNativeMethod(proxyCall, QStringLiteral("callProperty"), 1);
    return sub;
}

int g_calls = 0;
Value countCall(Runtime &, const Value &, Args)
{
    ++g_calls;
    return Value();
}

} // namespace

class TestAvm2Utils : public QObject {
    Q_OBJECT

private slots:
    void jsonRoundTrip_data();
    void jsonRoundTrip();
    void jsonStyle_data();
    void jsonStyle();
    void jsonDeepNestingIsRefused();
    void jsonCycleIsRefused();
    void qualifiedClassNames_data();
    void qualifiedClassNames();
    void definitionByName();
    void timersRunWhenDue();
    void timerCountsItsTicks();
    void proxyRoutesProperties();
};

void TestAvm2Utils::jsonRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString invalid = QStringLiteral("SyntaxError: Error #1132: Invalid JSON parse input.");
    QTest::newRow("nested") << R"({"a":[1,2,{"b":null}],"c":"x"})" << R"({"a":[1,2,{"b":null}],"c":"x"})";
    QTest::newRow("spaces") << " [ 1 ,\ttrue ,\r\nfalse ] " << "[1,true,false]";
    QTest::newRow("escapes") << R"("\u0041\n\/\"")" << R"("A\n/\"")";
    QTest::newRow("control characters written as escapes") << R"("\u0001")" << R"("\u0001")";
    QTest::newRow("exponent") << "1.5e3" << "1500";
    QTest::newRow("negative") << "-0.25" << "-0.25";
    QTest::newRow("trailing comma") << "[1,]" << invalid;
    QTest::newRow("leading zero") << "01" << invalid;
    QTest::newRow("missing colon") << R"({"a" 1})" << invalid;
    QTest::newRow("bad escape") << R"("\x")" << invalid;
    QTest::newRow("short hex") << R"("\u00G0")" << invalid;
    QTest::newRow("cut short word") << "tru" << invalid;
    QTest::newRow("bare exponent") << "1e" << invalid;
    QTest::newRow("single quotes") << "'a'" << invalid;
    QTest::newRow("raw tab in string") << "\"a\tb\"" << invalid;
    QTest::newRow("vertical tab is no space") << "\v1" << invalid;
    QTest::newRow("empty") << "" << invalid;
    QTest::newRow("two values") << "1 2" << invalid;
}

void TestAvm2Utils::jsonRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    Runtime rt;
    QCOMPARE(outcome(rt, [&] { return callStatic(rt, "JSON", "stringify", {callStatic(rt, "JSON", "parse", {Value(text)})}); }),
             expected);
}

void TestAvm2Utils::jsonStyle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("keep");
    QTest::addColumn<QString>("space");
    QTest::addColumn<QString>("expected");
    const QString object = QStringLiteral(R"({"a":1,"b":[true,{}],"c":{"a":2}})");
    QTest::newRow("two spaces") << object << QStringList() << "2"
                                << "{\n  \"a\": 1,\n  \"b\": [\n    true,\n    {}\n  ],\n  \"c\": {\n    \"a\": 2\n  }\n}";
    QTest::newRow("text gap cut to ten") << "[1]" << QStringList() << "abcdefghijkl" << "[\nabcdefghij1\n]";
    QTest::newRow("names kept at every level") << object << QStringList{"c", "a"} << "" << R"({"c":{"a":2},"a":1})";
    QTest::newRow("empty containers stay short") << "[[],{}]" << QStringList() << "4" << "[\n    [],\n    {}\n]";
}

void TestAvm2Utils::jsonStyle()
{
    QFETCH(QString, text);
    QFETCH(QStringList, keep);
    QFETCH(QString, space);
    QFETCH(QString, expected);
    Runtime rt;
    std::vector<Value> names;
    for (const QString &name : keep)
        names.emplace_back(name);
    const Value replacer = keep.isEmpty() ? Value::null() : Value(static_cast<Object *>(rt.newArray(names)));
    bool isNumber = false;
    const int count = space.toInt(&isNumber);
    const Value gap = isNumber ? Value(count) : Value(space);
    QCOMPARE(outcome(rt, [&] { return callStatic(rt, "JSON", "stringify", {callStatic(rt, "JSON", "parse", {Value(text)}), replacer, gap}); }),
             expected);
}

void TestAvm2Utils::jsonDeepNestingIsRefused()
{
    Runtime rt;
    const QString deep = QString(100000, u'[') + QString(100000, u']');
    QVERIFY(outcome(rt, [&] { return callStatic(rt, "JSON", "parse", {Value(deep)}); }).startsWith(QStringLiteral("SyntaxError")));
}

void TestAvm2Utils::jsonCycleIsRefused()
{
    Runtime rt;
    Object *object = rt.newObject();
    rt.set(Value(object), QStringLiteral("self"), Value(object));
    QCOMPARE(outcome(rt, [&] { return callStatic(rt, "JSON", "stringify", {Value(object)}); }),
             QStringLiteral("TypeError: Error #1129: Cyclic structure cannot be converted to JSON string."));
}

void TestAvm2Utils::qualifiedClassNames_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("superclass");
    QTest::newRow("int") << 0 << "int" << "Object";
    QTest::newRow("Number") << 1 << "Number" << "Object";
    QTest::newRow("null") << 2 << "null" << "null";
    QTest::newRow("undefined") << 3 << "void" << "null";
    QTest::newRow("an array") << 4 << "Array" << "Object";
    QTest::newRow("a class names itself") << 5 << "flash.display::Sprite" << "flash.display::DisplayObjectContainer";
    QTest::newRow("Object has no superclass") << 6 << "Object" << "null";
}

void TestAvm2Utils::qualifiedClassNames()
{
    QFETCH(int, which);
    QFETCH(QString, expected);
    QFETCH(QString, superclass);
    Runtime rt;
    const Value values[] = {Value(5), Value(5.5), Value::null(), Value(), Value(static_cast<Object *>(rt.newArray())),
                            Value(static_cast<Object *>(rt.builtin("flash.display::Sprite"))),
                            Value(static_cast<Object *>(rt.objectClass))};
    QCOMPARE(rt.toString(callUtil(rt, "getQualifiedClassName", {values[which]})), expected);
    QCOMPARE(rt.toString(callUtil(rt, "getQualifiedSuperclassName", {values[which]})), superclass);
}

void TestAvm2Utils::definitionByName()
{
    Runtime rt;
    const Value sprite(static_cast<Object *>(rt.builtin("flash.display::Sprite")));
    QVERIFY(rt.strictEquals(callUtil(rt, "getDefinitionByName", {Value("flash.display.Sprite")}), sprite));
    QVERIFY(rt.strictEquals(callUtil(rt, "getDefinitionByName", {Value("flash.display::Sprite")}), sprite));
    QCOMPARE(outcome(rt, [&] { return callUtil(rt, "getDefinitionByName", {Value("no.such.Thing")}); }),
             QStringLiteral("ReferenceError: Error #1065: Variable no.such.Thing is not defined."));
}

void TestAvm2Utils::timersRunWhenDue()
{
    Runtime rt;
    int64_t now = 1000;
    rt.timers.clock = [&now] { return now; };
    g_calls = 0;
    const Value fn(static_cast<Object *>(rt.newNativeFunction(countCall, QStringLiteral("count"), 0)));
    const uint32_t once = rt.timers.add(fn, Value::null(), {}, 100, false);
    const uint32_t every = rt.timers.add(fn, Value::null(), {}, 50, true);
    rt.timers.runDue(rt, 1049);
    QCOMPARE(g_calls, 0);
    rt.timers.runDue(rt, 1100);
    QCOMPARE(g_calls, 2);
    QVERIFY(!rt.timers.contains(once));
    rt.timers.runDue(rt, 1150);
    QCOMPARE(g_calls, 3);
    rt.timers.remove(every);
    rt.timers.runDue(rt, 5000);
    QCOMPARE(g_calls, 3);
    // A full queue refuses more rather than growing.
    for (int i = 0; i < TimerQueue::MaxPending; ++i)
        rt.timers.add(fn, Value::null(), {}, 1, false);
    QCOMPARE(rt.timers.add(fn, Value::null(), {}, 1, false), 0u);
}

void TestAvm2Utils::timerCountsItsTicks()
{
    Runtime rt;
    int64_t now = 0;
    rt.timers.clock = [&now] { return now; };
    const Value timerClass(static_cast<Object *>(rt.builtin("flash.utils::Timer")));
    const Value negative(-1);
    QCOMPARE(outcome(rt, [&] { return rt.construct(timerClass, Args{&negative, 1}); }),
             QStringLiteral("RangeError: Error #2066: The Timer delay specified is out of range."));
    const Value args[] = {Value(10), Value(2)};
    const Value timer = rt.construct(timerClass, Args{args, 2});
    QCOMPARE(rt.toString(rt.get(timer, QStringLiteral("running"))), QStringLiteral("false"));
    rt.callProperty(timer, rt.publicName(QStringLiteral("start")), Args{});
    QCOMPARE(rt.toString(rt.get(timer, QStringLiteral("running"))), QStringLiteral("true"));
    for (now = 10; now <= 50; now += 10)
        rt.timers.runDue(rt, now);
    // Two ticks, then it stops by itself.
    QCOMPARE(rt.toInt(rt.get(timer, QStringLiteral("currentCount"))), 2);
    QCOMPARE(rt.toString(rt.get(timer, QStringLiteral("running"))), QStringLiteral("false"));
    rt.callProperty(timer, rt.publicName(QStringLiteral("reset")), Args{});
    QCOMPARE(rt.toInt(rt.get(timer, QStringLiteral("currentCount"))), 0);
}

void TestAvm2Utils::proxyRoutesProperties()
{
    Runtime rt;
    const Value plain(rt.allocate(rt.builtin("flash.utils::Proxy")));
    QCOMPARE(outcome(rt, [&] { return rt.get(plain, QStringLiteral("x")); }),
             QStringLiteral("IllegalOperationError: Error #2088: The Proxy class does not implement getProperty. It "
                            "must be overridden by a subclass."));
    const Value upper(rt.allocate(proxySubclass(rt)));
    QCOMPARE(rt.toString(rt.get(upper, QStringLiteral("abc"))), QStringLiteral("ABC"));
    const Value args[] = {Value(1), Value(2)};
    QCOMPARE(rt.toString(rt.callProperty(upper, rt.publicName(QStringLiteral("go")), Args{args, 2})),
             QStringLiteral("go2"));
    QCOMPARE(outcome(rt, [&] { rt.set(upper, QStringLiteral("y"), Value(1)); return Value(); }).left(35),
             QStringLiteral("IllegalOperationError: Error #2088:"));
}

QTEST_GUILESS_MAIN(TestAvm2Utils)
#include "tst_avm2_utils.moc"
