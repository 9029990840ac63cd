#pragma once

#include "swf/script/ScriptObject.h"

#include <vector>

namespace swf {

// Where a running block looks names up, innermost first: the objects of
// the `with` blocks it is inside, its function's locals (the activation),
// then what the function closed over where it was defined (the with
// objects and activations around the definition). Clips and globals come
// after these and are the interpreter's to search.
class ScopeChain {
public:
    // Deepest nesting of `with` blocks, as in the reference player.
    static constexpr size_t MaxWithDepth = 16;

    // An object scope of a `with` block, while the code runs between its
    // start and end.
    struct WithScope {
        Value object;
        int start, end;
    };

    ScopeChain() = default;
    ScopeChain(ScriptObject *activation, std::vector<Value> outer)
        : m_activation(activation), m_outer(std::move(outer))
    {
    }

    ScriptObject *activation() const { return m_activation; }
    // How many scopes there are, and each from the innermost (0).
    size_t size() const { return m_with.size() + (m_activation ? 1 : 0) + m_outer.size(); }
    Value at(size_t i) const;
    // Enters a `with` block; ignored beyond the deepest nesting.
    void enterWith(const Value &object, int start, int end);
    // Leaves the `with` blocks the code ran on to the end of, as the
    // reference player does: only when it steps there, not when it jumps.
    void leaveEndedWithBlocks(int position);
    // Leaves the `with` blocks that do not hold position.
    void leaveWithBlocksOutside(int position);
    // What a function defined here closes over, innermost last.
    std::vector<Value> captured() const;

private:
    ScriptObject *m_activation = nullptr;
    std::vector<Value> m_outer;    // innermost last
    std::vector<WithScope> m_with; // innermost last
};

} // namespace swf
