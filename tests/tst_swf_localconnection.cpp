// LocalConnection between the movies of one process: a frame script in
// assembly connects, sends or both; messages arrive at the receiver's next
// frame and the sender hears onStatus at its own.
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ScriptCases;

namespace {

// NAME = new LocalConnection().
QString newConnection(const QString &name)
{
    return QStringLiteral("push \"%1\", 0, \"LocalConnection\"\nnewobject\nsetvariable\n").arg(name);
}

// trace(OBJECT.METHOD(ARGS)), the arguments pushed as literals.
QString traceOn(const QString &object, const QString &method, const QStringList &args)
{
    return pushArguments(args) + QStringLiteral("\npush \"%1\"\ngetvariable\npush \"%2\"\ncallmethod\ntrace\n").arg(object, method);
}

// OBJECT.onStatus traces the level it is told; OBJECT.hello traces its arguments.
QString handlers(const QString &object)
{
    return QStringLiteral(R"(push "%1"
getvariable
push "onStatus"
function (info)
push "status: "
push "info"
getvariable
push "level"
getmember
add2
trace
end
setmember
push "%1"
getvariable
push "hello"
function (a, b)
push "hello "
push "a"
getvariable
add2
push " "
add2
push "b"
getvariable
push "x"
getmember
add2
trace
end
setmember
)").arg(object);
}

// A movie that runs SOURCE and stops there, in a control of its own.
class Movie {
public:
    Movie(const QString &dir, const QString &name, const QString &source, int version = 8)
    {
        const QByteArray code = ActionAssembler::assemble(source + QStringLiteral("stop\n"));
        const QString path = dir + u'/' + name;
        TestFiles::write(path, SwfWriter::movie(SwfWriter::doAction(code) + SwfWriter::showFrame() +
                                                    SwfWriter::showFrame(), version));
        QObject::connect(&m_control, &swf::FlashControl::Trace, [this](const QString &line) { lines << line; });
        m_control.setMovie(path);
    }
    void advance() { m_control.advanceFrame(); }
    QStringList lines;

private:
    swf::FlashControl m_control;
};

} // namespace

class SwfLocalConnectionTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void oneMovie_data();
    void oneMovie();
    void twoMovies();
    void aMovieThatGoesFreesItsName();
};

void SwfLocalConnectionTest::oneMovie_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("source");
    // What the first frame traces, then what the second does.
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    const QString receiver = newConnection("r") + handlers("r");
    const QString sender = newConnection("s") + handlers("s");
    QTest::newRow("a message reaches the listener on the next frame, then the sender hears it went")
        << 8 << receiver + sender + traceOn("r", "connect", {"\"demo\""}) +
               "push \"b\", 0, \"Object\"\nnewobject\nsetvariable\npush \"b\"\ngetvariable\npush \"x\", 3\nsetmember\n" +
               "push \"b\"\ngetvariable\npush \"cat\", \"hello\", \"demo\", 4, \"s\"\ngetvariable\npush \"send\"\ncallmethod\ntrace\n"
        << QStringList{"true", "true"} << QStringList{"hello cat 3", "status: status"};
    QTest::newRow("nobody listening: an error status")
        << 8 << sender + traceOn("s", "send", {"\"nobody\"", "\"hello\""}) << QStringList{"true"}
        << QStringList{"status: error"};
    QTest::newRow("a name is held once, until closed")
        << 8 << receiver + newConnection("t") + traceOn("r", "connect", {"\"one\""}) + traceOn("t", "connect", {"\"one\""}) +
               traceOn("r", "connect", {"\"two\""}) + traceOn("r", "close", {}) + traceOn("t", "connect", {"\"one\""})
        << QStringList{"true", "false", "false", "undefined", "true"} << QStringList{};
    QTest::newRow("its own methods cannot be sent, and a name and a method are needed")
        << 8 << sender + traceOn("s", "send", {"\"demo\"", "\"close\""}) + traceOn("s", "send", {"\"demo\""}) +
               traceOn("s", "send", {"1", "\"hello\""}) + traceOn("s", "connect", {}) + traceOn("s", "connect", {"\"a:b\""}) +
               traceOn("s", "domain", {})
        << QStringList{"false", "false", "false", "false", "false", "localhost"} << QStringList{};
    QTest::newRow("version 5 movies have no LocalConnection")
        << 5 << QStringLiteral("push \"LocalConnection\"\ngetvariable\ntypeof\ntrace\n") << QStringList{"undefined"}
        << QStringList{};
}

void SwfLocalConnectionTest::oneMovie()
{
    QFETCH(int, version);
    QFETCH(QString, source);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    Movie movie(m_dir.path(), QStringLiteral("one.swf"), source, version);
    QCOMPARE(movie.lines, first);
    movie.lines.clear();
    movie.advance();
    QCOMPARE(movie.lines, second);
}

void SwfLocalConnectionTest::twoMovies()
{
    Movie receiver(m_dir.path(), QStringLiteral("receiver.swf"),
                   newConnection("r") + handlers("r") + traceOn("r", "connect", {"\"_shared\""}));
    Movie sender(m_dir.path(), QStringLiteral("sender.swf"),
                 newConnection("s") + handlers("s") + traceOn("s", "send", {"\"_shared\"", "\"hello\"", "\"dog\""}));
    QCOMPARE(receiver.lines, QStringList{"true"});
    QCOMPARE(sender.lines, QStringList{"true"});
    sender.lines.clear();
    // The sender hears nothing until the receiver has had its frame.
    sender.advance();
    QCOMPARE(sender.lines, QStringList{});
    receiver.advance();
    QCOMPARE(receiver.lines, (QStringList{"true", "hello dog undefined"}));
    sender.advance();
    QCOMPARE(sender.lines, (QStringList{"status: status"}));
}

void SwfLocalConnectionTest::aMovieThatGoesFreesItsName()
{
    {
        Movie first(m_dir.path(), QStringLiteral("first.swf"), newConnection("r") + traceOn("r", "connect", {"\"_held\""}));
        QCOMPARE(first.lines, QStringList{"true"});
    }
    Movie second(m_dir.path(), QStringLiteral("second.swf"), newConnection("r") + traceOn("r", "connect", {"\"_held\""}));
    QCOMPARE(second.lines, QStringList{"true"});
}

QTEST_MAIN(SwfLocalConnectionTest)
#include "tst_swf_localconnection.moc"
