// Runs the trace movies of ../shared/swf-corpus/traces (when present) by its
// protocol — load, run ten frames, collect every trace line — and counts how
// many print exactly what a reference Flash player printed.
#include "swf/FlashControl.h"

#include <QDir>
#include <QtTest>

class SwfTracesTest : public QObject {
    Q_OBJECT
private slots:
    void traces();
};

void SwfTracesTest::traces()
{
    QString folder;
    for (const char *candidate : {"/../shared/swf-corpus/traces", "/../../shared/swf-corpus/traces"})
        if (QDir(QStringLiteral(TESSARO_SOURCE_DIR) + candidate).exists())
            folder = QStringLiteral(TESSARO_SOURCE_DIR) + candidate;
    if (folder.isEmpty())
        QSKIP("no trace corpus beside the project");
    const QStringList movies = QDir(folder).entryList({"*.swf"}, QDir::Files, QDir::Name);
    int matched = 0;
    for (const QString &name : movies) {
        QFile expectedFile(folder + '/' + name + ".trace");
        if (!expectedFile.open(QIODevice::ReadOnly))
            continue;
        QStringList lines;
        swf::FlashControl control;
        connect(&control, &swf::FlashControl::Trace, this, [&lines](const QString &line) { lines << line; });
        try {
            control.setMovie(folder + '/' + name);
            for (int frame = 0; frame < 10; ++frame)
                control.advanceFrame();
        } catch (const swf::MovieError &) {
        }
        const QString actual = lines.isEmpty() ? QString() : lines.join('\n') + '\n';
        if (actual == QString::fromUtf8(expectedFile.readAll()))
            ++matched;
    }
    qInfo().noquote() << QStringLiteral("trace movies matching: %1 of %2").arg(matched).arg(movies.size());
}

QTEST_MAIN(SwfTracesTest)
#include "tst_swf_traces.moc"
