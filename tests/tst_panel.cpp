#include "app/Startup.h"
#include "list/TfrmList.h"
#include "main/PanelLayout.h"
#include "main/PanelMath.h"
#include "main/TGbtn.h"
#include "main/TProgress.h"
#include "main/TTextLable.h"
#include "main/TfrmMain.h"
#include "platform/WaveVolume.h"
#include "player/TfrmPlayer.h"
#include "skin/Skin.h"
#include "TestFiles.h"

#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Gathers the region each paint event of a widget asks for.
class PaintRegionSpy : public QObject {
public:
    explicit PaintRegionSpy(QWidget *widget) { widget->installEventFilter(this); }
    QRegion painted;
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(event)->region();
            ++count;
        }
        return false;
    }
};

// Paints the window's pending updates, as its next turn of the event loop does.
void paintPending()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

// Text drawn centred at the top of a label-sized image, as the time display draws it.
QImage centredText(const QFont &font, QSize size, const QString &text)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::green);
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignHCenter | Qt::AlignTop, text);
    return image;
}

QImage faceRect(const QPixmap &face, const QRect &rect)
{
    return face.toImage().copy(rect).convertToFormat(QImage::Format_RGB32);
}

QImage grabbed(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void sendMouse(QWidget *widget, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class PanelTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init();
    void cleanup();
    void panelPaintsItsFace();
    void buttonStatesPaintTheirFace();
    void buttonIgnoresRightAndDisabledPresses();
    void barClampsAndRepaintsOnlyOnChange_data();
    void barClampsAndRepaintsOnlyOnChange();
    void barPaintsFilledAndEmptyParts();
    void barThumbIsSqueezedOnAThinBar();
    void barReportsPressesAndDrags();
    void draggingABarKeepsTheWindowInPlace_data();
    void draggingABarKeepsTheWindowInPlace();
    void labelRepaintsOnTextChange();
    void labelRepaintsOnlyThePartGiven();
    void changedTextRectCoversEveryChangedPixel_data();
    void changedTextRectCoversEveryChangedPixel();
    void tickRepaintsOnlyTheChangedDigits();
    void barRepaintsOnlyBetweenTheThumbs();
    void fittingTitleIsNotRepaintedOnTicks();
    void aboutTextNamesEachLibraryOnce();
    void titleScrollArithmetic();
    void titleScrollsWhileAnItemPlays();
    void dockingRule_data();
    void dockingRule();
    void draggingThePanelTakesTheDockedPlaylist();
    void volumeBarFollowsTheOutputVolume();
    void panelButtonsToggleWindows();
    void menuAndHintsComeFromTheLanguageFile();
};

void PanelTest::init()
{
    WaveVolume::process().setVolume(WaveVolume::Full);
    QFile::remove(m_dir.filePath("preferences.ini"));
    TestFiles::write(m_dir.filePath("language/English.ini"),
                     TestFiles::read(TESSARO_SOURCE_DIR "/language/English.ini"));
    InitSkin(m_dir.path());
    CreateWindows();
    frmMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmMain));
}

void PanelTest::cleanup()
{
    DestroyWindows();
}

void PanelTest::panelPaintsItsFace()
{
    const QImage panel = grabbed(frmMain);
    const QImage face = faceRect(frmMain->face().bmpFace, frmMain->rect());
    QCOMPARE(panel.size(), QSize(268, 118));
    // The title band and the grille carry no control: they are the face itself.
    QCOMPARE(panel.copy(0, 0, 220, 28), face.copy(0, 0, 220, 28));
    QCOMPARE(panel.copy(165, 85, 100, 30), face.copy(165, 85, 100, 30));
}

