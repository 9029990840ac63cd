// How the movie engine draws: filters, blend modes, fill rules, masks, the
// drawing API and text fields, on movies the tests make. Every expected
// colour is worked out by hand from the movie's numbers (see the comments),
// never taken from the engine.
#include "swf/FlashControl.h"
#include "swf/MoviePlayer.h"
#include "swf/Renderer.h"
#include "SwfWriter.h"

#include <QtTest>

using namespace SwfWriter;

namespace {

const QColor Red(255, 0, 0), Green(0, 255, 0), Blue(0, 0, 255), White(255, 255, 255), Black(0, 0, 0);

struct Probe {
    QPoint at;
    QColor expected;
};
using Probes = std::vector<Probe>;

// The red square every filter case works on: stage pixels 50..89 on both axes.
const QRect Square(1000, 1000, 800, 800);

QString describe(QRgb p)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(p)).arg(qGreen(p)).arg(qBlue(p));
}

QImage stageOf(const QByteArray &tags)
{
    swf::MoviePlayer player;
    QString error;
    if (!player.load(movie(tags, 8), &error))
        return QImage();
    QImage image(QSize(200, 150), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    swf::Renderer renderer(*player.movie());
    renderer.render(image, player.root(), QTransform::fromScale(0.05, 0.05));
    return image;
}

// Compares each probe within tolerance a channel; the message names the first miss.
QString check(const QImage &image, const Probes &probes, int tolerance = 3)
{
    if (image.isNull())
        return QStringLiteral("no image");
    for (const Probe &p : probes) {
        const QRgb got = image.pixel(p.at);
        if (qAbs(qRed(got) - p.expected.red()) > tolerance || qAbs(qGreen(got) - p.expected.green()) > tolerance ||
            qAbs(qBlue(got) - p.expected.blue()) > tolerance)
            return QStringLiteral("at (%1, %2): got %3, expected %4")
                .arg(p.at.x()).arg(p.at.y()).arg(describe(got)).arg(describe(p.expected.rgb()));
    }
    return {};
}

// The stage a FlashControl shows after the first frame, as the player draws it.
QImage shownStage(const QByteArray &tags, QTemporaryDir &dir)
{
    static int count = 0;
    const QString path = dir.filePath(QStringLiteral("movie%1.swf").arg(++count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(movie(tags, 8)) < 0)
        return QImage();
    file.close();
    swf::FlashControl control;
    control.setMovie(path);
    return control.renderStage().convertToFormat(QImage::Format_RGB32);
}

// Script building blocks: numbers, strings, arrays and objects pushed, and a
// method called on a clip with its result dropped.
QByteArray num(int v) { return as::pushNumber(v); }
QByteArray str(const QByteArray &s) { return as::pushString(s); }
QByteArray array(const std::vector<QByteArray> &elements)
{
    QByteArray code;
    for (auto it = elements.rbegin(); it != elements.rend(); ++it)
        code += *it;
    return code + num(int(elements.size())) + as::op(0x42);
}
QByteArray object(const std::vector<std::pair<QByteArray, QByteArray>> &members)
{
    QByteArray code;
    for (const auto &[name, value] : members)
        code += str(name) + value;
    return code + num(int(members.size())) + as::op(0x43);
}
QByteArray call(const QByteArray &clip, const QByteArray &method, const std::vector<QByteArray> &args = {})
{
    QByteArray code;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        code += *it;
    return code + num(int(args.size())) + as::getVariable(clip) + str(method) + as::op(0x52) + as::op(0x17);
}
// A closed polygon of straight lines, in stage pixels.
QByteArray polygon(const QByteArray &clip, const std::vector<QPoint> &points)
{
    QByteArray code = call(clip, "moveTo", {num(points[0].x()), num(points[0].y())});
    for (size_t i = 1; i < points.size(); ++i)
        code += call(clip, "lineTo", {num(points[i].x()), num(points[i].y())});
    return code;
}

// Pixels neither of the two colours given: anti-aliased edge pixels.
int mixedPixels(const QImage &image, const QColor &a, const QColor &b)
{
    int mixed = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != a.rgb() && image.pixel(x, y) != b.rgb())
                ++mixed;
    return mixed;
}

filter::Options shadowAt(double distance)
{
    filter::Options o;
    o.distance = distance;
    return o;
}

} // namespace

