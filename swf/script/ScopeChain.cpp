#include "ScopeChain.h"

namespace swf {

Value *ScopeChain::findLocal(const QString &key, ScriptObject **holder)
{
    if (m_activation)
        if (Value *local = m_activation->own(key)) {
            if (holder)
                *holder = m_activation;
            return local;
        }
    for (auto it = m_outer.rbegin(); it != m_outer.rend(); ++it)
        if (Value *outer = (*it)->own(key)) {
            if (holder)
                *holder = *it;
            return outer;
        }
    return nullptr;
}

void ScopeChain::enterWith(const Value &object, int start, int end)
{
    if (m_with.size() < MaxWithDepth)
        m_with.push_back({object, start, end});
}

void ScopeChain::leaveWithBlocksOutside(int position)
{
    while (!m_with.empty() && (position >= m_with.back().end || position < m_with.back().start))
        m_with.pop_back();
}

std::vector<ScriptObject *> ScopeChain::captured() const
{
    std::vector<ScriptObject *> scopes = m_outer;
    if (m_activation)
        scopes.push_back(m_activation);
    return scopes;
}

} // namespace swf
