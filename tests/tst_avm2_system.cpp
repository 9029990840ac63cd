// flash.system, flash.net and describeType on a movie's virtual machine:
// variables that survive encoding, loads from the movie's folder that come
// a frame later and loads outside it that fail, shared objects that
// survive the movie, definitions by name, and class descriptions.
#include "AbcWriter.h"
#include "SwfWriter.h"
#include "swf/MoviePlayer.h"
#include "swf/PlayerCapabilities.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/ByteArrayObject.h"
#include "swf/avm2/builtins/DescribeType.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace swf::avm2;

namespace {

QStringList g_events;

// Writes "type" or "type: text" of each event it hears.
Value eventListener(Runtime &rt, const Value &, Args args)
{
    const QString type = rt.toString(rt.get(args[0], QStringLiteral("type")));
    const Multiname text = rt.publicName(QStringLiteral("text"));
    g_events << (rt.hasProperty(args[0], text) ? type + QStringLiteral(": ") + rt.toString(rt.getProperty(args[0], text)) : type);
    return Value();
}

QByteArray emptyAs3Movie()
{
    AbcWriter::Abc abc;
    AbcWriter::Code code;
    code.op(AbcWriter::Op::GetLocal0).op(AbcWriter::Op::PushScope).op(AbcWriter::Op::ReturnVoid);
    abc.script(abc.method(0, code, {1, 1, 0, 1}), {});
    return SwfWriter::movie(AbcWriter::fileAttributes() + AbcWriter::doAbc("main", abc.bytes(), false) + SwfWriter::showFrame(),
                            AbcWriter::FirstAs3Version);
}

// A movie in FOLDER/movie/test.swf, its shared objects under FOLDER/store.
class MovieFixture {
public:
    explicit MovieFixture(const QString &folder)
    {
        QDir().mkpath(folder + QStringLiteral("/movie"));
        const QString path = folder + QStringLiteral("/movie/test.swf");
        player.sharedObjects().setFolder(folder + QStringLiteral("/store"));
        player.sharedObjects().setMovie(path);
        player.setMovieFile(path);
        ok = player.load(emptyAs3Movie(), nullptr) && player.as3();
        if (ok)
            rt().onTrace = [](const QString &line) { g_events << QStringLiteral("trace: ") + line; };
        g_events.clear();
    }

    Runtime &rt() { return player.as3()->runtime(); }
    Value make(const char *cls, std::initializer_list<Value> args = {})
    {
        const std::vector<Value> list(args);
        return rt().construct(Value(static_cast<Object *>(rt().builtin(cls))), Args{list.data(), int(list.size())});
    }
    Value call(const Value &object, const char *method, std::initializer_list<Value> args = {})
    {
        const std::vector<Value> list(args);
        return rt().callProperty(object, rt().publicName(QString::fromLatin1(method)), Args{list.data(), int(list.size())});
    }
    Value classValue(const char *cls) { return Value(static_cast<Object *>(rt().builtin(cls))); }
    QString errorOf(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const Exception &e) {
            return rt().toString(e.value);
        }
        return QString();
    }
    void listen(const Value &target, std::initializer_list<const char *> types)
    {
        const Value fn(static_cast<Object *>(rt().newNativeFunction(eventListener, QStringLiteral("f"), 1)));
        for (const char *type : types)
            call(target, "addEventListener", {Value(type), fn});
    }
    void advance(int frames)
    {
        for (int i = 0; i < frames; ++i)
            player.advance();
    }

    swf::MoviePlayer player;
    bool ok = false;
};

} // namespace

class TestAvm2System : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString folder() const { return m_dir.path(); }

private slots:
    void init()
    {
        QDir(folder() + QStringLiteral("/store")).removeRecursively();
    }

    void variablesRoundTrip_data();
    void variablesRoundTrip();
    void variablesRefuseText();
    void loaderReadsBesideTheMovie_data();
    void loaderReadsBesideTheMovie();
    void loaderRefusesOutsideTheFolder_data();
    void loaderRefusesOutsideTheFolder();
    void sharedObjectSurvivesTheMovie();
    void sharedObjectWrittenAsTheMovieCloses();
    void sharedObjectRefusesBadNames();
    void definitionsByName();
    void domainMemoryWantsRoom();
    void describesAClass();
    void describesAnInstance();
    void capabilitiesAgreeWithOlderMovies();
};

void TestAvm2System::variablesRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "a=1&b=two" << "a=1&b=two";
    QTest::newRow("escapes") << "name=Ann%20Lee&sign=%26" << "name=Ann%20Lee&sign=%26";
    QTest::newRow("plus is a space") << "q=a+b" << "q=a%20b";
    QTest::newRow("repeated name collects") << "x=1&x=2&y=3" << "x=1&x=2&y=3";
    QTest::newRow("empty value") << "empty=" << "empty=";
}

