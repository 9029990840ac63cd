#include "swf/avm2/XmlTree.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

const QString kWildcard = QStringLiteral("*");

XmlNodeList Filter(const XmlNodeList &nodes, XmlKind kind)
{
    XmlNodeList out;
    for (const XmlNodePtr &node : nodes) {
        if (node->kind == kind)
            out.push_back(node);
    }
    return out;
}

// x..@a starts with x's own attributes; x..* takes text, comments and
// instructions too, while named lookups take only elements.
void CollectDescendants(const XmlNode &node, const XmlNameTest &test, bool attributes, int depth,
                        XmlNodeList *out)
{
    if (attributes) {
        const XmlNodeList matched = Attributes(node, test);
        out->insert(out->end(), matched.begin(), matched.end());
    }
    if (depth >= kXmlMaxDepth)
        return;
    const bool everyKind = test.localName == kWildcard && (test.anyUri || test.uri == kWildcard);
    for (const XmlNodePtr &child : node.children) {
        if (!attributes && (everyKind || (child->kind == XmlKind::Element && MatchesName(*child, test))))
            out->push_back(child);
        if (child->kind == XmlKind::Element)
            CollectDescendants(*child, test, attributes, depth + 1, out);
    }
}

// Whether candidate is node or above it; a chain too long to walk counts as
// yes, so no insertion can close a loop the walk did not see.
bool IsAncestorOrSelf(const XmlNode *candidate, const XmlNode *node)
{
    XmlNodePtr hold;
    for (int depth = 0; node; ++depth) {
        if (node == candidate || depth > kXmlMaxAncestors)
            return true;
        hold = node->parent.lock();
        node = hold.get();
    }
    return false;
}

void Detach(const XmlNodePtr &node)
{
    const XmlNodePtr parent = node->parent.lock();
    if (!parent)
        return;
    auto &list = node->kind == XmlKind::Attribute ? parent->attributes : parent->children;
    list.erase(std::remove(list.begin(), list.end(), node), list.end());
    node->parent.reset();
}

bool CanTake(const XmlNodePtr &parent, const XmlNodeList &nodes)
{
    if (!parent || parent->kind != XmlKind::Element)
        return false;
    return std::none_of(nodes.begin(), nodes.end(), [&](const XmlNodePtr &node) {
        return !node || node->kind == XmlKind::Attribute || IsAncestorOrSelf(node.get(), parent.get());
    });
}

XmlNodePtr CopyNode(const XmlNode &node, int depth)
{
    auto copy = std::make_shared<XmlNode>(node.kind);
    copy->name = node.name;
    copy->value = node.value;
    copy->cdata = node.cdata;
    copy->namespaces = node.namespaces;
    for (const XmlNodePtr &attribute : node.attributes) {
        XmlNodePtr a = CopyNode(*attribute, depth + 1);
        a->parent = copy;
        copy->attributes.push_back(a);
    }
    if (depth >= kXmlMaxDepth)
        return copy;
    for (const XmlNodePtr &child : node.children) {
        XmlNodePtr c = CopyNode(*child, depth + 1);
        c->parent = copy;
        copy->children.push_back(c);
    }
    return copy;
}

bool SameName(const XmlName &a, const XmlName &b)
{
    return a.uri == b.uri && a.localName == b.localName;
}

bool EqualsAt(const XmlNode &a, const XmlNode &b, int depth)
{
    if (a.kind != b.kind || a.children.size() != b.children.size() || a.attributes.size() != b.attributes.size())
        return false;
    if (a.kind != XmlKind::Text && a.kind != XmlKind::Comment && !SameName(a.name, b.name))
        return false;
    if (a.kind != XmlKind::Element)
        return a.value == b.value;
    for (const XmlNodePtr &attribute : a.attributes) {
        const bool found = std::any_of(b.attributes.begin(), b.attributes.end(), [&](const XmlNodePtr &other) {
            return SameName(attribute->name, other->name) && attribute->value == other->value;
        });
        if (!found)
            return false;
    }
    if (depth >= kXmlMaxDepth)
        return true;
    for (size_t i = 0; i < a.children.size(); ++i) {
        if (!EqualsAt(*a.children[i], *b.children[i], depth + 1))
            return false;
    }
    return true;
}

