#include "swf/avm2/Namespace.h"

namespace swf::avm2 {

namespace {

// Package and Namespace kinds name the same namespaces.
int kindClass(NamespaceKind kind)
{
    return kind == NamespaceKind::Package ? int(NamespaceKind::Namespace) : int(kind);
}

} // namespace

NamespacePool::NamespacePool()
{
    m_public = intern(NamespaceKind::Package, QString());
    m_as3 = intern(NamespaceKind::Namespace, As3NamespaceUri);
}

const Namespace *NamespacePool::intern(NamespaceKind kind, const QString &uri)
{
    const QPair<int, QString> key(kindClass(kind), uri);
    if (const Namespace *existing = m_interned.value(key))
        return existing;
    const Namespace *made = unique(kind, uri);
    m_interned.insert(key, made);
    return made;
}

const Namespace *NamespacePool::unique(NamespaceKind kind, const QString &uri)
{
    m_storage.push_back(Namespace{kind, uri});
    return &m_storage.back();
}

QString Multiname::displayName() const
{
    if (anyName)
        return QStringLiteral("*");
    if (namespaces.size() == 1 && !namespaces[0]->uri.isEmpty() &&
        namespaces[0]->kind != NamespaceKind::Private && namespaces[0]->kind != NamespaceKind::PackageInternal)
        return namespaces[0]->uri + QStringLiteral("::") + name;
    return name;
}

} // namespace swf::avm2
