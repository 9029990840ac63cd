#pragma once

#include "swf/script/ScriptObject.h"

#include <vector>

namespace swf {

// Where a running block looks names up, innermost first: the objects of
// the `with` blocks it is inside, its function's locals (the activation),
// then the activations of the functions around it. Clips and globals come
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
    ScopeChain(ScriptObject *activation, std::vector<ScriptObject *> outer)
        : m_activation(activation), m_outer(std::move(outer))
    {
    }

    ScriptObject *activation() const { return m_activation; }
    const std::vector<WithScope> &withScopes() const { return m_with; }
    // The local or outer variable stored under key, innermost first, and
    // the activation that holds it.
    Value *findLocal(const QString &key, ScriptObject **holder = nullptr);
    // Enters a `with` block; ignored beyond the deepest nesting.
    void enterWith(const Value &object, int start, int end);
    // Leaves the `with` blocks that do not hold position.
    void leaveWithBlocksOutside(int position);
    // What a function defined here closes over, innermost last.
    std::vector<ScriptObject *> captured() const;

private:
    ScriptObject *m_activation = nullptr;
    std::vector<ScriptObject *> m_outer; // innermost last
    std::vector<WithScope> m_with;       // innermost last
};

} // namespace swf
