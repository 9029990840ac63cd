#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/SharedObject.h"

#include "swf/MoviePlayer.h"
#include "swf/SoundDecoder.h"
#include "swf/SoundMixer.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/EventObject.h"
#include "swf/avm2/builtins/MovieClipObject.h"

#include <utility>

namespace swf::avm2 {

namespace {

constexpr int RootClassError = 2023;

} // namespace

As3Movie::As3Movie(MoviePlayer &player) : m_player(player), m_rt(std::make_unique<Runtime>(player.version()))
{
    m_rt->movie = this;
    // The player's log ends lines the one way, whatever a script traced.
    m_rt->onTrace = [this](const QString &line) {
        QString text = line;
        m_player.trace(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n'));
    };
    m_rt->timers.clock = [this] { return int64_t(m_player.elapsedMs()); };
}

As3Movie::~As3Movie() = default;

void As3Movie::frameReached(DisplayObject &, const Frame &frame)
{
    for (const AbcBlock &block : frame.abcBlocks)
        m_rt->loadAbc(block.bytes, block.lazy);
    // Every link is known before the document class's constructor runs, so
    // that it finds its sounds wherever the tag lists it.
    for (const auto &[id, name] : frame.symbolClasses) {
        // SymbolClass names classes as "package.Name".
        const int dot = name.lastIndexOf(u'.');
        if (id != 0)
            m_linkedCharacters[dot < 0 ? name : name.left(dot) + QStringLiteral("::") + name.mid(dot + 1)] = id;
    }
    for (const auto &[id, name] : frame.symbolClasses)
        if (id == 0)
            linkRootClass(name);
}

const SoundDef *As3Movie::linkedSound(const Class &cls) const
{
    const MovieDef *movie = m_player.movie();
    if (!movie)
        return nullptr;
    for (const Class *c = &cls; c; c = c->superClass) {
        const auto it = m_linkedCharacters.find(c->qualifiedName());
        if (it != m_linkedCharacters.end())
            return dynamic_cast<const SoundDef *>(movie->character(it->second));
    }
    return nullptr;
}

std::shared_ptr<const std::vector<int16_t>> As3Movie::decodedSound(const SoundDef &sound)
{
    auto &decoded = m_decodedSounds[&sound];
    if (!decoded)
        decoded = std::make_shared<const std::vector<int16_t>>(DecodeSound(sound, SoundMixer::MaxEventFrames));
    return decoded;
}

void As3Movie::runTimers(qint64 frameStartMs) { m_rt->timers.runDue(*m_rt, frameStartMs); }
DisplayObjectNative *As3Movie::stage()
{
    if (!m_stage)
        m_stage = static_cast<DisplayObjectNative *>(m_rt->allocate(m_rt->builtin("flash.display::Stage")));
    return m_stage;
}

void As3Movie::linkRootClass(const QString &className)
{
    m_rt->runEntry([&] {
        // SymbolClass names classes as "package.Name".
        const int dot = className.lastIndexOf(u'.');
        Multiname name;
        name.name = className.mid(dot + 1);
        name.namespaces.push_back(
            m_rt->namespaces.intern(NamespaceKind::Package, dot < 0 ? QString() : className.left(dot)));
        Object *global = nullptr;
        if (!m_rt->lookupGlobal(name, global))
            return;
        const Value value = m_rt->getProperty(Value(global), name);
        auto *cls = dynamic_cast<Class *>(value.asObject());
        if (!cls || !cls->instanceInit)
            return;
        Class *sprite = m_rt->builtin("flash.display::Sprite");
        if (!sprite || !cls->isSubclassOf(sprite))
            m_rt->throwError(ErrorType::TypeError, RootClassError, QStringList{cls->qualifiedName() + u'$'});
        // The root is on the stage while its constructor runs.
        auto *root = static_cast<DisplayObjectNative *>(m_rt->allocate(cls));
        bindRoot(*root);
        m_rt->callMethod(cls->instanceInit, Value(static_cast<Object *>(root)), Args{});
    });
}

void As3Movie::bindRoot(DisplayObjectNative &root)
{
    root.bind(m_player.root());
    root.stageAbove = stage();
    m_rootObject = &root;
}

void As3Movie::clipEnteredFrame(DisplayObject &clip, int frame)
{
    m_frameScripts.push_back({&clip, clip.alive, frame});
}

void As3Movie::runFrameScripts()
{
    const std::vector<FrameScript> due = std::exchange(m_frameScripts, {});
    for (const FrameScript &entry : due) {
        if (entry.alive.expired())
            continue;
        auto *clip = dynamic_cast<MovieClipObject *>(entry.clip->as3Object);
        if (!clip)
            continue;
        const auto script = clip->frameScripts.find(entry.frame);
        if (script == clip->frameScripts.end())
            continue;
        const Value function = script->second;
        m_rt->runEntry([&] { m_rt->call(function, Value(static_cast<Object *>(clip)), Args{}); });
    }
}

void As3Movie::advanceFrame()
{
    broadcast("enterFrame");
    broadcast("frameConstructed");
    runFrameScripts();
    broadcast("exitFrame");
}

void As3Movie::addBroadcastTarget(DisplayObjectNative &object)
{
    if (!std::exchange(object.hearsBroadcasts, true))
        m_broadcastTargets.push_back(&object);
}

void As3Movie::broadcast(const char *type)
{
    const QString name = QString::fromLatin1(type);
    // Listeners may add and remove others: those listening as it begins hear it.
    std::vector<DisplayObjectNative *> targets;
    for (DisplayObjectNative *object : m_broadcastTargets)
        if (object->listensTo(name))
            targets.push_back(object);
    for (DisplayObjectNative *object : targets)
        m_rt->runEntry([&] {
            EventObject *event = NewEvent(*m_rt, "flash.events::Event", name);
            DispatchToTarget(*m_rt, *object, *event);
        });
    if (!targets.empty())
        m_player.markChanged();
}

void As3Movie::flushSharedObjects()
{
    m_rt->runEntry([this] { FlushSharedObjects(*m_rt); });
}

} // namespace swf::avm2
