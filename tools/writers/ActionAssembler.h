#pragma once

// Assembles ActionScript 1/2 bytecode from text, one action per line, so that
// script tests read as what they do:
//
//   push "o", 0, "Object"      strings, numbers, true, false, null, undefined, r1
//   newobject
//   setvariable
//   loop:                      a label; jump and if take one
//   if loop
//   function name(a, b)        DefineFunction; its body runs to the matching end
//   function2 f(r1:a) 3 0x2    DefineFunction2: parameters in registers, register
//   end                        count and flags after the list
//   storeregister 1            actions with one number or one string
//   gotourl "url" "target"
//   with done                  With: its block runs to the label
//   try 3 "e" a b c            Try with its flags, the catch variable (or r1)
//                              and the labels its try, catch and finally
//                              blocks end at
//
// Names of actions are those of swf::OpName, in any case. A line that cannot
// be read is reported as a warning and the text assembles to nothing.
#include "swf/script/Opcodes.h"

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>
#include <QDebug>
#include <QStringList>

#include <cstring>

namespace ActionAssembler {

namespace detail {

enum PushType { PushString = 0, PushNull = 2, PushUndefined = 3, PushRegister = 4, PushBool = 5, PushDouble = 6, PushInt = 7 };

inline void u8(QByteArray &out, int v) { out.append(char(v & 0xFF)); }
inline void u16(QByteArray &out, int v)
{
    u8(out, v);
    u8(out, v >> 8);
}
inline void text(QByteArray &out, const QString &s)
{
    out.append(s.toUtf8());
    out.append('\0');
}

// Splits "a, "b, c", 3" at the commas outside quotes.
inline QStringList splitArguments(const QString &list)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    for (int i = 0; i < list.size(); ++i) {
        const QChar c = list.at(i);
        if (c == u'\\' && quoted && i + 1 < list.size()) {
            current += c;
            current += list.at(++i);
            continue;
        }
        if (c == u'"')
            quoted = !quoted;
        if (c == u',' && !quoted) {
            parts << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        parts << current.trimmed();
    return parts;
}

inline QString unquote(const QString &literal)
{
    QString s;
    for (int i = 1; i + 1 < literal.size(); ++i) {
        QChar c = literal.at(i);
        if (c == u'\\' && i + 2 < literal.size()) {
            c = literal.at(++i);
            if (c == u'n')
                c = u'\n';
        }
        s += c;
    }
    return s;
}

inline bool pushValue(QByteArray &body, const QString &literal)
{
    if (literal.startsWith(u'"') && literal.endsWith(u'"') && literal.size() >= 2) {
        u8(body, PushString);
        text(body, unquote(literal));
    } else if (literal == QLatin1String("null")) {
        u8(body, PushNull);
    } else if (literal == QLatin1String("undefined")) {
        u8(body, PushUndefined);
    } else if (literal == QLatin1String("true") || literal == QLatin1String("false")) {
        u8(body, PushBool);
        u8(body, literal == QLatin1String("true"));
    } else if (static const QRegularExpression reg(QStringLiteral("^r(\\d+)$")); reg.match(literal).hasMatch()) {
        u8(body, PushRegister);
        u8(body, reg.match(literal).captured(1).toInt());
    } else {
        bool isInt = false;
        const int i = literal.toInt(&isInt);
        bool isNumber = false;
        const double d = literal.toDouble(&isNumber);
        if (!isInt && !isNumber)
            return false;
        u8(body, isInt ? PushInt : PushDouble);
        if (isInt) {
            u16(body, i & 0xFFFF);
            u16(body, (i >> 16) & 0xFFFF);
        } else {
            // Doubles are stored high word first.
            quint64 bits = 0;
            std::memcpy(&bits, &d, sizeof d);
            for (quint64 word : {bits >> 32, bits & 0xFFFFFFFFu})
                for (int shift = 0; shift < 32; shift += 8)
                    u8(body, int(word >> shift));
        }
    }
    return true;
}

class Block {
public:
    Block(const QStringList &lines, int &at) : m_lines(lines), m_at(at) {}

    // Assembles up to the matching "end" (or the last line), resolving jumps.
    QByteArray assemble()
    {
        while (m_at < m_lines.size()) {
            const QString line = m_lines.at(m_at++).trimmed();
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            if (line == QLatin1String("end"))
                break;
            if (!assembleLine(line)) {
                qWarning().noquote() << "cannot assemble:" << line;
                return {};
            }
        }
        for (const Fixup &fixup : m_fixups) {
            if (!m_labels.contains(fixup.label)) {
                qWarning().noquote() << "no label" << fixup.label;
                return {};
            }
            if (!fixup.fromLabel.isEmpty() && !m_labels.contains(fixup.fromLabel)) {
                qWarning().noquote() << "no label" << fixup.fromLabel;
                return {};
            }
            const int from = fixup.fromLabel.isEmpty() ? fixup.from : m_labels.value(fixup.fromLabel);
            const int offset = m_labels.value(fixup.label) - from;
            m_out[fixup.at] = char(offset & 0xFF);
            m_out[fixup.at + 1] = char((offset >> 8) & 0xFF);
        }
        return m_out;
    }

private:
    // A 16-bit distance from a place (or a label) to a label.
    struct Fixup {
        int at;
        int from;
        QString label;
        QString fromLabel = {};
    };

    void action(int code, const QByteArray &body = {})
    {
        u8(m_out, code);
        if (code >= swf::FirstActionWithBody) {
            u16(m_out, int(body.size()));
            m_out += body;
        }
    }

    bool assembleFunction(const QString &args, bool second)
    {
        static const QRegularExpression shape(QStringLiteral("^(\\w*)\\s*\\(([^)]*)\\)\\s*(\\d*)\\s*(\\S*)$"));
        const QRegularExpressionMatch m = shape.match(args);
        if (!m.hasMatch())
            return false;
        const QStringList parameters = splitArguments(m.captured(2));
        QByteArray head;
        text(head, m.captured(1));
        u16(head, int(parameters.size()));
        if (second) {
            u8(head, m.captured(3).isEmpty() ? 0 : m.captured(3).toInt());
            u16(head, m.captured(4).isEmpty() ? 0 : m.captured(4).toInt(nullptr, 0));
        }
        for (const QString &parameter : parameters) {
            if (second) {
                const QStringList parts = parameter.split(u':');
                const bool inRegister = parts.size() == 2;
                u8(head, inRegister ? parts[0].mid(1).toInt() : 0);
                text(head, inRegister ? parts[1] : parameter);
            } else {
                text(head, parameter);
            }
        }
        Block inner(m_lines, m_at);
        const QByteArray code = inner.assemble();
        u16(head, int(code.size()));
        action(int(second ? swf::Op::DefineFunction2 : swf::Op::DefineFunction), head);
        m_out += code;
        return true;
    }

    bool assembleLine(const QString &line)
    {
        if (line.endsWith(u':') && !line.contains(u' ')) {
            m_labels.insert(line.chopped(1), int(m_out.size()));
            return true;
        }
        const int space = int(line.indexOf(u' '));
        const QString name = space < 0 ? line : line.left(space);
        const QString args = space < 0 ? QString() : line.mid(space + 1).trimmed();
        if (name == QLatin1String("function") || name == QLatin1String("function2"))
            return assembleFunction(args, name == QLatin1String("function2"));
        const int code = swf::OpCode(name);
        if (code < 0)
            return false;
        if (code < swf::FirstActionWithBody) {
            action(code);
            return args.isEmpty();
        }
        QByteArray body;
        switch (swf::Op(code)) {
        case swf::Op::Push:
            for (const QString &literal : splitArguments(args))
                if (!pushValue(body, literal))
                    return false;
            break;
        case swf::Op::Jump:
        case swf::Op::If:
            action(code, QByteArray(2, '\0'));
            m_fixups.push_back({int(m_out.size()) - 2, int(m_out.size()), args});
            return true;
        case swf::Op::With:
            action(code, QByteArray(2, '\0'));
            m_fixups.push_back({int(m_out.size()) - 2, int(m_out.size()), args});
            return true;
        case swf::Op::Try: {
            static const QRegularExpression shape(
                QStringLiteral("^(\\d+)\\s+(\"[^\"]*\"|r\\d+)\\s+(\\w+)\\s+(\\w+)\\s+(\\w+)$"));
            const QRegularExpressionMatch m = shape.match(args);
            if (!m.hasMatch())
                return false;
            const int flags = m.captured(1).toInt();
            QByteArray head;
            u8(head, flags);
            head.append(QByteArray(6, '\0'));
            if (flags & 4)
                u8(head, m.captured(2).mid(1).toInt());
            else
                text(head, unquote(m.captured(2)));
            action(code, head);
            const int sizes = int(m_out.size()) - int(head.size()) + 1;
            const int start = int(m_out.size());
            m_fixups.push_back({sizes, start, m.captured(3)});
            m_fixups.push_back({sizes + 2, 0, m.captured(4), m.captured(3)});
            m_fixups.push_back({sizes + 4, 0, m.captured(5), m.captured(4)});
            return true;
        }
        case swf::Op::GetUrl: {
            static const QRegularExpression pair(QStringLiteral("^(\"[^\"]*\")\\s+(\"[^\"]*\")$"));
            const QRegularExpressionMatch m = pair.match(args);
            if (!m.hasMatch())
                return false;
            text(body, unquote(m.captured(1)));
            text(body, unquote(m.captured(2)));
            break;
        }
        case swf::Op::GotoLabel:
        case swf::Op::SetTarget:
            text(body, unquote(args));
            break;
        case swf::Op::GotoFrame:
            u16(body, args.toInt());
            break;
        default:
            // One byte: StoreRegister's register, GetUrl2's method, GotoFrame2's play flag.
            u8(body, args.toInt());
            break;
        }
        action(code, body);
        return true;
    }

    const QStringList &m_lines;
    int &m_at;
    QByteArray m_out;
    QHash<QString, int> m_labels;
    std::vector<Fixup> m_fixups;
};

} // namespace detail

// The bytecode of the text, ending without End (the writer adds it).
inline QByteArray assemble(const QString &source)
{
    const QStringList lines = source.split(u'\n');
    int at = 0;
    return detail::Block(lines, at).assemble();
}

} // namespace ActionAssembler
