// Runs the trace movies of ../shared/swf-corpus/traces (when present) by the
// corpus protocol: load the movie and run its first frame, then ten more frame
// periods without stopping at the last frame, collecting every trace line; a
// movie that asks to quit (fscommand "quit") ends after that frame.
// Counts how many print exactly what a reference Flash player printed, and
// fails when a movie of tests/data/trace-movies-matching.txt stops matching.
#include "CorpusGuard.h"
#include "swf/FlashControl.h"
#include "swf/TraceBytes.h"

#include <QtTest>

namespace {
constexpr int FramePeriodsAfterFirst = 10;
}

class SwfTracesTest : public QObject {
    Q_OBJECT
private slots:
    void traces();
};

void SwfTracesTest::traces()
{
    const QString folder = CorpusGuard::folder(QStringLiteral("traces"));
    if (folder.isEmpty())
        QSKIP("no trace corpus beside the project");
    const QStringList movies = QDir(folder).entryList({"*.swf"}, QDir::Files, QDir::Name);
    QSet<QString> matching;
    for (const QString &name : movies) {
        QFile expectedFile(folder + '/' + name + ".trace");
        if (!expectedFile.open(QIODevice::ReadOnly))
            continue;
        QStringList lines;
        swf::FlashControl control;
        bool quit = false;
        connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
        connect(&control, &swf::FlashControl::FSCommand, this, [&quit](const QString &command, const QString &) {
            quit = quit || command.compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0;
        });
        try {
            control.setMovie(folder + '/' + name);
            for (int frame = 0; frame < FramePeriodsAfterFirst && !quit; ++frame)
                control.advanceFrame();
        } catch (const swf::MovieError &) {
        }
        QByteArray actual;
        for (const QString &line : lines)
            actual += swf::TraceBytes(line) + '\n';
        if (actual == expectedFile.readAll())
            matching.insert(name);
    }
    qInfo().noquote() << QStringLiteral("trace movies matching: %1 of %2").arg(matching.size()).arg(movies.size());
    const QString failure = CorpusGuard::verdict(QStringLiteral("trace-movies-matching.txt"), movies, matching);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_MAIN(SwfTracesTest)
#include "tst_swf_traces.moc"
