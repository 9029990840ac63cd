#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray Magic = QByteArrayLiteral("TSR1");
constexpr qint64 HeaderSize = 8;
// How long a start waits for its turn to decide (another start deciding).
constexpr int LockWaitMs = 10000;
// How long it waits to connect, and then for the running instance's answer.
// A running instance answers within milliseconds; one that is still starting
// up answers once its event loop runs.
constexpr int ConnectWaitMs = 1000;
constexpr int AnswerWaitMs = 10000;
// How long it waits for an instance that is ending (it takes no more
// requests but still holds the socket) to be gone.
constexpr int EndingWaitMs = 10000;
constexpr int EndingPollMs = 50;
// What the running instance allows a client: time to send its request, and
// how many clients at once.
constexpr int ReadWaitMs = 5000;
constexpr int MaxClients = 8;

void warn(const QString &text)
{
    std::fprintf(stderr, "tessaro: %s\n", qPrintable(text));
}

// This user's folder, made if missing; refused unless it is a real folder of
// this user's that no one else may enter.
bool privateFolder(const QString &path, QString *problem)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        *problem = QStringLiteral("cannot make %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()
        || (info.st_mode & 077) != 0) {
        *problem = QStringLiteral("%1 is not a private folder of this user's").arg(path);
        return false;
    }
    return true;
}

void appendNumber(QByteArray &bytes, quint32 number)
{
    char big[4];
    qToBigEndian(number, big);
    bytes.append(big, 4);
}

quint32 numberAt(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

} // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    m_server.close();
}

QString SingleInstance::RuntimeFolder(QString *problem)
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // QStandardPaths checks the folder's owner and permissions.
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (folder.isEmpty())
            *problem = QStringLiteral("the runtime folder XDG_RUNTIME_DIR cannot be used");
        return folder;
    }
    const QString folder = QDir::tempPath() + QStringLiteral("/tessaro-runtime-%1").arg(::getuid());
    return privateFolder(folder, problem) ? folder : QString();
}

QByteArray SingleInstance::EncodeRequest(const QStringList &files)
{
    QByteArray payload;
    for (const QString &file : files) {
        const QByteArray text = file.toUtf8();
        appendNumber(payload, quint32(text.size()));
        payload.append(text);
    }
    QByteArray request = Magic;
    appendNumber(request, quint32(payload.size()));
    return request + payload;
}

SingleInstance::Decoded SingleInstance::DecodeRequest(const QByteArray &buffer, QStringList *files)
{
    if (!Magic.startsWith(buffer.left(Magic.size())))
        return Decoded::Malformed;
    if (buffer.size() < HeaderSize)
        return Decoded::Incomplete;
    const qint64 length = numberAt(buffer, 4);
    if (length > MaxPayload)
        return Decoded::Malformed;
    if (buffer.size() < HeaderSize + length)
        return Decoded::Incomplete;
    QStringList paths;
    qsizetype at = HeaderSize;
    const qsizetype end = HeaderSize + length;
    while (at < end) {
        if (end - at < 4)
            return Decoded::Malformed;
        const qint64 size = numberAt(buffer, at);
        at += 4;
        if (size == 0 || size > end - at)
            return Decoded::Malformed;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString path = utf8(QByteArrayView(buffer.constData() + at, size));
        if (utf8.hasError() || !path.startsWith(u'/') || path.contains(QChar(0)))
            return Decoded::Malformed;
        paths.append(path);
        at += size;
    }
    *files = paths;
    return Decoded::Complete;
}

