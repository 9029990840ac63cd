// describeType: a class's description as XML, as the player writes it:
// the <type> element with the class's name and kind, its bases and
// interfaces, its constructor's parameters, and its variables, constants,
// accessors and methods. Called on a class it describes the class object
// (its statics), with the instances' side in a <factory> element.
// avmplus.describeType takes flags choosing the parts; flash.utils's
// gives the player's usual set. Metadata is not kept by the engine, so no
// part holds it.
#include "swf/avm2/builtins/DescribeType.h"

#include "swf/avm2/AbcUnit.h"
#include "swf/avm2/builtins/XmlObject.h"

#include <algorithm>

namespace swf::avm2 {

namespace {

struct Writer {
    Runtime &rt;
    uint32_t flags;

    bool wants(uint32_t flag) const { return (flags & flag) != 0; }
};

XmlNodePtr child(const XmlNodePtr &parent, const char *name)
{
    XmlNodePtr node = MakeElement(XmlName{QString(), QString::fromLatin1(name), QString(), false});
    AppendChild(parent, {node});
    return node;
}

void attribute(const XmlNodePtr &node, const char *name, const QString &value)
{
    XmlNodePtr attr = MakeAttribute(XmlName{QString(), QString::fromLatin1(name), QString(), false}, value);
    attr->parent = node;
    node->attributes.push_back(std::move(attr));
}

QString boolText(bool value) { return QLatin1String(value ? "true" : "false"); }

// Names as the player writes them here: a namespace's URI before "::"
// unless the namespace is public, and a vector by its element type.
QString typeName(const Class *cls)
{
    if (!cls)
        return QStringLiteral("*");
    if (cls->isVectorClass)
        return QStringLiteral("__AS3__.vec::Vector.<%1>").arg(typeName(cls->elementType));
    if (!cls->ns || (cls->ns->isPublic()))
        return cls->name;
    return cls->ns->uri + QStringLiteral("::") + cls->name;
}

// A declared type not defined (yet) is written by the name the block gives.
QString multinameText(const Multiname &name)
{
    if (name.anyName)
        return QStringLiteral("*");
    const Namespace *ns = name.namespaces.empty() ? nullptr : name.namespaces.front();
    if (!ns || ns->uri.isEmpty())
        return name.name;
    return ns->uri + QStringLiteral("::") + name.name;
}

QString declaredType(Runtime &rt, const Method *method, uint32_t multiname)
{
    if (!method || !method->unit || multiname == 0 || multiname >= method->unit->multinames.size())
        return QStringLiteral("*");
    if (Class *cls = method->unit->resolveType(multiname))
        return typeName(cls);
    (void)rt;
    return multinameText(method->unit->multinames[multiname]);
}

QString returnType(Runtime &rt, const Method *method)
{
    return declaredType(rt, method, method && method->info ? method->info->returnType : 0);
}

// A method's parameters: from the block, or for a built-in as many
// untyped ones as it takes.
void writeParameters(Runtime &rt, const XmlNodePtr &node, const Method *method)
{
    const AbcMethod *info = method ? method->info : nullptr;
    const size_t count = info ? info->paramTypes.size() : size_t(method ? std::max(method->length, 0) : 0);
    const size_t required = info ? count - std::min(count, info->optionals.size()) : count;
    for (size_t i = 0; i < count; ++i) {
        XmlNodePtr parameter = child(node, "parameter");
        attribute(parameter, "index", QString::number(i + 1));
        attribute(parameter, "type", info ? declaredType(rt, method, info->paramTypes[i]) : QStringLiteral("*"));
        attribute(parameter, "optional", boolText(i >= required));
    }
}

// What a description lists: public names and names in namespaces of
// their own (interfaces', user namespaces); not private, protected or
// internal ones, nor the core classes' AS3 methods.
bool listed(const Namespace *ns)
{
    if (!ns)
        return false;
    if (ns->kind != NamespaceKind::Namespace && ns->kind != NamespaceKind::Package)
        return false;
    return ns->uri != As3NamespaceUri;
}

bool sameTarget(const TraitBinding &a, const TraitBinding &b)
{
    return a.kind == b.kind && a.slot == b.slot && a.method == b.method && a.getter == b.getter && a.setter == b.setter;
}

// A class implementing an interface binds its method under the
// interface's name too; the public binding stands for both.
bool aliasOfPublic(const std::vector<TraitBinding> &group, const TraitBinding &binding)
{
    if (binding.ns->isPublic())
        return false;
    return std::any_of(group.begin(), group.end(),
                       [&](const TraitBinding &other) { return other.ns->isPublic() && sameTarget(other, binding); });
}

QString ownerName(const Method *method, const Class *fallback)
{
    return typeName(method && method->owner ? method->owner : fallback);
}

void writeUri(const Writer &w, const XmlNodePtr &node, const Namespace *ns, bool isMethod)
{
    if (ns->isPublic() || (isMethod && w.wants(DescribeHideNsUriMethods)))
        return;
    attribute(node, "uri", ns->uri);
}

void writeSlot(const Writer &w, const XmlNodePtr &parent, const QString &name, const TraitBinding &binding,
               const Traits &traits)
{
    const bool isConst = binding.kind == TraitBinding::Kind::Const;
    if (!w.wants(DescribeVariables) || binding.slot >= traits.slotTable.size())
        return;
    const SlotInfo &slot = traits.slotTable[binding.slot];
    XmlNodePtr node = child(parent, isConst ? "constant" : "variable");
    attribute(node, "name", name);
    attribute(node, "type", slot.type.anyName ? QStringLiteral("*")
                                              : (w.rt.slotType(slot) ? typeName(w.rt.slotType(slot)) : multinameText(slot.type)));
    writeUri(w, node, binding.ns, false);
}

void writeAccessor(const Writer &w, const XmlNodePtr &parent, const QString &name, const TraitBinding &binding,
                   const Class *owner)
{
    if (!w.wants(DescribeAccessors))
        return;
    const char *access = binding.getter && binding.setter ? "readwrite" : binding.getter ? "readonly" : "writeonly";
    const Method *setter = binding.setter;
    QString type = binding.getter ? returnType(w.rt, binding.getter) : QStringLiteral("*");
    if (!binding.getter && setter && setter->info && !setter->info->paramTypes.empty())
        type = declaredType(w.rt, setter, setter->info->paramTypes.front());
    XmlNodePtr node = child(parent, "accessor");
    attribute(node, "name", name);
    attribute(node, "access", QString::fromLatin1(access));
    attribute(node, "type", type);
    attribute(node, "declaredBy", ownerName(binding.getter ? binding.getter : setter, owner));
    writeUri(w, node, binding.ns, false);
}

void writeMethod(const Writer &w, const XmlNodePtr &parent, const QString &name, const TraitBinding &binding,
                 const Class *owner)
{
    if (!w.wants(DescribeMethods))
        return;
    XmlNodePtr node = child(parent, "method");
    attribute(node, "name", name);
    attribute(node, "declaredBy", ownerName(binding.method, owner));
    attribute(node, "returnType", returnType(w.rt, binding.method));
    writeUri(w, node, binding.ns, true);
    writeParameters(w.rt, node, binding.method);
}

// The traits' listed names, ordered by name so that a description reads
// the same every time.
void writeTraits(const Writer &w, const XmlNodePtr &parent, const Traits &traits, const Class *owner)
{
    QStringList names = traits.byName.keys();
    names.sort();
    for (const QString &name : names) {
        const std::vector<TraitBinding> &group = traits.byName.value(name);
        for (const TraitBinding &binding : group) {
            if (!listed(binding.ns) || aliasOfPublic(group, binding))
                continue;
            switch (binding.kind) {
            case TraitBinding::Kind::Slot:
            case TraitBinding::Kind::Const: writeSlot(w, parent, name, binding, traits); break;
            case TraitBinding::Kind::Accessor: writeAccessor(w, parent, name, binding, owner); break;
            case TraitBinding::Kind::Method: writeMethod(w, parent, name, binding, owner); break;
            }
        }
    }
}

void writeBases(const Writer &w, const XmlNodePtr &parent, const Class *first)
{
    if (!w.wants(DescribeBases))
        return;
    for (const Class *base = first; base; base = base->superClass) {
        if (w.wants(DescribeHideObject) && !base->superClass)
            break;
        attribute(child(parent, "extendsClass"), "type", typeName(base));
    }
}

// The instances' side: what an object of the class has.
void writeInstance(const Writer &w, const XmlNodePtr &parent, const Class *cls)
{
    writeBases(w, parent, cls->superClass);
    if (w.wants(DescribeInterfaces))
        for (const Class *iface : cls->interfaces)
            attribute(child(parent, "implementsInterface"), "type", typeName(iface));
    const Method *init = cls->instanceInit;
    const bool hasParameters = init && (init->info ? !init->info->paramTypes.empty() : init->length > 0);
    if (w.wants(DescribeConstructor) && hasParameters)
        writeParameters(w.rt, child(parent, "constructor"), init);
    if (w.wants(DescribeTraits))
        writeTraits(w, parent, cls->instanceTraits, cls);
}

// The class object's side: Class's own members, then the statics.
void writeStatics(const Writer &w, const XmlNodePtr &parent, const Class *cls)
{
    const Class *classClass = w.rt.classClass;
    writeBases(w, parent, classClass);
    if (!w.wants(DescribeTraits))
        return;
    if (classClass)
        writeTraits(w, parent, classClass->instanceTraits, classClass);
    writeTraits(w, parent, cls->classTraits, cls);
    XmlNodePtr factory = child(parent, "factory");
    attribute(factory, "type", typeName(cls));
    writeInstance(w, factory, cls);
}

XmlNodePtr typeElement(const QString &name)
{
    XmlNodePtr root = MakeElement(XmlName{QString(), QStringLiteral("type"), QString(), false});
    attribute(root, "name", name);
    return root;
}

void writeKind(const XmlNodePtr &root, const QString &base, bool isDynamic, bool isFinal, bool isStatic)
{
    if (!base.isEmpty())
        attribute(root, "base", base);
    attribute(root, "isDynamic", boolText(isDynamic));
    attribute(root, "isFinal", boolText(isFinal));
    attribute(root, "isStatic", boolText(isStatic));
}

} // namespace

XmlNodePtr DescribeTypeTree(Runtime &rt, const Value &value, uint32_t flags)
{
    const Writer w{rt, flags};
    if (value.isNullish()) {
        XmlNodePtr root = typeElement(QLatin1String(value.isNull() ? "null" : "void"));
        writeKind(root, QString(), false, true, false);
        return root;
    }
    auto *cls = dynamic_cast<const Class *>(value.asObject());
    if (cls && !w.wants(DescribeUseInstanceTraits)) {
        XmlNodePtr root = typeElement(typeName(cls));
        writeKind(root, QStringLiteral("Class"), true, true, true);
        writeStatics(w, root, cls);
        return root;
    }
    if (!cls)
        cls = rt.classOf(value);
    XmlNodePtr root = typeElement(typeName(cls));
    writeKind(root, cls && cls->superClass ? typeName(cls->superClass) : QString(), cls && !cls->sealed,
              cls && cls->final, false);
    if (cls)
        writeInstance(w, root, cls);
    return root;
}

Value DescribeType(Runtime &rt, const Value &value, uint32_t flags) { return NewXml(rt, DescribeTypeTree(rt, value, flags)); }

} // namespace swf::avm2