bool UsesNamespace(const XmlNode &element, const XmlNamespace &ns)
{
    const auto uses = [&](const XmlName &name) { return name.uri == ns.uri && name.prefix == ns.prefix; };
    return uses(element.name) || std::any_of(element.attributes.begin(), element.attributes.end(),
                                             [&](const XmlNodePtr &a) { return uses(a->name); });
}

void RemoveNamespaceAt(XmlNode &element, const XmlNamespace &ns, int depth)
{
    auto &list = element.namespaces;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const XmlNamespace &declared) {
                                  return declared.uri == ns.uri && (!ns.hasPrefix || declared.prefix == ns.prefix) &&
                                         !UsesNamespace(element, declared);
                              }),
               list.end());
    if (depth >= kXmlMaxDepth)
        return;
    for (const XmlNodePtr &child : element.children) {
        if (child->kind == XmlKind::Element)
            RemoveNamespaceAt(*child, ns, depth + 1);
    }
}

// The player's normalize() drops text of white space alone, whatever ignoreWhitespace says.
bool IsBlank(const QString &text)
{
    return std::all_of(text.begin(), text.end(), IsXmlWhitespace);
}

void NormalizeAt(XmlNode &node, int depth)
{
    auto &children = node.children;
    for (size_t i = 0; i < children.size();) {
        const XmlNodePtr &child = children[i];
        if (child->kind == XmlKind::Element) {
            if (depth < kXmlMaxDepth)
                NormalizeAt(*child, depth + 1);
            ++i;
        } else if (child->kind == XmlKind::Text && i + 1 < children.size() &&
                   children[i + 1]->kind == XmlKind::Text) {
            child->value += children[i + 1]->value;
            child->cdata = false;
            children.erase(children.begin() + int(i) + 1);
        } else if (child->kind == XmlKind::Text && IsBlank(child->value)) {
            children.erase(children.begin() + int(i));
        } else {
            ++i;
        }
    }
}

} // namespace

bool IsXmlWhitespace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

