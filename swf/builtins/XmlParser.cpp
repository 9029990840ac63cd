// The XML reader of the XML class: one pass over the text, no recursion,
// faults reported as the reference player's status numbers.
#include "XmlParser.h"

namespace swf {

namespace {

const QLatin1String CommentStart("<!--");
const QLatin1String CommentEnd("-->");
const QLatin1String CdataStart("<![CDATA[");
const QLatin1String CdataEnd("]]>");
const QLatin1String DeclarationEnd("?>");

struct Entity {
    QLatin1String name; // between & and ;
    QChar character;
};
const Entity Entities[] = {
    {QLatin1String("amp"), u'&'},  {QLatin1String("lt"), u'<'},    {QLatin1String("gt"), u'>'},
    {QLatin1String("quot"), u'"'}, {QLatin1String("apos"), u'\''},
};
// The longest entity name, with its & and ;.
constexpr int LongestEntity = 6;

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool allSpace(const QString &text)
{
    for (const QChar c : text)
        if (!isSpace(c))
            return false;
    return true;
}

// The five named entities become their characters; any other & stays.
QString decoded(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            const QStringView rest = text.mid(i + 1, LongestEntity - 1);
            const Entity *found = nullptr;
            for (const Entity &entity : Entities)
                if (rest.startsWith(entity.name) && rest.mid(entity.name.size()).startsWith(u';'))
                    found = &entity;
            if (found) {
                out += found->character;
                i += found->name.size() + 1;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

class Parser {
public:
    Parser(const QString &source, bool ignoreWhite, XmlSink &sink)
        : m_text(source), m_ignoreWhite(ignoreWhite), m_sink(sink)
    {
    }

    XmlStatus run()
    {
        while (m_at < m_text.size()) {
            const XmlStatus status = m_text[m_at] == u'<' ? markup() : text();
            if (status != XmlOk)
                return status;
        }
        return m_open.empty() ? XmlOk : XmlElementOpen;
    }

private:
    QStringView rest() const { return QStringView(m_text).mid(m_at); }
    bool atEnd() const { return m_at >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return m_at + ahead < m_text.size() ? m_text[m_at + ahead] : QChar();
    }
    void skipSpace()
    {
        while (!atEnd() && isSpace(m_text[m_at]))
            ++m_at;
    }
    static XmlStatus taken(bool ok) { return ok ? XmlOk : XmlOutOfMemory; }

    XmlStatus text()
    {
        qsizetype end = m_text.indexOf(u'<', m_at);
        if (end < 0)
            end = m_text.size();
        const QString content = decoded(QStringView(m_text).mid(m_at, end - m_at));
        m_at = end;
        if (m_ignoreWhite && allSpace(content))
            return XmlOk;
        return taken(m_sink.text(content));
    }

    // Everything from a < up to the end of its closing delimiter, whole.
    XmlStatus section(QLatin1String end, XmlStatus open, bool (XmlSink::*deliver)(const QString &))
    {
        const qsizetype close = m_text.indexOf(end, m_at);
        if (close < 0)
            return open;
        const qsizetype after = close + end.size();
        const QString whole = m_text.mid(m_at, after - m_at);
        m_at = after;
        return taken((m_sink.*deliver)(whole));
    }

    XmlStatus markup()
    {
        if (rest().startsWith(CommentStart)) {
            const qsizetype close = m_text.indexOf(CommentEnd, m_at + CommentStart.size());
            if (close < 0)
                return XmlCommentOpen;
            m_at = close + CommentEnd.size();
            return XmlOk;
        }
        if (rest().startsWith(CdataStart)) {
            const qsizetype from = m_at + CdataStart.size();
            const qsizetype close = m_text.indexOf(CdataEnd, from);
            if (close < 0)
                return XmlCdataOpen;
            m_at = close + CdataEnd.size();
            return taken(m_sink.text(m_text.mid(from, close - from)));
        }
        switch (peek(1).unicode()) {
        case u'?': return section(DeclarationEnd, XmlDeclarationOpen, &XmlSink::declaration);
        case u'!': return section(QLatin1String(">"), XmlDocTypeOpen, &XmlSink::docType);
        case u'/': return endTag();
        default: return startTag();
        }
    }

    // A name ends at white space or >, or at a / that closes the tag
    // (start tags) or at any / (end tags).
    QString name(bool endTag)
    {
        const qsizetype from = m_at;
        while (!atEnd()) {
            const QChar c = m_text[m_at];
            if (isSpace(c) || c == u'>' || (c == u'/' && (endTag || peek(1) == u'>')))
                break;
            ++m_at;
        }
        return m_text.mid(from, m_at - from);
    }

    XmlStatus endTag()
    {
        // An end tag without its > is malformed whatever it names.
        const qsizetype close = m_text.indexOf(u'>', m_at);
        if (close < 0)
            return XmlMalformed;
        m_at += 2;
        const QString closing = name(true);
        m_at = close + 1;
        if (closing.isEmpty())
            return XmlMalformed;
        if (m_open.empty() || m_open.back() != closing) {
            // Naming an element further out leaves the inner ones open.
            for (const QString &open : m_open)
                if (open == closing)
                    return XmlElementOpen;
            return XmlEndWithoutStart;
        }
        m_open.pop_back();
        return taken(m_sink.endElement());
    }

    XmlStatus startTag()
    {
        ++m_at;
        const QString element = name(false);
        if (element.isEmpty())
            return XmlMalformed;
        XmlAttributes attributes;
        for (;;) {
            skipSpace();
            if (atEnd())
                return XmlMalformed;
            if (peek() == u'>' || (peek() == u'/' && peek(1) == u'>'))
                break;
            const XmlStatus status = attribute(attributes);
            if (status != XmlOk)
                return status;
        }
        const bool empty = peek() == u'/';
        m_at += empty ? 2 : 1;
        if (!empty)
            m_open.push_back(element);
        return taken(m_sink.startElement(element, attributes, empty));
    }

    XmlStatus attribute(XmlAttributes &attributes)
    {
        const qsizetype from = m_at;
        while (!atEnd() && peek() != u'=' && !isSpace(peek()) && peek() != u'>' && peek() != u'/')
            ++m_at;
        const QString key = decoded(QStringView(m_text).mid(from, m_at - from));
        skipSpace();
        if (key.isEmpty() || peek() != u'=')
            return XmlMalformed;
        ++m_at;
        skipSpace();
        const QChar quote = peek();
        if (quote != u'"' && quote != u'\'')
            return XmlMalformed;
        const qsizetype close = m_text.indexOf(quote, m_at + 1);
        if (close < 0)
            return XmlAttributeOpen;
        attributes.emplace_back(key, decoded(QStringView(m_text).mid(m_at + 1, close - m_at - 1)));
        m_at = close + 1;
        return XmlOk;
    }

    const QString &m_text;
    const bool m_ignoreWhite;
    XmlSink &m_sink;
    qsizetype m_at = 0;
    std::vector<QString> m_open; // the names of the elements not yet ended
};

} // namespace

XmlStatus ParseXml(const QString &source, bool ignoreWhite, XmlSink &sink)
{
    return Parser(source, ignoreWhite, sink).run();
}

QString EscapeXml(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\'': out += QLatin1String("&apos;"); break;
        default: out += c;
        }
    }
    return out;
}

} // namespace swf
