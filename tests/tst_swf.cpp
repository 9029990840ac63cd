#include "swf/FlashControl.h"
#include "swf/MoviePlayer.h"
#include "swf/StageLayout.h"
#include "SwfWriter.h"
#include "TestFiles.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;

namespace {

const QColor Red(255, 0, 0), Green(0, 255, 0), Blue(0, 0, 255);

// Pixel colour check with room for anti-aliasing.
bool near(QRgb pixel, const QColor &c, int tolerance = 8)
{
    return qAbs(qRed(pixel) - c.red()) <= tolerance && qAbs(qGreen(pixel) - c.green()) <= tolerance &&
           qAbs(qBlue(pixel) - c.blue()) <= tolerance;
}

// Two frames: a red square on frame 0, a blue one beside it on frame 1.
QByteArray twoFrames()
{
    return background(Qt::white) + rectangle(1, QRect(0, 0, 400, 400), Red) +
           place(Place(1, 1)) + showFrame() + rectangle(2, QRect(1000, 0, 400, 400), Blue) + place(Place(2, 2)) + showFrame();
}

} // namespace

class SwfTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        TestFiles::write(path, bytes);
        return path;
    }

private slots:
    void contractWithoutMovie();
    void contractWithMovie();
    void compressedMoviesReadAlike_data();
    void compressedMoviesReadAlike();
    void realFramesDecideTheLength();
    void frameScriptsSteerTheTimeline();
    void actionOrderOfClips();
    void backwardJumpKeepsPersistingObjects();
    void unnamedObjectsAreNamedInstanceN();
    void fscommandsReachTheEvent_data();
    void fscommandsReachTheEvent();
    void scriptsReachClipsAndValues_data();
    void scriptsReachClipsAndValues();
    void scriptFunctionsAndObjects_data();
    void scriptFunctionsAndObjects();
    void initActionsRunOnce();
    void clipEventsAndHandlers();
    void scriptsMakeAndRemoveClips();
    void intervalsCallBack();
    void keysReachTheMovie();
    void textFieldsShowTheirVariables();
    void renderingOfShapesMasksAndTransforms();
    void stageFitsTheAreaKeepingItsShape();
    void stageFollowsScaleModeAndAlign_data();
    void stageFollowsScaleModeAndAlign();
    void buttonsAnswerThePointer();
    void hostileInputStaysCalm_data();
    void hostileInputStaysCalm();
    void endlessScriptIsStopped_data();
    void endlessScriptIsStopped();
    void renderTool();
};

void SwfTest::contractWithoutMovie()
{
    swf::FlashControl control;
    QCOMPARE(control.Movie(), QString());
    QVERIFY(control.FrameNum() < 0);
    QCOMPARE(control.TotalFrames(), 0);
    QVERIFY(!control.Playing());
    control.Play();
    control.GotoFrame(3);
    QVERIFY(control.FrameNum() < 0);

    control.setBackgroundColor(0x0000FF); // red in 0x00BBGGRR
    QImage empty(50, 40, QImage::Format_RGB32);
    QPainter painter(&empty);
    control.paint(painter, empty.rect());
    painter.end();
    QVERIFY(near(empty.pixel(25, 20), Red));

    control.setMovie("res://");
    QCOMPARE(control.Movie(), QString("res://"));
    QVERIFY(control.FrameNum() < 0);
}

void SwfTest::contractWithMovie()
{
    swf::FlashControl control;
    const QString path = write("two.swf", movie(twoFrames()));
    control.setBackgroundColor(-1);
    control.setMovie(path);
    QCOMPARE(control.Movie(), path);
    QCOMPARE(control.FrameNum(), 0);
    QCOMPARE(control.CurrentFrame(), 0);
    QCOMPARE(control.TotalFrames(), 2);
    QVERIFY(control.Playing());

    control.advanceFrame();
    QCOMPARE(control.CurrentFrame(), 1);
    control.advanceFrame(); // the root loops to its first frame
    QCOMPARE(control.CurrentFrame(), 0);

    control.Stop();
    QVERIFY(!control.Playing());
    control.advanceFrame();
    QCOMPARE(control.CurrentFrame(), 0);
    control.GotoFrame(1); // halted stays halted
    QCOMPARE(control.CurrentFrame(), 1);
    QVERIFY(!control.Playing());
    control.GotoFrame(99); // clamped to the last frame
    QCOMPARE(control.CurrentFrame(), 1);
    control.Play();
    QVERIFY(control.Playing());

    // It advances by itself at its frame rate while loaded.
    control.GotoFrame(0);
    QSignalSpy changes(&control, &swf::FlashControl::changed);
    QTRY_VERIFY_WITH_TIMEOUT(control.CurrentFrame() == 1, 1000);
    QVERIFY(changes.count() > 0);

    control.setMovie("res://");
    QVERIFY(control.FrameNum() < 0);
    QCOMPARE(control.TotalFrames(), 0);
}

void SwfTest::compressedMoviesReadAlike_data()
{
    QTest::addColumn<int>("packing");
    QTest::newRow("plain") << int(Packing::None);
    QTest::newRow("zlib") << int(Packing::Zlib);
    QTest::newRow("lzma") << int(Packing::Lzma);
}

void SwfTest::compressedMoviesReadAlike()
{
    QFETCH(int, packing);
    swf::FlashControl control;
    control.setMovie(write("packed.swf", movie(twoFrames(), 10, QSize(200, 150), 12, -1, Packing(packing))));
    QCOMPARE(control.TotalFrames(), 2);
    control.advanceFrame();
    const QImage stage = control.renderStage();
    QCOMPARE(stage.size(), QSize(200, 150));
    QVERIFY(near(stage.pixel(10, 10), Red));
    QVERIFY(near(stage.pixel(60, 10), Blue));
    QVERIFY(near(stage.pixel(150, 100), Qt::white));
}

