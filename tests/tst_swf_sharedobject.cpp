// Shared objects: what a movie keeps with SharedObject.getLocal survives the
// movie being closed and played again, stays within its folder and size,
// and a damaged file gives empty data rather than trouble.
#include "ActionAssembler.h"
#include "ScriptCases.h"
#include "SwfWriter.h"
#include "TestFiles.h"
#include "swf/FlashControl.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// so = SharedObject.getLocal(ARGS), into a variable named "so".
QString openShared(const QStringList &args)
{
    return ScriptCases::pushArguments(args) + QStringLiteral(", \"SharedObject\"\ngetvariable\npush \"getLocal\"\ncallmethod\n"
                                                             "push \"so\"\nstackswap\nsetvariable\n");
}

// so.data.NAME = the value the assembly pushes.
QString setData(const QString &name, const QString &value)
{
    return QStringLiteral("push \"so\"\ngetvariable\npush \"data\"\ngetmember\npush \"%1\"\n%2\nsetmember\n").arg(name, value);
}

// Pushes so.data.PATH..., PATH being member names.
QString pushData(const QStringList &path)
{
    QString source = QStringLiteral("push \"so\"\ngetvariable\npush \"data\"\ngetmember\n");
    for (const QString &name : path)
        source += QStringLiteral("push \"%1\"\ngetmember\n").arg(name);
    return source;
}

QString traceData(const QStringList &path) { return pushData(path) + QStringLiteral("trace\n"); }

// so.METHOD(), leaving its result on the stack.
QString callSo(const QString &method)
{
    return QStringLiteral("push 0, \"so\"\ngetvariable\npush \"%1\"\ncallmethod\n").arg(method);
}

const QString TraceSo = QStringLiteral("push \"so\"\ngetvariable\ntrace\n");

} // namespace

