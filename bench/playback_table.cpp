// What playing costs the whole program against its floor and its peer, as a
// markdown table. Each row runs Tessaro and the pipelines it is held to in
// turn, round after round, and gives the medians:
//   start, idle and quit        Tessaro with no file, 3 s idle, then SIGTERM
//   60 s MP3, panel shown       against playbin into a synchronised fake sink
//   20 s 720p MJPEG / H.264     the player window shown, against gst-play-1.0
//                               and the decode-and-convert floor
//   MIDI over WAV, RSS after 1,000 presses   from midi_start and start_memory
// The playing rows compare the CPU time each process has used at the same
// moment, just before the media ends. Needs an X display:
//   xvfb-run -a build/bench/playback_table [--tessaro PROGRAM] [ROUNDS]
#include "MediaFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int IdleMs = 3000;
constexpr int QuitWaitMs = 10000;
// The playing rows are read this long before the media's end.
constexpr int SampleBeforeEndMs = 1500;
constexpr int AudioSeconds = 60;
constexpr int VideoSeconds = 20;
constexpr const char *FakeAudio = "fakesink sync=true";
constexpr const char *ConvertedVideo = "videoconvert ! video/x-raw,format=BGRx ! fakesink sync=true";

struct Usage {
    double cpu = -1; // CPU-s at the moment it was read
    double mb = -1;  // resident then
};

double childrenCpu()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Usage readUsage(qint64 pid)
{
    Usage usage;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        // The fields after the command name, which is in brackets and may hold blanks.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 22) {
            const double ticks = double(sysconf(_SC_CLK_TCK));
            usage.cpu = (fields[11].toLongLong() + fields[12].toLongLong()) / ticks;
            usage.mb = fields[21].toLongLong() * double(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
        }
    }
    return usage;
}

