#include "swf/avm2/XmlTree.h"

#include <QPair>
#include <QSet>

#include <utility>

namespace swf::avm2 {

namespace {

const QString kXmlPrefix = QStringLiteral("xml");
const QString kXmlnsPrefix = QStringLiteral("xmlns");
const QString kXmlNamespaceUri = QStringLiteral("http://www.w3.org/XML/1998/namespace");
constexpr int kMaxCharCode = 0x10FFFF;
constexpr int kDecimal = 10;
constexpr int kHexadecimal = 16;

struct ParseFault {
    int number = 0;
    QString message;
};

QString FaultText(XmlError number)
{
    switch (number) {
    case XmlMarkupAfterRoot:
        return QStringLiteral("The markup in the document following the root element must be well-formed.");
    case XmlUnterminatedCdata:
        return QStringLiteral("XML parser failure: Unterminated CDATA section");
    case XmlUnterminatedDeclaration:
        return QStringLiteral("XML parser failure: Unterminated XML declaration");
    case XmlUnterminatedDocType:
        return QStringLiteral("XML parser failure: Unterminated DOCTYPE declaration");
    case XmlUnterminatedComment:
        return QStringLiteral("XML parser failure: Unterminated comment");
    case XmlUnterminatedAttribute:
        return QStringLiteral("XML parser failure: Unterminated attribute");
    case XmlUnterminatedElement:
        return QStringLiteral("XML parser failure: Unterminated element");
    case XmlUnterminatedInstruction:
        return QStringLiteral("XML parser failure: Unterminated processing instruction");
    default:
        return QStringLiteral("XML parser failure: element is malformed");
    }
}

bool IsNameStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u':' || c.unicode() > 0x7F;
}

bool IsNameChar(QChar c)
{
    return IsNameStart(c) || c.isDigit() || c == u'.' || c == u'-';
}

// A raw name split at its colon; a colon with nothing on one side is no name.
struct RawName {
    QString prefix;
    QString local;
    bool valid = true;
};

RawName SplitName(const QString &name)
{
    const int colon = name.indexOf(u':');
    if (colon < 0)
        return {QString(), name, true};
    RawName raw{name.left(colon), name.mid(colon + 1), true};
    raw.valid = !raw.prefix.isEmpty() && !raw.local.isEmpty() && !raw.local.contains(u':');
    return raw;
}

// An element whose end tag is still to come, and the name it was written with.
struct OpenElement {
    XmlNodePtr node;
    QString rawName;
};

using NameKey = QPair<QString, QString>;

class Parser {
public:
    Parser(const QString &text, const XmlSettings &settings, const QString &defaultNamespace)
        : m_text(text), m_settings(settings), m_defaultNamespace(defaultNamespace)
    {
    }

    std::optional<XmlNodeList> run()
    {
        while (!m_fault && m_pos < m_text.size())
            step();
        if (!m_fault && !m_open.empty())
            failUnterminated(m_open.back().rawName);
        if (m_fault)
            return std::nullopt;
        return std::move(m_top);
    }

    const ParseFault &fault() const { return *m_fault; }

private:
    void step()
    {
        if (m_text[m_pos] != u'<') {
            readText();
        } else if (startsWith(QStringLiteral("</"))) {
            readEndTag();
        } else if (startsWith(QStringLiteral("<!--"))) {
            readComment();
        } else if (startsWithNoCase(QStringLiteral("<![CDATA["))) {
            readCdata();
        } else if (startsWith(QStringLiteral("<!"))) {
            readDocType();
        } else if (startsWith(QStringLiteral("<?"))) {
            readInstruction();
        } else {
            readStartTag();
        }
    }

    bool startsWith(const QString &s) const { return QStringView(m_text).mid(m_pos).startsWith(s); }
    bool startsWithNoCase(const QString &s) const
    {
        return QStringView(m_text).mid(m_pos).startsWith(s, Qt::CaseInsensitive);
    }

    void fail(XmlError number) { m_fault = ParseFault{number, FaultText(number)}; }
    void failUnterminated(const QString &name)
    {
        m_fault = ParseFault{XmlUnterminatedElementTag,
                             QStringLiteral("The element type \"%1\" must be terminated by the matching end-tag \"</%1>\".")
                                 .arg(name)};
    }