void TestAvm2System::variablesRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    Runtime rt;
    const Value arg(text);
    const Value variables = rt.construct(Value(static_cast<Object *>(rt.builtin("flash.net::URLVariables"))), Args{&arg, 1});
    QCOMPARE(rt.toString(variables), expected);
}

void TestAvm2System::variablesRefuseText()
{
    Runtime rt;
    const Value cls(static_cast<Object *>(rt.builtin("flash.net::URLVariables")));
    const Value text("no pairs here");
    try {
        rt.construct(cls, Args{&text, 1});
        QFAIL("decoded text without pairs");
    } catch (const Exception &e) {
        QVERIFY(rt.toString(e.value).startsWith(QStringLiteral("Error: Error #2101")));
    }
}

void TestAvm2System::loaderReadsBesideTheMovie_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << "text" << "a=1&b=two%20words";
    QTest::newRow("variables") << "variables" << "two words";
    QTest::newRow("binary") << "binary" << "17";
}

void TestAvm2System::loaderReadsBesideTheMovie()
{
    QFETCH(QString, format);
    QFETCH(QString, expected);
    MovieFixture f(folder());
    QVERIFY(f.ok);
    QFile data(folder() + QStringLiteral("/movie/data.txt"));
    QVERIFY(data.open(QIODevice::WriteOnly));
    data.write("a=1&b=two%20words");
    data.close();

    const Value loader = f.make("flash.net::URLLoader");
    f.rt().set(loader, QStringLiteral("dataFormat"), Value(format));
    f.listen(loader, {"open", "progress", "complete", "ioError"});
    f.call(loader, "load", {f.make("flash.net::URLRequest", {Value("data.txt")})});
    QVERIFY(g_events.isEmpty()); // not in the frame that asked
    f.advance(swf::MoviePlayer::LoadFrames);
    QCOMPARE(g_events, (QStringList{"open", "progress", "complete"}));
    const Value loaded = f.rt().get(loader, QStringLiteral("data"));
    const QString got = format == QLatin1String("variables") ? f.rt().toString(f.rt().get(loaded, QStringLiteral("b")))
                      : format == QLatin1String("binary")    ? f.rt().toString(f.rt().get(loaded, QStringLiteral("length")))
                                                             : f.rt().toString(loaded);
    QCOMPARE(got, expected);
    QCOMPARE(f.rt().toInt(f.rt().get(loader, QStringLiteral("bytesTotal"))), 17);
}

void TestAvm2System::loaderRefusesOutsideTheFolder_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing file") << "nothing.txt" << "ioError: Error #2032: Stream Error. URL: nothing.txt";
    // A file outside the folder is as good as missing: the movie learns
    // nothing of what is there.
    QTest::newRow("above the folder") << "../outside.txt" << "ioError: Error #2032";
    QTest::newRow("web address") << "http://example.com/a.txt" << "securityError";
}

void TestAvm2System::loaderRefusesOutsideTheFolder()
{
    QFETCH(QString, url);
    QFETCH(QString, expected);
    MovieFixture f(folder());
    QVERIFY(f.ok);
    QFile outside(folder() + QStringLiteral("/outside.txt"));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write("secret");
    outside.close();

    const Value loader = f.make("flash.net::URLLoader");
    f.listen(loader, {"open", "complete", "ioError", "securityError"});
    f.call(loader, "load", {f.make("flash.net::URLRequest", {Value(url)})});
    f.advance(swf::MoviePlayer::LoadFrames);
    QCOMPARE(g_events.size(), 1);
    QVERIFY2(g_events[0].startsWith(expected), qPrintable(g_events[0]));
    QVERIFY(f.rt().get(loader, QStringLiteral("data")).isUndefined());
}

