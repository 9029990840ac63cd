// Boolean: true and false.
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

bool booleanOf(Runtime &rt, const Value &self, const char *method)
{
    if (self.isBoolean())
        return self.asBool();
    if (Object *object = self.asObject(); object && object == rt.booleanClass->prototypeObject)
        return false;
    rt.throwError(ErrorType::TypeError, 1004, QStringList{QString::fromLatin1(method)});
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(booleanOf(rt, self, "Boolean.prototype.toString") ? QStringLiteral("true") : QStringLiteral("false"));
}

Value valueOf(Runtime &rt, const Value &self, Args) { return Value(booleanOf(rt, self, "Boolean.prototype.valueOf")); }

Value call(Runtime &rt, const Value &, Args args) { return Value(rt.toBoolean(args[0])); }

} // namespace

extern const NativeClass BooleanClass = {
    "", "Boolean", "Object", ClassFinal, nullptr, nullptr, call,
    {
        {"toString", MemberKind::Method, toStringMethod, 0, MemberAs3},
        {"valueOf", MemberKind::Method, valueOf, 0, MemberAs3},
    },
    {{"length", 1}},
    nullptr, {}, call,
};

} // namespace swf::avm2
