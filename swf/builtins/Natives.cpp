// ASnative, ASconstructor, ASSetNative and ASSetNativeAccessor: the
// reference player's built-in functions by their (group, index) numbers,
// for the movies that reach them so. A number stands for a method of a
// class's table, a class's constructor, or a function no class holds.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "TextField.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

#include <QStringList>

namespace swf {

namespace {

struct NativeEntry {
    int group;
    int index;
    const ClassDecl *owner;
    // The method of the owner's table; none: the owner's constructor.
    const char *method;
    NativeFunction function = nullptr; // one no class holds
};
constexpr int FunctionGroup = 2;
constexpr int AsNewIndex = 0;
constexpr int CapabilitiesGroup = 11;
constexpr int QueryIndex = 0;
constexpr int ObjectGroup = 101;
constexpr int HasOwnPropertyIndex = 5;
constexpr int BroadcastMessageIndex = 12;
constexpr int OldStringGroup = 102;
constexpr int UpperCaseIndex = 0;
constexpr int LowerCaseIndex = 1;
constexpr int MovieClipGroup = 104;
constexpr int CreateTextFieldIndex = 200;
// Number and Boolean number their methods alike.
constexpr int NumberGroup = 106;
constexpr int BooleanGroup = 107;
constexpr int ValueOfIndex = 0;
constexpr int ToStringIndex = 1;
constexpr int ConstructorIndex = 2;
constexpr int LoadVarsGroup = 301;
constexpr int DecodeIndex = 3;
const NativeEntry NativeTable[] = {
    {FunctionGroup, AsNewIndex, nullptr, nullptr, AsNew},
    {CapabilitiesGroup, QueryIndex, nullptr, nullptr, QueryCapabilities},
    {ObjectGroup, HasOwnPropertyIndex, &ObjectClass, "hasOwnProperty"},
    {ObjectGroup, BroadcastMessageIndex, nullptr, nullptr, BroadcastMessage},
    {OldStringGroup, UpperCaseIndex, nullptr, nullptr, AsciiUpperCase},
    {OldStringGroup, LowerCaseIndex, nullptr, nullptr, AsciiLowerCase},
    {MovieClipGroup, CreateTextFieldIndex, nullptr, nullptr, ClipCreateTextField},
    {NumberGroup, ValueOfIndex, &NumberClass, "valueOf"},
    {NumberGroup, ToStringIndex, &NumberClass, "toString"},
    {NumberGroup, ConstructorIndex, &NumberClass, nullptr},
    {BooleanGroup, ValueOfIndex, &BooleanClass, "valueOf"},
    {BooleanGroup, ToStringIndex, &BooleanClass, "toString"},
    {BooleanGroup, ConstructorIndex, &BooleanClass, nullptr},
    {LoadVarsGroup, DecodeIndex, &LoadVarsClass, "decode"},
};

NativeFunction methodOf(const std::vector<MethodDecl> &methods, const char *name)
{
    for (const MethodDecl &method : methods)
        if (qstrcmp(method.name, name) == 0)
            return method.sameAs ? methodOf(methods, method.sameAs) : method.function;
    return nullptr;
}

NativeFunction nativeNumbered(double group, double index)
{
    for (const NativeEntry &entry : NativeTable) {
        if (entry.group != group || entry.index != index)
            continue;
        if (entry.function)
            return entry.function;
        if (!entry.method)
            return entry.owner->constructor;
        const NativeFunction method = methodOf(entry.owner->prototype, entry.method);
        return method ? method : methodOf(entry.owner->statics, entry.method);
    }
    return nullptr;
}

// The function for a number, as a new function object; nullptr when the
// number stands for nothing.
ScriptObject *newNumbered(ScriptEngine &engine, double group, double index)
{
    const NativeFunction function = nativeNumbered(group, index);
    return function ? engine.newNative(function) : nullptr;
}

// ASnative(group, index)
Value asNative(NativeCall &call)
{
    return ObjectValue(newNumbered(call.engine(), call.number(0), call.number(1)));
}

// ASconstructor(group, index): the function, with a prototype naming it as
// its constructor, as classes have.
Value asConstructor(NativeCall &call)
{
    ScriptObject *function = newNumbered(call.engine(), call.number(0), call.number(1));
    if (!function)
        return Undefined{};
    if (ScriptObject *prototype = call.engine().newObject()) {
        AddBuiltinMember(call.engine(), *prototype, "constructor", function, BuiltinFlags);
        AddBuiltinMember(call.engine(), *function, "prototype", prototype, BuiltinFlags);
    }
    return function;
}

// A name in the lists ASSetNative takes: a leading digit is the version
// from which movies see the member ("6push").
struct ListedName {
    QString name;
    int flags = 0;
};
ListedName listedName(const QString &entry)
{
    static const int hiddenBefore[] = {HiddenBefore6, HiddenBefore7, HiddenBefore8, HiddenBefore9};
    constexpr int FirstMarkedVersion = 6;
    const int version = entry.isEmpty() ? 0 : entry.at(0).digitValue();
    if (version < FirstMarkedVersion || version >= FirstMarkedVersion + int(std::size(hiddenBefore)))
        return {entry, 0};
    return {entry.mid(1), hiddenBefore[version - FirstMarkedVersion]};
}

// The object and names ASSetNative and ASSetNativeAccessor are given, or
// nothing when there is no object; names past the movie's work allowance
// are left out.
std::vector<ListedName> listedNames(NativeCall &call)
{
    std::vector<ListedName> names;
    if (!call.object())
        return names;
    for (const QString &entry : call.string(2).split(u',')) {
        if (!call.player().spend(1))
            break;
        names.push_back(listedName(entry));
    }
    return names;
}

// ASSetNative(object, group, "name,name...", first): the functions numbered
// from first on, one a name, as members of the object.
Value setNative(NativeCall &call)
{
    const double group = call.number(1), first = call.number(3, 0);
    const std::vector<ListedName> names = listedNames(call);
    for (size_t i = 0; i < names.size(); ++i)
        if (ScriptObject *function = newNumbered(call.engine(), group, first + double(i))) {
            call.object()->set(call.key(names[i].name), names[i].name, function, names[i].flags);
            call.object()->setFlags(call.key(names[i].name), names[i].flags, 0);
        }
    return Undefined{};
}

// ASSetNativeAccessor(object, group, "name,name...", first): properties of
// the object, each read by the next function in the numbering and written
// by the one after it.
Value setNativeAccessor(NativeCall &call)
{
    const double group = call.number(1), first = call.number(3, 0);
    const std::vector<ListedName> names = listedNames(call);
    for (size_t i = 0; i < names.size(); ++i) {
        const double getterIndex = first + 2 * double(i);
        ScriptObject *getter = newNumbered(call.engine(), group, getterIndex);
        if (!getter)
            continue;
        ScriptObject *setter = newNumbered(call.engine(), group, getterIndex + 1);
        call.object()->setProperty(call.key(names[i].name), names[i].name, getter, setter);
        call.object()->setFlags(call.key(names[i].name), names[i].flags, 0);
    }
    return Undefined{};
}

// ASnative and ASconstructor are bare functions: no __proto__, no constructor.
void setup(ScriptEngine &engine, ScriptObject &global)
{
    for (const char *name : {"ASnative", "ASconstructor"}) {
        const Value *function = global.own(engine.key(QString::fromLatin1(name)));
        if (ScriptObject *object = function ? objectOf(*function) : nullptr)
            RemoveFunctionMembers(engine, *object);
    }
}

} // namespace

const ClassDecl NativeFunctions{
    nullptr,
    nullptr,
    {},
    {{"ASnative", asNative},
     {"ASconstructor", asConstructor},
     {"ASSetNative", setNative},
     {"ASSetNativeAccessor", setNativeAccessor}},
    {},
    5,
    DontEnum,
    BuiltinFlags,
    {},
    {},
    setup,
};

} // namespace swf