void SwfTest::realFramesDecideTheLength()
{
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });

    // The header says one frame, the file holds two: both play, in a loop.
    control.setMovie(write("short-header.swf", movie(twoFrames(), 8, QSize(200, 150), 12, 1)));
    QCOMPARE(control.TotalFrames(), 2);
    control.advanceFrame();
    QCOMPARE(control.CurrentFrame(), 1);

    // The header says two, the file holds one: its script runs once only.
    control.setMovie(write("long-header.swf", movie(doAction(as::trace("once")) + showFrame(), 8, QSize(200, 150), 12, 2)));
    QCOMPARE(control.TotalFrames(), 1);
    for (int i = 0; i < 5; ++i)
        control.advanceFrame();
    QCOMPARE(lines, QStringList{"once"});
}

void SwfTest::frameScriptsSteerTheTimeline()
{
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    // Frame 0 jumps to the label "End" (in another case); frame 2 stops.
    const QByteArray tags = doAction(as::gotoLabel("end") + as::play()) + showFrame() +
                            doAction(as::trace("skipped")) + showFrame() + label("End") +
                            doAction(as::trace("at end") + as::stop()) + showFrame() +
                            doAction(as::trace("never")) + showFrame();
    control.setMovie(write("script.swf", movie(tags)));
    QCOMPARE(control.CurrentFrame(), 2);
    QVERIFY(!control.Playing());
    for (int i = 0; i < 3; ++i)
        control.advanceFrame();
    QCOMPARE(control.CurrentFrame(), 2);
    QCOMPARE(lines, QStringList{"at end"});

    // An unknown label does nothing.
    lines.clear();
    control.setMovie(write("nolabel.swf", movie(doAction(as::gotoLabel("nowhere")) + showFrame() + showFrame())));
    QCOMPARE(control.CurrentFrame(), 0);
}

void SwfTest::actionOrderOfClips()
{
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    // A two-frame clip placed on the root's first frame.
    const QByteArray clip = sprite(10, doAction(as::trace("clip 0")) + showFrame() + doAction(as::trace("clip 1")) + showFrame());
    const QByteArray tags = clip + place(Place(1, 10)) + doAction(as::trace("root 0")) + showFrame() +
                            doAction(as::trace("root 1") + as::stop()) + showFrame();
    control.setMovie(write("order.swf", movie(tags)));
    control.advanceFrame();
    QCOMPARE(lines, (QStringList{"root 0", "clip 0", "clip 1", "root 1"}));
}

void SwfTest::backwardJumpKeepsPersistingObjects()
{
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    const QByteArray stays = sprite(10, doAction(as::trace("stays born")) + showFrame());
    const QByteArray goes = sprite(11, doAction(as::trace("goes born")) + showFrame());
    const QByteArray tags = stays + goes + place(Place(1, 10)) + place(Place(2, 11)) + showFrame() + remove(2) + showFrame();
    control.setMovie(write("persist.swf", movie(tags)));
    control.advanceFrame();
    QCOMPARE(control.CurrentFrame(), 1);
    lines.clear();
    control.GotoFrame(0);
    // The clip that persisted is kept; the removed one is made again.
    QCOMPARE(lines, QStringList{"goes born"});
}

void SwfTest::unnamedObjectsAreNamedInstanceN()
{
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    const QByteArray traceThis = as::getVariable("this") + as::op(0x26);
    // Clips and buttons placed without a name count up; shapes and named clips take no number.
    constexpr quint32 Load = 0x01;
    const QByteArray tags = rectangle(1, QRect(0, 0, 10, 10), Qt::red) + sprite(10, showFrame()) +
                            button(20, 1, 1, QByteArray()) + place(Place(1, 1)) +
                            place(Place(2, 10).on(Load, traceThis)) + place(Place(3, 10).named("kept").on(Load, traceThis)) +
                            place(Place(4, 20)) + showFrame() +
                            // A move that gives no name keeps the one given.
                            place(Place(2).moving().at(QPoint(20, 20))) +
                            doAction(as::getVariable("instance1") + as::op(0x26) + as::getVariable("instance2") +
                                     as::op(0x26) + as::stop()) +
                            showFrame();
    control.setMovie(write("instance-names.swf", movie(tags)));
    control.advanceFrame();
    QCOMPARE(lines, (QStringList{"_level0.instance1", "_level0.kept", "_level0.instance1", "_level0.instance2"}));
}

void SwfTest::fscommandsReachTheEvent_data()
{
    QTest::addColumn<QByteArray>("actions");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("args");
    QTest::newRow("GetURL") << as::getUrl("FSCommand:quit", "now") << "quit" << "now";
    QTest::newRow("lower case") << as::getUrl("fscommand:next", "") << "next" << "";
    QTest::newRow("computed GetURL2") << QByteArray(as::pushString("FSCommand:") + as::pushString("go") +
                                                    SwfWriter::as::op(0x21) + as::pushString("arg") + as::getUrl2())
                                      << "go" << "arg";
    QTest::newRow("not a command") << as::getUrl("http://example.invalid/", "_blank") << "" << "";
}

void SwfTest::fscommandsReachTheEvent()
{
    QFETCH(QByteArray, actions);
    QFETCH(QString, command);
    QFETCH(QString, args);
    swf::FlashControl control;
    QSignalSpy commands(&control, &swf::FlashControl::FSCommand);
    control.setMovie(write("fscommand.swf", movie(doAction(actions) + showFrame())));
    if (command.isEmpty()) {
        QCOMPARE(commands.count(), 0);
        return;
    }
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands[0][0].toString(), command);
    QCOMPARE(commands[0][1].toString(), args);
}

