// The single instance's server side, in this process: what a running
// Tessaro does with what local clients send it, and a start beside a stale
// socket. Each test has a runtime folder of its own (XDG_RUNTIME_DIR).
#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

class InstanceTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_runtime;
    QList<QStringList> m_opened;
    int m_raised = 0;

    // Sends bytes as a client and returns what came back before the server
    // closed the connection (or the wait ran out).
    QByteArray send(const QString &path, const QByteArray &bytes, int waitMs = 3000)
    {
        QLocalSocket client;
        client.connectToServer(path);
        if (!client.waitForConnected(1000))
            return "<no connection>";
        client.write(bytes);
        client.flush();
        QByteArray answer;
        QElapsedTimer clock;
        clock.start();
        while (client.state() == QLocalSocket::ConnectedState && clock.elapsed() < waitMs) {
            QTest::qWait(10);
            answer += client.readAll();
        }
        answer += client.readAll();
        return answer;
    }
    void serve(SingleInstance &instance)
    {
        instance.serve([this](const QStringList &files) { m_opened.append(files); }, [this] { ++m_raised; });
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid());
        QFile::setPermissions(m_runtime->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
        m_opened.clear();
        m_raised = 0;
    }

    void socketInTheRuntimeFolderNamedByUser()
    {
        SingleInstance instance;
        QVERIFY(!instance.claim({}).has_value());
        QCOMPARE(instance.socketPath(), m_runtime->path() + QStringLiteral("/tessaro-%1.socket").arg(::getuid()));
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(instance.socketPath()).constData(), &info), 0);
        QVERIFY(S_ISSOCK(info.st_mode));
    }

    void requestsAreDeliveredOnceServed()
    {
        SingleInstance instance;
        QVERIFY(!instance.claim({}).has_value());
        QCOMPARE(send(instance.socketPath(), SingleInstance::EncodeRequest({"/a.wav", "/b c.wav"})), QByteArray("K"));
        QCOMPARE(send(instance.socketPath(), SingleInstance::EncodeRequest({})), QByteArray("K"));
        QTest::qWait(50);
        QVERIFY(m_opened.isEmpty()); // not served yet: the windows do not exist
        serve(instance);
        QTRY_COMPARE(m_opened, (QList<QStringList>{{"/a.wav", "/b c.wav"}}));
        QCOMPARE(m_raised, 1);
    }

    void aRequestInPieces()
    {
        SingleInstance instance;
        QVERIFY(!instance.claim({}).has_value());
        serve(instance);
        QLocalSocket client;
        client.connectToServer(instance.socketPath());
        QVERIFY(client.waitForConnected(1000));
        const QByteArray request = SingleInstance::EncodeRequest({"/slow.wav"});
        for (char byte : request) {
            client.write(&byte, 1);
            client.flush();
            QTest::qWait(2);
        }
        QTRY_COMPARE(m_opened, (QList<QStringList>{{"/slow.wav"}}));
    }

    void malformedAndHugeRequestsAreDropped_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("garbage") << QByteArray("hello\n");
        QTest::newRow("relative path") << QByteArray("TSR1\0\0\0\x09\0\0\0\x05" "a.wav", 17);
        QTest::newRow("claims 2 GB") << QByteArray("TSR1\x7f\xff\xff\xff", 8) + QByteArray(4096, 'x');
        // Within the limit but never complete: the server gives up waiting.
        QTest::newRow("never complete") << QByteArray("TSR1\0\0\x10\0", 8) + QByteArray(64, 'x');
    }
    void malformedAndHugeRequestsAreDropped()
    {
        QFETCH(QByteArray, request);
        SingleInstance instance;
        QVERIFY(!instance.claim({}).has_value());
        serve(instance);
        QCOMPARE(send(instance.socketPath(), request, 8000), QByteArray());
        // The server still works for the next client.
        QCOMPARE(send(instance.socketPath(), SingleInstance::EncodeRequest({"/ok.wav"})), QByteArray("K"));
        QTRY_COMPARE(m_opened, (QList<QStringList>{{"/ok.wav"}}));
        QCOMPARE(m_raised, 0);
    }

    void anEndingInstanceTakesNoMore()
    {
        SingleInstance instance;
        QVERIFY(!instance.claim({}).has_value());
        serve(instance);
        // The application's loop ends (aboutToQuit): the windows are going.
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        QCoreApplication::exec();
        // Unanswered, a new start waits for the socket to go, then runs.
        QCOMPARE(send(instance.socketPath(), SingleInstance::EncodeRequest({"/late.wav"})), QByteArray());
        QTest::qWait(50);
        QVERIFY(m_opened.isEmpty());
    }

    void aStartWaitsForAnEndingInstance()
    {
        // An instance that is ending: it accepts and closes, unanswered, for
        // a while, then its socket goes.
        const QByteArray path = QFile::encodeName(m_runtime->path() + QStringLiteral("/tessaro-%1.socket").arg(::getuid()));
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::listen(listener, 4), 0);
        std::atomic<int> refused{0};
        std::thread ending([&] {
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 400) {
                timeval wait{0, 20000};
                fd_set set;
                FD_ZERO(&set);
                FD_SET(listener, &set);
                if (::select(listener + 1, &set, nullptr, nullptr, &wait) > 0) {
                    ::close(::accept(listener, nullptr, nullptr));
                    ++refused;
                }
            }
            ::unlink(path.constData());
            ::close(listener);
        });
        SingleInstance instance;
        const std::optional<int> exitCode = instance.claim({"/a.wav"});
        ending.join();
        QVERIFY(!exitCode.has_value());
        QVERIFY(refused > 0);
        serve(instance);
        QCOMPARE(send(instance.socketPath(), SingleInstance::EncodeRequest({"/b.wav"})), QByteArray("K"));
        QTRY_COMPARE(m_opened, (QList<QStringList>{{"/b.wav"}}));
    }

    void staleSocketFileDoesNotBlock()
    {
        const QString path = m_runtime->path() + QStringLiteral("/tessaro-%1.socket").arg(::getuid());
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance instance;
        QVERIFY(!instance.claim({"/x.wav"}).has_value());
        serve(instance);
        QCOMPARE(send(path, SingleInstance::EncodeRequest({"/y.wav"})), QByteArray("K"));
        QTRY_COMPARE(m_opened, (QList<QStringList>{{"/y.wav"}}));
    }

    void theSocketGoesWithTheInstance()
    {
        QString path;
        {
            SingleInstance instance;
            QVERIFY(!instance.claim({}).has_value());
            path = instance.socketPath();
            QVERIFY(QFile::exists(path));
        }
        QVERIFY(!QFile::exists(path));
    }

    void withoutXdgRuntimeDirAPrivateFolder()
    {
        qunsetenv("XDG_RUNTIME_DIR");
        QString problem;
        const QString folder = SingleInstance::RuntimeFolder(&problem);
        QVERIFY2(!folder.isEmpty(), qPrintable(problem));
        QVERIFY(folder.endsWith(QStringLiteral("/tessaro-runtime-%1").arg(::getuid())));
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0700);
        QCOMPARE(info.st_uid, ::getuid());
    }

    void anOpenFolderIsRefused()
    {
        QTemporaryDir temporary;
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temporary.path()));
        const QString folder = temporary.path() + QStringLiteral("/tessaro-runtime-%1").arg(::getuid());
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
        QString problem;
        QCOMPARE(SingleInstance::RuntimeFolder(&problem), QString());
        QVERIFY(!problem.isEmpty());
        qunsetenv("TMPDIR");
    }
};

QTEST_GUILESS_MAIN(InstanceTest)
#include "tst_instance.moc"
