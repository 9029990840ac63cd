#include "skin/WindowPlace.h"

#include <QtTest>

#include <limits>

namespace {
const QRect Primary(0, 0, 1024, 768);
const QRect RightOfPrimary(1024, 0, 1280, 1024);
const QRect LeftOfPrimary(-1280, 0, 1280, 1024);
const QSize ListMinimum(100, 80);
const QSize Panel(268, 118);
constexpr int Big = std::numeric_limits<int>::max();
constexpr int Small = std::numeric_limits<int>::min();
} // namespace

class WindowPlaceTest : public QObject {
    Q_OBJECT

private slots:
    void placeOnScreen_data();
    void placeOnScreen();
    void placesAreStable_data();
    void placesAreStable();
};

void WindowPlaceTest::placeOnScreen_data()
{
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("expected");

    const QList<QRect> one{Primary};
    const QList<QRect> two{Primary, RightOfPrimary};
    QTest::newRow("designed place kept") << one << QPoint(150, 240) << QSize(270, 169) << ListMinimum
                                         << QRect(150, 240, 270, 169);
    QTest::newRow("huge list fills the screen") << one << QPoint(149, 240) << QSize(32767, 32767) << ListMinimum
                                                << QRect(0, 0, 1024, 768);
    QTest::newRow("zero size grows to the minimum") << one << QPoint(150, 240) << QSize(0, 0) << ListMinimum
                                                    << QRect(150, 240, 100, 80);
    QTest::newRow("negative size grows to the minimum") << one << QPoint(150, 240) << QSize(-5, -300)
                                                        << ListMinimum << QRect(150, 240, 100, 80);
    QTest::newRow("far left panel") << one << QPoint(-99999999, 94) << Panel << Panel << QRect(0, 94, 268, 118);
    QTest::newRow("far right and below") << one << QPoint(99999999, 99999999) << Panel << Panel
                                         << QRect(1024 - 268, 768 - 118, 268, 118);
    QTest::newRow("integer extremes") << one << QPoint(Small, Big) << QSize(Big, Big) << ListMinimum
                                      << QRect(0, 0, 1024, 768);
    QTest::newRow("other integer extremes") << one << QPoint(Big, Small) << QSize(Small, Small) << ListMinimum
                                            << QRect(1024 - 100, 0, 100, 80);
    QTest::newRow("partly off but grabbable kept") << one << QPoint(-200, 700) << Panel << Panel
                                                   << QRect(-200, 700, 268, 118);
    QTest::newRow("a sliver comes wholly in") << one << QPoint(-250, 100) << Panel << Panel
                                              << QRect(0, 100, 268, 118);
    QTest::newRow("top edge above the screen") << one << QPoint(100, -20) << Panel << Panel
                                               << QRect(100, 0, 268, 118);
    QTest::newRow("top edge too low to grab") << one << QPoint(100, 740) << Panel << Panel
                                              << QRect(100, 768 - 118, 268, 118);
    QTest::newRow("kept on the second screen") << two << QPoint(1500, 300) << QSize(270, 169) << ListMinimum
                                               << QRect(1500, 300, 270, 169);
    QTest::newRow("across two screens kept") << two << QPoint(1000, 100) << QSize(270, 169) << ListMinimum
                                             << QRect(1000, 100, 270, 169);
    QTest::newRow("beyond the second screen") << two << QPoint(5000, 100) << QSize(270, 169) << ListMinimum
                                              << QRect(1024 + 1280 - 270, 100, 270, 169);
    QTest::newRow("fits the larger second screen") << two << QPoint(1100, 0) << QSize(1200, 1000) << ListMinimum
                                               << QRect(1100, 0, 1200, 1000);
    QTest::newRow("too big for the primary") << two << QPoint(0, 0) << QSize(1000, 1000) << ListMinimum
                                             << QRect(0, 0, 1000, 768);
    QTest::newRow("screen left of the primary") << QList<QRect>{Primary, LeftOfPrimary} << QPoint(-1000, 500)
                                                << QSize(270, 169) << ListMinimum << QRect(-1000, 500, 270, 169);
    QTest::newRow("off both, equally near: the primary")
        << QList<QRect>{Primary, QRect(1024, 0, 1024, 768)} << QPoint(889, 5000) << QSize(270, 169) << ListMinimum
        << QRect(1024 - 270, 768 - 169, 270, 169);
    QTest::newRow("minimum beats a tiny screen") << QList<QRect>{QRect(0, 0, 80, 60)} << QPoint(30, 30)
                                                 << QSize(50, 50) << ListMinimum << QRect(0, 0, 100, 80);
    QTest::newRow("area below a top bar") << QList<QRect>{QRect(0, 24, 1024, 744)} << QPoint(150, 0) << Panel
                                          << Panel << QRect(150, 24, 268, 118);
    QTest::newRow("no screen at all") << QList<QRect>{} << QPoint(150, 240) << QSize(270, 169) << ListMinimum
                                      << QRect(0, 0, 100, 80);
}

void WindowPlaceTest::placeOnScreen()
{
    QFETCH(QList<QRect>, screens);
    QFETCH(QPoint, topLeft);
    QFETCH(QSize, size);
    QFETCH(QSize, minimum);
    QFETCH(QRect, expected);
    QCOMPARE(PlaceOnScreen(topLeft, size, minimum, screens), expected);
}

// A place once bounded is kept as it is: written back at exit and read at
// the next start, it never wanders.
void WindowPlaceTest::placesAreStable_data()
{
    placeOnScreen_data();
}

void WindowPlaceTest::placesAreStable()
{
    QFETCH(QList<QRect>, screens);
    QFETCH(QPoint, topLeft);
    QFETCH(QSize, size);
    QFETCH(QSize, minimum);
    const QRect once = PlaceOnScreen(topLeft, size, minimum, screens);
    QCOMPARE(PlaceOnScreen(once.topLeft(), once.size(), minimum, screens), once);
}

QTEST_GUILESS_MAIN(WindowPlaceTest)
#include "tst_windowplace.moc"
