#include "ActionRunner.h"

#include "swf/DrawingMethods.h"
#include "swf/MoviePlayer.h"
#include "swf/ScriptEngine.h"

#include <QRandomGenerator>

#include <climits>
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
// Deepest nesting of conversions that call scripts (an array holding itself).
constexpr int MaxConversionDepth = 64;
// Deepest nesting of `with` blocks, as in the reference player.
constexpr size_t MaxWithDepth = 16;

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

// A script number as a frame or index: NaN and infinities become fallback,
// everything else is cut to the int range first.
int toInt(double d, int fallback = 0)
{
    return std::isnan(d) ? fallback : int(std::clamp(std::trunc(d), double(INT_MIN / 2), double(INT_MAX / 2)));
}

// The movie-wide properties a plain name reaches from any timeline.
bool isGlobalProperty(int property)
{
    return property >= PropHighQuality && property <= PropQuality;
}

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
    QRectF bounds = clip.drawing ? clip.drawing->bounds() : QRectF();
    if (nesting < 32) {
        for (const auto &[depth, child] : clip.children)
            bounds = bounds.united(child->matrix.mapRect(boundsOf(*child, nesting + 1)));
    }
    return bounds;
}

// Runs one block of actions: a frame's or a button's, or a function body.
class Runner : public ScriptContext {
public:
    // A frame or button block, on behalf of clip.
    Runner(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions)
        : m_player(player), m_engine(player.script()), m_origin(refTo(&clip)), m_code(actions),
          m_version(player.version()), m_this(refTo(&clip)), m_registers(GlobalRegisters)
    {
        m_target = m_origin;
    }
    // A call of a script function.
    Runner(MoviePlayer &player, const ScriptObject &function, const Value &self, const std::vector<Value> &args);

    // Runs to the end, a Return or a throw nobody catches; the returned value.
    Value run();
    // The value thrown out of the block, if one was.
    const std::optional<Value> &thrown() const { return m_thrown; }

    QString toString(const Value &v) override;
    double toNumber(const Value &v) override;
    bool toBool(const Value &v) override;
    Value call(const Value &function, const Value &self, const std::vector<Value> &args) override;
    ScriptEngine &engine() override { return m_engine; }
    MoviePlayer &player() override { return m_player; }
    // Runs an interval's function, or its object's method.
    void runInterval(const ScriptEngine::Interval &interval)
    {
        if (interval.method.isEmpty())
            call(interval.function, Undefined{}, interval.args);
        else
            callMethod(interval.self, interval.method, interval.args);
    }

private:
    // An object scope of a `with` block, while the code runs between its
    // start and end.
    struct WithScope {
        Value object;
        int start, end;
    };
    // A try block's regions: try, catch, finally, each ending where the next begins.
    struct TryBlock {
        int tryEnd, catchEnd, finallyEnd;
        bool hasCatch;
        int catchRegister; // -1: the catch value goes to a variable
        QString catchName;
        bool inCatch = false;
    };

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
    void push(ScriptObject *object)
    {
        if (object)
            m_stack.push_back(object);
        else
            push(Undefined{});
    }

    Value boolean(bool b) const { return m_version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0); }
    QString key(const QString &name) const { return m_engine.key(name); }
    bool equals(const Value &a, const Value &b);
    // An object's own valueOf, when a script gave it one and it answers a
    // plain value; otherwise the object's text.
    Value toPrimitive(const Value &v);
    bool strictlyEquals(const Value &a, const Value &b) const;

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
    bool isPath(const QString &name) const;
    Value getVariable(const QString &name);
    void setVariable(const QString &name, const Value &value);
    void defineLocal(const QString &name, const Value &value);
    Value getProperty(DisplayObject &clip, int index);
    void setProperty(DisplayObject &clip, int index, const Value &value);
    Value getMember(const Value &object, const QString &name);
    bool hasMember(const Value &object, const QString &name);
    void setMember(const Value &object, const QString &name, const Value &value);
    bool deleteMember(const Value &object, const QString &name);
    Value callMethod(const Value &object, const QString &name, const std::vector<Value> &args);
    Value callClipMethod(DisplayObject &clip, const QString &name, const std::vector<Value> &args);
    Value construct(const Value &constructor, const std::vector<Value> &args);
    bool instanceOf(const Value &object, const Value &constructor);
    void enumerate(const Value &object);
    std::vector<Value> popArguments();
    ScriptObject *defineFunction(SwfReader &r, SwfReader &body, bool version2);
    // Hands a thrown value to the innermost try block; false when none takes it.
    bool catchThrown(const Value &value, SwfReader &r);

    DisplayObject *target() const { return m_target.get(); }

    MoviePlayer &m_player;
    ScriptEngine &m_engine;
    ClipRef m_origin;
    ClipRef m_target;
    QByteArray m_code;
    int m_version;
    Value m_this;
    std::vector<Value> m_stack;
    std::vector<QString> m_constants;
    std::vector<Value> m_registers;
    ScriptObject *m_activation = nullptr;   // a function's locals
    std::vector<ScriptObject *> m_scopes;   // the functions' around it, innermost last
    std::vector<WithScope> m_with;
    std::vector<TryBlock> m_tries;
    Value m_returned;
    std::optional<Value> m_thrown;
    bool m_done = false;
};

