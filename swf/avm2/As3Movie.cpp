#include "swf/avm2/As3Movie.h"

#include "swf/MoviePlayer.h"
#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

namespace {

constexpr int RootClassError = 2023;

} // namespace

As3Movie::As3Movie(MoviePlayer &player) : m_player(player), m_rt(std::make_unique<Runtime>())
{
    m_rt->onTrace = [this](const QString &line) { m_player.trace(line); };
    m_rt->timers.clock = [this] { return int64_t(m_player.elapsedMs()); };
}

As3Movie::~As3Movie() = default;

void As3Movie::frameReached(DisplayObject &, const Frame &frame)
{
    for (const AbcBlock &block : frame.abcBlocks)
        m_rt->loadAbc(block.bytes, block.lazy);
    for (const auto &[id, name] : frame.symbolClasses)
        if (id == 0)
            linkRootClass(name);
}

void As3Movie::runTimers(qint64 frameStartMs) { m_rt->timers.runDue(*m_rt, frameStartMs); }

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
        if (!cls)
            return;
        Class *sprite = m_rt->builtin("flash.display::Sprite");
        if (!sprite || !cls->isSubclassOf(sprite))
            m_rt->throwError(ErrorType::TypeError, RootClassError, QStringList{cls->qualifiedName() + u'$'});
        m_rt->constructClass(cls, Args{});
    });
}

} // namespace swf::avm2