void SwfTest::scriptsReachClipsAndValues_data()
{
    using namespace as;
    const QByteArray ball = pushString("ball") + op(0x1C); // GetVariable: the clip
    const QByteArray traceTop = op(0x26);
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("printed");
    QTest::newRow("set and get a property") << QByteArray(pushString("ball") + pushNumber(0) + pushNumber(100) + op(0x23) +
                                                          pushString("ball") + pushNumber(0) + op(0x22) + traceTop)
                                            << "100";
    QTest::newRow("member of a clip") << QByteArray(ball + pushString("_totalframes") + op(0x4E) + traceTop) << "5";
    QTest::newRow("clip method") << QByteArray(pushNumber(3) + pushNumber(1) + ball + pushString("gotoAndStop") +
                                               op(0x52) + op(0x17) + ball + pushString("_currentframe") + op(0x4E) +
                                               traceTop)
                                 << "3";
    QTest::newRow("variable by slash path, read by dots")
        << QByteArray(pushString("/ball:score") + pushNumber(7) + op(0x1D) + pushString("_root.ball.score") + op(0x1C) +
                      traceTop)
        << "7";
    QTest::newRow("member variable") << QByteArray(ball + pushString("lives") + pushNumber(3) + op(0x4F) +
                                                   pushString("ball:lives") + op(0x1C) + traceTop)
                                     << "3";
    QTest::newRow("register and increment") << QByteArray(pushNumber(5) + storeRegister(1) + op(0x17) + pushRegister(1) +
                                                          op(0x50) + traceTop)
                                            << "6";
    QTest::newRow("typeof a clip") << QByteArray(ball + op(0x44) + traceTop) << "movieclip";
    QTest::newRow("a clip as text") << QByteArray(ball + traceTop) << "_level0.ball";
    QTest::newRow("substring") << QByteArray(pushString("Tessaro") + pushNumber(2) + pushNumber(3) + op(0x15) + traceTop)
                               << "ess";
    QTest::newRow("bitwise and") << QByteArray(pushNumber(6) + pushNumber(3) + op(0x60) + traceTop) << "2";
    QTest::newRow("character codes") << QByteArray(pushNumber(65) + op(0x33) + pushString("a") + op(0x32) + op(0x47) +
                                                   traceTop)
                                     << "A97";
    QTest::newRow("greater and strict equality") << QByteArray(pushNumber(3) + pushNumber(2) + op(0x67) +
                                                               pushString("3") + pushNumber(3) + op(0x66) + op(0x47) +
                                                               traceTop)
                                                 << "1";
    QTest::newRow("tinted by a Color")
        << QByteArray(pushString("c") + ball + pushNumber(1) + pushString("Color") + op(0x40) + op(0x1D) +
                      pushNumber(0x00FF00) + pushNumber(1) + pushString("c") + op(0x1C) + pushString("setRGB") +
                      op(0x52) + op(0x17) + pushNumber(0) + pushString("c") + op(0x1C) + pushString("getRGB") +
                      op(0x52) + traceTop)
        << "65280";
    QTest::newRow("a turned clip's width, to whole twips")
        << QByteArray(ball + pushString("_rotation") + pushNumber(45) + op(0x4F) + ball + pushString("_width") + op(0x4E) +
                      traceTop)
        << "28.3";
    QTest::newRow("hidden by _visible") << QByteArray(ball + pushString("_visible") + pushNumber(0) + op(0x4F) + ball +
                                                      pushString("_visible") + op(0x4E) + traceTop)
                                        << "false";
}

void SwfTest::scriptsReachClipsAndValues()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, printed);
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    QByteArray clip;
    for (int f = 0; f < 5; ++f)
        clip += showFrame();
    const QByteArray tags = rectangle(1, QRect(0, 0, 400, 400), Red) +
                            sprite(10, place(Place(1, 1)) + clip) + place(Place(1, 10).named("ball")) +
                            doAction(script) + showFrame();
    control.setMovie(write("clips.swf", movie(tags)));
    QCOMPARE(lines, QStringList{printed});
}

