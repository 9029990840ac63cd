// Namespace: a namespace URI with an optional prefix, as XML uses them.
#include "swf/avm2/builtins/NamespaceObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

NamespaceObject *namespaceOf(Runtime &rt, const Value &self) { return ThisAs<NamespaceObject>(rt, self, "Namespace"); }

// new Namespace(), new Namespace(uri), new Namespace(prefix, uri).
Value construct(Runtime &rt, const Value &self, Args args)
{
    NamespaceObject *object = namespaceOf(rt, self);
    const Value uriValue = args.count >= 2 ? args[1] : args[0];
    QString uri;
    Value prefix;
    if (auto *other = dynamic_cast<NamespaceObject *>(uriValue.asObject())) {
        uri = other->ns->uri;
        prefix = other->prefix;
    } else if (auto *qname = dynamic_cast<QNameObject *>(uriValue.asObject())) {
        uri = qname->ns ? qname->ns->uri : QString();
    } else if (args.count > 0) {
        uri = rt.toString(uriValue);
        prefix = uri.isEmpty() ? Value(QString()) : Value();
    } else {
        prefix = Value(QString());
    }
    if (args.count >= 2)
        prefix = args[0].isUndefined() ? Value() : Value(rt.toString(args[0]));
    object->ns = rt.namespaces.intern(NamespaceKind::Namespace, uri);
    object->prefix = prefix;
    return Value();
}

Value call(Runtime &rt, const Value &cls, Args args)
{
    if (args.count == 1 && dynamic_cast<NamespaceObject *>(args[0].asObject()))
        return args[0];
    return rt.construct(cls, args);
}

Value uri(Runtime &rt, const Value &self, Args) { return Value(namespaceOf(rt, self)->ns->uri); }
Value prefix(Runtime &rt, const Value &self, Args) { return namespaceOf(rt, self)->prefix; }
Value toStringMethod(Runtime &rt, const Value &self, Args) { return uri(rt, self, Args{}); }

} // namespace

extern const NativeClass NamespaceClass = {
    "", "Namespace", "Object", ClassFinal, CreateNative<NamespaceObject>, construct, call,
    {
        {"uri", MemberKind::Getter, uri},
        {"prefix", MemberKind::Getter, prefix},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"valueOf", MemberKind::Method, toStringMethod, 0, MemberPrototype},
    },
    {{"length", 2}},
};

} // namespace swf::avm2