Value refOrUndefined(DisplayObject *clip)
{
    return clip ? Value(refTo(clip)) : Value(Undefined{});
}

// Keeps count of nested function calls.
class CallDepth {
public:
    explicit CallDepth(ScriptEngine &engine) : m_engine(engine) { ++m_engine.callDepth; }
    ~CallDepth() { --m_engine.callDepth; }
    CallDepth(const CallDepth &) = delete;
    CallDepth &operator=(const CallDepth &) = delete;

private:
    ScriptEngine &m_engine;
};

Runner::Runner(MoviePlayer &player, const ScriptObject &function, const Value &self, const std::vector<Value> &args)
    : m_player(player), m_engine(player.script()), m_origin(function.scopeClip), m_code(function.code),
      m_version(player.version()), m_this(self), m_constants(function.constants), m_scopes(function.scopes)
{
    m_target = m_origin;
    if (std::holds_alternative<Undefined>(m_this))
        m_this = m_origin;
    m_activation = m_engine.newObject();
    const auto local = [this](const QString &name, const Value &value) {
        if (m_activation)
            m_activation->set(key(name), name, value);
    };
    ScriptObject *arguments = nullptr;
    if (!function.function2) {
        m_registers.resize(GlobalRegisters);
        arguments = m_engine.newArray(args);
        for (size_t i = 0; i < function.parameters.size(); ++i)
            local(function.parameters[i].name, i < args.size() ? args[i] : Value(Undefined{}));
        if (arguments)
            local(QStringLiteral("arguments"), arguments);
        return;
    }
    m_registers.resize(size_t(std::clamp(function.registerCount, 1, 256)));
    const int flags = function.flags;
    if (!(flags & 0x08))
        arguments = m_engine.newArray(args);
    // Preloaded values fill the registers from 1 in a fixed order.
    size_t next = 1;
    const auto preload = [&](int flag, const Value &value) {
        if ((flags & flag) && next < m_registers.size())
            m_registers[next++] = value;
    };
    DisplayObject *origin = m_origin.get();
    preload(0x01, m_this);
    preload(0x04, arguments ? Value(arguments) : Value(Undefined{}));
    preload(0x10, Undefined{});
    preload(0x40, refTo(origin ? &m_player.root() : nullptr));
    preload(0x80, origin && origin->parent ? Value(refTo(origin->parent)) : Value(Undefined{}));
    preload(0x100, m_engine.global());
    if (arguments && !(flags & 0x04))
        local(QStringLiteral("arguments"), arguments);
    for (size_t i = 0; i < function.parameters.size(); ++i) {
        const Value value = i < args.size() ? args[i] : Value(Undefined{});
        const int reg = function.parameters[i].reg;
        if (reg > 0 && size_t(reg) < m_registers.size())
            m_registers[size_t(reg)] = value;
        else
            local(function.parameters[i].name, value);
    }
}

QString Runner::toString(const Value &v)
{
    if (const auto *s = std::get_if<QString>(&v))
        return *s;
    if (const auto *b = std::get_if<bool>(&v))
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    if (const auto *d = std::get_if<double>(&v))
        return NumberToString(*d);
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
    if (const auto *object = std::get_if<ScriptObject *>(&v)) {
        ScriptObject *o = *object;
        if (o->isCallable())
            return QStringLiteral("[type Function]");
        if (o->kind != ScriptObject::Kind::Array && !o->elements.empty())
            return toString(o->elements.front()); // a boxed string
        if (m_engine.callDepth >= MaxConversionDepth)
            return QString();
        CallDepth depth(m_engine);
        if (o->kind == ScriptObject::Kind::Array) {
            QString joined;
            for (size_t i = 0; i < o->elements.size() && joined.size() < MaxStringLength; ++i) {
                if (i > 0)
                    joined += u',';
                const Value &element = o->elements[i];
                if (!std::holds_alternative<Undefined>(element) && !std::holds_alternative<Null>(element))
                    joined += toString(element);
            }
            return joined;
        }
        // A script's own toString speaks for its objects.
        const Value *method = o->find(key(QStringLiteral("toString")));
        if (method && std::holds_alternative<ScriptObject *>(*method) &&
            std::get<ScriptObject *>(*method)->kind == ScriptObject::Kind::Function) {
            const Value text = call(*method, v, {});
            return std::holds_alternative<ScriptObject *>(text) ? QStringLiteral("[object Object]") : toString(text);
        }
        return QStringLiteral("[object Object]");
    }
    if (std::holds_alternative<Null>(v))
        return QStringLiteral("null");
    return m_version >= 7 ? QStringLiteral("undefined") : QString();
}

double Runner::toNumber(const Value &v)
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
    if (std::holds_alternative<ScriptObject *>(v)) {
        if (m_engine.callDepth >= MaxConversionDepth)
            return std::nan("");
        CallDepth depth(m_engine);
        return toNumber(toPrimitive(v));
    }
    if (std::holds_alternative<ClipRef>(v))
        return std::nan("");
    return m_version >= 7 ? std::nan("") : 0;
}

