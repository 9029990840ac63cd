// The native side of XML and XMLList values: names as children and
// attributes, indexes, equality, + and the descendants operator.
#include "swf/avm2/builtins/XmlObject.h"

#include "swf/avm2/builtins/NamespaceObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

const QString kWildcard = QStringLiteral("*");
constexpr int ParseFailure = 1090;

// "Error #1090: text" as the parser reports it, thrown as the player does.
[[noreturn]] void throwParseError(Runtime &rt, const QString &error)
{
    bool ok = false;
    const int id = error.section(QLatin1Char('#'), 1).section(QLatin1Char(':'), 0, 0).toInt(&ok);
    rt.throwError(ErrorType::TypeError, ok ? id : ParseFailure, error);
}

bool isWildcardTest(const XmlNameTest &test)
{
    return test.localName == kWildcard && (test.anyUri || test.uri == kWildcard);
}

XmlNodeList selectChildren(const XmlNode &node, const std::vector<XmlNameTest> &tests)
{
    XmlNodeList out;
    for (const XmlNameTest &test : tests)
        if (isWildcardTest(test))
            return node.children;
    for (const XmlNodePtr &child : node.children)
        if (child->kind == XmlKind::Element && MatchesAny(*child, tests))
            out.push_back(child);
    return out;
}

XmlNodeList selectAttributes(const XmlNode &node, const std::vector<XmlNameTest> &tests)
{
    XmlNodeList out;
    for (const XmlNodePtr &attribute : node.attributes)
        if (MatchesAny(*attribute, tests))
            out.push_back(attribute);
    return out;
}

XmlNodeList selectDescendants(const XmlNode &node, const Multiname &name, const std::vector<XmlNameTest> &tests)
{
    XmlNameTest all;
    all.localName = kWildcard;
    all.anyUri = true;
    XmlNodeList out;
    for (const XmlNodePtr &candidate : Descendants(node, all, name.attribute)) {
        const bool wildcard = !name.attribute && tests.size() == 1 && isWildcardTest(tests[0]);
        if (wildcard || ((candidate->kind == XmlKind::Element || candidate->kind == XmlKind::Attribute)
                         && MatchesAny(*candidate, tests)))
            out.push_back(candidate);
    }
    return out;
}

bool isIndexName(const Multiname &name, int64_t &index)
{
    if (name.attribute || name.anyName)
        return false;
    index = ArrayIndexOf(name.name);
    return index >= 0;
}

// An attribute's new value: a list's items joined by spaces.
QString attributeText(Runtime &rt, const Value &value)
{
    if (auto *list = dynamic_cast<XmlListObject *>(value.asObject())) {
        QStringList parts;
        for (const HeldNode &item : list->items)
            parts << ToString(*item.node, rt.xmlSettings);
        return parts.join(QLatin1Char(' '));
    }
    return rt.toString(value);
}

void assignAttribute(Runtime &rt, XmlNode &element, const Multiname &name, const Value &value)
{
    const std::vector<XmlNameTest> tests = NameTests(rt, name);
    const QString text = attributeText(rt, value);
    // The first matching attribute takes the value; any others go.
    bool kept = false;
    for (size_t i = 0; i < element.attributes.size();) {
        XmlNode &attribute = *element.attributes[i];
        if (!MatchesAny(attribute, tests)) {
            ++i;
        } else if (kept) {
            element.attributes.erase(element.attributes.begin() + long(i));
        } else {
            attribute.value = text;
            kept = true;
            ++i;
        }
    }
    if (kept || tests.empty() || name.anyName)
        return;
    XmlName attributeName;
    attributeName.localName = name.name;
    attributeName.uri = tests[0].uri == kWildcard ? QString() : tests[0].uri;
    XmlNodePtr attribute = MakeAttribute(attributeName, text);
    element.attributes.push_back(attribute);
}

// What an element assignment puts in place: copies of XML, else text.
std::optional<XmlNodeList> assignedNodes(const Value &value)
{
    std::optional<XmlNodeList> nodes = NodesOf(value);
    if (!nodes)
        return std::nullopt;
    if (nodes->size() == 1 && ((*nodes)[0]->kind == XmlKind::Text || (*nodes)[0]->kind == XmlKind::Attribute))
        return std::nullopt;
    XmlNodeList copies;
    for (const XmlNodePtr &node : *nodes)
        copies.push_back(DeepCopy(*node));
    return copies;
}

QString nodesText(Runtime &rt, const Value &value)
{
    if (std::optional<XmlNodeList> nodes = NodesOf(value))
        return ToString(*nodes, rt.xmlSettings);
    return rt.toString(value);
}