std::optional<int> SingleInstance::claim(const QStringList &files)
{
    QString problem;
    const QString folder = RuntimeFolder(&problem);
    const QString path = folder + QStringLiteral("/tessaro-%1.socket").arg(::getuid());
    if (folder.isEmpty() || QFile::encodeName(path).size() >= qsizetype(sizeof(sockaddr_un::sun_path))) {
        warn(QStringLiteral("%1; starting as another instance")
                 .arg(folder.isEmpty() ? problem : QStringLiteral("the socket name %1 is too long").arg(path)));
        return std::nullopt;
    }
    m_path = path;
    const QByteArray request = EncodeRequest(files);
    if (request.size() > HeaderSize + MaxPayload) {
        warn(QStringLiteral("too many files to open at once"));
        return 1;
    }

    // Connecting, and listening when no one answers, is one step under the
    // lock: of two starts at once the first listens and the second connects.
    QLockFile lock(folder + QStringLiteral("/tessaro-%1.lock").arg(::getuid()));
    if (!lock.tryLock(LockWaitMs))
        warn(QStringLiteral("cannot lock %1; deciding without it").arg(lock.fileName()));
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const HandOver outcome = handOver(request);
        if (outcome == HandOver::Done)
            return 0;
        if (outcome == HandOver::Unanswered) {
            warn(QStringLiteral("the running Tessaro (%1) does not answer").arg(m_path));
            return 1;
        }
        if (outcome == HandOver::Closed) {
            // It is ending: once it is gone, this start takes its place.
            if (clock.elapsed() > EndingWaitMs) {
                warn(QStringLiteral("the running Tessaro (%1) takes no files and does not end").arg(m_path));
                return 1;
            }
            QThread::msleep(EndingPollMs);
            continue;
        }
        // No one listens: a socket file there was left by an instance that
        // did not end properly.
        if (outcome == HandOver::NoServer || outcome == HandOver::Refused)
            QLocalServer::removeServer(m_path);
        break;
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_path)) {
        warn(QStringLiteral("cannot listen on %1 (%2); starting as another instance")
                 .arg(m_path, m_server.errorString()));
        return std::nullopt;
    }
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { m_ended = true; });
    return std::nullopt;
}

SingleInstance::HandOver SingleInstance::handOver(const QByteArray &request)
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(ConnectWaitMs)) {
        switch (socket.error()) {
        case QLocalSocket::ServerNotFoundError:
            return HandOver::NoServer;
        case QLocalSocket::ConnectionRefusedError:
            return HandOver::Refused;
        default:
            return HandOver::Failed;
        }
    }
    socket.write(request);
    QElapsedTimer clock;
    clock.start();
    while (socket.bytesToWrite() > 0 && socket.state() == QLocalSocket::ConnectedState
           && clock.elapsed() < AnswerWaitMs)
        socket.waitForBytesWritten(int(AnswerWaitMs - clock.elapsed()));
    while (socket.bytesAvailable() < 1) {
        if (socket.state() != QLocalSocket::ConnectedState)
            return HandOver::Closed;
        if (clock.elapsed() >= AnswerWaitMs)
            return HandOver::Unanswered;
        socket.waitForReadyRead(int(AnswerWaitMs - clock.elapsed()));
    }
    return socket.read(1) == "K" ? HandOver::Done : HandOver::Closed;
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The server owns its clients' sockets: this one counts itself.
        if (m_ended || m_server.findChildren<QLocalSocket *>().size() > MaxClients) {
            socket->abort();
            continue;
        }
        QTimer::singleShot(ReadWaitMs, socket, [socket] { socket->abort(); });
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            // Never more than the largest request: the rest is not read.
            buffer->append(socket->read(HeaderSize + MaxPayload - buffer->size()));
            QStringList files;
            const Decoded decoded = DecodeRequest(*buffer, &files);
            if (decoded == Decoded::Incomplete)
                return;
            // Unanswered, the client of an ending instance tries again.
            if (decoded == Decoded::Malformed || m_ended) {
                socket->abort();
                return;
            }
            disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
            socket->write("K");
            socket->flush();
            socket->disconnectFromServer();
            // Opening files may show an error box: not inside the socket's signal.
            QTimer::singleShot(0, this, [this, files] { deliver(files); });
        });
    }
}

void SingleInstance::serve(std::function<void(const QStringList &)> open, std::function<void()> raise)
{
    m_open = std::move(open);
    m_raise = std::move(raise);
    m_serving = true;
    QTimer::singleShot(0, this, [this] {
        const QList<QStringList> waiting = std::exchange(m_waiting, {});
        for (const QStringList &files : waiting)
            deliver(files);
    });
}

void SingleInstance::deliver(const QStringList &files)
{
    if (m_ended)
        return;
    if (!m_serving) {
        m_waiting.append(files);
        return;
    }
    if (files.isEmpty())
        m_raise();
    else
        m_open(files);
}
