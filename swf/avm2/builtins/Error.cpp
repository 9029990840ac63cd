// Error and the error classes the player throws, which differ only in name.
#include "swf/avm2/builtins/ErrorObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

Value construct(Runtime &rt, const Value &self, Args args)
{
    auto *error = ThisAs<ErrorObject>(rt, self, "Error");
    if (args.has(0))
        error->message = Value(rt.toString(args[0]));
    if (args.has(1))
        error->errorId = rt.toInt(args[1]);
    return Value();
}

Value getMessage(Runtime &rt, const Value &self, Args) { return ThisAs<ErrorObject>(rt, self, "Error")->message; }
Value setMessage(Runtime &rt, const Value &self, Args args)
{
    ThisAs<ErrorObject>(rt, self, "Error")->message = args[0];
    return Value();
}

QString classNameOf(const Value &self)
{
    Object *object = self.asObject();
    for (Class *cls = object ? object->objectClass() : nullptr; cls; cls = cls->superClass)
        if (cls->native)
            return cls->name;
    return QStringLiteral("Error");
}

Value getName(Runtime &rt, const Value &self, Args)
{
    auto *error = ThisAs<ErrorObject>(rt, self, "Error");
    return error->name.isUndefined() ? Value(classNameOf(self)) : error->name;
}
Value setName(Runtime &rt, const Value &self, Args args)
{
    ThisAs<ErrorObject>(rt, self, "Error")->name = args[0];
    return Value();
}

Value errorId(Runtime &rt, const Value &self, Args) { return Value(ThisAs<ErrorObject>(rt, self, "Error")->errorId); }

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    const QString name = rt.toString(rt.get(self, QStringLiteral("name")));
    const Value message = rt.get(self, QStringLiteral("message"));
    const QString text = message.isNullish() ? QString() : rt.toString(message);
    return Value(text.isEmpty() ? name : name + QStringLiteral(": ") + text);
}

Value getStackTrace(Runtime &rt, const Value &self, Args) { return toStringMethod(rt, self, Args{}); }

// Error(...) called as a function makes an error as new would.
Value callAsFunction(Runtime &rt, const Value &cls, Args args) { return rt.construct(cls, args); }

std::vector<NativeMember> errorMembers()
{
    return {
        {"message", MemberKind::Getter, getMessage},
        {"message", MemberKind::Setter, setMessage},
        {"name", MemberKind::Getter, getName},
        {"name", MemberKind::Setter, setName},
        {"errorID", MemberKind::Getter, errorId},
        {"getStackTrace", MemberKind::Method, getStackTrace},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
    };
}

NativeClass subclass(const char *package, const char *name, const char *base = "Error")
{
    return NativeClass{package, name, base, ClassDynamic, nullptr, construct, callAsFunction, {}, {{"length", 1}}};
}

} // namespace

extern const NativeClass ErrorClass = {
    "", "Error", "Object", ClassDynamic, CreateNative<ErrorObject>, construct, callAsFunction, errorMembers(),
    {{"length", 1}},
};
extern const NativeClass TypeErrorClass = subclass("", "TypeError");
extern const NativeClass ReferenceErrorClass = subclass("", "ReferenceError");
extern const NativeClass RangeErrorClass = subclass("", "RangeError");
extern const NativeClass ArgumentErrorClass = subclass("", "ArgumentError");
extern const NativeClass SyntaxErrorClass = subclass("", "SyntaxError");
extern const NativeClass EvalErrorClass = subclass("", "EvalError");
extern const NativeClass URIErrorClass = subclass("", "URIError");
extern const NativeClass VerifyErrorClass = subclass("", "VerifyError");
extern const NativeClass SecurityErrorClass = subclass("", "SecurityError");
extern const NativeClass DefinitionErrorClass = subclass("", "DefinitionError");
extern const NativeClass UninitializedErrorClass = subclass("", "UninitializedError");
extern const NativeClass IOErrorClass = subclass("flash.errors", "IOError");
extern const NativeClass EOFErrorClass = subclass("flash.errors", "EOFError", "flash.errors::IOError");
extern const NativeClass IllegalOperationErrorClass = subclass("flash.errors", "IllegalOperationError");
extern const NativeClass MemoryErrorClass = subclass("flash.errors", "MemoryError");
extern const NativeClass StackOverflowErrorClass = subclass("flash.errors", "StackOverflowError");
extern const NativeClass ScriptTimeoutErrorClass = subclass("flash.errors", "ScriptTimeoutError");
extern const NativeClass InvalidSWFErrorClass = subclass("flash.errors", "InvalidSWFError");

} // namespace swf::avm2
