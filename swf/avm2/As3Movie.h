#pragma once

#include <QString>

#include <memory>

namespace swf {
class MoviePlayer;
struct DisplayObject;
struct Frame;
} // namespace swf

namespace swf::avm2 {

class Runtime;

// The ActionScript 3 side of one movie: its virtual machine, fed the
// frames' DoABC blocks and SymbolClass links as the timeline reaches them.
class As3Movie {
public:
    explicit As3Movie(MoviePlayer &player);
    ~As3Movie();
    As3Movie(const As3Movie &) = delete;
    As3Movie &operator=(const As3Movie &) = delete;

    Runtime &runtime() { return *m_rt; }
    // Loads the frame's blocks, then makes the classes it links: the
    // document class (character 0) becomes the root's.
    void frameReached(DisplayObject &clip, const Frame &frame);
    // Once a frame, as it begins: the timers whose time has come.
    void runTimers(qint64 frameStartMs);

private:
    void linkRootClass(const QString &className);

    MoviePlayer &m_player;
    std::unique_ptr<Runtime> m_rt;
};

} // namespace swf::avm2