void TestAvm2System::sharedObjectSurvivesTheMovie()
{
    {
        MovieFixture f(folder());
        QVERIFY(f.ok);
        const Value so = f.call(f.classValue("flash.net::SharedObject"), "getLocal", {Value("scores")});
        const Value data = f.rt().get(so, QStringLiteral("data"));
        f.rt().set(data, QStringLiteral("best"), Value(42));
        f.rt().set(data, QStringLiteral("name"), Value(QStringLiteral("Ann \"the\" cat")));
        f.rt().set(data, QStringLiteral("list"), Value(static_cast<Object *>(f.rt().newArray({Value(1), Value("two")}))));
        const Value node(f.rt().newObject());
        f.rt().set(node, QStringLiteral("me"), node); // a cycle
        f.rt().set(data, QStringLiteral("node"), node);
        QCOMPARE(f.rt().toString(f.call(so, "flush")), QStringLiteral("flushed"));
        QVERIFY(f.rt().toNumber(f.rt().get(so, QStringLiteral("size"))) > 0);
        // The same object for the same name while the movie plays.
        QVERIFY(f.call(f.classValue("flash.net::SharedObject"), "getLocal", {Value("scores")}).asObject() == so.asObject());
    }
    MovieFixture again(folder());
    QVERIFY(again.ok);
    Runtime &rt = again.rt();
    const Value so = again.call(again.classValue("flash.net::SharedObject"), "getLocal", {Value("scores")});
    const Value data = rt.get(so, QStringLiteral("data"));
    QCOMPARE(rt.toInt(rt.get(data, QStringLiteral("best"))), 42);
    QCOMPARE(rt.toString(rt.get(data, QStringLiteral("name"))), QStringLiteral("Ann \"the\" cat"));
    QCOMPARE(rt.toString(rt.get(data, QStringLiteral("list"))), QStringLiteral("1,two"));
    const Value node = rt.get(data, QStringLiteral("node"));
    QVERIFY(rt.get(node, QStringLiteral("me")).asObject() == node.asObject());
    again.call(so, "clear");
    QVERIFY(rt.get(rt.get(so, QStringLiteral("data")), QStringLiteral("best")).isUndefined());
}

void TestAvm2System::sharedObjectWrittenAsTheMovieCloses()
{
    {
        MovieFixture f(folder());
        QVERIFY(f.ok);
        const Value so = f.call(f.classValue("flash.net::SharedObject"), "getLocal", {Value("progress")});
        f.rt().set(f.rt().get(so, QStringLiteral("data")), QStringLiteral("level"), Value(7));
        f.player.unload(); // no flush: closing the movie writes it
    }
    MovieFixture again(folder());
    QVERIFY(again.ok);
    const Value so = again.call(again.classValue("flash.net::SharedObject"), "getLocal", {Value("progress")});
    QCOMPARE(again.rt().toInt(again.rt().get(again.rt().get(so, QStringLiteral("data")), QStringLiteral("level"))), 7);
}

void TestAvm2System::sharedObjectRefusesBadNames()
{
    MovieFixture f(folder());
    QVERIFY(f.ok);
    for (const char *name : {"", "a b", "../up", "x:y"})
        QVERIFY2(f.errorOf([&] { f.call(f.classValue("flash.net::SharedObject"), "getLocal", {Value(name)}); })
                     .startsWith(QStringLiteral("Error: Error #2134")),
                 name);
    // Without a movie there is no store at all.
    Runtime rt;
    const Value cls(static_cast<Object *>(rt.builtin("flash.net::SharedObject")));
    const Value name("scores");
    QVERIFY_THROWS_EXCEPTION(Exception, rt.callProperty(cls, rt.publicName(QStringLiteral("getLocal")), Args{&name, 1}));
}

void TestAvm2System::definitionsByName()
{
    Runtime rt;
    const Value domain = rt.get(Value(static_cast<Object *>(rt.builtin("flash.system::ApplicationDomain"))),
                                QStringLiteral("currentDomain"));
    QVERIFY(domain.isObject());
    QVERIFY(rt.get(domain, QStringLiteral("parentDomain")).isNull());
    const auto call = [&](const char *method, const char *name) {
        const Value arg(name);
        return rt.callProperty(domain, rt.publicName(QString::fromLatin1(method)), Args{&arg, 1});
    };
    QVERIFY(call("getDefinition", "flash.net.URLLoader").asObject() == rt.builtin("flash.net::URLLoader"));
    QVERIFY(call("getDefinition", "flash.utils::ByteArray").asObject() == rt.builtin("flash.utils::ByteArray"));
    QVERIFY(rt.toBoolean(call("hasDefinition", "Object")));
    QVERIFY(!rt.toBoolean(call("hasDefinition", "no.such::Thing")));
    try {
        call("getDefinition", "no.such.Thing");
        QFAIL("found a definition nothing makes");
    } catch (const Exception &e) {
        QCOMPARE(rt.toString(e.value), QStringLiteral("ReferenceError: Error #1065: Variable no.such.Thing is not defined."));
    }
}

