#pragma once

#include "swf/avm2/Object.h"
#include "swf/avm2/XmlTree.h"

namespace swf::avm2 {

// A node and the root of the tree it sat in when taken: parents are only
// observed, so holding the root keeps parent() answering.
struct HeldNode {
    XmlNodePtr node;
    XmlNodePtr root;
};
HeldNode Hold(const XmlNodePtr &node);

// An XML value: one node of a tree. Names read, written or deleted on it
// mean children and attributes; its methods are only reached by calls.
class XmlObject : public Object {
public:
    using Object::Object;
    HeldNode held;
    XmlNode &node() const { return *held.node; }

    bool namesChildren() const override { return true; }
    bool getOwn(Runtime &rt, const Multiname &name, Value &out) override;
    bool setOwn(Runtime &rt, const Multiname &name, const Value &value) override;
    bool hasOwn(Runtime &rt, const Multiname &name) override;
    bool deleteOwn(Runtime &rt, const Multiname &name) override;
    bool getByKey(Runtime &rt, const Value &key, Value &out) override;
    bool hasByKey(Runtime &rt, const Value &key, bool &has) override;
    int nextIndex(Runtime &rt, int index) override;
    Value nameAt(Runtime &rt, int index) override;
    Value valueAt(Runtime &rt, int index) override;
    bool equalsValue(Runtime &rt, const Value &other) override;
    bool addValues(Runtime &rt, const Value &a, const Value &b, Value &out) override;
    bool descendants(Runtime &rt, const Multiname &name, Value &out) override;
    bool toPrimitiveValue(Runtime &rt, Value &out) override;
};

// An XMLList value: nodes in order, and the object and name a list read as
// x.name came from, so that assigning to its first item can create it.
class XmlListObject : public Object {
public:
    using Object::Object;
    std::vector<HeldNode> items;
    Value target;
    Multiname targetName;

    bool namesChildren() const override { return true; }
    bool getOwn(Runtime &rt, const Multiname &name, Value &out) override;
    bool setOwn(Runtime &rt, const Multiname &name, const Value &value) override;
    bool hasOwn(Runtime &rt, const Multiname &name) override;
    bool deleteOwn(Runtime &rt, const Multiname &name) override;
    bool getByKey(Runtime &rt, const Value &key, Value &out) override;
    bool setByKey(Runtime &rt, const Value &key, const Value &value) override;
    bool hasByKey(Runtime &rt, const Value &key, bool &has) override;
    bool deleteByKey(Runtime &rt, const Value &key, bool &deleted) override;
    int nextIndex(Runtime &rt, int index) override;
    Value nameAt(Runtime &rt, int index) override;
    Value valueAt(Runtime &rt, int index) override;
    bool equalsValue(Runtime &rt, const Value &other) override;
    bool addValues(Runtime &rt, const Value &a, const Value &b, Value &out) override;
    bool descendants(Runtime &rt, const Multiname &name, Value &out) override;
    bool toPrimitiveValue(Runtime &rt, Value &out) override;
    void mark(const Marker &marker) const override;

    XmlNodeList nodes() const;
};

// Making values.
Value NewXml(Runtime &rt, const XmlNodePtr &node);
Value NewXmlList(Runtime &rt, const XmlNodeList &nodes, const Value &target = Value(),
                 const Multiname &targetName = Multiname());
// The tree value converts to (XML(value)): XML stays itself, a list of one
// gives its item, anything else is parsed as text.
XmlNodePtr ToXmlNode(Runtime &rt, const Value &value);
// The nodes value converts to for XMLList(value) or a list argument.
XmlNodeList ToXmlNodes(Runtime &rt, const Value &value);
// The nodes an XML or XMLList value holds; nullopt for other values.
std::optional<XmlNodeList> NodesOf(const Value &value);
// The name tests a property name stands for, with the default namespace
// for unqualified names.
std::vector<XmlNameTest> NameTests(Runtime &rt, const Multiname &name);
bool MatchesAny(const XmlNode &node, const std::vector<XmlNameTest> &tests);
// The name tests of a method argument: a QName, a string, an AttributeName.
std::vector<XmlNameTest> NameTestsOf(Runtime &rt, const Value &value);
// The default namespace's URI.
QString DefaultXmlNamespaceUri(Runtime &rt);
// Namespaces and names as ActionScript values and back.
Value NamespaceValue(Runtime &rt, const XmlNamespace &ns);
XmlNamespace ToXmlNamespace(Runtime &rt, const Value &value);
Value QNameValue(Runtime &rt, const XmlName &name);
// A name argument (setName, setLocalName): a QName, else text.
XmlName ToXmlName(Runtime &rt, const Value &value);
// What x.name = value does on an element.
void AssignChild(Runtime &rt, const XmlNodePtr &element, const Multiname &name, const Value &value);

} // namespace swf::avm2
