// XMLNode: an element or a text node in a tree, its links read through
// properties of XMLNode.prototype, and the methods that change the tree.
#include "XMLNode.h"

#include "BuiltinClass.h"
#include "Builtins.h"
#include "XmlParser.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

#include <algorithm>

namespace swf {

namespace {

// The longest text toString makes; a tree holding itself is cut there.
constexpr qsizetype MaxTextLength = 1 << 24;
// Steps up the parents a namespace look-up takes at most (a node may be
// made its own ancestor).
constexpr int MaxAncestors = 1 << 16;

// From this version a node cannot become its own ancestor.
constexpr int FirstVersionRefusingCycles = 8;

const QLatin1String Xmlns("xmlns");

ScriptObject *classMember(ScriptEngine &engine, const char *className, const char *member)
{
    const Value *found = engine.global()->find(engine.key(QLatin1String(className)));
    const ScriptObject *holder = found ? objectOf(*found) : nullptr;
    if (!member)
        return const_cast<ScriptObject *>(holder);
    const Value *value = holder ? holder->find(engine.key(QLatin1String(member))) : nullptr;
    return value ? objectOf(*value) : nullptr;
}

XmlNodePayload *selfNode(const NativeCall &call) { return XmlNodeOf(call.object()); }

QString unconvertible(const ScriptObject &object)
{
    return object.isCallable() ? QStringLiteral("[type Function]") : QStringLiteral("[type Object]");
}

Value orNull(ScriptObject *object) { return object ? Value(object) : Value(Null{}); }

void refreshChildNodes(XmlNodePayload &node)
{
    if (!node.childNodes || !node.childNodes->resizeElements(node.children.size()))
        return;
    std::copy(node.children.begin(), node.children.end(), node.childNodes->elements.begin());
}

// The name split at its first colon, when something stands after it.
std::pair<QString, QString> splitName(const QString &name)
{
    const qsizetype colon = name.indexOf(u':');
    if (colon < 0 || colon == name.size() - 1)
        return {QString(), name};
    return {name.left(colon), name.mid(colon + 1)};
}

// The value of the nearest xmlns attribute of that name, from the node up.
std::optional<Value> namespaceDeclared(NativeCall &call, ScriptObject *node, const QString &attribute)
{
    const QString key = call.key(attribute);
    for (int steps = 0; node && steps < MaxAncestors; ++steps) {
        const XmlNodePayload *payload = XmlNodeOf(node);
        if (!payload)
            break;
        if (const Value *value = payload->attributes ? payload->attributes->own(key) : nullptr)
            return *value;
        node = payload->parent;
    }
    return std::nullopt;
}

QString namespaceAttribute(const QString &prefix)
{
    return prefix.isEmpty() ? QString(Xmlns) : Xmlns + u':' + prefix;
}

// --- the constructor and methods ---

Value construct(NativeCall &call)
{
    ScriptObject *object = call.construct ? call.object() : nullptr;
    if (!object)
        return Undefined{};
    // Without both a type and a text the object is no node.
    if (call.args.size() < 2 || std::holds_alternative<Undefined>(call.args[0]) ||
        std::holds_alternative<Undefined>(call.args[1]))
        return object;
    auto node = std::make_unique<XmlNodePayload>();
    node->type = call.number(0) == XmlElementNode ? XmlElementNode : XmlTextNode;
    (node->type == XmlElementNode ? node->name : node->value) = XmlText(call.cx, call.args[1]);
    InitXmlNode(call.engine(), *object, std::move(node));
    return object;
}

// Whether putting child under parent would make child its own ancestor.
bool wouldCycle(ScriptObject *parent, const ScriptObject *child)
{
    for (int steps = 0; parent && steps < MaxAncestors; ++steps) {
        if (parent == child)
            return true;
        const XmlNodePayload *node = XmlNodeOf(parent);
        parent = node ? node->parent : nullptr;
    }
    return parent != nullptr;
}

bool refused(NativeCall &call, ScriptObject *parent, const ScriptObject *child)
{
    return call.engine().version() >= FirstVersionRefusingCycles && wouldCycle(parent, child);
}

Value appendChild(NativeCall &call)
{
    ScriptObject *self = call.object();
    ScriptObject *child = objectOf(call.arg(0));
    const XmlNodePayload *node = XmlNodeOf(child);
    // A child of this node already stays where it is.
    if (selfNode(call) && node && node->parent != self && !refused(call, self, child))
        AppendXmlNode(*self, *child);
    return Undefined{};
}

Value insertBefore(NativeCall &call)
{
    ScriptObject *self = call.object();
    XmlNodePayload *parent = selfNode(call);
    ScriptObject *child = objectOf(call.arg(0));
    ScriptObject *before = objectOf(call.arg(1));
    const XmlNodePayload *beforeNode = XmlNodeOf(before);
    if (!parent || !XmlNodeOf(child) || !beforeNode || beforeNode->parent != self || child == before ||
        refused(call, self, child))
        return Undefined{};
    DetachXmlNode(*child);
    const auto at = std::find(parent->children.begin(), parent->children.end(), before);
    parent->children.insert(at, child);
    XmlNodeOf(child)->parent = self;
    refreshChildNodes(*parent);
    return Undefined{};
}

Value removeNode(NativeCall &call)
{
    if (ScriptObject *self = call.object(); selfNode(call))
        DetachXmlNode(*self);
    return Undefined{};
}

// A node like source without its children: type, name, text, attributes.
ScriptObject *cloneOne(NativeCall &call, const XmlNodePayload &source)
{
    ScriptObject *copy = NewXmlNode(call.engine(), source.type, QString());
    XmlNodePayload *node = XmlNodeOf(copy);
    if (!node)
        return nullptr;
    node->name = source.name;
    node->value = source.value;
    if (source.attributes && node->attributes)
        for (const ScriptObject::Member &member : source.attributes->members())
            if (!(member.flags & DontEnum) && !member.isProperty())
                node->attributes->set(member.key, member.name, member.value);
    return copy;
}

Value cloneNode(NativeCall &call)
{
    const XmlNodePayload *source = selfNode(call);
    ScriptObject *copy = source ? cloneOne(call, *source) : nullptr;
    if (!copy)
        return Undefined{};
    if (call.args.empty() || !call.cx.toBool(call.args[0]))
        return copy;
    // Depth first, without recursion: each pair is a node still to copy
    // the children of, and its copy.
    std::vector<std::pair<ScriptObject *, ScriptObject *>> pending{{call.object(), copy}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        const XmlNodePayload *node = XmlNodeOf(from);
        if (!node)
            continue;
        const std::vector<ScriptObject *> children = node->children;
        for (ScriptObject *child : children) {
            const XmlNodePayload *childNode = XmlNodeOf(child);
            ScriptObject *childCopy = childNode && call.player().spend(1) ? cloneOne(call, *childNode) : nullptr;
            if (!childCopy)
                return copy;
            AppendXmlNode(*to, *childCopy, true);
            pending.emplace_back(child, childCopy);
        }
    }
    return copy;
}

Value hasChildNodes(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return node ? Value(!node->children.empty()) : Value(Undefined{});
}

// A node's text; an object that is no node answers itself, which the
// reference player's conversions show as "[type Object]".
Value toString(NativeCall &call)
{
    ScriptObject *self = call.object();
    return selfNode(call) ? Value(XmlNodeText(call, *self)) : call.self;
}

Value getNamespaceForPrefix(NativeCall &call)
{
    if (!selfNode(call) || call.args.empty() || isNullish(call.args[0]))
        return Null{};
    const std::optional<Value> found =
        namespaceDeclared(call, call.object(), namespaceAttribute(call.string(0)));
    return found ? *found : Value(Null{});
}

Value getPrefixForNamespace(NativeCall &call)
{
    if (!selfNode(call) || call.args.empty())
        return Null{};
    const QString uri = call.string(0);
    ScriptObject *walk = call.object();
    for (int steps = 0; walk && steps < MaxAncestors; ++steps) {
        const XmlNodePayload *node = XmlNodeOf(walk);
        if (!node)
            break;
        const std::vector<ScriptObject::Member> members =
            node->attributes ? node->attributes->members() : std::vector<ScriptObject::Member>();
        for (const ScriptObject::Member &member : members) {
            if (member.isProperty() || !member.name.startsWith(Xmlns) || call.cx.toString(member.value) != uri)
                continue;
            if (member.name.size() == Xmlns.size())
                return QString();
            if (member.name[Xmlns.size()] == u':')
                return member.name.mid(Xmlns.size() + 1);
        }
        walk = node->parent;
    }
    return Null{};
}

// --- the properties of XMLNode.prototype ---

Value getAttributes(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return node ? ObjectValue(node->attributes) : Value(Undefined{});
}

Value getChildNodes(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return node ? ObjectValue(node->childNodes) : Value(Undefined{});
}

Value getFirstChild(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return !node ? Value(Undefined{}) : orNull(node->children.empty() ? nullptr : node->children.front());
}

Value getLastChild(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return !node ? Value(Undefined{}) : orNull(node->children.empty() ? nullptr : node->children.back());
}

Value sibling(NativeCall &call, int step)
{
    const XmlNodePayload *node = selfNode(call);
    if (!node)
        return Undefined{};
    const XmlNodePayload *parent = XmlNodeOf(node->parent);
    if (!parent)
        return Null{};
    const auto &siblings = parent->children;
    const auto at = std::find(siblings.begin(), siblings.end(), call.object());
    if (at == siblings.end())
        return Null{};
    const std::ptrdiff_t index = (at - siblings.begin()) + step;
    return index >= 0 && size_t(index) < siblings.size() ? Value(siblings[size_t(index)]) : Value(Null{});
}
Value getNextSibling(NativeCall &call) { return sibling(call, 1); }
Value getPreviousSibling(NativeCall &call) { return sibling(call, -1); }

Value getParentNode(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return node ? orNull(node->parent) : Value(Undefined{});
}

Value getNodeType(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return node ? Value(double(node->type)) : Value(Undefined{});
}

Value getNodeName(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return node ? node->name : Value(Undefined{});
}

Value getNodeValue(NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    return node ? node->value : Value(Undefined{});
}

// Writing undefined leaves the text as it was; anything else is taken as text.
void setText(NativeCall &call, Value XmlNodePayload::*field)
{
    XmlNodePayload *node = selfNode(call);
    if (node && !call.args.empty() && !std::holds_alternative<Undefined>(call.args[0])) {
        const QString text = XmlText(call.cx, call.args[0]);
        if ((node = selfNode(call)))
            node->*field = text;
    }
}
Value setNodeName(NativeCall &call)
{
    setText(call, &XmlNodePayload::name);
    return Undefined{};
}
Value setNodeValue(NativeCall &call)
{
    setText(call, &XmlNodePayload::value);
    return Undefined{};
}

// The name of the node a namespace getter is called on: undefined off a
// node, null for a node without a name.
std::variant<Value, const QString *> calledName(const NativeCall &call)
{
    const XmlNodePayload *node = selfNode(call);
    if (!node)
        return Value(Undefined{});
    const auto *name = std::get_if<QString>(&node->name);
    if (!name)
        return Value(Null{});
    return name;
}

Value namePart(NativeCall &call, bool prefix)
{
    const auto called = calledName(call);
    if (const Value *answer = std::get_if<Value>(&called))
        return *answer;
    const auto [before, after] = splitName(*std::get<const QString *>(called));
    return prefix ? before : after;
}
Value getPrefix(NativeCall &call) { return namePart(call, true); }
Value getLocalName(NativeCall &call) { return namePart(call, false); }

Value getNamespaceURI(NativeCall &call)
{
    const auto called = calledName(call);
    if (const Value *answer = std::get_if<Value>(&called))
        return *answer;
    const QString *name = std::get<const QString *>(called);
    const std::optional<Value> found =
        namespaceDeclared(call, call.object(), namespaceAttribute(splitName(*name).first));
    return found ? *found : Value(QString());
}

struct NodeProperty {
    const char *name;
    NativeFunction getter;
    NativeFunction setter;
};
const NodeProperty NodeProperties[] = {
    {"attributes", getAttributes, nullptr},
    {"childNodes", getChildNodes, nullptr},
    {"firstChild", getFirstChild, nullptr},
    {"lastChild", getLastChild, nullptr},
    {"localName", getLocalName, nullptr},
    {"namespaceURI", getNamespaceURI, nullptr},
    {"nextSibling", getNextSibling, nullptr},
    {"nodeName", getNodeName, setNodeName},
    {"nodeType", getNodeType, nullptr},
    {"nodeValue", getNodeValue, setNodeValue},
    {"parentNode", getParentNode, nullptr},
    {"prefix", getPrefix, nullptr},
    {"previousSibling", getPreviousSibling, nullptr},
};

// The prototype's own __proto__ and constructor are hidden and permanent,
// though its methods and properties are neither.
void setup(ScriptEngine &engine, ScriptObject &constructor)
{
    const Value *found = constructor.own(engine.key(QStringLiteral("prototype")));
    ScriptObject *prototype = found ? objectOf(*found) : nullptr;
    if (!prototype)
        return;
    prototype->setFlags(engine.key(QStringLiteral("__proto__")), BuiltinFlags, 0);
    prototype->setFlags(engine.key(QStringLiteral("constructor")), BuiltinFlags, 0);
    for (const NodeProperty &property : NodeProperties) {
        ScriptObject *getter = engine.newNative(property.getter);
        ScriptObject *setter = property.setter ? engine.newNative(property.setter) : nullptr;
        if (!getter || (property.setter && !setter))
            return;
        const QString name = QLatin1String(property.name);
        prototype->setProperty(engine.key(name), name, getter, setter);
    }
}

} // namespace

void XmlNodePayload::markReferences(const std::function<void(const Value &)> &mark) const
{
    mark(parent);
    for (ScriptObject *child : children)
        mark(child);
    mark(attributes);
    mark(childNodes);
}

ScriptObject *NewScriptLikeFunction(ScriptEngine &engine, NativeFunction function)
{
    ScriptObject *made = engine.newNative(function);
    ScriptObject *prototype = engine.newObject();
    if (!made || !prototype)
        return nullptr;
    const QString constructorName = QStringLiteral("constructor");
    const QString prototypeName = QStringLiteral("prototype");
    prototype->set(engine.key(constructorName), constructorName, made, BuiltinFlags);
    made->set(engine.key(prototypeName), prototypeName, prototype, BuiltinFlags);
    return made;
}

QString XmlText(ScriptContext &cx, const Value &value)
{
    const ScriptObject *object = objectOf(value);
    if (!object)
        return cx.toString(value);
    const Value *method = object->find(cx.engine().key(QStringLiteral("toString")));
    const ScriptObject *function = method ? objectOf(*method) : nullptr;
    if (!function || !function->isCallable())
        return unconvertible(*object);
    const Value text = cx.call(*method, value, {});
    const auto *answer = std::get_if<QString>(&text);
    return answer ? *answer : unconvertible(*object);
}

XmlNodePayload *XmlNodeOf(const ScriptObject *object) { return object ? object->payloadAs<XmlNodePayload>() : nullptr; }

bool InitXmlNode(ScriptEngine &engine, ScriptObject &object, std::unique_ptr<XmlNodePayload> node)
{
    node->attributes = engine.newObject();
    node->childNodes = engine.newArray();
    if (!node->attributes || !node->childNodes)
        return false;
    object.payload = std::move(node);
    return true;
}

ScriptObject *NewXmlNode(ScriptEngine &engine, int type, const QString &text)
{
    ScriptObject *object = engine.newObject(classMember(engine, "XMLNode", "prototype"));
    if (!object)
        return nullptr;
    if (ScriptObject *nodeClass = classMember(engine, "XMLNode", nullptr))
        object->set(engine.key(QStringLiteral("constructor")), QStringLiteral("constructor"), nodeClass,
                    BuiltinFlags);
    auto node = std::make_unique<XmlNodePayload>();
    node->type = type;
    (type == XmlElementNode ? node->name : node->value) = text;
    return InitXmlNode(engine, *object, std::move(node)) ? object : nullptr;
}

void DetachXmlNode(ScriptObject &child)
{
    XmlNodePayload *node = XmlNodeOf(&child);
    XmlNodePayload *parent = node ? XmlNodeOf(node->parent) : nullptr;
    if (!node)
        return;
    node->parent = nullptr;
    if (!parent)
        return;
    auto &siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), &child), siblings.end());
    refreshChildNodes(*parent);
}

