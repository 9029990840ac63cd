// Calls, construction and the instructions that make objects, functions
// and classes.
#include "swf/avm2/Interpreter.h"

#include "swf/avm2/builtins/ArrayObject.h"

namespace swf::avm2 {

namespace {

constexpr int NotAFunctionError = 1006;
constexpr int TypeParameterError = 1128;

Args argsOf(const std::vector<Value> &args) { return Args{args.data(), int(args.size())}; }

void call(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> args = f.popArgs(in.a);
    const Value receiver = f.pop();
    const Value function = f.pop();
    f.push(f.rt.call(function, receiver, argsOf(args)));
}

void construct(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> args = f.popArgs(in.a);
    const Value ctor = f.pop();
    if (ctor.isNullish())
        f.rt.throwError(ErrorType::TypeError, 1007, QStringList{});
    f.push(f.rt.construct(ctor, argsOf(args)));
}

template <bool Void, bool Lex> void callProperty(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> args = f.popArgs(in.b);
    NameOperand name;
    PopName(f, in.a, name);
    const Value receiver = f.pop();
    Value result;
    if (name.keyed) {
        const Value fn = f.rt.getKeyed(receiver, name.key, *name.name);
        if (!fn.isObject())
            f.rt.throwError(ErrorType::TypeError, NotAFunctionError, QStringList{name.name->displayName()});
        result = f.rt.call(fn, Lex ? Value::null() : receiver, argsOf(args));
    } else {
        result = f.rt.callProperty(receiver, *name.name, argsOf(args), !Lex);
    }
    if (!Void)
        f.push(std::move(result));
}

template <bool Void> void callSuper(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> args = f.popArgs(in.b);
    NameOperand name;
    PopName(f, in.a, name);
    const Value receiver = f.pop();
    Value result = f.rt.callSuper(receiver, f.method->owner, *name.name, argsOf(args));
    if (!Void)
        f.push(std::move(result));
}

void callStatic(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> args = f.popArgs(in.b);
    const Value receiver = f.pop();
    Method *method = f.unit->method(in.a);
    if (!method)
        f.throwVerify();
    f.push(f.rt.callMethod(method, receiver, argsOf(args)));
}

void constructSuper(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> args = f.popArgs(in.a);
    const Value receiver = f.pop();
    Class *owner = f.method->owner;
    Class *base = owner ? owner->superClass : nullptr;
    if (base && base->instanceInit)
        f.rt.callMethod(base->instanceInit, receiver, argsOf(args));
}

void constructProp(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> args = f.popArgs(in.b);
    NameOperand name;
    PopName(f, in.a, name);
    const Value object = f.pop();
    const Value ctor = name.keyed ? f.rt.getKeyed(object, name.key, *name.name) : f.rt.getProperty(object, *name.name);
    if (!ctor.isObject())
        f.rt.throwError(ErrorType::TypeError, 1007, QStringList{});
    f.push(f.rt.construct(ctor, argsOf(args)));
}

void newFunction(Frame &f, const PreparedInstruction &in)
{
    Method *method = f.unit->method(in.a);
    if (!method || !method->body)
        f.throwVerify();
    method->anyArgumentCount = true;
    FunctionObject *fn = f.rt.newFunction(method, f.capture());
    Object *proto = f.rt.newObject();
    proto->dynamics.set(QStringLiteral("constructor"), Value(static_cast<Object *>(fn)), false);
    fn->prototypeValue = Value(proto);
    f.push(Value(static_cast<Object *>(fn)));
}

void newObject(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> pairs = f.popArgs(in.a * 2);
    Object *object = f.rt.newObject();
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
        object->dynamics.set(f.rt.toString(pairs[i]), pairs[i + 1]);
    f.push(Value(object));
}

void newArray(Frame &f, const PreparedInstruction &in)
{
    std::vector<Value> elements = f.popArgs(in.a);
    f.push(Value(static_cast<Object *>(f.rt.newArray(std::move(elements)))));
}

void newActivation(Frame &f, const PreparedInstruction &)
{
    Class *cls = f.unit->activationClass(f.method);
    Object *activation = f.rt.heap.make<Object>(cls);
    f.rt.initSlots(activation, cls->instanceTraits);
    f.push(Value(activation));
}

void newClass(Frame &f, const PreparedInstruction &in)
{
    const Value base = f.pop();
    if (in.a >= f.unit->classes.size())
        f.throwVerify();
    auto *baseClass = dynamic_cast<Class *>(base.asObject());
    if (!base.isNull() && !baseClass)
        f.rt.throwError(ErrorType::VerifyError, 1014, QStringList{f.rt.describe(base)});
    if (baseClass && baseClass->final)
        f.rt.throwError(ErrorType::VerifyError, 1103, QStringList{f.rt.describe(base)});
    Class *cls = f.unit->newClass(in.a, baseClass, f.capture());
    f.push(Value(static_cast<Object *>(cls)));
}

void newCatch(Frame &f, const PreparedInstruction &in)
{
    if (in.a >= f.method->body->exceptions.size())
        f.throwVerify();
    Class *cls = f.unit->catchClass(f.method->body->exceptions[in.a]);
    Object *scope = f.rt.heap.make<Object>(cls);
    f.rt.initSlots(scope, cls->instanceTraits);
    f.push(Value(scope));
}

void applyType(Frame &f, const PreparedInstruction &in)
{
    const std::vector<Value> params = f.popArgs(in.a);
    const Value generic = f.pop();
    auto *cls = dynamic_cast<Class *>(generic.asObject());
    if (!cls || params.size() != 1 || cls->qualifiedName() != QLatin1String("__AS3__.vec::Vector"))
        f.rt.throwError(ErrorType::TypeError, TypeParameterError, QStringList{});
    Class *element = params[0].isNull() ? nullptr : dynamic_cast<Class *>(params[0].asObject());
    if (!params[0].isNull() && !element)
        f.rt.throwError(ErrorType::TypeError, TypeParameterError, QStringList{});
    f.push(Value(static_cast<Object *>(f.rt.vectorOf(element))));
}

} // namespace

void RegisterObjectHandlers(HandlerTable &t)
{
    t[uint8_t(Op::Call)] = call;
    t[uint8_t(Op::Construct)] = construct;
    t[uint8_t(Op::CallProperty)] = callProperty<false, false>;
    t[uint8_t(Op::CallPropLex)] = callProperty<false, true>;
    t[uint8_t(Op::CallPropVoid)] = callProperty<true, false>;
    t[uint8_t(Op::CallSuper)] = callSuper<false>;
    t[uint8_t(Op::CallSuperVoid)] = callSuper<true>;
    t[uint8_t(Op::CallStatic)] = callStatic;
    t[uint8_t(Op::ConstructSuper)] = constructSuper;
    t[uint8_t(Op::ConstructProp)] = constructProp;
    t[uint8_t(Op::NewFunction)] = newFunction;
    t[uint8_t(Op::NewObject)] = newObject;
    t[uint8_t(Op::NewArray)] = newArray;
    t[uint8_t(Op::NewActivation)] = newActivation;
    t[uint8_t(Op::NewClass)] = newClass;
    t[uint8_t(Op::NewCatch)] = newCatch;
    t[uint8_t(Op::ApplyType)] = applyType;
}

} // namespace swf::avm2
