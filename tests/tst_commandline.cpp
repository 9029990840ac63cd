// The command line, read without a display, and the single instance's
// request format.
#include "app/CommandLine.h"
#include "app/SingleInstance.h"

#include <QtTest>

Q_DECLARE_METATYPE(CommandLine::Action)

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void versionIsTheProjectVersion();
    void answers_data();
    void answers();
    void requestsRoundTrip();
    void malformedRequests_data();
    void malformedRequests();
};

namespace {
const QString Here = QStringLiteral("/home/user/music");
using Action = CommandLine::Action;
}

void CommandLineTest::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("nothing") << QStringList{} << Action::Run << QStringList{};
    QTest::newRow("relative paths, in order")
        << QStringList{"b.mp3", "a.wav", "sub/c.avi"} << Action::Run
        << QStringList{Here + "/b.mp3", Here + "/a.wav", Here + "/sub/c.avi"};
    QTest::newRow("absolute path") << QStringList{"/tmp/x.wav"} << Action::Run << QStringList{"/tmp/x.wav"};
    QTest::newRow("cleaned") << QStringList{"./a.wav", "../other/b.wav", "/tmp//c.wav"} << Action::Run
                             << QStringList{Here + "/a.wav", "/home/user/other/b.wav", "/tmp/c.wav"};
    QTest::newRow("a folder, its trailing slash dropped")
        << QStringList{"albums/", "/srv/media"} << Action::Run << QStringList{Here + "/albums", "/srv/media"};
    QTest::newRow("file URI, percent-decoded")
        << QStringList{"file:///tmp/My%20Song.mp3"} << Action::Run << QStringList{"/tmp/My Song.mp3"};
    QTest::newRow("file URI, UTF-8 escapes")
        << QStringList{"file:///tmp/caf%C3%A9.wav"} << Action::Run << QStringList{QString::fromUtf8("/tmp/café.wav")};
    QTest::newRow("file URI of localhost")
        << QStringList{"file://localhost/tmp/a%20b.wav"} << Action::Run << QStringList{"/tmp/a b.wav"};
    QTest::newRow("FILE URI in capitals") << QStringList{"FILE:///tmp/a.wav"} << Action::Run << QStringList{"/tmp/a.wav"};
    QTest::newRow("a name with a percent is no URI")
        << QStringList{"100%20.wav"} << Action::Run << QStringList{Here + "/100%20.wav"};
    QTest::newRow("file URI of another host is passed over")
        << QStringList{"file://server/share/a.wav", "b.wav"} << Action::Run << QStringList{Here + "/b.wav"};
    QTest::newRow("other URIs are passed over")
        << QStringList{"http://example.com/a.mp3", "a.mp3"} << Action::Run << QStringList{Here + "/a.mp3"};
    QTest::newRow("empty argument passed over") << QStringList{"", "a.wav"} << Action::Run << QStringList{Here + "/a.wav"};
    QTest::newRow("--help") << QStringList{"--help"} << Action::Help << QStringList{};
    QTest::newRow("-h") << QStringList{"-h"} << Action::Help << QStringList{};
    QTest::newRow("--help among files") << QStringList{"a.wav", "--help"} << Action::Help << QStringList{};
    QTest::newRow("--version") << QStringList{"--version"} << Action::Version << QStringList{};
    QTest::newRow("unknown long option") << QStringList{"a.wav", "--shuffle"} << Action::UsageError << QStringList{};
    QTest::newRow("unknown short option") << QStringList{"-x"} << Action::UsageError << QStringList{};
    QTest::newRow("--help=yes is unknown") << QStringList{"--help=yes"} << Action::UsageError << QStringList{};
    QTest::newRow("-- ends the options")
        << QStringList{"--", "--help", "-x.wav"} << Action::Run << QStringList{Here + "/--help", Here + "/-x.wav"};
    QTest::newRow("a lone dash is a name") << QStringList{"-"} << Action::Run << QStringList{Here + "/-"};
    QTest::newRow("Qt's options and their values")
        << QStringList{"-platform", "offscreen", "a.wav", "-style=Fusion", "--display", ":1", "-reverse", "b.wav"}
        << Action::Run << QStringList{Here + "/a.wav", Here + "/b.wav"};
    QTest::newRow("Qt's window options")
        << QStringList{"-qwindowgeometry", "100x100+0+0", "-qwindowtitle", "T", "-geometry", "1x1", "c.wav"}
        << Action::Run << QStringList{Here + "/c.wav"};
}

