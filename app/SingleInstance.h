#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

// One Tessaro per user. The first start listens on a local socket in the
// user's runtime folder; a later start connects, hands over its files (none:
// "come to the front") and ends. Who listens is decided under a lock file
// beside the socket, so two starts at once never both listen, and a socket
// left by a crashed instance (it refuses connections) is removed, not obeyed.
//
// The request, one per connection: "TSR1", the payload's length (32 bits, big
// endian, at most MaxPayload), and the payload, a sequence of paths, each its
// length (32 bits, big endian) and that many bytes of UTF-8, an absolute path.
// The running instance answers one byte, 'K', once it has taken the request;
// anything malformed or too big is dropped with the connection, unanswered.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxPayload = 1 << 20;

    SingleInstance();
    // Stops listening; the socket file goes with the server.
    ~SingleInstance() override;

    // Takes this user's instance place, or hands the files to the instance
    // that has it. Returns the exit code when this process is done (0 handed
    // over, 1 the running instance did not answer), nothing when it goes on:
    // as the instance, or alone when neither connecting nor listening
    // worked (said on standard error).
    std::optional<int> claim(const QStringList &files);

    // From now on hands the requests received, those that came before first,
    // to open (files) or raise (no files), from the event loop. Requests
    // that come once the application's loop has ended are refused.
    void serve(std::function<void(const QStringList &)> open, std::function<void()> raise);

    // The socket: "tessaro-UID.socket" in the runtime folder; empty when
    // there is no safe runtime folder.
    QString socketPath() const { return m_path; }

    // XDG_RUNTIME_DIR as QStandardPaths checks it, or without it a folder of
    // this user's in the temporary folder, made with mode 0700 and refused
    // when it is anyone else's or open to others. Empty, with the reason, when
    // there is none.
    static QString RuntimeFolder(QString *problem);

    enum class Decoded { Incomplete, Malformed, Complete };
    static QByteArray EncodeRequest(const QStringList &files);
    static Decoded DecodeRequest(const QByteArray &buffer, QStringList *files);

private:
    enum class HandOver { Done, NoServer, Refused, Unanswered, Closed, Failed };
    HandOver handOver(const QByteArray &request);
    void accept();
    void deliver(const QStringList &files);

    QString m_path;
    QLocalServer m_server;
    bool m_serving = false;
    bool m_ended = false;
    QList<QStringList> m_waiting;
    std::function<void(const QStringList &)> m_open;
    std::function<void()> m_raise;
};