class TestSharedObject : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString storeFolder() const { return m_dir.path() + QStringLiteral("/store"); }

    // Plays SOURCE as the first frame of the movie at the test's path, with
    // objects kept in the store folder, and closes it.
    QStringList play(const QString &source, const QString &movieName = QStringLiteral("game.swf"))
    {
        const QByteArray code = ActionAssembler::assemble(source);
        if (code.isEmpty())
            return {QStringLiteral("(the source does not assemble)")};
        const QString path = m_dir.path() + u'/' + movieName;
        TestFiles::write(path, SwfWriter::movie(SwfWriter::doAction(code) + SwfWriter::showFrame(), 8));
        QStringList lines;
        swf::FlashControl control;
        control.setSharedObjectFolder(storeFolder());
        QObject::connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
        control.setMovie(path);
        return lines;
    }

    QStringList storedFiles() const
    {
        QStringList files;
        for (QDirIterator it(storeFolder(), {QStringLiteral("*.sol")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next();
        return files;
    }

private slots:
    void init()
    {
        QDir(storeFolder()).removeRecursively();
    }

    void valuesSurviveAnotherRun()
    {
        const QString write = openShared({QStringLiteral("\"scores\"")}) + setData(QStringLiteral("best"), QStringLiteral("push 42"))
            + setData(QStringLiteral("name"), QStringLiteral("push \"Ann \\\"the\\\" cat\""))
            + setData(QStringLiteral("done"), QStringLiteral("push true"))
            + setData(QStringLiteral("list"), QStringLiteral("push \"two\", 1, 2\ninitarray"))
            + setData(QStringLiteral("node"), QStringLiteral("push 0, \"Object\"\nnewobject"))
            // A cycle: node.me is node.
            + pushData({QStringLiteral("node")}) + QStringLiteral("push \"me\"\n") + pushData({QStringLiteral("node")}) + QStringLiteral("setmember\n")
            + callSo(QStringLiteral("flush")) + QStringLiteral("trace\n");
        QCOMPARE(play(write), QStringList{QStringLiteral("true")});
        QCOMPARE(storedFiles().size(), 1);

        const QString read = openShared({QStringLiteral("\"scores\"")}) + traceData({QStringLiteral("best")}) + traceData({QStringLiteral("name")})
            + traceData({QStringLiteral("done")}) + traceData({QStringLiteral("list")}) + traceData({QStringLiteral("node"), QStringLiteral("me"), QStringLiteral("me"), QStringLiteral("me")})
            + traceData({QStringLiteral("missing")});
        QCOMPARE(play(read), (QStringList{QStringLiteral("42"), QStringLiteral("Ann \"the\" cat"), QStringLiteral("true"), QStringLiteral("1,two"),
                                          QStringLiteral("[object Object]"), QStringLiteral("undefined")}));
    }

    // Data not flushed is still written when the movie closes, as the
    // reference player does when its window closes.
    void closingTheMovieWritesTheData()
    {
        QCOMPARE(play(openShared({QStringLiteral("\"unflushed\"")}) + setData(QStringLiteral("x"), QStringLiteral("push 7"))), QStringList());
        QCOMPARE(play(openShared({QStringLiteral("\"unflushed\"")}) + traceData({QStringLiteral("x")})), QStringList{QStringLiteral("7")});
    }

    // Each movie has its own objects, unless both name a folder above them.
    void moviesKeepTheirOwnObjects()
    {
        QCOMPARE(play(openShared({QStringLiteral("\"mine\"")}) + setData(QStringLiteral("x"), QStringLiteral("push 1")), QStringLiteral("a.swf")), QStringList());
        QCOMPARE(play(openShared({QStringLiteral("\"mine\"")}) + traceData({QStringLiteral("x")}), QStringLiteral("b.swf")), QStringList{QStringLiteral("undefined")});

        const QString shared = QStringLiteral("\"") + m_dir.path() + QStringLiteral("\"");
        QCOMPARE(play(openShared({QStringLiteral("\"both\""), shared}) + setData(QStringLiteral("x"), QStringLiteral("push 2")), QStringLiteral("a.swf")), QStringList());
        QCOMPARE(play(openShared({QStringLiteral("\"both\""), shared}) + traceData({QStringLiteral("x")}), QStringLiteral("b.swf")), QStringList{QStringLiteral("2")});
    }

    void refusedNamesAndPathsGiveNull_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("empty name") << QStringList{QStringLiteral("\"\"")};
        QTest::newRow("name with a space") << QStringList{QStringLiteral("\"high score\"")};
        QTest::newRow("name with a colon") << QStringList{QStringLiteral("\"c:x\"")};
        QTest::newRow("name climbing out") << QStringList{QStringLiteral("\"../../escape\"")};
        QTest::newRow("path of another movie") << QStringList{QStringLiteral("\"x\""), QStringLiteral("\"/elsewhere\"")};
        QTest::newRow("relative path") << QStringList{QStringLiteral("\"x\""), QStringLiteral("\"tmp\"")};
        QTest::newRow("path climbing out") << QStringList{QStringLiteral("\"x\""), QStringLiteral("\"/..\"")};
    }
    void refusedNamesAndPathsGiveNull()
    {
        QFETCH(QStringList, args);
        QCOMPARE(play(openShared(args) + TraceSo), QStringList{QStringLiteral("null")});
        QVERIFY(storedFiles().isEmpty());
    }

    // The same object for the same name within a run; getSize counts the
    // encoded data and clear() takes it from the disk too.
    void sizeClearAndIdentity()
    {
        const QString source = openShared({QStringLiteral("\"s\"")}) + callSo(QStringLiteral("getSize")) + QStringLiteral("trace\n")
            + setData(QStringLiteral("word"), QStringLiteral("push \"abc\"")) + callSo(QStringLiteral("flush")) + QStringLiteral("pop\n")
            + callSo(QStringLiteral("getSize")) + QStringLiteral("trace\n")
            + ScriptCases::pushArguments({QStringLiteral("\"s\"")})
            + QStringLiteral(", \"SharedObject\"\ngetvariable\npush \"getLocal\"\ncallmethod\npush \"so\"\ngetvariable\nstrictequals\ntrace\n");
        QCOMPARE(play(source), (QStringList{QStringLiteral("0"), QStringLiteral("13"), QStringLiteral("true")}));
        QCOMPARE(storedFiles().size(), 1);

        QCOMPARE(play(openShared({QStringLiteral("\"s\"")}) + callSo(QStringLiteral("clear")) + QStringLiteral("pop\n") + traceData({QStringLiteral("word")})),
                 QStringList{QStringLiteral("undefined")});
        QCOMPARE(play(openShared({QStringLiteral("\"s\"")}) + traceData({QStringLiteral("word")})), QStringList{QStringLiteral("undefined")});
    }

    // More than an object may hold is refused and the stored data stays.
    void flushOverTheLimitFails()
    {
        QCOMPARE(play(openShared({QStringLiteral("\"big\"")}) + setData(QStringLiteral("x"), QStringLiteral("push 1"))
                      + callSo(QStringLiteral("flush")) + QStringLiteral("trace\n")),
                 QStringList{QStringLiteral("true")});
        // A string of 128 KB: "x" doubled seventeen times.
        QString grow = QStringLiteral("push \"s\", \"x\"\nsetvariable\n");
        for (int i = 0; i < 17; ++i)
            grow += QStringLiteral("push \"s\", \"s\"\ngetvariable\npush \"s\"\ngetvariable\nadd2\nsetvariable\n");
        const QString source = openShared({QStringLiteral("\"big\"")}) + grow + setData(QStringLiteral("x"), QStringLiteral("push \"s\"\ngetvariable"))
            + callSo(QStringLiteral("flush")) + QStringLiteral("trace\n")
            + QStringLiteral("push 1000000, 1, \"so\"\ngetvariable\npush \"flush\"\ncallmethod\ntrace\n")
            // Back to something small, so that closing the movie does not store the big one either.
            + setData(QStringLiteral("x"), QStringLiteral("push 3"));
        QCOMPARE(play(source), (QStringList{QStringLiteral("false"), QStringLiteral("false")}));
        QCOMPARE(play(openShared({QStringLiteral("\"big\"")}) + traceData({QStringLiteral("x")})), QStringList{QStringLiteral("3")});
    }

    void damagedFilesGiveEmptyData_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a shared object") << QByteArray("hello, world");
        QTest::newRow("header only") << QByteArray::fromHex("00BF00000010" "5443534F000400000000" "0001");
        QTest::newRow("truncated member") << QByteArray::fromHex("00BF00000020" "5443534F000400000000" "000173" "00000000" "0001780041");
        QTest::newRow("endless nesting") << QByteArray::fromHex("00BF00000020" "5443534F000400000000" "000173" "00000000") + QByteArray(5000, '\x03');
    }
    void damagedFilesGiveEmptyData()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(play(openShared({QStringLiteral("\"d\"")}) + setData(QStringLiteral("x"), QStringLiteral("push 1"))), QStringList());
        const QStringList files = storedFiles();
        QCOMPARE(files.size(), 1);
        TestFiles::write(files.first(), bytes);
        const QStringList printed = play(openShared({QStringLiteral("\"d\"")}) + traceData({QStringLiteral("x")}) + TraceSo);
        QCOMPARE(printed.size(), 2);
        QCOMPARE(printed.first(), QStringLiteral("undefined"));
        QCOMPARE(printed.last(), QStringLiteral("[object Object]"));
    }
};

QTEST_GUILESS_MAIN(TestSharedObject)
#include "tst_swf_sharedobject.moc"
