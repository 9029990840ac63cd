#include "ActionRunner.h"

#include "swf/MoviePlayer.h"

#include <cmath>
#include <variant>

namespace swf {

namespace {

// Strings longer than this are cut: a script that doubles a string in a loop
// cannot exhaust memory.
constexpr int MaxStringLength = 1 << 20;
// Copying this many characters costs one action unit.
constexpr int CharactersPerUnit = 256;

struct Undefined {};
using Value = std::variant<Undefined, double, QString, bool>;

class Runner {
public:
    Runner(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions)
        : m_player(player), m_origin(&clip), m_originAlive(clip.alive), m_code(actions), m_version(player.version())
    {
        setTarget(&clip);
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
        if (m_stack.size() < 100000)
            m_stack.push_back(std::move(v));
    }

    QString toString(const Value &v) const;
    double toNumber(const Value &v) const;
    bool toBool(const Value &v) const;
    Value boolean(bool b) const { return m_version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0); }

    void push(SwfReader &r);
    void gotoFrame2(bool play, int bias);

    // Clips can vanish under a running script (a goto removes them): every
    // use goes through these, which give null for a clip that is gone.
    DisplayObject *origin() const { return m_originAlive.expired() ? nullptr : m_origin; }
    DisplayObject *target() const { return m_targetAlive.expired() ? nullptr : m_target; }
    void setTarget(DisplayObject *clip)
    {
        m_target = clip;
        m_targetAlive = clip ? clip->alive : std::weak_ptr<char>();
    }
    void setTargetPath(const QString &name)
    {
        DisplayObject *from = origin();
        setTarget(!from ? nullptr : name.isEmpty() ? from : m_player.resolveTarget(*from, name));
    }

