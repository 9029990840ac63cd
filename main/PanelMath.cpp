#include "PanelMath.h"

#include <QFontMetrics>
#include <QString>

namespace {
constexpr int TitleStep = 5;
// How far a glyph may reach past its advance, and the rounding of the centring.
constexpr int TextSlack = 2;
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

QRect ChangedTextRect(const QFontMetrics &metrics, const QRect &label, const QString &before, const QString &after)
{
    const int width = metrics.horizontalAdvance(after);
    if (before.size() != after.size() || metrics.horizontalAdvance(before) != width)
        return label;
    int first = 0;
    while (first < after.size() && before[first] == after[first])
        ++first;
    if (first == after.size())
        return QRect();
    int end = after.size();
    while (before[end - 1] == after[end - 1])
        --end;
    const int textLeft = label.left() + (label.width() - width) / 2;
    const int left = textLeft + metrics.horizontalAdvance(after.left(first)) - TextSlack;
    const int right = textLeft + metrics.horizontalAdvance(after.left(end)) + TextSlack;
    return QRect(left, label.top(), right - left, label.height()).intersected(label);
}

int VolumeToBar(int volume, int barWidth)
{
    return volume * barWidth / FullVolume;
}

int BarToVolume(int position, int barWidth)
{
    return barWidth > 0 ? position * FullVolume / barWidth : 0;
}
