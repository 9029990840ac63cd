// XML: one node of an E4X tree, with the methods and class-wide settings
// the player has.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NamespaceObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/XmlObject.h"

namespace swf::avm2 {

Value NamespaceValue(Runtime &rt, const XmlNamespace &ns)
{
    const QString prefix = ns.hasPrefix ? (ns.prefix.isNull() ? QStringLiteral("") : ns.prefix) : QString();
    return rt.newNamespace(rt.namespaces.intern(NamespaceKind::Namespace, ns.uri), prefix);
}

XmlNamespace ToXmlNamespace(Runtime &rt, const Value &value)
{
    XmlNamespace out;
    if (auto *ns = dynamic_cast<NamespaceObject *>(value.asObject())) {
        out.uri = ns->ns->uri;
        out.hasPrefix = !ns->prefix.isUndefined();
        out.prefix = out.hasPrefix ? rt.toString(ns->prefix) : QString();
        return out;
    }
    if (auto *qname = dynamic_cast<QNameObject *>(value.asObject()))
        out.uri = qname->ns ? qname->ns->uri : QString();
    else
        out.uri = rt.toString(value);
    out.hasPrefix = out.uri.isEmpty();
    return out;
}

Value QNameValue(Runtime &rt, const XmlName &name)
{
    auto *object = static_cast<QNameObject *>(rt.allocate(rt.qnameClass));
    object->localName = name.localName;
    object->ns = rt.namespaces.intern(NamespaceKind::Namespace, name.uri);
    return Value(static_cast<Object *>(object));
}

XmlName ToXmlName(Runtime &rt, const Value &value)
{
    XmlName out;
    if (auto *qname = dynamic_cast<QNameObject *>(value.asObject())) {
        out.localName = qname->localName;
        out.uri = qname->ns ? qname->ns->uri : QString();
        return out;
    }
    out.localName = rt.toString(value);
    out.uri = DefaultXmlNamespaceUri(rt);
    return out;
}

namespace {

constexpr int CyclicalLoop = 1118;
constexpr int InvalidName = 1117;

XmlObject *xmlOf(Runtime &rt, const Value &self)
{
    XmlObject *object = ThisAs<XmlObject>(rt, self, "XML");
    if (!object->held.node)
        rt.throwError(ErrorType::TypeError, 1034, QStringList{rt.describe(self), QStringLiteral("XML")});
    return object;
}
XmlNode &nodeOf(Runtime &rt, const Value &self) { return xmlOf(rt, self)->node(); }
const XmlNodePtr &ptrOf(Runtime &rt, const Value &self) { return xmlOf(rt, self)->held.node; }

Value list(Runtime &rt, const XmlNodeList &nodes) { return NewXmlList(rt, nodes); }

XmlNodeList filtered(const XmlNodeList &nodes, const std::vector<XmlNameTest> &tests)
{
    XmlNodeList out;
    for (const XmlNodePtr &node : nodes)
        if (MatchesAny(*node, tests))
            out.push_back(node);
    return out;
}

// What a method given a name argument or none selects: "*" by default.
std::vector<XmlNameTest> testsOrAll(Runtime &rt, Args args)
{
    return NameTestsOf(rt, args.has(0) ? args[0] : Value(QStringLiteral("*")));
}

// The nodes insertion methods take: XML itself, else parsed text.
XmlNodeList insertable(Runtime &rt, const Value &value)
{
    if (std::optional<XmlNodeList> nodes = NodesOf(value))
        return *nodes;
    XmlNodeList parsed = ToXmlNodes(rt, value);
    return parsed;
}

void refused(Runtime &rt, bool ok)
{
    if (!ok)
        rt.throwError(ErrorType::TypeError, CyclicalLoop, QStringList{});
}

Value addNamespace(Runtime &rt, const Value &self, Args args)
{
    AddInScopeNamespace(nodeOf(rt, self), ToXmlNamespace(rt, args[0]));
    return self;
}

Value appendChild(Runtime &rt, const Value &self, Args args)
{
    if (nodeOf(rt, self).kind == XmlKind::Element)
        refused(rt, AppendChild(ptrOf(rt, self), insertable(rt, args[0])));
    return self;
}

Value prependChild(Runtime &rt, const Value &self, Args args)
{
    if (nodeOf(rt, self).kind == XmlKind::Element)
        refused(rt, PrependChild(ptrOf(rt, self), insertable(rt, args[0])));
    return self;
}

XmlNodePtr referenceNode(const Value &value)
{
    std::optional<XmlNodeList> nodes = NodesOf(value);
    return nodes && nodes->size() == 1 ? (*nodes)[0] : nullptr;
}

Value insertChildAfter(Runtime &rt, const Value &self, Args args)
{
    if (nodeOf(rt, self).kind != XmlKind::Element)
        return Value();
    if (args[0].isNull()) {
        refused(rt, PrependChild(ptrOf(rt, self), insertable(rt, args[1])));
        return self;
    }
    XmlNodePtr ref = referenceNode(args[0]);
    return ref && InsertChildAfter(ptrOf(rt, self), ref, insertable(rt, args[1])) ? self : Value();
}

Value insertChildBefore(Runtime &rt, const Value &self, Args args)
{
    if (nodeOf(rt, self).kind != XmlKind::Element)
        return Value();
    if (args[0].isNull()) {
        refused(rt, AppendChild(ptrOf(rt, self), insertable(rt, args[1])));
        return self;
    }
    XmlNodePtr ref = referenceNode(args[0]);
    return ref && InsertChildBefore(ptrOf(rt, self), ref, insertable(rt, args[1])) ? self : Value();
}

Value attribute(Runtime &rt, const Value &self, Args args)
{
    std::vector<XmlNameTest> tests = NameTestsOf(rt, args[0]);
    if (!dynamic_cast<QNameObject *>(args[0].asObject()) && !tests[0].anyUri)
        tests[0].uri.clear();
    return list(rt, filtered(nodeOf(rt, self).attributes, tests));
}

Value attributes(Runtime &rt, const Value &self, Args) { return list(rt, nodeOf(rt, self).attributes); }

Value child(Runtime &rt, const Value &self, Args args)
{
    XmlNode &node = nodeOf(rt, self);
    if (args[0].isNumber() || args[0].isInt()) {
        const double index = rt.toNumber(args[0]);
        if (index >= 0 && index < double(node.children.size()))
            return list(rt, {node.children[size_t(index)]});
        return list(rt, {});
    }
    std::vector<XmlNameTest> tests = NameTestsOf(rt, args[0]);
    XmlNodeList out;
    for (const XmlNodePtr &c : node.children)
        if ((tests[0].localName == QLatin1String("*") && tests[0].anyUri) || (c->kind == XmlKind::Element && MatchesAny(*c, tests)))
            out.push_back(c);
    return NewXmlList(rt, out, self, Multiname::publicName(rt.namespaces, tests[0].localName));
}

Value childIndex(Runtime &rt, const Value &self, Args) { return Value(ChildIndex(nodeOf(rt, self))); }
Value children(Runtime &rt, const Value &self, Args)
{
    Multiname all;
    all.anyName = true;
    all.namespaces.push_back(rt.namespaces.publicNs());
    return NewXmlList(rt, nodeOf(rt, self).children, self, all);
}
Value comments(Runtime &rt, const Value &self, Args) { return list(rt, Comments(nodeOf(rt, self))); }
// Only XML is contained: a text never equals a node here.
Value contains(Runtime &rt, const Value &self, Args args)
{
    return Value(NodesOf(args[0]) && rt.looseEquals(self, args[0]));
}
Value copy(Runtime &rt, const Value &self, Args) { return NewXml(rt, DeepCopy(nodeOf(rt, self))); }

Value descendants(Runtime &rt, const Value &self, Args args)
{
    return list(rt, filtered(Descendants(nodeOf(rt, self), testsOrAll(rt, args)[0], false), testsOrAll(rt, args)));
}

Value elements(Runtime &rt, const Value &self, Args args)
{
    return list(rt, Elements(nodeOf(rt, self), testsOrAll(rt, args)[0]));
}

Value hasComplexContent(Runtime &rt, const Value &self, Args) { return Value(HasComplexContent(nodeOf(rt, self))); }
Value hasSimpleContent(Runtime &rt, const Value &self, Args) { return Value(HasSimpleContent(nodeOf(rt, self))); }

Value hasOwnProperty(Runtime &rt, const Value &self, Args args)
{
    return Value(xmlOf(rt, self)->hasOwn(rt, rt.publicName(rt.toString(args[0]))));
}

Value namespaceArray(Runtime &rt, const std::vector<XmlNamespace> &namespaces)
{
    std::vector<Value> values;
    for (const XmlNamespace &ns : namespaces)
        values.push_back(NamespaceValue(rt, ns));
    return Value(static_cast<Object *>(rt.newArray(std::move(values))));
}

Value inScopeNamespaces(Runtime &rt, const Value &self, Args) { return namespaceArray(rt, InScopeNamespaces(nodeOf(rt, self))); }
Value namespaceDeclarations(Runtime &rt, const Value &self, Args)
{
    return namespaceArray(rt, NamespaceDeclarations(nodeOf(rt, self)));
}

Value length(Runtime &, const Value &, Args) { return Value(1); }

bool isNamed(const XmlNode &node)
{
    return node.kind == XmlKind::Element || node.kind == XmlKind::Attribute || node.kind == XmlKind::ProcessingInstruction;
}

Value localName(Runtime &rt, const Value &self, Args)
{
    XmlNode &node = nodeOf(rt, self);
    return isNamed(node) ? Value(node.name.localName) : Value::null();
}

Value name(Runtime &rt, const Value &self, Args)
{
    XmlNode &node = nodeOf(rt, self);
    return isNamed(node) ? QNameValue(rt, node.name) : Value::null();
}

Value namespaceMethod(Runtime &rt, const Value &self, Args args)
{
    XmlNode &node = nodeOf(rt, self);
    const std::vector<XmlNamespace> scope = InScopeNamespaces(node);
    if (args.has(0)) {
        const QString prefix = rt.toString(args[0]);
        for (const XmlNamespace &ns : scope)
            if (ns.hasPrefix && ns.prefix == prefix)
                return NamespaceValue(rt, ns);
        return Value();
    }
    if (!isNamed(node) || node.kind == XmlKind::ProcessingInstruction)
        return Value::null();
    for (const XmlNamespace &ns : scope)
        if (ns.uri == node.name.uri && (!node.name.hasPrefix || ns.prefix == node.name.prefix))
            return NamespaceValue(rt, ns);
    XmlNamespace own;
    own.uri = node.name.uri;
    own.prefix = node.name.prefix;
    own.hasPrefix = node.name.hasPrefix || own.uri.isEmpty();
    return NamespaceValue(rt, own);
}

Value nodeKind(Runtime &rt, const Value &self, Args)
{
    switch (nodeOf(rt, self).kind) {
    case XmlKind::Element: return Value(QStringLiteral("element"));
    case XmlKind::Text: return Value(QStringLiteral("text"));
    case XmlKind::Comment: return Value(QStringLiteral("comment"));
    case XmlKind::ProcessingInstruction: return Value(QStringLiteral("processing-instruction"));
    case XmlKind::Attribute: return Value(QStringLiteral("attribute"));
    }
    return Value();
}

Value normalize(Runtime &rt, const Value &self, Args)
{
    Normalize(nodeOf(rt, self));
    return self;
}

Value parent(Runtime &rt, const Value &self, Args)
{
    XmlNodePtr up = nodeOf(rt, self).parent.lock();
    return up ? NewXml(rt, up) : Value();
}

Value processingInstructions(Runtime &rt, const Value &self, Args args)
{
    const QString name = args.has(0) ? rt.toString(args[0]) : QStringLiteral("*");
    return list(rt, ProcessingInstructions(nodeOf(rt, self), name == QLatin1String("*") ? QString() : name));
}

Value propertyIsEnumerable(Runtime &rt, const Value &self, Args args)
{
    xmlOf(rt, self);
    return Value(rt.toString(args[0]) == QLatin1String("0"));
}

Value removeNamespace(Runtime &rt, const Value &self, Args args)
{
    if (nodeOf(rt, self).kind == XmlKind::Element)
        RemoveNamespace(nodeOf(rt, self), ToXmlNamespace(rt, args[0]));
    return self;
}

Value replace(Runtime &rt, const Value &self, Args args)
{
    XmlNode &node = nodeOf(rt, self);
    if (node.kind != XmlKind::Element)
        return self;
    XmlNodeList nodes = NodesOf(args[1]) ? *NodesOf(args[1]) : XmlNodeList{MakeText(rt.toString(args[1]))};
    if (args[0].isInt() || args[0].isNumber()) {
        const double index = rt.toNumber(args[0]);
        if (index >= 0 && index <= double(kXmlMaxAncestors))
            ReplaceChild(ptrOf(rt, self), int(index), nodes);
        return self;
    }
    const std::vector<XmlNameTest> tests = NameTestsOf(rt, args[0]);
    int first = -1;
    for (int k = int(node.children.size()) - 1; k >= 0; --k) {
        const XmlNode &c = *node.children[size_t(k)];
        if (c.kind != XmlKind::Element || !MatchesAny(c, tests))
            continue;
        if (first >= 0)
            RemoveChild(node, first);
        first = k;
    }
    if (first >= 0)
        ReplaceChild(ptrOf(rt, self), first, nodes);
    return self;
}

Value setChildren(Runtime &rt, const Value &self, Args args)
{
    if (nodeOf(rt, self).kind == XmlKind::Element) {
        Multiname all;
        all.anyName = true;
        all.anyNamespace = true;
        AssignChild(rt, ptrOf(rt, self), all, args[0]);
    }
    return self;
}

// A name XML can carry: a letter or _ first, then letters, digits, . - _.
void checkName(Runtime &rt, const QString &name)
{
    bool valid = !name.isEmpty() && (name[0].isLetter() || name[0] == QLatin1Char('_'));
    for (QChar c : name)
        valid = valid && (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_'));
    if (!valid)
        rt.throwError(ErrorType::TypeError, InvalidName, QStringList{name});
}

Value setLocalName(Runtime &rt, const Value &self, Args args)
{
    XmlNode &node = nodeOf(rt, self);
    if (isNamed(node)) {
        XmlName renamed = node.name;
        renamed.localName = ToXmlName(rt, args[0]).localName;
        checkName(rt, renamed.localName);
        SetName(node, renamed);
    }
    return Value();
}

Value setName(Runtime &rt, const Value &self, Args args)
{
    XmlNode &node = nodeOf(rt, self);
    if (isNamed(node)) {
        XmlName renamed = ToXmlName(rt, args[0]);
        checkName(rt, renamed.localName);
        if (node.kind == XmlKind::ProcessingInstruction || node.kind == XmlKind::Attribute)
            renamed.uri.clear();
        SetName(node, renamed);
    }
    return Value();
}

Value setNamespace(Runtime &rt, const Value &self, Args args)
{
    XmlNode &node = nodeOf(rt, self);
    if (node.kind == XmlKind::Element || node.kind == XmlKind::Attribute) {
        const XmlNamespace ns = ToXmlNamespace(rt, args[0]);
        XmlName renamed = node.name;
        renamed.uri = ns.uri;
        renamed.prefix = ns.prefix;
        renamed.hasPrefix = ns.hasPrefix;
        SetName(node, renamed);
    }
    return Value();
}

Value text(Runtime &rt, const Value &self, Args) { return list(rt, Texts(nodeOf(rt, self))); }
Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(ToString(nodeOf(rt, self), rt.xmlSettings));
}
Value toXMLString(Runtime &rt, const Value &self, Args)
{
    return Value(ToXmlString(nodeOf(rt, self), rt.xmlSettings));
}
Value valueOf(Runtime &rt, const Value &self, Args)
{
    xmlOf(rt, self);
    return self;
}

// new XML(value) copies XML; XML(value) keeps it.
Value construct(Runtime &rt, const Value &self, Args args)
{
    auto *object = static_cast<XmlObject *>(self.asObject());
    const XmlNodePtr node = ToXmlNode(rt, args[0]);
    object->held = Hold(NodesOf(args[0]) ? DeepCopy(*node) : node);
    return Value();
}

Value call(Runtime &rt, const Value &, Args args)
{
    if (dynamic_cast<XmlObject *>(args[0].asObject()))
        return args[0];
    return NewXml(rt, ToXmlNode(rt, args[0]));
}

// The class-wide settings.
template <bool XmlSettings::*Field> Value getFlag(Runtime &rt, const Value &, Args)
{
    return Value(rt.xmlSettings.*Field);
}
template <bool XmlSettings::*Field> Value setFlag(Runtime &rt, const Value &, Args args)
{
    rt.xmlSettings.*Field = rt.toBoolean(args[0]);
    return Value();
}
Value getPrettyIndent(Runtime &rt, const Value &, Args) { return Value(rt.xmlSettings.prettyIndent); }
Value setPrettyIndent(Runtime &rt, const Value &, Args args)
{
    rt.xmlSettings.prettyIndent = rt.toInt(args[0]);
    return Value();
}

const char *const kIgnoreComments = "ignoreComments";
const char *const kIgnoreInstructions = "ignoreProcessingInstructions";
const char *const kIgnoreWhitespace = "ignoreWhitespace";
const char *const kPrettyPrinting = "prettyPrinting";
const char *const kPrettyIndent = "prettyIndent";

Value settingsObject(Runtime &rt, const XmlSettings &settings)
{
    Object *object = rt.newObject();
    const Value value(object);
    rt.set(value, QLatin1String(kIgnoreComments), Value(settings.ignoreComments));
    rt.set(value, QLatin1String(kIgnoreInstructions), Value(settings.ignoreProcessingInstructions));
    rt.set(value, QLatin1String(kIgnoreWhitespace), Value(settings.ignoreWhitespace));
    rt.set(value, QLatin1String(kPrettyPrinting), Value(settings.prettyPrinting));
    rt.set(value, QLatin1String(kPrettyIndent), Value(settings.prettyIndent));
    return value;
}

Value settings(Runtime &rt, const Value &, Args) { return settingsObject(rt, rt.xmlSettings); }
Value defaultSettings(Runtime &rt, const Value &, Args) { return settingsObject(rt, XmlSettings()); }

void readFlag(Runtime &rt, const Value &from, const char *name, bool &field)
{
    const Value v = rt.get(from, QLatin1String(name));
    if (v.isBoolean())
        field = v.asBool();
}

Value setSettings(Runtime &rt, const Value &, Args args)
{
    XmlSettings &settings = rt.xmlSettings;
    if (!args[0].isObject()) {
        settings = XmlSettings();
        return Value();
    }
    readFlag(rt, args[0], kIgnoreComments, settings.ignoreComments);
    readFlag(rt, args[0], kIgnoreInstructions, settings.ignoreProcessingInstructions);
    readFlag(rt, args[0], kIgnoreWhitespace, settings.ignoreWhitespace);
    readFlag(rt, args[0], kPrettyPrinting, settings.prettyPrinting);
    if (const Value indent = rt.get(args[0], QLatin1String(kPrettyIndent)); indent.isInt() || indent.isNumber())
        settings.prettyIndent = rt.toInt(indent);
    return Value();
}

} // namespace

extern const NativeClass XMLClass = {
    "", "XML", "Object", ClassFinal, CreateNative<XmlObject>, construct, call,
    {
        {"addNamespace", MemberKind::Method, addNamespace, 1, MemberAs3},
        {"appendChild", MemberKind::Method, appendChild, 1, MemberAs3},
        {"attribute", MemberKind::Method, attribute, 1, MemberAs3},
        {"attributes", MemberKind::Method, attributes, 0, MemberAs3},
        {"child", MemberKind::Method, child, 1, MemberAs3},
        {"childIndex", MemberKind::Method, childIndex, 0, MemberAs3},
        {"children", MemberKind::Method, children, 0, MemberAs3},
        {"comments", MemberKind::Method, comments, 0, MemberAs3},
        {"contains", MemberKind::Method, contains, 1, MemberAs3},
        {"copy", MemberKind::Method, copy, 0, MemberAs3},
        {"descendants", MemberKind::Method, descendants, 0, MemberAs3},
        {"elements", MemberKind::Method, elements, 0, MemberAs3},
        {"hasComplexContent", MemberKind::Method, hasComplexContent, 0, MemberAs3},
        {"hasOwnProperty", MemberKind::Method, hasOwnProperty, 1, MemberAs3},
        {"hasSimpleContent", MemberKind::Method, hasSimpleContent, 0, MemberAs3},
        {"inScopeNamespaces", MemberKind::Method, inScopeNamespaces, 0, MemberAs3},
        {"insertChildAfter", MemberKind::Method, insertChildAfter, 2, MemberAs3},
        {"insertChildBefore", MemberKind::Method, insertChildBefore, 2, MemberAs3},
        {"length", MemberKind::Method, length, 0, MemberAs3},
        {"localName", MemberKind::Method, localName, 0, MemberAs3},
        {"name", MemberKind::Method, name, 0, MemberAs3},
        {"namespace", MemberKind::Method, namespaceMethod, 0, MemberAs3},
        {"namespaceDeclarations", MemberKind::Method, namespaceDeclarations, 0, MemberAs3},
        {"nodeKind", MemberKind::Method, nodeKind, 0, MemberAs3},
        {"normalize", MemberKind::Method, normalize, 0, MemberAs3},
        {"parent", MemberKind::Method, parent, 0, MemberAs3},
        {"prependChild", MemberKind::Method, prependChild, 1, MemberAs3},
        {"processingInstructions", MemberKind::Method, processingInstructions, 0, MemberAs3},
        {"propertyIsEnumerable", MemberKind::Method, propertyIsEnumerable, 1, MemberAs3},
        {"removeNamespace", MemberKind::Method, removeNamespace, 1, MemberAs3},
        {"replace", MemberKind::Method, replace, 2, MemberAs3},
        {"setChildren", MemberKind::Method, setChildren, 1, MemberAs3},
        {"setLocalName", MemberKind::Method, setLocalName, 1, MemberAs3},
        {"setName", MemberKind::Method, setName, 1, MemberAs3},
        {"setNamespace", MemberKind::Method, setNamespace, 1, MemberAs3},
        {"text", MemberKind::Method, text, 0, MemberAs3},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberAs3},
        {"toXMLString", MemberKind::Method, toXMLString, 0, MemberAs3},
        {"valueOf", MemberKind::Method, valueOf, 0, MemberAs3},
        {"ignoreComments", MemberKind::Getter, getFlag<&XmlSettings::ignoreComments>, 0, MemberStatic},
        {"ignoreComments", MemberKind::Setter, setFlag<&XmlSettings::ignoreComments>, 0, MemberStatic},
        {"ignoreProcessingInstructions", MemberKind::Getter, getFlag<&XmlSettings::ignoreProcessingInstructions>, 0, MemberStatic},
        {"ignoreProcessingInstructions", MemberKind::Setter, setFlag<&XmlSettings::ignoreProcessingInstructions>, 0, MemberStatic},
        {"ignoreWhitespace", MemberKind::Getter, getFlag<&XmlSettings::ignoreWhitespace>, 0, MemberStatic},
        {"ignoreWhitespace", MemberKind::Setter, setFlag<&XmlSettings::ignoreWhitespace>, 0, MemberStatic},
        {"prettyPrinting", MemberKind::Getter, getFlag<&XmlSettings::prettyPrinting>, 0, MemberStatic},
        {"prettyPrinting", MemberKind::Setter, setFlag<&XmlSettings::prettyPrinting>, 0, MemberStatic},
        {"prettyIndent", MemberKind::Getter, getPrettyIndent, 0, MemberStatic},
        {"prettyIndent", MemberKind::Setter, setPrettyIndent, 0, MemberStatic},
        {"settings", MemberKind::Method, settings, 0, MemberStatic},
        {"setSettings", MemberKind::Method, setSettings, 1, MemberStatic},
        {"defaultSettings", MemberKind::Method, defaultSettings, 0, MemberStatic},
    },
    {{"length", 1}},
};

} // namespace swf::avm2
