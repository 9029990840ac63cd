#include "swf/avm2/builtins/ProxyObject.h"

#include "swf/avm2/Runtime.h"

#include <vector>

namespace swf::avm2 {

namespace {

Multiname proxyMethod(Runtime &rt, const char *name)
{
    Multiname method;
    method.name = QString::fromLatin1(name);
    method.namespaces.push_back(rt.namespaces.intern(NamespaceKind::Namespace, FlashProxyUri));
    return method;
}

// The name as the overriding methods receive it: a QName in the
// namespace the access named.
Value nameObject(Runtime &rt, const Multiname &name)
{
    const Namespace *ns = name.hasPublic() || name.namespaces.empty() ? rt.namespaces.publicNs() : name.namespaces.front();
    const Value args[] = {Value(ns->uri), Value(name.anyName ? QStringLiteral("*") : name.name)};
    return rt.construct(Value(static_cast<Object *>(rt.qnameClass)), Args{args, 2});
}

Value callProxy(Runtime &rt, Object *self, const char *method, std::vector<Value> args)
{
    return rt.callProperty(Value(self), proxyMethod(rt, method), Args{args.data(), int(args.size())});
}

} // namespace

bool ProxyObject::getOwn(Runtime &rt, const Multiname &name, Value &out)
{
    out = callProxy(rt, this, "getProperty", {nameObject(rt, name)});
    return true;
}

bool ProxyObject::setOwn(Runtime &rt, const Multiname &name, const Value &value)
{
    callProxy(rt, this, "setProperty", {nameObject(rt, name), value});
    return true;
}

bool ProxyObject::hasOwn(Runtime &rt, const Multiname &name)
{
    return rt.toBoolean(callProxy(rt, this, "hasProperty", {nameObject(rt, name)}));
}

bool ProxyObject::deleteOwn(Runtime &rt, const Multiname &name)
{
    return rt.toBoolean(callProxy(rt, this, "deleteProperty", {nameObject(rt, name)}));
}

int ProxyObject::nextIndex(Runtime &rt, int index)
{
    return rt.toInt(callProxy(rt, this, "nextNameIndex", {Value(index)}));
}

Value ProxyObject::nameAt(Runtime &rt, int index) { return callProxy(rt, this, "nextName", {Value(index)}); }

Value ProxyObject::valueAt(Runtime &rt, int index) { return callProxy(rt, this, "nextValue", {Value(index)}); }

bool ProxyObject::descendants(Runtime &rt, const Multiname &name, Value &out)
{
    out = callProxy(rt, this, "getDescendants", {nameObject(rt, name)});
    return true;
}

Value ProxyObject::callOwn(Runtime &rt, const Multiname &name, Args args)
{
    std::vector<Value> all{nameObject(rt, name)};
    all.insert(all.end(), args.data, args.data + args.count);
    return callProxy(rt, this, "callProperty", std::move(all));
}

} // namespace swf::avm2
