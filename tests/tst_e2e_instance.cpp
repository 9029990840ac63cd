// End-to-end: files on the command line and the single instance, with the
// real tessaro executable under Xvfb. A second start hands its files to the
// running one and ends; the playlist the first one writes at its end shows
// what it took. Each test's programs share a runtime folder of their own.
#include "EndToEndFixture.h"
#include "MediaFiles.h"

#include <unistd.h>

class InstanceEndToEndTest : public EndToEndFixture {
    Q_OBJECT

    QString m_media;

    QString media(const QString &name) const { return m_media + '/' + name; }
    QString socketPath() { return runtimeFolder() + QStringLiteral("/tessaro-%1.socket").arg(::getuid()); }
    // Runs another tessaro of this test's folder to its end; returns its exit code.
    int runAnother(const QStringList &arguments, qint64 *elapsedMs = nullptr, QByteArray *errors = nullptr,
                   const QString &workingFolder = QString())
    {
        QProcess other;
        other.setProcessEnvironment(programEnvironment());
        other.setWorkingDirectory(workingFolder);
        QElapsedTimer clock;
        clock.start();
        other.start(m_folder + "/tessaro", arguments);
        if (!other.waitForFinished(20000)) {
            other.kill();
            other.waitForFinished();
            return -1;
        }
        if (elapsedMs)
            *elapsedMs = clock.elapsed();
        if (errors)
            *errors = other.readAllStandardError();
        return other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -1;
    }
    // The playlist as the program wrote it at its end.
    QStringList savedPlaylist()
    {
        const QString text = QString::fromUtf8(TestFiles::read(m_folder + "/default.pls"));
        QStringList entries = text.split(QStringLiteral("\r\n"));
        if (!entries.isEmpty() && entries.last().isEmpty())
            entries.removeLast();
        return entries;
    }
    void showPlayer()
    {
        click(PlayerButton);
        QTRY_VERIFY_WITH_TIMEOUT(!xdotool({"search", "--onlyvisible", "--name", "None Movie|/"}).isEmpty(), 10000);
    }

private slots:
    void initTestCase();
    void cleanup() { stopProgram(); }
    void cleanupTestCase() { stopDisplay(); }
    void filesOnTheCommandLineThenASecondStart();
    void aFolderAndAFileUri();
    void aSecondStartWithoutFilesRaisesThePanel();
    void staleSocketsDoNotBlock();
    void twoStartsAtOnce();
    void answersWithoutADisplay();
};

void InstanceEndToEndTest::initTestCase()
{
    if (const QString reason = startDisplay(false); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    gst_init(nullptr, nullptr);
    m_media = m_dir.filePath("my media");
    QVERIFY(QDir().mkpath(m_media));
    // Long enough to be still playing when looked at.
    const QString longWav = MediaFiles::tone(30) + QStringLiteral(" ! wavenc ! filesink location=\"%1\"");
    for (const char *name : {"a.wav", "b.wav", "c.wav"})
        QVERIFY(MediaFiles::make(longWav, media(name)));
    TestFiles::write(media("notes.txt"), "not media\n");
}

void InstanceEndToEndTest::filesOnTheCommandLineThenASecondStart()
{
    prepareFolder("two-starts");
    // Relative names, resolved against the folder the program starts in.
    QVERIFY(start(QString(), m_media, {"a.wav", "notes.txt", "b.wav"}));
    showPlayer();
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), media("a.wav"), 10000);

    qint64 elapsed = 0;
    QCOMPARE(runAnother({"c.wav"}, &elapsed, nullptr, m_media), 0);
    qInfo("the second start handed over and ended in %lld ms", elapsed);
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
    // The first instance plays the file it was handed, at once.
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), media("c.wav"), 10000);
    QCOMPARE(m_app.state(), QProcess::Running);

    QCOMPARE(stop(SIGTERM), 0);
    QCOMPARE(savedPlaylist(), (QStringList{media("a.wav"), media("b.wav"), media("c.wav")}));
    // The socket went with the instance.
    QVERIFY(!QFile::exists(socketPath()));
}

void InstanceEndToEndTest::aFolderAndAFileUri()
{
    prepareFolder("folder-and-uri");
    TestFiles::write(m_folder + "/default.pls", (media("b.wav") + "\r\n").toUtf8());
    // The folder's media files, sorted by name; the URI's %20 is a blank.
    const QString uri = QUrl::fromLocalFile(media("c.wav")).toString(QUrl::FullyEncoded);
    QVERIFY(uri.contains("%20"));
    QVERIFY(start(QString(), QString(), {m_media, uri}));
    showPlayer();
    // Whatever the list held before, the first of the new ones plays.
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), media("a.wav"), 10000);
    QCOMPARE(stop(SIGTERM), 0);
    QCOMPARE(savedPlaylist(),
             (QStringList{media("b.wav"), media("a.wav"), media("b.wav"), media("c.wav"), media("c.wav")}));
}

