#include "platform/DisplayPlatform.h"
#include "platform/FileDialogs.h"
#include "platform/FileNames.h"
#include "platform/ShellFileOperations.h"
#include "platform/ErrorBox.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class PlatformTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void displayPlatformChoice_data();
    void displayPlatformChoice();
    void fileExtension_data();
    void fileExtension();
    void dialogFilters_data();
    void dialogFilters();
    void moveIntoAFolder();
};

void PlatformTest::displayPlatformChoice_data()
{
    QTest::addColumn<QByteArray>("qpa");
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("x11");
    QTest::addColumn<bool>("argument");
    QTest::addColumn<bool>("xcb");
    QTest::newRow("wayland session with XWayland") << QByteArray() << QByteArray("wayland") << QByteArray("wayland-0")
                                                   << QByteArray(":0") << false << true;
    QTest::newRow("wayland display only") << QByteArray() << QByteArray() << QByteArray("wayland-0") << QByteArray(":1")
                                          << false << true;
    QTest::newRow("no XWayland") << QByteArray() << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray()
                                 << false << false;
    QTest::newRow("user chose a platform") << QByteArray("wayland") << QByteArray("wayland") << QByteArray("wayland-0")
                                           << QByteArray(":0") << false << false;
    QTest::newRow("-platform given") << QByteArray() << QByteArray("wayland") << QByteArray("wayland-0")
                                     << QByteArray(":0") << true << false;
    QTest::newRow("X11 session") << QByteArray() << QByteArray("x11") << QByteArray() << QByteArray(":0") << false
                                 << false;
}

void PlatformTest::displayPlatformChoice()
{
    QFETCH(QByteArray, qpa);
    QFETCH(QByteArray, session);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, x11);
    QFETCH(bool, argument);
    QFETCH(bool, xcb);
    QCOMPARE(ShouldPreferXcb({qpa, session, wayland, x11, argument}), xcb);
}

void PlatformTest::fileExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::newRow("plain") << "/music/a.MP3" << ".MP3";
    QTest::newRow("two dots") << "/music/a.b.swf" << ".swf";
    QTest::newRow("dot in a folder") << "/my.music/track" << "";
    QTest::newRow("no dot") << "track" << "";
    QTest::newRow("trailing dot") << "track." << ".";
    QTest::newRow("hidden file") << "/m/.hidden" << ".hidden";
}

void PlatformTest::fileExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QCOMPARE(FileExtension(name), extension);
}

void PlatformTest::dialogFilters_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QStringList>("qt");
    QTest::newRow("default") << "All Files(*.*)|*.*" << QStringList{"All Files (*.*)"};
    QTest::newRow("patterns in the description") << "Media files (*.mp3;*.wav)|*.mp3;*.wav|Playlists|*.pls"
                                                 << QStringList{"Media files (*.mp3 *.wav)", "Playlists (*.pls)"};
    QTest::newRow("odd entry count") << "Songs|*.mp3|Dangling" << QStringList{"Songs (*.mp3)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void PlatformTest::dialogFilters()
{
    QFETCH(QString, windows);
    QFETCH(QStringList, qt);
    QCOMPARE(QtFilters(windows), qt);
}

void PlatformTest::moveIntoAFolder()
{
    QStringList errors;
    SetErrorBoxHandler([&errors](const QString &m) { errors << m; });
    const QString folder = m_dir.filePath("into");
    QDir().mkpath(folder);
    TestFiles::write(m_dir.filePath("song.mp3"), "new");
    QVERIFY(MoveFileInto(m_dir.filePath("song.mp3"), folder));
    QCOMPARE(TestFiles::read(folder + "/song.mp3"), QByteArray("new"));

    // Not into a folder that is not there: reported, the file stays.
    TestFiles::write(m_dir.filePath("other.mp3"), "x");
    QVERIFY(!MoveFileInto(m_dir.filePath("other.mp3"), m_dir.filePath("missing")));
    QVERIFY(QFile::exists(m_dir.filePath("other.mp3")));
    QCOMPARE(errors.size(), 1);
    SetErrorBoxHandler({});
}

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