void PanelTest::buttonStatesPaintTheirFace()
{
    TGbtn *play = frmMain->button(PanelLayout::TagPlay);
    const QImage unlit = faceRect(frmMain->face().bmpFace, play->geometry());
    const QImage lit = faceRect(frmMain->face().bmpFaceLit, play->geometry());
    QVERIFY(unlit != lit);
    QCOMPARE(play->State, TGbtn::Idle);
    QCOMPARE(grabbed(play), unlit);

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), play->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(play, &enter);
    QCOMPARE(play->State, TGbtn::Entered);
    QCOMPARE(grabbed(play), lit);

    QTest::mousePress(play, Qt::LeftButton);
    QCOMPARE(play->State, TGbtn::Down);
    QCOMPARE(grabbed(play), unlit);

    QSignalSpy clicks(play, &TGbtn::Click);
    QTest::mouseRelease(play, Qt::LeftButton);
    QCOMPARE(play->State, TGbtn::Released);
    QCOMPARE(grabbed(play), lit);
    QCOMPARE(clicks.count(), 1);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(play, &leave);
    QCOMPARE(play->State, TGbtn::Left);
    QCOMPARE(grabbed(play), unlit);

    // A release dragged off the button lights it but is no click.
    QTest::mousePress(play, Qt::LeftButton);
    sendMouse(play, QEvent::MouseButtonRelease, QPoint(60, 60), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(play->State, TGbtn::Released);
    QCOMPARE(clicks.count(), 1);
}

void PanelTest::buttonIgnoresRightAndDisabledPresses()
{
    TGbtn *stop = frmMain->button(PanelLayout::TagStop);
    QTest::mousePress(stop, Qt::RightButton);
    QCOMPARE(stop->State, TGbtn::Idle);
    QTest::mouseRelease(stop, Qt::RightButton);
    stop->setEnabled(false);
    QTest::mousePress(stop, Qt::LeftButton);
    QCOMPARE(stop->State, TGbtn::Idle);
}

void PanelTest::barClampsAndRepaintsOnlyOnChange_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("position");
    QTest::newRow("below the start") << 60 << 0 << 4;
    QTest::newRow("negative") << 60 << -500 << 4;
    QTest::newRow("beyond the end") << 60 << 1000 << 56;
    QTest::newRow("inside") << 60 << 30 << 30;
    QTest::newRow("last place") << 60 << 56 << 56;
    QTest::newRow("narrow bar: lower bound first") << 6 << 0 << 4;
    QTest::newRow("narrow bar: upper bound") << 6 << 5 << 2;
}

void PanelTest::barClampsAndRepaintsOnlyOnChange()
{
    QFETCH(int, width);
    QFETCH(int, request);
    QFETCH(int, position);
    TProgress bar(frmMain, frmMain->face());
    QCOMPARE(bar.Position, 4); // a new bar
    bar.setGeometry(120, 52, width, 16);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(frmMain));
    paintPending();
    PaintCounter paints(&bar);
    bar.SetPosition(request);
    QCOMPARE(bar.Position, position);
    paintPending();
    const int afterFirst = paints.count;
    QCOMPARE(afterFirst, position == 4 ? 0 : 1);
    bar.SetPosition(request);
    paintPending();
    QCOMPARE(paints.count, afterFirst);
}

void PanelTest::barPaintsFilledAndEmptyParts()
{
    TProgress *seek = frmMain->pbSeek;
    seek->SetPosition(100);
    const QImage bar = grabbed(seek);
    const QImage lit = faceRect(frmMain->face().bmpFaceLit, seek->geometry());
    const QImage unlit = faceRect(frmMain->face().bmpFace, seek->geometry());
    QCOMPARE(bar.copy(0, 0, 96, 10), lit.copy(0, 0, 96, 10));
    QCOMPARE(bar.copy(104, 0, 141, 10), unlit.copy(104, 0, 141, 10));
    QVERIFY(bar.copy(96, 0, 8, 10) != lit.copy(96, 0, 8, 10));

    // At the last place the thumb's right edge is the bar's right edge.
    seek->SetPosition(10000);
    QCOMPARE(seek->Position, 241);
    QCOMPARE(grabbed(seek).copy(0, 0, 237, 10), lit.copy(0, 0, 237, 10));
}

void PanelTest::barThumbIsSqueezedOnAThinBar()
{
    // The same thumb on the 16-pixel volume bar and squeezed on the 10-pixel seek bar.
    frmMain->pbSeek->SetPosition(50);
    const QImage thin = grabbed(frmMain->pbSeek).copy(46, 0, 8, 10);
    const QImage thumb = frmMain->face().bmpThumb.toImage().copy(0, 0, 8, 16);
    const QImage expected = thumb.scaled(8, 10, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int close = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 8; ++x)
            close += qAbs(qGray(thin.pixel(x, y)) - qGray(expected.pixel(x, y))) < 60 ? 1 : 0;
    QVERIFY2(close >= 64, qPrintable(QString::number(close)));
}