void CommandLineTest::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QStringList, files);
    const CommandLine command = ParseCommandLine(arguments, Here);
    QCOMPARE(command.action, action);
    QCOMPARE(command.files, files);
    QCOMPARE(command.error.isEmpty(), action != Action::UsageError);
}

void CommandLineTest::versionIsTheProjectVersion()
{
    QCOMPARE(VersionText(), QStringLiteral("Tessaro " TESSARO_PROJECT_VERSION));
    QVERIFY(UsageText().startsWith("Usage: tessaro "));
}

void CommandLineTest::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("version") << QStringList{"--version"} << 0;
    QTest::newRow("unknown") << QStringList{"--bogus"} << 2;
    QTest::newRow("run") << QStringList{"a.wav"} << -1;
}

void CommandLineTest::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const std::optional<int> answer = AnswerCommandLine(ParseCommandLine(arguments, Here));
    QCOMPARE(answer.value_or(-1), exitCode);
}

void CommandLineTest::requestsRoundTrip()
{
    for (const QStringList &files : {QStringList{}, QStringList{"/a.wav"},
                                     QStringList{"/tmp/x y.mp3", QString::fromUtf8("/tmp/café\n.wav")}}) {
        const QByteArray request = SingleInstance::EncodeRequest(files);
        QStringList decoded;
        QCOMPARE(SingleInstance::DecodeRequest(request, &decoded), SingleInstance::Decoded::Complete);
        QCOMPARE(decoded, files);
        // Any part of it is incomplete, not malformed.
        for (qsizetype n = 0; n < request.size(); ++n)
            QCOMPARE(SingleInstance::DecodeRequest(request.left(n), &decoded), SingleInstance::Decoded::Incomplete);
    }
}

void CommandLineTest::malformedRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    const QByteArray good = SingleInstance::EncodeRequest({"/a.wav"});
    QTest::newRow("wrong magic") << QByteArray("GET / HTTP/1.0\r\n\r\n");
    QTest::newRow("too long") << QByteArray("TSR1\x7f\xff\xff\xff", 8);
    QTest::newRow("just over the limit") << QByteArray("TSR1\x00\x10\x00\x01", 8);
    QTest::newRow("item longer than the payload") << QByteArray("TSR1\0\0\0\x06\0\0\0\x09/a", 14);
    QTest::newRow("truncated item length") << QByteArray("TSR1\0\0\0\x02\0\0", 10);
    QTest::newRow("empty item") << QByteArray("TSR1\0\0\0\x04\0\0\0\0", 12);
    QTest::newRow("relative path") << QByteArray("TSR1\0\0\0\x09\0\0\0\x05" "a.wav", 17);
    QTest::newRow("not UTF-8") << QByteArray("TSR1\0\0\0\x07\0\0\0\x03/\xff\xfe", 15);
    QTest::newRow("NUL in path") << QByteArray("TSR1\0\0\0\x07\0\0\0\x03/\0a", 15);
    QVERIFY(good.size() > 8);
}

void CommandLineTest::malformedRequests()
{
    QFETCH(QByteArray, request);
    QStringList files{"untouched"};
    QCOMPARE(SingleInstance::DecodeRequest(request, &files), SingleInstance::Decoded::Malformed);
    QCOMPARE(files, QStringList{"untouched"});
}

QTEST_APPLESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