void setText(const XmlNodePtr &element, const QString &text)
{
    XmlNodeList content;
    if (!text.isEmpty())
        content.push_back(MakeText(text));
    SetChildren(element, content);
}

bool listEquals(Runtime &rt, const XmlNodeList &a, const Value &other)
{
    if (other.isUndefined() && a.empty())
        return true;
    if (std::optional<XmlNodeList> b = NodesOf(other); b && dynamic_cast<XmlListObject *>(other.asObject())) {
        if (a.size() != b->size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!rt.looseEquals(NewXml(rt, a[i]), NewXml(rt, (*b)[i])))
                return false;
        return true;
    }
    return a.size() == 1 && rt.looseEquals(NewXml(rt, a[0]), other);
}

bool concatenate(Runtime &rt, const Value &a, const Value &b, Value &out)
{
    std::optional<XmlNodeList> left = NodesOf(a);
    std::optional<XmlNodeList> right = NodesOf(b);
    if (!left || !right)
        return false;
    left->insert(left->end(), right->begin(), right->end());
    out = NewXmlList(rt, *left);
    return true;
}

} // namespace

HeldNode Hold(const XmlNodePtr &node)
{
    XmlNodePtr root = node;
    for (int steps = 0; root && steps < kXmlMaxAncestors; ++steps) {
        XmlNodePtr up = root->parent.lock();
        if (!up)
            break;
        root = up;
    }
    return HeldNode{node, root};
}

QString DefaultXmlNamespaceUri(Runtime &rt) { return rt.defaultXmlNamespace; }

std::vector<XmlNameTest> NameTests(Runtime &rt, const Multiname &name)
{
    std::vector<XmlNameTest> tests;
    XmlNameTest test;
    test.localName = name.anyName ? kWildcard : name.name;
    if (name.anyNamespace || (name.anyName && name.hasPublic())) {
        test.anyUri = true;
        tests.push_back(test);
        return tests;
    }
    for (const Namespace *ns : name.namespaces) {
        if (ns->kind != NamespaceKind::Namespace && ns->kind != NamespaceKind::Package)
            continue;
        test.uri = ns->isPublic() && !name.attribute ? DefaultXmlNamespaceUri(rt) : ns->uri;
        bool seen = false;
        for (const XmlNameTest &other : tests)
            seen = seen || other.uri == test.uri;
        if (!seen)
            tests.push_back(test);
    }
    return tests;
}

bool MatchesAny(const XmlNode &node, const std::vector<XmlNameTest> &tests)
{
    for (const XmlNameTest &test : tests)
        if (MatchesName(node, test))
            return true;
    return false;
}

std::vector<XmlNameTest> NameTestsOf(Runtime &rt, const Value &value)
{
    XmlNameTest test;
    if (auto *qname = dynamic_cast<QNameObject *>(value.asObject())) {
        test.localName = qname->anyName ? kWildcard : qname->localName;
        test.anyUri = !qname->ns;
        test.uri = qname->ns ? qname->ns->uri : QString();
        return {test};
    }
    test.localName = rt.toString(value);
    if (test.localName == kWildcard)
        test.anyUri = true;
    else
        test.uri = DefaultXmlNamespaceUri(rt);
    return {test};
}

Value NewXml(Runtime &rt, const XmlNodePtr &node)
{
    auto *object = static_cast<XmlObject *>(rt.allocate(rt.builtin("XML")));
    object->held = Hold(node);
    return Value(static_cast<Object *>(object));
}

Value NewXmlList(Runtime &rt, const XmlNodeList &nodes, const Value &target, const Multiname &targetName)
{
    auto *object = static_cast<XmlListObject *>(rt.allocate(rt.builtin("XMLList")));
    object->items.reserve(nodes.size());
    for (const XmlNodePtr &node : nodes)
        object->items.push_back(Hold(node));
    object->target = target;
    object->targetName = targetName;
    return Value(static_cast<Object *>(object));
}

std::optional<XmlNodeList> NodesOf(const Value &value)
{
    if (auto *xml = dynamic_cast<XmlObject *>(value.asObject()))
        return XmlNodeList{xml->held.node};
    if (auto *list = dynamic_cast<XmlListObject *>(value.asObject()))
        return list->nodes();
    return std::nullopt;
}

