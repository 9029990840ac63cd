// The smaller built-in classes as movies see them (AsBroadcaster, Key,
// Mouse, Stage, System, Sound...): each case is a frame script in assembly,
// the movie's version, and what its traces print.
#include "ScriptCases.h"
#include "SwfWriter.h"
#include "TestFiles.h"
#include "swf/FlashControl.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;
using namespace ScriptCases;

namespace {

// NAME = new Object().
QString newObject(const QString &name)
{
    return QStringLiteral("push \"%1\", 0, \"Object\"\nnewobject\nsetvariable\n").arg(name);
}

// OBJECT.METHOD(ARGS), OBJECT a variable, the result left on the stack.
QString callOn(const QString &object, const QString &method, const QStringList &args = {})
{
    return pushArguments(args) + QStringLiteral(", \"%1\"\ngetvariable\npush \"%2\"\ncallmethod\n").arg(object, method);
}

// OBJECT.METHOD(VARIABLE), the result left on the stack.
QString callWithVariable(const QString &object, const QString &method, const QString &variable)
{
    return QStringLiteral("push \"%1\"\ngetvariable\npush 1, \"%2\"\ngetvariable\npush \"%3\"\ncallmethod\n")
        .arg(variable, object, method);
}

// OBJECT.MEMBER = the value the assembly pushes.
QString setOn(const QString &object, const QString &member, const QString &value)
{
    return QStringLiteral("push \"%1\"\ngetvariable\npush \"%2\"\n%3\nsetmember\n").arg(object, member, value);
}

// trace(OBJECT.MEMBER).
QString traceMember(const QString &object, const QString &member)
{
    return QStringLiteral("push \"%1\"\ngetvariable\npush \"%2\"\ngetmember\ntrace\n").arg(object, member);
}

// A function that traces TEXT and then its first argument.
QString tracingFunction(const QString &text)
{
    return QStringLiteral("function (a)\npush \"%1\"\ntrace\npush \"a\"\ngetvariable\ntrace\nend").arg(text);
}

// NAME = {}, with a method METHOD that traces NAME and its argument.
QString listener(const QString &name, const QString &method)
{
    return newObject(name) + setOn(name, method, tracingFunction(name));
}

// NAME = new CLASS(ARGS).
QString newInstance(const QString &name, const QString &className, const QStringList &args = {})
{
    return QStringLiteral("push \"%1\"\n").arg(name) + pushArguments(args) +
           QStringLiteral(", \"%1\"\nnewobject\nsetvariable\n").arg(className);
}

// trace(OBJECT.MEMBER) for each member.
QString traceMembers(const QString &object, const QStringList &members)
{
    QString source;
    for (const QString &member : members)
        source += traceMember(object, member);
    return source;
}

// An onStatus handler that traces its info's code and level.
const QString StatusHandler = "function (info)\npush \"info\"\ngetvariable\npush \"code\"\ngetmember\ntrace\n"
                              "push \"info\"\ngetvariable\npush \"level\"\ngetmember\ntrace\nend";

const QStringList ItemMembers{"caption", "onSelect", "separatorBefore", "enabled", "visible"};

// e = {} made a broadcaster.
const QString Emitter = newObject(QStringLiteral("e")) +
                        callWithVariable(QStringLiteral("AsBroadcaster"), QStringLiteral("initialize"),
                                         QStringLiteral("e")) +
                        QStringLiteral("pop\n");

} // namespace

class SwfClassesTest : public QObject {
    Q_OBJECT
private slots:
    void broadcasters_data();
    void broadcasters() { runCase(); }
    void listenersHearInput();
    void inertDevices_data();
    void inertDevices() { runCase(); }
    void contextMenus_data();
    void contextMenus() { runCase(); }
    void netConnections_data();
    void netConnections() { runCase(); }
    void streamsAreNotFound();
    void soundTargets_data();
    void soundTargets() { runCase(); }
    void system_data();
    void system() { runCase(); }
    void emptyClipSizes_data();
    void emptyClipSizes() { runCase(); }
    void registeredClasses_data();
    void registeredClasses();
    void natives_data();
    void natives() { runCase(); }
    void clipReferences_data();
    void clipReferences() { runCase(); }

private:
    void runCase() { run(m_dir.path()); }