void PanelTest::barReportsPressesAndDrags()
{
    TProgress *seek = frmMain->pbSeek;
    QList<int> reports;
    seek->OnTrack = [&reports](int X) { reports << X; };
    QTest::mousePress(seek, Qt::LeftButton, {}, QPoint(30, 5));
    sendMouse(seek, QEvent::MouseMove, QPoint(-20, 5), Qt::NoButton, Qt::LeftButton);
    sendMouse(seek, QEvent::MouseMove, QPoint(400, 5), Qt::NoButton, Qt::LeftButton);
    QTest::mouseRelease(seek, Qt::LeftButton, {}, QPoint(400, 5));
    sendMouse(seek, QEvent::MouseMove, QPoint(50, 5), Qt::NoButton, Qt::NoButton); // no button held
    QTest::mousePress(seek, Qt::RightButton, {}, QPoint(30, 5));
    QTest::mouseRelease(seek, Qt::RightButton, {}, QPoint(30, 5));
    QCOMPARE(reports, (QList<int>{30, -20, 400}));
    QCOMPARE(seek->Position, 4); // the bar itself never moves on input

    seek->setEnabled(false);
    QTest::mousePress(seek, Qt::LeftButton, {}, QPoint(30, 5));
    QCOMPARE(reports.size(), 3);
}

void PanelTest::draggingABarKeepsTheWindowInPlace_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QList<QPoint>>("path"); // press, moves, release: in the bar's pixels
    QTest::addColumn<QList<int>>("reported");
    QTest::newRow("seek bar to the right") << "seek" << QList<QPoint>{{20, 5}, {60, 5}, {120, 5}, {120, 5}}
                                           << QList<int>{20, 60, 120};
    QTest::newRow("seek bar off its left end") << "seek" << QList<QPoint>{{100, 5}, {-30, 20}, {-30, 20}}
                                               << QList<int>{100, -30};
    QTest::newRow("volume bar down and off") << "volume" << QList<QPoint>{{50, 8}, {10, 30}, {-5, 40}, {-5, 40}}
                                             << QList<int>{50, 10, -5};
}

void PanelTest::draggingABarKeepsTheWindowInPlace()
{
    QFETCH(QString, bar);
    QFETCH(QList<QPoint>, path);
    QFETCH(QList<int>, reported);
    TProgress *target = bar == "seek" ? frmMain->pbSeek : frmMain->pbVolume;
    frmList->move(frmMain->x(), frmMain->y() + frmMain->height()); // docked
    frmList->show();
    const QPoint panelBefore = frmMain->pos();
    const QPoint listBefore = frmList->pos();
    QList<int> reports;
    target->OnTrack = [&reports](int X) { reports << X; };
    // Real window events: the press picks the control under the pointer, the
    // moves and the release follow the grab.
    QWindow *window = frmMain->windowHandle();
    const auto at = [target](QPoint p) { return target->mapTo(frmMain, p); };
    QTest::mousePress(window, Qt::LeftButton, {}, at(path.first()));
    for (qsizetype i = 1; i + 1 < path.size(); ++i)
        QTest::mouseMove(window, at(path[i]));
    QTest::mouseRelease(window, Qt::LeftButton, {}, at(path.last()));
    QCOMPARE(reports, reported);
    QCOMPARE(frmMain->pos(), panelBefore);
    QCOMPARE(frmList->pos(), listBefore);
}

void PanelTest::aboutTextNamesEachLibraryOnce()
{
    const QString text = TfrmMain::AboutText();
    QCOMPARE(text.count(QStringLiteral("GStreamer")), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("GStreamer \\d+\\.\\d+\\.\\d+")).match(text).hasMatch(), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("Qt ")), 1);
}

