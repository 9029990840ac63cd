#include "Amf0.h"

#include "swf/script/ScriptEngine.h"

#include <QtEndian>

#include <cstring>
#include <vector>

namespace swf::Amf0 {

namespace {

enum Marker : quint8 {
    NumberMarker = 0x00,
    BooleanMarker = 0x01,
    StringMarker = 0x02,
    ObjectMarker = 0x03,
    NullMarker = 0x05,
    UndefinedMarker = 0x06,
    ReferenceMarker = 0x07,
    EcmaArrayMarker = 0x08,
    ObjectEndMarker = 0x09,
    StrictArrayMarker = 0x0A,
    DateMarker = 0x0B,
    LongStringMarker = 0x0C,
};

// Objects within objects, beyond which reading stops: deep enough for any
// real data, shallow enough for the reader's own stack.
constexpr int MaxNesting = 64;
constexpr qsizetype MaxShortString = 0xFFFF;

class Writer {
public:
    Writer(QByteArray &out, qint64 limit) : m_out(out), m_limit(limit) {}

    // The members of an object; at the top, each ends with a zero byte.
    bool members(const ScriptObject &object, bool top, int depth)
    {
        const MemberVisibility visibility = object.visibility();
        for (const ScriptObject::Member &member : object.members()) {
            if ((member.flags & DontEnum) || member.isProperty() || visibility.hidden(member.flags) ||
                !storable(member.value))
                continue;
            if (!name(member.name) || !value(member.value, depth) || (top && !byte(0)))
                return false;
        }
        return true;
    }

private:
    bool value(const Value &v, int depth)
    {
        if (std::holds_alternative<Undefined>(v))
            return byte(UndefinedMarker);
        if (std::holds_alternative<Null>(v))
            return byte(NullMarker);
        if (const bool *b = std::get_if<bool>(&v))
            return byte(BooleanMarker) && byte(*b ? 1 : 0);
        if (const double *d = std::get_if<double>(&v)) {
            quint64 bits = 0;
            std::memcpy(&bits, d, sizeof bits);
            bits = qToBigEndian(bits);
            return byte(NumberMarker) && raw(&bits, sizeof bits);
        }
        if (const QString *s = std::get_if<QString>(&v))
            return text(*s);
        return object(*objectOf(v), depth + 1);
    }

    static bool storable(const Value &v)
    {
        if (std::holds_alternative<ClipRef>(v))
            return false;
        const ScriptObject *o = objectOf(v);
        return !o || (!o->isCallable() && o->kind != ScriptObject::Kind::Super);
    }

    bool object(const ScriptObject &o, int depth)
    {
        if (depth > MaxNesting)
            return false;
        for (size_t i = 0; i < m_seen.size(); ++i) {
            if (m_seen[i] == &o) {
                if (i > 0xFFFF)
                    return false;
                const quint16 index = qToBigEndian(quint16(i));
                return byte(ReferenceMarker) && raw(&index, sizeof index);
            }
        }
        m_seen.push_back(&o);
        if (o.kind == ScriptObject::Kind::Array) {
            const quint32 count = qToBigEndian(quint32(o.elements.size()));
            if (!byte(EcmaArrayMarker) || !raw(&count, sizeof count))
                return false;
            for (size_t i = 0; i < o.elements.size(); ++i)
                if (storable(o.elements[i]) && (!name(QString::number(i)) || !value(o.elements[i], depth)))
                    return false;
        } else if (!byte(ObjectMarker)) {
            return false;
        }
        return members(o, false, depth) && name(QString()) && byte(ObjectEndMarker);
    }

    bool text(const QString &s)
    {
        const QByteArray utf8 = s.toUtf8();
        if (utf8.size() <= MaxShortString)
            return byte(StringMarker) && shortText(utf8);
        const quint32 size = qToBigEndian(quint32(utf8.size()));
        return byte(LongStringMarker) && raw(&size, sizeof size) && raw(utf8.constData(), utf8.size());
    }

    bool name(const QString &s)
    {
        const QByteArray utf8 = s.toUtf8();
        return utf8.size() <= MaxShortString && shortText(utf8);
    }

    bool shortText(const QByteArray &utf8)
    {
        const quint16 size = qToBigEndian(quint16(utf8.size()));
        return raw(&size, sizeof size) && raw(utf8.constData(), utf8.size());
    }

    bool byte(quint8 b) { return raw(&b, 1); }
    bool raw(const void *data, qsizetype size)
    {
        if (m_out.size() + size > m_limit)
            return false;
        m_out.append(static_cast<const char *>(data), size);
        return true;
    }

    QByteArray &m_out;
    qint64 m_limit;
    std::vector<const ScriptObject *> m_seen;
};

class Reader {
public:
    Reader(ScriptEngine &engine, const QByteArray &bytes, DateMaker date = nullptr)
        : m_engine(engine), m_bytes(bytes), m_date(std::move(date))
    {
    }

    void members(ScriptObject &data)
    {
        while (m_at < m_bytes.size()) {
            QString key;
            Value v;
            if (!name(key) || !value(v, 0) || !skipByte())
                return;
            data.set(m_engine.key(key), key, v);
        }
    }

