// QName: a local name in a namespace.
#include "swf/avm2/builtins/NamespaceObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

QNameObject *qnameOf(Runtime &rt, const Value &self) { return ThisAs<QNameObject>(rt, self, "QName"); }

// new QName(name), new QName(namespace, name).
Value construct(Runtime &rt, const Value &self, Args args)
{
    QNameObject *object = qnameOf(rt, self);
    const Value nameValue = args.count >= 2 ? args[1] : args[0];
    if (auto *other = dynamic_cast<QNameObject *>(nameValue.asObject())) {
        object->localName = other->localName;
        object->anyName = other->anyName;
        object->ns = other->ns;
    } else {
        object->localName = nameValue.isUndefined() ? QString() : rt.toString(nameValue);
        object->anyName = object->localName == QLatin1String("*");
        object->ns = rt.namespaces.publicNs();
    }
    if (args.count >= 2) {
        if (args[0].isNull())
            object->ns = nullptr;
        else if (auto *ns = dynamic_cast<NamespaceObject *>(args[0].asObject()))
            object->ns = ns->ns;
        else if (!args[0].isUndefined())
            object->ns = rt.namespaces.intern(NamespaceKind::Namespace, rt.toString(args[0]));
    }
    return Value();
}

Value call(Runtime &rt, const Value &cls, Args args)
{
    if (args.count == 1 && dynamic_cast<QNameObject *>(args[0].asObject()))
        return args[0];
    return rt.construct(cls, args);
}

Value localName(Runtime &rt, const Value &self, Args)
{
    QNameObject *q = qnameOf(rt, self);
    return Value(q->anyName ? QStringLiteral("*") : q->localName);
}

Value uri(Runtime &rt, const Value &self, Args)
{
    QNameObject *q = qnameOf(rt, self);
    return q->ns ? Value(q->ns->uri) : Value::null();
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    QNameObject *q = qnameOf(rt, self);
    const QString local = q->anyName ? QStringLiteral("*") : q->localName;
    if (!q->ns)
        return Value(QStringLiteral("*::") + local);
    return Value(q->ns->uri.isEmpty() ? local : q->ns->uri + QStringLiteral("::") + local);
}

} // namespace

extern const NativeClass QNameClass = {
    "", "QName", "Object", ClassFinal, CreateNative<QNameObject>, construct, call,
    {
        {"localName", MemberKind::Getter, localName},
        {"uri", MemberKind::Getter, uri},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"valueOf", MemberKind::Method, toStringMethod, 0, MemberPrototype},
    },
    {{"length", 2}},
};

} // namespace swf::avm2