    QTemporaryDir m_dir;
};

void SwfClassesTest::broadcasters_data()
{
    addColumns();
    QTest::newRow("broadcastMessage answers true once it called a listener, undefined before")
        << 6
        << Emitter + callOn("e", "broadcastMessage", {"\"hear\"", "7"}) + "trace\n" + listener("l", "hear") +
               callWithVariable("e", "addListener", "l") + "trace\n" +
               callOn("e", "broadcastMessage", {"\"hear\"", "7"}) + "trace\n"
        << QStringList{"undefined", "true", "l", "7", "true"};
    QTest::newRow("a listener added again moves to the end; removing answers whether it was listed")
        << 6
        << Emitter + listener("l", "hear") + listener("m", "hear") + callWithVariable("e", "addListener", "l") +
               "pop\n" + callWithVariable("e", "addListener", "m") + "pop\n" +
               callWithVariable("e", "addListener", "l") + "pop\n" + callOn("e", "broadcastMessage", {"\"hear\""}) +
               "pop\n" + callWithVariable("e", "removeListener", "l") + "trace\n" +
               callWithVariable("e", "removeListener", "l") + "trace\n" +
               "push \"e\"\ngetvariable\npush \"_listeners\"\ngetmember\npush \"length\"\ngetmember\ntrace\n"
        << QStringList{"m", "undefined", "l", "undefined", "true", "false", "1"};
    QTest::newRow("initialize copies the methods AsBroadcaster holds at the time")
        << 6
        << setOn("AsBroadcaster", "addListener", tracingFunction("replaced")) + Emitter +
               callOn("e", "addListener", {"5"}) + "pop\n"
        << QStringList{"replaced", "5"};
    QTest::newRow("its broadcastMessage is whatever ASnative answers then")
        << 6
        << "push \"_global\"\ngetvariable\npush \"ASnative\", 22\nsetmember\n" + Emitter +
               traceMember("e", "broadcastMessage")
        << QStringList{"undefined"};
    QTest::newRow("version 5 movies see none of what initialize adds")
        << 5 << Emitter + traceMember("e", "broadcastMessage") + traceMember("e", "_listeners")
        << QStringList{"undefined", "undefined"};
    QTest::newRow("Key and Mouse are broadcasters from version 6")
        << 6
        << listener("l", "onKeyDown") + callWithVariable("Key", "addListener", "l") + "trace\n" +
               callWithVariable("Mouse", "addListener", "l") + "trace\n" +
               "push \"Key\"\ngetvariable\npush \"_listeners\"\ngetmember\npush \"length\"\ngetmember\ntrace\n"
        << QStringList{"true", "true", "1"};
    QTest::newRow("but not in version 5") << 5 << traceMember("Key", "addListener") + traceMember("Mouse", "addListener")
                                          << QStringList{"undefined", "undefined"};
}

void SwfClassesTest::inertDevices_data()
{
    addColumns();
    QTest::newRow("no microphone and no camera to get")
        << 6 << traceCall("\"Microphone\"\ngetvariable", "get") + traceCall("\"Camera\"\ngetvariable", "get", {"0"})
        << QStringList{"null", "null"};
    QTest::newRow("a print job does not start, and knows no paper size")
        << 7 << newInstance("j", "PrintJob") + callOn("j", "start") + "trace\n" + traceMember("j", "paperWidth")
        << QStringList{"false", "undefined"};
    QTest::newRow("version 6 movies see no PrintJob methods")
        << 6 << newInstance("j", "PrintJob") + traceMember("j", "start") << QStringList{"undefined"};
}

