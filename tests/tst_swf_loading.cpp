// Loading other files into a movie: which files a movie may read, when the
// loads complete, and what a movie loaded into a clip shows.
#include "ActionAssembler.h"
#include "SwfWriter.h"
#include "TestFiles.h"
#include "swf/FlashControl.h"
#include "swf/MovieFiles.h"
#include "swf/MoviePlayer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

// Frames the movies of these cases run after their first.
constexpr int FramesRun = 6;

QByteArray script(const QString &source)
{
    return SwfWriter::doAction(ActionAssembler::assemble(source));
}

// The lines the movie at path traces in its first frame and FRAMES more.
QStringList runTraces(const QString &path, int frames = FramesRun)
{
    QStringList lines;
    swf::FlashControl control;
    QObject::connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    for (int i = 0; i < frames; ++i)
        control.advanceFrame();
    return lines;
}

// A movie of one frame that runs SOURCE.
QByteArray scriptMovie(const QString &source, int version = 8)
{
    return SwfWriter::movie(script(source) + SwfWriter::showFrame(), version);
}

// loadVariables(URL, "_root"), then the value of v traced in every frame.
QString loadVariablesAndWatch(const QString &url)
{
    return QStringLiteral("push \"%1\", \"_root\"\ngeturl2 192\n"
                          "push \"onEnterFrame\"\nfunction ()\npush \"v\"\ngetvariable\ntrace\nend\nsetvariable\n")
        .arg(url);
}

bool makeFifo(const QString &path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

} // namespace

class SwfLoadingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void access_data();
    void access();
    void loader_data();
    void loader();
    void loadVars_data();
    void loadVars();
    void xmlLoad_data();
    void xmlLoad();
    void levels_data();
    void levels();
    void roots_data();
    void roots();
    void images_data();
    void images();
    void imports_data();
    void imports();
    void levelsDrawnInOrder();
    void loadedMovieShows();
    void selfLoadingStaysBounded();

private:
    QString inside(const QString &name) const { return m_dir.path() + QStringLiteral("/movie/") + name; }
    QTemporaryDir m_dir;
};

void SwfLoadingTest::init()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("movie/sub"));
    TestFiles::write(inside(QStringLiteral("data.txt")), "v=inside");
    TestFiles::write(inside(QStringLiteral("doc.xml")), "<cat name=\"Tom\"><say>meow</say></cat>");
    TestFiles::write(inside(QStringLiteral("sub/data.txt")), "v=below");
    TestFiles::write(m_dir.path() + QStringLiteral("/outside.txt"), "v=outside");
}

// What a URL names, as a movie in movie/ asks for it, and whether it may be read.
void SwfLoadingTest::access_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("read"); // what v becomes; "undefined" when nothing may be read
    const QString outside = m_dir.path() + QStringLiteral("/outside.txt");
    const QString undefinedValue = QStringLiteral("undefined");
    QTest::newRow("beside the movie") << "data.txt" << "inside";
    QTest::newRow("in a folder below") << "sub/data.txt" << "below";
    QTest::newRow("down and back up") << "sub/../data.txt" << "inside";
    QTest::newRow("out through ..") << "../outside.txt" << undefinedValue;
    QTest::newRow("out and back in") << "../movie/data.txt" << "inside";
    QTest::newRow("absolute path inside") << inside(QStringLiteral("data.txt")) << "inside";
    QTest::newRow("absolute path outside") << outside << undefinedValue;
    QTest::newRow("file URL inside") << QUrl::fromLocalFile(inside(QStringLiteral("data.txt"))).toString() << "inside";
    QTest::newRow("file URL outside") << QUrl::fromLocalFile(outside).toString() << undefinedValue;
    QTest::newRow("web address") << "http://localhost/data.txt" << undefinedValue;
    QTest::newRow("secure web address") << "https://localhost/data.txt" << undefinedValue;
    QTest::newRow("another scheme") << "ftp://localhost/data.txt" << undefinedValue;
    QTest::newRow("missing file") << "none.txt" << undefinedValue;
    QTest::newRow("a folder") << "sub" << undefinedValue;
    QTest::newRow("a link leading out") << "link.txt" << undefinedValue;
    QTest::newRow("a FIFO") << "fifo" << undefinedValue;
}