void AppendXmlNode(ScriptObject &parent, ScriptObject &child, bool fresh)
{
    XmlNodePayload *node = XmlNodeOf(&child);
    XmlNodePayload *into = XmlNodeOf(&parent);
    if (!node || !into)
        return;
    DetachXmlNode(child);
    into->children.push_back(&child);
    node->parent = &parent;
    ScriptObject *array = into->childNodes;
    const Value element = &child;
    if (fresh && array && array->elements.size() + 1 == into->children.size())
        array->insertElements(array->elements.size(), &element, 1);
    else
        refreshChildNodes(*into);
}

void ClearXmlNode(ScriptObject &node)
{
    XmlNodePayload *payload = XmlNodeOf(&node);
    if (!payload)
        return;
    for (ScriptObject *child : payload->children)
        if (XmlNodePayload *childNode = XmlNodeOf(child); childNode && childNode->parent == &node)
            childNode->parent = nullptr;
    payload->children.clear();
    refreshChildNodes(*payload);
}

QString XmlNodeText(NativeCall &call, ScriptObject &root)
{
    QString out;
    // Writes the node's start (or all of it); true when its children follow.
    const auto start = [&](ScriptObject *object) {
        const XmlNodePayload *node = XmlNodeOf(object);
        if (!node)
            return false;
        if (node->type != XmlElementNode) {
            if (const auto *text = std::get_if<QString>(&node->value))
                out += EscapeXml(*text);
            return false;
        }
        const auto *name = std::get_if<QString>(&node->name);
        if (!name)
            return !node->children.empty();
        const QString tag = *name;
        const bool children = !node->children.empty();
        // The attributes' texts may run scripts: take the members first.
        const std::vector<ScriptObject::Member> members =
            node->attributes ? node->attributes->members() : std::vector<ScriptObject::Member>();
        const MemberVisibility seen = node->attributes ? node->attributes->visibility() : MemberVisibility();
        QString attributes;
        for (const ScriptObject::Member &member : members) {
            if ((member.flags & DontEnum) || seen.hidden(member.flags))
                continue;
            const Value value = member.isProperty() ? call.cx.call(member.getter, node->attributes, {}) : member.value;
            attributes += u' ' + member.name + QLatin1String("=\"") + EscapeXml(call.cx.toString(value)) + u'"';
        }
        out += u'<' + tag + attributes + (children ? QLatin1String(">") : QLatin1String(" />"));
        return children;
    };
    const auto end = [&](ScriptObject *object) {
        const XmlNodePayload *node = XmlNodeOf(object);
        if (const auto *name = node ? std::get_if<QString>(&node->name) : nullptr; name && node->type == XmlElementNode)
            out += QLatin1String("</") + *name + u'>';
    };
    // Depth first without recursion: each entry is an open node and the
    // index of its next child.
    std::vector<std::pair<ScriptObject *, size_t>> open;
    if (const XmlNodePayload *node = XmlNodeOf(&root))
        out += node->prologue();
    if (start(&root))
        open.emplace_back(&root, 0);
    while (!open.empty()) {
        auto &[object, next] = open.back();
        const XmlNodePayload *node = XmlNodeOf(object);
        if (!node || next >= node->children.size()) {
            end(object);
            open.pop_back();
            continue;
        }
        ScriptObject *child = node->children[next++];
        if (out.size() > MaxTextLength || !call.player().spend(1))
            break;
        if (start(child))
            open.emplace_back(child, 0);
    }
    return out;
}

const ClassDecl XMLNodeClass{
    "XMLNode",
    construct,
    {{"appendChild", appendChild},
     {"cloneNode", cloneNode},
     {"getNamespaceForPrefix", getNamespaceForPrefix},
     {"getPrefixForNamespace", getPrefixForNamespace},
     {"hasChildNodes", hasChildNodes},
     {"insertBefore", insertBefore},
     {"removeNode", removeNode},
     {"toString", toString}},
    {},
    {},
    5,
    BuiltinFlags,
    0,
    {},
    {},
    setup,
};

} // namespace swf
