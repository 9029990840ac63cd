#include "ScriptEngine.h"

#include "swf/DisplayObject.h"
#include "swf/TextFieldState.h"
#include "swf/builtins/Builtins.h"

#include <algorithm>

namespace swf {

namespace {

constexpr int FirstVersionWithCurrentArrayPrototype = 6;

} // namespace

ScriptObject *ScriptEngine::newObject(ScriptObject *prototype)
{
    return m_heap.make(ScriptObject::Kind::Object, prototype ? prototype : m_objectPrototype);
}

ScriptObject *ScriptEngine::newArray(std::vector<Value> elements)
{
    if (int(elements.size()) > MaxArrayLength)
        elements.resize(MaxArrayLength);
    if (!m_heap.take(qint64(elements.size())))
        return nullptr;
    // From version 6 arrays take the prototype of whatever Array now names,
    // so a movie replacing the global Array changes what its arrays inherit.
    // The built-ins' own arrays (Key._listeners), made while the globals
    // are installed, take Array's prototype as it is then.
    ScriptObject *current = m_global && (m_version >= FirstVersionWithCurrentArrayPrototype || !m_arrayPrototype)
                                ? prototypeOf("Array")
                                : nullptr;
    ScriptObject *array = m_heap.make(ScriptObject::Kind::Array, current ? current : m_arrayPrototype);
    if (array)
        array->elements = std::move(elements);
    return array;
}

ScriptObject *ScriptEngine::clipPrototype(const DisplayObject &clip) const
{
    ScriptObject *own = clip.object.prototype();
    return own ? own : m_movieClipPrototype;
}

ScriptObject *ScriptEngine::prototypeOf(const char *className) const
{
    const Value *constructor = m_global->own(key(QString::fromLatin1(className)));
    ScriptObject *object = constructor ? objectOf(*constructor) : nullptr;
    const Value *prototype = object ? object->own(key(QStringLiteral("prototype"))) : nullptr;
    return prototype ? objectOf(*prototype) : nullptr;
}

void ScriptEngine::reset(int version)
{
    m_kept.clear();
    m_heap.clear(version);
    callDepth = 0;
    m_version = version;
    m_caseSensitive = version >= 7;
    m_objectPrototype = m_heap.make(ScriptObject::Kind::Object, nullptr);
    m_functionPrototype = m_heap.make(ScriptObject::Kind::Object, m_objectPrototype);
    m_arrayPrototype = nullptr;
    m_global = newObject();
    makeFunctionClass();
    for (const ClassDecl *decl : AllBuiltins())
        install(*decl);
    m_arrayPrototype = prototypeOf("Array");
    m_stringPrototype = prototypeOf("String");
    m_numberPrototype = prototypeOf("Number");
    m_booleanPrototype = prototypeOf("Boolean");
    m_movieClipPrototype = prototypeOf("MovieClip");
    m_intervals.clear();
    m_nextInterval = 1;
    m_liveAfterCollection = m_heap.size();
}

int ScriptEngine::addInterval(Interval interval)
{
    if (int(m_intervals.size()) >= MaxIntervals)
        return 0;
    interval.id = m_nextInterval++;
    m_intervals.push_back(std::move(interval));
    return m_intervals.back().id;
}

void ScriptEngine::clearInterval(int id)
{
    m_intervals.erase(std::remove_if(m_intervals.begin(), m_intervals.end(),
                                     [id](const Interval &i) { return i.id == id; }),
                      m_intervals.end());
}

std::vector<ScriptEngine::Interval> ScriptEngine::takeDueIntervals(qint64 nowMs)
{
    std::vector<Interval> due;
    for (auto it = m_intervals.begin(); it != m_intervals.end();) {
        if (it->dueMs > nowMs) {
            ++it;
            continue;
        }
        due.push_back(*it);
        if (it->once) {
            it = m_intervals.erase(it);
            continue;
        }
        // One call per tick at most: a slow movie does not pile calls up.
        it->dueMs = std::max(it->dueMs + it->periodMs, nowMs + 1);
        ++it;
    }
    return due;
}

void ScriptEngine::collectGarbage(const std::vector<const DisplayObject *> &roots)
{
    m_heap.collect([&](const std::function<void(const Value &)> &mark) {
        for (ScriptObject *builtin : {m_global, m_objectPrototype, m_arrayPrototype, m_functionPrototype,
                                      m_stringPrototype, m_numberPrototype, m_booleanPrototype, m_movieClipPrototype})
            if (builtin)
                mark(builtin);
        for (const Value &value : m_kept)
            mark(value);
        for (const Interval &interval : m_intervals) {
            mark(interval.function);
            mark(interval.self);
            for (const Value &arg : interval.args)
                mark(arg);
        }
        std::vector<const DisplayObject *> clips = roots;
        while (!clips.empty()) {
            const DisplayObject *clip = clips.back();
            clips.pop_back();
            for (const ScriptObject::Member &member : clip->object.members())
                mark(member.value);
            // A prototype a clip was given (a text field's) and a field's style sheet.
            if (ScriptObject *prototype = clip->object.prototype())
                mark(prototype);
            if (clip->textField)
                mark(clip->textField->styleSheet);
            for (const ScriptObject::Watch &watch : clip->object.watches) {
                mark(watch.callback);
                mark(watch.data);
            }
            for (const auto &[depth, child] : clip->children)
                clips.push_back(child.get());
        }
    });
    m_liveAfterCollection = m_heap.size();
}

} // namespace swf
