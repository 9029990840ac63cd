// XMLList: an ordered list of XML nodes. Methods that only make sense on
// one node work on a list of exactly one.
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/XmlObject.h"

namespace swf::avm2 {

namespace {

constexpr int SingleItemOnly = 1086;

XmlListObject *listOf(Runtime &rt, const Value &self) { return ThisAs<XmlListObject>(rt, self, "XMLList"); }

Multiname as3Name(Runtime &rt, const char *name)
{
    Multiname m;
    m.name = QString::fromLatin1(name);
    m.namespaces.push_back(rt.namespaces.as3());
    return m;
}

// The XML method of the same name on each item, the results joined.
Value eachItem(Runtime &rt, const Value &self, Args args, const char *method)
{
    XmlNodeList out;
    for (const HeldNode &item : listOf(rt, self)->items) {
        if (item.node->kind != XmlKind::Element)
            continue;
        if (std::optional<XmlNodeList> part = NodesOf(rt.callProperty(NewXml(rt, item.node), as3Name(rt, method), args)))
            out.insert(out.end(), part->begin(), part->end());
    }
    return NewXmlList(rt, out);
}

// The XML method of the same name on the only item.
Value onlyItem(Runtime &rt, const Value &self, Args args, const char *method)
{
    XmlListObject *list = listOf(rt, self);
    if (list->items.size() != 1)
        rt.throwError(ErrorType::TypeError, SingleItemOnly, QStringList{QString::fromLatin1(method)});
    return rt.callProperty(NewXml(rt, list->items[0].node), as3Name(rt, method), args);
}

Value attribute(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "attribute"); }
Value attributes(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "attributes"); }
Value child(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "child"); }
Value children(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "children"); }
Value comments(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "comments"); }
Value descendants(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "descendants"); }
Value elements(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "elements"); }
Value processingInstructions(Runtime &rt, const Value &self, Args args)
{
    return eachItem(rt, self, args, "processingInstructions");
}
Value text(Runtime &rt, const Value &self, Args args) { return eachItem(rt, self, args, "text"); }

Value contains(Runtime &rt, const Value &self, Args args)
{
    if (!NodesOf(args[0]))
        return Value(false);
    for (const HeldNode &item : listOf(rt, self)->items)
        if (rt.looseEquals(NewXml(rt, item.node), args[0]))
            return Value(true);
    return Value(false);
}

Value copy(Runtime &rt, const Value &self, Args)
{
    XmlNodeList copies;
    for (const HeldNode &item : listOf(rt, self)->items)
        copies.push_back(DeepCopy(*item.node));
    return NewXmlList(rt, copies);
}

Value hasComplexContent(Runtime &rt, const Value &self, Args)
{
    XmlListObject *list = listOf(rt, self);
    if (list->items.size() == 1)
        return Value(HasComplexContent(*list->items[0].node));
    for (const HeldNode &item : list->items)
        if (item.node->kind == XmlKind::Element)
            return Value(true);
    return Value(false);
}

Value hasSimpleContent(Runtime &rt, const Value &self, Args) { return Value(HasSimpleContent(listOf(rt, self)->nodes())); }

Value hasOwnProperty(Runtime &rt, const Value &self, Args args)
{
    return Value(listOf(rt, self)->hasOwn(rt, rt.publicName(rt.toString(args[0]))));
}

Value length(Runtime &rt, const Value &self, Args) { return Value(int32_t(listOf(rt, self)->items.size())); }

Value normalize(Runtime &rt, const Value &self, Args)
{
    XmlListObject *list = listOf(rt, self);
    for (const HeldNode &item : list->items)
        Normalize(*item.node);
    return self;
}

// The common parent of every item, or undefined.
Value parent(Runtime &rt, const Value &self, Args)
{
    XmlListObject *list = listOf(rt, self);
    if (list->items.empty())
        return Value();
    XmlNodePtr common = list->items[0].node->parent.lock();
    for (const HeldNode &item : list->items)
        if (item.node->parent.lock() != common)
            return Value();
    return common ? NewXml(rt, common) : Value();
}

Value propertyIsEnumerable(Runtime &rt, const Value &self, Args args)
{
    const int64_t index = ArrayIndexOf(rt.toString(args[0]));
    return Value(index >= 0 && size_t(index) < listOf(rt, self)->items.size());
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(ToString(listOf(rt, self)->nodes(), rt.xmlSettings));
}

