// What the MPRIS 2 service tells the desktop, from the player's state: the
// playback status, the metadata map, the Can* flags, the times in
// microseconds, the volume and the MIME types. No bus, no window.
#include "app/MprisState.h"
#include "list/Playlist.h"

#include <QMimeDatabase>
#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(MprisPlayerState)
Q_DECLARE_METATYPE(std::optional<std::int64_t>)

namespace {

constexpr qint64 Second = 1000000; // µs

MprisPlayerState playing(const QString &path, bool running = true)
{
    MprisPlayerState s;
    s.path = path;
    s.clockRunning = running;
    s.track = 7;
    s.media = true;
    s.lengthUs = 30 * Second;
    s.entryCount = 2;
    return s;
}

MprisPlayerState stopped(int entries)
{
    MprisPlayerState s;
    s.track = 3;
    s.entryCount = entries;
    return s;
}

MprisPlayerState with(MprisPlayerState s, void (*change)(MprisPlayerState &))
{
    change(s);
    return s;
}

} // namespace

class MprisTest : public QObject {
    Q_OBJECT
private slots:
    void playbackStatus_data();
    void playbackStatus();
    void metadata_data();
    void metadata();
    void trackIdNamesEachStart();
    void abilities_data();
    void abilities();
    void startIndex_data();
    void startIndex();
    void times_data();
    void times();
    void seekTarget_data();
    void seekTarget();
    void positionAccepted_data();
    void positionAccepted();
    void volume_data();
    void volume();
    void volumeFromMpris_data();
    void volumeFromMpris();
    void mimeTypesFollowTheMediaExtensions();
};

void MprisTest::playbackStatus_data()
{
    QTest::addColumn<MprisPlayerState>("state");
    QTest::addColumn<QString>("status");
    QTest::newRow("nothing loaded") << stopped(0) << "Stopped";
    QTest::newRow("stopped with entries") << stopped(5) << "Stopped";
    QTest::newRow("clock runs") << playing("/m/a.mp3") << "Playing";
    QTest::newRow("clock off") << playing("/m/a.mp3", false) << "Paused";
    // The clock off with nothing loaded (a step between two items) is a stop.
    QTest::newRow("clock runs, nothing loaded") << with(stopped(2), [](MprisPlayerState &s) { s.clockRunning = true; })
                                                << "Stopped";
}

void MprisTest::playbackStatus()
{
    QFETCH(MprisPlayerState, state);
    QFETCH(QString, status);
    QCOMPARE(MprisPlaybackStatus(state), status);
}

void MprisTest::metadata_data()
{
    QTest::addColumn<MprisPlayerState>("state");
    QTest::addColumn<QVariantMap>("expected");

    const QVariant track = QVariant::fromValue(QDBusObjectPath("/org/tessaro/Track/7"));
    QTest::newRow("nothing plays") << stopped(2) << QVariantMap();
    QTest::newRow("no tags: the file's name")
        << playing("/music/Some Song.wav")
        << QVariantMap{{"mpris:trackid", track},
                       {"xesam:url", "file:///music/Some%20Song.wav"},
                       {"xesam:title", "Some Song.wav"},
                       {"mpris:length", qlonglong(30 * Second)}};
    QTest::newRow("title and artist tags")
        << with(playing("/music/a.mp3"),
                [](MprisPlayerState &s) {
                    s.title = "First Tone";
                    s.artist = "Tessaro Tests";
                })
        << QVariantMap{{"mpris:trackid", track},
                       {"xesam:url", "file:///music/a.mp3"},
                       {"xesam:title", "First Tone"},
                       {"xesam:artist", QStringList{"Tessaro Tests"}},
                       {"mpris:length", qlonglong(30 * Second)}};
    QTest::newRow("length not known")
        << with(playing("/radio/live.mka"), [](MprisPlayerState &s) { s.lengthUs = -1; })
        << QVariantMap{{"mpris:trackid", track}, {"xesam:url", "file:///radio/live.mka"}, {"xesam:title", "live.mka"}};
    QTest::newRow("paused keeps the track")
        << with(playing("/m/b.mid", false), [](MprisPlayerState &s) { s.lengthUs = 2 * Second; })
        << QVariantMap{{"mpris:trackid", track},
                       {"xesam:url", "file:///m/b.mid"},
                       {"xesam:title", "b.mid"},
                       {"mpris:length", qlonglong(2 * Second)}};
    QTest::newRow("name needing escapes")
        << with(playing("/m/a#b?c.mp3"), [](MprisPlayerState &s) { s.lengthUs = 0; })
        << QVariantMap{{"mpris:trackid", track}, {"xesam:url", "file:///m/a%23b%3Fc.mp3"}, {"xesam:title", "a#b?c.mp3"}};
}

