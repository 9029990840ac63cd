// Renders the reference movies of ../shared/swf-corpus (when present) by its
// protocol and counts how many match what a reference Flash player showed;
// fails when a movie of tests/data/reference-images-matching.txt stops matching.
#include "CorpusGuard.h"
#include "swf/FlashControl.h"

#include <QDir>
#include <QtTest>

namespace {

struct Difference {
    double overThreshold = 1; // share of pixels differing by more than 16 in a channel
    double mean = 255;        // mean absolute channel difference
};

Difference compare(const QImage &actual, const QImage &expected)
{
    Difference d;
    if (actual.size() != expected.size())
        return d;
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    qint64 over = 0;
    qint64 total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
            const int dr = qAbs(qRed(p) - qRed(q)), dg = qAbs(qGreen(p) - qGreen(q)), db = qAbs(qBlue(p) - qBlue(q));
            total += dr + dg + db;
            if (std::max({dr, dg, db}) > 16)
                ++over;
        }
    }
    const double pixels = double(a.width()) * a.height();
    d.overThreshold = over / pixels;
    d.mean = total / (3 * pixels);
    return d;
}

} // namespace

class SwfCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void referenceImages();
};

void SwfCorpusTest::referenceImages()
{
    const QString folder = CorpusGuard::folder(QStringLiteral("reference-images"));
    if (folder.isEmpty())
        QSKIP("no reference corpus beside the project");
    const QStringList movies = QDir(folder).entryList({"*.swf"}, QDir::Files, QDir::Name);
    QSet<QString> matching;
    double meanSum = 0;
    QStringList failures;
    for (const QString &name : movies) {
        const QString reference = QFile::exists(folder + '/' + name + ".org.png") ? name + ".org.png" : name + ".png";
        swf::FlashControl control;
        QImage image;
        try {
            control.setMovie(folder + '/' + name);
            for (int i = 0; i < 10 && control.CurrentFrame() < control.TotalFrames() - 1; ++i)
                control.advanceFrame();
            image = control.renderStage();
        } catch (const swf::MovieError &) {
        }
        const Difference d = compare(image, QImage(folder + '/' + reference));
        meanSum += d.mean;
        if (d.overThreshold <= 0.01)
            matching.insert(name);
        else
            failures << QStringLiteral("%1 (%2% off, mean %3)").arg(name).arg(d.overThreshold * 100, 0, 'f', 1).arg(d.mean, 0, 'f', 1);
    }
    qInfo().noquote() << QStringLiteral("reference movies matching: %1 of %2 (%3%), mean difference %4")
                             .arg(matching.size()).arg(movies.size())
                             .arg(100.0 * matching.size() / movies.size(), 0, 'f', 0)
                             .arg(meanSum / movies.size(), 0, 'f', 2);
    for (const QString &failure : failures)
        qInfo().noquote() << "  differs:" << failure;
    const QString failure = CorpusGuard::verdict(QStringLiteral("reference-images-matching.txt"), movies, matching);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_MAIN(SwfCorpusTest)
#include "tst_swf_corpus.moc"
