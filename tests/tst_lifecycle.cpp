#include "app/Startup.h"
#include "list/TfrmList.h"
#include "main/TfrmMain.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class LifecycleTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString prefs() const { return m_dir.filePath("preferences.ini"); }

    void start()
    {
        InitSkin(m_dir.path());
        CreateWindows();
        frmMain->show();
    }
    QString stored(const char *section, const char *key)
    {
        IniFileName = prefs();
        return ReadIniString(section, key, "<none>");
    }

private slots:
    void init();
    void cleanup();
    void firstRunPlaces();
    void creationAndTeardownOrder();
    void preferencesRoundTrip();
    void maximisedPlayerKeepsEarlierPlace();
    void hiddenListStaysHidden();
    void closingMainWindowEndsTheLoop();
};

void LifecycleTest::init()
{
    QFile::remove(prefs());
    QDir(m_dir.filePath("language")).removeRecursively();
}

void LifecycleTest::cleanup()
{
    DestroyWindows();
}

void LifecycleTest::firstRunPlaces()
{
    start();
    QCOMPARE(frmMain->geometry(), QRect(150, 94, 268, 118));
    QCOMPARE(frmMain->windowTitle(), QString("Tessaro"));
    QVERIFY(frmMain->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!frmList->isVisible());
    QCOMPARE(frmList->geometry(), QRect(149, 240, 270, 169));
    QVERIFY(frmList->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(frmList->windowFlags() & Qt::WindowType_Mask, Qt::Tool); // no task-bar entry
    QVERIFY(!frmPlayer->isVisible());
    QCOMPARE(frmPlayer->pos(), QPoint(430, 96));
    QCOMPARE(frmPlayer->size(), QSize(328, 267));
    QCOMPARE(frmPlayer->windowTitle(), NoneMovie);
    QCOMPARE(frmPlayer->palette().color(QPalette::Window), QColor(Qt::black));
}

void LifecycleTest::creationAndTeardownOrder()
{
    // The playlist window's creation translates the main window, so the main
    // window must exist first; the player's creation reads its own menu texts.
    TestFiles::write(m_dir.filePath("language/English.ini"),
                     "[Font]\nName=DejaVu Serif\nSize=11\n[String]\nFilter=Songs|*.mp3\n");
    start();
    QCOMPARE(frmMain->font().family(), QString("DejaVu Serif"));
    QCOMPARE(frmList->font().pointSize(), 11);
    QCOMPARE(frmPlayer->openFilter(), QString("Songs|*.mp3"));

    QStringList destroyed;
    for (QWidget *window : {static_cast<QWidget *>(frmMain), static_cast<QWidget *>(frmList),
                            static_cast<QWidget *>(frmPlayer)}) {
        const QString name = window->metaObject()->className();
        connect(window, &QObject::destroyed, this, [&destroyed, name] { destroyed << name; });
    }
    DestroyWindows();
    QCOMPARE(destroyed, (QStringList{"TfrmPlayer", "TfrmList", "TfrmMain"}));
    QVERIFY(!frmMain && !frmList && !frmPlayer);
}

void LifecycleTest::preferencesRoundTrip()
{
    start();
    frmMain->move(300, 200);
    frmList->move(300, 318);
    frmList->resize(400, 250);
    frmList->show();
    frmPlayer->move(700, 110);
    frmPlayer->show();
    frmMain->close();

    QCOMPARE(stored("Window", "Main.Left"), QString("300"));
    QCOMPARE(stored("Window", "Main.Top"), QString("200"));
    QCOMPARE(stored("Window", "List.Width"), QString("400"));
    QCOMPARE(stored("Window", "List.Height"), QString("250"));
    QCOMPARE(stored("Window", "Player.Left"), QString("700"));
    QCOMPARE(stored("Show", "List"), QString("1"));
    QCOMPARE(stored("Show", "Player"), QString("1"));
    // The order of writing shows in the file: [Window] first, then [Show],
    // with the player's place appended to [Window].
    const QByteArray file = TestFiles::read(prefs());
    QVERIFY(file.indexOf("Main.Left") < file.indexOf("[Show]"));
    QVERIFY(file.indexOf("Player=") < file.indexOf("List="));

    DestroyWindows();
    start();
    QCOMPARE(frmMain->pos(), QPoint(300, 200));
    QVERIFY(frmList->isVisible());
    QCOMPARE(frmList->geometry(), QRect(300, 318, 400, 250));
    QVERIFY(frmPlayer->isVisible());
    QCOMPARE(frmPlayer->pos(), QPoint(700, 110));
}

void LifecycleTest::maximisedPlayerKeepsEarlierPlace()
{
    TestFiles::write(prefs(), "[Window]\nPlayer.Left=512\nPlayer.Top=64\n[Show]\nPlayer=1\n");
    start();
    QCOMPARE(frmPlayer->pos(), QPoint(512, 64));
    frmPlayer->showMaximized();
    frmMain->move(10, 20);
    frmMain->close();
    QCOMPARE(stored("Window", "Player.Left"), QString("512"));
    QCOMPARE(stored("Window", "Player.Top"), QString("64"));
    QCOMPARE(stored("Window", "Main.Left"), QString("10"));
    QCOMPARE(stored("Show", "Player"), QString("1"));
}

void LifecycleTest::hiddenListStaysHidden()
{
    TestFiles::write(prefs(), "[Show]\nList=1\n");
    start();
    QVERIFY(frmList->isVisible());
    frmList->close(); // its close box hides it
    QVERIFY(!frmList->isVisible());
    frmMain->close();
    QCOMPARE(stored("Show", "List"), QString("0"));
    DestroyWindows();
    start();
    QVERIFY(!frmList->isVisible());
}

void LifecycleTest::closingMainWindowEndsTheLoop()
{
    start();
    frmList->show();
    QTimer::singleShot(0, frmMain, &QWidget::close);
    QTimer failsafe;
    failsafe.setSingleShot(true);
    connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    failsafe.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(QFile::exists(prefs()));
}

QTEST_MAIN(LifecycleTest)
#include "tst_lifecycle.moc"