void SwfTest::scriptFunctionsAndObjects_data()
{
    using namespace as;
    const QByteArray traceTop = op(0x26);
    const QByteArray add2 = op(0x47), getMember = op(0x4E), setMember = op(0x4F), callMethod = op(0x52),
                     setVariable = op(0x1D), ret = op(0x3E), drop = op(0x17);
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("printed");

    QTest::newRow("function returns")
        << QByteArray(defineFunction("add", {"a", "b"}, getVariable("a") + getVariable("b") + add2 + ret) +
                      pushNumber(3) + pushNumber(2) + callFunction("add", 2) + traceTop)
        << "5";

    // function f(n) { if (n < 2) return 1; return n * f(n - 1); }
    const QByteArray recurse = getVariable("n") + getVariable("n") + pushNumber(1) + op(0x0B) + callFunction("f", 1) +
                               op(0x0C) + ret;
    const QByteArray factorial = getVariable("n") + pushNumber(2) + op(0x48) + op(0x12) +
                                 branchIf(int(QByteArray(pushNumber(1) + ret).size())) + pushNumber(1) + ret + recurse;
    QTest::newRow("recursion") << QByteArray(defineFunction("f", {"n"}, factorial) + pushNumber(5) +
                                             callFunction("f", 1) + traceTop)
                               << "120";

    // function make() { var c = 10; return function () { return c + 1; }; } make()()
    const QByteArray inner = defineFunction("", {}, getVariable("c") + pushNumber(1) + add2 + ret);
    QTest::newRow("closure keeps its scope")
        << QByteArray(defineFunction("make", {}, pushString("c") + pushNumber(10) + op(0x3C) + inner + ret) +
                      pushNumber(0) + callFunction("make", 0) + pushUndefined() + callMethod + traceTop)
        << "11";

    QTest::newRow("parameters in registers")
        << QByteArray(defineFunction2("twice", 2, 0, {{1, "x"}}, pushRegister(1) + pushRegister(1) + add2 + ret) +
                      pushNumber(21) + callFunction("twice", 1) + traceTop)
        << "42";

    // function Ball() { this.r = 3; } Ball.prototype.area = function () { return this.r * 2; };
    const QByteArray ball = defineFunction("Ball", {}, getVariable("this") + pushString("r") + pushNumber(3) + setMember) +
                            getVariable("Ball") + pushString("prototype") + getMember + pushString("area") +
                            defineFunction("", {}, getVariable("this") + pushString("r") + getMember + pushNumber(2) +
                                                       op(0x0C) + ret) +
                            setMember + pushString("b") + pushNumber(0) + pushString("Ball") + op(0x40) + setVariable;
    QTest::newRow("new object and prototype method")
        << QByteArray(ball + pushNumber(0) + getVariable("b") + pushString("area") + callMethod + traceTop) << "6";

    QTest::newRow("instanceof through extends")
        << QByteArray(ball + defineFunction("Toy", {}, {}) + getVariable("Toy") + getVariable("Ball") + op(0x69) +
                      pushString("t") + pushNumber(0) + pushString("Toy") + op(0x40) + setVariable + getVariable("t") +
                      getVariable("Ball") + op(0x54) + traceTop)
        << "true";

    // a = [3, 1, 2]; a.push(5); a.sort(); a.join("-")
    QTest::newRow("arrays")
        << QByteArray(pushString("a") + pushNumber(2) + pushNumber(1) + pushNumber(3) + pushNumber(3) + op(0x42) +
                      setVariable + pushNumber(5) + pushNumber(1) + getVariable("a") + pushString("push") + callMethod +
                      drop + pushNumber(0) + getVariable("a") + pushString("sort") + callMethod + drop +
                      pushString("-") + pushNumber(1) + getVariable("a") + pushString("join") + callMethod + traceTop)
        << "1-2-3-5";

    QTest::newRow("object literal, members and enumeration")
        << QByteArray(pushString("x") + pushNumber(1) + pushString("y") + pushNumber(2) + pushNumber(2) + op(0x43) +
                      op(0x4C) + pushString("y") + getMember + op(0x4D) + op(0x55) + add2 + op(0x4D) + drop + add2 +
                      traceTop)
        << "2xy";

    const QByteArray tryBody = pushString("oops") + op(0x2A) + trace("not reached");
    const QByteArray catchBody = getVariable("e") + traceTop;
    Bits tryHead;
    tryHead.u8(1);
    tryHead.u16(int(tryBody.size()));
    tryHead.u16(int(catchBody.size()));
    tryHead.u16(0);
    tryHead.string("e");
    QTest::newRow("throw and catch") << QByteArray(op(0x8F, tryHead.bytes) + tryBody + catchBody) << "oops";
    QTest::newRow("throw out of a function to its caller")
        << QByteArray(defineFunction("fail", {}, pushString("deep") + op(0x2A)) + op(0x8F, tryHead.bytes) +
                      QByteArray(callFunction("fail", 0) + drop + pushString("oops") + op(0x2A)).left(int(tryBody.size())) +
                      catchBody)
        << "deep";

    const QByteArray withBody = getVariable("v") + traceTop;
    Bits withSize;
    withSize.u16(int(withBody.size()));
    QTest::newRow("with") << QByteArray(pushString("v") + pushNumber(7) + pushNumber(1) + op(0x43) +
                                        op(0x94, withSize.bytes) + withBody)
                          << "7";

    QTest::newRow("Math and string methods")
        << QByteArray(pushNumber(9) + pushNumber(2) + pushNumber(2) + getVariable("Math") + pushString("max") +
                      callMethod + pushNumber(0) + pushString("abc") + pushString("toUpperCase") + callMethod + add2 +
                      traceTop)
        << "9ABC";
    QTest::newRow("typeof values") << QByteArray(pushNumber(0) + op(0x43) + op(0x44) + pushNull() + op(0x44) + add2 +
                                                 getVariable("Math") + pushString("abs") + getMember + op(0x44) + add2 +
                                                 traceTop)
                                   << "objectnullfunction";
    QTest::newRow("parseInt with a radix that is not a number")
        << QByteArray(pushNumber(0) + pushNumber(0) + op(0x0D) + pushString("ff") + callFunction("parseInt", 2) +
                      pushString("12") + callFunction("parseInt", 1) + add2 + traceTop)
        << "NaN";
    QTest::newRow("numbers print as scripts expect")
        << QByteArray(pushNumber(1) + pushNumber(16384) + op(0x0D) + traceTop) << "0.00006103515625";
}

void SwfTest::scriptFunctionsAndObjects()
{
    scriptsReachClipsAndValues();
}

void SwfTest::initActionsRunOnce()
{
    QStringList lines;
    swf::FlashControl control;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    control.setMovie(write("init.swf", movie(doAction(as::trace("frame")) + doInitAction(10, as::trace("init")) +
                                             showFrame() + showFrame())));
    control.advanceFrame();
    control.advanceFrame(); // back on the first frame
    QCOMPARE(lines, QStringList({"init", "frame", "frame"}));
}

