#pragma once

#include "swf/avm2/Object.h"

#include <memory>
#include <vector>

namespace swf::avm2 {

class AbcUnit;
class Class;
class Runtime;
struct AbcBody;
struct AbcMethod;
struct PreparedCode;

// The arguments of a call: reading past the end gives undefined.
struct Args {
    const Value *data = nullptr;
    int count = 0;

    const Value &operator[](int i) const
    {
        static const Value undefined{};
        return i >= 0 && i < count ? data[i] : undefined;
    }
    bool has(int i) const { return i >= 0 && i < count; }
    Args from(int i) const { return i >= count ? Args{} : Args{data + i, count - i}; }
};

// A built-in method: this, the arguments, the value it gives. Errors are
// thrown as Exceptions (Runtime::throwError).
using NativeFn = Value (*)(Runtime &rt, const Value &self, Args args);

// The scope chain a function or class closes over: the objects its code
// finds names on, outermost first.
struct ScopeEntry {
    Value object;
    bool isWith = false;
};
using ScopeChain = std::vector<ScopeEntry>;
using SavedScope = std::shared_ptr<const ScopeChain>;

// A method: code from a block or a built-in.
struct Method {
    QString name;
    NativeFn native = nullptr;
    int length = 0; // the parameters a caller must pass
    // From a block:
    AbcUnit *unit = nullptr;
    uint32_t index = 0;
    const AbcMethod *info = nullptr;
    const AbcBody *body = nullptr;
    Class *activationClass = nullptr; // built on first call when the body has traits
    // The class whose method this is (super calls and protected names).
    Class *owner = nullptr;
    bool isStatic = false;
    // The body of a function closure (newfunction), which the player calls
    // with any number of arguments: missing ones are undefined.
    bool anyArgumentCount = false;
    // The scope its code finds names in, when it is a class's or a script's method.
    SavedScope scope;
    // Decoded on the first call.
    std::shared_ptr<const PreparedCode> prepared;
    // The declared parameter and return types, resolved on the first call.
    std::vector<Class *> paramTypes;
    Class *returnType = nullptr;
    bool typesResolved = false;
};

// A function value: a closure over a scope, or a method bound to its object.
class FunctionObject : public Object {
public:
    FunctionObject(Class *functionClass, Method *method, SavedScope scope);

    Method *method = nullptr;
    SavedScope scope;
    // A method closure always runs with this object as this.
    Value boundThis;
    bool bound = false;
    // The object `new` gives instances as their prototype, made on first use.
    Value prototypeValue;

    void mark(const Marker &marker) const override;
};

} // namespace swf::avm2