    MoviePlayer &m_player;
    DisplayObject *m_origin;
    std::weak_ptr<char> m_originAlive;
    DisplayObject *m_target = nullptr;
    std::weak_ptr<char> m_targetAlive;
    QByteArray m_code;
    int m_version;
    std::vector<Value> m_stack;
    std::vector<QString> m_constants;
};

QString Runner::toString(const Value &v) const
{
    if (std::holds_alternative<QString>(v))
        return std::get<QString>(v);
    if (std::holds_alternative<bool>(v))
        return std::get<bool>(v) ? QStringLiteral("true") : QStringLiteral("false");
    if (std::holds_alternative<double>(v)) {
        const double d = std::get<double>(v);
        if (std::isnan(d))
            return QStringLiteral("NaN");
        if (std::isinf(d))
            return d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    return m_version >= 7 ? QStringLiteral("undefined") : QString();
}

double Runner::toNumber(const Value &v) const
{
    if (std::holds_alternative<double>(v))
        return std::get<double>(v);
    if (std::holds_alternative<bool>(v))
        return std::get<bool>(v) ? 1 : 0;
    if (std::holds_alternative<QString>(v)) {
        const QString text = std::get<QString>(v).trimmed();
        if (text.isEmpty())
            return m_version >= 7 ? std::nan("") : 0;
        bool ok = false;
        const double d = text.toDouble(&ok);
        return ok ? d : std::nan("");
    }
    return m_version >= 7 ? std::nan("") : 0;
}

bool Runner::toBool(const Value &v) const
{
    if (std::holds_alternative<bool>(v))
        return std::get<bool>(v);
    if (std::holds_alternative<QString>(v) && m_version >= 7)
        return !std::get<QString>(v).isEmpty();
    const double d = toNumber(v);
    return d != 0 && !std::isnan(d);
}

void Runner::push(SwfReader &r)
{
    while (!r.atEnd() && !r.overrun()) {
        switch (r.u8()) {
        case 0: push(r.string(m_version)); break;
        case 1: push(double(r.f32())); break;
        case 2:
        case 3: push(Undefined{}); break;
        case 4: r.u8(); push(Undefined{}); break;
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

void Runner::gotoFrame2(bool play, int bias)
{
    const Value frame = pop();
    DisplayObject *t = target();
    if (!t)
        return;
    if (std::holds_alternative<QString>(frame)) {
        QString label = std::get<QString>(frame);
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
    if (!std::isnan(number))
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
        case 0x04: if (t) m_player.gotoFrame(*t, t->currentFrame + 1, false); break;
        case 0x05: if (t) m_player.gotoFrame(*t, t->currentFrame - 1, false); break;
        case 0x06: if (t) t->playing = true; break;
        case 0x07: if (t) t->playing = false; break;
        case 0x08: // quality
        case 0x09: // sounds arrive with the sound engine
            break;
        case 0x81: if (t) m_player.gotoFrame(*t, body.u16(), false); break;
        case 0x83: {
            const QString url = body.string(m_version);
            m_player.getUrl(url, body.string(m_version));
            break;
        }
        case 0x8A: // WaitForFrame: every frame of a local file is loaded
        case 0x8D: pop(); break;
        case 0x8B: {
            setTargetPath(body.string(m_version));
            break;
        }
        case 0x20: {
            setTargetPath(toString(pop()));
            break;
        }
        case 0x8C: if (t) m_player.gotoLabel(*t, body.string(m_version), false); break;
        case 0x9F: {
            const int flags = body.u8();
            gotoFrame2(flags & 1, (flags & 2) ? body.u16() : 0);
            break;
        }
        case 0x9A: {
            const QString target = toString(pop());
            m_player.getUrl(toString(pop()), target);
            break;
        }
        case 0x96: push(body); break;
        case 0x17: pop(); break;
        case 0x88: {
            m_constants.clear();
            const int count = body.u16();
            for (int i = 0; i < count && !body.overrun(); ++i)
                m_constants.push_back(body.string(m_version));
            break;
        }
        case 0x26: m_player.trace(toString(pop())); break;
        case 0x0A: case 0x0B: case 0x0C: case 0x0D: {
            const double b = toNumber(pop());
            const double a = toNumber(pop());
            push(code == 0x0A ? a + b : code == 0x0B ? a - b : code == 0x0C ? a * b : a / b);
            break;
        }
        case 0x0E: { const double b = toNumber(pop()); push(boolean(toNumber(pop()) == b)); break; }
        case 0x0F: { const double b = toNumber(pop()); push(boolean(toNumber(pop()) < b)); break; }
        case 0x10: { const bool b = toBool(pop()); push(boolean(toBool(pop()) && b)); break; }
        case 0x11: { const bool b = toBool(pop()); push(boolean(toBool(pop()) || b)); break; }
        case 0x12: push(boolean(!toBool(pop()))); break;
        case 0x13: { const QString b = toString(pop()); push(boolean(toString(pop()) == b)); break; }
        case 0x14: push(double(toString(pop()).size())); break;
        case 0x21: { const QString b = toString(pop()); push(toString(pop()) + b); break; }
        case 0x47: {
            const Value b = pop();
            const Value a = pop();
            if (std::holds_alternative<QString>(a) || std::holds_alternative<QString>(b))
                push(toString(a) + toString(b));
            else
                push(toNumber(a) + toNumber(b));
            break;
        }
        case 0x48: { const double b = toNumber(pop()); push(boolean(toNumber(pop()) < b)); break; }
        case 0x49: {
            const Value b = pop();
            const Value a = pop();
            if (std::holds_alternative<QString>(a) && std::holds_alternative<QString>(b))
                push(boolean(std::get<QString>(a) == std::get<QString>(b)));
            else
                push(boolean(toNumber(a) == toNumber(b)));
            break;
        }
        case 0x4A: push(toNumber(pop())); break;
        case 0x4B: push(toString(pop())); break;
        case 0x4C: { const Value v = m_stack.empty() ? Value(Undefined{}) : m_stack.back(); push(v); break; }
        case 0x4D: {
            const Value b = pop();
            const Value a = pop();
            push(b);
            push(a);
            break;
        }
        case 0x1C: {
            const QString name = toString(pop());
            const auto &vars = m_player.variables();
            const auto it = vars.constFind(name.toLower());
            push(it == vars.cend() ? Value(Undefined{}) : Value(*it));
            break;
        }
        case 0x1D: {
            const QString value = toString(pop());
            const QString name = toString(pop()).toLower();
            // The variable table keeps a bounded size too.
            if (m_player.variables().size() < 10000 || m_player.variables().contains(name))
                m_player.variables().insert(name, value);
            break;
        }
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
