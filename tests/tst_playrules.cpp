// The playback decisions that need no window: the clock's tick, the seek and
// jump arithmetic, the entry that starts after an addition, and the playing
// item. Nothing here makes a widget or needs a display.
#include "list/PlaylistStep.h"
#include "player/ClockTick.h"
#include "player/PlayingItem.h"
#include "player/Transport.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(std::optional<Progress>)

namespace {
constexpr REFERENCE_TIME Unknown = std::numeric_limits<REFERENCE_TIME>::max();
constexpr REFERENCE_TIME Second = 10'000'000;
} // namespace

class PlayRulesTest : public QObject {
    Q_OBJECT
private slots:
    void mediaTick_data();
    void mediaTick();
    void movieTick_data();
    void movieTick();
    void progressPlacesOnTheBar_data();
    void progressPlacesOnTheBar();
    void seekTime_data();
    void seekTime();
    void seekFrame_data();
    void seekFrame();
    void jumpFrame_data();
    void jumpFrame();
    void firstAddedIndex_data();
    void firstAddedIndex();
    void playingItemReportsChanges();
};

void PlayRulesTest::mediaTick_data()
{
    QTest::addColumn<REFERENCE_TIME>("position");
    QTest::addColumn<REFERENCE_TIME>("duration");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<std::optional<Progress>>("bar");
    QTest::addColumn<QString>("time");

    QTest::newRow("start") << REFERENCE_TIME(0) << 10 * Second << false << std::optional(Progress{0, 10 * Second})
                           << "0:00:00";
    QTest::newRow("half way") << 5 * Second << 10 * Second << false
                              << std::optional(Progress{5 * Second, 10 * Second}) << "0:00:05";
    QTest::newRow("just before the end") << 10 * Second - 1 << 10 * Second << false
                                         << std::optional(Progress{10 * Second - 1, 10 * Second}) << "0:00:09";
    QTest::newRow("at the end") << 10 * Second << 10 * Second << true << std::optional<Progress>() << QString();
    QTest::newRow("past the end") << 11 * Second << 10 * Second << true << std::optional<Progress>() << QString();
    // A live stream: the thumb stays, the time runs on.
    QTest::newRow("unknown length") << 3725 * Second << Unknown << false << std::optional<Progress>() << "1:02:05";
    QTest::newRow("zero length") << REFERENCE_TIME(0) << REFERENCE_TIME(0) << true << std::optional<Progress>()
                                 << QString();
}

void PlayRulesTest::mediaTick()
{
    QFETCH(REFERENCE_TIME, position);
    QFETCH(REFERENCE_TIME, duration);
    QFETCH(bool, ended);
    QFETCH(std::optional<Progress>, bar);
    QFETCH(QString, time);

    const MediaTickOutcome outcome = MediaTick(position, duration, Unknown);
    QCOMPARE(outcome.ended, ended);
    QCOMPARE(outcome.view.bar, bar);
    QCOMPARE(outcome.view.time.value_or(QString()), time);
}

void PlayRulesTest::movieTick_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("total");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<bool>("autoSkip");
    QTest::addColumn<bool>("disLoop");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<bool>("resume");
    QTest::addColumn<int>("remembered");
    QTest::addColumn<std::optional<Progress>>("bar");

    QTest::newRow("playing on") << 4 << 10 << true << true << true << 3 << false << false << 4
                                << std::optional(Progress{4, 10});
    QTest::newRow("last frame ends it") << 9 << 10 << true << true << true << 8 << true << false << 8
                                        << std::optional<Progress>();
    QTest::newRow("beyond the last frame") << 12 << 10 << false << true << true << 8 << true << false << 8
                                           << std::optional<Progress>();
    QTest::newRow("one-frame movie ends at once") << 0 << 1 << true << false << false << 0 << true << false << 0
                                                  << std::optional<Progress>();
    QTest::newRow("halted, auto-skip plays on") << 4 << 10 << false << true << false << 4 << false << true << 4
                                                << std::optional(Progress{4, 10});
    QTest::newRow("halted, no auto-skip stays") << 4 << 10 << false << false << false << 4 << false << false << 4
                                                << std::optional(Progress{4, 10});
    QTest::newRow("jumped back ends it") << 2 << 10 << true << true << true << 7 << true << false << 7
                                         << std::optional<Progress>();
    QTest::newRow("jumped back and halted: resumes, ends") << 2 << 10 << false << true << true << 7 << true << true
                                                           << 7 << std::optional<Progress>();
    QTest::newRow("looping allowed") << 2 << 10 << true << true << false << 7 << false << false << 2
                                     << std::optional(Progress{2, 10});
    QTest::newRow("same frame is no loop") << 5 << 10 << true << true << true << 5 << false << false << 5
                                           << std::optional(Progress{5, 10});
}

void PlayRulesTest::movieTick()
{
    QFETCH(int, current);
    QFETCH(int, total);
    QFETCH(bool, playing);
    QFETCH(bool, autoSkip);
    QFETCH(bool, disLoop);
    QFETCH(int, last);
    QFETCH(bool, ended);
    QFETCH(bool, resume);
    QFETCH(int, remembered);
    QFETCH(std::optional<Progress>, bar);

    const MovieTickOutcome outcome = MovieTick({current, total, playing, autoSkip, disLoop, last});
    QCOMPARE(outcome.ended, ended);
    QCOMPARE(outcome.resume, resume);
    QCOMPARE(outcome.lastFrame, remembered);
    QCOMPARE(outcome.view.bar, bar);
    // A movie shows no time; an ended one leaves the display to the step.
    QCOMPARE(outcome.view.time.has_value(), !ended);
    if (outcome.view.time)
        QCOMPARE(*outcome.view.time, ZeroTime);
}

