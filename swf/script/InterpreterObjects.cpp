// The interpreter's names and objects: variables by path and scope, members
// of objects and clips, enumeration, calls and construction.
#include "Interpreter.h"

#include "swf/MoviePlayer.h"
#include "swf/builtins/BuiltinClass.h"
#include "swf/script/ClipProperties.h"
#include "swf/script/VariablePath.h"

#include <QSet>

#include <algorithm>
#include <climits>
#include <utility>
#include <cmath>

namespace swf {

namespace {

constexpr int MaxVariablesPerClip = 10000;
constexpr int MaxPrototypeChain = 256;
constexpr int FirstVersionWithTextFields = 6;
constexpr int FirstVersionPassingPlainResolvers = 7;

// An array index written as a name, or -1.
int elementIndex(const QString &name)
{
    bool ok = false;
    const int index = name.toInt(&ok);
    return ok && index >= 0 ? index : -1;
}

bool isName(const QString &name, const char *word)
{
    return name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool hasSeparator(const QString &segment)
{
    return std::any_of(segment.begin(), segment.end(), [](QChar c) { return c == u'/' || c == u'.' || c == u':'; });
}

} // namespace

DisplayObject *Interpreter::clipAt(const QString &path)
{
    DisplayObject *from = target();
    return from ? clipFrom(*from, path) : nullptr;
}

DisplayObject *Interpreter::clipFrom(DisplayObject &from, const QString &path)
{
    const Value place = walkPath(from, path, path, PathUse::Target);
    const auto *ref = std::get_if<ClipRef>(&place);
    return ref ? ref->get() : nullptr;
}

Value Interpreter::walkPath(DisplayObject &from, const QString &path, const QString &name, PathUse use)
{
    const TargetPath parsed = ParseTargetPath(path, name, m_version, use);
    if (!parsed.valid)
        return Undefined{};
    Value current = refTo(parsed.fromRoot ? &m_player.rootOf(from) : &from);
    for (const QString &segment : parsed.segments) {
        current = pathStep(current, segment);
        if (isNullish(current))
            break;
    }
    return current;
}

Value Interpreter::pathStep(const Value &from, const QString &segment)
{
    const auto leadsOn = [](const Value &v) {
        const auto *ref = std::get_if<ClipRef>(&v);
        return objectOf(v) || (ref && ref->get());
    };
    const auto *ref = std::get_if<ClipRef>(&from);
    DisplayObject *clip = ref ? ref->get() : nullptr;
    if (!clip) {
        const Value next = objectOf(from) ? getMember(from, segment) : Value(Undefined{});
        return leadsOn(next) ? next : Value(Undefined{});
    }
    if (segment == QLatin1String(".."))
        return clip->parent ? Value(refTo(clip->parent)) : Value(Undefined{});
    // Names that are clips come first, then variables holding an object or clip.
    if (DisplayObject *named = namedClip(*clip, segment))
        return refTo(named);
    const Value *value = clip->object.own(key(segment));
    return value && leadsOn(*value) ? *value : Value(Undefined{});
}

DisplayObject *Interpreter::namedClip(DisplayObject &clip, const QString &segment)
{
    // The player's own names (_root, _parent, _levelN, this) and children.
    if (!hasSeparator(segment))
        return m_player.resolveTarget(clip, segment);
    const Qt::CaseSensitivity caseRule = m_version >= 7 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (auto &[depth, child] : clip.children)
        if (child->name.compare(segment, caseRule) == 0)
            return child.get();
    return nullptr;
}

DisplayObject *Interpreter::scriptable(DisplayObject *object) const
{
    // Movies before version 6 know no text field objects: a name that
    // reaches one gives the clip that holds it.
    return m_version < FirstVersionWithTextFields && object->textField && object->parent ? object->parent : object;
}

Interpreter::VariablePlace Interpreter::locate(const QString &name)
{
    const auto [path, variable, viaPath] = SplitVariablePath(name, m_version);
    VariablePlace place{Undefined{}, path, variable};
    DisplayObject *from = target();
    if (!viaPath && from)
        place.owner = refTo(from);
    else if (viaPath && !path.isEmpty() && from)
        place.owner = walkPath(*from, path, name, PathUse::Variable);
    return place;
}

const Value *Interpreter::ownLocal(const QString &name)
{
    ScriptObject *activation = m_scope.activation();
    return activation ? activation->own(key(name)) : nullptr;
}

Value Interpreter::getVariable(const QString &name, Value *holder)
{
    Value ignored;
    Value &foundIn = holder ? *holder : ignored;
    // A parameter named this or super stands in for them.
    if (isName(name, "this")) {
        const Value *local = ownLocal(name);
        return local ? *local : m_this;
    }
    if (isName(name, "_global") && m_version >= 6)
        return m_engine.global();
    if (m_hasSuper && isName(name, "super")) {
        const Value *local = ownLocal(name);
        return local ? *local : superObject();
    }
    if (!IsVariablePath(name, m_version)) {
        for (size_t i = 0; i < m_scope.size(); ++i) {
            const Value scope = m_scope.at(i);
            if (hasMember(scope, name)) {
                foundIn = scope;
                return getMember(scope, name);
            }
        }
    }
    // A bare slash path names a clip before any variable of that name.
    if (name.contains(u'/') && !SplitVariablePath(name, m_version).viaPath)
        if (DisplayObject *clip = clipAt(name))
            return refTo(clip);
    const auto [place, path, variable] = locate(name);
    const auto *ref = std::get_if<ClipRef>(&place);
    DisplayObject *owner = ref ? ref->get() : nullptr;
    if (!owner) {
        const bool slashSyntax = name.contains(u':') || name.contains(u'/');
        if (!objectOf(place) || !slashSyntax)
            return getObjectPath(name);
        foundIn = place;
        return getMember(place, variable);
    }
    foundIn = place;
    if (isName(variable, "_root") || MoviePlayer::LevelNumber(variable, m_version) || isName(variable, "this") ||
        isName(variable, "_parent"))
        return pathStep(place, variable);
    const int property = ClipPropertyIndex(variable);
    if (property >= 0 && (!path.isEmpty() || IsMovieWideProperty(property)))
        return GetClipProperty(m_player, *owner, property, m_convert);
    // The clip's own members, properties it was given among them, come first.
    if (const ScriptObject::Member *own = owner->object.ownMember(key(variable)))
        return memberValue(own, place);
    if (DisplayObject *child = m_player.resolveTarget(*owner, variable); child && child != owner)
        return refTo(scriptable(child));
    if (property >= 0)
        return GetClipProperty(m_player, *owner, property, m_convert);
    if (const ScriptObject::Member *inherited = clipMember(*owner, key(variable)))
        return memberValue(inherited, refTo(owner));
    if (path.isEmpty())
        if (const Value *global = m_engine.global()->own(key(variable))) {
            foundIn = m_engine.global();
            return *global;
        }
    return Undefined{};
}

Value Interpreter::getObjectPath(const QString &name)
{
    if (name.contains(u':') || name.contains(u'/'))
        return Undefined{};
    const QStringList names = name.split(u'.');
    if (names.size() < 2 || names.first().isEmpty())
        return Undefined{};
    Value value = getVariable(names.first());
    for (qsizetype i = 1; i < names.size(); ++i) {
        if (std::holds_alternative<Undefined>(value) || std::holds_alternative<Null>(value))
            return Undefined{};
        value = getMember(value, names.at(i));
    }
    return value;
}

void Interpreter::setVariable(const QString &name, const Value &value)
{
    if (!IsVariablePath(name, m_version)) {
        for (size_t i = 0; i < m_scope.size(); ++i) {
            const Value scope = m_scope.at(i);
            if (hasMember(scope, name)) {
                setMember(scope, name, value);
                return;
            }
        }
    }
    const auto [place, path, variable] = locate(name);
    if (objectOf(place)) {
        setMember(place, variable, value);
        return;
    }
    const auto *ref = std::get_if<ClipRef>(&place);
    DisplayObject *owner = ref ? ref->get() : nullptr;
    if (!owner)
        return;
    const int property = ClipPropertyIndex(variable);
    if (property >= 0 && (!path.isEmpty() || IsMovieWideProperty(property))) {
        SetClipProperty(m_player, *owner, property, value, m_convert);
        return;
    }
    const QString k = key(variable);
    const ClipRef clip = refTo(owner);
    const Value stored = watchedValue(owner->object, clip, k, variable, value);
    if (!clip.get())
        return; // the watch removed the clip
    if (owner->object.members().size() < MaxVariablesPerClip || owner->object.own(k))
        owner->object.set(k, variable, stored);
    m_player.markChanged(); // a text field may show it
}

void Interpreter::defineLocal(const QString &name, const Value &value)
{
    if (ScriptObject *activation = m_scope.activation())
        activation->set(key(name), name, value);
    else
        setVariable(name, value);
}

Value Interpreter::getMember(const Value &object, const QString &name)
{
    const QString k = key(name);
    if (ScriptObject *obj = objectOf(object)) {
        if (obj->kind == ScriptObject::Kind::Super)
            return superMember(*obj, name);
        if (Value answer; obj->payload && obj->payload->readMember(*this, k, answer))
            return answer;
        if (obj->kind == ScriptObject::Kind::Array) {
            if (name == QLatin1String("length")) {
                // A length written that is no count stays as written.
                const Value *written = obj->own(k);
                return written && !std::holds_alternative<Undefined>(*written) ? *written
                                                                                : Value(double(obj->elements.size()));
            }
            if (const int index = elementIndex(name); index >= 0)
                return size_t(index) < obj->elements.size() ? obj->elements[size_t(index)] : Value(Undefined{});
        } else if (const Value *boxed = obj->boxed(); boxed && name == QLatin1String("length")) {
            if (const auto *text = std::get_if<QString>(boxed))
                return double(text->size());
        }
        if (const ScriptObject::Member *member = obj->findMember(k))
            return memberValue(member, object);
        // A lookup that runs past the deepest chain it follows ends the
        // scripts, as the reference player's does.
        if (obj->prototypeChainTooDeep()) {
            m_player.stopScripts();
            return Undefined{};
        }
        ScriptObject *resolve = resolver(*obj);
        return resolve ? invoke(resolve, object, {name}, {}) : Value(Undefined{});
    }
    if (const auto *text = std::get_if<QString>(&object)) {
        if (name == QLatin1String("length"))
            return double(text->size());
        const ScriptObject *prototype = m_engine.stringPrototype(); // none before version 5
        return memberValue(prototype ? prototype->findMember(k) : nullptr, object);
    }
    if (std::holds_alternative<double>(object) || std::holds_alternative<bool>(object)) {
        const ScriptObject *prototype =
            std::holds_alternative<double>(object) ? m_engine.numberPrototype() : m_engine.booleanPrototype();
        return memberValue(prototype ? prototype->findMember(k) : nullptr, object);
    }
    const auto *ref = std::get_if<ClipRef>(&object);
    DisplayObject *clip = ref ? ref->get() : nullptr;
    if (!clip)
        return Undefined{};
    if (isName(name, "_parent"))
        return clip->parent ? Value(refTo(clip->parent)) : Value(Undefined{});
    if (isName(name, "_root"))
        return refTo(&m_player.rootOf(*clip));
    if (name == QLatin1String("__proto__"))
        return ObjectValue(m_engine.clipPrototype(*clip));
    if (const ScriptObject::Member *own = clip->object.ownMember(k))
        return memberValue(own, object);
    for (auto &[depth, child] : clip->children) {
        if (m_version >= 7 ? child->name == name : child->name.compare(name, Qt::CaseInsensitive) == 0)
            return refTo(scriptable(child.get()));
    }
    if (const int property = ClipPropertyIndex(name); property >= 0)
        return GetClipProperty(m_player, *clip, property, m_convert);
    return memberValue(clipMember(*clip, k), object);
}

const ScriptObject::Member *Interpreter::clipMember(const DisplayObject &clip, const QString &key)
{
    const ScriptObject *prototype = m_engine.clipPrototype(clip);
    return prototype ? prototype->findMember(key) : nullptr;
}

Value Interpreter::memberValue(const ScriptObject::Member *member, const Value &self)
{
    if (!member)
        return Undefined{};
    if (!member->isProperty())
        return member->value;
    CallSetup setup;
    setup.special = true;
    return invoke(member->getter, self, {}, setup);
}

ScriptObject *Interpreter::resolver(const ScriptObject &object)
{
    const QString k = key(QStringLiteral("__resolve"));
    const ScriptObject *walk = &object;
    for (int depth = 0; walk && depth < MaxPrototypeChain; ++depth, walk = walk->prototype()) {
        const ScriptObject::Member *member = walk->ownMember(k);
        if (!member)
            continue;
        // A property's __resolve is the value the member held before (if
        // any), never its getter. From version 7 only an object stops the
        // search; before, the nearest member does, whatever it holds.
        ScriptObject *function = objectOf(member->value);
        if (!function && m_version >= FirstVersionPassingPlainResolvers)
            continue;
        return function && function->isCallable() ? function : nullptr;
    }
    return nullptr;
}

bool Interpreter::hasMember(const Value &object, const QString &name)
{
    if (const ScriptObject *o = objectOf(object))
        return o->find(key(name)) != nullptr || resolver(*o) ||
               (o->kind == ScriptObject::Kind::Array && (name == QLatin1String("length") || elementIndex(name) >= 0));
    if (const auto *ref = std::get_if<ClipRef>(&object); ref && ref->get())
        return !std::holds_alternative<Undefined>(getMember(object, name));
    return false;
}

void Interpreter::setMember(const Value &object, const QString &name, const Value &value)
{
    if (ScriptObject *obj = objectOf(object)) {
        if (obj->kind == ScriptObject::Kind::Super)
            return; // super takes no members
        if (obj->payload && obj->payload->writeMember(*this, key(name), value))
            return;
        if (obj->kind == ScriptObject::Kind::Array) {
            if (name == QLatin1String("length")) {
                const double length = toNumber(value);
                const bool count = length >= 0 && length <= ScriptEngine::MaxArrayLength;
                if (count)
                    obj->resizeElements(size_t(length));
                obj->set(key(name), name, count ? Value(Undefined{}) : value);
                return;
            }
            if (const int index = elementIndex(name); index >= 0) {
                if (index >= ScriptEngine::MaxArrayLength)
                    return;
                if (size_t(index) < obj->elements.size() || obj->resizeElements(size_t(index) + 1))
                    obj->elements[size_t(index)] = value;
                return;
            }
        }
        const QString k = key(name);
        const Value stored = watchedValue(*obj, object, k, name, value);
        // A property is written through its setter, and nothing happens when
        // it is read-only or has none: the object's own, or, when it has no
        // member of the name, the nearest property up the chain, even past
        // plain inherited members.
        const ScriptObject::Member *member = obj->ownMember(k);
        if (!member)
            member = obj->inheritedProperty(k);
        if (member && member->isProperty()) {
            writeProperty(*member, object, stored);
            return;
        }
        if (obj->members().size() < size_t(MaxVariablesPerClip) || obj->own(k))
            obj->set(k, name, stored);
        return;
    }
    const auto *ref = std::get_if<ClipRef>(&object);
    DisplayObject *clip = ref ? ref->get() : nullptr;
    if (!clip)
        return;
    const int property = ClipPropertyIndex(name);
    if (property >= 0) {
        SetClipProperty(m_player, *clip, property, value, m_convert);
        return;
    }
    if (name == QLatin1String("__proto__")) {
        clip->object.setPrototype(objectOf(value));
        return;
    }
    const QString k = key(name);
    // A property of the clip's class (MovieClip.prototype.filters) that no
    // variable of the clip hides is written through its setter.
    if (!clip->object.own(k))
        if (const ScriptObject::Member *member = clipProperty(*clip, k)) {
            writeProperty(*member, object, value);
            return;
        }
    const Value stored = watchedValue(clip->object, object, k, name, value);
    clip = ref->get(); // the watch may have removed it
    if (!clip)
        return;
    if (clip->object.members().size() < MaxVariablesPerClip || clip->object.own(k))
        clip->object.set(k, name, stored);
    m_player.markChanged(); // a text field may show it
}

Value Interpreter::watchedValue(ScriptObject &holder, const Value &self, const QString &key, const QString &name,
                                const Value &value)
{
    ScriptObject::Watch *watch = holder.watchOf(key);
    if (!watch || watch->running)
        return value;
    const Value callback = watch->callback;
    const std::vector<Value> args{name, holder.own(key) ? *holder.own(key) : Value(Undefined{}), value, watch->data};
    watch->running = true;
    const Value answer = invoke(callback, self, args, {});
    // The call may have removed the watch, or set another in its place.
    if (ScriptObject::Watch *after = holder.watchOf(key))
        after->running = false;
    return answer;
}

void Interpreter::writeProperty(const ScriptObject::Member &property, const Value &self, const Value &value)
{
    if (!property.setter || (property.flags & ReadOnly))
        return;
    CallSetup setup;
    setup.special = true;
    invoke(property.setter, self, {value}, setup);
}

const ScriptObject::Member *Interpreter::clipProperty(const DisplayObject &clip, const QString &key)
{
    const ScriptObject *prototype = m_engine.clipPrototype(clip);
    if (!prototype)
        return nullptr;
    const ScriptObject::Member *member = prototype->ownMember(key);
    return member && member->isProperty() ? member : prototype->inheritedProperty(key);
}

bool Interpreter::deleteMember(const Value &object, const QString &name)
{
    if (ScriptObject *o = objectOf(object))
        return o->kind != ScriptObject::Kind::Super && o->remove(key(name));
    if (const auto *ref = std::get_if<ClipRef>(&object); ref && ref->get())
        return ref->get()->object.remove(key(name));
    return false;
}

std::vector<QString> Interpreter::enumerableNames(const ScriptObject &object)
{
    // Newest first (for..in takes them from the top: oldest first), as the
    // reference player lists them; inherited members come after the object's
    // own, unless a nearer member of the same name, listed or not, shadows
    // them. Members hidden from the movie's version are still listed.
    std::vector<QString> names;
    QSet<QString> seen;
    int steps = 0;
    for (const ScriptObject *walk = &object; walk && steps < MaxPrototypeChain; walk = walk->prototype(), ++steps) {
        if (!m_player.spend(1))
            break;
        for (auto it = walk->members().rbegin(); it != walk->members().rend(); ++it) {
            if (seen.contains(it->key))
                continue;
            seen.insert(it->key);
            if (!(it->flags & DontEnum))
                names.push_back(it->name);
        }
    }
    if (object.kind == ScriptObject::Kind::Array)
        for (size_t i = object.elements.size(); i-- > 0;)
            names.push_back(QString::number(i));
    return names;
}

void Interpreter::enumerate(const Value &object)
{
    push(Null{});
    if (const ScriptObject *o = objectOf(object)) {
        for (const QString &name : enumerableNames(*o))
            push(name);
        return;
    }
    if (const auto *ref = std::get_if<ClipRef>(&object); ref && ref->get()) {
        for (const auto &[depth, child] : ref->get()->children)
            if (!child->name.isEmpty())
                push(child->name);
        const ScriptObject &own = ref->get()->object;
        QSet<QString> ownKeys;
        for (const ScriptObject::Member &member : own.members()) {
            ownKeys.insert(member.key);
            if (!(member.flags & DontEnum))
                push(member.name);
        }
        // Then what its class lists, as for other objects: a video's properties.
        if (const ScriptObject *inherited = own.prototype())
            for (const QString &name : enumerableNames(*inherited))
                if (!ownKeys.contains(m_engine.key(name)))
                    push(name);
    }
}

Value Interpreter::call(const Value &function, const Value &self, const std::vector<Value> &args)
{
    return invoke(function, self, args, {});
}

Value Interpreter::invoke(const Value &function, const Value &self, const std::vector<Value> &args, CallSetup setup)
{
    ScriptObject *f = objectOf(function);
    // Nothing more runs once a call has thrown, until a try block takes it.
    if (!f || m_thrown || !m_player.spend(1))
        return Undefined{};
    if (m_engine.callDepth >= ScriptEngine::MaxCallDepth) {
        m_player.stopScripts();
        return Undefined{};
    }
    if (f->kind == ScriptObject::Kind::Super)
        return superConstruct(*f, args);
    if (!f->isCallable() || (f->kind == ScriptObject::Kind::Function && !f->function))
        return Undefined{};
    ScriptEngine::NestedCall depth(m_engine);
    if (f->kind == ScriptObject::Kind::Native) {
        NativeCall native{*this, self, args, setup.construct};
        ScriptObject *const outer = std::exchange(m_native, f->payloadAs<WrittenAsScript>() ? f : m_native);
        const Value result = f->native(native);
        m_native = outer;
        return result;
    }
    setup.callee = f;
    ScriptObject *caller = m_native ? m_native : m_callee;
    setup.caller = caller ? Value(caller) : Value(Null{});
    setup.callerThis = m_this;
    setup.callerTarget = m_target;
    Interpreter callee(m_player, *f, self, args, setup);
    const Value result = callee.run();
    if (callee.thrown())
        m_thrown = callee.thrown();
    return result;
}

Value Interpreter::construct(const Value &constructor, const std::vector<Value> &args)
{
    const ScriptObject *f = objectOf(constructor);
    if (!f || !f->isCallable() || m_engine.callDepth >= ScriptEngine::MaxCallDepth)
        return Undefined{};
    ScriptObject *created = m_engine.newObject();
    if (!created)
        return Undefined{};
    // A constructor without a prototype object (a built-in method) makes an
    // object that inherits nothing.
    ScriptObject *prototype = objectOf(getMember(constructor, QStringLiteral("prototype")));
    created->setPrototype(prototype);
    markConstructed(*created, constructor);
    if (f->kind == ScriptObject::Kind::Native) {
        // A built-in constructor answers what `new` gives: mostly the object
        // it was handed, made into one of its class.
        ScriptEngine::NestedCall depth(m_engine);
        NativeCall native{*this, created, args, true};
        const Value result = f->native(native);
        // A class's constructor may refuse its arguments (BitmapData's sizes) and give
        // nothing; a method that is no constructor answers a plain value, and `new`
        // still gives the object made.
        if (prototype || objectOf(result) || std::holds_alternative<ClipRef>(result))
            return result;
        return created;
    }
    // What a script constructor returns is dropped: `new` gives the object made.
    CallSetup setup;
    setup.construct = true;
    invoke(constructor, created, args, setup);
    return created;
}

ScriptObject *Interpreter::prototypeOf(const Value &object)
{
    if (const ScriptObject *o = objectOf(object))
        return o->prototype();
    const auto *ref = std::get_if<ClipRef>(&object);
    return ref && ref->get() ? m_engine.clipPrototype(*ref->get()) : nullptr;
}

// Whether the constructor's prototype is on the object's prototype chain,
// or among the interfaces a prototype on it implements (and theirs).
bool Interpreter::instanceOf(const Value &object, const Value &constructor)
{
    const ScriptObject *prototype = objectOf(getMember(constructor, QStringLiteral("prototype")));
    if (!prototype || (!objectOf(object) && !std::holds_alternative<ClipRef>(object)))
        return false;
    std::vector<const ScriptObject *> pending;
    if (const ScriptObject *first = prototypeOf(object))
        pending.push_back(first);
    int steps = 0;
    while (!pending.empty() && steps++ < MaxPrototypeChain * 4) {
        const ScriptObject *walk = pending.back();
        pending.pop_back();
        if (walk == prototype)
            return true;
        if (const ScriptObject *next = walk->prototype())
            pending.push_back(next);
        for (const ScriptObject *face : walk->interfaces)
            pending.push_back(face);
    }
    return false;
}

void Interpreter::markConstructed(ScriptObject &created, const Value &constructor)
{
    // The reference player notes the constructor on what `new` makes; movies
    // before version 7 also see it as constructor.
    const QString hidden = QStringLiteral("__constructor__");
    created.set(key(hidden), hidden, constructor, DontEnum | HiddenBefore6);
    if (m_version < 7) {
        const QString visible = QStringLiteral("constructor");
        created.set(key(visible), visible, constructor, DontEnum);
    }
}

Value Interpreter::callMethod(const Value &object, const QString &name, const std::vector<Value> &args)
{
    if (name.isEmpty())
        return call(object, Undefined{}, args);
    if (const ScriptObject *o = objectOf(object); o && o->kind == ScriptObject::Kind::Super)
        return superCallMethod(*o, name, args);
    const Value method = getMember(object, name);
    CallSetup setup;
    // From version 7, super in a method from up the prototype chain starts
    // above the prototype that holds it.
    if (m_version >= 7)
        if (ScriptObject *holder = methodHolder(object, key(name))) {
            setup.viaSuper = true;
            setup.superBase = holder;
        }
    return invoke(method, object, args, setup);
}

ScriptObject *Interpreter::methodHolder(const Value &object, const QString &key)
{
    const ScriptObject *own = objectOf(object);
    const auto *ref = std::get_if<ClipRef>(&object);
    if (own ? own->ownMember(key) != nullptr : !ref || !ref->get() || ref->get()->object.ownMember(key))
        return nullptr;
    int steps = 0;
    for (ScriptObject *walk = prototypeOf(object); walk && steps < MaxPrototypeChain; walk = walk->prototype(), ++steps)
        if (walk->ownMember(key))
            return walk;
    return nullptr;
}

// Super.

Value Interpreter::superObject()
{
    if (!m_super) {
        m_super = m_engine.heap().make(ScriptObject::Kind::Super, nullptr);
        if (!m_super)
            return Undefined{};
        m_super->elements = {m_superThis, m_superBase ? Value(m_superBase) : Value(Null{})};
    }
    return m_super;
}

namespace {

const Value &superThis(const ScriptObject &super)
{
    static const Value none = Undefined{};
    return super.elements.empty() ? none : super.elements[0];
}

ScriptObject *superBase(const ScriptObject &super)
{
    return super.elements.size() > 1 ? objectOf(super.elements[1]) : nullptr;
}

} // namespace

// What super.name reads: the member above the base prototype, as this sees it.
Value Interpreter::superMember(const ScriptObject &super, const QString &name)
{
    const ScriptObject *base = superBase(super);
    const ScriptObject *above = base ? base->prototype() : nullptr;
    return above ? memberValue(above->findMember(key(name)), superThis(super)) : Value(Undefined{});
}

// super.name(): the method above the base prototype, called on this; in
// it super starts one prototype further up. From version 7 it starts
// just below the prototype the method was found on.
Value Interpreter::superCallMethod(const ScriptObject &super, const QString &name, const std::vector<Value> &args)
{
    const ScriptObject *base = superBase(super);
    ScriptObject *above = base ? base->prototype() : nullptr;
    if (!above)
        return Undefined{};
    const QString k = key(name);
    ScriptObject *found = above;
    int steps = 0;
    while (found && !found->ownMember(k) && steps++ < MaxPrototypeChain)
        found = found->prototype();
    if (!found || !found->ownMember(k))
        return Undefined{};
    const Value method = memberValue(found->ownMember(k), superThis(super));
    CallSetup setup;
    setup.viaSuper = true;
    setup.superBase = above;
    if (m_version >= 7 && found != above) {
        ScriptObject *next = above;
        for (int walked = 0; next && next->prototype() != found && walked < MaxPrototypeChain; ++walked)
            next = next->prototype();
        if (next)
            setup.superBase = next;
    }
    setup.construct = false;
    return invoke(method, superThis(super), args, setup);
}

// super(): the base prototype's __constructor__, run on this as a
// constructor when the function calling it is one.
Value Interpreter::superConstruct(const ScriptObject &super, const std::vector<Value> &args)
{
    const ScriptObject *base = superBase(super);
    const Value *constructor = base ? base->find(key(QStringLiteral("__constructor__"))) : nullptr;
    if (!constructor || !objectOf(*constructor) || objectOf(*constructor)->kind == ScriptObject::Kind::Super)
        return Undefined{};
    CallSetup setup;
    setup.construct = m_constructing;
    setup.viaSuper = true;
    setup.superBase = base->prototype();
    return invoke(*constructor, superThis(super), args, setup);
}

ScriptObject *Interpreter::defineFunction(Action &a, bool version2)
{
    SwfReader &body = a.body;
    auto code = std::make_shared<FunctionCode>();
    const QString name = body.string(m_version);
    const int parameterCount = body.u16();
    if (version2) {
        code->registerCount = body.u8();
        code->flags = body.u8();
        code->flags |= (body.u8() & 1) << 8;
    }
    for (int i = 0; i < parameterCount && !body.overrun(); ++i) {
        FunctionCode::Parameter parameter;
        if (version2)
            parameter.reg = body.u8();
        parameter.name = body.string(m_version);
        code->parameters.push_back(parameter);
    }
    const int codeSize = body.u16();
    // The function's code follows the action in the block.
    SwfReader &r = a.block;
    const int start = r.position();
    const int size = std::min(codeSize, r.remaining());
    r.skip(size);
    ScriptObject *function = m_engine.newFunction();
    if (!function)
        return nullptr;
    code->code = m_code.mid(start, size);
    code->block = m_code;
    code->site = code->block.constData() + start;
    code->function2 = version2;
    code->constants = m_constants;
    function->function = std::move(code);
    function->scopeClip = m_origin;
    function->scopes = m_scope.captured();
    if (!name.isEmpty()) {
        defineLocal(name, function);
        return nullptr;
    }
    return function;
}

} // namespace swf
