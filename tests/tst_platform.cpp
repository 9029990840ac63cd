#include "platform/BoundedFile.h"
#include "platform/DisplayPlatform.h"
#include "platform/FileDialogs.h"
#include "platform/FileNames.h"
#include "platform/ShellFileOperations.h"
#include "platform/ErrorBox.h"
#include "platform/Trash.h"
#include "TestFiles.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

dev_t deviceOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : dev_t(-1);
}

// A writable folder on another file system than the temporary folder, or
// empty when the machine has none.
QString otherMount(const QString &than)
{
    const QString shm = QStringLiteral("/dev/shm");
    if (QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() && deviceOf(shm) != deviceOf(than))
        return shm;
    return QString();
}

// Records error messages for one test; the real box comes back after it.
class ErrorRecorder {
public:
    ErrorRecorder() { SetErrorBoxHandler([this](const QString &m) { messages << m; }); }
    ~ErrorRecorder() { SetErrorBoxHandler({}); }
    ErrorRecorder(const ErrorRecorder &) = delete;
    ErrorRecorder &operator=(const ErrorRecorder &) = delete;
    QStringList messages;
};

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

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
    void moveAcrossFileSystemsLeavesOtherFilesAlone();
    void boundedReader_data();
    void boundedReader();
    void trashIntoAFreshDataHome();
    void trashKeepsEveryNameApart();
    void trashFailureKeepsTheFile();
    void topdirTrashFolder();
    void trashOnAnotherMount();
    void errorBoxShowsPlainText();
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

void PlatformTest::moveAcrossFileSystemsLeavesOtherFilesAlone()
{
    const QString mount = otherMount(m_dir.path());
    if (mount.isEmpty())
        QSKIP("no second file system to move across");
    QTemporaryDir source(mount + "/tessaro-move-XXXXXX");
    QVERIFY(source.isValid());
    ErrorRecorder recorder;
    QStringList &errors = recorder.messages;
    const QString folder = m_dir.filePath("across");
    QDir().mkpath(folder);
    // A file of the user's that the old temporary name would have hit.
    TestFiles::write(folder + "/song.mp3.part", "the user's own");
    TestFiles::write(source.filePath("song.mp3"), "music");
    QVERIFY(MoveFileInto(source.filePath("song.mp3"), folder));
    QCOMPARE(TestFiles::read(folder + "/song.mp3"), QByteArray("music"));
    QCOMPARE(TestFiles::read(folder + "/song.mp3.part"), QByteArray("the user's own"));
    QVERIFY(!QFile::exists(source.filePath("song.mp3")));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2); // no copy left behind

    // Replacing, when the user agrees, across file systems too.
    TestFiles::write(source.filePath("song.mp3"), "newer");
    SetReplaceQuestion([](const QString &) { return true; });
    QVERIFY(MoveFileInto(source.filePath("song.mp3"), folder));
    QCOMPARE(TestFiles::read(folder + "/song.mp3"), QByteArray("newer"));
    // Declined: both stay as they were.
    TestFiles::write(source.filePath("song.mp3"), "newest");
    SetReplaceQuestion([](const QString &) { return false; });
    QVERIFY(!MoveFileInto(source.filePath("song.mp3"), folder));
    QCOMPARE(TestFiles::read(folder + "/song.mp3"), QByteArray("newer"));
    QVERIFY(QFile::exists(source.filePath("song.mp3")));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QVERIFY(errors.isEmpty());
    SetReplaceQuestion({});
}

void PlatformTest::boundedReader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("small file") << "small" << int(BoundedRead::Done) << QByteArray("0123456789");
    QTest::newRow("exactly the limit") << "limit" << int(BoundedRead::Done) << QByteArray(100, 'x');
    QTest::newRow("one byte over") << "over" << int(BoundedRead::TooLarge) << QByteArray();
    QTest::newRow("empty") << "empty" << int(BoundedRead::Done) << QByteArray();
    QTest::newRow("FIFO") << "fifo.pls" << int(BoundedRead::NotAFile) << QByteArray();
    QTest::newRow("link to /dev/zero") << "z.swf" << int(BoundedRead::NotAFile) << QByteArray();
    QTest::newRow("folder") << "folder.ini" << int(BoundedRead::NotAFile) << QByteArray();
    QTest::newRow("socket") << "socket" << int(BoundedRead::NotAFile) << QByteArray();
    QTest::newRow("missing") << "missing" << int(BoundedRead::Missing) << QByteArray();
    QTest::newRow("dangling link") << "dangling" << int(BoundedRead::Missing) << QByteArray();
    QTest::newRow("link to a file") << "link" << int(BoundedRead::Done) << QByteArray("0123456789");
}

