// How the engine makes function objects and builds the globals from the
// built-ins' declaration tables.
#include "ScriptEngine.h"

#include "swf/builtins/BuiltinClass.h"

namespace swf {

namespace {

// The flags a table sets; the version flags of a member stay.
constexpr int AccessFlags = DontEnum | DontDelete | ReadOnly;

const QString &constructorName()
{
    static const QString name = QStringLiteral("constructor");
    return name;
}

const QString &protoName()
{
    static const QString name = QStringLiteral("__proto__");
    return name;
}

// The flag that hides a built-in from movies older than the version that added it.
int hiddenBefore(int version)
{
    switch (version) {
    case 6: return HiddenBefore6;
    case 7: return HiddenBefore7;
    case 8: return HiddenBefore8;
    case 9: return HiddenBefore9;
    default: return 0;
    }
}

bool isClass(const ClassDecl &decl, const char *name) { return qstrcmp(decl.name, name) == 0; }

} // namespace

ScriptObject *ScriptEngine::makeFunction(ScriptObject::Kind kind)
{
    ScriptObject *function = m_heap.make(kind, m_functionPrototype);
    if (!function)
        return nullptr;
    function->setFlags(key(protoName()), HiddenBefore6, 0);
    if (const Value *functionClass = m_functionPrototype->own(key(constructorName())))
        function->set(key(constructorName()), constructorName(), *functionClass, BuiltinFlags);
    return function;
}

void ScriptEngine::makeFunctionClass()
{
    ScriptObject *function = makeFunction(ScriptObject::Kind::Native);
    if (!function)
        return;
    function->set(key(constructorName()), constructorName(), function, BuiltinFlags);
    m_functionPrototype->set(key(constructorName()), constructorName(), function, BuiltinFlags);
}

ScriptObject *ScriptEngine::newFunction()
{
    ScriptObject *function = makeFunction(ScriptObject::Kind::Function);
    if (!function)
        return nullptr;
    if (ScriptObject *prototype = newObject()) {
        prototype->set(key(constructorName()), constructorName(), function, DontEnum);
        function->set(key(QStringLiteral("prototype")), QStringLiteral("prototype"), prototype, BuiltinFlags);
    }
    return function;
}

ScriptObject *ScriptEngine::newNative(NativeFunction native)
{
    ScriptObject *function = makeFunction(ScriptObject::Kind::Native);
    if (function)
        function->native = native;
    return function;
}

void ScriptEngine::addMember(ScriptObject *owner, const char *name, const Value &value, int flags)
{
    const QString text = QString::fromLatin1(name);
    owner->set(key(text), text, value, flags);
    owner->setFlags(key(text), flags, AccessFlags);
}

void ScriptEngine::addMethods(ScriptObject *owner, const std::vector<MethodDecl> &methods, int flags)
{
    for (const MethodDecl &method : methods) {
        const int memberFlags = (method.flags == UnsetFlags ? flags : method.flags) | hiddenBefore(method.version);
        if (method.sameAs) {
            if (const ScriptObject::Member *same = owner->ownMember(key(QString::fromLatin1(method.sameAs))))
                addMember(owner, method.name, same->value, memberFlags);
        } else if (ScriptObject *function = newNative(method.function)) {
            if (method.withPrototype)
                if (ScriptObject *prototype = newObject()) {
                    addMember(prototype, "constructor", function, BuiltinFlags);
                    addMember(function, "prototype", prototype, BuiltinFlags);
                }
            addMember(owner, method.name, function, memberFlags);
        }
    }
}

void ScriptEngine::addProperties(ScriptObject *owner, const std::vector<PropertyDecl> &properties, int flags)
{
    for (const PropertyDecl &property : properties) {
        const QString text = QString::fromLatin1(property.name);
        ScriptObject *getter = newNative(property.getter);
        ScriptObject *setter = property.setter ? newNative(property.setter) : nullptr;
        if (!getter || (property.setter && !setter))
            return;
        owner->setProperty(key(text), text, getter, setter);
        owner->setFlags(key(text), (property.flags == UnsetFlags ? flags : property.flags) | hiddenBefore(property.version),
                        0);
    }
}

ScriptObject *ScriptEngine::namespaceFor(const QString &path, int version)
{
    // flash.geom.Point lives in flash.geom, made on first use. The global
    // package is never seen by version 5 movies, and until the version of
    // its classes only once a movie clears that version's flag
    // (ASSetPropFlags(_global, "flash", 0, 4096)).
    const int packageFlags = DontEnum | HiddenBefore6 | hiddenBefore(version);
    ScriptObject *holder = m_global;
    for (const QString &part : path.split(u'.')) {
        // A package hidden from this movie is still the one to add to.
        const ScriptObject::Member *existing = holder->storedMember(key(part));
        ScriptObject *next = existing ? objectOf(existing->value) : nullptr;
        if (!next) {
            next = newObject();
            if (!next)
                return nullptr;
            holder->set(key(part), part, next, holder == m_global ? packageFlags : 0);
        }
        holder = next;
    }
    return holder;
}

ScriptObject *ScriptEngine::installConstructor(const ClassDecl &decl)
{
    // Object and Function own the prototypes every other object inherits,
    // and Function was made first.
    const bool function = isClass(decl, "Function");
    ScriptObject *prototype = isClass(decl, "Object") ? m_objectPrototype : function ? m_functionPrototype : newObject();
    const Value *functionClass = function ? m_functionPrototype->own(key(constructorName())) : nullptr;
    ScriptObject *constructor = functionClass ? objectOf(*functionClass) : newNative(decl.constructor);
    if (!prototype || !constructor)
        return nullptr;
    constructor->native = decl.constructor;
    constructor->setFlags(key(protoName()), decl.staticFlags, AccessFlags);
    constructor->setFlags(key(constructorName()), decl.staticFlags, AccessFlags);
    addMember(constructor, "prototype", prototype, decl.staticFlags);
    prototype->setFlags(key(protoName()), decl.prototypeFlags, AccessFlags);
    addMember(prototype, "constructor", constructor, decl.prototypeFlags);
    addMethods(prototype, decl.prototype, decl.prototypeFlags);
    return constructor;
}

ScriptObject *ScriptEngine::installObject(const ClassDecl &decl)
{
    // The reference player makes them as `new Object` does.
    ScriptObject *object = newObject();
    if (!object)
        return nullptr;
    object->setFlags(key(protoName()), decl.staticFlags, AccessFlags);
    if (const Value *objectClass = m_objectPrototype->own(key(constructorName())))
        addMember(object, "constructor", *objectClass, decl.staticFlags);
    return object;
}

void ScriptEngine::install(const ClassDecl &decl)
{
    ScriptObject *holder = m_global;
    if (decl.name) {
        const QString path = QString::fromLatin1(decl.name);
        const int dot = path.lastIndexOf(u'.');
        ScriptObject *space = dot < 0 ? m_global : namespaceFor(path.left(dot), decl.version);
        holder = decl.constructor ? installConstructor(decl) : installObject(decl);
        if (!holder || !space)
            return;
        // A class in a package is hidden by its package alone; one held by
        // another class (TextField.StyleSheet) keeps its own version.
        const bool ownVersion = space == m_global || space->isCallable();
        addMember(space, qPrintable(path.mid(dot + 1)), holder, ownVersion ? DontEnum | hiddenBefore(decl.version) : 0);
    }
    addMethods(holder, decl.statics, decl.staticFlags);
    for (const ConstantDecl &constant : decl.constants)
        addMember(holder, constant.name, constant.value, constant.flags);
    addProperties(holder, decl.properties, decl.staticFlags);
    if (decl.constructor)
        if (ScriptObject *prototype = PrototypeOf(*this, *holder))
            addProperties(prototype, decl.prototypeProperties, decl.prototypeFlags);
    if (decl.setup)
        decl.setup(*this, *holder);
}

void AddBuiltinMember(ScriptEngine &engine, ScriptObject &owner, const char *name, const Value &value, int flags)
{
    const QString text = QString::fromLatin1(name);
    owner.set(engine.key(text), text, value, flags);
    owner.setFlags(engine.key(text), flags, AccessFlags);
}

ScriptObject *PrototypeOf(ScriptEngine &engine, const ScriptObject &constructor)
{
    const Value *prototype = constructor.own(engine.key(QStringLiteral("prototype")));
    return prototype ? objectOf(*prototype) : nullptr;
}

} // namespace swf
