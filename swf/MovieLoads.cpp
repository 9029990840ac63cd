#include "MovieLoads.h"

namespace swf {

bool MovieLoads::start(const QString &folder, const QString &url, quint64 due, Done done)
{
    if (m_pending.size() >= size_t(MaxPending))
        return false;
    m_pending.push_back({folder, url, due, std::move(done)});
    return true;
}

void MovieLoads::completeDue(quint64 frame)
{
    qint64 bytes = 0;
    for (int count = 0; count < MaxPerFrame && bytes < MaxBytesPerFrame && !m_pending.empty(); ++count) {
        if (m_pending.front().due > frame)
            return;
        // Taken off first: the callback may start loads of its own.
        Pending load = std::move(m_pending.front());
        m_pending.pop_front();
        const MovieFile file = ReadMovieFile(load.folder, load.url);
        bytes += file.bytes.size();
        load.done(file);
    }
}

} // namespace swf