void SwfTest::clipEventsAndHandlers()
{
    using namespace as;
    constexpr quint32 Load = 0x1, EnterFrame = 0x2, MouseDown = 0x10, Release = 0x800;
    // A clip with load, enterFrame and mouseDown handlers, and one that acts
    // as a button through on (release); the root sets an onEnterFrame
    // function on itself that stops after its second call.
    const QByteArray clip = sprite(10, place(Place(1, 1)) + showFrame());
    const QByteArray onEnterFrame =
        defineFunction("", {}, trace("root tick") + getVariable("ticks") + op(0x50) + op(0x4C) + pushString("ticks") +
                                   op(0x4D) + op(0x1D) + pushNumber(2) + op(0x48) +
                                   branchIf(int(QByteArray(pushString("onEnterFrame") + pushUndefined() + op(0x1D)).size())) +
                                   pushString("onEnterFrame") + pushUndefined() + op(0x1D));
    const QByteArray tags =
        rectangle(1, QRect(0, 0, 1000, 1000), Red) + clip +
        place(Place(1, 10)
                  .on(Load, trace("loaded"))
                  .on(EnterFrame, trace("tick"))
                  .on(MouseDown, pushString("") + pushNumber(20) + op(0x22) + op(0x26))) + // trace(_xmouse)
        place(Place(2, 10).at(QPoint(2000, 0)).on(Release, getUrl("FSCommand:released", ""))) +
        doAction(pushString("ticks") + pushNumber(0) + op(0x1D) + pushString("onEnterFrame") + onEnterFrame + op(0x1D)) +
        showFrame();
    swf::FlashControl control;
    QStringList lines;
    QSignalSpy commands(&control, &swf::FlashControl::FSCommand);
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    control.setMovie(write("events.swf", movie(tags, 6)));
    QCOMPARE(lines, QStringList({"loaded"}));
    lines.clear();
    control.advanceFrame();
    control.advanceFrame();
    control.advanceFrame();
    QCOMPARE(lines, QStringList({"tick", "root tick", "tick", "root tick", "tick"}));
    lines.clear();
    const QRect area(0, 0, 200, 150);
    control.pointerPress(QPointF(120, 20), area); // over the second clip
    control.pointerRelease(QPointF(120, 20), area);
    QCOMPARE(lines, QStringList({"120"}));
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands[0][0].toString(), QString("released"));
}

void SwfTest::scriptsMakeAndRemoveClips()
{
    using namespace as;
    const QByteArray callMethod = op(0x52), drop = op(0x17), traceTop = op(0x26);
    const auto method = [&](const QByteArray &object, const QByteArray &name, const QByteArray &argsReversed,
                            int count) {
        return argsReversed + pushNumber(count) + getVariable(object) + pushString(name) + callMethod;
    };
    const QByteArray script =
        // ball.duplicateMovieClip("copy", 5); copy.getDepth()
        method("ball", "duplicateMovieClip", pushNumber(5) + pushString("copy"), 2) + drop +
        method("copy", "getDepth", {}, 0) + traceTop +
        // attachMovie("Star", "star", 7) on the root, createEmptyMovieClip("box", 8)
        method("_root", "attachMovie", pushNumber(7) + pushString("star") + pushString("Star"), 3) + traceTop +
        method("_root", "createEmptyMovieClip", pushNumber(8) + pushString("box"), 2) + traceTop +
        // box.swapDepths(copy): box now at 5
        method("box", "swapDepths", getVariable("copy"), 1) + drop + method("box", "getDepth", {}, 0) + traceTop +
        // removeMovieClip: the copy goes, the placed ball stays
        method("copy", "removeMovieClip", {}, 0) + drop + getVariable("copy") + op(0x44) + traceTop +
        method("ball", "removeMovieClip", {}, 0) + drop + getVariable("ball") + op(0x44) + traceTop;
    const QByteArray tags = rectangle(1, QRect(0, 0, 400, 400), Red) + sprite(10, place(Place(1, 1)) + showFrame()) +
                            exportAssets(10, "Star") + place(Place(1, 10).named("ball")) + doAction(script) +
                            showFrame();
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    control.setMovie(write("clips-made.swf", movie(tags, 6)));
    QCOMPARE(lines, QStringList({"5", "_level0.star", "_level0.box", "5", "undefined", "movieclip"}));
    // The attached star is drawn: the red square at the stage's origin.
    QVERIFY(near(control.renderStage().pixel(5, 5), Red));
}

void SwfTest::intervalsCallBack()
{
    using namespace as;
    // id = setInterval(function () { trace("tick"); count++; if (count == 2) clearInterval(id); }, 10)
    const QByteArray clear = getVariable("id") + pushNumber(1) + pushString("clearInterval") + op(0x3D) + op(0x17);
    const QByteArray body = trace("tick") + pushString("count") + getVariable("count") + op(0x50) + op(0x1D) +
                            getVariable("count") + pushNumber(2) + op(0x49) + op(0x12) +
                            branchIf(int(clear.size())) + clear;
    const QByteArray script = pushString("count") + pushNumber(0) + op(0x1D) + pushString("id") + pushNumber(10) +
                              defineFunction("", {}, body) + pushNumber(2) + pushString("setInterval") + op(0x3D) +
                              op(0x1D);
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    control.setMovie(write("interval.swf", movie(doAction(script) + showFrame(), 6)));
    for (int i = 0; i < 5; ++i) {
        QTest::qWait(20);
        control.advanceFrame();
    }
    QCOMPARE(lines, QStringList({"tick", "tick"}));
}

