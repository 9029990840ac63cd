#pragma once

#include "swf/avm2/Class.h"
#include "swf/avm2/Heap.h"
#include "swf/avm2/NativeClass.h"
#include "swf/avm2/TimerQueue.h"
#include "swf/avm2/XmlTree.h"

#include <QHash>

#include <functional>
#include <memory>
#include <vector>

namespace swf::avm2 {

class AbcUnit;
class ArrayObject;
class As3Movie;

// A thrown ActionScript value travelling up the C++ stack to the nearest
// handler of the code that called.
struct Exception {
    Value value;
};

// Stops every script at once, uncatchable: the heap is full or a script
// ran past its budget.
struct ScriptAbort {
    QString reason;
};

// The error classes by the name the player gives them.
enum class ErrorType { Error, TypeError, ReferenceError, RangeError, ArgumentError, SyntaxError, EvalError,
                       URIError, VerifyError, SecurityError, IOError, EOFError };

// One script of a block and its global object, initialised on first use.
struct Script {
    AbcUnit *unit = nullptr;
    uint32_t index = 0;
    Object *global = nullptr;
    enum class State { Waiting, Running, Done } state = State::Waiting;
};

// One ActionScript 3 virtual machine: the heap, the classes, the scripts of
// the blocks loaded so far, and the rules for values. Each movie has one.
class Runtime {
public:
    // Deepest nesting of calls before Error #1023.
    static constexpr int MaxCallDepth = 256;
    // Instructions all the scripts of one entry (a frame, an event) may run.
    static constexpr int64_t MaxInstructionsPerEntry = 100'000'000;
    // Longest text a script may build, in UTF-16 units.
    static constexpr qsizetype MaxStringLength = 1 << 26;
    // Characters copied by a concatenation that cost as much as one instruction.
    static constexpr qsizetype CharactersPerInstruction = 64;

    // The newest file version; what a machine without a movie behaves as.
    static constexpr int LatestSwfVersion = 44;

    explicit Runtime(int swfVersion = LatestSwfVersion);
    ~Runtime();
    Runtime(const Runtime &) = delete;
    Runtime &operator=(const Runtime &) = delete;

    Heap heap;
    NamespacePool namespaces;
    // The movie this machine runs, for the display classes; none when used alone.
    As3Movie *movie = nullptr;
    // The movie's file version: some classes differ from one version to the next.
    const int swfVersion;
    std::function<void(const QString &)> onTrace;
    // setTimeout, setInterval and Timer calls waiting for their time.
    TimerQueue timers;

    // Blocks.
    // Reads a block and runs its last script unless lazy; false when the
    // block cannot be read (reason in error).
    bool loadAbc(const QByteArray &bytes, bool lazy, QString *error = nullptr);
    // Runs f as an entry point: an uncaught error is printed as the player's
    // debug output prints it, and the budget is reset.
    void runEntry(const std::function<void()> &f);
    void reportUncaught(const Value &error);

    // Classes.
    Class *findClass(const QString &qualifiedName); // "flash.display::Sprite", "Object"
    Class *builtin(const char *qualifiedName) { return findClass(QString::fromLatin1(qualifiedName)); }
    Class *objectClass = nullptr, *functionClass = nullptr, *classClass = nullptr, *arrayClass = nullptr,
          *stringClass = nullptr, *numberClass = nullptr, *intClass = nullptr, *uintClass = nullptr,
          *booleanClass = nullptr, *namespaceClass = nullptr, *qnameClass = nullptr, *errorClass = nullptr;
    // The class of any value (int for an Int, null for null and undefined).
    Class *classOf(const Value &v);
    // The class a type name refers to (nullptr: any, or not defined yet).
    Class *resolveType(const Multiname &name);
    // The class a name refers to, running the script that defines it if
    // that has not run yet; nullptr when no class has the name.
    Class *defineClass(const Multiname &name);
    // Whether the value's class, or a class it extends, has the name.
    bool hasClassNamed(const Value &v, const Multiname &name);
    // A slot's declared type, resolved once it exists.
    Class *slotType(const SlotInfo &slot);
    // Vector.<element> (element nullptr: Vector.<*>).
    Class *vectorOf(Class *element);
    // The classes and functions a script defines, found by name.
    bool lookupGlobal(const Multiname &name, Object *&global);
    // The global object the top-level definitions live on.
    Object *builtinGlobal() const { return m_builtinGlobal; }

    // Objects.
    Object *newObject();
    ArrayObject *newArray(std::vector<Value> elements = {});
    FunctionObject *newFunction(Method *method, SavedScope scope);
    FunctionObject *newNativeFunction(NativeFn fn, const QString &name, int length);
    FunctionObject *bindMethod(Method *method, const Value &self);
    Method *makeNativeMethod(NativeFn fn, const QString &name, int length);
    // Creates an instance of cls and runs its constructors.
    Value construct(const Value &ctor, Args args);
    Object *constructClass(Class *cls, Args args);
    // Makes an instance of cls without running any constructor.
    Object *allocate(Class *cls);
    void initSlots(Object *object, const Traits &traits);

