#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace swf {

class MoviePlayer;

// The names LocalConnection objects listen on, and the messages sent to
// them. The reference player's connections span every movie on the
// machine; these span the movies of this process, so one hub serves every
// player. A message waits until the receiving movie's next frame, and the
// sender hears how it went at its own next frame after that, as there.
// The hub holds bytes only: what the objects are is the movies' business.
class LocalConnectionHub {
public:
    // Most bytes of arguments one message may carry, as in the reference player.
    static constexpr int MaxMessageBytes = 40 * 1024;
    // Most messages waiting at once; a movie sending in a loop gets errors beyond.
    static constexpr int MaxPendingMessages = 1000;

    static LocalConnectionHub &shared();

    // A movie's side of a connection: its player (while it lives) and the
    // name its engine keeps the LocalConnection object under.
    struct Endpoint {
        const MoviePlayer *player = nullptr;
        std::weak_ptr<char> alive;
        QString keptName;
    };
    // A message for a listener of the player, by the name its object is kept under.
    struct Delivery {
        QString keptName;
        QString method;
        QByteArray arguments;
    };
    // How a message the player sent went.
    struct Status {
        QString keptName;
        bool delivered = false;
    };

    // Listens on a name; false while another live endpoint does.
    bool listen(const QString &name, Endpoint endpoint);
    // Stops listening on a name, if the endpoint holds it.
    void close(const QString &name, const Endpoint &endpoint);
    // Queues a message; false when too many wait.
    bool send(const QString &name, const QString &method, QByteArray arguments, Endpoint sender);
    // The messages waiting for the player's listeners (handed over once),
    // and the statuses of the player's messages whose fate is known.
    std::vector<Delivery> takeDeliveries(const MoviePlayer &player);
    std::vector<Status> takeStatuses(const MoviePlayer &player);
    // Drops the listeners and messages of a movie that goes.
    void forget(const MoviePlayer &player);

private:
    struct Message {
        enum class State { Waiting, Delivered, Failed };
        QString name;
        QString method;
        QByteArray arguments;
        Endpoint sender;
        State state = State::Waiting;
    };
    const Endpoint *listener(const QString &name) const;

    QHash<QString, Endpoint> m_listeners;
    std::vector<Message> m_messages;
};

} // namespace swf