void PanelTest::labelRepaintsOnTextChange()
{
    TTextLable label(frmMain);
    label.setGeometry(0, 0, 30, 10);
    QPalette red = label.palette();
    red.setColor(QPalette::Window, Qt::red);
    label.setPalette(red);
    label.show();
    QImage plain = grabbed(&label);
    QCOMPARE(plain.pixel(0, 0), qRgb(255, 0, 0)); // no OnPaint: background only
    QCOMPARE(plain.pixel(29, 9), qRgb(255, 0, 0));

    paintPending();
    PaintCounter paints(&label);
    label.setText("a");
    paintPending();
    QCOMPARE(paints.count, 1);
    label.setText("a");
    paintPending();
    QCOMPARE(paints.count, 1);
}

void PanelTest::labelRepaintsOnlyThePartGiven()
{
    TTextLable label(frmMain);
    label.setGeometry(0, 0, 30, 10);
    label.show();
    paintPending();
    PaintRegionSpy spy(&label);
    label.setText("b", QRect(20, 0, 5, 10));
    paintPending();
    QCOMPARE(spy.painted, QRegion(20, 0, 5, 10));
}

void PanelTest::changedTextRectCoversEveryChangedPixel_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("digits"); // that change; 0: the text's width changes
    QTest::newRow("a second") << "0:00:00" << "0:00:01" << 1;
    QTest::newRow("ten seconds") << "0:00:09" << "0:00:10" << 2;
    QTest::newRow("a minute") << "0:00:59" << "0:01:00" << 3;
    QTest::newRow("an hour") << "0:59:59" << "1:00:00" << 5;
    QTest::newRow("ten hours: wider") << "9:59:59" << "10:00:00" << 0;
    QTest::newRow("back to zero") << "0:03:27" << "0:00:00" << 3;
}

void PanelTest::changedTextRectCoversEveryChangedPixel()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, digits);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    const QRect label(0, 0, 82, 28);
    const QRect changed = ChangedTextRect(metrics, label, before, after);
    QVERIFY(label.contains(changed));
    if (digits == 0) {
        QCOMPARE(changed, label);
        return;
    }
    // No more than the digits that change (and their colons), with a little slack.
    const int digitWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    const int colons = digits > 2 ? (digits > 4 ? 2 : 1) : 0;
    const int most = digits * digitWidth + colons * metrics.horizontalAdvance(QLatin1Char(':')) + 6;
    QVERIFY2(changed.width() <= most, qPrintable(QString("%1 > %2").arg(changed.width()).arg(most)));
    const QImage first = centredText(font, label.size(), before);
    const QImage second = centredText(font, label.size(), after);
    QVERIFY(first != second);
    for (int y = 0; y < label.height(); ++y)
        for (int x = 0; x < label.width(); ++x)
            if (!changed.contains(x, y))
                QVERIFY2(first.pixel(x, y) == second.pixel(x, y), qPrintable(QString("%1,%2").arg(x).arg(y)));
    QCOMPARE(ChangedTextRect(metrics, label, after, after), QRect());
}

void PanelTest::tickRepaintsOnlyTheChangedDigits()
{
    frmMain->ClockShown(ClockView{std::nullopt, QString("0:00:00")});
    paintPending();
    PaintRegionSpy time(frmMain->lblTime);
    PaintRegionSpy panel(frmMain);
    frmMain->ClockShown(ClockView{std::nullopt, QString("0:00:01")});
    paintPending();
    QCOMPARE(time.count, 1);
    const QRect painted = time.painted.boundingRect();
    // The last digit only: the right part of the display, well short of all of it.
    QVERIFY2(painted.width() < frmMain->lblTime->width() / 3, qPrintable(QString::number(painted.width())));
    QVERIFY(painted.left() > frmMain->lblTime->width() / 2);
    QCOMPARE(panel.count, 0); // the panel beneath is left alone
    QCOMPARE(frmMain->lblTime->text(), QString("0:00:01"));
    // The same time again paints nothing.
    frmMain->ClockShown(ClockView{std::nullopt, QString("0:00:01")});
    paintPending();
    QCOMPARE(time.count, 1);
}