void PlayRulesTest::progressPlacesOnTheBar_data()
{
    QTest::addColumn<REFERENCE_TIME>("done");
    QTest::addColumn<REFERENCE_TIME>("total");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("place");

    QTest::newRow("start") << REFERENCE_TIME(0) << REFERENCE_TIME(100) << 200 << 0;
    QTest::newRow("half") << REFERENCE_TIME(50) << REFERENCE_TIME(100) << 200 << 100;
    QTest::newRow("rounds down") << REFERENCE_TIME(1) << REFERENCE_TIME(3) << 200 << 66;
    // Three hours in 100 ns units times the bar's width overflows 32 bits many times over.
    QTest::newRow("long media") << 3 * 3600 * Second / 2 << 3 * 3600 * Second << 200 << 100;
}

void PlayRulesTest::progressPlacesOnTheBar()
{
    QFETCH(REFERENCE_TIME, done);
    QFETCH(REFERENCE_TIME, total);
    QFETCH(int, width);
    QFETCH(int, place);
    QCOMPARE((Progress{done, total}.place(width)), place);
}

void PlayRulesTest::seekTime_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("width");
    QTest::addColumn<REFERENCE_TIME>("duration");
    QTest::addColumn<REFERENCE_TIME>("stop");
    QTest::addColumn<REFERENCE_TIME>("time");

    QTest::newRow("start") << 0 << 200 << 10 * Second << 10 * Second << REFERENCE_TIME(0);
    QTest::newRow("half") << 100 << 200 << 10 * Second << 10 * Second << 5 * Second;
    QTest::newRow("end") << 200 << 200 << 10 * Second << 10 * Second << 10 * Second;
    QTest::newRow("held at the stop position") << 150 << 200 << 10 * Second << 6 * Second << 6 * Second;
    QTest::newRow("long media") << 199 << 200 << 4 * 3600 * Second << 4 * 3600 * Second
                                << 4 * 3600 * Second / 200 * 199;
}

void PlayRulesTest::seekTime()
{
    QFETCH(int, position);
    QFETCH(int, width);
    QFETCH(REFERENCE_TIME, duration);
    QFETCH(REFERENCE_TIME, stop);
    QFETCH(REFERENCE_TIME, time);
    QCOMPARE(SeekTime(position, width, duration, stop), time);
}

void PlayRulesTest::seekFrame_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("frame");

    QTest::newRow("start") << 0 << 200 << 50 << 0;
    QTest::newRow("half") << 100 << 200 << 50 << 25;
    QTest::newRow("rounds down") << 199 << 200 << 50 << 49;
    QTest::newRow("end") << 200 << 200 << 50 << 50;
}

void PlayRulesTest::seekFrame()
{
    QFETCH(int, position);
    QFETCH(int, width);
    QFETCH(int, total);
    QFETCH(int, frame);
    QCOMPARE(SeekFrame(position, width, total), frame);
}

void PlayRulesTest::jumpFrame_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("total");
    QTest::addColumn<bool>("back");
    QTest::addColumn<int>("target");

    QTest::newRow("forward a twentieth") << 10 << 100 << false << 15;
    QTest::newRow("back a twentieth") << 10 << 100 << true << 5;
    QTest::newRow("back past the start") << 3 << 100 << true << 0;
    QTest::newRow("forward past the end") << 97 << 100 << false << 99;
    // Under twenty frames a twentieth is no frame at all.
    QTest::newRow("short movie stays") << 5 << 19 << false << 5;
    QTest::newRow("last frame forward") << 99 << 100 << false << 99;
}

void PlayRulesTest::jumpFrame()
{
    QFETCH(int, frame);
    QFETCH(int, total);
    QFETCH(bool, back);
    QFETCH(int, target);
    QCOMPARE(JumpFrame(frame, total, back), target);
}

void PlayRulesTest::firstAddedIndex_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("index");

    QTest::newRow("appended to others") << 5 << 2 << 3;
    QTest::newRow("all new") << 3 << 3 << 0;
    QTest::newRow("nothing added") << 4 << 0 << 3;
    QTest::newRow("more than the list holds") << 2 << 5 << 0;
    QTest::newRow("empty, nothing added") << 0 << 0 << -1;
}

void PlayRulesTest::firstAddedIndex()
{
    QFETCH(int, count);
    QFETCH(int, added);
    QFETCH(int, index);
    QCOMPARE(FirstAddedIndex(count, added), index);
}

void PlayRulesTest::playingItemReportsChanges()
{
    PlayingItem item;
    QSignalSpy changes(&item, &PlayingItem::changed);
    QVERIFY(item.isNone());
    QCOMPARE(item.caption(), NoneMovie);

    item.set("/music/a.mp3");
    QCOMPARE(item.path(), QString("/music/a.mp3"));
    QCOMPARE(item.caption(), QString("/music/a.mp3"));
    item.set("/music/a.mp3"); // the same item again is no change
    item.clear();
    item.clear();
    QVERIFY(item.isNone());
    QCOMPARE(item.caption(), NoneMovie);

    QCOMPARE(changes.count(), 2);
    QCOMPARE(changes[0][0].toString(), QString("/music/a.mp3"));
    QCOMPARE(changes[1][0].toString(), QString());
}

QTEST_GUILESS_MAIN(PlayRulesTest)
#include "tst_playrules.moc"
