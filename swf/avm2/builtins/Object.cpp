// Object: the root of every class, and the prototype methods every value has.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

Value hasOwnProperty(Runtime &rt, const Value &self, Args args)
{
    if (self.isNullish())
        return Value(false);
    const QString name = rt.toString(args[0]);
    const Multiname m = rt.publicName(name);
    Object *object = self.asObject();
    if (!object)
        return Value(rt.classOf(self)->instanceTraits.find(m) != nullptr ||
                     (self.isString() && ArrayIndexOf(name) >= 0 && ArrayIndexOf(name) < self.asString().size()));
    const Traits *traits = object->traits();
    return Value((traits && traits->find(m)) || object->hasOwn(rt, m));
}

Value propertyIsEnumerable(Runtime &rt, const Value &self, Args args)
{
    Object *object = self.asObject();
    return Value(object && object->propertyIsEnumerable(rt.toString(args[0])));
}

Value setPropertyIsEnumerable(Runtime &rt, const Value &self, Args args)
{
    if (Object *object = self.asObject())
        object->setPropertyIsEnumerable(rt.toString(args[0]), rt.toBoolean(args[1]));
    return Value();
}

Value isPrototypeOf(Runtime &rt, const Value &self, Args args)
{
    Object *object = self.asObject();
    if (!object || args[0].isNullish())
        return Value(false);
    for (Object *p = rt.prototypeOf(args[0]); p; p = p->prototype())
        if (p == object)
            return Value(true);
    return Value(false);
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    if (auto *cls = dynamic_cast<Class *>(self.asObject()))
        return Value(QStringLiteral("[class %1]").arg(cls->name));
    // The player names a function's class after its method's number in the block.
    if (auto *fn = dynamic_cast<FunctionObject *>(self.asObject()); fn && fn->method)
        return Value(QStringLiteral("[object Function-%1]").arg(fn->method->index));
    Class *cls = rt.classOf(self);
    return Value(QStringLiteral("[object %1]").arg(cls ? cls->name : QStringLiteral("Object")));
}

Value valueOf(Runtime &, const Value &self, Args) { return self; }

Value construct(Runtime &, const Value &, Args) { return Value(); }

// Object(v): v itself for objects, a new object for null and undefined.
Value call(Runtime &rt, const Value &, Args args)
{
    if (args[0].isNullish())
        return Value(rt.newObject());
    return args[0];
}

// new Object(v) gives v itself, as Object(v) does.
Value make(Runtime &rt, const Value &, Args args) { return call(rt, Value(), args); }

} // namespace

extern const NativeClass ObjectClass = {
    "", "Object", nullptr, ClassDynamic, nullptr, construct, call,
    {
        {"hasOwnProperty", MemberKind::Method, hasOwnProperty, 1, MemberAs3},
        {"propertyIsEnumerable", MemberKind::Method, propertyIsEnumerable, 1, MemberAs3},
        {"isPrototypeOf", MemberKind::Method, isPrototypeOf, 1, MemberAs3},
        {"setPropertyIsEnumerable", MemberKind::Method, setPropertyIsEnumerable, 2, MemberPrototype},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"toLocaleString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"valueOf", MemberKind::Method, valueOf, 0, MemberPrototype},
    },
    {{"length", 1}},
    nullptr, {}, make,
};

} // namespace swf::avm2
