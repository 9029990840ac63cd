// Levels: movies loaded over the root, each the root of its own tree.
#include "MoviePlayer.h"

#include "swf/script/Interpreter.h"

#include <cmath>

namespace swf {

namespace {

const QLatin1String LevelPrefix("_level");
constexpr int FirstCaseSensitiveVersion = 7;

// A clip is the root of what it holds once a script set its _lockroot,
// from version 7 on.
constexpr int FirstVersionLockingRoots = 7;

bool locksRoot(const DisplayObject &clip, const QString &key)
{
    const Value *value = clip.object.own(key);
    if (!value)
        return false;
    if (const auto *b = std::get_if<bool>(value))
        return *b;
    const auto *d = std::get_if<double>(value);
    return d && *d != 0 && !std::isnan(*d);
}

} // namespace

std::optional<int> MoviePlayer::LevelNumber(const QString &name, int version)
{
    const Qt::CaseSensitivity rule = version >= FirstCaseSensitiveVersion ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (!name.startsWith(LevelPrefix, rule) || name.size() == LevelPrefix.size())
        return std::nullopt;
    const QStringView digits = QStringView(name).mid(LevelPrefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

DisplayObject *MoviePlayer::level(int number)
{
    if (number == 0)
        return &m_root;
    const auto it = m_levels.find(number);
    return it == m_levels.end() ? nullptr : it->second.get();
}

std::vector<const DisplayObject *> MoviePlayer::levels() const
{
    std::vector<const DisplayObject *> all{&m_root};
    for (const auto &[number, level] : m_levels)
        all.push_back(level.get());
    return all;
}

DisplayObject &MoviePlayer::rootOf(DisplayObject &clip)
{
    const QString key = m_script.key(QStringLiteral("_lockroot"));
    DisplayObject *at = &clip;
    for (; at->parent; at = at->parent)
        if (movieOf(*at).version >= FirstVersionLockingRoots && locksRoot(*at, key))
            return *at;
    return *at;
}

void MoviePlayer::loadLevel(int number, const QString &url, ClipLoadEvents events)
{
    if (number == 0) {
        loadMovie(m_root, url, std::move(events));
        return;
    }
    const QString folder = folderOf(m_root);
    // A load asked for on the first frame waits a frame longer, as the
    // reference player's first frame is shown before its clock starts.
    const quint64 due = std::max<quint64>(m_frames + 1, LoadFrames);
    const bool asked = m_movie && number > 0 && m_levelLoads.start(folder, url, due, [=](const MovieFile &file) {
        std::shared_ptr<const LoadedMovie> movie = file.ok() ? loadedMovie(folder, url, file.bytes) : nullptr;
        const bool room = m_levels.count(number) || m_levels.size() < size_t(MaxLevels);
        RunNative(*this, m_root, [&](ScriptContext &cx) {
            if (!movie || !room) {
                if (events.failed)
                    events.failed(cx, file.ok() ? MovieFile::Unreadable : file.status);
                return;
            }
            showLevel(number, movie, events);
            if (DisplayObject *shown = level(number); shown && events.loaded)
                events.loaded(cx, *shown, movie->bytes);
        });
    });
    if (!asked && events.failed)
        RunNative(*this, m_root, [&](ScriptContext &cx) { events.failed(cx, MovieFile::Refused); });
}

void MoviePlayer::unloadLevel(int number)
{
    if (DisplayObject *shown = level(number))
        unloadMovie(*shown);
}

void MoviePlayer::showLevel(int number, std::shared_ptr<const LoadedMovie> movie, const ClipLoadEvents &events)
{
    auto root = std::make_unique<DisplayObject>();
    root->level = number;
    root->depth = number;
    root->liveCount = &m_objects;
    root->serial = ++m_serial;
    ++m_objects;
    root->loaded = std::move(movie);
    root->timeline = &root->loaded->movie->root;
    Tracked shown;
    shown.set(root.get());
    m_levels[number] = std::move(root);
    m_enteredLevels.push_back({shown, events.initialized});
    m_changed = true;
}

void MoviePlayer::enterLoadedLevels()
{
    for (auto it = m_enteredLevels.rbegin(); it != m_enteredLevels.rend(); ++it) {
        DisplayObject *shown = it->level.get();
        if (!shown || shown->frameCount() == 0)
            continue;
        Created created;
        applyFrame(*shown, 0, created);
        enterFrame(*shown, 0);
        enterPlacedClips(created);
        queueLifecycleEvent(*shown, ClipAction::Load, "onLoad", m_queue);
    }
}

void MoviePlayer::queueLevelInits()
{
    for (auto it = m_enteredLevels.rbegin(); it != m_enteredLevels.rend(); ++it) {
        DisplayObject *shown = it->level.get();
        if (!shown || !it->initialized)
            continue;
        QueuedActions init{shown, shown->alive, {}};
        init.native = [target = it->level, initialized = it->initialized](ScriptContext &cx) {
            if (DisplayObject *clip = target.get())
                initialized(cx, *clip);
        };
        m_queue.push_back(std::move(init));
    }
    m_enteredLevels.clear();
}

bool MoviePlayer::enteredThisFrame(const DisplayObject &clip) const
{
    return std::any_of(m_enteredLevels.begin(), m_enteredLevels.end(),
                       [&](const EnteredLevel &entered) { return entered.level.get() == &clip; });
}

DisplayObject *MoviePlayer::buttonOnStage(const QPointF &stage)
{
    for (auto it = m_levels.rbegin(); it != m_levels.rend(); ++it)
        if (DisplayObject *found = buttonAt(*it->second, stage, QTransform()))
            return found;
    return buttonAt(m_root, stage, QTransform());
}

} // namespace swf