void PanelTest::barRepaintsOnlyBetweenTheThumbs()
{
    TProgress *bar = frmMain->pbSeek;
    bar->SetPosition(50);
    paintPending();
    PaintRegionSpy spy(bar);
    bar->SetPosition(60);
    paintPending();
    QCOMPARE(spy.painted, QRegion(50 - TProgress::ThumbHalf, 0, 10 + 2 * TProgress::ThumbHalf, bar->height()));
    // The part repainted reads as a whole repaint would.
    const QImage part = grabbed(frmMain).copy(bar->geometry());
    bar->repaint();
    QCOMPARE(grabbed(frmMain).copy(bar->geometry()), part);
    QCOMPARE(BarChange(60, 30, 10), QRect(26, 0, 38, 10));
}

void PanelTest::fittingTitleIsNotRepaintedOnTicks()
{
    frmPlayer->Playing.set("/music/short.mp3");
    frmPlayer->Timer->start();
    paintPending();
    PaintRegionSpy title(frmMain->lblTitle);
    for (int tick = 0; tick < 3; ++tick)
        frmMain->ClockShown(ClockView{});
    paintPending();
    QCOMPARE(title.count, 0);
    // A title too long for the display runs on each tick.
    frmPlayer->Playing.set("/home/user/Music/a rather long album name/07 a song.mp3");
    paintPending();
    title.count = 0;
    // The first tick draws it where it already stands; each tick after moves it.
    for (int tick = 0; tick < 3; ++tick) {
        frmMain->ClockShown(ClockView{});
        paintPending();
    }
    frmPlayer->Timer->stop();
    QCOMPARE(title.count, 2);
}

void PanelTest::titleScrollArithmetic()
{
    int scroll = 0;
    QCOMPARE(ScrollTitle(200, 135, false, scroll), 0);
    QCOMPARE(ScrollTitle(100, 135, true, scroll), 0); // fits
    QCOMPARE(scroll, 0);

    QList<int> lefts;
    for (int i = 0; i < 3; ++i)
        lefts << ScrollTitle(200, 135, true, scroll);
    QCOMPARE(lefts, (QList<int>{0, -5, -10}));
    QCOMPARE(scroll, 15);

    scroll = 200; // run out completely: re-enter from the right edge
    QCOMPARE(ScrollTitle(200, 135, true, scroll), 135);
    QCOMPARE(scroll, -135);
    QCOMPARE(ScrollTitle(200, 135, true, scroll), 135);
    QCOMPARE(ScrollTitle(200, 135, true, scroll), 130);
    QCOMPARE(scroll, -125);
    // Not playing: the title stands still and the offset is kept.
    QCOMPARE(ScrollTitle(200, 135, false, scroll), 0);
    QCOMPARE(scroll, -125);
}

void PanelTest::titleScrollsWhileAnItemPlays()
{
    // A song's long path scrolls as a movie's does: the clock being on is what counts.
    frmPlayer->Playing.set("/home/user/Music/a rather long album name/07 a song.mp3");
    const QImage still = grabbed(frmMain->lblTitle);
    QCOMPARE(grabbed(frmMain->lblTitle), still);
    QCOMPARE(frmMain->TitleScroll, 0);

    frmPlayer->Timer->start();
    frmMain->ClockShown(ClockView{});
    frmMain->ClockShown(ClockView{});
    const QImage moved = grabbed(frmMain->lblTitle);
    frmPlayer->Timer->stop();
    QCOMPARE(frmMain->TitleScroll, 10);
    QVERIFY(moved != still);
    // The text is green on the dark display.
    bool green = false;
    for (int x = 0; x < moved.width(); ++x)
        green = green || qGreen(moved.pixel(x, 7)) > 150;
    QVERIFY(green);
}

void PanelTest::dockingRule_data()
{
    QTest::addColumn<QPoint>("list");
    QTest::addColumn<QPoint>("expected");
    // The panel moves from (150, 94), 268 x 118, to (200, 50).
    QTest::newRow("beneath, left edges shared") << QPoint(150, 212) << QPoint(200, 168);
    QTest::newRow("one pixel below stays") << QPoint(150, 213) << QPoint(200, 213);
    QTest::newRow("one pixel right stays") << QPoint(151, 212) << QPoint(151, 168);
    QTest::newRow("against the right edge") << QPoint(418, 94) << QPoint(468, 50);
    QTest::newRow("right edge off by one") << QPoint(419, 94) << QPoint(419, 50);
    QTest::newRow("only the left edge shared") << QPoint(150, 400) << QPoint(200, 400);
    QTest::newRow("apart") << QPoint(600, 600) << QPoint(600, 600);
}