XmlNodePtr ToXmlNode(Runtime &rt, const Value &value)
{
    if (auto *xml = dynamic_cast<XmlObject *>(value.asObject()))
        return xml->held.node;
    if (auto *list = dynamic_cast<XmlListObject *>(value.asObject())) {
        if (list->items.size() == 1)
            return list->items[0].node;
        rt.throwError(ErrorType::TypeError, 1088, QStringList{});
    }
    const QString text = value.isNullish() ? QString() : rt.toString(value);
    QString error;
    XmlNodePtr node = ParseXml(text, rt.xmlSettings, DefaultXmlNamespaceUri(rt), &error);
    if (!node)
        throwParseError(rt, error);
    return node;
}

XmlNodeList ToXmlNodes(Runtime &rt, const Value &value)
{
    if (std::optional<XmlNodeList> nodes = NodesOf(value))
        return *nodes;
    const QString text = value.isNullish() ? QString() : rt.toString(value);
    QString error;
    std::optional<XmlNodeList> nodes = ParseXmlList(text, rt.xmlSettings, DefaultXmlNamespaceUri(rt), &error);
    if (!nodes)
        throwParseError(rt, error);
    return *nodes;
}

void AssignChild(Runtime &rt, const XmlNodePtr &element, const Multiname &name, const Value &value)
{
    if (element->kind != XmlKind::Element)
        return;
    if (name.attribute) {
        assignAttribute(rt, *element, name, value);
        return;
    }
    const std::vector<XmlNameTest> tests = NameTests(rt, name);
    std::optional<XmlNodeList> nodes = assignedNodes(value);
    int index = -1;
    for (int k = int(element->children.size()) - 1; k >= 0; --k) {
        const XmlNode &child = *element->children[size_t(k)];
        if (!MatchesAny(child, tests) || (child.kind != XmlKind::Element && !name.anyName))
            continue;
        if (index >= 0)
            RemoveChild(*element, index);
        index = k;
    }
    const bool primitive = !nodes && !name.anyName;
    if (index < 0) {
        index = int(element->children.size());
        if (primitive) {
            XmlName childName;
            childName.localName = name.name;
            childName.uri = tests.empty() ? DefaultXmlNamespaceUri(rt) : tests[0].uri;
            AppendChild(element, {MakeElement(childName)});
        }
    }
    if (primitive)
        setText(element->children[size_t(index)], nodesText(rt, value));
    else if (nodes)
        ReplaceChild(element, index, *nodes);
    else
        ReplaceChild(element, index, {MakeText(rt.toString(value))});
}

// XML.

bool XmlObject::getOwn(Runtime &rt, const Multiname &name, Value &out)
{
    if (int64_t index; isIndexName(name, index)) {
        out = index == 0 ? Value(static_cast<Object *>(this)) : Value();
        return true;
    }
    const std::vector<XmlNameTest> tests = NameTests(rt, name);
    const XmlNodeList nodes = name.attribute ? selectAttributes(node(), tests) : selectChildren(node(), tests);
    out = NewXmlList(rt, nodes, Value(static_cast<Object *>(this)), name);
    return true;
}

bool XmlObject::setOwn(Runtime &rt, const Multiname &name, const Value &value)
{
    if (int64_t index; isIndexName(name, index))
        rt.throwError(ErrorType::TypeError, 1087, QStringList{});
    AssignChild(rt, held.node, name, value);
    return true;
}

bool XmlObject::hasOwn(Runtime &rt, const Multiname &name)
{
    if (int64_t index; isIndexName(name, index))
        return index == 0;
    const std::vector<XmlNameTest> tests = NameTests(rt, name);
    return !(name.attribute ? selectAttributes(node(), tests) : selectChildren(node(), tests)).empty();
}

bool XmlObject::deleteOwn(Runtime &rt, const Multiname &name)
{
    if (int64_t index; isIndexName(name, index))
        return true;
    const std::vector<XmlNameTest> tests = NameTests(rt, name);
    XmlNodeList &from = name.attribute ? node().attributes : node().children;
    for (size_t i = from.size(); i-- > 0;) {
        const XmlNode &candidate = *from[i];
        const bool element = name.attribute || candidate.kind == XmlKind::Element || name.anyName;
        if (element && MatchesAny(candidate, tests)) {
            from[i]->parent.reset();
            from.erase(from.begin() + long(i));
        }
    }
    return true;
}

bool XmlObject::getByKey(Runtime &rt, const Value &key, Value &out)
{
    if (!key.isInt() && !key.isNumber())
        return false;
    out = rt.toNumber(key) == 0 ? Value(static_cast<Object *>(this)) : Value();
    return true;
}

bool XmlObject::hasByKey(Runtime &rt, const Value &key, bool &has)
{
    if (!key.isInt() && !key.isNumber())
        return false;
    has = rt.toNumber(key) == 0;
    return true;
}

