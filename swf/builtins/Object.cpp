// Object: the constructor and Object.prototype.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// Movies of version 5 do not see hasOwnProperty.
constexpr int FirstVersionWithOwnProperties = 6;

Value construct(NativeCall &call)
{
    if (objectOf(call.arg(0)))
        return call.arg(0);
    if (call.construct)
        return call.self;
    return ObjectValue(call.engine().newObject());
}

Value toString(NativeCall &call)
{
    const ScriptObject *object = call.object();
    return object && object->isCallable() ? QStringLiteral("[type Function]") : QStringLiteral("[object Object]");
}

Value valueOf(NativeCall &call) { return call.self; }

Value hasOwnProperty(NativeCall &call)
{
    const ScriptObject *object = call.object();
    return object && !call.args.empty() && object->own(call.key(call.string(0))) != nullptr;
}

} // namespace

const ClassDecl ObjectClass{
    "Object",
    construct,
    {{"toString", toString}, {"valueOf", valueOf}, {"hasOwnProperty", hasOwnProperty, FirstVersionWithOwnProperties}},
    {},
    {},
};

} // namespace swf