void MprisTest::metadata()
{
    QFETCH(MprisPlayerState, state);
    QFETCH(QVariantMap, expected);
    const QVariantMap actual = MprisMetadata(state);
    QCOMPARE(actual.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QCOMPARE(actual[it.key()].metaType(), it.value().metaType());
        QVERIFY2(actual[it.key()] == it.value(), qPrintable(it.key()));
    }
}

void MprisTest::trackIdNamesEachStart()
{
    QCOMPARE(MprisTrackId(stopped(3)).path(), MprisNoTrack);
    MprisPlayerState first = playing("/m/a.mp3");
    MprisPlayerState again = first;
    again.track = first.track + 1;
    QVERIFY(MprisTrackId(first) != MprisTrackId(again));
    QVERIFY(!MprisTrackId(first).path().startsWith("/org/mpris"));
}

void MprisTest::abilities_data()
{
    QTest::addColumn<MprisPlayerState>("state");
    QTest::addColumn<bool>("next");
    QTest::addColumn<bool>("play");
    QTest::addColumn<bool>("pause");
    QTest::addColumn<bool>("seek");

    QTest::newRow("empty playlist, idle") << stopped(0) << false << false << false << false;
    QTest::newRow("entries, idle: play starts one") << stopped(3) << true << true << false << false;
    QTest::newRow("media playing") << playing("/m/a.mp3") << true << true << true << true;
    QTest::newRow("media paused") << playing("/m/a.mp3", false) << true << true << true << true;
    QTest::newRow("one entry: next wraps to it")
        << with(playing("/m/a.mp3"), [](MprisPlayerState &s) { s.entryCount = 1; }) << true << true << true << true;
    QTest::newRow("length unknown: no seek")
        << with(playing("/m/a.mka"), [](MprisPlayerState &s) { s.lengthUs = -1; }) << true << true << true << false;
    QTest::newRow("a movie: no seek") << with(playing("/m/a.swf"), [](MprisPlayerState &s) { s.media = false; })
                                      << true << true << true << false;
    QTest::newRow("entry playing after the list was cleared")
        << with(playing("/m/a.mp3"), [](MprisPlayerState &s) { s.entryCount = 0; }) << false << true << true << true;
}

void MprisTest::abilities()
{
    QFETCH(MprisPlayerState, state);
    QFETCH(bool, next);
    QFETCH(bool, play);
    QFETCH(bool, pause);
    QFETCH(bool, seek);
    const MprisAbilities can = MprisCan(state);
    QCOMPARE(can.canGoNext, next);
    QCOMPARE(can.canGoPrevious, next);
    QCOMPARE(can.canPlay, play);
    QCOMPARE(can.canPause, pause);
    QCOMPARE(can.canSeek, seek);
    QCOMPARE(can.canControl, true);
}

void MprisTest::startIndex_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::newRow("empty") << 0 << 0 << -1;
    QTest::newRow("first") << 0 << 3 << 0;
    QTest::newRow("current") << 2 << 3 << 2;
    QTest::newRow("left past the end by removals") << 5 << 3 << 0;
    QTest::newRow("below the start") << -1 << 3 << 0;
}

void MprisTest::startIndex()
{
    QFETCH(int, current);
    QFETCH(int, count);
    QFETCH(int, index);
    QCOMPARE(MprisStartIndex(current, count), index);
}

