#pragma once

#include "swf/MovieFiles.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>

namespace swf {

// The files scripts asked for and have not had yet. As in the reference
// player a load never completes in the frame that starts it: it is read,
// and its callback run, when a later frame begins. Each frame reads a
// bounded amount; what is left waits for the next.
class MovieLoads {
public:
    // Most loads waiting at once; more fail as a refused load does.
    static constexpr int MaxPending = 1000;
    // Most loads, and bytes, one frame completes.
    static constexpr int MaxPerFrame = 32;
    static constexpr qint64 MaxBytesPerFrame = 256 * 1024 * 1024;

    using Done = std::function<void(const MovieFile &file)>;

    // Queues url (relative to folder) to complete once the frame count
    // reaches due; false when too many wait.
    bool start(const QString &folder, const QString &url, quint64 due, Done done);
    // Reads and hands over the loads due by frame.
    void completeDue(quint64 frame);
    void clear() { m_pending.clear(); }
    bool empty() const { return m_pending.empty(); }

private:
    struct Pending {
        QString folder;
        QString url;
        quint64 due;
        Done done;
    };
    std::deque<Pending> m_pending;
};

} // namespace swf
