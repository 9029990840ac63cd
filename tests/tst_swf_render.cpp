// How the movie engine draws: filters, blend modes, fill rules, masks, the
// drawing API and text fields, on movies the tests make. Every expected
// colour is worked out by hand from the movie's numbers (see the comments),
// never taken from the engine.
#include "swf/FlashControl.h"
#include "swf/MoviePlayer.h"
#include "swf/Renderer.h"
#include "swf/TextLayout.h"
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

// With TESSARO_SEED_DIR set, every movie made here is kept there too, as
// fuzzing seeds (tools/fuzz-swf.sh) full of filters, text and drawing.
void keepSeed(const QByteArray &file)
{
    static int count = 0;
    const QString folder = qEnvironmentVariable("TESSARO_SEED_DIR");
    if (folder.isEmpty())
        return;
    QFile seed(QStringLiteral("%1/render-%2.swf").arg(folder).arg(++count));
    if (seed.open(QIODevice::WriteOnly))
        seed.write(file);
}

QImage stageOf(const QByteArray &tags)
{
    keepSeed(movie(tags, 8));
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
    keepSeed(movie(tags, 8));
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

// A font drawing 'A' as a block half an em wide and 0.8 em tall (at 20
// pixels: 10 x 16, advance 10, descent 4), with a blank space as wide.
QByteArray blockFont(int id, const QByteArray &name = "Blocky", bool bold = false, int width = 10240)
{
    return font3(id, name, {{'A', QRect(0, -16384, width, 16384), width}, {' ', QRect(), 10240}}, 16384, 4096, bold);
}

// A field over stage pixels 20..179 x 20..119 in the block font at 20 pixels, drawn with its outlines.
Field blockField(const QByteArray &text)
{
    Field f;
    f.bounds = QRect(400, 400, 3200, 2000);
    f.fontId = 1;
    f.height = 400;
    f.text = text;
    f.useOutlines = true;
    f.multiline = true;
    return f;
}

// Pixels darker than mid grey in a part of the image.
int inked(const QImage &image, const QRect &area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
    return dark;
}

// Paragraphs written out: "L:" (or R, C, J) per paragraph, then its runs
// with what differs from the base format in braces, paragraphs apart by " / ".
QString describe(const std::vector<swf::TextParagraph> &paragraphs, const swf::TextFormat &base)
{
    QStringList out;
    for (const swf::TextParagraph &p : paragraphs) {
        QString line = QString(p.bullet ? "*" : "") + QString("LRCJ")[std::clamp(p.align, 0, 3)] + ':';
        if (p.leftMargin || p.leading)
            line += QStringLiteral("[m%1,l%2]").arg(p.leftMargin).arg(p.leading);
        QStringList runs;
        for (const swf::TextRun &r : p.runs) {
            QStringList marks;
            if (r.format.bold)
                marks << "b";
            if (r.format.italic)
                marks << "i";
            if (r.format.underline)
                marks << "u";
            if (r.format.size != base.size)
                marks << QStringLiteral("s%1").arg(r.format.size);
            if (r.format.color != base.color)
                marks << "c" + r.format.color.name();
            if (r.format.face != base.face)
                marks << "f" + r.format.face;
            if (!r.format.url.isEmpty())
                marks << "a" + r.format.url;
            runs << r.text + (marks.isEmpty() ? QString() : "{" + marks.join(',') + "}");
        }
        out << line + runs.join('|');
    }
    return out.join(" / ");
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
    void hugeFiltersCostAFrameBoundedWork();
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
    void fieldHtml_data();
    void fieldHtml();
    void textFieldsWithEmbeddedFonts_data();
    void textFieldsWithEmbeddedFonts();
    void textFieldBorderAndBackground();
    void textFieldsInDeviceFonts();
    void cachedBitmapsRedrawOnlyOnChange();
    void opaqueBackgroundFillsTheBounds();
    void scrollRectShowsPartMovedToTheOrigin();

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

// Thirty-two of the widest, slowest blurs: far beyond what a frame may spend,
// so they are left out and the square is drawn as it is.
void SwfRenderTest::hugeFiltersCostAFrameBoundedWork()
{
    std::vector<QByteArray> blurs(size_t(swf::MaxFilters), filter::blur(swf::MaxBlur, swf::MaxBlur, swf::MaxPasses));
    const QByteArray tags = background(Qt::white) + rectangle(1, Square, Red) +
                            place(Place(1, 1).filtered(filter::list(blurs))) + showFrame();
    swf::MoviePlayer player;
    QString error;
    QVERIFY(player.load(movie(tags, 8), &error));
    swf::Renderer renderer(*player.movie());
    QImage image(QSize(200, 150), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    renderer.render(image, player.root(), QTransform::fromScale(0.05, 0.05));
    const QString miss = check(image, {{{70, 70}, Red}, {{30, 70}, White}});
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

void SwfRenderTest::fieldHtml_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("styles") << "a<b>b</b><i>c</i><u>d</u>" << "L:a|b{b}|c{i}|d{u}";
    QTest::newRow("paragraphs") << "<p align='center'>x</p><p>y</p><P ALIGN=\"right\">z</P>" << "C:x / L:y / R:z";
    QTest::newRow("font") << "<font size='+2' color='#FF0000' face='Serifa'>x</font>y"
                          << "L:x{s280,c#ff0000,fSerifa}|y";
    QTest::newRow("absolute size") << "<font size=\"30\">x</font>" << "L:x{s600}";
    QTest::newRow("entities") << "&lt;&amp;&#65;&#x42;&bogus;&nbsp;" << QString("L:<&AB&bogus;") + QChar(0xA0);
    QTest::newRow("line breaks") << "a<br>b\rc<br/>" << "L:a / L:b / L:c / L:";
    QTest::newRow("list items") << "<li>one</li><li>two</li>" << "*L:one / *L:two";
    QTest::newRow("text format") << "<textformat leftmargin='5' leading='2'><p>x</p></textformat><p>y</p>"
                                 << "L:[m100,l40]x / L:y";
    QTest::newRow("link") << "<a href='http://x'>go</a>" << "L:go{ahttp://x}";
    QTest::newRow("unclosed tag ends the text") << "ab<b" << "L:ab";
    QTest::newRow("crossed tags") << "<i><u>x</i>y</u>" << "L:x{i,u}|y";
    QTest::newRow("unknown tags keep their text") << "<span class='k'>x</span>" << "L:x";
}

void SwfRenderTest::fieldHtml()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    swf::TextFormat base;
    base.face = "Blocky";
    QCOMPARE(describe(swf::ParseFieldHtml(html, base, 0), base), expected);
}

void SwfRenderTest::textFieldsWithEmbeddedFonts_data()
{
    // Glyphs are 10 x 16 pixels on a baseline 2 + 16 pixels below the
    // field's top (20); lines are 16 + 4 apart plus the leading; text starts
    // 2 pixels in, so "AA" covers 22..41 and the line 22..37.
    QTest::addColumn<QByteArray>("fields"); // the field definition (id 2) and any extra fonts
    QTest::addColumn<Probes>("probes");
    QTest::newRow("left") << field(2, blockField("AA"))
                          << Probes{{{27, 30}, Black}, {{37, 30}, Black}, {{45, 30}, White}, {{27, 40}, White},
                                    {{21, 30}, White}};
    Field right = blockField("AA");
    right.align = 1; // ends 2 pixels inside 180
    QTest::newRow("right") << field(2, right) << Probes{{{160, 30}, Black}, {{175, 30}, Black}, {{155, 30}, White}};
    Field centre = blockField("AA");
    centre.align = 2; // 22 + (156 - 20) / 2 = 90
    QTest::newRow("centre") << field(2, centre)
                            << Probes{{{92, 30}, Black}, {{108, 30}, Black}, {{87, 30}, White}, {{112, 30}, White}};
    Field margins = blockField("A");
    margins.leftMargin = 200; // 10 pixels
    margins.indent = 100;     // 5 more on the first line
    QTest::newRow("margin and indent") << field(2, margins) << Probes{{{40, 30}, Black}, {{35, 30}, White}};
    Field leading = blockField("A\rA");
    leading.leading = 80; // lines 24 apart: the second covers 46..61
    QTest::newRow("leading") << field(2, leading) << Probes{{{25, 54}, Black}, {{25, 43}, White}, {{25, 63}, White}};
    Field wrap = blockField("AA AA");
    wrap.bounds = QRect(400, 400, 1000, 2000); // 46 pixels for text: the second word wraps to 42..57
    wrap.wordWrap = true;
    QTest::newRow("word wrap") << field(2, wrap) << Probes{{{27, 50}, Black}, {{57, 30}, White}};
    Field noWrap = wrap;
    noWrap.wordWrap = false;
    QTest::newRow("no word wrap") << field(2, noWrap) << Probes{{{57, 30}, Black}, {{27, 50}, White}};
    Field html = blockField("<p align=\"right\"><font color=\"#00FF00\" size=\"30\">A</font></p>");
    html.html = true; // 15 x 24 pixels, ending at 178
    QTest::newRow("html font") << field(2, html) << Probes{{{170, 40}, Green}, {{170, 50}, White}, {{160, 40}, White}};
    Field paragraphs = blockField("<p>A</p><p align=\"center\">A</p>");
    paragraphs.html = true; // the second line centred: 95..104, rows 42..57
    QTest::newRow("html paragraphs") << field(2, paragraphs)
                                     << Probes{{{27, 30}, Black}, {{100, 50}, Black}, {{100, 30}, White}, {{27, 50}, White}};
    Field breaks = blockField("A<br>&#65;");
    breaks.html = true;
    QTest::newRow("html break and entity") << field(2, breaks) << Probes{{{27, 30}, Black}, {{27, 50}, Black}};
    Field underline = blockField("<u>A</u>");
    underline.html = true; // 1.25 pixels from 39.25
    QTest::newRow("html underline") << field(2, underline) << Probes{{{27, 39}, QColor(64, 64, 64)}, {{27, 42}, White}};
    Field bold = blockField("<b>A</b>");
    bold.html = true; // the bold Blocky's A is a whole em (20 pixels) wide
    QTest::newRow("html bold picks the bold font")
        << blockFont(3, "Blocky", true, 20480) + field(2, bold) << Probes{{{37, 30}, Black}, {{45, 30}, White}};
    Field plain = blockField("A");
    QTest::newRow("regular") << blockFont(3, "Blocky", true, 20480) + field(2, plain)
                             << Probes{{{27, 30}, Black}, {{37, 30}, White}};
    Field password = blockField("AA");
    password.password = true; // stars, which the font lacks
    QTest::newRow("password") << field(2, password) << Probes{{{27, 30}, White}};
    Field clipped = blockField("A\rA\rA\rA\rA\rA");
    clipped.bounds = QRect(400, 400, 3200, 1000); // 50 pixels tall: the third line (62..77) is cut at 70
    QTest::newRow("clipped to the field") << field(2, clipped) << Probes{{{27, 66}, Black}, {{27, 72}, White}};
}

void SwfRenderTest::textFieldsWithEmbeddedFonts()
{
    QFETCH(QByteArray, fields);
    QFETCH(Probes, probes);
    const QImage image = stageOf(background(Qt::white) + blockFont(1) + fields + place(Place(1, 2)) + showFrame());
    const QString miss = check(image, probes, 40);
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::textFieldBorderAndBackground()
{
    Field f = blockField("A");
    f.border = true;
    const QImage image = shownStage(background(Blue) + blockFont(1) + field(2, f) + place(Place(1, 2)) + showFrame(), m_dir);
    const QString miss = check(image, {{{100, 100}, White}, {{10, 10}, Blue}, {{20, 60}, Black}, {{179, 60}, Black},
                                       {{100, 20}, Black}, {{100, 119}, Black}, {{21, 60}, White}, {{27, 30}, Black},
                                       {{185, 60}, Blue}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::textFieldsInDeviceFonts()
{
    // Without outlines the installed sans draws the text; bold inks more,
    // a 40 pixel size reaches further down than the field's 20.
    const auto shown = [](const QByteArray &text) {
        Field f = blockField(text);
        f.useOutlines = false;
        f.html = true;
        return stageOf(background(Qt::white) + blockFont(1) + field(2, f) + place(Place(1, 2)) + showFrame());
    };
    const QImage regular = shown("HHHH"), bold = shown("<b>HHHH</b>"), big = shown("<font size='40'>HHHH</font>");
    const QRect firstLine(20, 20, 160, 22);
    QVERIFY(inked(regular, firstLine) > 40);
    QVERIFY(inked(bold, firstLine) > inked(regular, firstLine) * 5 / 4);
    QCOMPARE(inked(regular, QRect(20, 45, 160, 70)), 0);
    QVERIFY(inked(big, QRect(20, 45, 160, 15)) > 20);
}

void SwfRenderTest::cachedBitmapsRedrawOnlyOnChange()
{
    // A clip cached as a bitmap: a red square that its second frame moves 10 pixels right.
    const QByteArray clip = place(Place(1, 1)) + showFrame() + place(Place(1).moving().at(QPoint(200, 0))) + showFrame();
    const QByteArray tags = background(Qt::white) + rectangle(1, Square, Red) + sprite(2, clip) +
                            place(Place(1, 2).cached()) + doAction(as::stop()) + showFrame();
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
    draw();
    QCOMPARE(renderer.layersDrawn(), 1);
    QString miss = check(image, {{{52, 70}, Red}, {{95, 70}, White}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
    player.advance(); // the clip plays on to its second frame
    draw();
    QCOMPARE(renderer.layersDrawn(), 2);
    miss = check(image, {{{52, 70}, White}, {{95, 70}, Red}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::opaqueBackgroundFillsTheBounds()
{
    // Two squares (50..69 and 80..89 on both axes) in a clip with a green
    // opaque background: the clip's bounds (50..89) fill green behind them.
    const QByteArray clip = place(Place(1, 1)) + place(Place(2, 2)) + showFrame();
    const QByteArray tags = background(Qt::white) + rectangle(1, QRect(1000, 1000, 400, 400), Blue) +
                            rectangle(2, QRect(1600, 1600, 200, 200), Red) + sprite(3, clip) +
                            place(Place(1, 3).opaque(Green)) + showFrame();
    const QString miss = check(stageOf(tags), {{{60, 60}, Blue}, {{85, 85}, Red}, {{85, 55}, Green},
                                                {{55, 85}, Green}, {{45, 60}, White}, {{95, 95}, White}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

void SwfRenderTest::scrollRectShowsPartMovedToTheOrigin()
{
    // The clip's pixels 60..79 of the red square at 50..89 shown at the clip's
    // origin, which sits at (100, 20): 100..119 x 20..39 red, nothing else.
    const QByteArray tags = background(Qt::white) + rectangle(1, Square, Red) +
                            sprite(2, place(Place(1, 1)) + showFrame()) +
                            place(Place(1, 2).at(QPoint(2000, 400))) + showFrame();
    swf::MoviePlayer player;
    QString error;
    QVERIFY(player.load(movie(tags, 8), &error));
    QVERIFY(!player.root().children.empty());
    player.root().children.begin()->second->scrollRect = QRectF(1200, 1200, 400, 400);
    swf::Renderer renderer(*player.movie());
    QImage image(QSize(200, 150), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    renderer.render(image, player.root(), QTransform::fromScale(0.05, 0.05));
    const QString miss = check(image, {{{101, 21}, Red}, {{118, 38}, Red}, {{121, 30}, White}, {{110, 41}, White},
                                       {{160, 70}, White}, {{150, 85}, White}});
    QVERIFY2(miss.isEmpty(), qPrintable(miss));
}

QTEST_MAIN(SwfRenderTest)
#include "tst_swf_render.moc"