    void add(const XmlNodePtr &node)
    {
        if (m_open.empty()) {
            m_top.push_back(node);
            return;
        }
        node->parent = m_open.back().node;
        m_open.back().node->children.push_back(node);
    }

    void readText()
    {
        int end = m_text.indexOf(u'<', m_pos);
        if (end < 0)
            end = m_text.size();
        QString text = decodeEntities(QStringView(m_text).mid(m_pos, end - m_pos));
        m_pos = end;
        if (m_settings.ignoreWhitespace)
            text = TrimXmlWhitespace(text);
        if (!text.isEmpty())
            add(MakeText(text));
    }

    static QString decodeEntities(QStringView raw)
    {
        QString out;
        out.reserve(raw.size());
        for (int i = 0; i < raw.size(); ++i) {
            const int semicolon = raw[i] == u'&' ? int(raw.indexOf(u';', i)) : -1;
            QString decoded;
            if (semicolon > i && decodeEntity(raw.mid(i + 1, semicolon - i - 1), &decoded)) {
                out += decoded;
                i = semicolon;
            } else {
                out += raw[i];
            }
        }
        return out;
    }

    static bool decodeEntity(QStringView name, QString *out)
    {
        static const std::pair<const char16_t *, char16_t> kNamed[] = {
            {u"lt", u'<'}, {u"gt", u'>'}, {u"amp", u'&'}, {u"quot", u'"'}, {u"apos", u'\''}};
        for (const auto &[entity, c] : kNamed) {
            if (name == QStringView(entity)) {
                *out = QChar(c);
                return true;
            }
        }
        if (name.size() < 2 || name[0] != u'#')
            return false;
        bool ok = false;
        const bool hex = name[1] == u'x';
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? kHexadecimal : kDecimal);
        if (!ok || code == 0 || code > kMaxCharCode)
            return false;
        const char32_t c = code;
        *out = QString::fromUcs4(&c, 1);
        return true;
    }

    // Finds terminator from m_pos + skip; on success moves past it.
    bool readUntil(const QString &terminator, int skip, XmlError fault, QString *body)
    {
        const int end = m_text.indexOf(terminator, m_pos + skip);
        if (end < 0) {
            fail(fault);
            return false;
        }
        *body = m_text.mid(m_pos + skip, end - m_pos - skip);
        m_pos = end + terminator.size();
        return true;
    }

    void readComment()
    {
        QString body;
        if (readUntil(QStringLiteral("-->"), 4, XmlUnterminatedComment, &body) && !m_settings.ignoreComments)
            add(MakeComment(body));
    }

    void readCdata()
    {
        QString body;
        if (!readUntil(QStringLiteral("]]>"), 9, XmlUnterminatedCdata, &body))
            return;
        XmlNodePtr text = MakeText(body);
        text->cdata = true;
        add(text);
    }

    // <!DOCTYPE ...> with an optional [internal subset]; read and dropped.
    void readDocType()
    {
        bool inSubset = false;
        for (int i = m_pos + 2; i < m_text.size(); ++i) {
            const QChar c = m_text[i];
            if (c == u'[')
                inSubset = true;
            else if (c == u']')
                inSubset = false;
            else if (c == u'>' && !inSubset) {
                m_pos = i + 1;
                return;
            }
        }
        fail(XmlUnterminatedDocType);
    }

    void readInstruction()
    {
        int nameEnd = m_pos + 2;
        while (nameEnd < m_text.size() && IsNameChar(m_text[nameEnd]))
            ++nameEnd;
        const QString target = m_text.mid(m_pos + 2, nameEnd - m_pos - 2);
        const bool declaration = target.compare(kXmlPrefix, Qt::CaseInsensitive) == 0;
        QString body;
        if (!readUntil(QStringLiteral("?>"), 2, declaration ? XmlUnterminatedDeclaration : XmlUnterminatedInstruction,
                       &body))
            return;
        // "<? name ...?>" has no target; the player passes over it.
        if (declaration || target.isEmpty() || m_settings.ignoreProcessingInstructions)
            return;
        add(MakeProcessingInstruction(target, TrimXmlWhitespace(body.mid(target.size()))));
    }

    QString readName()
    {
        const int start = m_pos;
        if (m_pos < m_text.size() && IsNameStart(m_text[m_pos])) {
            while (m_pos < m_text.size() && IsNameChar(m_text[m_pos]))
                ++m_pos;
        }
        return m_text.mid(start, m_pos - start);
    }

