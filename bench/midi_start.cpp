// What starting a MIDI item costs over a WAV item: starts each through the
// media engine in turn (the graph built and prerolled, then freed), and
// prints the median CPU seconds and resident-size growth of each start and
// the MIDI item's excess.
//   midi_start [ROUNDS]   (7 when not given)
#include "platform/HeapMemory.h"
#include "player/TDSMP.h"
#include "MediaStart.h"
#include "MediaFiles.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Start {
    double cpu = 0;
    double megabytes = 0;
};

// One start of FILE: built and prerolled, measured while it is ready, then freed.
// longestGapMs, when given, receives how long the events were held at most;
// the probe that tells wakes often, so starts whose CPU counts go without it.
Start start(const QString &file, QWidget &owner, double *longestGapMs = nullptr)
{
    const double cpu = cpuSeconds();
    const long resident = residentKilobytes();
    if (!StartAndWait(file, &owner, longestGapMs))
        std::fprintf(stderr, "midi_start: cannot start %s\n", qPrintable(file));
    Start measured{cpuSeconds() - cpu, (residentKilobytes() - resident) / 1024.0};
    FreeGraph(DSMP);
    return measured;
}

} // namespace

int main(int argc, char **argv)
{
    LimitHeapArenas(); // as the program does
    QApplication application(argc, argv);
    gst_init(nullptr, nullptr);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    QTemporaryDir dir;
    const QString wav = dir.filePath("a.wav"), midi = dir.filePath("b.mid");
    QFile midiFile(midi);
    if (!MediaFiles::make(MediaFiles::Wav, wav) || !midiFile.open(QIODevice::WriteOnly) ||
        midiFile.write(MediaFiles::midiTune()) < 0) {
        std::fprintf(stderr, "midi_start: cannot make the media\n");
        return 1;
    }
    midiFile.close();
    QWidget owner;
    owner.resize(320, 240);
    owner.show();
    start(wav, owner); // plug-ins loaded before anything is measured
    std::vector<double> wavCpu, midiCpu, wavMb, midiMb;
    double longestGap = 0;
    for (int i = 0; i < rounds; ++i) {
        const Start w = start(wav, owner);
        const Start m = start(midi, owner);
        wavCpu.push_back(w.cpu);
        wavMb.push_back(w.megabytes);
        midiCpu.push_back(m.cpu);
        midiMb.push_back(m.megabytes);
    }
    for (int i = 0; i < rounds; ++i)
        for (const QString &file : {wav, midi}) {
            double gap = 0;
            start(file, owner, &gap);
            longestGap = std::max(longestGap, gap);
        }
    std::printf("start of a WAV item:  %.3f CPU-s, %+.1f MB resident\n", median(wavCpu), median(wavMb));
    std::printf("start of a MIDI item: %.3f CPU-s, %+.1f MB resident\n", median(midiCpu), median(midiMb));
    std::printf("MIDI over WAV:        %+.3f CPU-s, %+.1f MB (medians of %d, alternating); events held at most %.1f ms"
                " during a start\n",
                median(midiCpu) - median(wavCpu), median(midiMb) - median(wavMb), rounds, longestGap);
    return 0;
}