void SwfTest::keysReachTheMovie()
{
    using namespace as;
    constexpr quint32 KeyDown = 0x40, KeyUp = 0x80;
    // A clip traces the key codes it sees; a button answers the "a" key
    // (key-press code 97 in bits 9 to 15 of its condition); frame 1 asks
    // whether Left is held.
    const QByteArray keyCode = pushNumber(0) + getVariable("Key") + pushString("getCode") + op(0x52) + op(0x26);
    const QByteArray tags =
        rectangle(1, QRect(0, 0, 400, 400), Red) + sprite(10, place(Place(1, 1)) + showFrame()) +
        button(20, 1, 1, getUrl("FSCommand:pressed-a", ""), 97 << 9) +
        place(Place(1, 10).on(KeyDown, trace("down") + keyCode).on(KeyUp, trace("up"))) +
        place(Place(2, 20).at(QPoint(2000, 2000))) + showFrame() +
        doAction(pushNumber(37) + pushNumber(1) + getVariable("Key") + pushString("isDown") + op(0x52) + op(0x26)) +
        showFrame();
    swf::FlashControl control;
    QStringList lines;
    QSignalSpy commands(&control, &swf::FlashControl::FSCommand);
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    control.setMovie(write("keys.swf", movie(tags, 6)));
    control.keyPress(Qt::Key_Left, QString());
    control.advanceFrame();
    control.keyRelease(Qt::Key_Left);
    control.keyPress(Qt::Key_A, QStringLiteral("a"));
    QCOMPARE(lines, QStringList({"down", "37", "true", "up", "down", "65"}));
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands[0][0].toString(), QString("pressed-a"));
}

void SwfTest::textFieldsShowTheirVariables()
{
    using namespace as;
    // Frame 2 sets score; the second field names its variable by a dotted
    // path and shows its own text while that is unset.
    const QByteArray tags = background(Qt::white) + editText(1, QRect(0, 0, 3000, 600), "score") +
                            editText(2, QRect(0, 1000, 3000, 600), "_root.label", "Hello") + place(Place(1, 1)) +
                            place(Place(2, 2)) + showFrame() +
                            doAction(pushString("score") + pushNumber(42) + op(0x1D)) + showFrame();
    swf::FlashControl control;
    control.setMovie(write("fields.swf", movie(tags, 6)));
    const auto inked = [](const QImage &stage, int top) {
        int dark = 0;
        for (int y = top; y < top + 30; ++y)
            for (int x = 0; x < 150; ++x)
                if (qGray(stage.pixel(x, y)) < 128)
                    ++dark;
        return dark;
    };
    QImage stage = control.renderStage();
    QCOMPARE(inked(stage, 0), 0);     // score is unset
    QVERIFY(inked(stage, 50) > 20);   // the field's own "Hello"
    control.advanceFrame();
    stage = control.renderStage();
    QVERIFY(inked(stage, 0) > 10);    // "42"
}

void SwfTest::renderingOfShapesMasksAndTransforms()
{
    // Depth 1: a green gradient square; depth 2: a mask over the left half of
    // the red square at depth 3; depth 4: a blue square whose red channel is
    // added by a colour transform (blue + red = magenta), in a clip scaled 2x.
    const QByteArray tags =
        background(Qt::white) + rectangle(1, QRect(0, 0, 1000, 1000), Green, Blue) + place(Place(1, 1)) +
        rectangle(2, QRect(1200, 0, 400, 1000), Qt::black) + rectangle(3, QRect(1200, 0, 800, 1000), Red) +
        place(Place(2, 2).clipping(3)) + place(Place(3, 3)) + rectangle(4, QRect(0, 0, 200, 200), Blue) +
        sprite(5, place(Place(1, 4)) + showFrame()) + place(Place(4, 5).at(QPoint(2200, 0)).scaled(2.0).tinted(256, 255)) +
        showFrame();
    swf::FlashControl control;
    control.setMovie(write("draw.swf", movie(tags)));
    const QImage stage = control.renderStage();
    // Gradient: green at its left end, blue at its right, a mix between.
    QVERIFY(near(stage.pixel(2, 25), Green, 30));
    QVERIFY(near(stage.pixel(48, 25), Blue, 30));
    QVERIFY(qGreen(stage.pixel(25, 25)) > 60 && qBlue(stage.pixel(25, 25)) > 60);
    // Mask: the red square shows only where the mask is.
    QVERIFY(near(stage.pixel(65, 25), Red));
    QVERIFY(near(stage.pixel(95, 25), Qt::white));
    // The clip: scaled twice (20 pixels), moved, and turned magenta.
    QVERIFY(near(stage.pixel(115, 5), QColor(255, 0, 255)));
    QVERIFY(near(stage.pixel(128, 18), QColor(255, 0, 255)));
    QVERIFY(near(stage.pixel(133, 5), Qt::white));
}

void SwfTest::stageFitsTheAreaKeepingItsShape()
{
    swf::FlashControl control;
    control.setMovie(write("fit.swf", movie(background(Red) + showFrame(), 8, QSize(100, 100))));
    QImage wide(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::black);
    QPainter painter(&wide);
    control.paint(painter, wide.rect());
    painter.end();
    // The square stage sits in the middle; the movie's background fills the rest.
    QVERIFY(near(wide.pixel(150, 50), Red));
    QVERIFY(near(wide.pixel(5, 50), Red));

    control.setMovie(write("fit2.swf", movie(background(Qt::white) + rectangle(1, QRect(0, 0, 2000, 2000), Blue) +
                                                 place(Place(1, 1)) + showFrame(),
                                             8, QSize(100, 100))));
    QPainter again(&wide);
    control.paint(again, wide.rect());
    again.end();
    QVERIFY(near(wide.pixel(150, 50), Blue));
    QVERIFY(near(wide.pixel(50, 50), Qt::white)); // left of the stage
    QVERIFY(near(wide.pixel(250, 50), Qt::white));
}

