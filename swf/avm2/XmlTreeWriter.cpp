#include "swf/avm2/XmlTree.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

const QString kGeneratedPrefix = QStringLiteral("ns");
const QString kXmlPrefix = QStringLiteral("xml");
const QString kXmlNamespaceUri = QStringLiteral("http://www.w3.org/XML/1998/namespace");
constexpr int kMaxIndent = 1024;

struct Writer {
    const XmlSettings &settings;
    int indentStep;

    QString write(const XmlNode &node, const std::vector<XmlNamespace> &ancestors, int indent, int depth) const;
    QString writeElement(const XmlNode &node, const std::vector<XmlNamespace> &ancestors, int indent,
                         int depth) const;
    QString writeChildren(const XmlNode &node, const std::vector<XmlNamespace> &scope, int indent,
                          int depth) const;
};

QString Spaces(int count)
{
    return QString(count, u' ');
}

// The binding of prefix nearest in scope (later entries are nearer).
const XmlNamespace *BindingOf(const std::vector<XmlNamespace> &scope, const QString &prefix)
{
    for (auto it = scope.rbegin(); it != scope.rend(); ++it) {
        if (it->hasPrefix && it->prefix == prefix)
            return &*it;
    }
    return nullptr;
}

// The prefix a name is written with, when the scope already binds one: its
// own, or for a name without one any prefix bound to its URI. Attributes
// never take the default namespace. Nothing means a declaration is needed.
std::optional<QString> FindPrefix(const XmlName &name, const std::vector<XmlNamespace> &scope, bool isElement)
{
    // xml: is bound everywhere and never declared.
    if (name.uri == kXmlNamespaceUri)
        return kXmlPrefix;
    // No namespace is written unprefixed, and the player declares no xmlns=""
    // for it, even under a default namespace.
    if (name.uri.isEmpty())
        return QString();
    // A name keeps the prefix it has: where that is bound elsewhere or not at
    // all, the element declares it afresh rather than borrowing another.
    if (name.hasPrefix && (isElement || !name.prefix.isEmpty())) {
        const XmlNamespace *bound = BindingOf(scope, name.prefix);
        if (bound && bound->uri == name.uri)
            return name.prefix;
        return std::nullopt;
    }
    for (auto it = scope.rbegin(); it != scope.rend(); ++it) {
        if (it->uri != name.uri || !it->hasPrefix || (!isElement && it->prefix.isEmpty()))
            continue;
        if (BindingOf(scope, it->prefix) == &*it)
            return it->prefix;
    }
    return std::nullopt;
}

// A prefix for a URI no declaration binds: the name's own when free here, else a new one.
QString NewPrefix(const XmlName &name, const std::vector<XmlNamespace> &declared, bool isElement)
{
    const auto taken = [&](const QString &prefix) {
        for (const XmlNamespace &ns : declared) {
            if (ns.prefix == prefix)
                return true;
        }
        return false;
    };
    if (name.hasPrefix && (isElement || !name.prefix.isEmpty()) && !taken(name.prefix))
        return name.prefix;
    if (isElement && !taken(QString()))
        return QString();
    QString prefix = kGeneratedPrefix;
    for (int n = 1; taken(prefix); ++n)
        prefix = kGeneratedPrefix + QString::number(n);
    return prefix;
}

QString QualifiedName(const QString &prefix, const QString &local)
{
    return prefix.isEmpty() ? local : prefix + u':' + local;
}

QString Declaration(const XmlNamespace &ns)
{
    const QString attribute = ns.prefix.isEmpty() ? QStringLiteral(" xmlns") : QStringLiteral(" xmlns:") + ns.prefix;
    return attribute + QStringLiteral("=\"") + EscapeAttributeValue(ns.uri) + u'"';
}

QString Writer::write(const XmlNode &node, const std::vector<XmlNamespace> &ancestors, int indent, int depth) const
{
    const QString lead = settings.prettyPrinting ? Spaces(indent) : QString();
    switch (node.kind) {
    case XmlKind::Text:
        if (node.cdata)
            return lead + QStringLiteral("<![CDATA[") + node.value + QStringLiteral("]]>");
        return lead + EscapeElementValue(settings.prettyPrinting ? TrimXmlWhitespace(node.value) : node.value);
    case XmlKind::Attribute:
        return lead + EscapeAttributeValue(node.value);
    case XmlKind::Comment:
        return lead + QStringLiteral("<!--") + node.value + QStringLiteral("-->");
    case XmlKind::ProcessingInstruction:
        return lead + QStringLiteral("<?") + node.name.localName + u' ' + node.value + QStringLiteral("?>");
    case XmlKind::Element:
        break;
    }
    return lead + writeElement(node, ancestors, indent, depth);
}