class SwfRenderTest : public QObject {
    Q_OBJECT
private slots:
    void filters_data();
    void filters();
    void filteredLayersAreCached();
    void blendModes_data();
    void blendModes();
    void layerGroupsTakeAlphaAndErase_data();
    void layerGroupsTakeAlphaAndErase();
    void fillRules_data();
    void fillRules();
    void nestedMasksShowWhereBothDo();
    void drawingApi_data();
    void drawingApi();
    void lowQualityDrawsWithoutAntialiasing();

private:
    QTemporaryDir m_dir;
};

void SwfRenderTest::filters_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<Probes>("probes");
    // Box blur of width 2r+1 (r = floor(blur / 2)) over the square's edge at
    // x = 50: k pixels of the window inside give alpha round(255 k / 11) for
    // blur 10, and white under alpha a keeps 255 - a.
    filter::Options blurred;
    blurred.blurX = blurred.blurY = 10;

    QTest::newRow("drop shadow") << filter::list({filter::dropShadow(Black, shadowAt(10))})
                                 << Probes{{{55, 70}, Red}, {{95, 70}, Black}, {{45, 70}, White}, {{70, 95}, White}};
    filter::Options knockout = shadowAt(10);
    knockout.knockout = true;
    QTest::newRow("drop shadow knockout") << filter::list({filter::dropShadow(Black, knockout)})
                                          << Probes{{{55, 70}, White}, {{85, 70}, White}, {{95, 70}, Black}};
    filter::Options hide = shadowAt(10);
    hide.hideObject = true;
    QTest::newRow("drop shadow hiding the object")
        << filter::list({filter::dropShadow(Black, hide)})
        << Probes{{{55, 70}, White}, {{65, 70}, Black}, {{95, 70}, Black}};
    filter::Options inner = shadowAt(10);
    inner.inner = true;
    // The object's inverse moved 10 right: its left 10 columns are in shadow.
    QTest::newRow("inner shadow") << filter::list({filter::dropShadow(Black, inner)})
                                  << Probes{{{52, 70}, Black}, {{65, 70}, Red}, {{95, 70}, White}, {{45, 70}, White}};
    filter::Options innerKnockout = inner;
    innerKnockout.knockout = true;
    QTest::newRow("inner shadow knockout") << filter::list({filter::dropShadow(Black, innerKnockout)})
                                           << Probes{{{52, 70}, Black}, {{65, 70}, White}};
    filter::Options innerHide = inner;
    innerHide.hideObject = true;
    QTest::newRow("inner shadow hiding the object") << filter::list({filter::dropShadow(Black, innerHide)})
                                                    << Probes{{{52, 70}, Black}, {{65, 70}, White}};
    // Glow at x = 49: 5 of 11 inside, alpha 116, so red and blue 139.
    QTest::newRow("glow") << filter::list({filter::glow(Green, blurred)})
                          << Probes{{{49, 70}, QColor(139, 255, 139)}, {{70, 70}, Red}, {{38, 70}, White}};
    filter::Options strong = blurred;
    strong.strength = 2; // alpha 232
    QTest::newRow("glow strength 2") << filter::list({filter::glow(Green, strong)})
                                     << Probes{{{49, 70}, QColor(23, 255, 23)}};
    filter::Options innerGlow = blurred;
    innerGlow.inner = true;
    // Inside at x = 50 the inverse covers 5 of 11: green at 116 over red.
    QTest::newRow("inner glow") << filter::list({filter::glow(Green, innerGlow)})
                                << Probes{{{50, 70}, QColor(139, 116, 0)}, {{70, 70}, Red}, {{45, 70}, White}};
    // Blur at x = 50: 6 of 11, alpha 139; at 45: 1 of 11, alpha 23.
    QTest::newRow("blur") << filter::list({filter::blur(10, 10, 1)})
                          << Probes{{{50, 70}, QColor(255, 116, 116)}, {{45, 70}, QColor(255, 232, 232)},
                                    {{44, 70}, White}, {{70, 70}, Red}};
    // Two passes: at x = 44 the first pass's 23, 46, 70, 93 and 116 (x = 45..49) average to 32.
    QTest::newRow("blur, two passes") << filter::list({filter::blur(10, 10, 2)})
                                      << Probes{{{44, 70}, QColor(255, 223, 223)}, {{70, 70}, Red}};
    // Light from the left: highlight inside the left edge, shadow inside the right.
    filter::Options bevelled = shadowAt(5);
    bevelled.inner = true;
    QTest::newRow("inner bevel") << filter::list({filter::bevel(Black, Blue, bevelled)})
                                 << Probes{{{52, 70}, Blue}, {{70, 70}, Red}, {{87, 70}, Black}, {{95, 70}, White}};
    filter::Options outerBevel = shadowAt(5);
    QTest::newRow("outer bevel") << filter::list({filter::bevel(Black, Blue, outerBevel)})
                                 << Probes{{{47, 70}, Blue}, {{52, 70}, Red}, {{92, 70}, Black}, {{70, 70}, Red}};
    filter::Options fullBevel = shadowAt(5);
    fullBevel.onTop = true;
    QTest::newRow("full bevel") << filter::list({filter::bevel(Black, Blue, fullBevel)})
                                << Probes{{{47, 70}, Blue}, {{52, 70}, Blue}, {{87, 70}, Black}, {{92, 70}, Black},
                                          {{70, 70}, Red}};
    // Gradient glow: blurred alpha 116 picks blue at 116 from clear blue to blue.
    QTest::newRow("gradient glow")
        << filter::list({filter::gradient(4, {{0, QColor(0, 0, 255, 0)}, {255, Blue}}, blurred)})
        << Probes{{{49, 70}, QColor(139, 139, 255)}, {{70, 70}, Red}, {{38, 70}, White}};
    filter::Options gradientBevel = shadowAt(5);
    gradientBevel.inner = true;
    QTest::newRow("gradient bevel")
        << filter::list({filter::gradient(7, {{0, Blue}, {128, QColor(0, 0, 0, 0)}, {255, Black}}, gradientBevel)})
        << Probes{{{52, 70}, Blue}, {{70, 70}, Red}, {{87, 70}, Black}};
    QTest::newRow("colour matrix swapping red and blue")
        << filter::list({filter::colorMatrix({0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0})})
        << Probes{{{70, 70}, Blue}, {{45, 70}, White}};
    QTest::newRow("colour matrix offset") // green gains 100 everywhere the square is
        << filter::list({filter::colorMatrix({1, 0, 0, 0, 0, 0, 1, 0, 0, 100, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0})})
        << Probes{{{70, 70}, QColor(255, 100, 0)}, {{45, 70}, White}};
    QTest::newRow("convolution halving")
        << filter::list({filter::convolution(3, 3, {0, 0, 0, 0, 1, 0, 0, 0, 0}, 2, 0, true)})
        << Probes{{{70, 70}, QColor(128, 0, 0)}, {{45, 70}, White}};
    // Each pixel takes its left neighbour: the square moves one pixel right.
    QTest::newRow("convolution shifting")
        << filter::list({filter::convolution(3, 3, {0, 0, 0, 1, 0, 0, 0, 0, 0}, 1, 0, false)})
        << Probes{{{90, 70}, Red}, {{50, 70}, White}, {{70, 70}, Red}};
    // Filters apply in order: the shadow of a blue (swapped) square is black.
    QTest::newRow("two filters in order")
        << filter::list({filter::colorMatrix({0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}),
                         filter::dropShadow(Black, shadowAt(10))})
        << Probes{{{55, 70}, Blue}, {{95, 70}, Black}};
}

