#include "WaveVolume.h"

WaveVolume &WaveVolume::process()
{
    static WaveVolume volume;
    return volume;
}

void WaveVolume::setVolume(std::uint32_t leftAndRight)
{
    if (leftAndRight == m_volume)
        return;
    m_volume = leftAndRight;
    emit changed(m_volume);
}
