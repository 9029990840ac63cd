// Function: closures and bound methods, with call and apply.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

constexpr int ApplyArgumentError = 1116;

Value call(Runtime &rt, const Value &self, Args args)
{
    return rt.call(self, args[0].isNullish() ? Value() : args[0], args.from(1));
}

Value apply(Runtime &rt, const Value &self, Args args)
{
    std::vector<Value> list;
    if (!args[1].isNullish()) {
        auto *array = dynamic_cast<ArrayObject *>(args[1].asObject());
        if (!array)
            rt.throwError(ErrorType::TypeError, ApplyArgumentError, QStringList{});
        list = array->toVector();
    }
    return rt.call(self, args[0].isNullish() ? Value() : args[0], Args{list.data(), int(list.size())});
}

Value getPrototype(Runtime &rt, const Value &self, Args)
{
    auto *fn = dynamic_cast<FunctionObject *>(self.asObject());
    if (!fn)
        return Value();
    if (fn->prototypeValue.isUndefined() && !fn->bound) {
        Object *proto = rt.newObject();
        proto->dynamics.set(QStringLiteral("constructor"), self, false);
        fn->prototypeValue = Value(proto);
    }
    return fn->prototypeValue;
}

Value setPrototype(Runtime &, const Value &self, Args args)
{
    if (auto *fn = dynamic_cast<FunctionObject *>(self.asObject()))
        fn->prototypeValue = args[0];
    return Value();
}

Value length(Runtime &, const Value &self, Args)
{
    auto *fn = dynamic_cast<FunctionObject *>(self.asObject());
    return Value(fn && fn->method ? int32_t(fn->method->info ? fn->method->info->paramTypes.size() : fn->method->length) : 0);
}

Value toStringMethod(Runtime &, const Value &, Args) { return Value(QStringLiteral("function Function() {}")); }

Value construct(Runtime &rt, const Value &, Args args)
{
    if (args.count > 0)
        rt.throwError(ErrorType::EvalError, 1066, QStringList{});
    return Value();
}

Value emptyFunction(Runtime &, const Value &, Args) { return Value(); }

Value callFunction(Runtime &rt, const Value &, Args args)
{
    if (args.count > 0)
        rt.throwError(ErrorType::EvalError, 1066, QStringList{});
    return Value(rt.newNativeFunction(emptyFunction, QString(), 0));
}

} // namespace

extern const NativeClass FunctionClass = {
    "", "Function", "Object", ClassDynamic, nullptr, construct, callFunction,
    {
        {"call", MemberKind::Method, call, 1, MemberAs3},
        {"apply", MemberKind::Method, apply, 2, MemberAs3},
        {"prototype", MemberKind::Getter, getPrototype},
        {"prototype", MemberKind::Setter, setPrototype},
        {"length", MemberKind::Getter, length},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"toLocaleString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
    },
    {{"length", 1}},
    nullptr, {}, callFunction,
};

} // namespace swf::avm2
