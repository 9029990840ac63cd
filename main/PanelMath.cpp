#include "PanelMath.h"

namespace {
constexpr int TitleStep = 5;
constexpr int FullVolume = 65535;
} // namespace

QPoint DockFollow(QPoint listPos, const QRect &oldPanel, QPoint newPanelPos)
{
    QPoint result = listPos;
    if (listPos.x() == oldPanel.left())
        result.setX(newPanelPos.x());
    else if (listPos.x() == oldPanel.left() + oldPanel.width())
        result.setX(newPanelPos.x() + oldPanel.width());
    if (listPos.y() == oldPanel.top())
        result.setY(newPanelPos.y());
    else if (listPos.y() == oldPanel.top() + oldPanel.height())
        result.setY(newPanelPos.y() + oldPanel.height());
    return result;
}

int ScrollTitle(int textWidth, int labelRight, bool playing, int &titleScroll)
{
    if (!playing || textWidth <= labelRight)
        return 0;
    if (textWidth > titleScroll) {
        const int left = -titleScroll;
        titleScroll += TitleStep;
        return left;
    }
    titleScroll = -labelRight;
    return labelRight;
}

int VolumeToBar(int volume, int barWidth)
{
    return volume * barWidth / FullVolume;
}

int BarToVolume(int position, int barWidth)
{
    return barWidth > 0 ? position * FullVolume / barWidth : 0;
}
