#pragma once

#include "swf/avm2/AbcFile.h"

#include <QHash>
#include <QString>

#include <deque>
#include <vector>

namespace swf::avm2 {

// A namespace as the virtual machine compares it. Namespaces are interned by
// the runtime's NamespacePool, so two equal namespaces are one object and
// compare by address; each private namespace of a block is its own object.
struct Namespace {
    NamespaceKind kind = NamespaceKind::Namespace;
    QString uri;

    bool isPublic() const
    {
        return (kind == NamespaceKind::Namespace || kind == NamespaceKind::Package) && uri.isEmpty();
    }
};

class NamespacePool {
public:
    NamespacePool();
    // The one namespace of this kind and uri (Package and Namespace kinds are one).
    const Namespace *intern(NamespaceKind kind, const QString &uri);
    // A namespace no other equals.
    const Namespace *unique(NamespaceKind kind, const QString &uri);
    const Namespace *publicNs() const { return m_public; }
    const Namespace *as3() const { return m_as3; }

private:
    std::deque<Namespace> m_storage;
    QHash<QPair<int, QString>, const Namespace *> m_interned;
    const Namespace *m_public = nullptr;
    const Namespace *m_as3 = nullptr;
};

// The namespace of the built-in classes' ActionScript 3 methods.
inline const QString As3NamespaceUri = QStringLiteral("http://adobe.com/AS3/2006/builtin");

// A property name as an instruction looks it up: a local name (or any) in
// any of a set of namespaces (or any).
struct Multiname {
    QString name;
    bool anyName = false;
    bool anyNamespace = false;
    bool attribute = false;
    std::vector<const Namespace *> namespaces;
    // Vector.<T>: the parameter's name, when this names an applied generic.
    std::vector<Multiname> typeParams;

    static Multiname publicName(const NamespacePool &pool, const QString &name)
    {
        Multiname m;
        m.name = name;
        m.namespaces.push_back(pool.publicNs());
        return m;
    }
    bool hasPublic() const
    {
        if (anyNamespace)
            return true;
        for (const Namespace *ns : namespaces)
            if (ns->isPublic())
                return true;
        return false;
    }
    bool matches(const Namespace *ns) const
    {
        if (anyNamespace)
            return true;
        for (const Namespace *candidate : namespaces)
            if (candidate == ns)
                return true;
        return false;
    }
    // "pkg::name" or "name", for error messages.
    QString displayName() const;
};

} // namespace swf::avm2
