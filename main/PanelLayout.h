#pragma once

#include <QRect>

#include <array>

// Where every control of the control panel sits, in panel pixels. The panel
// artwork is painted to the same numbers, so each control lies on its art.
namespace PanelLayout {

constexpr int Width = 268;
constexpr int Height = 118;

struct ButtonPlace {
    const char *name;
    int tag;
    QRect rect;
};

// The ten skinned buttons; Tag is the command a button stands for.
constexpr std::array<ButtonPlace, 10> Buttons{{
    {"btnPrev", 0, QRect(11, 85, 24, 24)},
    {"btnPlay", 1, QRect(34, 85, 24, 24)},
    {"btnPause", 2, QRect(57, 85, 24, 24)},
    {"btnStop", 3, QRect(80, 85, 24, 24)},
    {"btnNext", 4, QRect(103, 85, 24, 24)},
    {"btnAdd", 5, QRect(135, 85, 24, 24)},
    {"btnTray", 6, QRect(227, 6, 16, 16)},
    {"btnClose", 7, QRect(245, 6, 16, 16)},
    {"btnPlayer", 8, QRect(237, 52, 18, 18)},
    {"btnList", 9, QRect(220, 52, 18, 18)},
}};

enum Tag { TagPrev, TagPlay, TagPause, TagStop, TagNext, TagAdd, TagTray, TagClose, TagPlayer, TagList };

constexpr QRect Volume(120, 52, 60, 16);
constexpr QRect Seek(11, 72, 245, 10);
constexpr QRect Title(116, 33, 135, 14);
constexpr QRect Time(18, 35, 82, 28);

// The bars' thumb: the top rows of the thumb bitmap.
constexpr int ThumbWidth = 8;
constexpr int ThumbBitmapHeight = 48;
constexpr int ThumbRows = 16;

} // namespace PanelLayout
