// Memory after many starts: starts and frees items of a mixed list through
// the media engine as fast presses of next do, and prints the resident size
// after the first item and after every hundred starts.
//   start_memory [STARTS]   (1000 when not given)
#include "platform/HeapMemory.h"
#include "player/TDSMP.h"
#include "MediaFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdio>

namespace {

long residentKilobytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    LimitHeapArenas(); // as the program does
    QApplication application(argc, argv);
    gst_init(nullptr, nullptr);
    const int starts = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    const QStringList files = {dir.filePath("a.wav"), dir.filePath("b.mp3"), dir.filePath("c.avi"),
                               dir.filePath("d.mp4"), dir.filePath("e.mid")};
    if (!MediaFiles::make(MediaFiles::Wav, files[0]) || !MediaFiles::make(MediaFiles::Mp3, files[1]) ||
        !MediaFiles::make(MediaFiles::Avi, files[2]) || !MediaFiles::make(MediaFiles::Mp4, files[3])) {
        std::fprintf(stderr, "start_memory: cannot make the media\n");
        return 1;
    }
    QFile midi(files[4]);
    if (!midi.open(QIODevice::WriteOnly) || midi.write(MediaFiles::midiTune()) < 0)
        return 1;
    midi.close();

    QWidget owner;
    owner.resize(320, 240);
    owner.show();
    long first = 0;
    double slowestFree = 0; // ms
    for (int i = 0; i < starts; ++i) {
        QElapsedTimer freeing;
        freeing.start();
        FreeGraph(DSMP); // as a start frees the item before it
        slowestFree = std::max(slowestFree, freeing.nsecsElapsed() / 1e6);
        StartMediaGraph(files[i % files.size()], &owner, [](bool) {});
        QTest::qWait(20); // a fast press: the item barely starts
        if (i == 0)
            first = residentKilobytes();
        // Measured on the WAV item, so no soundfont is in memory for the item itself.
        if (i > 0 && i % 100 == 0)
            std::printf("%5d starts: %6ld kB resident (first item %ld kB, %+ld kB)\n", i, residentKilobytes(), first,
                        residentKilobytes() - first);
    }
    FreeGraph(DSMP);
    const long last = residentKilobytes();
    std::printf("after the last: %ld kB resident, %+ld kB over the first item; freeing an item took at most %.1f ms\n",
                last, last - first, slowestFree);
    return 0;
}
