#pragma once

#include <QObject>

#include <cstdint>

// The program's own output volume, applied to everything it plays: two
// channels of 0 (silent) to 65535 (full), the left in the low word and the
// right in the high word of one value. It starts at full, like a fresh
// per-application mixer. There is one per process, as there is one output.
class WaveVolume : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint32_t Full = 0xFFFFFFFFu;

    static WaveVolume &process();

    std::uint32_t volume() const { return m_volume; }
    std::uint16_t left() const { return std::uint16_t(m_volume & 0xFFFF); }
    std::uint16_t right() const { return std::uint16_t(m_volume >> 16); }
    void setVolume(std::uint32_t leftAndRight);

signals:
    void changed(std::uint32_t leftAndRight);

private:
    std::uint32_t m_volume = Full;
};
