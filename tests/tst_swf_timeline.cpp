// The order in which timelines and clip events run scripts, and what
// placing, removing and jumping do to the clips scripts see: each case is a
// movie, how many frames it runs after its first, and the lines it traces.
#include "swf/FlashControl.h"
#include "SwfWriter.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SwfWriter;

namespace {

constexpr quint32 Load = 0x1, EnterFrame = 0x2, Unload = 0x4, Initialize = 0x200, Construct = 0x40000;

QByteArray traceTop() { return as::op(0x26); }
QByteArray getMember() { return as::op(0x4E); }
QByteArray setMember() { return as::op(0x4F); }
QByteArray add() { return as::op(0x47); }

// trace(this + suffix)
QByteArray traceThis(const QByteArray &suffix)
{
    return as::getVariable("this") + as::pushString(suffix) + add() + traceTop();
}

// trace(_root.name)
QByteArray traceRootMember(const QByteArray &name)
{
    return as::getVariable("_root") + as::pushString(name) + getMember() + traceTop();
}

// object.name(arguments), the arguments given last first; the result stays on the stack.
QByteArray callMethod(const QByteArray &object, const QByteArray &name, const QByteArray &argumentsReversed, int count)
{
    return argumentsReversed + as::pushNumber(count) + as::getVariable(object) + as::pushString(name) + as::op(0x52);
}

QByteArray drop() { return as::op(0x17); }

// A clip whose frames trace "<name> 1", "<name> 2"... and which stops on its last.
QByteArray countingClip(int id, const QByteArray &name, int frames)
{
    QByteArray tags;
    for (int f = 1; f <= frames; ++f)
        tags += doAction(as::trace(name + ' ' + QByteArray::number(f)) + (f == frames ? as::stop() : QByteArray())) +
                showFrame();
    return sprite(id, tags);
}

// GotoFrame2 on the frame number (or label) on the stack, stopping there.
QByteArray gotoFrame2() { return as::op(0x9F, QByteArray(1, '\0')); }
QByteArray traceCurrentFrame()
{
    constexpr int CurrentFrameProperty = 4;
    return as::pushString("") + as::pushNumber(CurrentFrameProperty) + as::op(0x22) + traceTop();
}

} // namespace

class SwfTimelineTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QStringList run(const QByteArray &tags, int version, int frames)
    {
        const QString path = m_dir.filePath(QStringLiteral("timeline.swf"));
        TestFiles::write(path, movie(tags, version));
        swf::FlashControl control;
        QStringList lines;
        connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &l) { lines << l; });
        control.setMovie(path);
        for (int f = 0; f < frames; ++f)
            control.advanceFrame();
        return lines;
    }

private slots:
    void eventsRunInThePlayersOrder_data();
    void eventsRunInThePlayersOrder();
    void scriptsPlaceAndRemoveByDepth_data();
    void scriptsPlaceAndRemoveByDepth();
};