bool Runner::toBool(const Value &v)
{
    if (const auto *b = std::get_if<bool>(&v))
        return *b;
    if (const auto *clip = std::get_if<ClipRef>(&v))
        return clip->get() != nullptr;
    if (std::holds_alternative<ScriptObject *>(v))
        return true;
    if (std::holds_alternative<QString>(v) && m_version >= 7)
        return !std::get<QString>(v).isEmpty();
    const double d = toNumber(v);
    return d != 0 && !std::isnan(d);
}

Value Runner::toPrimitive(const Value &v)
{
    const auto *object = std::get_if<ScriptObject *>(&v);
    if (!object)
        return v;
    if (!(*object)->elements.empty() && (*object)->kind != ScriptObject::Kind::Array)
        return (*object)->elements.front();
    const Value *method = (*object)->find(key(QStringLiteral("valueOf")));
    if (method && std::holds_alternative<ScriptObject *>(*method) &&
        std::get<ScriptObject *>(*method)->kind == ScriptObject::Kind::Function) {
        const Value value = call(*method, v, {});
        if (!std::holds_alternative<ScriptObject *>(value))
            return value;
    }
    return toString(v);
}

bool Runner::strictlyEquals(const Value &a, const Value &b) const
{
    if (a.index() != b.index())
        return false;
    if (const auto *x = std::get_if<double>(&a))
        return *x == std::get<double>(b);
    if (const auto *x = std::get_if<QString>(&a))
        return *x == std::get<QString>(b);
    if (const auto *x = std::get_if<bool>(&a))
        return *x == std::get<bool>(b);
    if (const auto *x = std::get_if<ClipRef>(&a))
        return x->get() == std::get<ClipRef>(b).get();
    if (const auto *x = std::get_if<ScriptObject *>(&a))
        return *x == std::get<ScriptObject *>(b);
    return true; // undefined, null
}

bool Runner::equals(const Value &a, const Value &b)
{
    const auto nullish = [](const Value &v) { return std::holds_alternative<Undefined>(v) || std::holds_alternative<Null>(v); };
    if (a.index() == b.index())
        return strictlyEquals(a, b);
    if (nullish(a) || nullish(b))
        return nullish(a) && nullish(b);
    const auto reference = [](const Value &v) {
        return std::holds_alternative<ScriptObject *>(v) || std::holds_alternative<ClipRef>(v);
    };
    if (reference(a) && reference(b))
        return false;
    if (reference(a) || reference(b)) {
        const Value &object = reference(a) ? a : b;
        const Value &other = reference(a) ? b : a;
        if (std::holds_alternative<ClipRef>(object))
            return std::holds_alternative<QString>(other) && toString(object) == std::get<QString>(other);
        return equals(toPrimitive(object), other);
    }
    return toNumber(a) == toNumber(b);
}