void SwfClassesTest::contextMenus_data()
{
    addColumns();
    QTest::newRow("an item keeps its arguments as given")
        << 7 << newInstance("i", "ContextMenuItem", {"\"Go\"", "1", "2", "3", "4"}) + traceMembers("i", ItemMembers)
        << QStringList{"Go", "1", "2", "3", "4"};
    QTest::newRow("an item given nothing is enabled, visible and unseparated")
        << 7 << newInstance("i", "ContextMenuItem") + traceMembers("i", ItemMembers)
        << QStringList{"undefined", "undefined", "false", "true", "true"};
    QTest::newRow("a copied item has the same values")
        << 8
        << newInstance("i", "ContextMenuItem", {"\"Go\"", "1", "true", "false"}) + "push \"c\"\n" +
               callOn("i", "copy") + "setvariable\n" + traceMembers("c", ItemMembers)
        << QStringList{"Go", "1", "true", "false", "true"};
    QTest::newRow("a menu shows every built-in entry until hideBuiltInItems")
        << 7
        << newInstance("m", "ContextMenu") +
               "push \"m\"\ngetvariable\npush \"builtInItems\"\ngetmember\npush \"zoom\"\ngetmember\ntrace\n" +
               callOn("m", "hideBuiltInItems") + "pop\n" +
               "push \"m\"\ngetvariable\npush \"builtInItems\"\ngetmember\npush \"print\"\ngetmember\ntrace\n" +
               "push \"m\"\ngetvariable\npush \"customItems\"\ngetmember\npush \"length\"\ngetmember\ntrace\n"
        << QStringList{"true", "false", "0"};
    QTest::newRow("a copied menu keeps the callback and copies the items")
        << 7
        << newInstance("m", "ContextMenu", {"5"}) + newInstance("i", "ContextMenuItem", {"\"Go\""}) +
               "push \"i\"\ngetvariable\npush 1, \"m\"\ngetvariable\npush \"customItems\"\ngetmember\npush \"push\"\ncallmethod\npop\n" +
               "push \"c\"\n" + callOn("m", "copy") + "setvariable\n" + traceMember("c", "onSelect") +
               "push \"c\"\ngetvariable\npush \"customItems\"\ngetmember\npush \"0\"\ngetmember\npush \"caption\"\ngetmember\ntrace\n" +
               "push \"c\"\ngetvariable\npush \"customItems\"\ngetmember\npush \"0\"\ngetmember\npush \"i\"\ngetvariable\nequals2\ntrace\n"
        << QStringList{"5", "Go", "false"};
}

void SwfClassesTest::netConnections_data()
{
    addColumns();
    QTest::newRow("a connection to null succeeds at once")
        << 7
        << newInstance("c", "NetConnection") + setOn("c", "onStatus", StatusHandler) + callOn("c", "connect", {"null"}) +
               "trace\n"
        << QStringList{"NetConnection.Connect.Success", "status", "true"};
    QTest::newRow("a connection to a server fails at once")
        << 7
        << newInstance("c", "NetConnection") + setOn("c", "onStatus", StatusHandler) +
               callOn("c", "connect", {"\"rtmp://example.com/app\""}) + "trace\n"
        << QStringList{"NetConnection.Connect.Failed", "error", "false"};
}

// A stream played is reported not found on a later frame, not during the call.
void SwfClassesTest::streamsAreNotFound()
{
    const QString source = newInstance("c", "NetConnection") + callOn("c", "connect", {"null"}) + "pop\n" +
                           "push \"s\"\npush \"c\"\ngetvariable\npush 1, \"NetStream\"\nnewobject\nsetvariable\n" +
                           setOn("s", "onStatus", StatusHandler) + callOn("s", "play", {"\"clip.flv\""}) + "pop\n" +
                           "push \"played\"\ntrace\nstop\n";
    const QByteArray code = ActionAssembler::assemble(source);
    QVERIFY(!code.isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("stream.swf"));
    TestFiles::write(path, movie(doAction(code) + showFrame(), 7));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    QCOMPARE(lines, QStringList{"played"});
    for (int frame = 0; frame < 3; ++frame)
        control.advanceFrame();
    QCOMPARE(lines, (QStringList{"played", "NetStream.Play.StreamNotFound", "error"}));
}