    // Makes the class known by its qualified name.
    void registerClass(Class *cls);
    // A Namespace object for ns.
    Value newNamespace(const Namespace *ns, const QString &prefix = QString());

    // Errors.
    Object *makeError(ErrorType type, int id, const QString &message);
    [[noreturn]] void throwError(ErrorType type, int id, const QString &message);
    // "TypeError: Error #1009: Cannot access ..." with %1.. filled in.
    [[noreturn]] void throwError(ErrorType type, int id, const QStringList &params = {});
    static QString errorText(int id);

    // Conversions of the AVM2 overview and ECMAScript.
    bool toBoolean(const Value &v);
    double toNumber(const Value &v);
    int32_t toInt(const Value &v);
    uint32_t toUint(const Value &v);
    QString toString(const Value &v);
    Value toPrimitive(const Value &v, bool preferString = false);
    // For errors and traces of values of any kind: "[object Foo]", "null".
    QString describe(const Value &v);
    Object *toObject(const Value &v); // null and undefined throw
    QString typeOf(const Value &v);
    // Coerces to the class (nullptr: any): the player's implicit conversion.
    Value coerce(const Value &v, Class *type);
    bool isType(const Value &v, Class *type);

    bool strictEquals(const Value &a, const Value &b);
    bool looseEquals(const Value &a, const Value &b);
    // a < b: true, false, or undefined (NaN involved).
    Value lessThan(const Value &a, const Value &b);
    Value add(const Value &a, const Value &b);

    // Properties.
    Multiname publicName(const QString &name) const { return Multiname::publicName(namespaces, name); }
    Value getProperty(const Value &object, const Multiname &name);
    void setProperty(const Value &object, const Multiname &name, const Value &value, bool init = false);
    bool hasProperty(const Value &object, const Multiname &name);
    bool deleteProperty(const Value &object, const Multiname &name);
    Value callProperty(const Value &object, const Multiname &name, Args args, bool keepThis = true);
    Value getKeyed(const Value &object, const Value &key, const Multiname &name);
    void setKeyed(const Value &object, const Value &key, const Multiname &name, const Value &value);
    Value get(const Value &object, const QString &name) { return getProperty(object, publicName(name)); }
    void set(const Value &object, const QString &name, const Value &value) { setProperty(object, publicName(name), value); }
    Value call(const Value &function, const Value &self, Args args);
    Value callMethod(Method *method, const Value &self, Args args);
    // The object on a prototype chain, starting with the value's own
    // prototype, that has the name, or nullptr.
    Object *prototypeOf(const Value &v);
    // Super: the property found from the given class's superclass.
    Value getSuper(const Value &self, Class *from, const Multiname &name);
    void setSuper(const Value &self, Class *from, const Multiname &name, const Value &value);
    Value callSuper(const Value &self, Class *from, const Multiname &name, Args args);

    // The interpreter's entry: runs a method's code.
    Value invoke(Method *method, const Value &self, Args args, const SavedScope &scope, FunctionObject *callee);
    int callDepth = 0;
    // The bytes Alchemy's memory instructions work on (ApplicationDomain.domainMemory).
    QByteArray *domainMemory = nullptr;
    int64_t instructionsLeft = MaxInstructionsPerEntry;
    // The URI the last dxns instruction made the default XML namespace,
    // which XML() and unqualified XML names use.
    QString defaultXmlNamespace;
    // XML's class-wide settings (XML.ignoreComments, XML.prettyPrinting...).
    XmlSettings xmlSettings;

    // Frees every object the roots and the runtime's own objects do not
    // reach; call only between entries.
    void collect(const std::function<void(const Marker &)> &roots);

private:
    friend class AbcUnit;
    Class *makeBuiltin(const NativeClass &decl);
    void fillBuiltin(Class *cls, const NativeClass &decl);
    void bootstrap();
    bool materialize(const Multiname &name);
    void installMembers(Class *cls, const NativeClass &decl);
    void installBuiltinGlobals();
    void runScript(Script &script);
    Value readTrait(Object *object, const TraitBinding &binding, const Value &self);
    bool writeTrait(Object *object, const TraitBinding &binding, const Value &self, const Value &value,
                    const Multiname &name, bool init);
    Value getFromPrototypes(Object *start, const Multiname &name, const Value &self, bool &found);

    QHash<QString, Class *> m_classes;
    QHash<QString, const NativeClass *> m_nativeDecls;
    QHash<QString, const NativeFunction *> m_nativeFunctions;
    std::vector<FunctionObject *> m_orphanFunctions; // made before Function.prototype
    QHash<Class *, Class *> m_vectors;
    Class *m_vectorObjectClass = nullptr;
    Object *m_builtinGlobal = nullptr;
    Class *m_globalClass = nullptr;
    std::vector<std::unique_ptr<AbcUnit>> m_units;
    std::vector<std::unique_ptr<Script>> m_scripts;
    std::vector<std::unique_ptr<Method>> m_nativeMethods;
};

} // namespace swf::avm2
