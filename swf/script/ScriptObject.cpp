#include "ScriptObject.h"

#include "swf/script/ScriptHeap.h"

#include <algorithm>

namespace swf {

namespace {
// Longest prototype chain followed: the object and this many above it, as
// in the reference player; a chain made circular by a script ends.
constexpr int MaxPrototypeChain = 256;

const QString &protoKey()
{
    static const QString key = QStringLiteral("__proto__");
    return key;
}

// The version flags that hide a member from movies of a version, as the
// reference player applies them.
int hiddenMask(int version)
{
    if (version <= 5)
        return HiddenBefore6 | HiddenBefore7 | HiddenBefore8 | HiddenBefore9;
    if (version == 6)
        return HiddenIn6 | HiddenBefore7 | HiddenBefore8 | HiddenBefore9;
    if (version == 7)
        return HiddenBefore8 | HiddenBefore9;
    return version == 8 ? HiddenBefore9 : 0;
}

// The lookup through __proto__ heeds fewer of them.
int prototypeMask(int version)
{
    if (version <= 5)
        return hiddenMask(version);
    return version == 6 ? HiddenBefore7 : 0;
}
} // namespace

bool MemberVisibility::hidden(int flags) const { return flags & hiddenMask(version); }
bool MemberVisibility::unowned(int flags) const { return flags & HiddenIn6; }
bool MemberVisibility::prototypeHidden(int flags) const { return flags & prototypeMask(version); }

MemberVisibility ScriptObject::visibility() const
{
    return {m_heap ? m_heap->version() : ScriptHeap::NewestVersion};
}

ScriptObject::Member *ScriptObject::visibleMember(const QString &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.cend())
        return nullptr;
    Member &member = m_members[size_t(*it)];
    return visibility().hidden(member.flags) ? nullptr : &member;
}

ScriptObject::Member *ScriptObject::storedMember(const QString &key)
{
    const auto it = m_index.constFind(key);
    return it == m_index.cend() ? nullptr : &m_members[size_t(*it)];
}

const ScriptObject::Member *ScriptObject::ownMember(const QString &key) const
{
    return const_cast<ScriptObject *>(this)->visibleMember(key);
}

const Value *ScriptObject::own(const QString &key) const
{
    const Member *member = ownMember(key);
    return member ? &member->value : nullptr;
}

Value *ScriptObject::own(const QString &key)
{
    Member *member = visibleMember(key);
    return member ? &member->value : nullptr;
}

ScriptObject *ScriptObject::prototype() const
{
    const auto it = m_index.constFind(protoKey());
    if (it == m_index.cend())
        return nullptr;
    const Member &member = m_members[size_t(*it)];
    return visibility().prototypeHidden(member.flags) ? nullptr : objectOf(member.value);
}

void ScriptObject::setPrototype(ScriptObject *prototype)
{
    if (const auto it = m_index.constFind(protoKey()); it != m_index.cend())
        m_members[size_t(*it)].value = prototype ? Value(prototype) : Value(Undefined{});
    else if (prototype)
        set(protoKey(), protoKey(), prototype, DontEnum | DontDelete);
}

const ScriptObject::Member *ScriptObject::findMember(const QString &key) const
{
    const ScriptObject *object = this;
    for (int depth = 0; object && depth <= MaxPrototypeChain; ++depth, object = object->prototype())
        if (const Member *member = object->ownMember(key))
            return member;
    return nullptr;
}

bool ScriptObject::prototypeChainTooDeep() const
{
    const ScriptObject *object = this;
    for (int depth = 0; object; ++depth, object = object->prototype())
        if (depth > MaxPrototypeChain)
            return true;
    return false;
}

const Value *ScriptObject::find(const QString &key) const
{
    const Member *member = findMember(key);
    return member ? &member->value : nullptr;
}

const ScriptObject::Member *ScriptObject::inheritedProperty(const QString &key) const
{
    const ScriptObject *object = prototype();
    for (int depth = 0; object && depth < MaxPrototypeChain; ++depth, object = object->prototype())
        if (const Member *member = object->ownMember(key); member && member->isProperty())
            return member;
    return nullptr;
}

