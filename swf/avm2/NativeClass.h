#pragma once

#include "swf/avm2/Function.h"

#include <cstddef>
#include <vector>

namespace swf::avm2 {

// The declaration of a built-in class: each class's file holds one, with the
// table of its members, and builtins/Registry.cpp lists them all.

enum class MemberKind : uint8_t { Method, Getter, Setter };

enum MemberFlags : uint8_t {
    MemberStatic = 0x01,
    // A method of the core classes: a trait in the AS3 namespace, and a
    // function of the same name on the prototype, as the player has them.
    MemberAs3 = 0x02,
    // Only a function on the prototype.
    MemberPrototype = 0x04,
};

struct NativeMember {
    const char *name;
    MemberKind kind;
    NativeFn fn;
    int length = 0;
    uint8_t flags = 0;
    // The first file version that has it; 0: all.
    uint8_t sinceVersion = 0;
};

// A static constant: a number, or a text when text is set.
struct NativeConstant {
    const char *name;
    double number = 0;
    const char *text = nullptr;
    uint8_t flags = 0; // MemberAs3: in the AS3 namespace
    uint8_t sinceVersion = 0;
};

enum NativeClassFlags : uint8_t {
    ClassDynamic = 0x01,
    ClassFinal = 0x02,
    ClassInterface = 0x04,
};

struct NativeClass {
    const char *package; // "" for the top level, "flash.display"
    const char *name;
    const char *superName; // qualified ("flash.events::EventDispatcher"), nullptr for Object
    uint8_t flags = 0;
    // Makes an instance; nullptr: as the superclass does.
    Object *(*create)(Runtime &rt, Class *cls) = nullptr;
    // The constructor's work on a new instance (this); nullptr: none.
    NativeFn construct = nullptr;
    // The class called as a function (String(x), int(x)); nullptr: a
    // conversion to the class, as for user classes.
    NativeFn call = nullptr;
    std::vector<NativeMember> members;
    std::vector<NativeConstant> constants;
    // Anything else a class sets up once it exists (prototype values).
    void (*setup)(Runtime &rt, Class *cls) = nullptr;
    // Interfaces it implements, qualified.
    std::vector<const char *> interfaces;
    // `new` gives what this returns instead of an instance (the classes of
    // primitive values: new String("a") is a string).
    NativeFn make = nullptr;
};

// A package-level function (trace, parseInt, flash.utils.getTimer).
struct NativeFunction {
    const char *package;
    const char *name;
    NativeFn fn;
    int length = 0;
};

// A package-level constant (NaN, Infinity, undefined): a number, or
// undefined when isUndefined is set.
struct NativeGlobalConstant {
    const char *package;
    const char *name;
    double number = 0;
    bool isUndefined = false;
};

const std::vector<const NativeClass *> &BuiltinClasses();
const std::vector<NativeFunction> &BuiltinFunctions();
const std::vector<NativeGlobalConstant> &BuiltinConstants();
// flash.utils's, which BuiltinFunctions includes.
const std::vector<NativeFunction> &UtilsFunctions();

} // namespace swf::avm2
