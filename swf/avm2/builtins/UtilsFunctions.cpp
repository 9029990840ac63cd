// The package functions of flash.utils: class names and definitions by
// name, the movie's clock, and the calls made later (setTimeout and
// setInterval) that the runtime's timer queue keeps.
#include "swf/avm2/builtins/Definitions.h"
#include "swf/avm2/builtins/DescribeType.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

constexpr int UndefinedVariableError = 1065;
constexpr int NullArgumentError = 2007;
constexpr int CoercionError = 1034;
const char *const MethodClosureName = "builtin.as$0::MethodClosure";

// Vector.<int> and the other typed vectors are one class each under names
// of their own ("Vector$int"); the player names them by their element.
QString nameOfClass(const Class *cls)
{
    if (cls->isVectorClass) {
        const QString element = cls->elementType ? cls->elementType->qualifiedName() : QStringLiteral("*");
        return QStringLiteral("__AS3__.vec::Vector.<%1>").arg(element);
    }
    return cls->qualifiedName();
}

// The class a value names: itself when it is a class, else its class.
const Class *describedClass(Runtime &rt, const Value &v)
{
    if (auto *cls = dynamic_cast<const Class *>(v.asObject()))
        return cls;
    return rt.classOf(v);
}

Value getQualifiedClassName(Runtime &rt, const Value &, Args args)
{
    const Value &v = args[0];
    if (v.isUndefined())
        return Value("void");
    if (v.isNull())
        return Value("null");
    if (auto *fn = dynamic_cast<const FunctionObject *>(v.asObject()); fn && fn->bound)
        return Value(MethodClosureName);
    return Value(nameOfClass(describedClass(rt, v)));
}

Value getQualifiedSuperclassName(Runtime &rt, const Value &, Args args)
{
    if (args[0].isNullish())
        return Value::null();
    const Class *cls = describedClass(rt, args[0]);
    if (auto *fn = dynamic_cast<const FunctionObject *>(args[0].asObject()); fn && fn->bound)
        cls = rt.functionClass;
    return cls && cls->superClass ? Value(nameOfClass(cls->superClass)) : Value::null();
}

// "flash.display.Sprite" and "flash.display::Sprite" both name Sprite.
Multiname definitionName(Runtime &rt, const QString &text)
{
    int split = text.lastIndexOf(QStringLiteral("::"));
    int skip = 2;
    if (split < 0) {
        split = text.lastIndexOf(u'.');
        skip = 1;
    }
    Multiname name;
    name.name = split < 0 ? text : text.mid(split + skip);
    name.namespaces.push_back(rt.namespaces.intern(NamespaceKind::Package, split < 0 ? QString() : text.left(split)));
    return name;
}

Value getDefinitionByName(Runtime &rt, const Value &, Args args) { return DefinitionNamed(rt, args[0]); }

Value describeType(Runtime &rt, const Value &, Args args) { return DescribeType(rt, args[0], DescribeFlash10); }
Value describeTypeWithFlags(Runtime &rt, const Value &, Args args)
{
    return DescribeType(rt, args[0], rt.toUint(args[1]));
}

Value getTimer(Runtime &rt, const Value &, Args) { return Value::number(double(rt.timers.now())); }

template <bool Repeat> Value schedule(Runtime &rt, const Value &, Args args)
{
    const Value &function = args[0];
    if (!dynamic_cast<FunctionObject *>(function.asObject()))
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(function), QStringLiteral("Function")});
    std::vector<Value> extra(args.data + std::min(args.count, 2), args.data + args.count);
    const uint32_t id = rt.timers.add(function, Value::null(), std::move(extra), rt.toNumber(args[1]), Repeat);
    return Value::fromUint(id);
}

Value clearTimer(Runtime &rt, const Value &, Args args)
{
    rt.timers.remove(rt.toUint(args[0]));
    return Value();
}

} // namespace

bool FindDefinition(Runtime &rt, const QString &text, Value &out)
{
    const Multiname name = definitionName(rt, text);
    Object *global = nullptr;
    if (!name.name.isEmpty() && rt.lookupGlobal(name, global)) {
        out = rt.getProperty(Value(global), name);
        return true;
    }
    if (Class *cls = rt.findClass(text)) {
        out = Value(static_cast<Object *>(cls));
        return true;
    }
    return false;
}

Value DefinitionNamed(Runtime &rt, const Value &name)
{
    if (name.isNullish())
        rt.throwError(ErrorType::TypeError, NullArgumentError, QStringList{QStringLiteral("name")});
    const QString text = rt.toString(name);
    Value found;
    if (!FindDefinition(rt, text, found))
        rt.throwError(ErrorType::ReferenceError, UndefinedVariableError, QStringList{text});
    return found;
}

const std::vector<NativeFunction> &UtilsFunctions()
{
    static const std::vector<NativeFunction> functions = {
        {"flash.utils", "getQualifiedClassName", getQualifiedClassName, 1},
        {"flash.utils", "getQualifiedSuperclassName", getQualifiedSuperclassName, 1},
        {"flash.utils", "getDefinitionByName", getDefinitionByName, 1},
        {"flash.utils", "getTimer", getTimer, 0},
        {"flash.utils", "describeType", describeType, 1},
        {"flash.utils", "setTimeout", schedule<false>, 2},
        {"flash.utils", "setInterval", schedule<true>, 2},
        {"flash.utils", "clearTimeout", clearTimer, 1},
        {"flash.utils", "clearInterval", clearTimer, 1},
        // The shell's package has the same class names; the player answers
        // movies written for the shell.
        {"avmplus", "getQualifiedClassName", getQualifiedClassName, 1},
        {"avmplus", "getQualifiedSuperclassName", getQualifiedSuperclassName, 1},
        {"avmplus", "describeType", describeTypeWithFlags, 2},
    };
    return functions;
}

} // namespace swf::avm2