void MprisTest::times_data()
{
    QTest::addColumn<qint64>("mediaTime");
    QTest::addColumn<qint64>("microseconds");
    QTest::newRow("zero") << qint64(0) << qint64(0);
    QTest::newRow("one second") << qint64(10'000'000) << Second;
    QTest::newRow("one microsecond") << qint64(10) << qint64(1);
    QTest::newRow("an hour") << qint64(36'000'000'000) << 3600 * Second;
}

void MprisTest::times()
{
    QFETCH(qint64, mediaTime);
    QFETCH(qint64, microseconds);
    QCOMPARE(MicrosecondsFromMediaTime(mediaTime), microseconds);
    QCOMPARE(MediaTimeFromMicroseconds(microseconds), mediaTime);
    QCOMPARE(MicrosecondsFromMediaTime(mediaTime + 9), microseconds); // truncates
    QCOMPARE(MediaTimeFromMicroseconds(std::numeric_limits<std::int64_t>::max()) > 0, true);
    QCOMPARE(MicrosecondsFromFrames(36, 12.0), 3 * Second);
    QCOMPARE(MicrosecondsFromFrames(36, 0.0), 0);
}

void MprisTest::seekTarget_data()
{
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<std::optional<std::int64_t>>("target");
    QTest::newRow("forward") << 5 * Second << 10 * Second << 30 * Second << std::optional<std::int64_t>(15 * Second);
    QTest::newRow("back") << 5 * Second << -2 * Second << 30 * Second << std::optional<std::int64_t>(3 * Second);
    QTest::newRow("back past the start") << 5 * Second << -20 * Second << 30 * Second
                                         << std::optional<std::int64_t>(0);
    QTest::newRow("to the end") << 5 * Second << 25 * Second << 30 * Second
                                << std::optional<std::int64_t>(30 * Second);
    QTest::newRow("past the end: next") << 5 * Second << 26 * Second << 30 * Second << std::optional<std::int64_t>();
    QTest::newRow("huge offset: next") << 5 * Second << std::numeric_limits<qint64>::max() << 30 * Second
                                       << std::optional<std::int64_t>();
    QTest::newRow("huge offset back") << 5 * Second << std::numeric_limits<qint64>::min() << 30 * Second
                                      << std::optional<std::int64_t>(0);
    QTest::newRow("unknown length") << 5 * Second << 100 * Second << qint64(-1)
                                    << std::optional<std::int64_t>(105 * Second);
}

void MprisTest::seekTarget()
{
    QFETCH(qint64, position);
    QFETCH(qint64, offset);
    QFETCH(qint64, length);
    QFETCH(std::optional<std::int64_t>, target);
    QCOMPARE(MprisSeekTarget(position, offset, length), target);
}

void MprisTest::positionAccepted_data()
{
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("start") << qint64(0) << 30 * Second << true;
    QTest::newRow("inside") << 12 * Second << 30 * Second << true;
    QTest::newRow("end") << 30 * Second << 30 * Second << true;
    QTest::newRow("past the end") << 30 * Second + 1 << 30 * Second << false;
    QTest::newRow("negative") << qint64(-1) << 30 * Second << false;
}

void MprisTest::positionAccepted()
{
    QFETCH(qint64, position);
    QFETCH(qint64, length);
    QFETCH(bool, accepted);
    QCOMPARE(MprisPositionAccepted(position, length), accepted);
}

void MprisTest::volume_data()
{
    QTest::addColumn<quint32>("wave");
    QTest::addColumn<double>("volume");
    QTest::newRow("full") << quint32(0xFFFFFFFF) << 1.0;
    QTest::newRow("silent") << quint32(0) << 0.0;
    QTest::newRow("left only") << quint32(0x0000FFFF) << 0.5;
    QTest::newRow("right only") << quint32(0xFFFF0000) << 0.5;
    QTest::newRow("the panel's least") << quint32(4369u + 4369u * 65536u) << 4369.0 / 65535.0;
}

void MprisTest::volume()
{
    QFETCH(quint32, wave);
    QFETCH(double, volume);
    QCOMPARE(MprisVolume(wave), volume);
}

void MprisTest::volumeFromMpris_data()
{
    QTest::addColumn<double>("volume");
    QTest::addColumn<quint32>("wave");
    QTest::newRow("full") << 1.0 << quint32(0xFFFFFFFF);
    QTest::newRow("silent") << 0.0 << quint32(0);
    QTest::newRow("a quarter") << 0.25 << quint32(16384u + 16384u * 65536u);
    QTest::newRow("above full is full") << 1.5 << quint32(0xFFFFFFFF);
    QTest::newRow("negative is silent") << -0.5 << quint32(0);
    QTest::newRow("not a number is silent") << std::numeric_limits<double>::quiet_NaN() << quint32(0);
}

void MprisTest::volumeFromMpris()
{
    QFETCH(double, volume);
    QFETCH(quint32, wave);
    QCOMPARE(WaveVolumeFromMpris(volume), wave);
    // What is set reads back within one step of the device.
    if (volume >= 0 && volume <= 1)
        QVERIFY(qAbs(MprisVolume(WaveVolumeFromMpris(volume)) - volume) <= 0.5 / 65535.0);
}

void MprisTest::mimeTypesFollowTheMediaExtensions()
{
    const QStringList types = MprisMimeTypes(MediaExts);
    QVERIFY(!types.isEmpty());
    QCOMPARE(QSet<QString>(types.cbegin(), types.cend()).size(), types.size()); // each once
    // Every extension the playlist admits has its type in the list.
    const QMimeDatabase database;
    for (const QString &part : MediaExts.split(',')) {
        const QString ext = part.trimmed();
        const QMimeType type = database.mimeTypeForFile("x" + ext, QMimeDatabase::MatchExtension);
        QVERIFY2(type.isValid() && !type.isDefault(), qPrintable(ext));
        QVERIFY2(types.contains(type.name()), qPrintable(ext + " " + type.name()));
    }
    QVERIFY(types.contains("audio/mpeg"));
    QVERIFY(types.contains("video/x-msvideo"));
    QVERIFY(!types.contains("application/octet-stream"));
    // Only the extensions given bring a type.
    QVERIFY(MprisMimeTypes(".mp3").contains("audio/mpeg"));
    QCOMPARE(MprisMimeTypes(".mp3").size(), 1);
    QVERIFY(MprisMimeTypes(QString()).isEmpty());
}

QTEST_GUILESS_MAIN(MprisTest)
#include "tst_mpris.moc"