void PlatformTest::boundedReader()
{
    QFETCH(QString, name);
    QFETCH(int, status);
    QFETCH(QByteArray, bytes);
    const QString folder = m_dir.filePath("reads");
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder + "/folder.ini");
        TestFiles::write(folder + "/small", "0123456789");
        TestFiles::write(folder + "/limit", QByteArray(100, 'x'));
        TestFiles::write(folder + "/over", QByteArray(101, 'x'));
        TestFiles::write(folder + "/empty", QByteArray());
        QCOMPARE(::mkfifo(QFile::encodeName(folder + "/fifo.pls").constData(), 0600), 0);
        QVERIFY(QFile::link("/dev/zero", folder + "/z.swf"));
        QVERIFY(QFile::link(folder + "/nowhere", folder + "/dangling"));
        QVERIFY(QFile::link(folder + "/small", folder + "/link"));
        // The socket's address must be short: it is made from the folder itself.
        QVERIFY(QDir::setCurrent(folder));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, "socket");
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    const QString path = folder + '/' + name;
    const BoundedRead read = ReadBoundedFile(path, 100);
    QCOMPARE(int(read.status), status);
    QCOMPARE(read.bytes, bytes);
    QCOMPARE(read.ok(), read.error.isEmpty());
    QCOMPARE(IsRegularFile(path), status == BoundedRead::Done || status == BoundedRead::TooLarge);
}

