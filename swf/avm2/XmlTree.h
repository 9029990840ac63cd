#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <vector>

// The tree behind ActionScript 3's XML and XMLList classes (E4X): nodes,
// the parser XML() and XMLList() apply to strings, and the text forms
// toString() and toXMLString() give.
namespace swf::avm2 {

// The class-wide XML settings the parser and the serializer follow.
struct XmlSettings {
    bool ignoreComments = true;
    bool ignoreProcessingInstructions = true;
    bool ignoreWhitespace = true;
    bool prettyPrinting = true;
    int prettyIndent = 2;
};

enum class XmlKind { Element, Text, Comment, ProcessingInstruction, Attribute };

// A namespace binding; a prefix may be unknown (Namespace("uri") has none).
struct XmlNamespace {
    QString prefix;
    QString uri;
    bool hasPrefix = true;
};

// An element, attribute or processing instruction's name. The text form
// writes a name with its own prefix (declaring it where it is not bound to
// the URI); a name without one borrows a prefix bound to its URI.
struct XmlName {
    QString uri;
    QString localName;
    QString prefix;
    bool hasPrefix = false;
};

// What a child, attribute or descendant lookup selects: "*" as URI or local name
// is a wildcard; anyUri matches every namespace (an unqualified x.*).
struct XmlNameTest {
    QString uri;
    QString localName;
    bool anyUri = false;
};

class XmlNode;
using XmlNodePtr = std::shared_ptr<XmlNode>;
using XmlNodeList = std::vector<XmlNodePtr>;

// One node. Children and attributes are owned; the parent is only observed,
// so a tree lives as long as its root is held: whoever keeps a child and
// wants its parent() must keep the root too.
class XmlNode {
public:
    explicit XmlNode(XmlKind kind) : kind(kind) {}
    // Takes a tree apart without recursion, so no depth exhausts the stack.
    ~XmlNode();
    XmlNode(const XmlNode &) = delete;
    XmlNode &operator=(const XmlNode &) = delete;