void InstanceEndToEndTest::aSecondStartWithoutFilesRaisesThePanel()
{
    prepareFolder("raise");
    QVERIFY(start());
    const QString panel = panelWindow();
    click(ListButton);
    const QString list = [&] {
        QString id;
        waitFor([&] { return !(id = window("Tessaro Playlist")).isEmpty(); });
        return id;
    }();
    QVERIFY(!list.isEmpty());
    // A click, not xdotool's focus: the program then knows the time of the
    // last focus change, which the X server asks of a later one.
    const QRect listPlace = geometry(list);
    xdotool({"mousemove", QString::number(listPlace.center().x()), QString::number(listPlace.bottom() - 20),
             "click", "1"});
    QTRY_COMPARE_WITH_TIMEOUT(xdotool({"getwindowfocus"}), list, 5000);

    qint64 elapsed = 0;
    QCOMPARE(runAnother({}, &elapsed), 0);
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
    QTRY_COMPARE_WITH_TIMEOUT(xdotool({"getwindowfocus"}), panel, 5000);
    QCOMPARE(stop(SIGTERM), 0);
    QCOMPARE(savedPlaylist(), QStringList());
}

void InstanceEndToEndTest::staleSocketsDoNotBlock()
{
    prepareFolder("stale");
    // A plain file with the socket's name.
    QFile::remove(socketPath());
    TestFiles::write(socketPath(), "");
    QVERIFY(start(QString(), QString(), {media("a.wav")}));
    showPlayer();
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), media("a.wav"), 10000);

    // The socket of an instance that was killed.
    ::kill(pid_t(m_app.processId()), SIGKILL);
    QVERIFY(m_app.waitForFinished(10000));
    QVERIFY(QFile::exists(socketPath()));
    QVERIFY(start(QString(), QString(), {media("b.wav")}));
    showPlayer();
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), media("b.wav"), 10000);
    // It took the socket's place: a further start hands over to it.
    QCOMPARE(runAnother({media("c.wav")}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(playerTitle(), media("c.wav"), 10000);
    QCOMPARE(stop(SIGTERM), 0);
}

void InstanceEndToEndTest::twoStartsAtOnce()
{
    prepareFolder("race");
    QProcess first, second;
    for (QProcess *process : {&first, &second}) {
        process->setProcessEnvironment(programEnvironment());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    first.start(m_folder + "/tessaro", {media("a.wav")});
    second.start(m_folder + "/tessaro", {media("b.wav")});
    QVERIFY(first.waitForStarted(10000) && second.waitForStarted(10000));
    // One of them hands over and ends; the other runs on with both files.
    QTRY_VERIFY_WITH_TIMEOUT((first.state() == QProcess::NotRunning) != (second.state() == QProcess::NotRunning),
                             15000);
    QProcess &ended = first.state() == QProcess::NotRunning ? first : second;
    QProcess &running = first.state() == QProcess::NotRunning ? second : first;
    QCOMPARE(ended.exitStatus(), QProcess::NormalExit);
    QCOMPARE(ended.exitCode(), 0);
    QVERIFY(waitFor([&] { return !panelWindow().isEmpty(); }, 15000));
    QTest::qWait(500);
    QCOMPARE(running.state(), QProcess::Running);
    ::kill(pid_t(running.processId()), SIGTERM);
    QVERIFY(running.waitForFinished(15000));
    QCOMPARE(running.exitCode(), 0);
    QStringList saved = savedPlaylist();
    saved.sort();
    QCOMPARE(saved, (QStringList{media("a.wav"), media("b.wav")}));
}

void InstanceEndToEndTest::answersWithoutADisplay()
{
    prepareFolder("answers");
    const auto run = [&](const QStringList &arguments, QByteArray *out, QByteArray *errors) {
        QProcess process;
        QProcessEnvironment environment = programEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        process.setProcessEnvironment(environment);
        process.start(m_folder + "/tessaro", arguments);
        process.waitForFinished(10000);
        *out = process.readAllStandardOutput();
        *errors = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    QByteArray out, errors;
    QCOMPARE(run({"--bogus", media("a.wav")}, &out, &errors), 2);
    QCOMPARE(out, QByteArray());
    QVERIFY2(errors.contains("usage: tessaro") && errors.count('\n') == 1, errors.constData());
    QCOMPARE(run({"--version"}, &out, &errors), 0);
    QCOMPARE(out, QByteArray("Tessaro " TESSARO_PROJECT_VERSION "\n"));
    QCOMPARE(run({"--help"}, &out, &errors), 0);
    QVERIFY(out.startsWith("Usage: tessaro"));
    QCOMPARE(errors, QByteArray());
    // Nothing ran: no socket, no playlist, no preferences.
    QVERIFY(!QFile::exists(socketPath()));
    QVERIFY(!QFile::exists(m_folder + "/default.pls"));
}

QTEST_GUILESS_MAIN(InstanceEndToEndTest)
#include "tst_e2e_instance.moc"
