#include "ClipProperties.h"

#include "swf/MoviePlayer.h"
#include "swf/TextFieldState.h"
#include "swf/script/Conversions.h"

#include <cmath>
#include <cstring>

namespace swf {

namespace {

constexpr double TwipsPerPixel = 20;
constexpr double FixedOne = 256; // a colour transform's multiplier for 1.0
constexpr double MaxMultiplier = 32767;
constexpr int MaxBoundsNesting = 32;
constexpr double SoundBufferSeconds = 5;

const char *const PropertyNames[PropCount] = {
    "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible",
    "_width", "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse"};

double xScaleOf(const QTransform &m) { return std::hypot(m.m11(), m.m12()); }
double yScaleOf(const QTransform &m) { return std::hypot(m.m21(), m.m22()); }
double rotationOf(const QTransform &m) { return std::atan2(m.m12(), m.m11()) * 180 / M_PI; }

// The matrix with its scale and rotation replaced, its translation kept.
QTransform composed(double xScale, double yScale, double degrees, const QTransform &m)
{
    const double r = degrees * M_PI / 180;
    return QTransform(xScale * std::cos(r), xScale * std::sin(r), -yScale * std::sin(r), yScale * std::cos(r),
                      m.dx(), m.dy());
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The scales and rotation as scripts see them: those they set, while the
// matrix keeps the scale and rotation those made; else the matrix's.
DisplayObject::ScriptGeometry geometryOf(const DisplayObject &clip)
{
    const DisplayObject::ScriptGeometry &kept = clip.scriptGeometry;
    const QTransform &m = clip.matrix, &made = kept.made;
    if (kept.set && sameBits(m.m11(), made.m11()) && sameBits(m.m12(), made.m12()) &&
        sameBits(m.m21(), made.m21()) && sameBits(m.m22(), made.m22()))
        return kept;
    return {m, xScaleOf(m), yScaleOf(m), rotationOf(m), false};
}

// Sets the scales and rotation as a script gives them; a matrix they cannot
// make (a rotation by infinity) leaves the clip as it was.
void setGeometry(DisplayObject &clip, DisplayObject::ScriptGeometry geometry)
{
    const QTransform m = composed(geometry.xScale, geometry.yScale, geometry.rotation, clip.matrix);
    if (std::isfinite(m.m11()) && std::isfinite(m.m12()) && std::isfinite(m.m21()) && std::isfinite(m.m22()))
        clip.matrix = m;
    geometry.made = clip.matrix;
    geometry.set = true;
    clip.scriptGeometry = geometry;
}

// A rotation in degrees brought into -180..180, as the reference player keeps it.
double normalizedDegrees(double degrees)
{
    constexpr double FullTurn = 360, HalfTurn = 180;
    double r = std::fmod(degrees, FullTurn);
    if (r > HalfTurn)
        r -= FullTurn;
    else if (r < -HalfTurn)
        r += FullTurn;
    return r;
}

} // namespace

QRectF ClipBounds(const DisplayObject &clip, int nesting)
{
    if (const auto *shape = dynamic_cast<const ShapeDef *>(clip.character))
        return shape->bounds;
    if (const auto *text = dynamic_cast<const TextDef *>(clip.character))
        return text->matrix.mapRect(text->bounds);
    if (const auto *edit = dynamic_cast<const EditTextDef *>(clip.character))
        return clip.textField ? clip.textField->bounds() : edit->bounds;
    QRectF bounds = clip.drawing ? clip.drawing->bounds() : QRectF();
    if (nesting < MaxBoundsNesting) {
        for (const auto &[depth, child] : clip.children)
            bounds = bounds.united(child->matrix.mapRect(ClipBounds(*child, nesting + 1)));
    }
    return bounds;
}

namespace {

// Bounds as the reference player keeps them: edges on whole twips.
QRectF wholeTwips(const QRectF &r)
{
    return QRectF(QPointF(std::round(r.left()), std::round(r.top())),
                  QPointF(std::round(r.right()), std::round(r.bottom())));
}

} // namespace

bool IsMovieWideProperty(int index)
{
    return index >= PropHighQuality && index <= PropQuality;
}

int ClipPropertyIndex(const QString &name)
{
    for (int i = 0; i < PropCount; ++i)
        if (name.compare(QLatin1String(PropertyNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Value GetClipProperty(MoviePlayer &player, const DisplayObject &clip, int index, const Conversions &convert)
{
    const QTransform &m = clip.matrix;
    switch (index) {
    case PropX: return m.dx() / TwipsPerPixel;
    case PropY: return m.dy() / TwipsPerPixel;
    case PropXScale: return geometryOf(clip).xScale * 100;
    case PropYScale: return geometryOf(clip).yScale * 100;
    case PropCurrentFrame: return double(clip.isSprite() ? clip.currentFrame + 1 : 1);
    case PropTotalFrames:
    case PropFramesLoaded: return double(clip.isSprite() ? clip.frameCount() : 1);
    case PropAlpha: return clip.cxform.alphaMult * 100.0 / FixedOne;
    case PropVisible: return convert.boolean(clip.visible);
    case PropWidth: return wholeTwips(m.mapRect(ClipBounds(clip))).width() / TwipsPerPixel;
    case PropHeight: return wholeTwips(m.mapRect(ClipBounds(clip))).height() / TwipsPerPixel;
    case PropRotation: return geometryOf(clip).rotation;
    case PropTarget: return clip.path();
    case PropName: return clip.name;
    case PropUrl: return player.urlOf(clip);
    case PropHighQuality: return player.quality() == Renderer::Quality::Low ? 0.0 : 1.0;
    case PropQuality: return QualityName(player.quality());
    case PropFocusRect: return 1.0;
    case PropSoundBufTime: return SoundBufferSeconds;
    case PropXMouse:
    case PropYMouse: {
        QTransform toStage = clip.matrix;
        for (const DisplayObject *p = clip.parent; p; p = p->parent)
            toStage *= p->matrix;
        const QPointF local = toStage.inverted().map(player.pointer());
        return (index == PropXMouse ? local.x() : local.y()) / TwipsPerPixel;
    }
    default: return player.version() >= 5 ? Value(QString()) : Value(0.0);
    }
}

void SetClipProperty(MoviePlayer &player, DisplayObject &clip, int index, const Value &value, Conversions &convert)
{
    const double v = convert.toNumber(value);
    QTransform &m = clip.matrix;
    const bool finite = std::isfinite(v);
    switch (index) {
    case PropX:
        if (finite)
            m = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), v * TwipsPerPixel, m.dy());
        break;
    case PropY:
        if (finite)
            m = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), v * TwipsPerPixel);
        break;
    case PropXScale:
    case PropYScale:
        if (finite) {
            DisplayObject::ScriptGeometry geometry = geometryOf(clip);
            (index == PropXScale ? geometry.xScale : geometry.yScale) = v / 100;
            setGeometry(clip, geometry);
        }
        break;
    case PropRotation:
        // NaN leaves the rotation; infinity makes it NaN.
        if (!std::isnan(v)) {
            DisplayObject::ScriptGeometry geometry = geometryOf(clip);
            geometry.rotation = normalizedDegrees(v);
            setGeometry(clip, geometry);
        }
        break;
    case PropAlpha:
        if (finite)
            clip.cxform.alphaMult = int(std::clamp(v, -MaxMultiplier - 1, MaxMultiplier) * FixedOne / 100);
        break;
    case PropVisible:
        clip.visible = convert.toBool(value);
        break;
    case PropWidth:
    case PropHeight: {
        const QRectF extent = m.mapRect(ClipBounds(clip));
        const double now = index == PropWidth ? extent.width() : extent.height();
        if (finite && now > 0) {
            const double factor = v * TwipsPerPixel / now;
            m = index == PropWidth ? composed(xScaleOf(m) * factor, yScaleOf(m), rotationOf(m), m)
                                   : composed(xScaleOf(m), yScaleOf(m) * factor, rotationOf(m), m);
        } else if (finite) {
            // A clip with nothing in it cannot be stretched to a size: the
            // reference player flattens it instead, in both directions.
            m = composed(0, 0, rotationOf(m), m);
        }
        break;
    }
    case PropName:
        clip.name = convert.toString(value);
        break;
    case PropQuality:
        player.setQuality(QualityNamed(convert.toString(value), player.quality()));
        break;
    case PropHighQuality:
        if (finite)
            player.setQuality(v <= 0 ? Renderer::Quality::Low : v >= 2 ? Renderer::Quality::Best : Renderer::Quality::High);
        break;
    default:
        return;
    }
    player.markChanged();
}

} // namespace swf
