// Error: the class scripts throw, with a message and a toString that gives it.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

const QString &messageName()
{
    static const QString name = QStringLiteral("message");
    return name;
}

// new Error(message): the message is the object's own when one is given.
Value construct(NativeCall &call)
{
    ScriptObject *object = call.object();
    if (call.construct && object && !call.args.empty() && !std::holds_alternative<Undefined>(call.args[0]))
        object->set(call.key(messageName()), messageName(), call.args[0]);
    return call.construct ? call.self : Value(Undefined{});
}

// The message, "Error" when there is none.
Value toString(NativeCall &call)
{
    const ScriptObject *object = call.object();
    const Value *message = object ? object->find(call.key(messageName())) : nullptr;
    return message ? call.cx.toString(*message) : QStringLiteral("Error");
}

} // namespace

const ClassDecl ErrorClass{
    "Error",
    construct,
    {{"toString", toString}},
    {},
    {},
};

} // namespace swf