    Value single()
    {
        Value v;
        value(v, 0);
        return v;
    }

private:
    bool value(Value &v, int depth)
    {
        quint8 marker = 0;
        if (!byte(marker))
            return false;
        switch (marker) {
        case NumberMarker: {
            double d = 0;
            if (!number(d))
                return false;
            v = d;
            return true;
        }
        case DateMarker: {
            double ms = 0;
            quint16 zone = 0; // the writer's time zone: the time itself is UTC
            if (!m_date || !number(ms) || !raw(&zone, sizeof zone))
                return false;
            v = m_date(ms);
            return true;
        }
        case BooleanMarker: {
            quint8 b = 0;
            if (!byte(b))
                return false;
            v = b != 0;
            return true;
        }
        case StringMarker: {
            QString s;
            if (!name(s))
                return false;
            v = s;
            return true;
        }
        case LongStringMarker:
            return longText(v);
        case NullMarker:
            v = Null{};
            return true;
        case UndefinedMarker:
            v = Undefined{};
            return true;
        case ReferenceMarker: {
            quint16 index = 0;
            if (!raw(&index, sizeof index) || qFromBigEndian(index) >= m_made.size())
                return false;
            v = m_made[qFromBigEndian(index)];
            return true;
        }
        case ObjectMarker:
            return object(v, m_engine.newObject(m_engine.objectPrototype()), depth);
        case EcmaArrayMarker: {
            quint32 count = 0; // a hint only: the members say what there is
            return raw(&count, sizeof count) && object(v, m_engine.newArray(), depth);
        }
        case StrictArrayMarker:
            return strictArray(v, depth);
        default:
            return false;
        }
    }

    // The members of an object or array, up to the end marker.
    bool object(Value &v, ScriptObject *made, int depth)
    {
        if (!made || depth >= MaxNesting)
            return false;
        m_made.push_back(made);
        v = made;
        for (;;) {
            QString key;
            if (!name(key))
                return false;
            if (key.isEmpty() && peek() == ObjectEndMarker)
                return skipByte();
            Value member;
            if (!value(member, depth + 1))
                return false;
            bool isIndex = false;
            const uint index = key.toUInt(&isIndex);
            if (made->kind == ScriptObject::Kind::Array && isIndex && key == QString::number(index)) {
                if (index >= made->elements.size() && !made->resizeElements(size_t(index) + 1))
                    return false;
                made->elements[index] = member;
            } else {
                made->set(m_engine.key(key), key, member);
            }
        }
    }

    bool strictArray(Value &v, int depth)
    {
        quint32 count = 0;
        ScriptObject *made = m_engine.newArray();
        if (!raw(&count, sizeof count) || !made || depth >= MaxNesting)
            return false;
        count = qFromBigEndian(count);
        m_made.push_back(made);
        v = made;
        // Each element takes a byte at least: a count beyond the bytes left is false.
        if (count > quint32(m_bytes.size() - m_at) || !made->resizeElements(count))
            return false;
        for (quint32 i = 0; i < count; ++i)
            if (!value(made->elements[i], depth + 1))
                return false;
        return true;
    }

    bool number(double &d)
    {
        quint64 bits = 0;
        if (!raw(&bits, sizeof bits))
            return false;
        bits = qFromBigEndian(bits);
        std::memcpy(&d, &bits, sizeof d);
        return true;
    }

    bool name(QString &s)
    {
        quint16 size = 0;
        if (!raw(&size, sizeof size))
            return false;
        return utf8(qFromBigEndian(size), s);
    }

    bool longText(Value &v)
    {
        quint32 size = 0;
        QString s;
        if (!raw(&size, sizeof size) || !utf8(qFromBigEndian(size), s))
            return false;
        v = s;
        return true;
    }

    bool utf8(quint32 size, QString &s)
    {
        if (size > quint32(m_bytes.size() - m_at))
            return false;
        s = QString::fromUtf8(m_bytes.constData() + m_at, qsizetype(size));
        m_at += qsizetype(size);
        return true;
    }

    int peek() const { return m_at < m_bytes.size() ? quint8(m_bytes[m_at]) : -1; }
    bool skipByte()
    {
        quint8 ignored = 0;
        return byte(ignored);
    }
    bool byte(quint8 &b) { return raw(&b, 1); }
    bool raw(void *data, qsizetype size)
    {
        if (size > m_bytes.size() - m_at)
            return false;
        std::memcpy(data, m_bytes.constData() + m_at, size_t(size));
        m_at += size;
        return true;
    }

    ScriptEngine &m_engine;
    const QByteArray &m_bytes;
    DateMaker m_date;
    qsizetype m_at = 0;
    std::vector<ScriptObject *> m_made;
};

} // namespace

bool encodeMembers(const ScriptObject &data, qint64 limit, QByteArray &out)
{
    Writer writer(out, limit);
    return writer.members(data, true, 0);
}

void decodeMembers(ScriptEngine &engine, const QByteArray &bytes, ScriptObject &data)
{
    Reader(engine, bytes).members(data);
}

Value decodeValue(ScriptEngine &engine, const QByteArray &bytes, const DateMaker &date)
{
    return Reader(engine, bytes, date).single();
}

} // namespace swf::Amf0