void SwfClassesTest::soundTargets_data()
{
    addColumns();
    QTest::newRow("a Sound of an undefined target acts on the whole movie")
        << 6
        << newInstance("s", "Sound", {"undefined"}) + callOn("s", "setVolume", {"25"}) + "pop\n" +
               newInstance("t", "Sound") + callOn("t", "getVolume") + "trace\n"
        << QStringList{"25"};
    QTest::newRow("one of a clip that is not there acts on nothing")
        << 6 << newInstance("s", "Sound", {"\"nowhere\""}) + callOn("s", "getVolume") + "trace\n"
        << QStringList{"undefined"};
}

void SwfClassesTest::system_data()
{
    addColumns();
    const QString capabilities = "push \"cap\"\npush \"System\"\ngetvariable\npush \"capabilities\"\ngetmember\nsetvariable\n";
    QTest::newRow("the capabilities are this player's: Linux, sound without input, no printer")
        << 8
        << capabilities + traceMembers("cap", {"os", "hasAudio", "hasMP3", "hasAudioEncoder", "hasPrinting", "playerType"})
        << QStringList{"Linux", "true", "true", "false", "false", "StandAlone"};
    QTest::newRow("the version names the platform, then the numbers")
        << 7 << capabilities + traceMember("cap", "version") << QStringList{"LNX 9,0,999,0"};
    QTest::newRow("ASnative(11, 0) gives an object the capabilities")
        << 6
        << newObject("o") + setOn("o", "q", "push 0, 11, 2, \"ASnative\"\ncallfunction") + callOn("o", "q") + "pop\n" +
               traceMembers("o", {"os", "hasVideoEncoder"})
        << QStringList{"Linux", "false"};
    QTest::newRow("version 7 movies match domains exactly, older ones do not")
        << 6 << traceMember("System", "exactSettings") + traceMember("System", "useCodepage")
        << QStringList{"false", "false"};
    QTest::newRow("setClipboard and the security settings answer nothing")
        << 7
        << callOn("System", "setClipboard", {"\"text\""}) + "trace\n" +
               "push \"example.com\", 1, \"System\"\ngetvariable\npush \"security\"\ngetmember\npush \"allowDomain\"\ncallmethod\ntrace\n"
        << QStringList{"undefined", "undefined"};
    QTest::newRow("no screen reader is active")
        << 6 << callOn("Accessibility", "isActive") + "trace\n" << QStringList{"false"};
}

void SwfClassesTest::emptyClipSizes_data()
{
    addColumns();
    const QString scales = "push \"\", 2\ngetproperty\ntrace\npush \"\", 3\ngetproperty\ntrace\n";
    QTest::newRow("a movie with nothing drawn is flattened by a height")
        << 7 << "push \"\", 9, 10\nsetproperty\n" + scales << QStringList{"0", "0"};
}

// Scripts of a movie whose empty sprite 1 is exported as "item".
void SwfClassesTest::registeredClasses_data()
{
    addColumns();
    const QString attach = "push \"o\"\ngetvariable\npush 1, \"m\", \"item\", 4, \"attachMovie\"\ncallfunction\npop\n";
    QTest::newRow("attachMovie copies the init object's members, those hidden from the movie too")
        << 6
        << newObject("o") + setOn("o", "a", "push 2") + setOn("o", "b", "push 4") +
               "push 1024, \"a\", \"o\"\ngetvariable\npush 3, \"ASSetPropFlags\"\ncallfunction\npop\n" + attach +
               traceMember("m", "a") + traceMember("m", "b")
        << QStringList{"2", "4"};
    const QString fun =
        "push \"fun\"\nfunction ()\npush \"this\"\ngetvariable\npush \": Constructor\"\nadd2\ntrace\nend\nsetvariable\n" +
        setOn("fun", "prototype", "push 0, \"Object\"\nnewobject") +
        "push \"fun\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"foo\"\n"
        "function ()\npush \"foo called on \", \"this\"\ngetvariable\nadd2\ntrace\nend\nsetmember\n" +
        "push \"fun\"\ngetvariable\npush \"item\", 2, \"Object\"\ngetvariable\npush \"registerClass\"\ncallmethod\ntrace\n";
    QTest::newRow("a registered class gives an attached clip its prototype and runs its constructor")
        << 7 << fun + "push 1, \"m\", \"item\", 3, \"attachMovie\"\ncallfunction\npop\n" + callOn("m", "foo") + "pop\n"
        << QStringList{"true", "_level0.m: Constructor", "foo called on _level0.m"};
}

