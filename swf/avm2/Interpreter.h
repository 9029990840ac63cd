#pragma once

#include "swf/avm2/AbcUnit.h"
#include "swf/avm2/PreparedCode.h"
#include "swf/avm2/Runtime.h"

#include <array>

namespace swf::avm2 {

// One running method: its registers, operand stack and scope stack.
struct Frame {
    // Deepest operand or scope stack a method may build.
    static constexpr size_t MaxStack = 1 << 16;

    Runtime &rt;
    Method *method;
    AbcUnit *unit;
    const PreparedCode *code;
    SavedScope outer;
    FunctionObject *callee;
    std::vector<Value> locals;
    std::vector<Value> stack;
    ScopeChain scopes;
    int32_t ip = 0; // the next instruction
    bool done = false;
    Value result;
    Value defaultXmlNamespace;

    Value pop()
    {
        if (stack.empty())
            return Value();
        Value v = std::move(stack.back());
        stack.pop_back();
        return v;
    }
    Value &top()
    {
        if (stack.empty())
            stack.emplace_back();
        return stack.back();
    }
    void push(Value v)
    {
        if (stack.size() >= MaxStack)
            throwVerify();
        stack.push_back(std::move(v));
    }
    // Takes the top count values as a call's arguments, first pushed first.
    std::vector<Value> popArgs(uint32_t count);
    Value &local(uint32_t index)
    {
        if (index >= locals.size())
            throwVerify();
        return locals[index];
    }
    // The scope chain a closure made here captures.
    SavedScope capture() const;
    // The global object of the script this code belongs to.
    Value globalObject() const;
    [[noreturn]] void throwVerify();
};

// A property name an instruction names, with its run-time parts taken off
// the stack: a computed key (obj[key]) is kept as a value.
struct NameOperand {
    const Multiname *name = nullptr;
    Multiname storage;
    Value key;
    bool keyed = false;
};
void PopName(Frame &f, uint32_t index, NameOperand &out);

using Handler = void (*)(Frame &f, const PreparedInstruction &in);
using HandlerTable = std::array<Handler, 256>;

// Each family of instructions registers its handlers.
void RegisterStackHandlers(HandlerTable &table);
void RegisterArithmeticHandlers(HandlerTable &table);
void RegisterControlHandlers(HandlerTable &table);
void RegisterPropertyHandlers(HandlerTable &table);
void RegisterObjectHandlers(HandlerTable &table);
void RegisterTypeHandlers(HandlerTable &table);
void RegisterMemoryHandlers(HandlerTable &table);

} // namespace swf::avm2
