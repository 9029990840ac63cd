#include "Skin.h"

#include "platform/AtomicReplace.h"
#include "platform/BoundedFile.h"

#include <QFileInfo>
#include <QImageReader>

TSkin Skin;
QString SkinName;

namespace {
// Largest bitmap file that is decoded, in pixels; a header asking for more is
// treated as an undecodable file.
constexpr qint64 MaxBitmapPixels = 64ll * 1024 * 1024;

int blankSide(int value)
{
    return value < 0 || value > MaxBlankBitmapSide ? 0 : value;
}

QImage withTransparentColor(const QImage &source, TColor transparent)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ColorToRgb(transparent) & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & RGB_MASK) == key)
                row[x] = 0;
        }
    }
    return image;
}
} // namespace

QRgb ColorToRgb(TColor color)
{
    const auto bits = static_cast<std::uint32_t>(color);
    return qRgb(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
}

TFrameRects CalcFrameRects(const TRect &Outer)
{
    const int T = Outer.Top;
    const int R = Outer.Right;
    const int B = Outer.Bottom;
    const int TH = Skin.TitleHeight;
    const int BS = Skin.BorderSize;
    TFrameRects rects;
    rects[TitleMid] = {TH, T, R - TH, T + TH};
    rects[TitleLeft] = {0, T, TH, T + TH};
    rects[TitleRight] = {R - TH, T, R, T + TH};
    rects[BottomMid] = {BS, B - BS, R - BS, B};
    rects[BottomLeft] = {0, B - BS, BS, B};
    rects[BottomRight] = {R - BS, B - BS, R, B};
    rects[LeftEdge] = {0, T + TH, BS, B - BS};
    rects[RightEdge] = {R - BS, T + TH, R, B - BS};
    rects[ClientPiece] = {BS, T + TH, R - BS, B - BS};
    return rects;
}

QImage LoadBitmapFile(const QString &fileName)
{
    // Only a regular file: a FIFO or a device would stall the reader.
    if (!IsRegularFile(fileName))
        return QImage();
    QImageReader reader(fileName, "bmp");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > MaxBitmapPixels)
        return QImage();
    return reader.read();
}

void InitSkin(const QString &appFolder)
{
    AppPath = appFolder.endsWith(u'/') ? appFolder : appFolder + u'/';
    // A shutdown killed while it wrote the preferences may have left its
    // temporary file; the preferences themselves are whole either way.
    AtomicReplace::RemoveStaleTemporaries(PreferencesFileName());
    LangName = SelectLanguage();
    SkinName = ReadIniString(QStringLiteral("General"), QStringLiteral("Skin"), QString());
    if (!IsPlainName(SkinName))
        SkinName.clear();
    if (SkinName.isEmpty())
        return;
    Skin.SkinBitmap = QImage();
    Skin.IconsBitmap = QImage();
    LoadSkinFile(AppPath + QStringLiteral("skin/") + SkinName + u'/' + SkinName + QStringLiteral(".ini"));
}

void LoadSkinFile(const QString &FileName)
{
    if (!QFileInfo(FileName).isFile())
        return;
    const IniFileScope skinFile(FileName);

    const QString parameter = QStringLiteral("Parameter");
    const QString color = QStringLiteral("Color");
    Skin.SkinEx = ReadIniBool(parameter, QStringLiteral("SkinEx"), false);
    Skin.AngleSize = ReadIniInteger(parameter, QStringLiteral("AngleSize"), 0);
    Skin.IconRight = ReadIniInteger(parameter, QStringLiteral("IconRight"), 5);
    Skin.IconTop = ReadIniInteger(parameter, QStringLiteral("IconTop"), 3);
    Skin.TitleHeight = ReadIniInteger(parameter, QStringLiteral("TitleHeight"), 26);
    Skin.BorderSize = ReadIniInteger(parameter, QStringLiteral("BorderSize"), 3);
    Skin.clTitleLightText = ReadIniColor(color, QStringLiteral("clTitleLightText"), 0);
    Skin.clTitleText = ReadIniColor(color, QStringLiteral("clTitleText"), 0);
    Skin.clTransparence = ReadIniColor(color, QStringLiteral("clTransparence"), 0xFF00FF);

    const QString folder = QFileInfo(FileName).path() + u'/';
    const QString baseName = QFileInfo(FileName).completeBaseName();

    const QImage icons = LoadBitmapFile(folder + QStringLiteral("icons.bmp"));
    Skin.IconsBitmap = icons.isNull() ? QImage() : withTransparentColor(icons, Skin.clTransparence);

    // The frame pieces are cut from the bitmap's size; a blank bitmap with one
    // side 0 has no pixels but still lends its other side to the pieces.
    QImage frame = LoadBitmapFile(folder + baseName + QStringLiteral(".bmp"));
    int W = frame.width();
    int H = frame.height();
    if (frame.isNull()) {
        W = blankSide(ReadIniInteger(QStringLiteral("Size"), QStringLiteral("Width"), 0));
        H = blankSide(ReadIniInteger(QStringLiteral("Size"), QStringLiteral("Height"), 0));
        if (W > 0 && H > 0) {
            frame = QImage(W, H, QImage::Format_RGB32);
            frame.fill(Qt::black);
        }
    }
    Skin.SkinBitmap = frame;

    if (Skin.SkinEx) {
        const int M = H / 2;
        Skin.FrameRects = CalcFrameRects({0, 0, W, M});
        Skin.FrameRectsEx = CalcFrameRects({0, M, W, H});
    } else {
        Skin.FrameRects = CalcFrameRects({0, 0, W, H});
    }
    Skin.SkinLoaded = true;
}
