// Runs the ActionScript 3 conformance movies of ../shared/avm2-corpus (when
// present) by their protocol: load the movie, run it for the ticks its
// test.toml asks (one when it does not say), and collect every trace line.
// Counts how many print exactly what a Flash player printed, and fails when
// a movie of tests/data/avm2-movies-matching.txt stops matching.
#include "CorpusGuard.h"
#include "swf/FlashControl.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The ticks a movie's test.toml asks for: num_ticks or num_frames.
int ticksOf(const QString &toml)
{
    QFile file(toml);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 1;
    static const QRegularExpression line(QStringLiteral("^\\s*num_(?:ticks|frames)\\s*=\\s*(\\d+)"),
                                         QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(file.readAll()));
    return match.hasMatch() ? std::max(1, match.captured(1).toInt()) : 1;
}

QByteArray expectedOutput(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = file.readAll();
    bytes.replace("\r\n", "\n");
    bytes.replace(QByteArray(1, '\0'), QByteArray());
    return bytes;
}

} // namespace

class Avm2CorpusTest : public QObject {
    Q_OBJECT
private slots:
    void conformance();
};

void Avm2CorpusTest::conformance()
{
    const QString root = CorpusGuard::sharedFolder(QStringLiteral("avm2-corpus"));
    if (root.isEmpty())
        QSKIP("no ActionScript 3 corpus beside the project");
    QStringList movies;
    for (QDirIterator it(root, {QStringLiteral("test.swf")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        movies << QDir(root).relativeFilePath(QFileInfo(it.next()).path());
    movies.sort();
    QSet<QString> matching;
    for (const QString &name : movies) {
        const QString folder = root + '/' + name;
        QByteArray actual;
        swf::FlashControl control;
        connect(&control, &swf::FlashControl::Trace, this,
                [&actual](const QString &line) { actual += line.toUtf8() + '\n'; });
        try {
            control.setMovie(folder + QStringLiteral("/test.swf"));
            for (int tick = ticksOf(folder + QStringLiteral("/test.toml")); tick > 0; --tick)
                control.advanceFrame();
        } catch (const swf::MovieError &) {
        }
        if (actual == expectedOutput(folder + QStringLiteral("/output.txt")))
            matching.insert(name);
    }
    qInfo().noquote() << QStringLiteral("ActionScript 3 movies matching: %1 of %2").arg(matching.size()).arg(movies.size());
    const QString failure = CorpusGuard::verdict(QStringLiteral("avm2-movies-matching.txt"), movies, matching);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_MAIN(Avm2CorpusTest)
#include "tst_avm2_corpus.moc"