QString Writer::writeElement(const XmlNode &node, const std::vector<XmlNamespace> &ancestors, int indent,
                             int depth) const
{
    // The node written first declares every binding in effect there, as
    // nothing around it in the output does.
    const std::vector<XmlNamespace> own = depth == 0 ? InScopeNamespaces(node) : node.namespaces;
    std::vector<XmlNamespace> declared;
    for (const XmlNamespace &ns : own) {
        const XmlNamespace *bound = BindingOf(ancestors, ns.prefix);
        if (ns.hasPrefix && (!bound || bound->uri != ns.uri))
            declared.push_back(ns);
    }
    std::vector<XmlNamespace> scope = ancestors;
    scope.insert(scope.end(), declared.begin(), declared.end());

    const auto prefixFor = [&](const XmlName &name, bool isElement) {
        if (const std::optional<QString> found = FindPrefix(name, scope, isElement))
            return *found;
        const XmlNamespace ns{NewPrefix(name, declared, isElement), name.uri, true};
        declared.push_back(ns);
        scope.push_back(ns);
        return ns.prefix;
    };

    const QString qualified = QualifiedName(prefixFor(node.name, true), node.name.localName);
    QString s = u'<' + qualified;
    QString attributes;
    for (const XmlNodePtr &attribute : node.attributes) {
        attributes += u' ' + QualifiedName(prefixFor(attribute->name, false), attribute->name.localName) +
                      QStringLiteral("=\"") + EscapeAttributeValue(attribute->value) + u'"';
    }
    s += attributes;
    for (const XmlNamespace &ns : declared)
        s += Declaration(ns);

    if (node.children.empty() || depth >= kXmlMaxDepth)
        return s + QStringLiteral("/>");
    return s + u'>' + writeChildren(node, scope, indent, depth) + QStringLiteral("</") + qualified + u'>';
}

QString Writer::writeChildren(const XmlNode &node, const std::vector<XmlNamespace> &scope, int indent,
                              int depth) const
{
    const bool indentChildren = node.children.size() > 1 || node.children.front()->kind != XmlKind::Text;
    const bool pretty = settings.prettyPrinting && indentChildren;
    const int childIndent = pretty ? std::min(indent + indentStep, kMaxIndent) : 0;
    QString s;
    for (const XmlNodePtr &child : node.children) {
        if (pretty)
            s += u'\n';
        s += write(*child, scope, childIndent, depth + 1);
    }
    if (pretty)
        s += u'\n' + Spaces(indent);
    return s;
}

} // namespace

QString EscapeElementValue(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else if (c == u'&')
            out += QStringLiteral("&amp;");
        else
            out += c;
    }
    return out;
}

QString EscapeAttributeValue(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'"')
            out += QStringLiteral("&quot;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'\n')
            out += QStringLiteral("&#xA;");
        else if (c == u'\r')
            out += QStringLiteral("&#xD;");
        else if (c == u'\t')
            out += QStringLiteral("&#x9;");
        else
            out += c;
    }
    return out;
}

QString ToXmlString(const XmlNode &node, const XmlSettings &settings)
{
    // A negative indent turns pretty printing off, as the player does.
    XmlSettings effective = settings;
    effective.prettyPrinting = settings.prettyPrinting && settings.prettyIndent >= 0;
    const Writer writer{effective, std::min(settings.prettyIndent, kMaxIndent)};
    return writer.write(node, {}, 0, 0);
}

QString ToXmlString(const XmlNodeList &list, const XmlSettings &settings)
{
    QString s;
    for (size_t i = 0; i < list.size(); ++i) {
        // The player puts each item on its own line, pretty printing or not.
        if (i > 0)
            s += u'\n';
        s += ToXmlString(*list[i], settings);
    }
    return s;
}

QString ToString(const XmlNode &node, const XmlSettings &settings)
{
    if (node.kind == XmlKind::Text || node.kind == XmlKind::Attribute)
        return node.value;
    if (!HasSimpleContent(node))
        return ToXmlString(node, settings);
    QString s;
    for (const XmlNodePtr &child : node.children) {
        if (child->kind == XmlKind::Text)
            s += child->value;
    }
    return s;
}

QString ToString(const XmlNodeList &list, const XmlSettings &settings)
{
    if (!HasSimpleContent(list))
        return ToXmlString(list, settings);
    QString s;
    for (const XmlNodePtr &node : list) {
        if (node->kind != XmlKind::Comment && node->kind != XmlKind::ProcessingInstruction)
            s += ToString(*node, settings);
    }
    return s;
}

} // namespace swf::avm2
