#pragma once

// Writes video for test movies: pictures of one colour encoded by GStreamer
// into FLV files, and the movie tags that embed them (DefineVideoStream and
// one VideoFrame a picture).
#include "MediaFiles.h"
#include "SwfWriter.h"

#include <QColor>
#include <QFile>
#include <QSize>

#include <vector>

namespace VideoWriter {

// The codec numbers of the tags, and the encoders that make them.
// Any stream code may be written (tests write unknown ones too), hence the fixed type.
enum Codec : int { H263 = 2, ScreenVideo = 3, ScreenVideo2 = 6 };
inline QString encoderOf(Codec codec)
{
    switch (codec) {
    case H263: return QStringLiteral("avenc_flv");
    case ScreenVideo: return QStringLiteral("avenc_flashsv");
    case ScreenVideo2: return QStringLiteral("avenc_flashsv2");
    }
    return QString();
}

// COUNT pictures of COLOR at SIZE, twelve a second, as an FLV file at PATH; its bytes, or none.
// With a PATTERN of videotestsrc's (checkers-8), that instead of the colour.
inline QByteArray encodeFlv(Codec codec, const QColor &color, QSize size, int count, const QString &path,
                            const QString &pattern = QStringLiteral("solid-color"))
{
    const QString description =
        QStringLiteral("videotestsrc pattern=%1 foreground-color=0x%2 num-buffers=%3"
                       " ! video/x-raw,width=%4,height=%5,framerate=12/1 ! videoconvert ! %6 ! flvmux"
                       " ! filesink location=\"%7\"")
            .arg(pattern, QString::number(color.rgba(), 16)).arg(count).arg(size.width()).arg(size.height())
            .arg(encoderOf(codec), QStringLiteral("%1"));
    if (!MediaFiles::make(description, path))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// COUNT pictures of COLOR at SIZE as the encoder gives them, one file each in
// FOLDER: for codecs FLV muxing does not take (Screen Video 2).
inline std::vector<QByteArray> encodePictures(Codec codec, const QColor &color, QSize size, int count,
                                              const QString &folder)
{
    const QString description =
        QStringLiteral("videotestsrc pattern=solid-color foreground-color=0x%1 num-buffers=%2"
                       " ! video/x-raw,width=%3,height=%4,framerate=12/1 ! videoconvert ! %5"
                       " ! multifilesink location=\"%6\"")
            .arg(QString::number(color.rgba(), 16)).arg(count).arg(size.width()).arg(size.height())
            .arg(encoderOf(codec), QStringLiteral("%1"));
    // The file name is a pattern, which no file has: the pictures tell whether it ran.
    MediaFiles::make(description, folder + QStringLiteral("/picture-%d.bin"));
    std::vector<QByteArray> pictures;
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/picture-%1.bin").arg(i));
        if (file.open(QIODevice::ReadOnly))
            pictures.push_back(file.readAll());
    }
    return pictures;
}

// The pictures of an FLV file's video tags, without the byte of frame type and codec before each.
inline std::vector<QByteArray> flvPictures(const QByteArray &flv)
{
    std::vector<QByteArray> pictures;
    const auto byte = [&flv](qsizetype i) { return i < flv.size() ? int(uchar(flv[i])) : 0; };
    const auto be = [&byte](qsizetype i, int n) {
        int v = 0;
        for (int k = 0; k < n; ++k)
            v = v << 8 | byte(i + k);
        return v;
    };
    constexpr int VideoTag = 9, TagHeader = 11, TrailingSize = 4;
    for (qsizetype at = be(5, 4) + TrailingSize; at + TagHeader <= flv.size();) {
        const int length = be(at + 1, 3);
        if (byte(at) == VideoTag && length > 1)
            pictures.push_back(flv.mid(at + TagHeader + 1, length - 1));
        at += TagHeader + length + TrailingSize;
    }
    return pictures;
}

// DefineVideoStream: id, frame count, size in pixels, the flag byte (smoothing 1, deblocking << 1), codec.
inline QByteArray defineStream(int id, int frames, QSize size, int codec, int flags = 0)
{
    SwfWriter::Bits b;
    b.u16(id);
    b.u16(frames);
    b.u16(size.width());
    b.u16(size.height());
    b.u8(flags);
    b.u8(codec);
    return SwfWriter::tag(60, b.bytes);
}

inline QByteArray videoFrame(int id, int number, const QByteArray &picture)
{
    SwfWriter::Bits b;
    b.u16(id);
    b.u16(number);
    b.raw(picture);
    return SwfWriter::tag(61, b.bytes);
}

// PlaceObject2 moving the video at DEPTH to the picture RATIO.
inline QByteArray showPicture(int depth, int ratio)
{
    SwfWriter::Bits b;
    constexpr int Move = 0x01, HasRatio = 0x10;
    b.u8(Move | HasRatio);
    b.u16(depth);
    b.u16(ratio);
    return SwfWriter::tag(26, b.bytes);
}

} // namespace VideoWriter
