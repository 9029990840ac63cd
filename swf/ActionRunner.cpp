#include "ActionRunner.h"

#include "swf/MoviePlayer.h"

#include <QRandomGenerator>

#include <cmath>
#include <variant>

namespace swf {

namespace {

// Strings longer than this are cut: a script that doubles a string in a loop
// cannot exhaust memory.
constexpr int MaxStringLength = 1 << 20;
// Copying this many characters costs one action unit.
constexpr int CharactersPerUnit = 256;
constexpr int MaxStackDepth = 100000;
constexpr int MaxVariablesPerClip = 10000;
constexpr int GlobalRegisters = 4;

struct Undefined {};

// A movie clip as a script value; it reads as gone once the clip is removed.
struct ClipRef {
    DisplayObject *clip = nullptr;
    std::weak_ptr<char> alive;

    DisplayObject *get() const { return alive.expired() ? nullptr : clip; }
};

using Value = std::variant<Undefined, double, QString, bool, ClipRef>;

ClipRef refTo(DisplayObject *clip)
{
    return ClipRef{clip, clip ? clip->alive : std::weak_ptr<char>()};
}

// Movie-clip properties by their GetProperty index.
enum Property {
    PropX, PropY, PropXScale, PropYScale, PropCurrentFrame, PropTotalFrames, PropAlpha, PropVisible,
    PropWidth, PropHeight, PropRotation, PropTarget, PropFramesLoaded, PropName, PropDropTarget, PropUrl,
    PropHighQuality, PropFocusRect, PropSoundBufTime, PropQuality, PropXMouse, PropYMouse, PropCount
};

const char *const PropertyNames[PropCount] = {
    "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible",
    "_width", "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse"};

int propertyIndex(const QString &name)
{
    for (int i = 0; i < PropCount; ++i)
        if (name.compare(QLatin1String(PropertyNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

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

// The clip's extent in twips, in its own coordinates.
QRectF boundsOf(const DisplayObject &clip, int nesting = 0)
{
    if (const auto *shape = dynamic_cast<const ShapeDef *>(clip.character))
        return shape->bounds;
    if (const auto *text = dynamic_cast<const TextDef *>(clip.character))
        return text->matrix.mapRect(text->bounds);
    if (const auto *edit = dynamic_cast<const EditTextDef *>(clip.character))
        return edit->bounds;
    QRectF bounds;
    if (nesting < 32) {
        for (const auto &[depth, child] : clip.children)
            bounds = bounds.united(child->matrix.mapRect(boundsOf(*child, nesting + 1)));
    }
    return bounds;
}

class Runner {
public:
    Runner(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions)
        : m_player(player), m_origin(refTo(&clip)), m_code(actions), m_version(player.version())
    {
        m_target = m_origin;
    }

    void run();

private:
    Value pop()
    {
        if (m_stack.empty())
            return Undefined{};
        Value v = std::move(m_stack.back());
        m_stack.pop_back();
        return v;
    }
    void push(Value v)
    {
        if (auto *text = std::get_if<QString>(&v)) {
            if (text->size() > MaxStringLength)
                text->truncate(MaxStringLength);
            m_player.spend(int(text->size() / CharactersPerUnit));
        }
        // A runaway script may push without end; the stack keeps a bounded depth.
        if (m_stack.size() < MaxStackDepth)
            m_stack.push_back(std::move(v));
    }

    QString toString(const Value &v) const;
    double toNumber(const Value &v) const;
    bool toBool(const Value &v) const;
    Value boolean(bool b) const { return m_version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0); }
    QString key(const QString &name) const { return m_version >= 7 ? name : name.toLower(); }

    void pushConstants(SwfReader &r);
    void gotoFrame2(bool play, int bias);
    DisplayObject *clipAt(const QString &path);
    // Where a variable name points: the clip that holds it, the path given, the name itself.
    struct VariablePlace {
        DisplayObject *owner;
        QString path;
        QString variable;
    };
    VariablePlace locate(const QString &name);
    Value getVariable(const QString &name);
    void setVariable(const QString &name, const QString &value);
    Value getProperty(DisplayObject &clip, int index);
    void setProperty(DisplayObject &clip, int index, const Value &value);
    Value getMember(const Value &object, const QString &name);
    void setMember(const Value &object, const QString &name, const Value &value);
    Value callMethod(const Value &object, const QString &name, const std::vector<Value> &args);
    std::vector<Value> popArguments();

    DisplayObject *target() const { return m_target.get(); }

    MoviePlayer &m_player;
    ClipRef m_origin;
    ClipRef m_target;
    QByteArray m_code;
    int m_version;
    std::vector<Value> m_stack;
    std::vector<QString> m_constants;
    Value m_registers[GlobalRegisters];
};

QString Runner::toString(const Value &v) const
{
    if (const auto *s = std::get_if<QString>(&v))
        return *s;
    if (const auto *b = std::get_if<bool>(&v))
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    if (const auto *d = std::get_if<double>(&v)) {
        if (std::isnan(*d))
            return QStringLiteral("NaN");
        if (std::isinf(*d))
            return *d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
        if (*d == std::floor(*d) && std::fabs(*d) < 1e15)
            return QString::number(qint64(*d));
        return QString::number(*d, 'g', 15);
    }
    if (const auto *clip = std::get_if<ClipRef>(&v)) {
        const DisplayObject *c = clip->get();
        if (!c)
            return QString();
        if (m_version >= 5) {
            QString path = c->path();
            path.replace(u'/', u'.');
            return path == QLatin1String(".") ? QStringLiteral("_level0") : QStringLiteral("_level0") + path;
        }
        return c->path();
    }
    return m_version >= 7 ? QStringLiteral("undefined") : QString();
}

double Runner::toNumber(const Value &v) const
{
    if (const auto *d = std::get_if<double>(&v))
        return *d;
    if (const auto *b = std::get_if<bool>(&v))
        return *b ? 1 : 0;
    if (const auto *s = std::get_if<QString>(&v)) {
        const QString text = s->trimmed();
        if (text.isEmpty())
            return m_version >= 7 ? std::nan("") : 0;
        bool ok = false;
        const double d = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? double(text.mid(2).toLongLong(&ok, 16))
                                                                                   : text.toDouble(&ok);
        return ok ? d : std::nan("");
    }
    if (std::holds_alternative<ClipRef>(v))
        return std::nan("");
    return m_version >= 7 ? std::nan("") : 0;
}

bool Runner::toBool(const Value &v) const
{
    if (const auto *b = std::get_if<bool>(&v))
        return *b;
    if (const auto *clip = std::get_if<ClipRef>(&v))
        return clip->get() != nullptr;
    if (std::holds_alternative<QString>(v) && m_version >= 7)
        return !std::get<QString>(v).isEmpty();
    const double d = toNumber(v);
    return d != 0 && !std::isnan(d);
}

void Runner::pushConstants(SwfReader &r)
{
    while (!r.atEnd() && !r.overrun()) {
        switch (r.u8()) {
        case 0: push(r.string(m_version)); break;
        case 1: push(double(r.f32())); break;
        case 2:
        case 3: push(Undefined{}); break;
        case 4: {
            const int index = r.u8();
            push(index < GlobalRegisters ? m_registers[index] : Value(Undefined{}));
            break;
        }
        case 5: push(r.u8() != 0); break;
        case 6: push(r.f64swapped()); break;
        case 7: push(double(int32_t(r.u32()))); break;
        case 8: {
            const int index = r.u8();
            push(index < int(m_constants.size()) ? Value(m_constants[size_t(index)]) : Value(Undefined{}));
            break;
        }
        case 9: {
            const int index = r.u16();
            push(index < int(m_constants.size()) ? Value(m_constants[size_t(index)]) : Value(Undefined{}));
            break;
        }
        default: return;
        }
    }
}

DisplayObject *Runner::clipAt(const QString &path)
{
    DisplayObject *from = target() ? target() : m_origin.get();
    return from ? m_player.resolveTarget(*from, path) : nullptr;
}

Runner::VariablePlace Runner::locate(const QString &name)
{
    // "path:variable", "/path:variable", dotted "_root.clip.variable", or a plain name.
    VariablePlace place{nullptr, QString(), name};
    const int colon = int(name.lastIndexOf(u':'));
    const int dot = int(name.lastIndexOf(u'.'));
    if (colon >= 0) {
        place.path = name.left(colon);
        place.variable = name.mid(colon + 1);
    } else if (dot > 0 && m_version >= 5) {
        place.path = name.left(dot);
        place.variable = name.mid(dot + 1);
    }
    place.owner = place.path.isEmpty() ? target() : clipAt(place.path);
    return place;
}

Value Runner::getVariable(const QString &name)
{
    const auto [owner, path, variable] = locate(name);
    if (!owner)
        return Undefined{};
    if (variable.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0 ||
        variable.compare(QLatin1String("_level0"), Qt::CaseInsensitive) == 0 ||
        variable.compare(QLatin1String("this"), Qt::CaseInsensitive) == 0 ||
        variable.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0 || variable.startsWith(u'/'))
        return refTo(clipAt(path.isEmpty() ? variable : path + u'/' + variable));
    const int property = propertyIndex(variable);
    if (property >= 0 && !path.isEmpty())
        return getProperty(*owner, property);
    const auto it = owner->variables.constFind(key(variable));
    if (it != owner->variables.cend())
        return *it;
    if (DisplayObject *child = m_player.resolveTarget(*owner, variable); child && child != owner)
        return refTo(child);
    if (property >= 0)
        return getProperty(*owner, property);
    return Undefined{};
}

void Runner::setVariable(const QString &name, const QString &value)
{
    const auto [owner, path, variable] = locate(name);
    if (!owner)
        return;
    const int property = propertyIndex(variable);
    if (property >= 0 && !path.isEmpty()) {
        setProperty(*owner, property, value);
        return;
    }
    const QString k = key(variable);
    if (owner->variables.size() < MaxVariablesPerClip || owner->variables.contains(k))
        owner->variables.insert(k, value);
}

Value Runner::getProperty(DisplayObject &clip, int index)
{
    const QTransform &m = clip.matrix;
    switch (index) {
    case PropX: return m.dx() / 20;
    case PropY: return m.dy() / 20;
    case PropXScale: return xScaleOf(m) * 100;
    case PropYScale: return yScaleOf(m) * 100;
    case PropCurrentFrame: return double(clip.isSprite() ? clip.currentFrame + 1 : 1);
    case PropTotalFrames:
    case PropFramesLoaded: return double(clip.isSprite() ? clip.frameCount() : 1);
    case PropAlpha: return clip.cxform.alphaMult * 100.0 / 256;
    case PropVisible: return boolean(clip.visible);
    case PropWidth: return m.mapRect(boundsOf(clip)).width() / 20;
    case PropHeight: return m.mapRect(boundsOf(clip)).height() / 20;
    case PropRotation: return rotationOf(m);
    case PropTarget: return clip.path();
    case PropName: return clip.name;
    case PropHighQuality: return 1.0;
    case PropQuality: return QStringLiteral("HIGH");
    case PropFocusRect: return 1.0;
    case PropSoundBufTime: return 5.0;
    default: return m_version >= 5 ? Value(QString()) : Value(0.0);
    }
}

void Runner::setProperty(DisplayObject &clip, int index, const Value &value)
{
    const double v = toNumber(value);
    QTransform &m = clip.matrix;
    const bool finite = std::isfinite(v);
    switch (index) {
    case PropX:
        if (finite)
            m = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), v * 20, m.dy());
        break;
    case PropY:
        if (finite)
            m = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), v * 20);
        break;
    case PropXScale:
        if (finite)
            m = composed(v / 100, yScaleOf(m), rotationOf(m), m);
        break;
    case PropYScale:
        if (finite)
            m = composed(xScaleOf(m), v / 100, rotationOf(m), m);
        break;
    case PropRotation:
        if (finite)
            m = composed(xScaleOf(m), yScaleOf(m), v, m);
        break;
    case PropAlpha:
        if (finite)
            clip.cxform.alphaMult = int(std::clamp(v, -32768.0, 32767.0) * 256 / 100);
        break;
    case PropVisible:
        clip.visible = toBool(value);
        break;
    case PropWidth:
    case PropHeight: {
        const QRectF extent = m.mapRect(boundsOf(clip));
        const double now = index == PropWidth ? extent.width() : extent.height();
        if (finite && now > 0) {
            const double factor = v * 20 / now;
            m = index == PropWidth ? composed(xScaleOf(m) * factor, yScaleOf(m), rotationOf(m), m)
                                   : composed(xScaleOf(m), yScaleOf(m) * factor, rotationOf(m), m);
        }
        break;
    }
    case PropName:
        clip.name = toString(value);
        break;
    default:
        return;
    }
    m_player.markChanged();
}

Value Runner::getMember(const Value &object, const QString &name)
{
    const auto *ref = std::get_if<ClipRef>(&object);
    DisplayObject *clip = ref ? ref->get() : nullptr;
    if (!clip) {
        if (const auto *text = std::get_if<QString>(&object); text && name == QLatin1String("length"))
            return double(text->size());
        return Undefined{};
    }
    if (name.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0)
        return clip->parent ? Value(refTo(clip->parent)) : Value(Undefined{});
    const auto it = clip->variables.constFind(key(name));
    if (it != clip->variables.cend())
        return *it;
    for (auto &[depth, child] : clip->children) {
        if (m_version >= 7 ? child->name == name : child->name.compare(name, Qt::CaseInsensitive) == 0)
            return refTo(child.get());
    }
    const int property = propertyIndex(name);
    return property >= 0 ? getProperty(*clip, property) : Value(Undefined{});
}

void Runner::setMember(const Value &object, const QString &name, const Value &value)
{
    const auto *ref = std::get_if<ClipRef>(&object);
    DisplayObject *clip = ref ? ref->get() : nullptr;
    if (!clip)
        return;
    const int property = propertyIndex(name);
    if (property >= 0) {
        setProperty(*clip, property, value);
        return;
    }
    const QString k = key(name);
    if (clip->variables.size() < MaxVariablesPerClip || clip->variables.contains(k))
        clip->variables.insert(k, toString(value));
}

std::vector<Value> Runner::popArguments()
{
    const double count = toNumber(pop());
    std::vector<Value> args;
    const int n = std::isfinite(count) ? int(std::clamp(count, 0.0, double(m_stack.size()))) : 0;
    for (int i = 0; i < n; ++i)
        args.push_back(pop());
    return args;
}

Value Runner::callMethod(const Value &object, const QString &name, const std::vector<Value> &args)
{
    const auto *ref = std::get_if<ClipRef>(&object);
    DisplayObject *clip = ref ? ref->get() : nullptr;
    if (!clip)
        return Undefined{};
    const QString method = name.toLower();
    const auto gotoFrame = [&](bool play) {
        if (args.empty())
            return;
        if (const auto *label = std::get_if<QString>(&args[0])) {
            bool numeric = false;
            const int number = label->toInt(&numeric);
            if (numeric)
                m_player.gotoFrame(*clip, number - 1, play);
            else
                m_player.gotoLabel(*clip, *label, play);
        } else {
            const double frame = toNumber(args[0]);
            if (std::isfinite(frame))
                m_player.gotoFrame(*clip, int(frame) - 1, play);
        }
    };
    if (method == QLatin1String("play"))
        clip->playing = true;
    else if (method == QLatin1String("stop"))
        clip->playing = false;
    else if (method == QLatin1String("gotoandplay"))
        gotoFrame(true);
    else if (method == QLatin1String("gotoandstop"))
        gotoFrame(false);
    else if (method == QLatin1String("nextframe"))
        m_player.gotoFrame(*clip, clip->currentFrame + 1, false);
    else if (method == QLatin1String("prevframe"))
        m_player.gotoFrame(*clip, clip->currentFrame - 1, false);
    return Undefined{};
}

void Runner::gotoFrame2(bool play, int bias)
{
    const Value frame = pop();
    DisplayObject *t = target();
    if (!t)
        return;
    if (const auto *text = std::get_if<QString>(&frame)) {
        QString label = *text;
        DisplayObject *clip = t;
        const int colon = int(label.lastIndexOf(u':'));
        if (colon >= 0) {
            clip = m_player.resolveTarget(*t, label.left(colon));
            label = label.mid(colon + 1);
        }
        if (!clip)
            return;
        bool numeric = false;
        const int number = label.toInt(&numeric);
        if (numeric)
            m_player.gotoFrame(*clip, number - 1 + bias, play);
        else
            m_player.gotoLabel(*clip, label, play);
        return;
    }
    const double number = toNumber(frame);
    if (std::isfinite(number))
        m_player.gotoFrame(*t, int(number) - 1 + bias, play);
}

void Runner::run()
{
    SwfReader r(m_code);
    int budget = MoviePlayer::MaxActionsPerBlock;
    while (!r.atEnd() && budget-- > 0 && m_player.spend(1)) {
        const int code = r.u8();
        if (code == 0)
            break;
        const int length = code >= 0x80 ? r.u16() : 0;
        SwfReader body = r.sub(length);
        const int next = r.position();
        if (r.overrun())
            break;
        DisplayObject *t = target();
        switch (code) {
        // Timeline control.
        case 0x04: if (t) m_player.gotoFrame(*t, t->currentFrame + 1, false); break;
        case 0x05: if (t) m_player.gotoFrame(*t, t->currentFrame - 1, false); break;
        case 0x06: if (t) t->playing = true; break;
        case 0x07: if (t) t->playing = false; break;
        case 0x08: break; // quality: drawing is always smooth
        case 0x09: m_player.stopSounds(); break;
        case 0x81: if (t) m_player.gotoFrame(*t, body.u16(), false); break;
        case 0x8C: if (t) m_player.gotoLabel(*t, body.string(m_version), false); break;
        case 0x9F: {
            const int flags = body.u8();
            gotoFrame2(flags & 1, (flags & 2) ? body.u16() : 0);
            break;
        }
        case 0x8A: // WaitForFrame: every frame of a local file is loaded
            break;
        case 0x8D: pop(); break;
        case 0x8B: {
            const QString name = body.string(m_version);
            m_target = name.isEmpty() ? m_origin : refTo(clipAt(name));
            break;
        }
        case 0x20: {
            const Value where = pop();
            if (const auto *clip = std::get_if<ClipRef>(&where))
                m_target = *clip;
            else
                m_target = toString(where).isEmpty() ? m_origin : refTo(clipAt(toString(where)));
            break;
        }
        case 0x83: {
            const QString url = body.string(m_version);
            m_player.getUrl(url, body.string(m_version));
            break;
        }
        case 0x9A: {
            const QString where = toString(pop());
            m_player.getUrl(toString(pop()), where);
            break;
        }
        case 0x9E: { // CallFrame: run another frame's actions here
            const Value frame = pop();
            if (t && t->isSprite()) {
                const double n = toNumber(frame);
                int index = std::isfinite(n) ? int(n) - 1 : t->timeline->labels.value(toString(frame).toLower(), -1);
                if (index >= 0 && index < t->frameCount())
                    for (const QByteArray &actions : t->timeline->frames[size_t(index)].actions)
                        RunActions(m_player, *t, actions);
            }
            break;
        }
        // The stack and registers.
        case 0x96: pushConstants(body); break;
        case 0x17: pop(); break;
        case 0x4C: { const Value v = m_stack.empty() ? Value(Undefined{}) : m_stack.back(); push(v); break; }
        case 0x4D: {
            const Value b = pop();
            const Value a = pop();
            push(b);
            push(a);
            break;
        }
        case 0x87: {
            const int index = body.u8();
            if (index < GlobalRegisters)
                m_registers[index] = m_stack.empty() ? Value(Undefined{}) : m_stack.back();
            break;
        }
        case 0x88: {
            m_constants.clear();
            const int count = body.u16();
            for (int i = 0; i < count && !body.overrun(); ++i)
                m_constants.push_back(body.string(m_version));
            break;
        }
        // Arithmetic, comparison and logic.
        case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x3F: {
            const double b = toNumber(pop());
            const double a = toNumber(pop());
            double result = 0;
            switch (code) {
            case 0x0A: result = a + b; break;
            case 0x0B: result = a - b; break;
            case 0x0C: result = a * b; break;
            case 0x0D:
                result = b == 0 && m_version < 5 ? std::nan("") : a / b;
                break;
            default: result = std::fmod(a, b); break;
            }
            if (code == 0x0D && b == 0 && m_version < 5) {
                push(QStringLiteral("#ERROR#"));
                break;
            }
            push(result);
            break;
        }
        case 0x50: push(toNumber(pop()) + 1); break;
        case 0x51: push(toNumber(pop()) - 1); break;
        case 0x0E: { const double b = toNumber(pop()); push(boolean(toNumber(pop()) == b)); break; }
        case 0x0F: { const double b = toNumber(pop()); push(boolean(toNumber(pop()) < b)); break; }
        case 0x10: { const bool b = toBool(pop()); push(boolean(toBool(pop()) && b)); break; }
        case 0x11: { const bool b = toBool(pop()); push(boolean(toBool(pop()) || b)); break; }
        case 0x12: push(boolean(!toBool(pop()))); break;
        case 0x48: case 0x67: {
            const Value b = pop();
            const Value a = pop();
            const bool less = code == 0x48;
            if (std::holds_alternative<QString>(a) && std::holds_alternative<QString>(b)) {
                const int order = std::get<QString>(a).compare(std::get<QString>(b));
                push(boolean(less ? order < 0 : order > 0));
            } else {
                const double x = toNumber(a), y = toNumber(b);
                if (std::isnan(x) || std::isnan(y))
                    push(Undefined{});
                else
                    push(boolean(less ? x < y : x > y));
            }
            break;
        }
        case 0x49: case 0x66: {
            const Value b = pop();
            const Value a = pop();
            if (a.index() == b.index() || code == 0x49) {
                if (std::holds_alternative<QString>(a) && std::holds_alternative<QString>(b))
                    push(boolean(std::get<QString>(a) == std::get<QString>(b)));
                else if (std::holds_alternative<Undefined>(a) || std::holds_alternative<Undefined>(b))
                    push(boolean(a.index() == b.index()));
                else if (std::holds_alternative<ClipRef>(a) || std::holds_alternative<ClipRef>(b))
                    push(boolean(a.index() == b.index() && std::get<ClipRef>(a).get() == std::get<ClipRef>(b).get()));
                else
                    push(boolean(toNumber(a) == toNumber(b)));
            } else {
                push(boolean(false));
            }
            break;
        }
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
            const auto toInt = [this](const Value &v) {
                const double d = toNumber(v);
                return std::isfinite(d) ? int32_t(uint32_t(int64_t(std::fmod(std::trunc(d), 4294967296.0)))) : 0;
            };
            const int32_t b = toInt(pop());
            const int32_t a = toInt(pop());
            switch (code) {
            case 0x60: push(double(a & b)); break;
            case 0x61: push(double(a | b)); break;
            case 0x62: push(double(a ^ b)); break;
            case 0x63: push(double(int32_t(uint32_t(a) << (b & 31)))); break;
            case 0x64: push(double(a >> (b & 31))); break;
            default: push(double(uint32_t(a) >> (b & 31))); break;
            }
            break;
        }
        case 0x18: {
            const double d = toNumber(pop());
            push(std::isfinite(d) ? std::trunc(d) : (m_version >= 5 && std::isnan(d) ? 0.0 : d));
            break;
        }
        case 0x30: {
            const double max = toNumber(pop());
            push(max >= 1 ? double(QRandomGenerator::global()->bounded(int(std::min(max, 2147483647.0)))) : 0.0);
            break;
        }
        case 0x34: push(double(m_player.elapsedMs())); break;
        // Strings.
        case 0x13: { const QString b = toString(pop()); push(boolean(toString(pop()) == b)); break; }
        case 0x29: { const QString b = toString(pop()); push(boolean(toString(pop()) < b)); break; }
        case 0x68: { const QString b = toString(pop()); push(boolean(toString(pop()) > b)); break; }
        case 0x14:
        case 0x31: push(double(toString(pop()).size())); break;
        case 0x21: { const QString b = toString(pop()); push(toString(pop()) + b); break; }
        case 0x15:
        case 0x35: {
            const double count = toNumber(pop());
            const double index = toNumber(pop());
            const QString text = toString(pop());
            const int from = std::isfinite(index) ? int(std::clamp(index - 1, 0.0, double(text.size()))) : 0;
            const int n = std::isfinite(count) && count >= 0 ? int(std::min(count, double(text.size()))) : int(text.size());
            push(text.mid(from, n));
            break;
        }
        case 0x32: {
            const QString text = toString(pop());
            push(text.isEmpty() ? 0.0 : double(text.at(0).unicode()));
            break;
        }
        case 0x33: {
            const double code16 = toNumber(pop());
            push(std::isfinite(code16) ? QString(QChar(char16_t(int64_t(code16) & 0xFFFF))) : QString());
            break;
        }
        case 0x47: {
            const Value b = pop();
            const Value a = pop();
            if (std::holds_alternative<QString>(a) || std::holds_alternative<QString>(b))
                push(toString(a) + toString(b));
            else
                push(toNumber(a) + toNumber(b));
            break;
        }
        case 0x4A: push(toNumber(pop())); break;
        case 0x4B: push(toString(pop())); break;
        case 0x44: {
            const Value v = pop();
            push(QString::fromLatin1(std::holds_alternative<double>(v)   ? "number"
                                     : std::holds_alternative<QString>(v) ? "string"
                                     : std::holds_alternative<bool>(v)    ? "boolean"
                                     : std::holds_alternative<ClipRef>(v) ? "movieclip"
                                                                          : "undefined"));
            break;
        }
        // Variables, properties and members.
        case 0x1C: push(getVariable(toString(pop()))); break;
        case 0x1D: {
            const QString value = toString(pop());
            setVariable(toString(pop()), value);
            break;
        }
        case 0x3C: {
            const QString value = toString(pop());
            setVariable(toString(pop()), value);
            break;
        }
        case 0x41: {
            const QString name = toString(pop());
            if (t && !t->variables.contains(key(name)))
                setVariable(name, QString());
            break;
        }
        case 0x22: {
            const double index = toNumber(pop());
            const QString where = toString(pop());
            DisplayObject *clip = where.isEmpty() ? t : clipAt(where);
            const int i = std::isfinite(index) ? int(index) : -1;
            push(clip && i >= 0 && i < PropCount ? getProperty(*clip, i) : Value(Undefined{}));
            break;
        }
        case 0x23: {
            const Value value = pop();
            const double index = toNumber(pop());
            const QString where = toString(pop());
            DisplayObject *clip = where.isEmpty() ? t : clipAt(where);
            if (clip && std::isfinite(index) && index >= 0 && index < PropCount)
                setProperty(*clip, int(index), value);
            break;
        }
        case 0x45: {
            const Value v = pop();
            const auto *clip = std::get_if<ClipRef>(&v);
            push(clip && clip->get() ? Value(clip->get()->path()) : Value(Undefined{}));
            break;
        }
        case 0x4E: {
            const QString name = toString(pop());
            push(getMember(pop(), name));
            break;
        }
        case 0x4F: {
            const Value value = pop();
            const QString name = toString(pop());
            setMember(pop(), name, value);
            break;
        }
        case 0x52: {
            const QString name = toString(pop());
            const Value object = pop();
            push(callMethod(object, name, popArguments()));
            break;
        }
        case 0x3D: {
            const QString name = toString(pop());
            const std::vector<Value> args = popArguments();
            push(name.compare(QLatin1String("getTimer"), Qt::CaseInsensitive) == 0 ? Value(double(m_player.elapsedMs()))
                                                                                  : callMethod(refTo(t), name, args));
            break;
        }
        case 0x26: m_player.trace(toString(pop())); break;
        // Jumps.
        case 0x99:
        case 0x9D: {
            const int offset = int16_t(body.u16());
            if (code == 0x9D && !toBool(pop()))
                break;
            const int destination = next + offset;
            if (destination < 0 || destination > r.size())
                return;
            r.seek(destination);
            break;
        }
        default:
            break; // unknown actions are skipped by their length
        }
    }
}

} // namespace

void RunActions(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions)
{
    Runner(player, clip, actions).run();
}

} // namespace swf