// The movie's variable shows what was read: undefined in the frame that
// asked and the next, then the file's value, or undefined for good.
void SwfLoadingTest::access()
{
    QFETCH(QString, url);
    QFETCH(QString, read);
    QVERIFY(QFile::link(m_dir.path() + QStringLiteral("/outside.txt"), inside(QStringLiteral("link.txt"))) ||
            QFileInfo(inside(QStringLiteral("link.txt"))).isSymLink());
    QVERIFY(QFileInfo::exists(inside(QStringLiteral("fifo"))) || makeFifo(inside(QStringLiteral("fifo"))));
    const QString movie = inside(QStringLiteral("access.swf"));
    TestFiles::write(movie, scriptMovie(loadVariablesAndWatch(url)));
    const QStringList seen = runTraces(movie, 3);
    QCOMPARE(seen, QStringList({QStringLiteral("undefined"), read, read}));
}

// A MovieClipLoader whose every event traces its name and arguments, then SOURCE.
QString tracingLoader(const QString &source)
{
    QString out = QStringLiteral("push \"l\", 0, \"MovieClipLoader\"\nnewobject\nsetvariable\n");
    for (const char *event : {"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit", "onLoadError"})
        out += QStringLiteral("push \"l\"\ngetvariable\npush \"%1\"\nfunction (a, b, c)\n"
                              "push \"%1 \", \"a\"\ngetvariable\nadd2\npush \" \"\nadd2\npush \"b\"\ngetvariable\nadd2\n"
                              "push \" \"\nadd2\npush \"c\"\ngetvariable\nadd2\ntrace\nend\nsetmember\n")
                   .arg(QLatin1String(event));
    return out + source;
}

// l.loadClip(URL, TARGET) traced, TARGET pushed as given.
QString loadClip(const QString &url, const QString &target)
{
    return QStringLiteral("%2\npush \"%1\", 2, \"l\"\ngetvariable\npush \"loadClip\"\ncallmethod\ntrace\n").arg(url, target);
}

// A movie whose first frame traces "child"; loaders tell its size, the file's.
QByteArray childMovie()
{
    return SwfWriter::movie(script(QStringLiteral("push \"child\"\ntrace")) + SwfWriter::showFrame(), 7);
}

const QString MakeClipA = QStringLiteral("push 1, \"a\", 2, \"this\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\npop\n");

void SwfLoadingTest::loader_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");
    const QString clipA = QStringLiteral("push \"a\"\ngetvariable");
    const QString progress = QStringLiteral("onLoadProgress _level0.a %1 %1").arg(childMovie().size());
    // As the reference player answers a local movie asking for a web address.
    QTest::newRow("web address") << MakeClipA + loadClip(QStringLiteral("http://example.com/404"), clipA)
                                 << QStringList{"true", "onLoadError _level0.a IllegalRequest 0"};
    QTest::newRow("outside the folder") << MakeClipA + loadClip(QStringLiteral("../outside.txt"), clipA)
                                        << QStringList{"true", "onLoadError _level0.a URLNotFound 0"};
    QTest::newRow("missing file") << MakeClipA + loadClip(QStringLiteral("none.swf"), clipA)
                                  << QStringList{"true", "onLoadError _level0.a URLNotFound 0"};
    QTest::newRow("no such target") << loadClip(QStringLiteral("child.swf"), QStringLiteral("push \"nothing\""))
                                    << QStringList{"false"};
    // The child's first frame traces "child" before onLoadInit.
    QTest::newRow("a movie") << MakeClipA + loadClip(QStringLiteral("child.swf"), clipA)
                             << QStringList{"true", "onLoadStart _level0.a undefined undefined",
                                            progress, progress,
                                            "onLoadComplete _level0.a 0 undefined", "child",
                                            "onLoadInit _level0.a undefined undefined"};
    QTest::newRow("the target by its path") << MakeClipA + loadClip(QStringLiteral("child.swf"), QStringLiteral("push \"/a\""))
                                            << QStringList{"true", "onLoadStart _level0.a undefined undefined",
                                                           progress, progress,
                                                           "onLoadComplete _level0.a 0 undefined", "child",
                                                           "onLoadInit _level0.a undefined undefined"};
    // getProgress answers for MovieClipLoader objects only, whoever holds the method.
    const QString getProgressOf = QStringLiteral(
        "push \"o\", 0, \"Object\"\nnewobject\nsetvariable\n"
        "push \"o\"\ngetvariable\npush \"gp\", \"l\"\ngetvariable\npush \"getProgress\"\ngetmember\nsetmember\n"
        "push \"this\"\ngetvariable\npush 1, \"%1\"\ngetvariable\npush \"%2\"\ncallmethod\ntypeof\ntrace\n");
    QTest::newRow("getProgress of a loader") << getProgressOf.arg("l", "getProgress") << QStringList{"object"};
    QTest::newRow("getProgress of another object") << getProgressOf.arg("o", "gp") << QStringList{"undefined"};
    // A clip gone by the time the load fails is undefined to the listeners.
    QTest::newRow("target removed") << MakeClipA + loadClip(QStringLiteral("none.swf"), clipA) + clipA + QStringLiteral("\nremovesprite\n")
                                    << QStringList{"true", "onLoadError undefined URLNotFound 0"};
}