void Runner::pushConstants(SwfReader &r)
{
    while (!r.atEnd() && !r.overrun()) {
        switch (r.u8()) {
        case 0: push(r.string(m_version)); break;
        case 1: push(double(r.f32())); break;
        case 2: push(Null{}); break;
        case 3: push(Undefined{}); break;
        case 4: {
            const size_t index = r.u8();
            push(index < m_registers.size() ? m_registers[index] : Value(Undefined{}));
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
    const auto [path, variable] = SplitVariablePath(name, m_version);
    return {path.isEmpty() ? target() : clipAt(path), path, variable};
}

bool Runner::isPath(const QString &name) const
{
    return name.contains(u':') || name.contains(u'/') || (m_version >= 5 && name.indexOf(u'.') > 0);
}

Value Runner::getVariable(const QString &name)
{
    const auto is = [&name](const char *word) { return name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; };
    if (is("this"))
        return m_this;
    if (is("_global") && m_version >= 6)
        return m_engine.global();
    if (!isPath(name)) {
        const QString k = key(name);
        for (auto it = m_with.rbegin(); it != m_with.rend(); ++it)
            if (hasMember(it->object, name))
                return getMember(it->object, name);
        if (m_activation)
            if (const Value *local = m_activation->own(k))
                return *local;
        for (auto it = m_scopes.rbegin(); it != m_scopes.rend(); ++it)
            if (const Value *outer = (*it)->own(k))
                return *outer;
    }
    const auto [owner, path, variable] = locate(name);
    if (!owner)
        return Undefined{};
    if (variable.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0 ||
        variable.compare(QLatin1String("_level0"), Qt::CaseInsensitive) == 0 ||
        variable.compare(QLatin1String("this"), Qt::CaseInsensitive) == 0 ||
        variable.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0 || variable.startsWith(u'/'))
        return refTo(clipAt(path.isEmpty() ? variable : path + u'/' + variable));
    const int property = propertyIndex(variable);
    if (property >= 0 && (!path.isEmpty() || isGlobalProperty(property)))
        return getProperty(*owner, property);
    const auto it = owner->variables.constFind(key(variable));
    if (it != owner->variables.cend())
        return *it;
    if (DisplayObject *child = m_player.resolveTarget(*owner, variable); child && child != owner)
        return refTo(child);
    if (property >= 0)
        return getProperty(*owner, property);
    if (path.isEmpty())
        if (const Value *global = m_engine.global()->own(key(variable)))
            return *global;
    return Undefined{};
}

void Runner::setVariable(const QString &name, const Value &value)
{
    if (!isPath(name)) {
        const QString k = key(name);
        for (auto it = m_with.rbegin(); it != m_with.rend(); ++it) {
            if (hasMember(it->object, name)) {
                setMember(it->object, name, value);
                return;
            }
        }
        if (m_activation)
            if (Value *local = m_activation->own(k)) {
                *local = value;
                return;
            }
        for (auto it = m_scopes.rbegin(); it != m_scopes.rend(); ++it)
            if (Value *outer = (*it)->own(k)) {
                *outer = value;
                return;
            }
    }
    const auto [owner, path, variable] = locate(name);
    if (!owner)
        return;
    const int property = propertyIndex(variable);
    if (property >= 0 && (!path.isEmpty() || isGlobalProperty(property))) {
        setProperty(*owner, property, value);
        return;
    }
    const QString k = key(variable);
    if (owner->variables.size() < MaxVariablesPerClip || owner->variables.contains(k))
        owner->variables.insert(k, value);
    m_player.markChanged(); // a text field may show it
}

void Runner::defineLocal(const QString &name, const Value &value)
{
    if (m_activation)
        m_activation->set(key(name), name, value);
    else
        setVariable(name, value);
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
    case PropHighQuality: return m_player.quality() == Renderer::Quality::Low ? 0.0 : 1.0;
    case PropQuality: return QualityName(m_player.quality());
    case PropFocusRect: return 1.0;
    case PropSoundBufTime: return 5.0;
    case PropXMouse:
    case PropYMouse: {
        QTransform toStage = clip.matrix;
        for (const DisplayObject *p = clip.parent; p; p = p->parent)
            toStage *= p->matrix;
        const QPointF local = toStage.inverted().map(m_player.pointer());
        return (index == PropXMouse ? local.x() : local.y()) / 20;
    }
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
    case PropQuality:
        m_player.setQuality(QualityNamed(toString(value), m_player.quality()));
        break;
    case PropHighQuality:
        if (finite)
            m_player.setQuality(v <= 0 ? Renderer::Quality::Low : v >= 2 ? Renderer::Quality::Best : Renderer::Quality::High);
        break;
    default:
        return;
    }
    m_player.markChanged();
}

namespace {
// An array index written as a name, or -1.
int elementIndex(const QString &name)
{
    bool ok = false;
    const int index = name.toInt(&ok);
    return ok && index >= 0 ? index : -1;
}
} // namespace

Value Runner::getMember(const Value &object, const QString &name)
{
    const QString k = key(name);
    if (const auto *o = std::get_if<ScriptObject *>(&object)) {
        ScriptObject *obj = *o;
        if (obj->kind == ScriptObject::Kind::Array) {
            if (name == QLatin1String("length"))
                return double(obj->elements.size());
            if (const int index = elementIndex(name); index >= 0)
                return size_t(index) < obj->elements.size() ? obj->elements[size_t(index)] : Value(Undefined{});
        } else if (!obj->elements.empty() && name == QLatin1String("length")) {
            return double(toString(obj->elements.front()).size()); // a boxed string
        }
        if (name == QLatin1String("__proto__"))
            return obj->prototype ? Value(obj->prototype) : Value(Undefined{});
        const Value *member = obj->find(k);
        return member ? *member : Value(Undefined{});
    }
    if (const auto *text = std::get_if<QString>(&object)) {
        if (name == QLatin1String("length"))
            return double(text->size());
        const Value *member = m_engine.stringPrototype()->find(k);
        return member ? *member : Value(Undefined{});
    }
    if (std::holds_alternative<double>(object) || std::holds_alternative<bool>(object)) {
        const ScriptObject *prototype =
            std::holds_alternative<double>(object) ? m_engine.numberPrototype() : m_engine.booleanPrototype();
        const Value *member = prototype->find(k);
        return member ? *member : Value(Undefined{});
    }
    const auto *ref = std::get_if<ClipRef>(&object);
    DisplayObject *clip = ref ? ref->get() : nullptr;
    if (!clip)
        return Undefined{};
    if (name.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0)
        return clip->parent ? Value(refTo(clip->parent)) : Value(Undefined{});
    const auto it = clip->variables.constFind(k);
    if (it != clip->variables.cend())
        return *it;
    for (auto &[depth, child] : clip->children) {
        if (m_version >= 7 ? child->name == name : child->name.compare(name, Qt::CaseInsensitive) == 0)
            return refTo(child.get());
    }
    const int property = propertyIndex(name);
    return property >= 0 ? getProperty(*clip, property) : Value(Undefined{});
}

bool Runner::hasMember(const Value &object, const QString &name)
{
    if (const auto *o = std::get_if<ScriptObject *>(&object))
        return (*o)->find(key(name)) != nullptr ||
               ((*o)->kind == ScriptObject::Kind::Array && (name == QLatin1String("length") || elementIndex(name) >= 0));
    if (const auto *ref = std::get_if<ClipRef>(&object); ref && ref->get())
        return !std::holds_alternative<Undefined>(getMember(object, name));
    return false;
}

void Runner::setMember(const Value &object, const QString &name, const Value &value)
{
    if (const auto *o = std::get_if<ScriptObject *>(&object)) {
        ScriptObject *obj = *o;
        if (obj->kind == ScriptObject::Kind::Array) {
            if (name == QLatin1String("length")) {
                const double length = toNumber(value);
                if (length >= 0 && length <= ScriptEngine::MaxArrayLength)
                    obj->resizeElements(size_t(length));
                return;
            }
            if (const int index = elementIndex(name); index >= 0) {
                if (index >= ScriptEngine::MaxArrayLength)
                    return;
                if (size_t(index) < obj->elements.size() || obj->resizeElements(size_t(index) + 1))
                    obj->elements[size_t(index)] = value;
                return;
            }
        }
        if (name == QLatin1String("__proto__")) {
            const auto *prototype = std::get_if<ScriptObject *>(&value);
            obj->prototype = prototype ? *prototype : nullptr;
            return;
        }
        if (obj->members().size() < size_t(MaxVariablesPerClip) || obj->own(key(name)))
            obj->set(key(name), name, value);
        return;
    }
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
        clip->variables.insert(k, value);
    m_player.markChanged(); // a text field may show it
}

bool Runner::deleteMember(const Value &object, const QString &name)
{
    if (const auto *o = std::get_if<ScriptObject *>(&object))
        return (*o)->remove(key(name));
    if (const auto *ref = std::get_if<ClipRef>(&object); ref && ref->get())
        return ref->get()->variables.remove(key(name)) > 0;
    return false;
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

Value Runner::call(const Value &function, const Value &self, const std::vector<Value> &args)
{
    const auto *f = std::get_if<ScriptObject *>(&function);
    if (!f || !(*f)->isCallable() || m_engine.callDepth >= ScriptEngine::MaxCallDepth || !m_player.spend(1))
        return Undefined{};
    CallDepth depth(m_engine);
    if ((*f)->kind == ScriptObject::Kind::Native)
        return m_engine.callNative((*f)->native, *this, self, args, false);
    Runner callee(m_player, **f, self, args);
    const Value result = callee.run();
    if (callee.thrown())
        m_thrown = callee.thrown();
    return result;
}

Value Runner::construct(const Value &constructor, const std::vector<Value> &args)
{
    const auto *f = std::get_if<ScriptObject *>(&constructor);
    if (!f || !(*f)->isCallable() || m_engine.callDepth >= ScriptEngine::MaxCallDepth)
        return Undefined{};
    if ((*f)->kind == ScriptObject::Kind::Native) {
        CallDepth depth(m_engine);
        return m_engine.callNative((*f)->native, *this, Undefined{}, args, true);
    }
    ScriptObject *created = m_engine.newObject();
    if (!created)
        return Undefined{};
    const Value prototype = getMember(constructor, QStringLiteral("prototype"));
    if (const auto *p = std::get_if<ScriptObject *>(&prototype))
        created->prototype = *p;
    const Value result = call(constructor, created, args);
    return std::holds_alternative<ScriptObject *>(result) ? result : Value(created);
}

bool Runner::instanceOf(const Value &object, const Value &constructor)
{
    const auto *o = std::get_if<ScriptObject *>(&object);
    const Value prototype = getMember(constructor, QStringLiteral("prototype"));
    const auto *p = std::get_if<ScriptObject *>(&prototype);
    if (!o || !p)
        return false;
    int steps = 0;
    for (const ScriptObject *walk = (*o)->prototype; walk && steps < 256; walk = walk->prototype, ++steps)
        if (walk == *p)
            return true;
    return false;
}

void Runner::enumerate(const Value &object)
{
    push(Null{});
    if (const auto *o = std::get_if<ScriptObject *>(&object)) {
        // Newest first, as the reference player lists them; inherited
        // members come after the object's own.
        std::vector<QString> names;
        int steps = 0;
        for (const ScriptObject *walk = *o; walk && steps < 256; walk = walk->prototype, ++steps) {
            if (walk == m_engine.objectPrototype() || walk == m_engine.arrayPrototype() ||
                walk == m_engine.functionPrototype() || walk == m_engine.stringPrototype())
                break; // built-in members are hidden
            for (auto it = walk->members().rbegin(); it != walk->members().rend(); ++it)
                if (std::find(names.begin(), names.end(), it->name) == names.end())
                    names.push_back(it->name);
        }
        if ((*o)->kind == ScriptObject::Kind::Array)
            for (size_t i = (*o)->elements.size(); i-- > 0;)
                names.push_back(QString::number(i));
        for (const QString &name : names)
            push(name);
        return;
    }
    if (const auto *ref = std::get_if<ClipRef>(&object); ref && ref->get()) {
        for (const auto &[depth, child] : ref->get()->children)
            if (!child->name.isEmpty())
                push(child->name);
        for (auto it = ref->get()->variables.cbegin(); it != ref->get()->variables.cend(); ++it)
            push(it.key());
    }
}

Value Runner::callMethod(const Value &object, const QString &name, const std::vector<Value> &args)
{
    if (name.isEmpty())
        return call(object, Undefined{}, args);
    if (const auto *ref = std::get_if<ClipRef>(&object)) {
        DisplayObject *clip = ref->get();
        if (!clip)
            return Undefined{};
        const auto it = clip->variables.constFind(key(name));
        if (it != clip->variables.cend() && std::holds_alternative<ScriptObject *>(*it))
            return call(*it, object, args);
        return callClipMethod(*clip, name, args);
    }
    return call(getMember(object, name), object, args);
}

Value Runner::callClipMethod(DisplayObject &clip, const QString &name, const std::vector<Value> &args)
{
    const QString method = name.toLower();
    if (CallDrawingMethod(*this, clip, method, args))
        return Undefined{};
    const auto gotoFrame = [&](bool play) {
        if (args.empty())
            return;
        if (const auto *label = std::get_if<QString>(&args[0])) {
            bool numeric = false;
            const int number = label->toInt(&numeric);
            if (numeric)
                m_player.gotoFrame(clip, number - 1, play);
            else
                m_player.gotoLabel(clip, *label, play);
        } else {
            const double frame = toNumber(args[0]);
            if (std::isfinite(frame))
                m_player.gotoFrame(clip, toInt(frame) - 1, play);
        }
    };
    if (method == QLatin1String("play"))
        clip.playing = true;
    else if (method == QLatin1String("stop"))
        clip.playing = false;
    else if (method == QLatin1String("gotoandplay"))
        gotoFrame(true);
    else if (method == QLatin1String("gotoandstop"))
        gotoFrame(false);
    else if (method == QLatin1String("nextframe"))
        m_player.gotoFrame(clip, clip.currentFrame + 1, false);
    else if (method == QLatin1String("prevframe"))
        m_player.gotoFrame(clip, clip.currentFrame - 1, false);
    else if (method == QLatin1String("stopallsounds"))
        m_player.stopSounds();
    else if (method == QLatin1String("duplicatemovieclip") && args.size() >= 2)
        return refOrUndefined(m_player.duplicateClip(clip, toString(args[0]), toInt(toNumber(args[1]))));
    else if (method == QLatin1String("attachmovie") && args.size() >= 3)
        return refOrUndefined(
            m_player.attachClip(clip, toString(args[0]), toString(args[1]), toInt(toNumber(args[2]))));
    else if (method == QLatin1String("createemptymovieclip") && args.size() >= 2)
        return refOrUndefined(m_player.attachClip(clip, QString(), toString(args[0]), toInt(toNumber(args[1]))));
    else if (method == QLatin1String("removemovieclip"))
        m_player.removeClip(clip);
    else if (method == QLatin1String("getdepth"))
        return double(clip.depth - MoviePlayer::DynamicDepths);
    else if (method == QLatin1String("swapdepths") && !args.empty()) {
        const auto *other = std::get_if<ClipRef>(&args[0]);
        if (other && other->get())
            m_player.swapDepths(clip, other->get()->depth);
        else if (!other)
            m_player.swapDepths(clip, toInt(toNumber(args[0])) + MoviePlayer::DynamicDepths);
    }
    else if (method == QLatin1String("getbytesloaded") || method == QLatin1String("getbytestotal"))
        return 1.0;
    return Undefined{};
}

ScriptObject *Runner::defineFunction(SwfReader &r, SwfReader &body, bool version2)
{
    ScriptObject *function = m_engine.newFunction();
    const QString name = body.string(m_version);
    const int parameterCount = body.u16();
    int registerCount = 0, flags = 0;
    if (version2) {
        registerCount = body.u8();
        flags = body.u8();
        flags |= (body.u8() & 1) << 8;
    }
    std::vector<ScriptObject::Parameter> parameters;
    for (int i = 0; i < parameterCount && !body.overrun(); ++i) {
        ScriptObject::Parameter parameter;
        if (version2)
            parameter.reg = body.u8();
        parameter.name = body.string(m_version);
        parameters.push_back(parameter);
    }
    const int codeSize = body.u16();
    // The function's code follows the action in the block.
    const int start = r.position();
    const int size = std::min(codeSize, r.remaining());
    r.skip(size);
    if (!function)
        return nullptr;
    function->code = m_code.mid(start, size);
    function->parameters = std::move(parameters);
    function->function2 = version2;
    function->registerCount = registerCount;
    function->flags = flags;
    function->constants = m_constants;
    function->scopeClip = m_origin;
    function->scopes = m_scopes;
    if (m_activation)
        function->scopes.push_back(m_activation);
    if (!name.isEmpty()) {
        defineLocal(name, function);
        return nullptr;
    }
    return function;
}

bool Runner::catchThrown(const Value &value, SwfReader &r)
{
    while (!m_tries.empty()) {
        TryBlock &block = m_tries.back();
        if (r.position() <= block.tryEnd && !block.inCatch && block.hasCatch) {
            block.inCatch = true;
            if (block.catchRegister >= 0 && size_t(block.catchRegister) < m_registers.size())
                m_registers[size_t(block.catchRegister)] = value;
            else if (block.catchRegister < 0)
                defineLocal(block.catchName, value);
            r.seek(block.tryEnd);
            return true;
        }
        m_tries.pop_back();
    }
    return false;
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
        m_player.gotoFrame(*t, toInt(number) - 1 + bias, play);
}

Value Runner::run()
{
    SwfReader r(m_code);
    int budget = MoviePlayer::MaxActionsPerBlock;
    while (!m_done && !r.atEnd() && budget-- > 0 && m_player.spend(1)) {
        if (m_thrown) { // from a function called by the last action
            const Value thrown = *m_thrown;
            m_thrown.reset();
            if (!catchThrown(thrown, r)) {
                m_thrown = thrown;
                break;
            }
        }
        const int position = r.position();
        while (!m_with.empty() && (position >= m_with.back().end || position < m_with.back().start))
            m_with.pop_back();
        if (!m_tries.empty()) {
            TryBlock &block = m_tries.back();
            if (position >= block.finallyEnd) {
                m_tries.pop_back();
            } else if (position == block.tryEnd && !block.inCatch) {
                // The try block ended without a throw: on to its finally block.
                block.inCatch = true;
                r.seek(block.catchEnd);
                continue;
            }
        }
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
        case 0x08: // toggle between low and high quality
            m_player.setQuality(m_player.quality() == Renderer::Quality::Low ? Renderer::Quality::High
                                                                           : Renderer::Quality::Low);
            break;
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
                int index = std::isfinite(n) ? toInt(n) - 1 : t->timeline->labels.value(toString(frame).toLower(), -1);
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
            const size_t index = body.u8();
            if (index < m_registers.size())
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
        case 0x49: { const Value b = pop(); push(boolean(equals(pop(), b))); break; }
        case 0x66: { const Value b = pop(); push(boolean(strictlyEquals(pop(), b))); break; }
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
        case 0x32:
        case 0x36: {
            const QString text = toString(pop());
            push(text.isEmpty() ? 0.0 : double(text.at(0).unicode()));
            break;
        }
        case 0x33:
        case 0x37: {
            const double code16 = toNumber(pop());
            push(std::isfinite(code16) ? QString(QChar(char16_t(int64_t(std::fmod(code16, 65536.0)) & 0xFFFF)))
                                       : QString());
            break;
        }
        case 0x47: {
            const Value b = toPrimitive(pop());
            const Value a = toPrimitive(pop());
            const auto textual = [](const Value &v) {
                return std::holds_alternative<QString>(v) || std::holds_alternative<ScriptObject *>(v);
            };
            if (textual(a) || textual(b))
                push(toString(a) + toString(b));
            else
                push(toNumber(a) + toNumber(b));
            break;
        }
        case 0x4A: push(toNumber(pop())); break;
        case 0x4B: push(toString(pop())); break;
        case 0x44: {
            const Value v = pop();
            const auto *object = std::get_if<ScriptObject *>(&v);
            push(QString::fromLatin1(std::holds_alternative<double>(v)   ? "number"
                                     : std::holds_alternative<QString>(v) ? "string"
                                     : std::holds_alternative<bool>(v)    ? "boolean"
                                     : std::holds_alternative<ClipRef>(v) ? "movieclip"
                                     : std::holds_alternative<Null>(v)    ? "null"
                                     : object && (*object)->isCallable()  ? "function"
                                     : object                             ? "object"
                                                                          : "undefined"));
            break;
        }
        // Variables, properties and members.
        case 0x1C: push(getVariable(toString(pop()))); break;
        case 0x1D: {
            const Value value = pop();
            setVariable(toString(pop()), value);
            break;
        }
        case 0x3C: {
            const Value value = pop();
            defineLocal(toString(pop()), value);
            break;
        }
        case 0x41: {
            const QString name = toString(pop());
            if (m_activation ? !m_activation->own(key(name)) : t && !t->variables.contains(key(name)))
                defineLocal(name, Undefined{});
            break;
        }
        case 0x3A: {
            const QString name = toString(pop());
            push(boolean(deleteMember(pop(), name)));
            break;
        }
        case 0x3B: {
            const QString name = toString(pop());
            bool deleted = m_activation && m_activation->remove(key(name));
            if (!deleted && t)
                deleted = t->variables.remove(key(name)) > 0;
            push(boolean(deleted));
            break;
        }
        case 0x22: {
            const double index = toNumber(pop());
            const QString where = toString(pop());
            DisplayObject *clip = where.isEmpty() ? t : clipAt(where);
            const int i = std::isfinite(index) ? toInt(index, -1) : -1;
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
            const Value nameValue = pop();
            const QString name = std::holds_alternative<Undefined>(nameValue) ? QString() : toString(nameValue);
            const Value object = pop();
            push(callMethod(object, name, popArguments()));
            break;
        }
        case 0x3D: {
            const QString name = toString(pop());
            const std::vector<Value> args = popArguments();
            const Value function = getVariable(name);
            if (const auto *f = std::get_if<ScriptObject *>(&function); f && (*f)->isCallable())
                push(call(function, Undefined{}, args));
            else if (name.compare(QLatin1String("getTimer"), Qt::CaseInsensitive) == 0)
                push(double(m_player.elapsedMs()));
            else
                push(t ? callClipMethod(*t, name, args) : Value(Undefined{}));
            break;
        }
        case 0x3E: m_returned = pop(); m_done = true; break;
        // Functions, objects and classes.
        case 0x9B:
        case 0x8E:
            if (ScriptObject *function = defineFunction(r, body, code == 0x8E))
                push(function);
            break;
        case 0x40: {
            const QString name = toString(pop());
            const std::vector<Value> args = popArguments();
            push(construct(getVariable(name), args));
            break;
        }
        case 0x53: {
            const Value nameValue = pop();
            const Value object = pop();
            const std::vector<Value> args = popArguments();
            const QString name = std::holds_alternative<Undefined>(nameValue) ? QString() : toString(nameValue);
            push(construct(name.isEmpty() ? object : getMember(object, name), args));
            break;
        }
        case 0x42: {
            std::vector<Value> elements;
            const double count = toNumber(pop());
            const int n = std::isfinite(count) ? int(std::clamp(count, 0.0, double(m_stack.size()))) : 0;
            for (int i = 0; i < n; ++i)
                elements.push_back(pop());
            push(m_engine.newArray(std::move(elements)));
            break;
        }
        case 0x43: {
            const double count = toNumber(pop());
            const int n = std::isfinite(count) ? int(std::clamp(count, 0.0, double(m_stack.size() / 2))) : 0;
            ScriptObject *object = m_engine.newObject();
            for (int i = 0; i < n; ++i) {
                const Value value = pop();
                const QString name = toString(pop());
                if (object)
                    object->set(key(name), name, value);
            }
            push(object);
            break;
        }
        case 0x46: enumerate(getVariable(toString(pop()))); break;
        case 0x55: enumerate(pop()); break;
        case 0x54: {
            const Value constructor = pop();
            push(boolean(instanceOf(pop(), constructor)));
            break;
        }
        case 0x2B: {
            const Value object = pop();
            const Value constructor = pop();
            push(instanceOf(object, constructor) ? object : Value(Null{}));
            break;
        }
        case 0x2C: // ImplementsOp: interfaces change nothing here
            pop();
            popArguments();
            break;
        case 0x69: {
            const Value superclass = pop();
            const Value subclass = pop();
            ScriptObject *prototype = m_engine.newObject();
            if (!prototype)
                break;
            const Value inherited = getMember(superclass, QStringLiteral("prototype"));
            if (const auto *p = std::get_if<ScriptObject *>(&inherited))
                prototype->prototype = *p;
            prototype->set(key(QStringLiteral("__constructor__")), QStringLiteral("__constructor__"), superclass);
            setMember(subclass, QStringLiteral("prototype"), prototype);
            break;
        }
        case 0x94: {
            const int size = body.u16();
            const Value object = pop();
            if (m_with.size() < MaxWithDepth)
                m_with.push_back({object, next, next + size});
            break;
        }
        case 0x8F: {
            TryBlock block;
            const int flags = body.u8();
            const int trySize = body.u16(), catchSize = body.u16(), finallySize = body.u16();
            block.hasCatch = flags & 1;
            block.catchRegister = (flags & 4) ? body.u8() : -1;
            if (!(flags & 4))
                block.catchName = body.string(m_version);
            block.tryEnd = next + trySize;
            block.catchEnd = block.tryEnd + catchSize;
            block.finallyEnd = block.catchEnd + finallySize;
            m_tries.push_back(block);
            break;
        }
        case 0x2A: {
            const Value thrown = pop();
            if (!catchThrown(thrown, r)) {
                m_thrown = thrown;
                m_done = true;
            }
            break;
        }
        // Dragging is not supported; its arguments still go.
        case 0x27: {
            pop();
            pop();
            if (toBool(pop()))
                for (int i = 0; i < 4; ++i)
                    pop();
            break;
        }
        case 0x28: break;
        case 0x24: { // CloneSprite: duplicateMovieClip(target, name, depth)
            const double depth = toNumber(pop());
            const QString name = toString(pop());
            const Value source = pop();
            const auto *ref = std::get_if<ClipRef>(&source);
            if (DisplayObject *clip = ref ? ref->get() : clipAt(toString(source)))
                m_player.duplicateClip(*clip, name, toInt(depth));
            break;
        }
        case 0x25: { // RemoveSprite
            const Value which = pop();
            const auto *ref = std::get_if<ClipRef>(&which);
            if (DisplayObject *clip = ref ? ref->get() : clipAt(toString(which)))
                m_player.removeClip(*clip);
            break;
        }
        case 0x26: {
            // trace names undefined whatever the version.
            const Value v = pop();
            m_player.trace(std::holds_alternative<Undefined>(v) ? QStringLiteral("undefined") : toString(v));
            break;
        }
        // Jumps.
        case 0x99:
        case 0x9D: {
            const int offset = int16_t(body.u16());
            if (code == 0x9D && !toBool(pop()))
                break;
            const int destination = next + offset;
            if (destination < 0 || destination > r.size())
                return m_returned;
            r.seek(destination);
            break;
        }
        default:
            break; // unknown actions are skipped by their length
        }
    }
    return m_returned;
}

} // namespace

void RunActions(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions)
{
    Runner(player, clip, actions).run();
}

void RunHandler(MoviePlayer &player, DisplayObject &clip, ScriptObject *handler)
{
    Runner(player, clip, QByteArray()).call(handler, refTo(&clip), {});
}

void RunInterval(MoviePlayer &player, DisplayObject &root, const ScriptEngine::Interval &interval)
{
    Runner(player, root, QByteArray()).runInterval(interval);
}

} // namespace swf