void SwfTest::stageFollowsScaleModeAndAlign_data()
{
    using Scale = swf::StageLayout::Scale;
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("align");
    QTest::addColumn<QRectF>("shown"); // where a 100 by 50 stage lands in 400 by 100 pixels
    QTest::newRow("show all, centred") << int(Scale::ShowAll) << QString() << QRectF(100, 0, 200, 100);
    QTest::newRow("show all, to the left") << int(Scale::ShowAll) << "L" << QRectF(0, 0, 200, 100);
    QTest::newRow("show all, to the right") << int(Scale::ShowAll) << "R" << QRectF(200, 0, 200, 100);
    QTest::newRow("exact fit") << int(Scale::ExactFit) << QString() << QRectF(0, 0, 400, 100);
    QTest::newRow("no border, centred") << int(Scale::NoBorder) << QString() << QRectF(0, -50, 400, 200);
    QTest::newRow("no border, top") << int(Scale::NoBorder) << "T" << QRectF(0, 0, 400, 200);
    QTest::newRow("no scale, centred") << int(Scale::NoScale) << QString() << QRectF(150, 25, 100, 50);
    QTest::newRow("no scale, bottom right") << int(Scale::NoScale) << "RB" << QRectF(300, 50, 100, 50);
}

void SwfTest::stageFollowsScaleModeAndAlign()
{
    QFETCH(int, scale);
    QFETCH(QString, align);
    QFETCH(QRectF, shown);
    swf::StageLayout layout;
    layout.scale = swf::StageLayout::Scale(scale);
    layout.align = align;
    const QRectF stage(0, 0, 100 * 20, 50 * 20);
    QCOMPARE(swf::StageToArea(stage, QSize(400, 100), layout).mapRect(stage), shown);
}

void SwfTest::buttonsAnswerThePointer()
{
    const QByteArray tags = rectangle(1, QRect(0, 0, 1000, 1000), Red) + rectangle(2, QRect(0, 0, 1000, 1000), Qt::black) +
                            button(3, 1, 2, as::getUrl("FSCommand:clicked", "")) + place(Place(1, 3)) + showFrame();
    swf::FlashControl control;
    QSignalSpy commands(&control, &swf::FlashControl::FSCommand);
    control.setMovie(write("button.swf", movie(tags, 8, QSize(100, 100))));
    const QRect area(0, 0, 100, 100);
    QVERIFY(near(control.renderStage().pixel(20, 20), Red));
    control.pointerPress(QPointF(80, 80), area); // outside the button
    control.pointerRelease(QPointF(80, 80), area);
    QCOMPARE(commands.count(), 0);
    control.pointerMove(QPointF(20, 20), area);
    control.pointerPress(QPointF(20, 20), area);
    control.pointerRelease(QPointF(20, 20), area);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands[0][0].toString(), QString("clicked"));
}

void SwfTest::hostileInputStaysCalm_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("loads");
    const QByteArray good = movie(twoFrames());
    QByteArray hugeBitmap;
    {
        Bits b;
        b.u16(7);
        b.u8(5);
        b.u16(65535);
        b.u16(65535);
        b.raw(QByteArray(64, 'x'));
        hugeBitmap = tag(36, b.bytes) + showFrame();
    }
    // A clip that places itself twice: nesting and object count must stop it.
    const QByteArray selfNesting = sprite(9, place(Place(1, 9)) + place(Place(2, 9)) + showFrame()) + place(Place(1, 9)) + showFrame();
    QByteArray lyingLength = movie(twoFrames(), 8, QSize(200, 150), 12, -1, Packing::Zlib);
    lyingLength[4] = char(0xFF);
    lyingLength[5] = char(0xFF);
    lyingLength[6] = char(0xFF);
    lyingLength[7] = char(0x7F);
    QTest::newRow("not a movie") << QByteArray("GIF89a this is a picture") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("header only") << good.left(9) << false;
    QTest::newRow("truncated") << good.left(good.size() - 20) << true;
    QTest::newRow("huge declared bitmap") << movie(hugeBitmap) << true;
    QTest::newRow("self-nesting clip") << movie(selfNesting) << true;
    QTest::newRow("lying length") << lyingLength << true;
    // Before version 5 there are no String or Number classes whose members a
    // primitive could reach.
    QTest::newRow("members of primitives in version 4")
        << movie(doAction(QByteArray::fromHex("960900" "010000a040" "007800" "4e" "17" "960600" "006100" "007800" "4e" "17" "00")) + showFrame(), 4)
        << true;
    // An array holding itself twice, traced again and again: each text joins
    // the array a million times.
    QByteArray selfHolding = as::pushString("a") + as::pushNumber(0) + as::op(0x42) + as::op(0x1D);
    for (int i = 0; i < 2; ++i)
        selfHolding += as::getVariable("a") + as::pushNumber(i) + as::getVariable("a") + as::op(0x4F);
    for (int i = 0; i < 200; ++i)
        selfHolding += as::getVariable("a") + as::op(0x26);
    QTest::newRow("array holding itself, traced") << movie(doAction(selfHolding) + showFrame()) << true;
    QTest::newRow("broken zlib") << QByteArray("CWS\x08\x40\x00\x00\x00garbage-garbage", 23) << false;
    QTest::newRow("broken lzma") << QByteArray("ZWS\x0d\x40\x00\x00\x00\x05\x00\x00\x00\x5d\x00\x00\x10\x00junk", 21) << false;
    QTest::newRow("4 GB lzma dictionary") << QByteArray("ZWS\x0d\x40\x00\x00\x00\x05\x00\x00\x00\x5d\xff\xff\xff\xffjunk", 21) << false;
}