void SwfClassesTest::registeredClasses()
{
    QFETCH(int, version);
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    const QByteArray code = ActionAssembler::assemble(source);
    QVERIFY(!code.isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("registered.swf"));
    TestFiles::write(path, movie(sprite(1, showFrame()) + exportAssets(1, "item") + doAction(code) + showFrame(), version));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    QCOMPARE(lines, printed);
}

void SwfClassesTest::natives_data()
{
    addColumns();
    const QString typeOfMember = "push \"%1\"\ngetvariable\npush \"%2\"\ngetmember\ntypeof\ntrace\n";
    QTest::newRow("ASnative and ASconstructor are bare functions")
        << 6 << typeOfMember.arg("ASnative", "__proto__") + typeOfMember.arg("ASconstructor", "constructor")
        << QStringList{"undefined", "undefined"};
    QTest::newRow("ASconstructor gives the function a prototype naming it; ASnative does not")
        << 6
        << "push \"a\", 2, 106, 2, \"ASconstructor\"\ncallfunction\nsetvariable\n"
           "push \"b\", 2, 106, 2, \"ASnative\"\ncallfunction\nsetvariable\n" +
               typeOfMember.arg("a", "prototype") + typeOfMember.arg("b", "prototype") +
               "push \"a\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"constructor\"\ngetmember\n"
               "push \"a\"\ngetvariable\nequals2\ntrace\n"
        << QStringList{"object", "undefined", "true"};
    QTest::newRow("AsSetupError makes an Error a name, as its caller")
        << 6
        << setOn("_global", "Error", "function ()\npush \"arguments\"\ngetvariable\npush \"caller\"\ngetmember\n"
                                     "push \"AsSetupError\"\ngetvariable\nequals2\ntrace\nend") +
               "push \"A,B,C\", 1, \"AsSetupError\"\ncallfunction\ntrace\npush 0, \"AsSetupError\"\ncallfunction\ntrace\n"
        << QStringList{"true", "true", "true", "undefined", "undefined"};
    QTest::newRow("trace is a function too")
        << 6 << "push \"hello\", 1, \"trace\"\ncallfunction\npop\npush 0, \"trace\"\ncallfunction\npop\n"
        << QStringList{"hello", "undefined"};
    QTest::newRow("new on a built-in method gives the object, which push fills as an array")
        << 6
        << "push \"x\", 42, 1, \"Array\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"push\"\nnewmethod\nsetvariable\n" +
               traceMember("x", "0") + traceMember("x", "length") + "push \"x\"\ngetvariable\ntypeof\ntrace\n"
        << QStringList{"42", "1", "object"};
    QTest::newRow("broadcastMessage reaches the listeners of any object with a length")
        << 6
        << Emitter + newObject("list") + setOn("list", "length", "push 1") + setOn("list", "0", "push 0, \"Object\"\nnewobject") +
               "push \"list\"\ngetvariable\npush \"0\"\ngetmember\npush \"hi\"\n" + tracingFunction("heard") +
               "\nsetmember\n" + "push \"e\"\ngetvariable\npush \"_listeners\", \"list\"\ngetvariable\nsetmember\n" +
               callOn("e", "broadcastMessage", {"\"hi\"", "7"}) + "trace\n"
        << QStringList{"heard", "7", "true"};
    QTest::newRow("XML objects take request headers as LoadVars objects do")
        << 6 << "push \"XML\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"addRequestHeader\"\ngetmember\ntypeof\ntrace\n"
        << QStringList{"function"};
    QTest::newRow("Object called as a function makes an object of no class")
        << 6 << "push 0, \"Object\"\ncallfunction\npush \"Object\"\ngetvariable\ninstanceof\ntrace\n"
        << QStringList{"false"};
}