void TestAvm2System::domainMemoryWantsRoom()
{
    Runtime rt;
    const Value domain = rt.get(Value(static_cast<Object *>(rt.builtin("flash.system::ApplicationDomain"))),
                                QStringLiteral("currentDomain"));
    QVERIFY(rt.domainMemory); // the scratch memory, until a movie gives its own
    const Value bytes = rt.construct(Value(static_cast<Object *>(rt.builtin("flash.utils::ByteArray"))), Args{});
    rt.set(bytes, QStringLiteral("length"), Value(16));
    QVERIFY_THROWS_EXCEPTION(Exception, rt.set(domain, QStringLiteral("domainMemory"), bytes));
    QVERIFY_THROWS_EXCEPTION(Exception, rt.set(domain, QStringLiteral("domainMemory"), Value(rt.newObject())));
    rt.set(bytes, QStringLiteral("length"), Value(1024));
    rt.set(domain, QStringLiteral("domainMemory"), bytes);
    QVERIFY(rt.domainMemory == &static_cast<ByteArrayObject *>(bytes.asObject())->bytes);
    rt.set(domain, QStringLiteral("domainMemory"), Value::null());
    QVERIFY(rt.domainMemory && rt.domainMemory->size() == 1024);
}

void TestAvm2System::describesAClass()
{
    Runtime rt;
    const Value cls(static_cast<Object *>(rt.builtin("flash.net::URLRequest")));
    const QString text = ToXmlString(*DescribeTypeTree(rt, cls, DescribeFlash10), rt.xmlSettings);
    QVERIFY2(text.startsWith(QStringLiteral("<type name=\"flash.net::URLRequest\" base=\"Class\" isDynamic=\"true\" "
                                            "isFinal=\"true\" isStatic=\"true\">\n  <extendsClass type=\"Class\"/>\n"
                                            "  <extendsClass type=\"Object\"/>\n"
                                            "  <accessor name=\"prototype\" access=\"readonly\" type=\"*\" declaredBy=\"Class\"/>\n"
                                            "  <factory type=\"flash.net::URLRequest\">\n    <extendsClass type=\"Object\"/>\n")),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("<accessor name=\"url\" access=\"readwrite\" type=\"*\" declaredBy=\"flash.net::URLRequest\"/>")));
}

void TestAvm2System::describesAnInstance()
{
    Runtime rt;
    const Value loader = rt.construct(Value(static_cast<Object *>(rt.builtin("flash.net::URLLoader"))), Args{});
    const QString text = ToXmlString(*DescribeTypeTree(rt, loader, DescribeFlash10), rt.xmlSettings);
    for (const char *part : {
             "<type name=\"flash.net::URLLoader\" base=\"flash.events::EventDispatcher\" isDynamic=\"false\" "
             "isFinal=\"false\" isStatic=\"false\">",
             "<extendsClass type=\"flash.events::EventDispatcher\"/>",
             "<extendsClass type=\"Object\"/>",
             "<implementsInterface type=\"flash.events::IEventDispatcher\"/>",
             "<accessor name=\"bytesTotal\" access=\"readonly\" type=\"*\" declaredBy=\"flash.net::URLLoader\"/>",
             "<method name=\"load\" declaredBy=\"flash.net::URLLoader\" returnType=\"*\">\n"
             "    <parameter index=\"1\" type=\"*\" optional=\"false\"/>",
             "<method name=\"addEventListener\" declaredBy=\"flash.events::EventDispatcher\"",
         })
        QVERIFY2(text.contains(QLatin1String(part)), part);
    // The loader's own state is private: not described.
    QVERIFY(!text.contains(QLatin1String("generation")));
    // null and undefined have names of their own.
    QVERIFY(ToXmlString(*DescribeTypeTree(rt, Value::null(), DescribeFlash10), rt.xmlSettings).startsWith(QLatin1String("<type name=\"null\"")));
}

void TestAvm2System::capabilitiesAgreeWithOlderMovies()
{
    Runtime rt;
    const Value cls(static_cast<Object *>(rt.builtin("flash.system::Capabilities")));
    QCOMPARE(rt.toString(rt.get(cls, QStringLiteral("version"))), QString::fromLatin1(swf::PlayerVersion));
    QCOMPARE(rt.toString(rt.get(cls, QStringLiteral("serverString"))), swf::PlayerServerString());
    for (const swf::CapabilityFlag &flag : swf::CapabilityFlags())
        QCOMPARE(rt.toBoolean(rt.get(cls, QString::fromLatin1(flag.name))), flag.value);
    QCOMPARE(rt.toString(rt.get(Value(static_cast<Object *>(rt.builtin("flash.system::Security"))), QStringLiteral("sandboxType"))),
             QStringLiteral("localTrusted"));
}

QTEST_GUILESS_MAIN(TestAvm2System)
#include "tst_avm2_system.moc"