void SwfLoadingTest::loader()
{
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    TestFiles::write(inside(QStringLiteral("child.swf")), childMovie());
    const QString path = inside(QStringLiteral("loader.swf"));
    TestFiles::write(path, scriptMovie(tracingLoader(source), 7));
    QCOMPARE(runTraces(path), printed);
}

void SwfLoadingTest::loadVars_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("a file beside the movie") << "data.txt" << QStringList{"true", "onLoad true inside true"};
    QTest::newRow("a missing file") << "none.txt" << QStringList{"true", "onLoad false undefined false"};
    QTest::newRow("a web address") << "http://localhost/data.txt" << QStringList{"true", "onLoad false undefined false"};
}

// lv.load(URL); lv.onLoad traces whether it succeeded, lv.v and lv.loaded.
void SwfLoadingTest::loadVars()
{
    QFETCH(QString, url);
    QFETCH(QStringList, printed);
    const QString source = QStringLiteral(
        "push \"lv\", 0, \"LoadVars\"\nnewobject\nsetvariable\n"
        "push \"lv\"\ngetvariable\npush \"onLoad\"\nfunction (ok)\n"
        "push \"onLoad \", \"ok\"\ngetvariable\nadd2\npush \" \"\nadd2\npush \"lv\"\ngetvariable\npush \"v\"\ngetmember\nadd2\n"
        "push \" \"\nadd2\npush \"lv\"\ngetvariable\npush \"loaded\"\ngetmember\nadd2\ntrace\nend\nsetmember\n"
        "push \"%1\", 1, \"lv\"\ngetvariable\npush \"load\"\ncallmethod\ntrace\n").arg(url);
    const QString path = inside(QStringLiteral("loadvars.swf"));
    TestFiles::write(path, scriptMovie(source, 7));
    QCOMPARE(runTraces(path), printed);
}

void SwfLoadingTest::xmlLoad_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("printed");
    // load answers at once; onLoad comes frames later with the parsed document.
    QTest::newRow("a document beside the movie") << "doc.xml" << QStringList{"true", "false", "onLoad true cat 0 true"};
    QTest::newRow("a missing file") << "none.xml" << QStringList{"true", "false", "onLoad false undefined 0 false"};
    QTest::newRow("out of the folder") << "../outside.txt"
                                       << QStringList{"true", "false", "onLoad false undefined 0 false"};
    QTest::newRow("no address") << "" << QStringList{"false", "undefined"};
}

// x.load(URL); x.onLoad traces whether it succeeded, the first element's
// name, the parse status and x.loaded.
void SwfLoadingTest::xmlLoad()
{
    QFETCH(QString, url);
    QFETCH(QStringList, printed);
    const QString source = QStringLiteral(
        "push \"x\", 0, \"XML\"\nnewobject\nsetvariable\n"
        "push \"x\"\ngetvariable\npush \"onLoad\"\nfunction (ok)\n"
        "push \"onLoad \", \"ok\"\ngetvariable\nadd2\npush \" \"\nadd2\n"
        "push \"x\"\ngetvariable\npush \"firstChild\"\ngetmember\npush \"nodeName\"\ngetmember\nadd2\n"
        "push \" \"\nadd2\npush \"x\"\ngetvariable\npush \"status\"\ngetmember\nadd2\n"
        "push \" \"\nadd2\npush \"x\"\ngetvariable\npush \"loaded\"\ngetmember\nadd2\ntrace\nend\nsetmember\n"
        "push \"%1\", 1, \"x\"\ngetvariable\npush \"load\"\ncallmethod\ntrace\n"
        "push \"x\"\ngetvariable\npush \"loaded\"\ngetmember\ntrace\n").arg(url);
    const QString path = inside(QStringLiteral("xml.swf"));
    TestFiles::write(path, scriptMovie(source, 7));
    QCOMPARE(runTraces(path), printed);
}

