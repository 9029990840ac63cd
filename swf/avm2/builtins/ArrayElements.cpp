#include "swf/avm2/builtins/ArrayElements.h"

#include "swf/avm2/Runtime.h"

#include <cmath>

namespace swf::avm2 {

void SpendStep(Runtime &rt)
{
    if (--rt.instructionsLeft < 0)
        throw ScriptAbort{QStringLiteral("the script ran too long")};
}

uint32_t RelativeIndex(Runtime &rt, Args args, int i, uint32_t length, uint32_t fallback)
{
    if (!args.has(i))
        return fallback;
    double n = rt.toNumber(args[i]);
    n = std::isnan(n) ? 0 : std::trunc(n);
    if (n < 0)
        return uint32_t(std::max(0.0, double(length) + n));
    return uint32_t(std::min(n, double(length)));
}

ArrayElements::ArrayElements(Runtime &rt, const Value &self, LengthFrom from)
    : m_rt(rt)
{
    m_array = dynamic_cast<ArrayObject *>(self.asObject());
    if (m_array) {
        m_self = self;
        const bool overridable = from == LengthFrom::Property && m_array->objectClass() != rt.arrayClass;
        m_length = overridable ? rt.toUint(rt.get(m_self, QStringLiteral("length"))) : m_array->length();
        return;
    }
    m_self = Value(rt.toObject(self));
    m_length = rt.toUint(rt.get(m_self, QStringLiteral("length")));
}

Multiname ArrayElements::nameOf(uint32_t index) const { return m_rt.publicName(QString::number(index)); }

void ArrayElements::setLength(uint32_t length)
{
    m_length = length;
    if (m_array)
        m_array->setLength(length);
    else
        m_rt.set(m_self, QStringLiteral("length"), Value::fromUint(length));
}

bool ArrayElements::get(uint32_t index, Value &out)
{
    if (m_array)
        return m_array->get(index, out);
    SpendStep(m_rt);
    const Multiname name = nameOf(index);
    if (!m_rt.hasProperty(m_self, name))
        return false;
    out = m_rt.getProperty(m_self, name);
    return true;
}

Value ArrayElements::at(uint32_t index)
{
    Value v;
    get(index, v);
    return v;
}

void ArrayElements::set(uint32_t index, const Value &value)
{
    if (m_array) {
        m_array->set(index, value);
        m_length = m_array->length();
        return;
    }
    SpendStep(m_rt);
    m_rt.setProperty(m_self, nameOf(index), value);
}

void ArrayElements::remove(uint32_t index)
{
    if (m_array) {
        m_array->remove(index);
        return;
    }
    SpendStep(m_rt);
    m_rt.deleteProperty(m_self, nameOf(index));
}

std::vector<ArrayElements::Entry> ArrayElements::entries(uint32_t begin, uint32_t end)
{
    if (m_array)
        return m_array->entries(begin, end);
    std::vector<Entry> out;
    Value v;
    for (uint32_t i = begin; i < end; ++i)
        if (get(i, v))
            out.emplace_back(i, v);
    return out;
}

void ArrayElements::rebuild(std::vector<Entry> entries, uint32_t length)
{
    if (m_array) {
        m_array->rebuild(std::move(entries), length);
        m_length = length;
        return;
    }
    size_t next = 0;
    for (uint32_t i = 0; i < m_length || next < entries.size(); ++i) {
        if (next < entries.size() && entries[next].first == i)
            set(i, entries[next++].second);
        else if (i < m_length)
            remove(i);
        else
            i = entries[next].first - 1;
    }
    setLength(length);
}

} // namespace swf::avm2