    XmlKind kind;
    XmlName name;                       // element, attribute, processing instruction
    QString value;                      // text, comment, instruction, attribute
    bool cdata = false;                 // text read from a CDATA section, written back as one
    std::weak_ptr<XmlNode> parent;
    XmlNodeList attributes;             // element only
    XmlNodeList children;               // element only
    std::vector<XmlNamespace> namespaces; // element only: those declared on it
};

// E4X's white space: space, tab, CR and LF.
bool IsXmlWhitespace(QChar c);
QString TrimXmlWhitespace(const QString &text);

XmlNodePtr MakeElement(const XmlName &name);
XmlNodePtr MakeText(const QString &text);
XmlNodePtr MakeComment(const QString &text);
XmlNodePtr MakeProcessingInstruction(const QString &target, const QString &text);
XmlNodePtr MakeAttribute(const XmlName &name, const QString &value);

// The Flash player's numbers for XML faults.
enum XmlError {
    XmlPrefixNotBound = 1083,
    XmlBadQName = 1084,
    XmlUnterminatedElementTag = 1085,
    XmlMarkupAfterRoot = 1088,
    XmlMalformedElement = 1090,
    XmlUnterminatedCdata = 1091,
    XmlUnterminatedDeclaration = 1092,
    XmlUnterminatedDocType = 1093,
    XmlUnterminatedComment = 1094,
    XmlUnterminatedAttribute = 1095,
    XmlUnterminatedElement = 1096,
    XmlUnterminatedInstruction = 1097,
    XmlDuplicateAttribute = 1104
};

// Parses text as the content of an element whose default namespace is
// defaultNamespace, as XMLList("...") does; the nodes come without parent.
// On failure gives nullopt, with "Error #n: message" in *error (when given).
// Refuses texts over kXmlMaxTextLength, nesting deeper than kXmlMaxDepth,
// elements with more than kXmlMaxAttributes attributes and declarations, and
// more than kXmlMaxBindings declarations in effect at once, so that hostile
// texts cost time in proportion to their length.
constexpr int kXmlMaxTextLength = 16 * 1024 * 1024;
constexpr int kXmlMaxDepth = 256;
constexpr int kXmlMaxAttributes = 1024;
constexpr int kXmlMaxBindings = 256;
std::optional<XmlNodeList> ParseXmlList(const QString &text, const XmlSettings &settings,
                                        const QString &defaultNamespace, QString *error);
// XML("..."): no node gives an empty text node, more than one an error.
XmlNodePtr ParseXml(const QString &text, const XmlSettings &settings,
                    const QString &defaultNamespace, QString *error);

// Text: < > & as entities. Attribute values: " < & and tab, CR, LF.
QString EscapeElementValue(const QString &text);
QString EscapeAttributeValue(const QString &text);
// toXMLString(). The node written first declares every binding in scope
// where it sits; attributes come before declarations; elements deeper
// than kXmlMaxDepth are written empty. A negative prettyIndent writes flat.
QString ToXmlString(const XmlNode &node, const XmlSettings &settings);
// Items one a line, pretty printing or not.
QString ToXmlString(const XmlNodeList &list, const XmlSettings &settings);
// toString(): text of simple content (comments and instructions left out),
// else toXMLString().
QString ToString(const XmlNode &node, const XmlSettings &settings);
QString ToString(const XmlNodeList &list, const XmlSettings &settings);

bool HasSimpleContent(const XmlNode &node);
bool HasComplexContent(const XmlNode &node);
bool HasSimpleContent(const XmlNodeList &list);
// A copy without parent; deeper than kXmlMaxDepth the copy's elements are empty.
XmlNodePtr DeepCopy(const XmlNode &node);
// XML's ==: kinds, names by URI and local name, values, attributes in any
// order and children in order; prefixes and declarations do not count.
bool XmlEquals(const XmlNode &a, const XmlNode &b);

// Lookups. Trees deeper than kXmlMaxDepth are walked only that deep.
bool MatchesName(const XmlNode &node, const XmlNameTest &test);
XmlNodeList Children(const XmlNode &node, const XmlNameTest &test);
XmlNodeList Attributes(const XmlNode &node, const XmlNameTest &test);
// What node..name (or, with attributes, node..@name) selects, in document
// order: node's own attributes come first.
XmlNodeList Descendants(const XmlNode &node, const XmlNameTest &test, bool attributes);
XmlNodeList Elements(const XmlNode &node, const XmlNameTest &test);
XmlNodeList Texts(const XmlNode &node);
XmlNodeList Comments(const XmlNode &node);
// An empty localName selects every instruction.
XmlNodeList ProcessingInstructions(const XmlNode &node, const QString &localName);
// Position among the parent's children; -1 without parent or for attributes.
int ChildIndex(const XmlNode &node);

// Changes. A node put into a tree leaves the tree it was in. A change that
// would make a node its own ancestor, or target a non-element, is refused
// (false), as is one under a node with more than kXmlMaxAncestors above it.
// Attributes cannot become children.
constexpr int kXmlMaxAncestors = 65536;
bool InsertChildAt(const XmlNodePtr &parent, int index, const XmlNodeList &nodes);
bool InsertChildAfter(const XmlNodePtr &parent, const XmlNodePtr &ref, const XmlNodeList &nodes);
bool InsertChildBefore(const XmlNodePtr &parent, const XmlNodePtr &ref, const XmlNodeList &nodes);
bool AppendChild(const XmlNodePtr &parent, const XmlNodeList &nodes);
bool PrependChild(const XmlNodePtr &parent, const XmlNodeList &nodes);
// Puts nodes where the child at index was (index past the end appends).
bool ReplaceChild(const XmlNodePtr &parent, int index, const XmlNodeList &nodes);
bool SetChildren(const XmlNodePtr &parent, const XmlNodeList &nodes);
void RemoveChild(XmlNode &parent, int index);
// Joins neighbouring text nodes and drops those of white space alone, all the way down.
void Normalize(XmlNode &node);

// Declares ns on element; a binding of the same prefix to another URI is
// replaced. A node whose name uses the prefix keeps its URI but loses it.
void AddInScopeNamespace(XmlNode &element, const XmlNamespace &ns);
// Drops the declarations of ns's URI (and prefix, when given) from element
// and below, except where a name still uses them.
void RemoveNamespace(XmlNode &element, const XmlNamespace &ns);
// The bindings in effect at node, nearest first, each prefix once.
std::vector<XmlNamespace> InScopeNamespaces(const XmlNode &node);
// The bindings node declares that its ancestors do not already make.
std::vector<XmlNamespace> NamespaceDeclarations(const XmlNode &node);
// Renames node, declaring the name's prefix on the element (or the
// attribute's element) when it is new there.
void SetName(XmlNode &node, const XmlName &name);

} // namespace swf::avm2