int XmlObject::nextIndex(Runtime &, int index) { return index == 0 ? 1 : 0; }
Value XmlObject::nameAt(Runtime &, int) { return Value(QStringLiteral("0")); }
Value XmlObject::valueAt(Runtime &, int) { return Value(static_cast<Object *>(this)); }

bool XmlObject::equalsValue(Runtime &rt, const Value &other)
{
    if (auto *xml = dynamic_cast<XmlObject *>(other.asObject())) {
        const XmlNode &a = node();
        const XmlNode &b = xml->node();
        const bool leafA = a.kind == XmlKind::Text || a.kind == XmlKind::Attribute;
        const bool leafB = b.kind == XmlKind::Text || b.kind == XmlKind::Attribute;
        if ((leafA && HasSimpleContent(b)) || (leafB && HasSimpleContent(a)))
            return ToString(a, rt.xmlSettings) == ToString(b, rt.xmlSettings);
        return XmlEquals(a, b);
    }
    if (auto *list = dynamic_cast<XmlListObject *>(other.asObject()))
        return list->items.size() == 1 && equalsValue(rt, NewXml(rt, list->items[0].node));
    if (other.isPrimitive() && !other.isNullish() && HasSimpleContent(node()))
        return rt.looseEquals(Value(ToString(node(), rt.xmlSettings)), other);
    return false;
}

bool XmlObject::addValues(Runtime &rt, const Value &a, const Value &b, Value &out) { return concatenate(rt, a, b, out); }

bool XmlObject::descendants(Runtime &rt, const Multiname &name, Value &out)
{
    out = NewXmlList(rt, selectDescendants(node(), name, NameTests(rt, name)));
    return true;
}

bool XmlObject::toPrimitiveValue(Runtime &rt, Value &out)
{
    out = Value(ToString(node(), rt.xmlSettings));
    return true;
}

// XMLList.

XmlNodeList XmlListObject::nodes() const
{
    XmlNodeList out;
    out.reserve(items.size());
    for (const HeldNode &item : items)
        out.push_back(item.node);
    return out;
}

bool XmlListObject::getOwn(Runtime &rt, const Multiname &name, Value &out)
{
    if (int64_t index; isIndexName(name, index)) {
        out = size_t(index) < items.size() ? NewXml(rt, items[size_t(index)].node) : Value();
        return true;
    }
    const std::vector<XmlNameTest> tests = NameTests(rt, name);
    XmlNodeList found;
    for (const HeldNode &item : items) {
        if (item.node->kind != XmlKind::Element)
            continue;
        const XmlNodeList part = name.attribute ? selectAttributes(*item.node, tests) : selectChildren(*item.node, tests);
        found.insert(found.end(), part.begin(), part.end());
    }
    out = NewXmlList(rt, found, Value(static_cast<Object *>(this)), name);
    return true;
}

bool XmlListObject::setOwn(Runtime &rt, const Multiname &name, const Value &value)
{
    if (int64_t index; isIndexName(name, index))
        return setByKey(rt, Value(double(index)), value);
    if (items.size() == 1) {
        AssignChild(rt, items[0].node, name, value);
        return true;
    }
    if (items.empty()) {
        if (auto *parent = dynamic_cast<XmlObject *>(target.asObject()); parent && !targetName.anyName) {
            AssignChild(rt, parent->held.node, targetName, Value());
            const XmlNodeList made = selectChildren(parent->node(), NameTests(rt, targetName));
            if (!made.empty()) {
                items.push_back(Hold(made.back()));
                AssignChild(rt, made.back(), name, value);
                return true;
            }
        }
    }
    rt.throwError(ErrorType::TypeError, 1089, QStringList{});
}

bool XmlListObject::hasOwn(Runtime &rt, const Multiname &name)
{
    if (int64_t index; isIndexName(name, index))
        return size_t(index) < items.size();
    Value found;
    getOwn(rt, name, found);
    auto *list = static_cast<XmlListObject *>(found.asObject());
    return !list->items.empty();
}

bool XmlListObject::deleteOwn(Runtime &rt, const Multiname &name)
{
    if (int64_t index; isIndexName(name, index)) {
        bool deleted = false;
        return deleteByKey(rt, Value(double(index)), deleted);
    }
    for (const HeldNode &item : items)
        if (item.node->kind == XmlKind::Element)
            NewXml(rt, item.node).asObject()->deleteOwn(rt, name);
    return true;
}