void SwfTest::hostileInputStaysCalm()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, loads);
    // A hang shows as the test's timeout; time itself is not measured here.
    swf::FlashControl control;
    bool loaded = true;
    try {
        control.setMovie(write("hostile.swf", file));
    } catch (const swf::MovieError &error) {
        loaded = false;
        QVERIFY(QString(error.what()).contains("hostile.swf"));
    }
    QCOMPARE(loaded, loads);
    QCOMPARE(control.FrameNum() >= 0, loads);
    for (int i = 0; i < 5; ++i)
        control.advanceFrame();
    control.renderStage();
}

void SwfTest::endlessScriptIsStopped_data()
{
    QTest::addColumn<QByteArray>("firstFrame");
    // Whether the next frame's script still runs: endless recursion stops
    // every script of the movie for good, as in the reference player.
    QTest::addColumn<bool>("scriptsGoOn");
    // trace("tick") and back, forever.
    const QByteArray tick = as::trace("tick");
    QTest::newRow("endless loop") << doAction(tick + as::jump(-(int(tick.size()) + 5))) << true;
    // A string that doubles itself, forever.
    const QByteArray doubling = as::op(0x4C) + as::op(0x21);
    QTest::newRow("doubling string") << doAction(as::pushString("ab") + doubling + as::jump(-(int(doubling.size()) + 5)))
                                     << true;
    // Many blocks on one frame, each looping.
    QByteArray blocks;
    for (int i = 0; i < 200; ++i)
        blocks += doAction(tick + as::jump(-(int(tick.size()) + 5)));
    QTest::newRow("many looping blocks") << blocks << true;
    // function f() { f(); } f();
    QTest::newRow("endless recursion") << doAction(as::defineFunction("f", {}, as::callFunction("f", 0)) +
                                                   as::callFunction("f", 0))
                                       << false;
    // while (true) a = new Array(1000): the heap fills and is collected between frames.
    const QByteArray allocate = as::pushString("a") + as::pushNumber(1000) + as::pushNumber(1) +
                                as::pushString("Array") + as::op(0x40) + as::op(0x1D);
    QTest::newRow("allocating forever") << doAction(allocate + as::jump(-(int(allocate.size()) + 5))) << true;
    // Back into a with block again and again, looking a name up each time.
    Bits withSize;
    const QByteArray lookup = as::getVariable("x") + as::op(0x17);
    withSize.u16(int(lookup.size()) + 5);
    const QByteArray withLoop = as::pushNumber(0) + as::pushNumber(0) + as::op(0x43) + as::op(0x94, withSize.bytes) + lookup;
    QTest::newRow("with entered forever") << doAction(withLoop + as::jump(-(int(withLoop.size()) + 5))) << true;
}

void SwfTest::endlessScriptIsStopped()
{
    QFETCH(QByteArray, firstFrame);
    QFETCH(bool, scriptsGoOn);
    swf::FlashControl control;
    QStringList lines;
    connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
    control.setMovie(write("forever.swf", movie(firstFrame + showFrame() + doAction(as::trace("frame 1")) + showFrame())));
    // Each loop round is at least two actions, so the frame's allowance
    // bounds what a looping first frame could print, however many blocks it has.
    QVERIFY(lines.size() <= swf::MoviePlayer::MaxWorkPerFrame / 2);
    lines.clear();
    control.advanceFrame(); // the movie plays on
    QCOMPARE(control.CurrentFrame(), 1);
    QCOMPARE(lines.contains("frame 1"), scriptsGoOn);
}

void SwfTest::renderTool()
{
    const QString tool = QStringLiteral(TESSARO_APP_DIR "/tessaro-swf-render");
    const QString out = m_dir.filePath("out.png");
    QProcess render;
    render.start(tool, {"--frames", "1", write("tool.swf", movie(twoFrames())), out});
    QVERIFY(render.waitForFinished(20000));
    QCOMPARE(render.exitCode(), 0);
    const QImage image(out);
    QCOMPARE(image.size(), QSize(200, 150));
    QVERIFY(near(image.pixel(60, 10), Blue));

    // The trace protocol runs the first frame and ten more frame periods, on past the last frame.
    const QByteArray tracing = doAction(as::trace("frame 0")) + showFrame() + doAction(as::trace("frame 1")) + showFrame();
    const QString traceMovie = write("trace.swf", movie(tracing));
    for (const auto &[args, lines] : {std::pair{QStringList{"--trace", traceMovie}, 11},
                                      std::pair{QStringList{"--run", "3", "--trace", traceMovie}, 4},
                                      std::pair{QStringList{"--trace", "--frames", "2", traceMovie}, 3}}) {
        render.start(tool, args);
        QVERIFY(render.waitForFinished(20000));
        QCOMPARE(render.exitCode(), 0);
        const QList<QByteArray> printed = render.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(printed.size(), lines);
        for (int i = 0; i < lines; ++i)
            QCOMPARE(printed[i], QByteArray("frame ") + QByteArray::number(i % 2));
    }

    render.start(tool, {write("bad.swf", "nonsense"), out});
    QVERIFY(render.waitForFinished(20000));
    QCOMPARE(render.exitCode(), 1);
    QVERIFY(render.readAllStandardError().contains("not a Flash movie"));
}

QTEST_MAIN(SwfTest)
#include "tst_swf.moc"