void PanelTest::dockingRule()
{
    QFETCH(QPoint, list);
    QFETCH(QPoint, expected);
    QCOMPARE(DockFollow(list, QRect(150, 94, 268, 118), QPoint(200, 50)), expected);
}

void PanelTest::draggingThePanelTakesTheDockedPlaylist()
{
    frmList->move(150, 94 + 118);
    frmList->show();
    frmPlayer->move(500, 500);
    const QPoint grip(5, 40); // a free spot of the panel
    const QPoint start = frmMain->mapToGlobal(grip);
    QTest::mousePress(frmMain, Qt::LeftButton, {}, grip);
    for (int step = 1; step <= 4; ++step) {
        const QPoint pointer = start + QPoint(10 * step, 5 * step);
        QMouseEvent move(QEvent::MouseMove, QPointF(frmMain->mapFromGlobal(pointer)), QPointF(pointer),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frmMain, &move);
        QTRY_COMPARE(frmMain->pos(), QPoint(150, 94) + QPoint(10 * step, 5 * step));
    }
    QTest::mouseRelease(frmMain, Qt::LeftButton, {}, grip);
    QTRY_COMPARE(frmList->pos(), QPoint(190, 232));
    QCOMPARE(frmPlayer->pos(), QPoint(500, 500)); // never moved along
}

void PanelTest::volumeBarFollowsTheOutputVolume()
{
    QCOMPARE(frmMain->pbVolume->Position, 56); // full volume, clamped

    QTest::mousePress(frmMain->pbVolume, Qt::LeftButton, {}, QPoint(0, 8));
    QCOMPARE(frmMain->pbVolume->Position, 4);
    QCOMPARE(WaveVolume::process().left(), 4369);
    QCOMPARE(WaveVolume::process().right(), 4369);
    sendMouse(frmMain->pbVolume, QEvent::MouseMove, QPoint(500, 8), Qt::NoButton, Qt::LeftButton);
    QTest::mouseRelease(frmMain->pbVolume, Qt::LeftButton, {}, QPoint(500, 8));
    QCOMPARE(WaveVolume::process().volume(), 61166u + 61166u * 65536u);

    DestroyWindows();
    WaveVolume::process().setVolume(0x8000u + 0x4000u * 65536u); // left half, right quarter
    CreateWindows();
    QCOMPARE(frmMain->GetWaveVolume(), (0x8000 + 0x4000) / 2);
    QCOMPARE(frmMain->pbVolume->Position, (0x8000 + 0x4000) / 2 * 60 / 65535);
}

void PanelTest::panelButtonsToggleWindows()
{
    QTest::mouseClick(frmMain->button(PanelLayout::TagList), Qt::LeftButton);
    QVERIFY(frmList->isVisible());
    QTest::mouseClick(frmMain->button(PanelLayout::TagList), Qt::LeftButton);
    QVERIFY(!frmList->isVisible());
    QTest::mouseClick(frmMain->button(PanelLayout::TagPlayer), Qt::LeftButton);
    QVERIFY(frmPlayer->isVisible());
    QTest::mouseClick(frmMain->button(PanelLayout::TagClose), Qt::LeftButton);
    QVERIFY(!frmMain->isVisible());
    IniFileName = m_dir.filePath("preferences.ini");
    QCOMPARE(ReadIniBool("Show", "Player", false), true);
}

void PanelTest::menuAndHintsComeFromTheLanguageFile()
{
    QStringList names;
    for (QAction *item : frmMain->PopupMenu->actions())
        names << item->objectName();
    QCOMPARE(names, (QStringList{"mnuOpen", "N1", "mnuAbout", "mnuExit"}));
    QCOMPARE(frmMain->mnuExit->text(), QString("Exit"));
    QVERIFY(frmMain->N1->isSeparator());
    QCOMPARE(frmMain->button(PanelLayout::TagPlay)->toolTip(), QString("Play"));
    QCOMPARE(frmMain->button(PanelLayout::TagTray)->objectName(), QString("btnTray"));
    QCOMPARE(frmMain->font(), frmList->font());
}

QTEST_MAIN(PanelTest)
#include "tst_panel.moc"