void PlatformTest::trashIntoAFreshDataHome()
{
    ErrorRecorder recorder;
    QStringList &errors = recorder.messages;
    const QString home = m_dir.filePath("fresh-home");
    QDir().mkpath(home);
    const ScopedEnvironment noDataHome("XDG_DATA_HOME", QByteArray());
    const ScopedEnvironment freshHome("HOME", QFile::encodeName(home));
    // Started from another folder, which must stay untouched.
    const QString elsewhere = m_dir.filePath("elsewhere");
    QDir().mkpath(elsewhere);
    QVERIFY(QDir::setCurrent(elsewhere));

    const QString song = m_dir.filePath("music/a b%c.mp3");
    TestFiles::write(song, "tune");
    QVERIFY(TrashFile(song));
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY(errors.isEmpty());
    QVERIFY(!QFileInfo::exists(song));
    const QString trash = home + "/.local/share/Trash";
    QCOMPARE(TestFiles::read(trash + "/files/a b%c.mp3"), QByteArray("tune"));
    for (const QString &made : {home + "/.local", home + "/.local/share", trash, trash + "/files", trash + "/info"})
        QCOMPARE(modeOf(made) & 0777, mode_t(0700));
    const QByteArray info = TestFiles::read(trash + "/info/a b%c.mp3.trashinfo");
    const QByteArray path = QFileInfo(song).absoluteFilePath().toUtf8().toPercentEncoding("/");
    QVERIFY2(QRegularExpression("^\\[Trash Info\\]\nPath=" + QRegularExpression::escape(path) +
                                "\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$")
                 .match(QString::fromUtf8(info))
                 .hasMatch(),
             info.constData());
    QVERIFY(path.contains("a%20b%25c.mp3"));
    QVERIFY(QDir(elsewhere).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void PlatformTest::trashKeepsEveryNameApart()
{
    const QString trash = m_dir.filePath("apart/Trash");
    QStringList trashed;
    for (const char *folder : {"one", "two", "three", "four"}) {
        const QString song = m_dir.filePath(QString("apart/%1/song.mp3").arg(folder));
        TestFiles::write(song, folder);
        if (trashed.size() == 2) // a stale record holds the next name
            TestFiles::write(trash + "/info/song.3.mp3.trashinfo", "stale");
        if (trashed.size() == 3) // and a file without a record the one after
            TestFiles::write(trash + "/files/song.5.mp3", "orphan");
        const Trash::Result result = Trash::MoveIntoTrashFolder(song, trash);
        QVERIFY2(result.moved, qPrintable(result.error));
        QVERIFY(!QFileInfo::exists(song));
        trashed << QFileInfo(result.trashedAs).fileName();
        QCOMPARE(QFileInfo(result.infoFile).fileName(), trashed.last() + ".trashinfo");
        QCOMPARE(TestFiles::read(result.trashedAs), QByteArray(folder));
    }
    QCOMPARE(trashed, (QStringList{"song.mp3", "song.2.mp3", "song.4.mp3", "song.6.mp3"}));
    QCOMPARE(TestFiles::read(trash + "/info/song.3.mp3.trashinfo"), QByteArray("stale"));
    QCOMPARE(TestFiles::read(trash + "/files/song.5.mp3"), QByteArray("orphan"));
    QVERIFY(!QFileInfo::exists(trash + "/info/song.5.mp3.trashinfo"));
}

void PlatformTest::trashFailureKeepsTheFile()
{
    ErrorRecorder recorder;
    QStringList &errors = recorder.messages;
    const QString song = m_dir.filePath("kept/song.mp3");
    TestFiles::write(song, "tune");

    // A file stands where the data folder would be.
    TestFiles::write(m_dir.filePath("kept/blocked"), "x");
    {
        const ScopedEnvironment dataHome("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("kept/blocked")));
        QVERIFY(!TrashFile(song));
    }
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(song) && errors[0].contains("blocked"), qPrintable(errors[0]));

    // The trash's files folder is a file: its record is made, then taken back.
    TestFiles::write(m_dir.filePath("kept/data/Trash/files"), "x");
    QDir().mkpath(m_dir.filePath("kept/data/Trash/info"));
    {
        const ScopedEnvironment dataHome("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("kept/data")));
        QVERIFY(!TrashFile(song));
    }
    QCOMPARE(errors.size(), 2);
    QVERIFY(QDir(m_dir.filePath("kept/data/Trash/info")).isEmpty());

    // No home at all: no trash in the working folder either.
    {
        const ScopedEnvironment noDataHome("XDG_DATA_HOME", QByteArray());
        const ScopedEnvironment noHome("HOME", QByteArray("relative/home"));
        QVERIFY(!TrashFile(song));
    }
    QCOMPARE(errors.size(), 3);
    QVERIFY(!QFileInfo::exists("relative"));
    QCOMPARE(TestFiles::read(song), QByteArray("tune"));
}

void PlatformTest::topdirTrashFolder()
{
    const QString top = m_dir.filePath("mount");
    QDir().mkpath(top);
    const uint uid = ::getuid();
    const QString own = top + QString("/.Trash-%1").arg(uid);
    QCOMPARE(Trash::TopdirTrashFolder(top, uid), own);
    // A shared .Trash counts only as a real folder with the sticky bit.
    QDir().mkpath(m_dir.filePath("sticky"));
    QCOMPARE(::chmod(QFile::encodeName(m_dir.filePath("sticky")).constData(), 01777), 0);
    QVERIFY(QFile::link(m_dir.filePath("sticky"), top + "/.Trash"));
    QCOMPARE(Trash::TopdirTrashFolder(top, uid), own);
    QVERIFY(QFile::remove(top + "/.Trash"));
    QDir().mkpath(top + "/.Trash");
    QCOMPARE(Trash::TopdirTrashFolder(top, uid), own);
    QCOMPARE(::chmod(QFile::encodeName(top + "/.Trash").constData(), 01777), 0);
    QCOMPARE(Trash::TopdirTrashFolder(top, uid), top + QString("/.Trash/%1").arg(uid));

    // A file there is recorded relative to the top folder.
    TestFiles::write(top + "/music/song.mp3", "tune");
    const Trash::Result result = Trash::MoveIntoTrashFolder(top + "/music/song.mp3", own, top);
    QVERIFY2(result.moved, qPrintable(result.error));
    QCOMPARE(result.trashedAs, own + "/files/song.mp3");
    QVERIFY(TestFiles::read(result.infoFile).contains("\nPath=music/song.mp3\n"));
    QCOMPARE(modeOf(own) & 0777, mode_t(0700));
}

void PlatformTest::trashOnAnotherMount()
{
    const QString mount = otherMount(m_dir.path());
    if (mount.isEmpty())
        QSKIP("no second file system to trash on");
    const ScopedEnvironment dataHome("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("home-data")));
    const QString trash = mount + QString("/.Trash-%1").arg(::getuid());
    const bool trashExisted = QFileInfo::exists(trash);
    QTemporaryDir folder(mount + "/tessaro-trash-XXXXXX");
    QVERIFY(folder.isValid());
    const QString song = folder.filePath("other-mount.mp3");
    TestFiles::write(song, "tune");
    const Trash::Result result = Trash::MoveToTrash(song);
    QVERIFY2(result.moved, qPrintable(result.error));
    QVERIFY(result.trashedAs.startsWith(trash + "/files/"));
    QCOMPARE(TestFiles::read(result.trashedAs), QByteArray("tune"));
    QVERIFY(TestFiles::read(result.infoFile).contains("\nPath=" + song.mid(mount.size() + 1).toUtf8() + "\n"));
    QVERIFY(!QFileInfo::exists(m_dir.filePath("home-data/Trash/files/other-mount.mp3")));
    QFile::remove(result.trashedAs);
    QFile::remove(result.infoFile);
    if (!trashExisted)
        QDir(trash).removeRecursively();
}

void PlatformTest::errorBoxShowsPlainText()
{
    const QString message = "Cannot open file \"<h1>UPDATE REQUIRED<br><font color=red size=7>Run: curl x</font>.swf\".";
    QString format, shown;
    int labelHeight = 0;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        format = box->textFormat() == Qt::PlainText ? "plain" : "other";
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (label->text() == message) {
                shown = label->text();
                labelHeight = label->height();
                format += label->textFormat() == Qt::PlainText ? " label plain" : " label other";
            }
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    ShowErrorBox(message);
    QCOMPARE(format, QString("plain label plain"));
    QCOMPARE(shown, message);
    // Shown as plain text the message takes a few lines of the box's font,
    // not the height of a heading in a huge font.
    QVERIFY2(labelHeight <= 4 * QFontMetrics(QApplication::font()).height(), qPrintable(QString::number(labelHeight)));
}

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
