#include "LocalConnectionHub.h"

#include <algorithm>

namespace swf {

namespace {
bool sameEndpoint(const LocalConnectionHub::Endpoint &a, const LocalConnectionHub::Endpoint &b)
{
    return a.player == b.player && a.keptName == b.keptName;
}
} // namespace

LocalConnectionHub &LocalConnectionHub::shared()
{
    static LocalConnectionHub hub;
    return hub;
}

const LocalConnectionHub::Endpoint *LocalConnectionHub::listener(const QString &name) const
{
    const auto found = m_listeners.constFind(name);
    return found != m_listeners.constEnd() && !found->alive.expired() ? &*found : nullptr;
}

bool LocalConnectionHub::listen(const QString &name, Endpoint endpoint)
{
    if (const Endpoint *existing = listener(name); existing && !sameEndpoint(*existing, endpoint))
        return false;
    m_listeners.insert(name, std::move(endpoint));
    return true;
}

void LocalConnectionHub::close(const QString &name, const Endpoint &endpoint)
{
    const auto found = m_listeners.constFind(name);
    if (found != m_listeners.constEnd() && sameEndpoint(*found, endpoint))
        m_listeners.erase(found);
}

bool LocalConnectionHub::send(const QString &name, const QString &method, QByteArray arguments, Endpoint sender)
{
    // Messages of movies that went are dropped first.
    m_messages.erase(std::remove_if(m_messages.begin(), m_messages.end(),
                                    [](const Message &m) { return m.sender.alive.expired(); }),
                     m_messages.end());
    if (m_messages.size() >= size_t(MaxPendingMessages))
        return false;
    m_messages.push_back({name, method, std::move(arguments), std::move(sender)});
    return true;
}

std::vector<LocalConnectionHub::Delivery> LocalConnectionHub::takeDeliveries(const MoviePlayer &player)
{
    std::vector<Delivery> deliveries;
    for (Message &message : m_messages) {
        if (message.state != Message::State::Waiting)
            continue;
        const Endpoint *to = listener(message.name);
        if (!to) {
            message.state = Message::State::Failed;
        } else if (to->player == &player) {
            deliveries.push_back({to->keptName, message.method, message.arguments});
            message.state = Message::State::Delivered;
        }
    }
    return deliveries;
}

std::vector<LocalConnectionHub::Status> LocalConnectionHub::takeStatuses(const MoviePlayer &player)
{
    std::vector<Status> statuses;
    const auto known = [&player](const Message &m) {
        return m.sender.player == &player && !m.sender.alive.expired() && m.state != Message::State::Waiting;
    };
    for (const Message &message : m_messages)
        if (known(message))
            statuses.push_back({message.sender.keptName, message.state == Message::State::Delivered});
    m_messages.erase(std::remove_if(m_messages.begin(), m_messages.end(), known), m_messages.end());
    return statuses;
}

void LocalConnectionHub::forget(const MoviePlayer &player)
{
    for (auto it = m_listeners.begin(); it != m_listeners.end();)
        it = it->player == &player ? m_listeners.erase(it) : std::next(it);
    m_messages.erase(std::remove_if(m_messages.begin(), m_messages.end(),
                                    [&player](const Message &m) { return m.sender.player == &player; }),
                     m_messages.end());
}

} // namespace swf