void SwfTimelineTest::eventsRunInThePlayersOrder_data()
{
    QTest::addColumn<QByteArray>("tags");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QStringList>("printed");

    const QByteArray ball = sprite(10, showFrame());

    // B, placed after A on a shallower depth, runs its frame before A's.
    QTest::newRow("newest clip first")
        << QByteArray(countingClip(11, "A", 3) + countingClip(12, "B", 3) +
                      place(Place(2, 11).on(EnterFrame, as::trace("A enters"))) + showFrame() +
                      place(Place(1, 12).on(EnterFrame, as::trace("B enters"))) + showFrame() +
                      doAction(as::stop()) + showFrame())
        << 6 << 2
        << QStringList{"A 1", "A enters", "A 2", "B 1", "B enters", "B 2", "A enters", "A 3"};

    // The removed clip waits for its unload script, reachable by name, until the frame ends.
    QTest::newRow("unload before the clip goes")
        << QByteArray(ball + place(Place(1, 10).named("ball").on(Load, as::trace("load")).on(Unload, as::trace("unload"))) +
                      showFrame() + remove(1) + doAction(traceRootMember("ball")) + showFrame() +
                      doAction(traceRootMember("ball") + as::stop()) + showFrame())
        << 6 << 2 << QStringList{"load", "unload", "_level0.ball", "undefined"};
    QTest::newRow("no unload script, gone at once")
        << QByteArray(ball + place(Place(1, 10).named("ball").on(Load, as::trace("load"))) + showFrame() + remove(1) +
                      doAction(traceRootMember("ball")) + showFrame() + doAction(as::stop()) + showFrame())
        << 6 << 2 << QStringList{"load", "undefined"};

    // Jumping back runs the frames again: the clip placed and removed on the way is made and unloaded anew.
    QTest::newRow("backward jump replays the frames")
        << QByteArray(ball + showFrame() +
                      place(Place(1, 10).named("ball").on(Load, as::trace("load")).on(Unload, as::trace("unload"))) +
                      showFrame() + remove(1) + showFrame() + doAction(traceRootMember("ball")) + showFrame() +
                      doAction(as::gotoFrame(3) + as::stop()) + showFrame())
        << 6 << 4 << QStringList{"load", "unload", "undefined", "load", "unload", "_level0.ball"};

    // Initialize and construct run before queued frame actions; a duplicate is constructed at once.
    QTest::newRow("initialize jumps the queue")
        << QByteArray(doAction(as::trace("duplicating") + as::getVariable("movie") + as::pushString("foo") +
                               as::pushNumber(10) + as::op(0x24) + as::trace("done")) +
                      ball +
                      place(Place(1, 10)
                                .named("movie")
                                .on(Initialize, traceThis(": init"))
                                .on(Construct, traceThis(": construct"))
                                .on(Load, traceThis(": load"))) +
                      doAction(as::stop()) + showFrame())
        << 6 << 0
        << QStringList{"_level0.movie: init", "_level0.movie: construct", "duplicating", "_level0.foo: construct",
                       "done", "_level0.foo: init", "_level0.movie: load", "_level0.foo: load"};

    QTest::newRow("moving an empty depth places nothing")
        << QByteArray(ball + place(Place(1, 10).moving().on(Load, as::trace("placed"))) + doAction(as::trace("end")) +
                      showFrame())
        << 6 << 0 << QStringList{"end"};

    // A new placement naming no character sticks the timeline on the frame before.
    QTest::newRow("placing nothing sticks the timeline")
        << QByteArray(ball + place(Place(1, 10).on(Unload, traceRootMember("_currentframe"))) + showFrame() +
                      remove(1) + place(Place(1).named("nothing")) + doAction(as::trace("frame 2")) + showFrame() +
                      doAction(as::trace("frame 3")) + showFrame())
        << 6 << 3 << QStringList{"1"};

    // Frame numbers before the first go nowhere.
    QTest::newRow("goto frame 0 stays")
        << QByteArray(showFrame() +
                      doAction(as::stop() + as::pushNumber(0) + gotoFrame2() + traceCurrentFrame() +
                               as::pushString("-2") + gotoFrame2() + traceCurrentFrame()) +
                      showFrame())
        << 6 << 1 << QStringList{"2", "2"};

    // Loading nothing into a clip empties it once the next frame has run.
    const QByteArray traceAx = as::getVariable("a") + as::pushString("x") + getMember() + traceTop();
    constexpr char LoadIntoClip = 0x40;
    QTest::newRow("unloadMovie waits a frame")
        << QByteArray(doAction(callMethod("_root", "createEmptyMovieClip", as::pushNumber(1) + as::pushString("a"), 2) +
                               drop() + as::getVariable("a") + as::pushString("x") + as::pushNumber(42) + setMember() +
                               as::pushString("") + as::pushString("a") + as::op(0x9A, QByteArray(1, LoadIntoClip)) +
                               traceAx) +
                      showFrame() + doAction(traceAx) + showFrame() + doAction(traceAx + as::stop()) + showFrame())
        << 6 << 2 << QStringList{"42", "42", "undefined"};

    // The root's onLoad, set by its first frame, runs after it; handler methods are version 6's.
    const QByteArray rootOnLoad =
        doAction(as::trace("start") + as::getVariable("_root") + as::pushString("onLoad") +
                 as::defineFunction("", {}, as::trace("onLoad")) + setMember()) +
        showFrame();
    QTest::newRow("root onLoad") << rootOnLoad << 6 << 0 << QStringList{"start", "onLoad"};
    QTest::newRow("no root onLoad in version 5") << rootOnLoad << 5 << 0 << QStringList{"start"};
}