void ScriptObject::makeArray()
{
    static const QString lengthKey = QStringLiteral("length");
    kind = Kind::Array;
    if (!m_index.contains(lengthKey))
        set(lengthKey, lengthKey, Undefined{}, DontEnum | DontDelete);
}

bool ScriptObject::hasOwn(const QString &key) const
{
    const auto it = m_index.constFind(key);
    return it != m_index.cend() && !visibility().unowned(m_members[size_t(*it)].flags);
}

bool ScriptObject::resizeElements(size_t size)
{
    if (size > elements.size() && m_heap && !m_heap->take(qint64(size - elements.size())))
        return false;
    elements.resize(size);
    return true;
}

bool ScriptObject::insertElements(size_t at, const Value *first, size_t count)
{
    if (m_heap && !m_heap->take(qint64(count)))
        return false;
    elements.insert(elements.begin() + std::ptrdiff_t(std::min(at, elements.size())), first, first + count);
    return true;
}

ScriptObject::Member *ScriptObject::add(const QString &key, const QString &name)
{
    if (const auto it = m_index.constFind(key); it != m_index.cend()) {
        // A member the movie does not see is made anew in its place.
        Member &member = m_members[size_t(*it)];
        member = Member{key, name, Undefined{}, 0, nullptr, nullptr};
        return &member;
    }
    if (m_heap && !m_heap->take(1))
        return nullptr;
    m_index.insert(key, int(m_members.size()));
    m_members.push_back({key, name, Undefined{}, 0, nullptr, nullptr});
    return &m_members.back();
}

void ScriptObject::set(const QString &key, const QString &name, Value value, int flags)
{
    if (Member *member = visibleMember(key)) {
        if (!(member->flags & ReadOnly)) {
            member->value = std::move(value);
            member->getter = member->setter = nullptr;
        }
        return;
    }
    if (Member *member = add(key, name)) {
        member->value = std::move(value);
        member->flags = flags;
    }
}

void ScriptObject::setProperty(const QString &key, const QString &name, ScriptObject *getter, ScriptObject *setter)
{
    Member *member = visibleMember(key);
    if (!member)
        member = add(key, name);
    if (!member)
        return;
    // The value the member held stays behind the property: __resolve
    // lookups still see it.
    member->getter = getter;
    member->setter = setter;
}

void ScriptObject::setFlags(const QString &key, int set, int clear)
{
    if (const auto it = m_index.constFind(key); it != m_index.cend()) {
        Member &member = m_members[size_t(*it)];
        member.flags = (member.flags & ~clear) | set;
    }
}

void ScriptObject::setAllFlags(int set, int clear)
{
    for (Member &member : m_members)
        member.flags = (member.flags & ~clear) | set;
}

bool ScriptObject::remove(const QString &key)
{
    const Member *member = ownMember(key);
    if (!member || (member->flags & DontDelete))
        return false;
    m_members.erase(m_members.begin() + (member - m_members.data()));
    m_index.clear();
    for (int i = 0; i < int(m_members.size()); ++i)
        m_index.insert(m_members[size_t(i)].key, i);
    return true;
}

bool ScriptObject::watch(const QString &key, ScriptObject *callback, const Value &data)
{
    if (Watch *existing = watchOf(key)) {
        existing->callback = callback;
        existing->data = data;
        return true;
    }
    if (m_heap && !m_heap->take(1))
        return false;
    watches.push_back({key, callback, data});
    return true;
}

bool ScriptObject::unwatch(const QString &key)
{
    const auto it =
        std::find_if(watches.begin(), watches.end(), [&key](const Watch &watch) { return watch.key == key; });
    if (it == watches.end())
        return false;
    watches.erase(it);
    return true;
}

ScriptObject::Watch *ScriptObject::watchOf(const QString &key)
{
    const auto it =
        std::find_if(watches.begin(), watches.end(), [&key](const Watch &watch) { return watch.key == key; });
    return it == watches.end() ? nullptr : &*it;
}

} // namespace swf
