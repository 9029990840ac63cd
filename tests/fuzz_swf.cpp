// libFuzzer target for the movie engine: reads the input as a movie, draws
// it, runs a few frames with pointer input while mixing their sound, and
// draws again. The input plays as a movie in a folder holding a movie and a
// variables file beside it, so that its loads find something to read.
#include "SwfWriter.h"
#include "TestFiles.h"
#include "VideoWriter.h"
#include "swf/MoviePlayer.h"
#include "swf/Renderer.h"
#include "swf/SoundMixer.h"
#include "swf/VideoDecoder.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace {

// Frames run per input: enough for loads, which complete two frames later, to land.
constexpr int FramesRun = 4;

// Where each input plays from; what it may load lies beside it.
QString &moviePath()
{
    static QString path;
    return path;
}

void makeLoadableFiles()
{
    static QTemporaryDir folder;
    using namespace SwfWriter;
    TestFiles::write(folder.filePath(QStringLiteral("characters/cat.swf")),
                     movie(disc(1, QPoint(400, 400), 300, Qt::yellow, Qt::red) + place(Place(1, 1)) + showFrame()));
    TestFiles::write(folder.filePath(QStringLiteral("vars.txt")), "a=1&b=two&onLoad=x");
    TestFiles::write(folder.filePath(QStringLiteral("data.xml")), "<a b=\"1\"><c>text</c></a>");
    moviePath() = folder.filePath(QStringLiteral("input.swf"));
}

void drawOnce(const swf::MoviePlayer &player, QImage &canvas)
{
    // Drawn as the player's _quality says, as the control draws it.
    swf::Renderer renderer(*player.movie());
    renderer.setQuality(player.quality());
    QTransform stage;
    stage.scale(0.05, 0.05);
    renderer.render(canvas, player.root(), stage);
}
} // namespace

// GStreamer keeps what it sets up for the first picture each decoder turns
// out, for the whole process: set that up now, not inside a fuzzed input.
static void warmVideoDecoders()
{
    gst_init(nullptr, nullptr);
    QTemporaryDir folder;
    using VideoWriter::Codec;
    for (const Codec codec : {Codec::H263, Codec::ScreenVideo, Codec::ScreenVideo2}) {
        std::vector<swf::VideoPacket> packets;
        for (const QByteArray &picture : VideoWriter::encodePictures(codec, Qt::red, QSize(16, 16), 1, folder.path()))
            packets.push_back({picture, true});
        swf::VideoDecoder(int(codec)).picture(packets, 0);
    }
    const std::vector<swf::VideoPacket> garbage{{QByteArray(64, '\x01'), true}};
    for (const swf::VideoCodec codec : {swf::VideoCodec::Vp6, swf::VideoCodec::Vp6Alpha})
        swf::VideoDecoder(int(codec)).picture(garbage, 0);
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    // Warm the font caches so they are not taken for per-input leaks.
    QImage warm(8, 8, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&warm);
    painter.drawText(0, 8, QStringLiteral("warm"));
    warmVideoDecoders();
    makeLoadableFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    swf::SoundMixer mixer; // outlives the player that feeds it
    swf::MoviePlayer player;
    player.setSoundMixer(&mixer);
    player.setMovieFile(moviePath());
    std::vector<int16_t> sound(2 * 4096);
    QString error;
    if (!player.load(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)), &error))
        return 0;
    QImage canvas(64, 48, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    drawOnce(player, canvas);
    for (int frame = 0; frame < FramesRun; ++frame) {
        player.pointerMove(QPointF(100 * frame, 100 * frame));
        player.pointerPress(QPointF(100 * frame, 100 * frame));
        player.pointerRelease(QPointF(100 * frame, 100 * frame));
        player.advance();
        mixer.mix(sound.data(), 4096);
    }
    player.gotoFrame(0);
    drawOnce(player, canvas);
    player.setQuality(swf::Renderer::Quality::Low);
    drawOnce(player, canvas);
    return 0;
}
