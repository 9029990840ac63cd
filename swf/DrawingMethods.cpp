#include "DrawingMethods.h"

#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"
#include "swf/builtins/BitmapData.h"
#include "swf/script/ScriptEngine.h"

#include <cmath>

namespace swf {

namespace {

// Twips per pixel.
constexpr double Twips = 20;
// Widest line scripts may ask for, in pixels.
constexpr double MaxLineWidth = 255;
// The side of the square gradients are defined in, in pixels.
constexpr double GradientSide = 1638.4;
// Most stops a script gradient keeps.
constexpr int MaxGradientStops = 15;
// Alphas and ratios as scripts give them.
constexpr double FullAlpha = 100;
constexpr double FullRatio = 255;

// A number argument, or the fallback when missing, undefined or not finite.
double number(ScriptContext &context, const std::vector<Value> &args, size_t i, double fallback)
{
    if (i >= args.size() || std::holds_alternative<Undefined>(args[i]) || std::holds_alternative<Null>(args[i]))
        return fallback;
    const double v = context.toNumber(args[i]);
    return std::isfinite(v) ? v : fallback;
}

bool present(const std::vector<Value> &args, size_t i)
{
    return i < args.size() && !std::holds_alternative<Undefined>(args[i]) && !std::holds_alternative<Null>(args[i]);
}

QPointF pointAt(ScriptContext &context, const std::vector<Value> &args, size_t i)
{
    return QPointF(number(context, args, i, 0) * Twips, number(context, args, i + 1, 0) * Twips);
}

// A colour from 0xRRGGBB and an alpha of 0..100.
QColor colourOf(double rgb, double alpha)
{
    const auto value = uint32_t(int64_t(rgb) & 0xFFFFFF);
    QColor c = QColor::fromRgb(QRgb(value));
    c.setAlpha(int(std::lround(std::clamp(alpha, 0.0, FullAlpha) / FullAlpha * 255)));
    return c;
}

const std::vector<Value> *elementsOf(const Value &v)
{
    const auto *object = std::get_if<ScriptObject *>(&v);
    return object && *object && (*object)->kind == ScriptObject::Kind::Array ? &(*object)->elements : nullptr;
}

// An object's member by name, whatever case the movie's version compares in.
std::optional<Value> memberOf(const Value &v, const QString &name)
{
    const auto *object = std::get_if<ScriptObject *>(&v);
    if (!object || !*object)
        return std::nullopt;
    for (const ScriptObject::Member &m : (*object)->members())
        if (m.name.compare(name, Qt::CaseInsensitive) == 0)
            return m.value;
    return std::nullopt;
}

// The gradient square's placement in twips: a {matrixType: "box", x, y, w,
// h, r} box or an {a, b, c, d, tx, ty} matrix in pixels.
QTransform gradientMatrix(ScriptContext &context, const Value &v)
{
    const auto field = [&](const char *name, double fallback) {
        const std::optional<Value> m = memberOf(v, QLatin1String(name));
        if (!m)
            return fallback;
        const double d = context.toNumber(*m);
        return std::isfinite(d) ? d : fallback;
    };
    const std::optional<Value> type = memberOf(v, QStringLiteral("matrixType"));
    if (type && context.toString(*type) == QLatin1String("box")) {
        const double w = field("w", 0), h = field("h", 0), r = field("r", 0);
        const double x = field("x", 0), y = field("y", 0);
        return QTransform(w / GradientSide * std::cos(r), w / GradientSide * std::sin(r),
                          -h / GradientSide * std::sin(r), h / GradientSide * std::cos(r), (x + w / 2) * Twips,
                          (y + h / 2) * Twips);
    }
    return QTransform(field("a", 1), field("b", 0), field("c", 0), field("d", 1), field("tx", 0) * Twips,
                      field("ty", 0) * Twips);
}

std::optional<FillStyle> gradientFill(ScriptContext &context, const std::vector<Value> &args)
{
    if (args.size() < 5)
        return std::nullopt;
    const QString type = context.toString(args[0]).toLower();
    const auto *colours = elementsOf(args[1]), *alphas = elementsOf(args[2]), *ratios = elementsOf(args[3]);
    if ((type != QLatin1String("linear") && type != QLatin1String("radial")) || !colours || !alphas || !ratios)
        return std::nullopt;
    FillStyle fill;
    const double focal = number(context, args, 7, 0);
    fill.type = type == QLatin1String("linear") ? FillStyle::Linear : focal != 0 ? FillStyle::Focal : FillStyle::Radial;
    fill.focal = std::clamp(focal, -1.0, 1.0);
    const size_t count = std::min({colours->size(), alphas->size(), ratios->size(), size_t(MaxGradientStops)});
    for (size_t i = 0; i < count; ++i) {
        const double ratio = context.toNumber((*ratios)[i]);
        const double rgb = context.toNumber((*colours)[i]);
        const double alpha = context.toNumber((*alphas)[i]);
        fill.stops.append({std::clamp(std::isfinite(ratio) ? ratio : 0, 0.0, FullRatio) / FullRatio,
                           colourOf(std::isfinite(rgb) ? rgb : 0, std::isfinite(alpha) ? alpha : FullAlpha)});
    }
    fill.matrix = gradientMatrix(context, args[4]);
    if (present(args, 5)) {
        const QString spread = context.toString(args[5]).toLower();
        fill.spread = spread == QLatin1String("reflect") ? 1 : spread == QLatin1String("repeat") ? 2 : 0;
    }
    fill.linearRgb = present(args, 6) && context.toString(args[6]).compare(QLatin1String("linearRGB"),
                                                                          Qt::CaseInsensitive) == 0;
    return fill;
}

// beginBitmapFill(bitmap, matrix, repeat, smoothing): the bitmap's pixels
// as they are now, placed by the matrix (pixels), tiled unless repeat is false.
std::optional<FillStyle> bitmapFill(ScriptContext &context, const std::vector<Value> &args)
{
    const BitmapDataPayload *bitmap = args.empty() ? nullptr : BitmapDataOf(args[0]);
    if (!bitmap)
        return std::nullopt;
    FillStyle fill;
    fill.type = FillStyle::Bitmap;
    fill.image = bitmap->image();
    const QTransform placed = present(args, 1) ? gradientMatrix(context, args[1]) : QTransform();
    // The matrix's translation came in twips; its pixels become twips as well.
    fill.matrix = QTransform(placed.m11(), placed.m12(), placed.m21(), placed.m22(), 0, 0) *
                  QTransform::fromScale(Twips, Twips) * QTransform::fromTranslate(placed.dx(), placed.dy());
    fill.repeat = !present(args, 2) || context.toBool(args[2]);
    fill.smooth = present(args, 3) && context.toBool(args[3]);
    return fill;
}

LineStyle lineStyleOf(ScriptContext &context, const std::vector<Value> &args)
{
    LineStyle line;
    line.width = std::clamp(number(context, args, 0, 0), 0.0, MaxLineWidth) * Twips;
    line.color = colourOf(number(context, args, 1, 0), number(context, args, 2, FullAlpha));
    if (present(args, 5)) {
        const QString caps = context.toString(args[5]).toLower();
        line.cap = caps == QLatin1String("none") ? Qt::FlatCap : caps == QLatin1String("square") ? Qt::SquareCap
                                                                                                 : Qt::RoundCap;
    }
    if (present(args, 6)) {
        const QString joints = context.toString(args[6]).toLower();
        line.join = joints == QLatin1String("bevel") ? Qt::BevelJoin : joints == QLatin1String("miter")
                                                                           ? Qt::MiterJoin
                                                                           : Qt::RoundJoin;
    }
    line.miter = std::clamp(number(context, args, 7, 3), 1.0, 255.0);
    return line;
}

} // namespace

bool CallDrawingMethod(ScriptContext &context, DisplayObject &clip, const QString &method,
                       const std::vector<Value> &args)
{
    static const QStringList Methods{"moveto",   "lineto",          "curveto",           "linestyle",
                                     "beginfill", "begingradientfill", "beginbitmapfill", "linegradientstyle",
                                     "endfill",  "clear"};
    if (!Methods.contains(method))
        return false;
    if (!clip.drawing)
        clip.drawing = std::make_shared<Drawing>();
    Drawing &d = *clip.drawing;
    if (method == QLatin1String("moveto")) {
        d.moveTo(pointAt(context, args, 0));
    } else if (method == QLatin1String("lineto")) {
        d.lineTo(pointAt(context, args, 0));
    } else if (method == QLatin1String("curveto")) {
        d.curveTo(pointAt(context, args, 0), pointAt(context, args, 2));
    } else if (method == QLatin1String("linestyle")) {
        // No thickness: lines stop being drawn.
        if (present(args, 0))
            d.lineStyle(lineStyleOf(context, args));
        else
            d.noLineStyle();
    } else if (method == QLatin1String("beginfill")) {
        if (present(args, 0)) {
            FillStyle fill;
            fill.color = colourOf(number(context, args, 0, 0), number(context, args, 1, FullAlpha));
            d.beginFill(fill);
        } else {
            d.endFill(); // no colour: what follows is not filled
        }
    } else if (method == QLatin1String("begingradientfill")) {
        if (const std::optional<FillStyle> fill = gradientFill(context, args))
            d.beginFill(*fill);
        else
            d.endFill();
    } else if (method == QLatin1String("beginbitmapfill")) {
        if (const std::optional<FillStyle> fill = bitmapFill(context, args))
            d.beginFill(*fill);
        else
            d.endFill();
    } else if (method == QLatin1String("linegradientstyle")) {
        // The gradient colours the lines of the style in force.
        std::optional<LineStyle> line = d.currentLine();
        if (line) {
            line->fill = gradientFill(context, args);
            d.lineStyle(*line);
        }
    } else if (method == QLatin1String("endfill")) {
        d.endFill();
    } else {
        d.clear();
    }
    context.player().markChanged();
    return true;
}

} // namespace swf