    void skipSpace()
    {
        while (m_pos < m_text.size() && IsXmlWhitespace(m_text[m_pos]))
            ++m_pos;
    }

    void readEndTag()
    {
        m_pos += 2;
        const QString name = readName();
        skipSpace();
        if (m_pos >= m_text.size()) {
            fail(XmlUnterminatedElement);
            return;
        }
        if (m_text[m_pos] != u'>' || name.isEmpty()) {
            fail(XmlMalformedElement);
            return;
        }
        ++m_pos;
        if (m_open.empty()) {
            fail(XmlMarkupAfterRoot);
            return;
        }
        if (m_open.back().rawName != name) {
            failUnterminated(m_open.back().rawName);
            return;
        }
        m_bindings -= int(m_open.back().node->namespaces.size());
        m_open.pop_back();
    }

    using RawAttributes = std::vector<std::pair<QString, QString>>;

    // Reads name="value" pairs up to > or />; answers whether the tag closed itself.
    std::optional<bool> readAttributes(RawAttributes *attributes)
    {
        for (;;) {
            const int before = m_pos;
            skipSpace();
            if (m_pos >= m_text.size()) {
                fail(XmlUnterminatedElement);
                return std::nullopt;
            }
            if (startsWith(QStringLiteral("/>"))) {
                m_pos += 2;
                return true;
            }
            if (m_text[m_pos] == u'>') {
                ++m_pos;
                return false;
            }
            const QString name = readName();
            if (name.isEmpty() || before == m_pos - name.size()) {
                fail(XmlMalformedElement);
                return std::nullopt;
            }
            QString value;
            if (!readAttributeValue(&value))
                return std::nullopt;
            if (int(attributes->size()) >= kXmlMaxAttributes) {
                fail(XmlMalformedElement);
                return std::nullopt;
            }
            attributes->emplace_back(name, value);
        }
    }

    bool readAttributeValue(QString *value)
    {
        skipSpace();
        if (m_pos >= m_text.size() || m_text[m_pos] != u'=') {
            fail(m_pos >= m_text.size() ? XmlUnterminatedElement : XmlMalformedElement);
            return false;
        }
        ++m_pos;
        skipSpace();
        if (m_pos >= m_text.size() || (m_text[m_pos] != u'"' && m_text[m_pos] != u'\'')) {
            fail(XmlMalformedElement);
            return false;
        }
        const QChar quote = m_text[m_pos];
        const int end = m_text.indexOf(quote, m_pos + 1);
        if (end < 0) {
            fail(XmlUnterminatedAttribute);
            return false;
        }
        // The player takes a < in a value as it is: XML literals build such texts.
        *value = decodeEntities(QStringView(m_text).mid(m_pos + 1, end - m_pos - 1));
        m_pos = end + 1;
        return true;
    }

    void readStartTag()
    {
        ++m_pos;
        const QString rawName = readName();
        if (rawName.isEmpty()) {
            fail(m_pos >= m_text.size() ? XmlUnterminatedElement : XmlMalformedElement);
            return;
        }
        RawAttributes raw;
        const std::optional<bool> empty = readAttributes(&raw);
        if (!empty)
            return;
        if (int(m_open.size()) >= kXmlMaxDepth) {
            fail(XmlMalformedElement);
            return;
        }
        XmlNodePtr element = buildElement(rawName, raw);
        if (!element)
            return;
        add(element);
        if (!*empty) {
            m_bindings += int(element->namespaces.size());
            m_open.push_back({element, rawName});
        }
    }