void SwfTimelineTest::eventsRunInThePlayersOrder()
{
    QFETCH(QByteArray, tags);
    QFETCH(int, version);
    QFETCH(int, frames);
    QFETCH(QStringList, printed);
    QCOMPARE(run(tags, version, frames), printed);
}

void SwfTimelineTest::scriptsPlaceAndRemoveByDepth_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("version");
    QTest::addColumn<QStringList>("printed");

    const auto create = [](const QByteArray &name, int depth) {
        return callMethod("_root", "createEmptyMovieClip", as::pushNumber(depth) + as::pushString(name), 2) + drop();
    };
    const auto depthOf = [](const QByteArray &name) { return callMethod(name, "getDepth", {}, 0) + traceTop(); };
    const auto removeThenType = [](const QByteArray &name) {
        return callMethod(name, "removeMovieClip", {}, 0) + drop() + as::getVariable(name) + as::op(0x44) +
               traceTop();
    };

    QTest::newRow("remove at depth 0") << QByteArray(create("a", 0) + removeThenType("a")) << 6
                                       << QStringList{"undefined"};
    QTest::newRow("remove at depth 1048575")
        << QByteArray(create("a", 1048575) + removeThenType("a")) << 6 << QStringList{"undefined"};
    QTest::newRow("no remove at depth 1048576")
        << QByteArray(create("a", 1048576) + removeThenType("a")) << 6 << QStringList{"movieclip"};
    QTest::newRow("no remove at depth -1") << QByteArray(create("a", -1) + removeThenType("a")) << 6
                                           << QStringList{"movieclip"};

    // A clip with an unload handler waits at depth -32769 - depth until it has run.
    QTest::newRow("unloading clip at a negative depth")
        << QByteArray(create("a", 0) + as::getVariable("a") + as::pushString("onUnload") +
                      as::defineFunction("", {}, traceThis(" unloads")) + setMember() +
                      callMethod("a", "removeMovieClip", {}, 0) + drop() + depthOf("a"))
        << 6 << QStringList{"-32769", "_level0.a unloads"};

    QTest::newRow("swap to the deepest depth")
        << QByteArray(create("a", 1) + callMethod("a", "swapDepths", as::pushNumber(2130690044), 1) + drop() +
                      depthOf("a"))
        << 6 << QStringList{"2130690044"};
    QTest::newRow("no swap past it")
        << QByteArray(create("a", 1) + callMethod("a", "swapDepths", as::pushNumber(2130690045), 1) + drop() +
                      depthOf("a"))
        << 6 << QStringList{"1"};
    QTest::newRow("no swap under -16384")
        << QByteArray(create("a", 1) + callMethod("a", "swapDepths", as::pushNumber(-16385), 1) + drop() +
                      depthOf("a"))
        << 6 << QStringList{"1"};
    QTest::newRow("creating deep") << QByteArray(create("a", -2000000) + depthOf("a")) << 6
                                   << QStringList{"-2000000"};

    // Version 5 movies have neither createEmptyMovieClip nor getDepth.
    QTest::newRow("no createEmptyMovieClip in version 5")
        << QByteArray(create("a", 1) + as::getVariable("a") + as::op(0x44) + traceTop()) << 5
        << QStringList{"undefined"};
}

void SwfTimelineTest::scriptsPlaceAndRemoveByDepth()
{
    QFETCH(QByteArray, script);
    QFETCH(int, version);
    QFETCH(QStringList, printed);
    QCOMPARE(run(doAction(script) + showFrame(), version, 0), printed);
}

QTEST_MAIN(SwfTimelineTest)
#include "tst_swf_timeline.moc"
