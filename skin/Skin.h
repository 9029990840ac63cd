#pragma once

#include "skin/Settings.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

// A rectangle as left, top, right, bottom, with right and bottom exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int width() const { return Right - Left; }
    int height() const { return Bottom - Top; }
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    friend bool operator==(const TRect &a, const TRect &b)
    {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
};

// The nine pieces of a frame, in the order CalcFrameRects gives them.
enum FramePiece {
    TitleMid,
    TitleLeft,
    TitleRight,
    BottomMid,
    BottomLeft,
    BottomRight,
    LeftEdge,
    RightEdge,
    ClientPiece,
    FramePieceCount
};

using TFrameRects = std::array<TRect, FramePieceCount>;

// The skin record: frame geometry, colours and bitmaps of the skin named in the
// preferences. All zero, false or absent until a skin is loaded.
struct TSkin {
    bool SkinLoaded = false;
    bool SkinEx = false;
    std::optional<QImage> IconsBitmap;  // absent: no skin was asked for
    std::optional<QImage> SkinBitmap;
    int TitleHeight = 0;
    int BorderSize = 0;
    int AngleSize = 0;
    int IconRight = 0;
    int IconTop = 0;
    TFrameRects FrameRects{};
    TFrameRects FrameRectsEx{};
    TColor clTransparence = 0;
    TColor clTitleText = 0;
    TColor clTitleLightText = 0;
};

extern TSkin Skin;
extern QString SkinName;

// Largest blank frame bitmap side that [Size] may ask for; larger or negative
// values count as 0.
constexpr int MaxBlankBitmapSide = 8192;

// Nine-slice layout of Outer with the current TitleHeight and BorderSize.
// Horizontal positions are measured from 0; nothing is clamped.
TFrameRects CalcFrameRects(const TRect &Outer);

// Start-up: fixes AppPath (appFolder, given with or without a trailing '/'),
// removes what an interrupted preferences write left behind, chooses LangName,
// reads SkinName from the preferences (a name that is not plain counts as
// absent) and loads that skin.
void InitSkin(const QString &appFolder);

// Loads a skin description file and the bitmaps beside it into Skin.
void LoadSkinFile(const QString &FileName);

// Reads a Windows bitmap file (RLE8 included); a file that cannot be decoded
// gives a null image, as a missing one does.
QImage LoadBitmapFile(const QString &fileName);

// Converts a 0x00BBGGRR colour to an opaque QRgb.
QRgb ColorToRgb(TColor color);
