// A user throws everything at the player: a 200-entry playlist of every media
// type mixed with missing, empty, corrupt and non-media files, played with the
// next button pressed fast and often, then left to play on. The program must
// neither crash nor hang nor lose the playlist. Reports the peak memory.
#include "app/Startup.h"
#include "list/Playlist.h"
#include "list/TListBoxs.h"
#include "main/PanelLayout.h"
#include "main/TGbtn.h"
#include "main/TfrmMain.h"
#include "platform/ErrorBox.h"
#include "player/TDSMP.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"
#include "MediaFiles.h"
#include "SwfWriter.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

using namespace SwfWriter;

class ReliabilityTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_kinds;

private slots:
    void initTestCase();
    void everythingAtOnce();
};

void ReliabilityTest::initTestCase()
{
    gst_init(nullptr, nullptr);
    const auto path = [this](const char *name) { return m_dir.filePath(name); };
    QVERIFY(MediaFiles::make(MediaFiles::tone(0.6) + " ! wavenc ! filesink location=\"%1\"", path("a.wav")));
    QVERIFY(MediaFiles::make(MediaFiles::tone(0.6) + " ! lamemp3enc ! filesink location=\"%1\"", path("a.mp3")));
    QVERIFY(MediaFiles::make(MediaFiles::tone(0.6) + " ! audioconvert ! avenc_wmav2 ! asfmux ! filesink location=\"%1\"",
                             path("a.wma")));
    QVERIFY(MediaFiles::make(QStringLiteral("videotestsrc num-buffers=10 ! video/x-raw,width=160,height=120,framerate=25/1"
                                            " ! jpegenc ! avimux ! filesink location=\"%1\""),
                             path("a.avi")));
    TestFiles::write(path("a.mid"), MediaFiles::midiTune());
    TestFiles::write(path("a.swf"), movie(rectangle(1, QRect(0, 0, 400, 400), Qt::red) + place(Place(1, 1)) +
                                          showFrame() + showFrame() + showFrame()));
    TestFiles::write(path("empty.mp3"), QByteArray());
    QByteArray junk(30000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 2654435761u) >> 11);
    for (const char *name : {"junk.avi", "junk.mpg", "junk.swf", "junk.wav"})
        TestFiles::write(path(name), junk);
    TestFiles::write(path("text.mp3"), "not music");
    TestFiles::write(path("notes.txt"), "not media");
    m_kinds = {path("a.wav"),     path("a.mp3"),     path("a.wma"),      path("a.avi"),
               path("a.mid"),     path("a.swf"),     path("empty.mp3"),  path("junk.avi"),
               path("junk.mpg"),  path("junk.swf"),  path("junk.wav"),   path("text.mp3"),
               path("notes.txt"), path("gone.mp3"),  path("gone.swf"),   QString()};
}

void ReliabilityTest::everythingAtOnce()
{
    QStringList errors;
    SetErrorBoxHandler([&errors](const QString &message) { errors << message; });
    InitSkin(m_dir.path());
    CreateWindows();
    frmMain->show();
    frmPlayer->show();
    QStringList playlist;
    for (int i = 0; i < 200; ++i)
        playlist << m_kinds[(i * 7) % m_kinds.size()];
    PlayListBox->items().replaceAll(playlist);
    CurrentIndex = 0;

    QElapsedTimer clock;
    clock.start();
    for (int press = 0; press < 300; ++press) {
        QTest::mouseClick(frmMain->button(PanelLayout::TagNext), Qt::LeftButton);
        if (press % 3 == 0)
            QCoreApplication::processEvents();
    }
    // Then let the clock play on through whatever comes.
    QTest::qWait(8000);
    QCOMPARE(PlayListBox->items().entries(), playlist);
    QVERIFY(frmMain->isVisible());
    qInfo().noquote() << QStringLiteral("300 presses and 8 s of play in %1 s; %2 errors reported")
                             .arg(clock.elapsed() / 1000.0, 0, 'f', 1)
                             .arg(errors.size());
    DestroyWindows();
    FreeGraph(DSMP);
    QCOMPARE(TestFiles::read(m_dir.filePath("default.pls")).count("\r\n"), 200);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    qInfo().noquote() << QStringLiteral("peak memory: %1 MiB").arg(usage.ru_maxrss / 1024.0, 0, 'f', 1);
}

QTEST_MAIN(ReliabilityTest)
#include "tst_reliability.moc"