void SwfRenderTest::filters()
{
    QFETCH(QByteArray, list);
    QFETCH(Probes, probes);
    const QImage image = stageOf(background(Qt::white) + rectangle(1, Square, Red) +
                                 place(Place(1, 1).filtered(list)) + showFrame());
    const QString miss = check(image, probes);
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::filteredLayersAreCached()
{
    // Frame 1 places a blurred square; frame 2 changes nothing; frame 3 moves it.
    const QByteArray tags = background(Qt::white) + rectangle(1, Square, Red) +
                            place(Place(1, 1).filtered(filter::list({filter::blur(8, 8, 2)}))) + showFrame() +
                            showFrame() + place(Place(1).moving().at(QPoint(200, 0))) + showFrame();
    swf::MoviePlayer player;
    QString error;
    QVERIFY(player.load(movie(tags, 8), &error));
    swf::Renderer renderer(*player.movie());
    QImage image(QSize(200, 150), QImage::Format_ARGB32_Premultiplied);
    const auto draw = [&] {
        image.fill(Qt::white);
        renderer.render(image, player.root(), QTransform::fromScale(0.05, 0.05));
    };
    draw();
    QCOMPARE(renderer.layersDrawn(), 1);
    draw();
    player.advance();
    draw();
    QCOMPARE(renderer.layersDrawn(), 1); // nothing changed: the cached layer is used
    player.advance();
    draw();
    QCOMPARE(renderer.layersDrawn(), 2);
    // Moved 10 pixels right: the middle is still red, the old left edge white.
    const QString miss = check(image, {{{80, 70}, Red}, {{44, 70}, White}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::blendModes_data()
{
    // Backdrop (200, 100, 50) under a square of (100, 150, 250); each colour
    // is the mode's formula on those numbers, channel by channel.
    QTest::addColumn<int>("mode");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("normal") << 1 << QColor(100, 150, 250);
    QTest::newRow("layer") << 2 << QColor(100, 150, 250);
    QTest::newRow("multiply") << 3 << QColor(78, 59, 49);     // b s / 255
    QTest::newRow("screen") << 4 << QColor(222, 191, 251);    // b + s - b s / 255
    QTest::newRow("lighten") << 5 << QColor(200, 150, 250);
    QTest::newRow("darken") << 6 << QColor(100, 100, 50);
    QTest::newRow("difference") << 7 << QColor(100, 50, 200);
    QTest::newRow("add") << 8 << QColor(255, 250, 255);
    QTest::newRow("subtract") << 9 << QColor(100, 0, 0);      // b - s, at least 0
    QTest::newRow("invert") << 10 << QColor(55, 155, 205);    // 255 - b
    QTest::newRow("alpha outside a group") << 11 << QColor(100, 150, 250);
    QTest::newRow("erase outside a group") << 12 << QColor(100, 150, 250);
    QTest::newRow("overlay") << 13 << QColor(188, 118, 98);   // by the backdrop: 2bs/255 below 128, else screen-like
    QTest::newRow("hard light") << 14 << QColor(157, 127, 247); // the same, decided by the source
    QTest::newRow("unknown code") << 200 << QColor(100, 150, 250);
}

void SwfRenderTest::blendModes()
{
    QFETCH(int, mode);
    QFETCH(QColor, expected);
    const QImage image = stageOf(background(Qt::white) + rectangle(1, QRect(0, 0, 2000, 2000), QColor(200, 100, 50)) +
                                 rectangle(2, QRect(1000, 0, 2000, 2000), QColor(100, 150, 250)) + place(Place(1, 1)) +
                                 place(Place(2, 2).blended(mode)) + showFrame());
    const QString miss = check(image, {{{75, 50}, expected}, {{25, 50}, QColor(200, 100, 50)}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::layerGroupsTakeAlphaAndErase_data()
{
    // Inside a clip drawn as a layer: an orange backdrop, then a square of
    // blue at the alpha given, in alpha or erase mode. Alpha keeps the
    // backdrop as far as the square is opaque, erase as far as it is clear;
    // the layer then goes over the white stage.
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("alpha, opaque") << 11 << 255 << QColor(200, 100, 50);
    QTest::newRow("alpha, half") << 11 << 128 << QColor(227, 177, 152); // half orange, half white
    QTest::newRow("erase, opaque") << 12 << 255 << White;
    QTest::newRow("erase, half") << 12 << 128 << QColor(228, 178, 153);
}

void SwfRenderTest::layerGroupsTakeAlphaAndErase()
{
    QFETCH(int, mode);
    QFETCH(int, alpha);
    QFETCH(QColor, expected);
    const QByteArray group = place(Place(1, 1)) + place(Place(2, 2).blended(mode)) + showFrame();
    const QImage image = stageOf(background(Qt::white) + rectangle(1, QRect(0, 0, 2000, 2000), QColor(200, 100, 50)) +
                                 rectangle(2, QRect(1000, 0, 2000, 2000), QColor(0, 0, 255, alpha)) +
                                 sprite(3, group) + place(Place(1, 3).blended(2)) + showFrame());
    const QString miss = check(image, {{{75, 50}, expected}, {{25, 50}, QColor(200, 100, 50)}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::fillRules_data()
{
    // Two squares traced the same way round, overlapping in 50..69 x 50..69.
    // Even-odd leaves the overlap empty; non-zero winding fills it.
    QTest::addColumn<bool>("shape4");
    QTest::addColumn<bool>("nonZero");
    QTest::addColumn<QColor>("overlap");
    QTest::newRow("DefineShape3, even-odd") << false << false << White;
    QTest::newRow("DefineShape4, even-odd") << true << false << White;
    QTest::newRow("DefineShape4, non-zero") << true << true << Blue;
}

void SwfRenderTest::fillRules()
{
    QFETCH(bool, shape4);
    QFETCH(bool, nonZero);
    QFETCH(QColor, overlap);
    const QPolygon first(QRect(600, 600, 800, 800)), second(QRect(1000, 1000, 800, 800));
    const QImage image = stageOf(background(Qt::white) + polygons(1, {first, second}, Blue, shape4, nonZero) +
                                 place(Place(1, 1)) + showFrame());
    const QString miss = check(image, {{{60, 60}, overlap}, {{35, 35}, Blue}, {{85, 85}, Blue}, {{35, 85}, White}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::nestedMasksShowWhereBothDo()
{
    // Depth 1 masks the left half up to depth 4; inside it depth 2 masks the
    // top half up to depth 3, over a red stage-sized square at depth 3; a
    // green one at depth 4 is masked by the left half only.
    const QByteArray tags = background(Qt::white) + rectangle(1, QRect(0, 0, 2000, 3000), Black) +
                            rectangle(2, QRect(0, 0, 4000, 1500), Black) + rectangle(3, QRect(0, 0, 4000, 3000), Red) +
                            rectangle(4, QRect(0, 1500, 4000, 1500), Green) + place(Place(1, 1).clipping(4)) +
                            place(Place(2, 2).clipping(3)) + place(Place(3, 3)) + place(Place(4, 4)) + showFrame();
    const QImage image = stageOf(tags);
    const QString miss = check(image, {{{50, 30}, Red}, {{150, 30}, White}, {{50, 120}, Green}, {{150, 120}, White}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::drawingApi_data()
{
    // Frame 1 places a red square (pixels 50..89) at depth 1, then its script draws.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<Probes>("probes");
    const std::vector<QPoint> box{{10, 10}, {110, 10}, {110, 110}, {10, 110}};
    QTest::newRow("fill under the children")
        << call("_root", "beginFill", {num(0x0000FF), num(100)}) + polygon("_root", box) + call("_root", "endFill")
        << Probes{{{20, 20}, Blue}, {{70, 70}, Red}, {{120, 20}, White}, {{105, 105}, Blue}};
    QTest::newRow("fill closed by itself")
        << call("_root", "beginFill", {num(0x0000FF)}) + polygon("_root", {{10, 10}, {110, 10}, {110, 110}})
        << Probes{{{100, 20}, Blue}, {{20, 100}, White}};
    // Alpha 50: blue at half over white.
    QTest::newRow("fill with alpha")
        << call("_root", "beginFill", {num(0x0000FF), num(50)}) + polygon("_root", box) + call("_root", "endFill")
        << Probes{{{20, 20}, QColor(127, 127, 255)}};
    // A 10 pixel green line along y = 130 from x = 10 to 190, square caps off.
    QTest::newRow("line style")
        << call("_root", "lineStyle", {num(10), num(0x00FF00), num(100), as::pushTrue(), str("normal"), str("none")}) +
               call("_root", "moveTo", {num(10), num(130)}) + call("_root", "lineTo", {num(190), num(130)})
        << Probes{{{100, 126}, Green}, {{100, 133}, Green}, {{100, 138}, White}, {{7, 130}, White}};
    QTest::newRow("line style cleared by an empty call")
        << call("_root", "lineStyle", {num(10), num(0x00FF00)}) + call("_root", "lineStyle") +
               call("_root", "moveTo", {num(10), num(130)}) + call("_root", "lineTo", {num(190), num(130)})
        << Probes{{{100, 130}, White}};
    // A quarter disc's arc bulges past the straight edge from (10, 10) to (110, 110).
    QTest::newRow("curve")
        << call("_root", "beginFill", {num(0x0000FF)}) + call("_root", "moveTo", {num(10), num(10)}) +
               call("_root", "curveTo", {num(110), num(10), num(110), num(110)}) + call("_root", "endFill")
        << Probes{{{100, 70}, Blue}, {{100, 40}, White}, {{30, 95}, White}};
    QTest::newRow("clear")
        << call("_root", "beginFill", {num(0x0000FF)}) + polygon("_root", box) + call("_root", "endFill") +
               call("_root", "clear")
        << Probes{{{20, 20}, White}, {{70, 70}, Red}};
    // Blue to red across the stage's 200 pixels: at pixel x (centre x + 0.5)
    // the share of red is (x + 0.5) / 200.
    const QByteArray gradient =
        call("_root", "beginGradientFill",
             {str("linear"), array({num(0x0000FF), num(0xFF0000)}), array({num(100), num(100)}),
              array({num(0), num(255)}),
              object({{"matrixType", str("box")}, {"x", num(0)}, {"y", num(0)}, {"w", num(200)}, {"h", num(150)},
                      {"r", num(0)}})}) +
        polygon("_root", {{0, 0}, {200, 0}, {200, 40}, {0, 40}}) + call("_root", "endFill");
    QTest::newRow("linear gradient box")
        << gradient << Probes{{{20, 20}, QColor(26, 0, 229)}, {{150, 20}, QColor(192, 0, 63)}, {{100, 60}, White}};
    // A clip made by script, moved 100 pixels right, draws in its own space.
    QTest::newRow("drawing in a created clip")
        << call("_root", "createEmptyMovieClip", {str("pad"), num(5)}) + as::pushString("pad") + num(0) + num(100) +
               as::op(0x23) + call("pad", "beginFill", {num(0x00FF00)}) +
               polygon("pad", {{0, 0}, {50, 0}, {50, 30}, {0, 30}}) + call("pad", "endFill")
        << Probes{{{120, 10}, Green}, {{20, 10}, White}, {{155, 10}, White}};
}

void SwfRenderTest::drawingApi()
{
    QFETCH(QByteArray, script);
    QFETCH(Probes, probes);
    const QByteArray tags = background(Qt::white) + rectangle(1, Square, Red) + place(Place(1, 1)) +
                            doAction(script) + showFrame();
    const QString miss = check(shownStage(tags, m_dir), probes, 4);
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::lowQualityDrawsWithoutAntialiasing()
{
    // A slanted blue triangle: its edges blend into white at high quality
    // only. _quality is set as a variable; toggleHighQuality flips it back.
    const QByteArray triangle =
        call("_root", "beginFill", {num(0x0000FF)}) + polygon("_root", {{10, 10}, {190, 40}, {30, 140}});
    const QByteArray setLow = as::pushString("_quality") + as::pushString("LOW") + as::op(0x1D);
    const QImage high = shownStage(background(Qt::white) + doAction(triangle) + showFrame(), m_dir);
    const QImage low = shownStage(background(Qt::white) + doAction(setLow + triangle) + showFrame(), m_dir);
    const QImage toggled =
        shownStage(background(Qt::white) + doAction(setLow + as::op(0x08) + triangle) + showFrame(), m_dir);
    QVERIFY(mixedPixels(high, Blue, White) > 50);
    QCOMPARE(mixedPixels(low, Blue, White), 0);
    QVERIFY(mixedPixels(toggled, Blue, White) > 50);
    QVERIFY(!check(low, {{{60, 50}, Blue}, {{150, 120}, White}}).size());
}

QTEST_MAIN(SwfRenderTest)
#include "tst_swf_render.moc"