// A movie whose first frame traces "child " and the clip it plays in, and sets v.
QByteArray levelChild()
{
    return scriptMovie(QStringLiteral("push \"child \", \"this\"\ngetvariable\nadd2\ntrace\npush \"v\", \"here\"\nsetvariable"), 7);
}

// onEnterFrame traces NAME every frame (then runs MORE).
QString traceEveryFrame(const QString &name, const QString &more = {})
{
    return QStringLiteral("push \"onEnterFrame\"\nfunction ()\npush \"%1\"\ngetvariable\ntrace\n%2end\nsetvariable\n")
        .arg(name, more);
}

void SwfLoadingTest::levels_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");
    const QString level3 = QStringLiteral("_level3");
    const QString undefinedValue = QStringLiteral("undefined");
    // A level shows as the frame two after the asking one begins, before
    // the clips of that frame move.
    QTest::newRow("loadMovieNum") << QStringLiteral("push \"child.swf\", \"_level3\"\ngeturl2 64\n") + traceEveryFrame(level3)
                                  << QStringList{undefinedValue, "child _level3", level3, level3, level3, level3, level3};
    QTest::newRow("loadMovie into a level's name")
        << QStringLiteral("push \"child.swf\", \"_level3\"\ngeturl2 64\n") << QStringList{"child _level3"};
    QTest::newRow("a level's clips by path")
        << QStringLiteral("push \"child.swf\", \"_level3\"\ngeturl2 64\n") + traceEveryFrame(QStringLiteral("_level3/:v"))
        << QStringList{undefinedValue, "child _level3", "here", "here", "here", "here", "here"};
    // Loaded into a level by number, the listeners hear of it; by the
    // level's name, nobody does.
    const QString progress = QStringLiteral("onLoadProgress _level4 %1 %1").arg(levelChild().size());
    const QString progress6 = QStringLiteral("onLoadProgress _level6 %1 %1").arg(levelChild().size());
    QTest::newRow("loadClip by number")
        << tracingLoader(loadClip(QStringLiteral("child.swf"), QStringLiteral("push 4")))
        << QStringList{"true", "onLoadStart _level4 undefined undefined", progress, progress,
                       "onLoadComplete _level4 0 undefined", "child _level4", "onLoadInit _level4 undefined undefined"};
    QTest::newRow("loadClip by the level's name")
        << tracingLoader(loadClip(QStringLiteral("child.swf"), QStringLiteral("push \"_level5\"")))
        << QStringList{"true", "child _level5"};
    QTest::newRow("loadClip, a number out of range wraps")
        << tracingLoader(loadClip(QStringLiteral("child.swf"), QStringLiteral("push 4294967302")))
        << QStringList{"true", "onLoadStart _level6 undefined undefined", progress6, progress6,
                       "onLoadComplete _level6 0 undefined", "child _level6", "onLoadInit _level6 undefined undefined"};
    QTest::newRow("loadClip, a negative level")
        << tracingLoader(loadClip(QStringLiteral("child.swf"), QStringLiteral("push -2"))) << QStringList{"false"};
    QTest::newRow("loadClip, a level out of the folder")
        << tracingLoader(loadClip(QStringLiteral("../outside.txt"), QStringLiteral("push 4")))
        << QStringList{"true", "onLoadError undefined URLNotFound 0"};
    QTest::newRow("loadClip, a web address into a level")
        << tracingLoader(loadClip(QStringLiteral("http://localhost/child.swf"), QStringLiteral("push 4")))
        << QStringList{"true", "onLoadError undefined IllegalRequest 0"};
    // unloadMovieNum empties the level as unloadMovie does a clip, and its name then names nothing.
    QTest::newRow("unloadMovieNum")
        << QStringLiteral("push \"child.swf\", \"_level3\"\ngeturl2 64\n") +
               traceEveryFrame(level3, QStringLiteral("push \"\", \"_level3\"\ngeturl2 64\n"))
        << QStringList{undefinedValue, "child _level3", level3, level3, undefinedValue, undefinedValue, undefinedValue};
}

void SwfLoadingTest::levels()
{
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    TestFiles::write(inside(QStringLiteral("child.swf")), levelChild());
    const QString path = inside(QStringLiteral("levels.swf"));
    TestFiles::write(path, scriptMovie(source, 7));
    QCOMPARE(runTraces(path), printed);
}