// Runs the program, reads its use at sampleMs (or takes its whole run when
// it ends first), then ends it with SIGTERM. wholeCpu, when given, receives
// the CPU of the whole run, quitting included.
Usage run(const QString &program, const QStringList &args, const QProcessEnvironment &environment, int sampleMs,
          double *wholeCpu = nullptr)
{
    const double before = childrenCpu();
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForStarted()) {
        std::fprintf(stderr, "playback_table: cannot start %s\n", qPrintable(program));
        return {};
    }
    QElapsedTimer clock;
    clock.start();
    Usage usage;
    while (!process.waitForFinished(int(std::max<qint64>(1, std::min<qint64>(50, sampleMs - clock.elapsed()))))) {
        if (clock.elapsed() >= sampleMs) {
            usage = readUsage(process.processId());
            process.terminate();
            if (!process.waitForFinished(QuitWaitMs)) {
                process.kill();
                process.waitForFinished();
            }
            break;
        }
    }
    const double whole = childrenCpu() - before;
    if (usage.cpu < 0)
        usage.cpu = whole;
    if (wholeCpu)
        *wholeCpu = whole;
    return usage;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A fresh application folder for each run: the program hard-linked in (so it
// takes the folder for its own), its language files and the given preferences.
class AppFolder {
public:
    AppFolder(const QString &program, const QString &languages)
        : m_program(program)
        , m_languages(languages)
    {
    }

    QString prepare(bool showPlayer)
    {
        QDir(m_dir.filePath("app")).removeRecursively();
        const QString app = m_dir.filePath("app");
        QDir().mkpath(app + "/language");
        QDir().mkpath(m_dir.filePath("runtime"));
        QFile::setPermissions(m_dir.filePath("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner);
        const QString executable = app + "/tessaro";
        if (::link(QFile::encodeName(m_program).constData(), QFile::encodeName(executable).constData()) != 0)
            QFile::copy(m_program, executable);
        for (const QString &name : QDir(m_languages).entryList({"*.ini"}, QDir::Files))
            QFile::copy(m_languages + "/" + name, app + "/language/" + name);
        QFile preferences(app + "/preferences.ini");
        if (preferences.open(QIODevice::WriteOnly))
            preferences.write(QByteArray("[Show]\nList=0\nPlayer=") + (showPlayer ? "1" : "0") + "\n");
        return executable;
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", m_dir.filePath("runtime"));
        environment.insert("QT_QPA_PLATFORM", "xcb");
        return environment;
    }

private:
    QTemporaryDir m_dir;
    QString m_program;
    QString m_languages;
};

using Contender = std::function<Usage()>;

// Runs the contenders in turn for the rounds asked and gives each one's medians.
std::vector<Usage> medians(const std::vector<Contender> &contenders, int rounds)
{
    std::vector<std::vector<double>> cpu(contenders.size()), mb(contenders.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < contenders.size(); ++i) {
            // Each round starts with the next contender, so none always runs first.
            const size_t which = (i + size_t(round)) % contenders.size();
            const Usage usage = contenders[which]();
            cpu[which].push_back(usage.cpu);
            mb[which].push_back(usage.mb);
        }
    }
    std::vector<Usage> result;
    for (size_t i = 0; i < contenders.size(); ++i)
        result.push_back({median(cpu[i]), median(mb[i])});
    return result;
}

QString ratio(double mine, double theirs)
{
    return theirs > 0 ? QString::number(mine / theirs, 'f', 2) : QStringLiteral("-");
}

// The last line of a helper benchmark's output holding the text, or a note that it did not run.
QString helperLine(const QString &program, const QStringList &args, const QByteArray &holding)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted() || !process.waitForFinished(-1))
        return QStringLiteral("(%1 did not run)").arg(QFileInfo(program).fileName());
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (line->contains(holding))
            return QString::fromUtf8(line->trimmed());
    return QStringLiteral("(no figure from %1)").arg(QFileInfo(program).fileName());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    gst_init(nullptr, nullptr);
    QString program = QStringLiteral(TESSARO_EXECUTABLE);
    int rounds = 3;
    QStringList args = application.arguments().mid(1);
    if (args.size() >= 2 && args[0] == "--tessaro") {
        program = args[1];
        args = args.mid(2);
    }
    if (!args.isEmpty())
        rounds = std::max(1, args[0].toInt());
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "playback_table needs an X display: run it under xvfb-run -a\n");
        return 1;
    }

    QTemporaryDir media;
    const QString mp3 = media.filePath("music.mp3"), mjpeg = media.filePath("mjpeg.avi"),
                  h264 = media.filePath("h264.avi");
    const QString picture = QStringLiteral("videotestsrc num-buffers=%1 pattern=ball ! video/x-raw,width=1280,"
                                           "height=720,framerate=25/1 ! ")
                                .arg(VideoSeconds * 25);
    const QString sound = MediaFiles::tone(VideoSeconds) + " ! lamemp3enc ! queue ! mux.";
    std::printf("generating a %d s MP3 and %d s 720p25 MJPEG and H.264 videos...\n", AudioSeconds, VideoSeconds);
    std::fflush(stdout);
    if (!MediaFiles::make(MediaFiles::tone(AudioSeconds) + " ! lamemp3enc target=bitrate bitrate=128 cbr=true"
                                                           " ! xingmux ! id3v2mux ! filesink location=\"%1\"",
                          mp3) ||
        !MediaFiles::make(picture + "jpegenc ! queue ! avimux name=mux ! filesink location=\"%1\" " + sound, mjpeg) ||
        !MediaFiles::make(picture + "x264enc speed-preset=veryfast bitrate=3000 ! h264parse ! queue"
                                    " ! avimux name=mux ! filesink location=\"%1\" " + sound,
                          h264)) {
        std::fprintf(stderr, "playback_table: cannot generate the media\n");
        return 1;
    }

    AppFolder folder(program, QStringLiteral(TESSARO_APP_DIR "/language"));
    const QProcessEnvironment plain = QProcessEnvironment::systemEnvironment();
    const auto tessaro = [&](const QString &file, bool showPlayer, int sampleMs) {
        const QString executable = folder.prepare(showPlayer);
        return run(executable, file.isEmpty() ? QStringList() : QStringList{file}, folder.environment(), sampleMs);
    };
    const auto launch = [&](const QStringList &pipeline, int sampleMs) {
        return run("gst-launch-1.0", QStringList{"-q"} + pipeline, plain, sampleMs);
    };
    const auto uri = [](const QString &file) { return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded); };

    std::printf("\n%d rounds, medians; playing rows read %.1f s before the media's end.\n\n", rounds,
                SampleBeforeEndMs / 1000.0);
    std::printf("| Row | Tessaro | Floor | Tessaro / floor | Peer (gst-play-1.0) | Tessaro / peer |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::fflush(stdout);

    {
        const auto start = medians({[&] {
                                       double cpu = 0;
                                       const QString executable = folder.prepare(false);
                                       Usage usage = run(executable, {}, folder.environment(), IdleMs, &cpu);
                                       usage.cpu = cpu;
                                       return usage;
                                   }},
                                   rounds);
        std::printf("| start + %d s idle + quit | %.2f CPU-s, %.0f MB | | | | |\n", IdleMs / 1000, start[0].cpu,
                    start[0].mb);
        std::fflush(stdout);
    }
    {
        const int sampleMs = AudioSeconds * 1000 - SampleBeforeEndMs;
        const auto audio = medians({[&] { return tessaro(mp3, false, sampleMs); },
                                    [&] {
                                        return launch({"playbin", "uri=" + uri(mp3),
                                                       QString("audio-sink=") + FakeAudio, "video-sink=fakesink"},
                                                      sampleMs);
                                    }},
                                   rounds);
        std::printf("| %d s MP3, panel shown | %.2f CPU-s | %.2f (playbin, fake sink) | %s | | |\n", AudioSeconds,
                    audio[0].cpu, audio[1].cpu, qPrintable(ratio(audio[0].cpu, audio[1].cpu)));
        std::fflush(stdout);
    }
    for (const auto &[name, file] : {std::pair{"MJPEG", mjpeg}, std::pair{"H.264", h264}}) {
        const int sampleMs = VideoSeconds * 1000 - SampleBeforeEndMs;
        const auto video = medians(
            {[&, file = file] { return tessaro(file, true, sampleMs); },
             [&, file = file] {
                 return launch(QString("filesrc location=%1 ! decodebin name=d d. ! queue ! %2 d. ! queue ! %3")
                                   .arg(file, ConvertedVideo, FakeAudio)
                                   .split(' '),
                               sampleMs);
             },
             [&, file = file] {
                 return run("gst-play-1.0",
                            {"--no-interactive", "-q", QString("--audiosink=") + FakeAudio,
                             QString("--videosink=") + ConvertedVideo, file},
                            plain, sampleMs);
             }},
            rounds);
        std::printf("| %d s 720p %s, player shown | %.2f CPU-s | %.2f (decode + convert) | %s | %.2f | %s |\n",
                    VideoSeconds, name, video[0].cpu, video[1].cpu, qPrintable(ratio(video[0].cpu, video[1].cpu)),
                    video[2].cpu, qPrintable(ratio(video[0].cpu, video[2].cpu)));
        std::fflush(stdout);
    }
    const QString here = QCoreApplication::applicationDirPath();
    std::printf("| MIDI item over a WAV item | %s | | | | |\n",
                qPrintable(helperLine(here + "/midi_start", {QString::number(rounds)}, "MIDI over WAV")));
    std::printf("| RSS after 1,000 presses | %s | | | | |\n",
                qPrintable(helperLine(here + "/start_memory", {"1000"}, "after the last")));
    return 0;
}