QString TrimXmlWhitespace(const QString &text)
{
    int start = 0;
    int end = text.size();
    while (start < end && IsXmlWhitespace(text[start]))
        ++start;
    while (end > start && IsXmlWhitespace(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

XmlNode::~XmlNode()
{
    XmlNodeList pending;
    pending.swap(children);
    pending.insert(pending.end(), attributes.begin(), attributes.end());
    attributes.clear();
    while (!pending.empty()) {
        XmlNodePtr node = std::move(pending.back());
        pending.pop_back();
        if (node.use_count() != 1)
            continue;
        pending.insert(pending.end(), node->children.begin(), node->children.end());
        node->children.clear();
    }
}

XmlNodePtr MakeElement(const XmlName &name)
{
    auto node = std::make_shared<XmlNode>(XmlKind::Element);
    node->name = name;
    return node;
}

XmlNodePtr MakeText(const QString &text)
{
    auto node = std::make_shared<XmlNode>(XmlKind::Text);
    node->value = text;
    return node;
}

XmlNodePtr MakeComment(const QString &text)
{
    auto node = std::make_shared<XmlNode>(XmlKind::Comment);
    node->value = text;
    return node;
}

XmlNodePtr MakeProcessingInstruction(const QString &target, const QString &text)
{
    auto node = std::make_shared<XmlNode>(XmlKind::ProcessingInstruction);
    node->name.localName = target;
    node->value = text;
    return node;
}

XmlNodePtr MakeAttribute(const XmlName &name, const QString &value)
{
    auto node = std::make_shared<XmlNode>(XmlKind::Attribute);
    node->name = name;
    node->value = value;
    return node;
}

bool HasSimpleContent(const XmlNode &node)
{
    if (node.kind == XmlKind::Comment || node.kind == XmlKind::ProcessingInstruction)
        return false;
    return std::none_of(node.children.begin(), node.children.end(),
                        [](const XmlNodePtr &child) { return child->kind == XmlKind::Element; });
}

bool HasComplexContent(const XmlNode &node)
{
    return node.kind == XmlKind::Element && !HasSimpleContent(node);
}

bool HasSimpleContent(const XmlNodeList &list)
{
    if (list.size() == 1)
        return HasSimpleContent(*list.front());
    return std::none_of(list.begin(), list.end(),
                        [](const XmlNodePtr &node) { return node->kind == XmlKind::Element; });
}

XmlNodePtr DeepCopy(const XmlNode &node)
{
    return CopyNode(node, 0);
}

bool XmlEquals(const XmlNode &a, const XmlNode &b)
{
    return EqualsAt(a, b, 0);
}

bool MatchesName(const XmlNode &node, const XmlNameTest &test)
{
    if (test.localName != kWildcard && test.localName != node.name.localName)
        return false;
    return test.anyUri || test.uri == kWildcard || test.uri == node.name.uri;
}

XmlNodeList Children(const XmlNode &node, const XmlNameTest &test)
{
    const bool all = test.localName == kWildcard && (test.anyUri || test.uri == kWildcard);
    XmlNodeList out;
    for (const XmlNodePtr &child : node.children) {
        if (all || (child->kind == XmlKind::Element && MatchesName(*child, test)))
            out.push_back(child);
    }
    return out;
}

XmlNodeList Attributes(const XmlNode &node, const XmlNameTest &test)
{
    XmlNodeList out;
    for (const XmlNodePtr &attribute : node.attributes) {
        if (MatchesName(*attribute, test))
            out.push_back(attribute);
    }
    return out;
}

XmlNodeList Descendants(const XmlNode &node, const XmlNameTest &test, bool attributes)
{
    XmlNodeList out;
    CollectDescendants(node, test, attributes, 0, &out);
    return out;
}

XmlNodeList Elements(const XmlNode &node, const XmlNameTest &test)
{
    XmlNodeList out;
    for (const XmlNodePtr &child : node.children) {
        if (child->kind == XmlKind::Element && MatchesName(*child, test))
            out.push_back(child);
    }
    return out;
}

XmlNodeList Texts(const XmlNode &node)
{
    return Filter(node.children, XmlKind::Text);
}

XmlNodeList Comments(const XmlNode &node)
{
    return Filter(node.children, XmlKind::Comment);
}

XmlNodeList ProcessingInstructions(const XmlNode &node, const QString &localName)
{
    XmlNodeList out;
    for (const XmlNodePtr &child : Filter(node.children, XmlKind::ProcessingInstruction)) {
        if (localName.isEmpty() || localName == kWildcard || child->name.localName == localName)
            out.push_back(child);
    }
    return out;
}

int ChildIndex(const XmlNode &node)
{
    const XmlNodePtr parent = node.parent.lock();
    if (!parent || node.kind == XmlKind::Attribute)
        return -1;
    for (size_t i = 0; i < parent->children.size(); ++i) {
        if (parent->children[i].get() == &node)
            return int(i);
    }
    return -1;
}

bool InsertChildAt(const XmlNodePtr &parent, int index, const XmlNodeList &nodes)
{
    if (!CanTake(parent, nodes))
        return false;
    // Detaching may shift the children before the insertion point, so the
    // place is kept as the first child from index on that stays put.
    XmlNodePtr anchor;
    for (int i = std::max(index, 0); !anchor && i < int(parent->children.size()); ++i) {
        if (std::find(nodes.begin(), nodes.end(), parent->children[i]) == nodes.end())
            anchor = parent->children[i];
    }
    for (const XmlNodePtr &node : nodes)
        Detach(node);
    auto &children = parent->children;
    auto at = anchor ? std::find(children.begin(), children.end(), anchor) : children.end();
    for (const XmlNodePtr &node : nodes) {
        node->parent = parent;
        at = children.insert(at, node) + 1;
    }
    return true;
}

bool InsertChildAfter(const XmlNodePtr &parent, const XmlNodePtr &ref, const XmlNodeList &nodes)
{
    if (!ref)
        return PrependChild(parent, nodes);
    if (!parent || ref->parent.lock() != parent || ref.get() == parent.get())
        return false;
    return InsertChildAt(parent, ChildIndex(*ref) + 1, nodes);
}

bool InsertChildBefore(const XmlNodePtr &parent, const XmlNodePtr &ref, const XmlNodeList &nodes)
{
    if (!ref)
        return AppendChild(parent, nodes);
    if (!parent || ref->parent.lock() != parent)
        return false;
    return InsertChildAt(parent, ChildIndex(*ref), nodes);
}

bool AppendChild(const XmlNodePtr &parent, const XmlNodeList &nodes)
{
    return parent && InsertChildAt(parent, int(parent->children.size()), nodes);
}

bool PrependChild(const XmlNodePtr &parent, const XmlNodeList &nodes)
{
    return InsertChildAt(parent, 0, nodes);
}

bool ReplaceChild(const XmlNodePtr &parent, int index, const XmlNodeList &nodes)
{
    if (!CanTake(parent, nodes) || index < 0)
        return false;
    if (index >= int(parent->children.size()))
        return AppendChild(parent, nodes);
    const XmlNodePtr old = parent->children[index];
    if (!InsertChildBefore(parent, old, nodes))
        return false;
    if (std::find(nodes.begin(), nodes.end(), old) == nodes.end())
        RemoveChild(*parent, ChildIndex(*old));
    return true;
}

bool SetChildren(const XmlNodePtr &parent, const XmlNodeList &nodes)
{
    if (!CanTake(parent, nodes))
        return false;
    for (const XmlNodePtr &child : parent->children)
        child->parent.reset();
    parent->children.clear();
    return AppendChild(parent, nodes);
}

void RemoveChild(XmlNode &parent, int index)
{
    if (index < 0 || index >= int(parent.children.size()))
        return;
    parent.children[index]->parent.reset();
    parent.children.erase(parent.children.begin() + index);
}

void Normalize(XmlNode &node)
{
    NormalizeAt(node, 0);
}

void AddInScopeNamespace(XmlNode &element, const XmlNamespace &ns)
{
    if (element.kind != XmlKind::Element || !ns.hasPrefix)
        return;
    if (ns.prefix.isEmpty() && element.name.uri.isEmpty())
        return;
    auto &list = element.namespaces;
    const auto same = std::find_if(list.begin(), list.end(),
                                   [&](const XmlNamespace &declared) { return declared.prefix == ns.prefix; });
    if (same != list.end() && same->uri == ns.uri)
        return;
    if (same != list.end())
        list.erase(same);
    const auto unbind = [&](XmlName &name) {
        if (name.hasPrefix && name.prefix == ns.prefix && name.uri != ns.uri)
            name.hasPrefix = false;
    };
    unbind(element.name);
    for (const XmlNodePtr &attribute : element.attributes)
        unbind(attribute->name);
    list.push_back(ns);
}

void RemoveNamespace(XmlNode &element, const XmlNamespace &ns)
{
    if (element.kind == XmlKind::Element)
        RemoveNamespaceAt(element, ns, 0);
}

std::vector<XmlNamespace> InScopeNamespaces(const XmlNode &node)
{
    std::vector<XmlNamespace> out;
    const XmlNode *current = &node;
    XmlNodePtr hold;
    for (int depth = 0; current && depth <= kXmlMaxAncestors; ++depth) {
        for (const XmlNamespace &ns : current->namespaces) {
            const bool shadowed = std::any_of(out.begin(), out.end(),
                                              [&](const XmlNamespace &seen) { return seen.prefix == ns.prefix; });
            if (!shadowed)
                out.push_back(ns);
        }
        hold = current->parent.lock();
        current = hold.get();
    }
    return out;
}

std::vector<XmlNamespace> NamespaceDeclarations(const XmlNode &node)
{
    const XmlNodePtr parent = node.parent.lock();
    const std::vector<XmlNamespace> inherited = parent ? InScopeNamespaces(*parent) : std::vector<XmlNamespace>();
    std::vector<XmlNamespace> out;
    for (const XmlNamespace &ns : node.namespaces) {
        const bool known = std::any_of(inherited.begin(), inherited.end(), [&](const XmlNamespace &other) {
            return other.prefix == ns.prefix && other.uri == ns.uri;
        });
        if (!known)
            out.push_back(ns);
    }
    return out;
}

void SetName(XmlNode &node, const XmlName &name)
{
    node.name = name;
    if (!name.hasPrefix || node.kind == XmlKind::Text || node.kind == XmlKind::Comment)
        return;
    const XmlNamespace ns{name.prefix, name.uri, true};
    if (node.kind == XmlKind::Element) {
        AddInScopeNamespace(node, ns);
    } else if (node.kind == XmlKind::Attribute && !name.prefix.isEmpty()) {
        if (const XmlNodePtr parent = node.parent.lock())
            AddInScopeNamespace(*parent, ns);
    }
}

} // namespace swf::avm2
