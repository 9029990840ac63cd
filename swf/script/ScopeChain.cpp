#include "ScopeChain.h"

namespace swf {

Value ScopeChain::at(size_t i) const
{
    if (i < m_with.size())
        return m_with[m_with.size() - 1 - i].object;
    i -= m_with.size();
    if (m_activation) {
        if (i == 0)
            return m_activation;
        --i;
    }
    return i < m_outer.size() ? m_outer[m_outer.size() - 1 - i] : Value(Undefined{});
}

void ScopeChain::enterWith(const Value &object, int start, int end)
{
    if (m_with.size() < MaxWithDepth)
        m_with.push_back({object, start, end});
}

void ScopeChain::leaveEndedWithBlocks(int position)
{
    while (!m_with.empty() && position >= m_with.back().end)
        m_with.pop_back();
}

void ScopeChain::leaveWithBlocksOutside(int position)
{
    while (!m_with.empty() && (position >= m_with.back().end || position < m_with.back().start))
        m_with.pop_back();
}

std::vector<Value> ScopeChain::captured() const
{
    std::vector<Value> scopes = m_outer;
    if (m_activation)
        scopes.push_back(m_activation);
    for (const WithScope &with : m_with)
        scopes.push_back(with.object);
    return scopes;
}

} // namespace swf