bool XmlListObject::getByKey(Runtime &rt, const Value &key, Value &out)
{
    if (!key.isInt() && !key.isNumber())
        return false;
    const double index = rt.toNumber(key);
    out = index >= 0 && index < double(items.size()) && index == std::floor(index) ? NewXml(rt, items[size_t(index)].node) : Value();
    return true;
}

bool XmlListObject::setByKey(Runtime &rt, const Value &key, const Value &value)
{
    if (!key.isInt() && !key.isNumber())
        return false;
    const double index = rt.toNumber(key);
    if (!(index >= 0) || index != std::floor(index))
        return false;
    if (index < double(items.size())) {
        const XmlNodePtr &item = items[size_t(index)].node;
        if (item->kind == XmlKind::Attribute) {
            item->value = attributeText(rt, value);
            return true;
        }
        XmlNodePtr parent = item->parent.lock();
        if (std::optional<XmlNodeList> nodes = assignedNodes(value); nodes && parent && nodes->size() == 1) {
            ReplaceChild(parent, ChildIndex(*item), *nodes);
            items[size_t(index)] = Hold((*nodes)[0]);
            return true;
        }
        Multiname all;
        all.anyName = true;
        all.anyNamespace = true;
        AssignChild(rt, item, all, value);
        return true;
    }
    auto *parent = dynamic_cast<XmlObject *>(target.asObject());
    if (std::optional<XmlNodeList> nodes = NodesOf(value); nodes && !parent) {
        // A list of its own (a filter's result) gathers the nodes themselves.
        for (const XmlNodePtr &node : *nodes)
            items.push_back(Hold(node));
        return true;
    }
    if (!parent || targetName.anyName)
        rt.throwError(ErrorType::TypeError, 1089, QStringList{});
    if (targetName.attribute) {
        AssignChild(rt, parent->held.node, targetName, value);
        return true;
    }
    std::vector<XmlNameTest> tests = NameTests(rt, targetName);
    XmlName childName;
    childName.localName = targetName.name;
    childName.uri = tests.empty() ? QString() : tests[0].uri;
    XmlNodePtr element = MakeElement(childName);
    AppendChild(parent->held.node, {element});
    items.push_back(Hold(element));
    setText(element, nodesText(rt, value));
    return true;
}

bool XmlListObject::hasByKey(Runtime &rt, const Value &key, bool &has)
{
    if (!key.isInt() && !key.isNumber())
        return false;
    const double index = rt.toNumber(key);
    has = index >= 0 && index < double(items.size());
    return true;
}

bool XmlListObject::deleteByKey(Runtime &rt, const Value &key, bool &deleted)
{
    if (!key.isInt() && !key.isNumber())
        return false;
    const double index = rt.toNumber(key);
    deleted = true;
    if (!(index >= 0 && index < double(items.size())))
        return true;
    const XmlNodePtr item = items[size_t(index)].node;
    if (XmlNodePtr parent = item->parent.lock()) {
        XmlNodeList &from = item->kind == XmlKind::Attribute ? parent->attributes : parent->children;
        for (size_t i = 0; i < from.size(); ++i)
            if (from[i] == item) {
                from.erase(from.begin() + long(i));
                break;
            }
        item->parent.reset();
    }
    items.erase(items.begin() + long(index));
    return true;
}

int XmlListObject::nextIndex(Runtime &, int index) { return size_t(index) < items.size() ? index + 1 : 0; }
Value XmlListObject::nameAt(Runtime &, int index) { return Value(QString::number(index - 1)); }

Value XmlListObject::valueAt(Runtime &rt, int index)
{
    return index >= 1 && size_t(index) <= items.size() ? NewXml(rt, items[size_t(index - 1)].node) : Value();
}

bool XmlListObject::equalsValue(Runtime &rt, const Value &other) { return listEquals(rt, nodes(), other); }

bool XmlListObject::addValues(Runtime &rt, const Value &a, const Value &b, Value &out) { return concatenate(rt, a, b, out); }

bool XmlListObject::descendants(Runtime &rt, const Multiname &name, Value &out)
{
    const std::vector<XmlNameTest> tests = NameTests(rt, name);
    XmlNodeList found;
    for (const HeldNode &item : items) {
        const XmlNodeList part = selectDescendants(*item.node, name, tests);
        found.insert(found.end(), part.begin(), part.end());
    }
    out = NewXmlList(rt, found);
    return true;
}

bool XmlListObject::toPrimitiveValue(Runtime &rt, Value &out)
{
    out = Value(ToString(nodes(), rt.xmlSettings));
    return true;
}

void XmlListObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    marker(target);
}

} // namespace swf::avm2