// Clips made on the root: createEmptyMovieClip(NAME, DEPTH), the clip left on the stack.
QString emptyClip(const QString &name, int depth, const QString &on = QString())
{
    const QString target = on.isEmpty() ? QString() : QStringLiteral("push \"%1\"\ngetvariable\n").arg(on);
    return on.isEmpty() ? QStringLiteral("push %1, \"%2\", 2, \"createEmptyMovieClip\"\ncallfunction\n").arg(depth).arg(name)
                        : QStringLiteral("push %1, \"%2\", 2\n").arg(depth).arg(name) + target +
                              "push \"createEmptyMovieClip\"\ncallmethod\n";
}

void SwfClassesTest::clipReferences_data()
{
    addColumns();
    const QString rotate = "push \"m\"\ngetvariable\npush \"_rotation\"\n%1\nsetmember\n" + traceMember("m", "_rotation");
    QTest::newRow("a rotation reads back as set, brought into -180..180; NaN leaves it, infinity makes it NaN")
        << 6
        << "push \"m\"\n" + emptyClip("m", 1) + "setvariable\n" + rotate.arg("push \"NaN\"\ngetvariable") +
               rotate.arg("push 2147483647") + rotate.arg("push 181") + rotate.arg("push -180") +
               rotate.arg("push \"Infinity\"\ngetvariable") + rotate.arg("push 360")
        << QStringList{"0", "127", "-179", "-180", "NaN", "0"};
    QTest::newRow("a reference to a removed clip finds the clip that takes its path")
        << 6
        << emptyClip("a", 0) + "pop\npush \"x\"\n" + emptyClip("a", 0, "a") + "setvariable\n" + callOn("a", "removeMovieClip") +
               "pop\n" + emptyClip("a", 0) + "pop\npush \"x\"\ngetvariable\ntrace\n" + emptyClip("a", 0, "a") +
               "pop\npush \"x\"\ngetvariable\ntrace\n"
        << QStringList{"", "_level0.a.a"};
    QTest::newRow("it keeps the path the clip had when first referred to")
        << 6
        << "push \"c\"\n" + emptyClip("c", 2) + "setvariable\n" + setOn("c", "_name", "push \"d\"") +
               callOn("c", "removeMovieClip") + "pop\n" + emptyClip("d", 4) + "pop\n" +
               "push \"c\"\ngetvariable\npush \"d\"\ngetvariable\nequals2\ntrace\n" + emptyClip("c", 5) +
               "pop\npush \"c\"\ngetvariable\ntrace\n"
        << QStringList{"false", "_level0.c"};
}

// Listeners of Key and Mouse hear presses after the clips' own handlers.
void SwfClassesTest::listenersHearInput()
{
    const QString source = listener("k", "onKeyDown") + callWithVariable("Key", "addListener", "k") + "pop\n" +
                           listener("m", "onMouseDown") + callWithVariable("Mouse", "addListener", "m") + "pop\n" +
                           setOn("k", "onKeyUp",
                                 "function ()\npush 0, \"Key\"\ngetvariable\npush \"getCode\"\ncallmethod\ntrace\nend") +
                           "stop\n";
    const QByteArray code = ActionAssembler::assemble(source);
    QVERIFY(!code.isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("input.swf"));
    TestFiles::write(path, movie(doAction(code) + showFrame(), 6));
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    control.keyPress(Qt::Key_A, QStringLiteral("a"));
    control.keyRelease(Qt::Key_A);
    const QRect area(0, 0, 550, 400);
    control.pointerPress(QPointF(10, 10), area);
    control.pointerRelease(QPointF(10, 10), area);
    QCOMPARE(lines, (QStringList{"k", "undefined", "65", "m", "undefined"}));
}

QTEST_MAIN(SwfClassesTest)
#include "tst_swf_classes.moc"
