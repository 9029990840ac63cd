#include "swf/avm2/Runtime.h"

#include "swf/avm2/AbcUnit.h"
#include "swf/avm2/GlobalObject.h"
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NamespaceObject.h"

namespace swf::avm2 {

namespace {

QString qualify(const QString &package, const QString &name)
{
    return package.isEmpty() ? name : package + QStringLiteral("::") + name;
}

const char *errorClassName(ErrorType type)
{
    switch (type) {
    case ErrorType::Error: return "Error";
    case ErrorType::TypeError: return "TypeError";
    case ErrorType::ReferenceError: return "ReferenceError";
    case ErrorType::RangeError: return "RangeError";
    case ErrorType::ArgumentError: return "ArgumentError";
    case ErrorType::SyntaxError: return "SyntaxError";
    case ErrorType::EvalError: return "EvalError";
    case ErrorType::URIError: return "URIError";
    case ErrorType::VerifyError: return "VerifyError";
    case ErrorType::SecurityError: return "SecurityError";
    case ErrorType::IOError: return "flash.errors::IOError";
    case ErrorType::EOFError: return "flash.errors::EOFError";
    }
    return "Error";
}

Value noConstruct(Runtime &, const Value &, Args) { return Value(); }

const NativeGlobalConstant *findBuiltinConstant(const QString &qualifiedName)
{
    for (const NativeGlobalConstant &constant : BuiltinConstants())
        if (qualify(QString::fromLatin1(constant.package), QString::fromLatin1(constant.name)) == qualifiedName)
            return &constant;
    return nullptr;
}

// Fuzzing builds give each entry a small budget, so that every input ends quickly.
#ifdef TESSARO_FUZZ_ENTRY_BUDGET
constexpr int64_t EntryBudget = TESSARO_FUZZ_ENTRY_BUDGET;
#else
constexpr int64_t EntryBudget = Runtime::MaxInstructionsPerEntry;
#endif

} // namespace

Runtime::Runtime(int swfVersion) : swfVersion(swfVersion)
{
    for (const NativeClass *decl : BuiltinClasses())
        m_nativeDecls.insert(qualify(QString::fromLatin1(decl->package), QString::fromLatin1(decl->name)), decl);
    for (const NativeFunction &fn : BuiltinFunctions())
        m_nativeFunctions.insert(qualify(QString::fromLatin1(fn.package), QString::fromLatin1(fn.name)), &fn);
    bootstrap();
}

Runtime::~Runtime() = default;

void Runtime::bootstrap()
{
    // Object, Class and Function refer to each other: make all three, then fill them.
    const NativeClass *objectDecl = m_nativeDecls.value(QStringLiteral("Object"));
    const NativeClass *classDecl = m_nativeDecls.value(QStringLiteral("Class"));
    const NativeClass *functionDecl = m_nativeDecls.value(QStringLiteral("Function"));
    objectClass = heap.make<Class>(nullptr);
    classClass = heap.make<Class>(nullptr);
    functionClass = heap.make<Class>(nullptr);
    for (Class *cls : {objectClass, classClass, functionClass})
        cls->setObjectClass(classClass);
    m_classes.insert(QStringLiteral("Object"), objectClass);
    m_classes.insert(QStringLiteral("Class"), classClass);
    m_classes.insert(QStringLiteral("Function"), functionClass);
    fillBuiltin(objectClass, *objectDecl);
    fillBuiltin(classClass, *classDecl);
    fillBuiltin(functionClass, *functionDecl);
    for (Class *cls : {objectClass, classClass, functionClass})
        cls->setPrototype(classClass->prototypeObject);
    for (FunctionObject *fn : m_orphanFunctions)
        if (fn != functionClass->prototypeObject)
            fn->setPrototype(functionClass->prototypeObject);
    m_orphanFunctions.clear();

    // Global objects print as "[object global]": their class is a plain one of that name.
    m_globalClass = heap.make<Class>(classClass);
    m_globalClass->name = QStringLiteral("global");
    m_globalClass->superClass = objectClass;
    m_globalClass->sealed = false;
    m_globalClass->prototypeObject = objectClass->prototypeObject;
    m_builtinGlobal = heap.make<GlobalObject>(m_globalClass);
    m_builtinGlobal->setPrototype(objectClass->prototypeObject);
    stringClass = builtin("String");
    numberClass = builtin("Number");
    intClass = builtin("int");
    uintClass = builtin("uint");
    booleanClass = builtin("Boolean");
    arrayClass = builtin("Array");
    namespaceClass = builtin("Namespace");
    qnameClass = builtin("QName");
    errorClass = builtin("Error");
}

Class *Runtime::findClass(const QString &qualifiedName)
{
    if (Class *cls = m_classes.value(qualifiedName))
        return cls;
    if (const NativeClass *decl = m_nativeDecls.value(qualifiedName))
        return makeBuiltin(*decl);
    return nullptr;
}

void Runtime::registerClass(Class *cls)
{
    const QString name = cls->qualifiedName();
    if (!m_classes.contains(name))
        m_classes.insert(name, cls);
}

Class *Runtime::makeBuiltin(const NativeClass &decl)
{
    Class *cls = heap.make<Class>(classClass);
    cls->setPrototype(classClass->prototypeObject);
    m_classes.insert(qualify(QString::fromLatin1(decl.package), QString::fromLatin1(decl.name)), cls);
    fillBuiltin(cls, decl);
    return cls;
}

void Runtime::fillBuiltin(Class *cls, const NativeClass &decl)
{
    cls->name = QString::fromLatin1(decl.name);
    cls->ns = namespaces.intern(NamespaceKind::Package, QString::fromLatin1(decl.package));
    cls->native = &decl;
    cls->sealed = !(decl.flags & ClassDynamic);
    cls->final = decl.flags & ClassFinal;
    cls->isInterface = decl.flags & ClassInterface;
    Class *base = decl.superName ? findClass(QString::fromLatin1(decl.superName)) : nullptr;
    cls->superClass = base;
    cls->creator = decl.create ? decl.create : (base ? base->creator : nullptr);
    if (base) {
        cls->instanceTraits = base->instanceTraits;
        cls->interfaces = base->interfaces;
    }
    for (const char *ifaceName : decl.interfaces)
        if (Class *iface = findClass(QString::fromLatin1(ifaceName)))
            if (!cls->implements(iface))
                cls->interfaces.push_back(iface);

    // Function.prototype is itself a function, which does nothing.
    Object *proto = cls == functionClass ? newFunction(makeNativeMethod(noConstruct, QString(), 0), nullptr)
                                         : heap.make<Object>(objectClass);
    proto->setObjectClass(cls == functionClass ? functionClass : objectClass);
    proto->setPrototype(base ? base->prototypeObject : nullptr);
    proto->dynamics.set(QStringLiteral("constructor"), Value(static_cast<Object *>(cls)), false);
    cls->prototypeObject = proto;

    NativeFn init = decl.construct;
    if (!init && base && base->instanceInit)
        init = base->instanceInit->native;
    cls->instanceInit = makeNativeMethod(init ? init : noConstruct, cls->name, 0);
    cls->instanceInit->owner = cls;
    installMembers(cls, decl);
    initSlots(cls, cls->classTraits);
    if (decl.setup)
        decl.setup(*this, cls);
}

void Runtime::installMembers(Class *cls, const NativeClass &decl)
{
    const Namespace *publicNs = namespaces.publicNs();
    for (const NativeMember &member : decl.members) {
        const QString name = QString::fromLatin1(member.name);
        const bool isStatic = member.flags & MemberStatic;
        if (member.sinceVersion > swfVersion)
            continue;
        Traits &traits = isStatic ? cls->classTraits : cls->instanceTraits;
        Method *method = makeNativeMethod(member.fn, name, member.length);
        method->owner = cls;
        method->isStatic = isStatic;
        if (member.kind == MemberKind::Method) {
            // AS3 statics are traits only, as Number's are.
            if ((member.flags & MemberPrototype) || ((member.flags & MemberAs3) && !isStatic)) {
                FunctionObject *fn = newFunction(method, nullptr);
                Object *target = isStatic ? static_cast<Object *>(cls) : cls->prototypeObject;
                target->dynamics.set(name, Value(static_cast<Object *>(fn)), false);
            }
            if (member.flags & MemberPrototype)
                continue;
            TraitBinding &binding = traits.bind(name, (member.flags & MemberAs3) ? namespaces.as3() : publicNs);
            binding.kind = TraitBinding::Kind::Method;
            binding.method = method;
            continue;
        }
        TraitBinding &binding = traits.bind(name, publicNs);
        if (binding.kind != TraitBinding::Kind::Accessor) {
            binding.kind = TraitBinding::Kind::Accessor;
            binding.getter = binding.setter = nullptr;
        }
        (member.kind == MemberKind::Getter ? binding.getter : binding.setter) = method;
    }
    for (const NativeConstant &constant : decl.constants) {
        if (constant.sinceVersion > swfVersion)
            continue;
        SlotInfo info;
        info.type.anyName = true;
        info.typeResolved = true;
        info.initial = constant.text ? Value(QString::fromLatin1(constant.text)) : Value::number(constant.number);
        cls->classTraits.addSlot(QString::fromLatin1(constant.name),
                                 (constant.flags & MemberAs3) ? namespaces.as3() : publicNs, true, std::move(info));
    }
}

void Runtime::initSlots(Object *object, const Traits &traits)
{
    object->slotValues.resize(traits.slotTable.size());
    for (size_t i = 0; i < traits.slotTable.size(); ++i)
        object->slotValues[i] = traits.slotTable[i].initial;
}

Class *Runtime::vectorOf(Class *element)
{
    const auto it = m_vectors.constFind(element);
    if (it != m_vectors.cend())
        return *it;
    Class *generic = builtin("__AS3__.vec::Vector");
    Class *base = builtin(element == intClass       ? "__AS3__.vec::Vector$int"
                          : element == uintClass    ? "__AS3__.vec::Vector$uint"
                          : element == numberClass  ? "__AS3__.vec::Vector$double"
                                                    : "__AS3__.vec::Vector$object");
    if (!generic || !base)
        return nullptr;
    if (element == intClass || element == uintClass || element == numberClass || !element) {
        base->elementType = element;
        base->isVectorClass = true;
        m_vectors.insert(element, base);
        return base;
    }
    // Vector.<Sprite> and the like: a class of its own over Vector.<Object>'s code.
    Class *cls = heap.make<Class>(classClass);
    cls->setPrototype(classClass->prototypeObject);
    cls->name = QStringLiteral("Vector.<%1>").arg(element->qualifiedName());
    cls->ns = base->ns;
    cls->superClass = base; // Vector.<Sprite> is a Vector.<*>
    cls->native = base->native;
    cls->creator = base->creator;
    cls->instanceTraits = base->instanceTraits;
    cls->classTraits = base->classTraits;
    cls->slotValues = base->slotValues;
    cls->instanceInit = base->instanceInit;
    cls->prototypeObject = base->prototypeObject;
    cls->sealed = base->sealed;
    cls->final = true;
    cls->elementType = element;
    cls->isVectorClass = true;
    m_vectors.insert(element, cls);
    return cls;
}

bool Runtime::materialize(const Multiname &name)
{
    auto *global = static_cast<GlobalObject *>(m_builtinGlobal);
    auto tryNs = [&](const Namespace *ns) {
        if (ns->kind != NamespaceKind::Package && ns->kind != NamespaceKind::Namespace)
            return false;
        const QString qualified = qualify(ns->uri, name.name);
        Value value;
        if (m_nativeDecls.contains(qualified)) {
            value = Value(static_cast<Object *>(findClass(qualified)));
        } else if (const NativeFunction *fn = m_nativeFunctions.value(qualified)) {
            value = Value(static_cast<Object *>(
                newNativeFunction(fn->fn, QString::fromLatin1(fn->name), fn->length)));
        } else if (const NativeGlobalConstant *constant = findBuiltinConstant(qualified)) {
            value = constant->isUndefined ? Value() : Value::number(constant->number);
        } else {
            return false;
        }
        SlotInfo info;
        info.type.anyName = true;
        info.typeResolved = true;
        info.initial = value;
        const uint32_t slot = global->ownTraits.addSlot(name.name, ns, true, std::move(info));
        global->slotValues.resize(slot + 1);
        global->slotValues[slot] = value;
        return true;
    };
    if (name.anyName)
        return false;
    if (name.anyNamespace)
        return tryNs(namespaces.publicNs());
    for (const Namespace *ns : name.namespaces)
        if (tryNs(ns))
            return true;
    return false;
}

bool Runtime::lookupGlobal(const Multiname &name, Object *&global)
{
    if (m_builtinGlobal->traits()->find(name) || materialize(name)) {
        global = m_builtinGlobal;
        return true;
    }
    for (auto &script : m_scripts) {
        if (!script->global->traits()->find(name))
            continue;
        if (script->state == Script::State::Waiting)
            runScript(*script);
        global = script->global;
        return true;
    }
    return false;
}

bool Runtime::loadAbc(const QByteArray &bytes, bool lazy, QString *error)
{
    std::optional<AbcFile> file = ReadAbc(bytes, error);
    if (!file)
        return false;
    m_units.push_back(std::make_unique<AbcUnit>(*this, std::move(*file)));
    // The unit stays even when its scripts are refused: functions made while binding point into it.
    AbcUnit *unit = m_units.back().get();
    std::vector<std::unique_ptr<Script>> scripts;
    try {
        for (size_t i = 0; i < unit->file.scripts.size(); ++i) {
            auto script = std::make_unique<Script>();
            script->unit = unit;
            script->index = uint32_t(i);
            auto *global = heap.make<GlobalObject>(m_globalClass);
            global->setPrototype(objectClass->prototypeObject);
            script->global = global;
            auto scope =
                std::make_shared<ScopeChain>(ScopeChain{ScopeEntry{Value(static_cast<Object *>(global)), false}});
            unit->bindTraits(global->ownTraits, unit->file.scripts[i].traits, nullptr, false, scope);
            initSlots(global, global->ownTraits);
            if (Method *init = unit->method(unit->file.scripts[i].init))
                init->scope = scope;
            scripts.push_back(std::move(script));
        }
    } catch (const Exception &e) {
        // A slot whose default value does not fit its type: the block is refused as a whole.
        reportUncaught(e.value);
        if (error)
            *error = QStringLiteral("a script's slot has a default value its type cannot hold");
        return false;
    }
    Script *last = scripts.empty() ? nullptr : scripts.back().get();
    for (auto &script : scripts)
        m_scripts.push_back(std::move(script));
    if (!lazy && last)
        runEntry([&] { runScript(*last); });
    return true;
}

void Runtime::runScript(Script &script)
{
    if (script.state != Script::State::Waiting)
        return;
    script.state = Script::State::Running;
    Method *init = script.unit->method(script.unit->file.scripts[script.index].init);
    if (init)
        invoke(init, Value(script.global), Args{}, init->scope, nullptr);
    script.state = Script::State::Done;
}

void Runtime::runEntry(const std::function<void()> &f)
{
    instructionsLeft = EntryBudget;
    const int depth = callDepth;
    try {
        f();
    } catch (const Exception &e) {
        callDepth = depth;
        reportUncaught(e.value);
    } catch (const ScriptAbort &) {
        callDepth = depth;
    }
}

void Runtime::reportUncaught(const Value &error)
{
    QString text;
    try {
        Object *object = error.asObject();
        if (object && errorClass && isType(error, errorClass)) {
            const Value stack = callProperty(error, publicName(QStringLiteral("getStackTrace")), Args{});
            text = stack.isNullish() ? toString(error) : toString(stack);
        } else {
            text = toString(error);
        }
    } catch (...) {
        text = QStringLiteral("[uncaught error]");
    }
    if (onTrace)
        onTrace(text);
}

Object *Runtime::newObject()
{
    Object *object = heap.make<Object>(objectClass);
    object->setPrototype(objectClass->prototypeObject);
    return object;
}

ArrayObject *Runtime::newArray(std::vector<Value> elements)
{
    auto *array = heap.make<ArrayObject>(arrayClass);
    array->setPrototype(arrayClass ? arrayClass->prototypeObject : nullptr);
    array->assign(std::move(elements));
    return array;
}

FunctionObject *Runtime::newFunction(Method *method, SavedScope scope)
{
    auto *fn = heap.make<FunctionObject>(functionClass, method, std::move(scope));
    if (functionClass->prototypeObject)
        fn->setPrototype(functionClass->prototypeObject);
    else
        m_orphanFunctions.push_back(fn);
    return fn;
}

Method *Runtime::makeNativeMethod(NativeFn fn, const QString &name, int length)
{
    auto method = std::make_unique<Method>();
    method->native = fn;
    method->name = name;
    method->length = length;
    m_nativeMethods.push_back(std::move(method));
    return m_nativeMethods.back().get();
}

FunctionObject *Runtime::newNativeFunction(NativeFn fn, const QString &name, int length)
{
    return newFunction(makeNativeMethod(fn, name, length), nullptr);
}

FunctionObject *Runtime::bindMethod(Method *method, const Value &self)
{
    FunctionObject *fn = newFunction(method, method->scope);
    fn->boundThis = self;
    fn->bound = true;
    return fn;
}

Object *Runtime::allocate(Class *cls)
{
    Object *object = cls->creator ? cls->creator(*this, cls) : heap.make<Object>(cls);
    object->setObjectClass(cls);
    object->setPrototype(cls->prototypeObject);
    initSlots(object, cls->instanceTraits);
    return object;
}

Object *Runtime::constructClass(Class *cls, Args args)
{
    if (cls->isInterface || !cls->instanceInit)
        throwError(ErrorType::TypeError, 1007, QStringList{});
    Object *object = allocate(cls);
    callMethod(cls->instanceInit, Value(object), args);
    return object;
}

Value Runtime::construct(const Value &ctor, Args args)
{
    Object *object = ctor.asObject();
    if (auto *cls = dynamic_cast<Class *>(object)) {
        if (cls->native && cls->native->make)
            return cls->native->make(*this, ctor, args);
        return Value(constructClass(cls, args));
    }
    if (auto *fn = dynamic_cast<FunctionObject *>(object); fn && !fn->bound && fn->method && !fn->method->native) {
        Object *made = newObject();
        const Value proto = get(ctor, QStringLiteral("prototype"));
        made->setPrototype(proto.isObject() ? proto.asObject() : objectClass->prototypeObject);
        const Value result = invoke(fn->method, Value(made), args, fn->scope, fn);
        return result.isObject() ? result : Value(made);
    }
    throwError(ErrorType::TypeError, 1007, QStringList{});
}

Value Runtime::callMethod(Method *method, const Value &self, Args args)
{
    return invoke(method, self, args, method->scope, nullptr);
}

Value Runtime::call(const Value &function, const Value &self, Args args)
{
    Object *object = function.asObject();
    if (auto *fn = dynamic_cast<FunctionObject *>(object)) {
        // A closure called on null or undefined runs on its global object.
        if (!fn->bound && self.isNullish() && fn->scope && !fn->scope->empty())
            return invoke(fn->method, fn->scope->front().object, args, fn->scope, fn);
        return invoke(fn->method, fn->bound ? fn->boundThis : self, args, fn->scope, fn);
    }
    if (auto *cls = dynamic_cast<Class *>(object)) {
        if (cls->native && cls->native->call)
            return cls->native->call(*this, Value(object), args);
        if (args.count != 1)
            throwError(ErrorType::ArgumentError, 1112, QStringList{cls->qualifiedName(), QString::number(args.count)});
        return coerce(args[0], cls);
    }
    throwError(ErrorType::TypeError, 1006, QStringList{QStringLiteral("value")});
}

Object *Runtime::makeError(ErrorType type, int id, const QString &message)
{
    Class *cls = builtin(errorClassName(type));
    const Value args[] = {Value(message), Value(id)};
    return constructClass(cls ? cls : errorClass, Args{args, 2});
}

void Runtime::throwError(ErrorType type, int id, const QString &message)
{
    throw Exception{Value(makeError(type, id, message))};
}

void Runtime::throwError(ErrorType type, int id, const QStringList &params)
{
    QString text = errorText(id);
    for (int i = 0; i < params.size(); ++i)
        text.replace(QStringLiteral("%") + QString::number(i + 1), params[i]);
    throwError(type, id, QStringLiteral("Error #%1: %2").arg(id).arg(text));
}

Value Runtime::newNamespace(const Namespace *ns, const QString &prefix)
{
    auto *object = heap.make<NamespaceObject>(namespaceClass);
    object->setPrototype(namespaceClass ? namespaceClass->prototypeObject : nullptr);
    object->ns = ns ? ns : namespaces.publicNs();
    object->prefix = prefix.isNull() ? Value() : Value(prefix);
    return Value(static_cast<Object *>(object));
}

void Runtime::collect(const std::function<void(const Marker &)> &roots)
{
    heap.collect([&](const Marker &mark) {
        roots(mark);
        mark(Value(m_builtinGlobal));
        mark(Value(static_cast<Object *>(m_globalClass)));
        for (Class *cls : m_classes)
            mark(Value(static_cast<Object *>(cls)));
        for (Class *cls : m_vectors)
            mark(Value(static_cast<Object *>(cls)));
        for (const auto &script : m_scripts)
            mark(Value(script->global));
        for (const auto &unit : m_units)
            unit->mark(mark);
        timers.mark(mark);
    });
}

} // namespace swf::avm2