    XmlNodePtr buildElement(const QString &rawName, const RawAttributes &raw)
    {
        XmlNodePtr element = MakeElement({});
        for (const auto &[name, value] : raw) {
            if (name == kXmlnsPrefix)
                element->namespaces.push_back({QString(), value, true});
            else if (name.startsWith(kXmlnsPrefix + u':'))
                element->namespaces.push_back({name.mid(kXmlnsPrefix.size() + 1), value, true});
        }
        if (m_bindings + int(element->namespaces.size()) > kXmlMaxBindings) {
            fail(XmlMalformedElement);
            return nullptr;
        }
        if (!resolve(*element, rawName, true, &element->name))
            return nullptr;
        QSet<NameKey> seen;
        for (const auto &[name, value] : raw) {
            if (name == kXmlnsPrefix || name.startsWith(kXmlnsPrefix + u':'))
                continue;
            XmlNodePtr attribute = MakeAttribute({}, value);
            if (!resolve(*element, name, false, &attribute->name)) {
                if (m_fault->number == XmlPrefixNotBound)
                    m_fault->message = QStringLiteral("The prefix \"%1\" for attribute \"%2\" associated with an element type \"%3\" is not bound.")
                                           .arg(SplitName(name).prefix, name, rawName);
                return nullptr;
            }
            const NameKey key{attribute->name.uri, attribute->name.localName};
            if (seen.contains(key)) {
                m_fault = ParseFault{XmlDuplicateAttribute,
                                     QStringLiteral("Attribute \"%1\" was already specified for element \"%2\".")
                                         .arg(name, rawName)};
                return nullptr;
            }
            seen.insert(key);
            attribute->parent = element;
            element->attributes.push_back(attribute);
        }
        return element;
    }

    // Binds a written name to its URI through the declarations in scope.
    bool resolve(const XmlNode &element, const QString &rawName, bool isElement, XmlName *out)
    {
        const RawName split = SplitName(rawName);
        if (!split.valid) {
            m_fault = ParseFault{XmlBadQName,
                                 QStringLiteral("Element or attribute (\"%1\") do not match QName production: "
                                                "QName::=(NCName':')?NCName")
                                     .arg(rawName)};
            return false;
        }
        out->localName = split.local;
        out->prefix = split.prefix;
        out->hasPrefix = true;
        if (split.prefix.isEmpty() && !isElement)
            return true;
        bool fromDefault = false;
        const std::optional<QString> uri = lookup(element, split.prefix, &fromDefault);
        if (!uri) {
            m_fault = ParseFault{XmlPrefixNotBound, QStringLiteral("The prefix \"%1\" for element \"%2\" is not bound.")
                                                        .arg(split.prefix, rawName)};
            return false;
        }
        out->uri = *uri;
        // A name in the default namespace given from outside has no prefix
        // of its own: the text form borrows one bound to its URI, if any.
        out->hasPrefix = !fromDefault || uri->isEmpty();
        return true;
    }

    std::optional<QString> lookup(const XmlNode &element, const QString &prefix, bool *fromDefault) const
    {
        for (const XmlNamespace &ns : element.namespaces) {
            if (ns.prefix == prefix)
                return ns.uri;
        }
        for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
            for (const XmlNamespace &ns : it->node->namespaces) {
                if (ns.prefix == prefix)
                    return ns.uri;
            }
        }
        if (prefix.isEmpty()) {
            *fromDefault = true;
            return m_defaultNamespace;
        }
        if (prefix == kXmlPrefix)
            return kXmlNamespaceUri;
        return std::nullopt;
    }

    const QString &m_text;
    const XmlSettings &m_settings;
    const QString &m_defaultNamespace;
    int m_pos = 0;
    std::vector<OpenElement> m_open;
    int m_bindings = 0; // declarations made by the open elements
    XmlNodeList m_top;
    std::optional<ParseFault> m_fault;
};

QString ErrorText(int number, const QString &message)
{
    return QStringLiteral("Error #%1: %2").arg(number).arg(message);
}

} // namespace

std::optional<XmlNodeList> ParseXmlList(const QString &text, const XmlSettings &settings,
                                        const QString &defaultNamespace, QString *error)
{
    if (text.size() > kXmlMaxTextLength) {
        if (error)
            *error = ErrorText(XmlMalformedElement, FaultText(XmlMalformedElement));
        return std::nullopt;
    }
    Parser parser(text, settings, defaultNamespace);
    std::optional<XmlNodeList> nodes = parser.run();
    if (!nodes && error)
        *error = ErrorText(parser.fault().number, parser.fault().message);
    return nodes;
}

XmlNodePtr ParseXml(const QString &text, const XmlSettings &settings, const QString &defaultNamespace,
                    QString *error)
{
    std::optional<XmlNodeList> nodes = ParseXmlList(text, settings, defaultNamespace, error);
    if (!nodes)
        return nullptr;
    if (nodes->empty())
        return MakeText(QString());
    if (nodes->size() > 1) {
        if (error)
            *error = ErrorText(XmlMarkupAfterRoot, FaultText(XmlMarkupAfterRoot));
        return nullptr;
    }
    return nodes->front();
}

} // namespace swf::avm2