// Clips a and a.b, each with a variable value naming it; then what b._root.value is.
void SwfLoadingTest::roots_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("lock");
    QTest::addColumn<QString>("printed");
    QTest::newRow("the level's root") << 7 << QString() << "parent";
    QTest::newRow("a clip locking its root") << 7 << "a" << "a";
    QTest::newRow("the clip itself locking it") << 7 << "b" << "b";
    QTest::newRow("version 6 knows no _lockroot") << 6 << "a" << "parent";
}

void SwfLoadingTest::roots()
{
    QFETCH(int, version);
    QFETCH(QString, lock);
    QFETCH(QString, printed);
    QString source = MakeClipA +
                     QStringLiteral("push \"b\", 1, \"b\", 2, \"a\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\nsetvariable\n"
                                    "push \"value\", \"parent\"\nsetvariable\n"
                                    "push \"a\"\ngetvariable\npush \"value\", \"a\"\nsetmember\n"
                                    "push \"b\"\ngetvariable\npush \"value\", \"b\"\nsetmember\n");
    if (!lock.isEmpty())
        source += QStringLiteral("push \"%1\"\ngetvariable\npush \"_lockroot\", true\nsetmember\n").arg(lock);
    source += QStringLiteral("push \"b\"\ngetvariable\npush \"_root\"\ngetmember\npush \"value\"\ngetmember\ntrace\n");
    const QString path = inside(QStringLiteral("roots.swf"));
    TestFiles::write(path, scriptMovie(source, version));
    QCOMPARE(runTraces(path, 0), QStringList{printed});
}

void SwfLoadingTest::images_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("file");
    QTest::newRow("PNG") << "PNG" << "pic.png";
    QTest::newRow("JPEG") << "JPEG" << "pic.jpg";
    // The picture's own bytes tell what it is, not its name.
    QTest::newRow("PNG named .jpg") << "PNG" << "png.jpg";
}