Value toXMLString(Runtime &rt, const Value &self, Args)
{
    return Value(ToXmlString(listOf(rt, self)->nodes(), rt.xmlSettings));
}

Value valueOf(Runtime &rt, const Value &self, Args)
{
    listOf(rt, self);
    return self;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    auto *object = static_cast<XmlListObject *>(self.asObject());
    for (const XmlNodePtr &node : ToXmlNodes(rt, args[0]))
        object->items.push_back(Hold(node));
    return Value();
}

Value call(Runtime &rt, const Value &, Args args)
{
    if (dynamic_cast<XmlListObject *>(args[0].asObject()))
        return args[0];
    return NewXmlList(rt, ToXmlNodes(rt, args[0]));
}

} // namespace

extern const NativeClass XMLListClass = {
    "", "XMLList", "Object", ClassFinal, CreateNative<XmlListObject>, construct, call,
    {
        {"attribute", MemberKind::Method, attribute, 1, MemberAs3},
        {"attributes", MemberKind::Method, attributes, 0, MemberAs3},
        {"child", MemberKind::Method, child, 1, MemberAs3},
        {"children", MemberKind::Method, children, 0, MemberAs3},
        {"comments", MemberKind::Method, comments, 0, MemberAs3},
        {"contains", MemberKind::Method, contains, 1, MemberAs3},
        {"copy", MemberKind::Method, copy, 0, MemberAs3},
        {"descendants", MemberKind::Method, descendants, 0, MemberAs3},
        {"elements", MemberKind::Method, elements, 0, MemberAs3},
        {"hasComplexContent", MemberKind::Method, hasComplexContent, 0, MemberAs3},
        {"hasOwnProperty", MemberKind::Method, hasOwnProperty, 1, MemberAs3},
        {"hasSimpleContent", MemberKind::Method, hasSimpleContent, 0, MemberAs3},
        {"length", MemberKind::Method, length, 0, MemberAs3},
        {"normalize", MemberKind::Method, normalize, 0, MemberAs3},
        {"parent", MemberKind::Method, parent, 0, MemberAs3},
        {"processingInstructions", MemberKind::Method, processingInstructions, 0, MemberAs3},
        {"propertyIsEnumerable", MemberKind::Method, propertyIsEnumerable, 1, MemberAs3},
        {"text", MemberKind::Method, text, 0, MemberAs3},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberAs3},
        {"toXMLString", MemberKind::Method, toXMLString, 0, MemberAs3},
        {"valueOf", MemberKind::Method, valueOf, 0, MemberAs3},
        // One item only.
        {"addNamespace", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "addNamespace"); }, 1, MemberAs3},
        {"appendChild", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "appendChild"); }, 1, MemberAs3},
        {"childIndex", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "childIndex"); }, 0, MemberAs3},
        {"inScopeNamespaces", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "inScopeNamespaces"); }, 0, MemberAs3},
        {"insertChildAfter", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "insertChildAfter"); }, 2, MemberAs3},
        {"insertChildBefore", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "insertChildBefore"); }, 2, MemberAs3},
        {"localName", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "localName"); }, 0, MemberAs3},
        {"name", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "name"); }, 0, MemberAs3},
        {"namespace", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "namespace"); }, 0, MemberAs3},
        {"namespaceDeclarations", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "namespaceDeclarations"); }, 0, MemberAs3},
        {"nodeKind", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "nodeKind"); }, 0, MemberAs3},
        {"prependChild", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "prependChild"); }, 1, MemberAs3},
        {"removeNamespace", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "removeNamespace"); }, 1, MemberAs3},
        {"replace", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "replace"); }, 2, MemberAs3},
        {"setChildren", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "setChildren"); }, 1, MemberAs3},
        {"setLocalName", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "setLocalName"); }, 1, MemberAs3},
        {"setName", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "setName"); }, 1, MemberAs3},
        {"setNamespace", MemberKind::Method, [](Runtime &rt, const Value &s, Args a) { return onlyItem(rt, s, a, "setNamespace"); }, 1, MemberAs3},
    },
    {{"length", 1}},
};

} // namespace swf::avm2