// A picture loaded into a clip shows at its top left, one pixel to a pixel;
// the clip is as large as the picture once the listeners hear onLoadInit.
void SwfLoadingTest::images()
{
    QFETCH(QString, format);
    QFETCH(QString, file);
    constexpr int Width = 30, Height = 20; // pixels
    QImage picture(Width, Height, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(picture.save(inside(file), format.toLatin1().constData()));
    const QString source = MakeClipA + QStringLiteral(
        "push \"l\", 0, \"MovieClipLoader\"\nnewobject\nsetvariable\n"
        "push \"l\"\ngetvariable\npush \"onLoadInit\"\nfunction (c)\n"
        "push \"c\"\ngetvariable\npush \"_width\"\ngetmember\npush \"x\"\nadd2\n"
        "push \"c\"\ngetvariable\npush \"_height\"\ngetmember\nadd2\ntrace\nend\nsetmember\n"
        "push \"l\"\ngetvariable\npush \"onLoadError\"\nfunction (c, e)\npush \"e\"\ngetvariable\ntrace\nend\nsetmember\n") +
        loadClip(file, QStringLiteral("push \"a\"\ngetvariable"));
    const QString path = inside(QStringLiteral("image.swf"));
    TestFiles::write(path, scriptMovie(source, 8));

    QStringList lines;
    swf::FlashControl control;
    QObject::connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    for (int i = 0; i < FramesRun; ++i)
        control.advanceFrame();
    QCOMPARE(lines, QStringList({"true", QStringLiteral("%1x%2").arg(Width).arg(Height)}));
    const QImage stage = control.renderStage();
    constexpr int Tolerance = 16;
    QVERIFY(std::abs(stage.pixelColor(Width / 2, Height / 2).blue() - 255) <= Tolerance);
    QVERIFY(std::abs(stage.pixelColor(Width / 2, Height / 2).red()) <= Tolerance);
    QCOMPARE(stage.pixelColor(Width + 5, Height / 2), QColor(Qt::white));
}

// ExportAssets (56) or ImportAssets (57) and ImportAssets2 (71) of one character.
QByteArray assetTag(int code, int id, const QByteArray &name, const QByteArray &url = {})
{
    SwfWriter::Bits b;
    constexpr int ImportAssets2 = 71;
    if (!url.isEmpty())
        b.string(url);
    if (code == ImportAssets2) {
        b.u8(1);
        b.u8(0);
    }
    b.u16(1);
    b.u16(id);
    b.string(name);
    return SwfWriter::tag(code, b.bytes);
}

void SwfLoadingTest::imports_data()
{
    constexpr int ImportAssets = 57, ImportAssets2 = 71;
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("imported"); // the name the importer asks for
    QTest::addColumn<QString>("attached"); // the name it attaches
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<bool>("shows");
    const QStringList found{"_level0.t", "in _level0.t"};
    QTest::newRow("ImportAssets") << ImportAssets << "lib.swf" << "Thing" << "Thing" << found << true;
    QTest::newRow("ImportAssets2") << ImportAssets2 << "lib.swf" << "Thing" << "Thing" << found << true;
    QTest::newRow("attached in another case") << ImportAssets << "lib.swf" << "Thing" << "tHING" << found << true;
    QTest::newRow("imported in another case") << ImportAssets << "lib.swf" << "THING" << "THING" << found << true;
    QTest::newRow("not exported") << ImportAssets << "lib.swf" << "Other" << "Other" << QStringList{"undefined"} << false;
    QTest::newRow("no such file") << ImportAssets << "none.swf" << "Thing" << "Thing" << QStringList{"undefined"} << false;
    QTest::newRow("out of the folder")
        << ImportAssets << "../lib.swf" << "Thing" << "Thing" << QStringList{"undefined"} << false;
}

// lib.swf exports a clip drawing its own red square (its character 2);
// the importer, whose character 2 is blue, attaches the clip by name.
void SwfLoadingTest::imports()
{
    QFETCH(int, tag);
    QFETCH(QString, url);
    QFETCH(QString, imported);
    QFETCH(QString, attached);
    QFETCH(QStringList, printed);
    QFETCH(bool, shows);
    using namespace SwfWriter;
    constexpr int ExportAssets = 56;
    constexpr int Side = 400; // twips
    const QByteArray thing = place(Place(1, 2)) + script(QStringLiteral("push \"in \", \"this\"\ngetvariable\nadd2\ntrace")) + showFrame();
    const QByteArray library = rectangle(2, QRect(0, 0, Side, Side), Qt::red) + sprite(1, thing) +
                               assetTag(ExportAssets, 1, "Thing") + showFrame();
    TestFiles::write(inside(QStringLiteral("lib.swf")), movie(library, 7));
    TestFiles::write(m_dir.path() + QStringLiteral("/lib.swf"), movie(library, 7));
    const QString source = QStringLiteral("push 1, \"t\", \"%1\", 3, \"this\"\ngetvariable\npush \"attachMovie\"\ncallmethod\npop\n"
                                          "push \"t\"\ngetvariable\ntrace\n").arg(attached);
    const QByteArray importer = rectangle(2, QRect(0, 0, Side, Side), Qt::blue) +
                                assetTag(tag, 5, imported.toLatin1(), url.toLatin1()) + script(source) + showFrame();
    const QString path = inside(QStringLiteral("importer.swf"));
    TestFiles::write(path, movie(importer, 7));

    QStringList lines;
    swf::FlashControl control;
    QObject::connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    control.advanceFrame();
    QCOMPARE(lines, printed);
    const QColor centre = control.renderStage().pixelColor(Side / 40, Side / 40);
    QCOMPARE(centre == QColor(Qt::red), shows);
    QVERIFY(centre != QColor(Qt::blue));
}

// The root draws blue over its stage; _level2 a red square, _level1 a green
// one half its size: each level shows above the ones under it.
void SwfLoadingTest::levelsDrawnInOrder()
{
    using namespace SwfWriter;
    constexpr int Side = 400, Half = 200; // twips
    TestFiles::write(inside(QStringLiteral("red.swf")),
                     movie(rectangle(1, QRect(0, 0, Side, Side), Qt::red) + place(Place(1, 1)) + showFrame(), 7));
    TestFiles::write(inside(QStringLiteral("green.swf")),
                     movie(rectangle(1, QRect(0, 0, Half, Half), Qt::green) + place(Place(1, 1)) + showFrame(), 7));
    const QString source = QStringLiteral("push \"green.swf\", \"_level1\"\ngeturl2 64\npush \"red.swf\", \"_level2\"\ngeturl2 64\n");
    const QString path = inside(QStringLiteral("stack.swf"));
    TestFiles::write(path, movie(rectangle(1, QRect(0, 0, Side * 2, Side * 2), Qt::blue) + place(Place(1, 1)) +
                                     script(source) + showFrame(), 7));
    swf::FlashControl control;
    control.setMovie(path);
    for (int i = 0; i < FramesRun; ++i)
        control.advanceFrame();
    const QImage stage = control.renderStage();
    constexpr int TwipsPerPixel = 20;
    QCOMPARE(stage.pixelColor(Half / TwipsPerPixel / 2, Half / TwipsPerPixel / 2), QColor(Qt::red));
    QCOMPARE(stage.pixelColor(Side / TwipsPerPixel + 5, 5), QColor(Qt::blue));
}

// The lead's demo: a clip made empty loads characters/cat.swf, which draws
// its red square with its own character 1 (the parent's character 1 is
// blue) and plays its own two frames, while the parent moves the clip.
void SwfLoadingTest::loadedMovieShows()
{
    using namespace SwfWriter;
    constexpr int Side = 400; // twips
    QDir(m_dir.path()).mkpath(QStringLiteral("movie/characters"));
    const QByteArray cat = rectangle(1, QRect(0, 0, Side, Side), Qt::red) + place(Place(1, 1)) +
                           script(QStringLiteral("push \"cat 1\"\ntrace")) + showFrame() +
                           script(QStringLiteral("push \"cat 2\"\ntrace")) + showFrame();
    TestFiles::write(inside(QStringLiteral("characters/cat.swf")), movie(cat, 6));
    const QString source = QStringLiteral(
        "push 1, \"cat\", 2, \"this\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\npop\n"
        "push \"characters/cat.swf\", 1, \"cat\"\ngetvariable\npush \"loadMovie\"\ncallmethod\npop\n"
        "push \"onEnterFrame\"\nfunction ()\n"
        "push \"cat\"\ngetvariable\npush \"_x\", \"cat\"\ngetvariable\npush \"_x\"\ngetmember\npush 2\nadd2\nsetmember\n"
        "end\nsetvariable\n");
    const QString path = inside(QStringLiteral("demo.swf"));
    TestFiles::write(path, movie(rectangle(1, QRect(0, 0, Side, Side), Qt::blue) + script(source) + showFrame(), 6));

    QStringList lines;
    swf::FlashControl control;
    QObject::connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    for (int i = 0; i < FramesRun; ++i)
        control.advanceFrame();
    QCOMPARE(lines, QStringList({"cat 1", "cat 2", "cat 1", "cat 2", "cat 1"}));
    const QImage stage = control.renderStage();
    constexpr int MovedBy = 2 * FramesRun; // pixels
    const auto near = [](QColor a, QColor b) {
        constexpr int Tolerance = 16;
        return std::abs(a.red() - b.red()) <= Tolerance && std::abs(a.green() - b.green()) <= Tolerance &&
               std::abs(a.blue() - b.blue()) <= Tolerance;
    };
    QVERIFY(near(stage.pixelColor(MovedBy + 10, 10), Qt::red));
    QVERIFY(near(stage.pixelColor(MovedBy / 2, 10), Qt::white));
}

// Every copy loads itself into two clips of its own: the copies grow as a
// tree, which the limits on nesting, pending loads and objects stop.
void SwfLoadingTest::selfLoadingStaysBounded()
{
    QString source = QStringLiteral("push \"this\"\ngetvariable\ntrace\n");
    for (const QString &clip : {QStringLiteral("c"), QStringLiteral("d")})
        source += QStringLiteral("push %2, \"%1\", 2, \"this\"\ngetvariable\npush \"createEmptyMovieClip\"\ncallmethod\npop\n"
                                 "push \"this\"\ngetvariable\npush \"_url\"\ngetmember\npush 1, \"%1\"\ngetvariable\n"
                                 "push \"loadMovie\"\ncallmethod\npop\n")
                      .arg(clip)
                      .arg(clip == QLatin1String("c") ? 1 : 2);
    const QString path = inside(QStringLiteral("self.swf"));
    TestFiles::write(path, scriptMovie(source, 7));
    constexpr int ManyFrames = 80;
    const QStringList lines = runTraces(path, ManyFrames);
    QVERIFY(lines.size() > 2); // copies did load
    QVERIFY(lines.size() <= swf::MoviePlayer::MaxObjects);
}

QTEST_MAIN(SwfLoadingTest)
#include "tst_swf_loading.moc"
