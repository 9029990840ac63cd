#include "MoviePlayer.h"

#include "swf/ImageMovie.h"
#include "swf/avm2/As3Movie.h"
#include "swf/LocalConnectionHub.h"
#include "swf/MovieImports.h"
#include "swf/MovieFiles.h"
#include "swf/SoundMixer.h"
#include "swf/SoundTransforms.h"
#include "swf/TextFieldState.h"
#include "swf/builtins/TextField.h"
#include "swf/builtins/Video.h"
#include "swf/builtins/Builtins.h"
#include "swf/builtins/ClassRegistry.h"
#include "swf/script/Conversions.h"
#include "swf/script/Interpreter.h"
#include "swf/script/UrlVariables.h"
#include "swf/script/VariablePath.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <typeinfo>

#include <algorithm>
#include <utility>

namespace swf {

namespace {

// Clips call handler methods (onEnterFrame, onLoad) from this version on.
constexpr int FirstVersionWithHandlers = 6;

// The full state of one depth as a run of place commands leaves it.
struct Placement : DisplayProperties {
    int characterId = 0;
    int placedFrame = 0;

    // An object placed without a name keeps the one it was given.
    void applyTo(DisplayObject &o) const
    {
        QString given = std::move(o.name);
        static_cast<DisplayProperties &>(o) = *this;
        if (o.name.isEmpty())
            o.name = std::move(given);
    }
};

int nestingOf(const DisplayObject &clip)
{
    int depth = 0;
    for (const DisplayObject *p = clip.parent; p; p = p->parent)
        ++depth;
    return depth;
}

// A placement with a new character on an occupied depth swaps the character
// only between static graphics of one kind (shape for shape, text for text);
// clips and buttons stay, as the reference player keeps them.
bool replaceable(const Character *existing, const Character *replacement)
{
    if (!existing || !replacement || typeid(*existing) != typeid(*replacement))
        return false;
    return dynamic_cast<const ShapeDef *>(existing) || dynamic_cast<const MorphShapeDef *>(existing) ||
           dynamic_cast<const TextDef *>(existing) || dynamic_cast<const EditTextDef *>(existing);
}

bool sameName(const QString &a, const QString &b, int version)
{
    return version >= 7 ? a == b : a.compare(b, Qt::CaseInsensitive) == 0;
}

// The state each depth of a timeline has on a frame, as its place and
// remove commands up to there leave it.
std::map<int, Placement> placementsAt(const MovieDef &movie, const Timeline &timeline, int target)
{
    std::map<int, Placement> wanted;
    for (int f = 0; f <= target; ++f) {
        for (const DisplayCommand &command : timeline.frames[size_t(f)].display) {
            if (const auto *remove = std::get_if<RemoveCommand>(&command)) {
                wanted.erase(remove->depth);
                continue;
            }
            const PlaceCommand &p = std::get<PlaceCommand>(command);
            const auto it = wanted.find(p.depth);
            if ((it != wanted.end()) != p.move)
                continue;
            if (it != wanted.end() &&
                (!p.characterId || *p.characterId == it->second.characterId ||
                 !replaceable(movie.character(it->second.characterId), movie.character(*p.characterId)))) {
                it->second.take(p);
            } else if (p.characterId) {
                Placement placement = it != wanted.end() ? it->second : Placement{};
                if (it == wanted.end())
                    placement.placedFrame = f;
                placement.characterId = *p.characterId;
                placement.take(p);
                wanted[p.depth] = placement;
            }
        }
    }
    return wanted;
}

// Every clip under and including clip, in no particular order.
void collectClips(DisplayObject &clip, std::vector<DisplayObject *> &clips)
{
    if (clip.isSprite())
        clips.push_back(&clip);
    for (auto &[depth, child] : clip.children)
        collectClips(*child, clips);
}

// The length a movie's header gives for it, unpacked; what scripts see as its size.
qint64 DeclaredLength(const QByteArray &file)
{
    constexpr int LengthAt = 4;
    if (file.size() < LengthAt + 4)
        return file.size();
    const auto byte = [&](int i) { return quint32(quint8(file[LengthAt + i])); };
    return qint64(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
}

} // namespace

MoviePlayer::MoviePlayer() = default;

MoviePlayer::~MoviePlayer() = default;

bool MoviePlayer::load(const QByteArray &file, QString *error)
{
    unload();
    std::shared_ptr<MovieDef> movie = ParseMovie(file, error);
    if (!movie)
        return false;
    ResolveImports(*movie, m_folder);
    m_movie = movie;
    ++m_generation;
    m_bytes = DeclaredLength(file);
    m_clock.start();
    m_background = m_movie->background;
    m_root.timeline = &m_movie->root;
    m_root.playing = true;
    m_root.currentFrame = 0;
    m_script.reset(m_movie->version);
    if (m_movie->actionScript3)
        m_as3 = std::make_unique<avm2::As3Movie>(*this);
    if (m_sound)
        m_sound->setMovie(m_movie);
    if (m_root.timeline->hasStreamBlocks)
        m_streamClips.push_back({Tracked{&m_root, m_root.alive}, rootStreamKey()});
    if (m_root.frameCount() > 0) {
        Created created;
        applyFrame(m_root, 0, created);
        enterFrame(m_root, 0);
        enterPlacedClips(created);
        queueLifecycleEvent(m_root, ClipAction::Load, "onLoad", m_queue);
        runQueue();
        if (m_as3)
            m_as3->runFrameScripts();
    }
    updateStreams();
    m_changed = true;
    return true;
}

void MoviePlayer::replaceMovie()
{
    const QByteArray file = std::exchange(m_replacement, {});
    const QString path = std::exchange(m_replacementPath, {});
    if (!load(file, nullptr))
        return;
    setMovieFile(path);
    sharedObjects().setMovie(path);
}

void MoviePlayer::unload()
{
    FlushSharedObjects(m_script);
    if (m_as3)
        m_as3->flushSharedObjects();
    LocalConnectionHub::shared().forget(*this);
    m_queue.clear();
    m_initQueue.clear();
    m_unloading.clear();
    m_unloadRequests.clear();
    m_loads.clear();
    m_timedWork.clear();
    m_levelLoads.clear();
    m_enteredLevels.clear();
    m_levels.clear();
    m_replacement.clear();
    m_frames = 0;
    m_frameStartMs = 0;
    m_initialised.clear();
    m_soundTransform = {};
    m_clipSoundsSet = m_clipSoundsChanged = false;
    m_ownSoundTransforms.clear();
    if (m_sound)
        m_sound->setTransforms({});
    m_keysDown.clear();
    m_lastKey = m_lastAscii = 0;
    m_streamClips.clear();
    if (m_sound)
        m_sound->setMovie(nullptr);
    m_root.children.clear();
    m_root.object = ScriptObject();
    m_script.reset(0);
    m_as3.reset();
    m_root.timeline = nullptr;
    m_root.currentFrame = 0;
    m_root.playing = false;
    m_movie.reset();
    m_loadedMovies.clear();
    m_hover.set(nullptr);
    m_pressed.set(nullptr);
    m_focus.set(nullptr);
    m_background = Qt::white;
    m_stageLayout = StageLayout();
    m_scriptsStopped = false;
    showPointer(true);
    m_changed = true;
}

MoviePlayer::FieldVariable MoviePlayer::fieldVariable(const DisplayObject &field)
{
    const QString variable = field.textField ? field.textField->variable() : QString();
    if (variable.isEmpty() || !field.parent)
        return {};
    const auto [path, name, viaPath] = SplitVariablePath(variable, version());
    return {path.isEmpty() ? field.parent : resolveTarget(*field.parent, path), name};
}

std::optional<QString> MoviePlayer::boundText(const DisplayObject &field)
{
    const auto [owner, name] = fieldVariable(field);
    const Value *value = owner ? owner->object.own(m_script.key(name)) : nullptr;
    // Text, numbers and truth values show; objects, clips and nothing leave the field as it is.
    if (value && (std::holds_alternative<QString>(*value) || std::holds_alternative<double>(*value) ||
                  std::holds_alternative<bool>(*value)))
        return Conversions::plainText(*value, version());
    return std::nullopt;
}

bool MoviePlayer::writeBoundVariable(const DisplayObject &field, const QString &text)
{
    const auto [owner, name] = fieldVariable(field);
    if (!owner)
        return false;
    owner->object.set(m_script.key(name), name, text);
    m_changed = true;
    return true;
}

void MoviePlayer::bindField(const DisplayObject &field)
{
    // A variable that does not exist yet starts with the field's text.
    const auto [owner, name] = fieldVariable(field);
    if (owner && !owner->object.own(m_script.key(name)))
        owner->object.set(m_script.key(name), name, field.textField->text());
}

DisplayObject *MoviePlayer::createTextField(DisplayObject &parent, const QString &name, int depth, const QRectF &bounds)
{
    DisplayObject *field = placeDynamic(parent, &ScriptFieldDefinition(), 0, name, depth, nullptr);
    if (field && field->textField) {
        field->matrix = QTransform::fromTranslate(bounds.x(), bounds.y());
        field->textField->setSize(bounds.width(), bounds.height());
    }
    return field;
}

bool MoviePlayer::takeChanged()
{
    const bool changed = m_changed;
    m_changed = false;
    return changed;
}

void MoviePlayer::advance()
{
    if (!m_movie)
        return;
    m_work = MaxWorkPerFrame;
    m_frameStartMs = elapsedMs();
    for (const ScriptEngine::Interval &interval : m_script.takeDueIntervals(m_frameStartMs))
        RunInterval(*this, m_root, interval);
    runTimedWork();
    if (m_as3)
        m_as3->runTimers(m_frameStartMs);
    DeliverLocalConnections(*this);
    ++m_frames;
    m_levelLoads.completeDue(m_frames);
    enterLoadedLevels();
    runFrames();
    if (m_as3)
        m_as3->advanceFrame();
    queueLevelInits();
    // Loads complete once every clip has moved on, so a loaded movie shows
    // its first frame now and moves on with the next.
    m_loads.completeDue(m_frames);
    runQueue();
    if (emptyUnloadedMovies())
        runQueue();
    if (!m_replacement.isEmpty())
        replaceMovie();
    // Between frames no script runs, so every object in use hangs off a
    // clip or the globals.
    if (m_script.wantsCollection())
        m_script.collectGarbage(levels());
    // Clips came, went and moved: their sounds follow the transforms they are under now.
    shareSoundTransforms();
}

void MoviePlayer::gotoFrame(int frame)
{
    if (!m_movie || m_root.frameCount() == 0)
        return;
    gotoFrame(m_root, frame, m_root.playing);
    runQueue();
}

void MoviePlayer::play()
{
    m_root.playing = true;
    updateStreams();
}

void MoviePlayer::stop()
{
    m_root.playing = false;
    updateStreams();
}

void MoviePlayer::stopSounds()
{
    ++m_soundStops;
    if (!m_sound)
        return;
    m_sound->stopSounds();
    // Streams come back when their timelines next move.
    for (StreamClip &stream : m_streamClips)
        if (const DisplayObject *clip = stream.clip.get())
            stream.lastFrame = clip->currentFrame;
}

bool MoviePlayer::startExportedSound(const QString &name, const SoundInfo &info, const void *owner)
{
    if (!m_movie || !m_sound)
        return false;
    const auto *sound = dynamic_cast<const SoundDef *>(m_movie->character(m_movie->exports.value(ExportKey(name), -1)));
    if (!sound)
        return false;
    shareChangedSoundTransforms();
    m_sound->startSound(*sound, info, owner);
    return true;
}

const SoundDef *MoviePlayer::exportedSound(const QString &name) const
{
    return m_movie ? dynamic_cast<const SoundDef *>(m_movie->character(m_movie->exports.value(name.toLower(), -1)))
                   : nullptr;
}

void MoviePlayer::startLoadedSound(const void *key, std::shared_ptr<const std::vector<int16_t>> samples,
                                   const SoundInfo &info, const void *owner)
{
    if (!m_sound)
        return;
    shareChangedSoundTransforms();
    m_sound->startSamples(key, std::move(samples), info, owner);
}

void MoviePlayer::clipSoundChanged()
{
    m_clipSoundsSet = m_clipSoundsChanged = true;
}

void MoviePlayer::setOwnSoundTransform(const void *owner, std::optional<SoundTransform> transform)
{
    if (transform)
        m_ownSoundTransforms[owner] = *transform;
    else
        m_ownSoundTransforms.erase(owner);
    clipSoundChanged();
}

void MoviePlayer::shareSoundTransforms()
{
    m_clipSoundsChanged = false;
    if (!m_sound || !m_clipSoundsSet)
        return;
    std::map<const void *, SoundTransform> heard = HeardSoundTransforms(levels());
    heard.insert(m_ownSoundTransforms.begin(), m_ownSoundTransforms.end());
    m_sound->setTransforms(std::move(heard));
}

void MoviePlayer::shareChangedSoundTransforms()
{
    if (m_clipSoundsChanged)
        shareSoundTransforms();
}

void MoviePlayer::stopLoadedSound(const void *key)
{
    if (m_sound)
        m_sound->stopSamples(key);
}

bool MoviePlayer::runAt(const void *key, qint64 dueMs, TimedWork work)
{
    const auto same = std::find_if(m_timedWork.begin(), m_timedWork.end(),
                                   [key](const auto &entry) { return entry.second.first == key; });
    if (same != m_timedWork.end())
        m_timedWork.erase(same);
    if (!m_movie || m_timedWork.size() >= size_t(MaxTimedWork))
        return false;
    m_timedWork.emplace(dueMs, std::make_pair(key, std::move(work)));
    return true;
}

void MoviePlayer::runTimedWork()
{
    // What runs may ask for more; that waits for a later frame.
    std::vector<TimedWork> due;
    while (!m_timedWork.empty() && m_timedWork.begin()->first <= m_frameStartMs) {
        due.push_back(std::move(m_timedWork.begin()->second.second));
        m_timedWork.erase(m_timedWork.begin());
    }
    for (const TimedWork &work : due)
        RunNative(*this, m_root, work);
}

void MoviePlayer::stopExportedSound(const QString &name)
{
    SoundInfo stop;
    stop.stop = true;
    startExportedSound(name, stop);
}

void MoviePlayer::setSoundVolume(int percent)
{
    m_soundTransform.volume = percent;
    if (m_sound)
        m_sound->setVolume(percent);
}

DisplayObject *MoviePlayer::placeDynamic(DisplayObject &parent, const Character *character, int characterId,
                                         const QString &name, int depth, const DisplayProperties *copyFrom)
{
    if (!m_movie || !parent.isSprite() || !character)
        return nullptr;
    const int at = std::min(depth, MaxScriptDepth) + DynamicDepths;
    Created created;
    std::unique_ptr<DisplayObject> object = instantiate(parent, character, characterId, created);
    if (!object)
        return nullptr;
    if (copyFrom)
        static_cast<DisplayProperties &>(*object) = *copyFrom;
    object->name = name;
    object->depth = at;
    object->placedFrame = parent.currentFrame;
    object->scripted = true;
    DisplayObject *placed = object.get();
    removeObject(parent, at);
    parent.children[at] = std::move(object);
    enterPlacedClips(created, placed);
    m_changed = true;
    return placed;
}

DisplayObject *MoviePlayer::duplicateClip(DisplayObject &clip, const QString &name, int depth)
{
    if (!clip.parent || !clip.isSprite() || &clip == &m_root)
        return nullptr;
    const DisplayProperties properties = clip;
    return placeDynamic(*clip.parent, clip.character, clip.characterId, name, depth, &properties);
}

DisplayObject *MoviePlayer::attachClip(DisplayObject &parent, const QString &exportName, const QString &name, int depth)
{
    if (!m_movie)
        return nullptr;
    if (exportName.isEmpty())
        return placeDynamic(parent, &m_emptyClip, 0, name, depth, nullptr);
    const MovieDef &movie = movieOf(parent);
    const int id = movie.exports.value(ExportKey(exportName), -1);
    const Character *character = movie.character(id);
    return dynamic_cast<const SpriteDef *>(character) ? placeDynamic(parent, character, id, name, depth, nullptr)
                                                      : nullptr;
}

void MoviePlayer::placeScriptShape(DisplayObject &parent, std::shared_ptr<const ShapeDef> shape, int depth)
{
    if (DisplayObject *placed = placeDynamic(parent, shape.get(), 0, QString(), depth, nullptr))
        placed->ownCharacter = std::move(shape);
}

void MoviePlayer::removeClip(DisplayObject &clip)
{
    const qint64 depth = qint64(clip.depth) - DynamicDepths;
    if (clip.parent && !clip.removed && depth >= 0 && depth <= MaxRemovableDepth)
        removeObject(*clip.parent, clip.depth);
}

void MoviePlayer::unloadMovie(DisplayObject &clip)
{
    if (m_unloadRequests.size() >= size_t(MaxObjects))
        return;
    Tracked t;
    t.set(&clip);
    m_unloadRequests.push_back({t, m_frames});
}

bool MoviePlayer::emptyUnloadedMovies()
{
    const size_t queued = m_queue.size();
    std::vector<UnloadRequest> waiting;
    for (const UnloadRequest &request : std::exchange(m_unloadRequests, {})) {
        if (request.frame >= m_frames)
            waiting.push_back(request);
        else if (DisplayObject *clip = request.clip.get(); clip && clip->isSprite() && !clip->removed)
            emptyOrDrop(*clip);
    }
    m_unloadRequests = std::move(waiting);
    return m_queue.size() != queued;
}

void MoviePlayer::emptyOrDrop(DisplayObject &clip)
{
    empty(clip);
    // A level unloaded is gone, and its name names nothing.
    if (!clip.parent && clip.level > 0)
        m_levels.erase(clip.level);
}

void MoviePlayer::empty(DisplayObject &clip)
{
    std::vector<int> depths;
    for (const auto &[depth, child] : clip.children)
        depths.push_back(depth);
    for (const int depth : depths)
        removeObject(clip, depth);
    clip.object = ScriptObject();
    clip.drawing.reset();
    // What still waits on its unload scripts is made of the old movie.
    if (clip.loaded)
        m_retiredMovies.push_back(std::move(clip.loaded));
    clip.loaded.reset();
    clip.character = &m_emptyClip;
    clip.characterId = 0;
    clip.timeline = &m_emptyClip.timeline;
    clip.currentFrame = 0;
    m_changed = true;
}

const MovieDef &MoviePlayer::movieOf(const DisplayObject &clip) const
{
    for (const DisplayObject *at = &clip; at; at = at->parent) {
        if (at->definedIn)
            return *at->definedIn;
        if (at->loaded)
            return *at->loaded->movie;
    }
    return *m_movie;
}

void MoviePlayer::setMovieFile(const QString &absolutePath)
{
    m_folder = QFileInfo(absolutePath).path();
    m_url = QUrl::fromLocalFile(absolutePath).toString();
}

QString MoviePlayer::urlOf(const DisplayObject &clip) const
{
    for (const DisplayObject *at = &clip; at; at = at->parent)
        if (at->loaded)
            return at->loaded->url;
    return m_url;
}

qint64 MoviePlayer::bytesOf(const DisplayObject &clip) const
{
    if (clip.loaded)
        return clip.loaded->bytes;
    return &clip == &m_root ? m_bytes : 0;
}

QString MoviePlayer::folderOf(const DisplayObject &clip) const
{
    for (const DisplayObject *at = &clip; at; at = at->parent)
        if (at->loaded)
            return at->loaded->folder;
    return m_folder;
}

bool MoviePlayer::loadFile(const DisplayObject &from, const QString &url, FileDone done)
{
    if (!m_movie)
        return false;
    return m_loads.start(folderOf(from), url, m_frames + LoadFrames,
                         [this, done = std::move(done)](const MovieFile &file) {
                             RunNative(*this, m_root, [&](ScriptContext &cx) { done(cx, file); });
                         });
}

void MoviePlayer::loadMovie(DisplayObject &clip, const QString &url, ClipLoadEvents events)
{
    Tracked target;
    target.set(&clip);
    const QString folder = folderOf(clip);
    const bool asked = loadFile(clip, url, [=](ScriptContext &cx, const MovieFile &file) {
        DisplayObject *into = target.get();
        std::shared_ptr<const LoadedMovie> movie = into && file.ok() ? loadedMovie(folder, url, file.bytes) : nullptr;
        if (!movie) {
            if (events.failed)
                events.failed(cx, file.ok() ? MovieFile::Unreadable : file.status);
            return;
        }
        // A movie loaded into the root replaces the whole movie once the frame is over.
        if (into == &m_root) {
            m_replacement = file.bytes;
            m_replacementPath = MovieFilePath(folder, url).value_or(QString());
            return;
        }
        showLoadedMovie(*into, std::move(movie), events);
        if (DisplayObject *shown = target.get(); shown && events.loaded)
            events.loaded(cx, *shown, shown->loaded->bytes);
    });
    if (!asked && events.failed)
        RunNative(*this, m_root, [&](ScriptContext &cx) { events.failed(cx, MovieFile::Refused); });
}

void MoviePlayer::loadVariables(DisplayObject &clip, const QString &url)
{
    Tracked target;
    target.set(&clip);
    loadFile(clip, url, [this, target](ScriptContext &cx, const MovieFile &file) {
        DisplayObject *into = target.get();
        if (!into || !file.ok())
            return;
        for (const auto &[name, value] : DecodeUrlVariables(QString::fromUtf8(file.bytes)))
            cx.setMember(refTo(into), name, value);
        // Clips hear that their variables came as a data event.
        queueClipEvent(*into, ClipAction::Data, m_script.key(QStringLiteral("onData")));
    });
}

std::shared_ptr<const LoadedMovie> MoviePlayer::loadedMovie(const QString &folder, const QString &url,
                                                            const QByteArray &bytes)
{
    const QString path = MovieFilePath(folder, url).value_or(QString());
    if (std::shared_ptr<const LoadedMovie> known = m_loadedMovies.value(path).lock(); known && known->bytes == bytes.size())
        return known;
    std::shared_ptr<MovieDef> parsed = ParseMovie(bytes, nullptr);
    // A picture's size is its file's; a movie's, what its header says.
    const qint64 size = parsed ? DeclaredLength(bytes) : bytes.size();
    if (parsed)
        ResolveImports(*parsed, QFileInfo(path).path());
    else
        parsed = ImageMovie(bytes, version());
    if (!parsed)
        return nullptr;
    auto movie = std::make_shared<LoadedMovie>();
    movie->movie = std::move(parsed);
    movie->folder = QFileInfo(path).path();
    movie->url = QUrl::fromLocalFile(path).toString();
    movie->bytes = size;
    // Forgotten entries go now and then, so the table stays as small as what is shown.
    if (m_loadedMovies.size() >= MaxLoadedMovies)
        m_loadedMovies.removeIf([](const auto &entry) { return entry.value().expired(); });
    if (m_loadedMovies.size() < MaxLoadedMovies)
        m_loadedMovies.insert(path, movie);
    return movie;
}

void MoviePlayer::showLoadedMovie(DisplayObject &clip, std::shared_ptr<const LoadedMovie> movie,
                                  const ClipLoadEvents &events)
{
    if (clip.removed || !clip.isSprite())
        return;
    empty(clip);
    clip.loaded = std::move(movie);
    clip.timeline = &clip.loaded->movie->root;
    clip.playing = true;
    if (clip.frameCount() == 0)
        return;
    Created created;
    applyFrame(clip, 0, created);
    enterFrame(clip, 0);
    enterPlacedClips(created);
    queueLifecycleEvent(clip, ClipAction::Load, "onLoad", m_queue);
    if (events.initialized) {
        Tracked target;
        target.set(&clip);
        QueuedActions init{&clip, clip.alive, {}};
        init.native = [target, initialized = events.initialized](ScriptContext &cx) {
            if (DisplayObject *shown = target.get())
                initialized(cx, *shown);
        };
        m_queue.push_back(std::move(init));
    }
}

void MoviePlayer::swapDepths(DisplayObject &clip, qint64 depth)
{
    DisplayObject *parent = clip.parent;
    if (!parent || clip.removed || depth < -DynamicDepths || depth > MaxScriptDepth)
        return;
    const int from = clip.depth;
    const int to = int(depth) + DynamicDepths;
    if (to == from)
        return;
    std::unique_ptr<DisplayObject> moving = std::move(parent->children[from]);
    parent->children.erase(from);
    const auto other = parent->children.find(to);
    if (other != parent->children.end()) {
        std::unique_ptr<DisplayObject> displaced = std::move(other->second);
        parent->children.erase(other);
        displaced->depth = from;
        displaced->scripted = true;
        parent->children[from] = std::move(displaced);
    }
    // A clip a script has moved is the script's: the timeline no longer removes it.
    moving->depth = to;
    moving->scripted = true;
    parent->children[to] = std::move(moving);
    m_changed = true;
}

void MoviePlayer::updateStreams()
{
    if (!m_sound)
        return;
    for (auto it = m_streamClips.begin(); it != m_streamClips.end();) {
        DisplayObject *clip = it->clip.get();
        if (!clip) {
            m_sound->stopStream(it->key);
            it = m_streamClips.erase(it);
            continue;
        }
        const int frame = clip->currentFrame;
        if (!clip->playing) {
            m_sound->stopStream(it->key);
        } else if (frame != it->lastFrame) {
            // A stopped stream, or one whose timeline jumped, starts again
            // where the timeline now is.
            const bool inStep = it->lastFrame >= 0 && frame == (it->lastFrame + 1) % clip->frameCount() &&
                                m_sound->streamPlaying(it->key);
            if (!inStep)
                m_sound->startStream(it->key, *clip->timeline, frame);
        }
        it->lastFrame = frame;
        ++it;
    }
}

void MoviePlayer::runFrames()
{
    // Clips made during the walk wait for the next frame.
    std::vector<DisplayObject *> found;
    collectClips(m_root, found);
    for (auto &[number, level] : m_levels)
        if (!enteredThisFrame(*level))
            collectClips(*level, found);
    std::sort(found.begin(), found.end(),
              [](const DisplayObject *a, const DisplayObject *b) { return a->serial > b->serial; });
    std::vector<Tracked> clips(found.size());
    for (size_t i = 0; i < found.size(); ++i)
        clips[i].set(found[i]);
    const QString handlerKey = m_script.key(QStringLiteral("onEnterFrame"));
    for (const Tracked &t : clips) {
        DisplayObject *clip = t.get();
        if (!clip || clip->removed)
            continue;
        if (version() >= 5)
            queueClipEvent(*clip, ClipAction::EnterFrame, handlerKey);
        if (clip->playing && clip->frameCount() > 1)
            goTo(*clip, clip->currentFrame + 1 >= clip->frameCount() ? 0 : clip->currentFrame + 1);
    }
}

void MoviePlayer::gotoFrame(DisplayObject &clip, int frame, bool play)
{
    if (!clip.isSprite() || clip.frameCount() == 0)
        return;
    goTo(clip, std::clamp(frame, 0, clip.frameCount() - 1));
    clip.playing = play;
}

bool MoviePlayer::gotoLabel(DisplayObject &clip, const QString &label, bool play)
{
    if (!clip.isSprite())
        return false;
    const int frame = clip.timeline->labels.value(label.toLower(), -1);
    if (frame < 0)
        return false;
    gotoFrame(clip, frame, play);
    return true;
}

void MoviePlayer::goTo(DisplayObject &clip, int target)
{
    if (target == clip.currentFrame)
        return;
    // Going back, the timeline runs again from its first frame on the depths
    // whose objects did not stay, so clips placed and removed on the way are
    // made and unloaded again.
    std::set<int> kept;
    int from = clip.currentFrame + 1;
    if (target < clip.currentFrame) {
        kept = rewind(clip, target);
        from = 0;
    }
    clip.currentFrame = target;
    for (int f = from; f <= target; ++f) {
        Created created;
        const bool whole = applyFrame(clip, f, created, &kept);
        if (!whole)
            clip.currentFrame = std::max(f - 1, 0);
        else if (f == target)
            enterFrame(clip, target);
        enterPlacedClips(created);
        if (!whole)
            break;
    }
    m_changed = true;
}

void MoviePlayer::enterPlacedClips(const Created &created, const DisplayObject *scriptMade)
{
    for (const Tracked &t : created)
        if (DisplayObject *c = t.get())
            enterPlacedClip(*c, c == scriptMade);
}

namespace {

// The name a clip's symbol is exported as, or an empty one.
QString exportNameOf(const MovieDef &movie, const DisplayObject &clip)
{
    if (!clip.isSprite() || !clip.character)
        return {};
    for (auto it = movie.exports.cbegin(); it != movie.exports.cend(); ++it)
        if (it.value() == clip.character->id)
            return it.key();
    return {};
}

} // namespace

void MoviePlayer::enterPlacedClip(DisplayObject &clip, bool constructNow)
{
    queueLifecycleEvent(clip, ClipAction::Initialize, nullptr, m_initQueue);
    // A clip of a symbol with a class registered when its turn comes (an
    // init action may register it) takes the class's prototype once its
    // initialize events ran, and its constructor after its construct
    // events. A script's new clip gets them from the script.
    const QString exportName = constructNow ? QString() : exportNameOf(movieOf(clip), clip);
    DisplayObject *target = &clip;
    const bool registered = !exportName.isEmpty();
    if (registered)
        m_initQueue.push_back({&clip, clip.alive, {}, nullptr, {}, false, {}, {}, [this, target, exportName](ScriptContext &) {
                                   AdoptRegisteredClass(m_script, *target, exportName);
                               }});
    if (constructNow)
        this->constructNow(clip);
    else
        queueLifecycleEvent(clip, ClipAction::Construct, nullptr, m_initQueue);
    if (registered)
        m_initQueue.push_back({&clip, clip.alive, {}, nullptr, {}, false, {}, {}, [target, exportName](ScriptContext &cx) {
                                   ConstructRegisteredClass(cx, *target, exportName);
                               }});
    enterFrame(clip, 0);
    queueLifecycleEvent(clip, ClipAction::Load, "onLoad", m_queue);
}

void MoviePlayer::constructNow(DisplayObject &clip)
{
    const std::shared_ptr<const std::vector<ClipAction>> actions = clip.clipActions;
    if (!actions)
        return;
    const std::weak_ptr<char> alive = clip.alive;
    for (const ClipAction &action : *actions) {
        // The clip may remove itself, and constructing may make clips that construct.
        if (alive.expired() || m_script.callDepth >= ScriptEngine::MaxCallDepth)
            return;
        if (action.events & ClipAction::Construct) {
            ScriptEngine::NestedCall nested(m_script);
            RunActions(*this, clip, action.actions);
        }
    }
}

void MoviePlayer::queueClipEvent(DisplayObject &clip, uint32_t events, const QString &handlerKey)
{
    if (clip.clipActions)
        for (const ClipAction &action : *clip.clipActions)
            if (action.events & events)
                m_queue.push_back({&clip, clip.alive, action.actions});
    if (handlerKey.isEmpty() || version() < FirstVersionWithHandlers)
        return;
    if (ScriptObject *handler = handlerOf(clip, handlerKey))
        m_queue.push_back({&clip, clip.alive, QByteArray(), handler});
}

void MoviePlayer::queueLifecycleEvent(DisplayObject &clip, uint32_t event, const char *handlerName, Queue &queue)
{
    if (clip.clipActions)
        for (const ClipAction &action : *clip.clipActions)
            if (action.events & event)
                queue.push_back({&clip, clip.alive, action.actions, nullptr, QString(), true});
    if (handlerName && version() >= FirstVersionWithHandlers)
        queue.push_back({&clip, clip.alive, QByteArray(), nullptr, m_script.key(QLatin1String(handlerName)), true});
}

ScriptObject *MoviePlayer::handlerOf(const DisplayObject &clip, const QString &handlerKey) const
{
    // A class's prototype may hold the handler for all its clips.
    const Value *value = clip.object.own(handlerKey);
    if (!value)
        if (const ScriptObject *prototype = m_script.clipPrototype(clip))
            value = prototype->find(handlerKey);
    const auto *handler = value ? std::get_if<ScriptObject *>(value) : nullptr;
    return handler && (*handler)->isCallable() ? *handler : nullptr;
}

void MoviePlayer::broadcastClipEvent(uint32_t events, const QString &handlerName, const QString &listenersOf)
{
    // Every frame and pointer move comes here: the key is made once, not per clip.
    const QString handlerKey = m_script.key(handlerName);
    const std::function<void(DisplayObject &)> visit = [&](DisplayObject &clip) {
        for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it)
            if (it->second->isSprite())
                visit(*it->second);
        queueClipEvent(clip, events, handlerKey);
    };
    visit(m_root);
    for (auto &[number, level] : m_levels)
        visit(*level);
    if (!listenersOf.isEmpty())
        m_queue.push_back({&m_root, m_root.alive, {}, nullptr, {}, false, listenersOf, handlerName});
}

void MoviePlayer::enterFrame(DisplayObject &clip, int frame)
{
    enqueueFrameActions(clip, frame);
    if (!m_sound || !clip.isSprite() || frame < 0 || frame >= clip.frameCount())
        return;
    for (const SoundStart &start : clip.timeline->frames[size_t(frame)].sounds)
        if (const auto *sound = dynamic_cast<const SoundDef *>(movieOf(clip).character(start.soundId)))
            m_sound->startSound(*sound, start.info, clip.alive.get());
}

void MoviePlayer::enqueueFrameActions(DisplayObject &clip, int frame)
{
    if (!clip.isSprite() || frame < 0 || frame >= clip.frameCount())
        return;
    const Frame &f = clip.timeline->frames[size_t(frame)];
    // An ActionScript 3 movie runs its blocks once, and no older actions.
    if (m_as3) {
        if ((!f.abcBlocks.empty() || !f.symbolClasses.empty()) && m_initialised.insert(&f).second)
            m_as3->frameReached(clip, f);
        m_as3->clipEnteredFrame(clip, frame);
        return;
    }
    // Init actions run before the events of the clips the frame places.
    if (!f.initActions.empty() && m_initialised.insert(&f).second)
        for (const QByteArray &actions : f.initActions)
            m_initQueue.push_back({&clip, clip.alive, actions});
    for (const QByteArray &actions : f.actions)
        m_queue.push_back({&clip, clip.alive, actions});
}

bool MoviePlayer::applyFrame(DisplayObject &clip, int frame, Created &created, const std::set<int> *skip)
{
    const Frame &f = clip.timeline->frames[size_t(frame)];
    for (const DisplayCommand &command : f.display) {
        const auto *p = std::get_if<PlaceCommand>(&command);
        const int depth = p ? p->depth : std::get<RemoveCommand>(command).depth;
        if (skip && skip->count(depth))
            continue;
        m_changed = true;
        if (!p)
            removeObject(clip, depth);
        else if (!place(clip, *p, frame, created))
            return false;
    }
    return true;
}

bool MoviePlayer::place(DisplayObject &parent, const PlaceCommand &command, int frame, Created &created)
{
    const auto it = parent.children.find(command.depth);
    DisplayObject *existing = it == parent.children.end() ? nullptr : it->second.get();
    // The reference player's timeline sticks on a new placement of nothing:
    // it stays on the frame before, trying this one again each frame.
    if (!existing && !command.move && !command.characterId)
        return false;
    // A new placement on a taken depth is ignored (but in version 5 movies), and so is a move of an empty one.
    if (bool(existing) != command.move) {
        if (existing && command.characterId && movieOf(parent).version <= SharedDepthVersion)
            placeBeneath(*existing, command, frame, created);
        return true;
    }
    if (existing && (!command.characterId || *command.characterId == existing->characterId ||
                     !replaceable(existing->character, movieOf(parent).character(*command.characterId)))) {
        existing->take(command);
        return true;
    }
    if (!command.characterId)
        return true;
    // An unnamed clip takes its number before the clips its first frame places.
    const Character *character = movieOf(parent).character(*command.characterId);
    const int number = !existing && !command.name && namedWhenPlaced(character) ? ++m_unnamedPlaced : 0;
    std::unique_ptr<DisplayObject> object = instantiate(parent, character, *command.characterId, created);
    if (!object)
        return true;
    object->depth = command.depth;
    object->placedFrame = frame;
    if (existing) {
        // Replacing the character keeps the transforms of the old one.
        static_cast<DisplayProperties &>(*object) = *existing;
        object->placedFrame = existing->placedFrame;
    }
    object->take(command);
    if (number)
        object->name = QStringLiteral("instance%1").arg(number);
    // A field the tag gives a text starts its variable with it.
    if (const auto *edit = dynamic_cast<const EditTextDef *>(object->character); edit && edit->hasText && !existing)
        bindField(*object);
    parent.children[command.depth] = std::move(object);
    return true;
}

void MoviePlayer::placeBeneath(DisplayObject &existing, const PlaceCommand &command, int frame, Created &created)
{
    // A timeline passing the frame again (looping) does not stack more.
    for (const auto &below : existing.beneath)
        if (below->characterId == *command.characterId && below->placedFrame == frame)
            return;
    std::unique_ptr<DisplayObject> object = instantiate(*existing.parent, *command.characterId, created);
    if (!object)
        return;
    object->depth = command.depth;
    object->placedFrame = frame;
    object->take(command);
    existing.beneath.push_back(std::move(object));
}

bool MoviePlayer::namedWhenPlaced(const Character *character)
{
    return dynamic_cast<const SpriteDef *>(character) || dynamic_cast<const ButtonDef *>(character) ||
           dynamic_cast<const EditTextDef *>(character) || dynamic_cast<const VideoDef *>(character);
}

std::unique_ptr<DisplayObject> MoviePlayer::instantiate(DisplayObject &parent, int characterId, Created &created)
{
    return instantiate(parent, movieOf(parent).character(characterId), characterId, created);
}

std::unique_ptr<DisplayObject> MoviePlayer::instantiate(DisplayObject &parent, const Character *character,
                                                        int characterId, Created &created)
{
    if (!character || m_objects >= MaxObjects || nestingOf(parent) >= MaxNesting)
        return nullptr;
    auto object = std::make_unique<DisplayObject>();
    object->character = character;
    object->characterId = characterId;
    object->parent = &parent;
    object->liveCount = &m_objects;
    object->serial = ++m_serial;
    ++m_objects;
    const std::map<int, std::shared_ptr<const MovieDef>> &imported = movieOf(parent).importedFrom;
    if (const auto source = imported.find(characterId); source != imported.end())
        object->definedIn = source->second;
    if (const auto *sprite = dynamic_cast<const SpriteDef *>(character)) {
        object->timeline = &sprite->timeline;
        Tracked t;
        t.set(object.get());
        created.push_back(t);
        if (sprite->timeline.hasStreamBlocks)
            m_streamClips.push_back({t, object->alive.get()});
        if (object->frameCount() > 0)
            applyFrame(*object, 0, created);
    } else if (dynamic_cast<const ButtonDef *>(character)) {
        rebuildButton(*object);
    } else if (const auto *edit = dynamic_cast<const EditTextDef *>(character)) {
        object->textField = std::make_shared<TextFieldState>(*edit);
        if (ScriptObject *prototype = TextFieldPrototype(m_script))
            object->object.setPrototype(prototype);
    } else if (const auto *video = dynamic_cast<const VideoDef *>(character)) {
        object->video = std::make_shared<VideoState>();
        object->video->smoothing = video->smoothing;
        object->video->deblocking = video->deblocking;
        if (ScriptObject *prototype = VideoPrototype(m_script))
            object->object.setPrototype(prototype);
    }
    return object;
}

std::set<int> MoviePlayer::rewind(DisplayObject &clip, int target)
{
    const std::map<int, Placement> wanted = placementsAt(movieOf(clip), *clip.timeline, target);
    std::set<int> kept;
    std::vector<int> gone;
    for (const auto &[depth, child] : clip.children) {
        if (child->scripted || child->removed)
            continue;
        const auto w = wanted.find(depth);
        if (w != wanted.end() && w->second.characterId == child->characterId &&
            w->second.placedFrame == child->placedFrame) {
            w->second.applyTo(*child);
            kept.insert(depth);
        } else {
            gone.push_back(depth);
        }
    }
    for (const int depth : gone)
        removeObject(clip, depth);
    return kept;
}

void MoviePlayer::removeObject(DisplayObject &parent, int depth)
{
    const auto it = parent.children.find(depth);
    if (it == parent.children.end() || it->second->removed)
        return;
    m_changed = true;
    // The reference player's place for a clip whose unload scripts are pending.
    const int waiting = -depth - 1;
    const QString handlerKey = m_script.key(QStringLiteral("onUnload"));
    if (!hasUnloadWork(*it->second, handlerKey, 0) || parent.children.count(waiting)) {
        parent.children.erase(it);
        return;
    }
    std::unique_ptr<DisplayObject> moving = std::move(it->second);
    parent.children.erase(it);
    moving->depth = waiting;
    DisplayObject &clip = *moving;
    parent.children[waiting] = std::move(moving);
    Tracked t;
    t.set(&clip);
    m_unloading.push_back(t);
    startUnloading(clip, handlerKey, 0);
}

bool MoviePlayer::hasUnloadWork(const DisplayObject &clip, const QString &handlerKey, int nesting) const
{
    if (!clip.isSprite())
        return false;
    if ((clip.clipEvents() & ClipAction::Unload) || (version() >= 6 && handlerOf(clip, handlerKey)))
        return true;
    if (nesting >= MaxNesting)
        return false;
    for (const auto &[depth, child] : clip.children)
        if (hasUnloadWork(*child, handlerKey, nesting + 1))
            return true;
    return false;
}

void MoviePlayer::startUnloading(DisplayObject &clip, const QString &handlerKey, int nesting)
{
    clip.removed = true;
    queueLifecycleEvent(clip, ClipAction::Unload, "onUnload", m_queue);
    for (auto it = clip.children.begin(); it != clip.children.end();) {
        if (nesting < MaxNesting && hasUnloadWork(*it->second, handlerKey, nesting + 1)) {
            startUnloading(*it->second, handlerKey, nesting + 1);
            ++it;
        } else {
            it = clip.children.erase(it);
        }
    }
}

void MoviePlayer::finishUnloading()
{
    for (const Tracked &t : m_unloading) {
        DisplayObject *clip = t.get();
        if (!clip || !clip->parent)
            continue;
        const auto it = clip->parent->children.find(clip->depth);
        if (it != clip->parent->children.end() && it->second.get() == clip)
            clip->parent->children.erase(it);
    }
    m_unloading.clear();
    m_retiredMovies.clear();
}

void MoviePlayer::rebuildButton(DisplayObject &button)
{
    const ButtonDef *def = button.button();
    if (!def)
        return;
    button.children.clear();
    Created created;
    for (const ButtonRecord &record : def->records) {
        if (!(record.states & button.buttonState) || button.children.count(record.depth))
            continue;
        std::unique_ptr<DisplayObject> object = instantiate(button, record.characterId, created);
        if (!object)
            continue;
        object->depth = record.depth;
        object->matrix = record.matrix;
        object->cxform = record.cxform;
        object->blendMode = record.blendMode;
        object->filters = record.filters;
        button.children[record.depth] = std::move(object);
    }
    enterPlacedClips(created);
    m_changed = true;
}

void MoviePlayer::setButtonState(DisplayObject &button, int state)
{
    const int from = button.buttonState;
    button.buttonState = state;
    rebuildButton(button);
    const ButtonDef *def = button.button();
    if (!def || !m_sound)
        return;
    int transition = -1;
    if (from == 2 && state == 1)
        transition = ButtonDef::OverToUp;
    else if (from == 1 && state == 2)
        transition = ButtonDef::UpToOver;
    else if (from == 2 && state == 4)
        transition = ButtonDef::OverToDown;
    else if (from == 4 && state == 2)
        transition = ButtonDef::DownToOver;
    if (transition < 0 || !def->sounds[size_t(transition)])
        return;
    const SoundStart &start = *def->sounds[size_t(transition)];
    if (const auto *sound = dynamic_cast<const SoundDef *>(movieOf(button).character(start.soundId)))
        m_sound->startSound(*sound, start.info, button.alive.get());
}

void MoviePlayer::runQueue()
{
    m_work = MaxWorkPerFrame;
    int blocks = 0;
    while (blocks < MaxBlocksPerFrame) {
        Queue &queue = m_initQueue.empty() ? m_queue : m_initQueue;
        if (queue.empty())
            break;
        const QueuedActions next = std::move(queue.front());
        queue.pop_front();
        if (runQueued(next))
            ++blocks;
    }
    m_initQueue.clear();
    m_queue.clear();
    finishUnloading();
    updateStreams();
}

bool MoviePlayer::runQueued(const QueuedActions &entry)
{
    if (entry.alive.expired() || (entry.clip->removed && !entry.lifecycle))
        return false;
    if (entry.native) {
        RunNative(*this, *entry.clip, entry.native);
        return true;
    }
    if (!entry.listenersOf.isEmpty()) {
        RunBroadcast(*this, *entry.clip, entry.listenersOf, entry.message);
        return true;
    }
    ScriptObject *handler = entry.handlerKey.isEmpty() ? entry.handler : handlerOf(*entry.clip, entry.handlerKey);
    if (handler)
        RunHandler(*this, *entry.clip, handler);
    else if (entry.handlerKey.isEmpty())
        RunActions(*this, *entry.clip, entry.actions);
    else
        return false;
    return true;
}

DisplayObject *MoviePlayer::resolveTarget(DisplayObject &from, const QString &path)
{
    if (path.isEmpty())
        return &from;
    DisplayObject *current = &from;
    QString rest = path;
    if (rest.startsWith(u'/')) {
        current = &rootOf(from);
        rest = rest.mid(1);
    }
    const QStringList parts = rest.split(QRegularExpression(QStringLiteral("[/.:]")), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!current)
            return nullptr;
        if (part == QLatin1String("..") || part.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0) {
            current = current->parent;
        } else if (part.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0) {
            current = &rootOf(*current);
        } else if (const std::optional<int> number = LevelNumber(part, version())) {
            current = level(*number);
        } else if (part.compare(QLatin1String("this"), Qt::CaseInsensitive) != 0) {
            DisplayObject *found = nullptr;
            for (auto &[depth, child] : current->children) {
                if (sameName(child->name, part, version())) {
                    found = child.get();
                    break;
                }
            }
            current = found;
        }
    }
    return current;
}

void MoviePlayer::getUrl(const QString &url, const QString &target)
{
    static const QString prefix = QStringLiteral("FSCommand:");
    if (url.startsWith(prefix, Qt::CaseInsensitive) && onFSCommand)
        onFSCommand(url.mid(prefix.size()), target);
}

void MoviePlayer::trace(const QString &line)
{
    if (onTrace)
        onTrace(line);
}

bool MoviePlayer::actsAsButton(const DisplayObject &clip)
{
    if (!clip.isSprite())
        return false;
    if (clip.clipEvents() & ClipAction::PointerEvents)
        return true;
    if (clip.object.members().empty())
        return false;
    for (const char *name : {"onPress", "onRelease", "onRollOver", "onRollOut", "onReleaseOutside"})
        if (clip.object.own(m_script.key(QLatin1String(name))))
            return true;
    return false;
}

bool MoviePlayer::hits(const DisplayObject &object, const QPointF &point, const QTransform &toStage, int nesting) const
{
    if (const auto *shape = dynamic_cast<const ShapeDef *>(object.character))
        return toStage.map(shape->outline).contains(point);
    if (nesting >= MaxNesting)
        return false;
    for (const auto &[depth, child] : object.children)
        if (child->visible && !child->clipDepth && hits(*child, point, child->matrix * toStage, nesting + 1))
            return true;
    return false;
}

DisplayObject *MoviePlayer::buttonAt(DisplayObject &clip, const QPointF &point, const QTransform &toStage)
{
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        DisplayObject &child = *it->second;
        if (!child.visible)
            continue;
        const QTransform childToStage = child.matrix * toStage;
        if (const ButtonDef *def = child.button()) {
            for (const ButtonRecord &record : def->records) {
                const auto *shape = dynamic_cast<const ShapeDef *>(movieOf(child).character(record.characterId));
                if ((record.states & 8) && shape &&
                    (record.matrix * childToStage).map(shape->outline).contains(point))
                    return &child;
            }
        } else if (DisplayObject *found = buttonAt(child, point, childToStage)) {
            return found;
        } else if (actsAsButton(child) && hits(child, point, childToStage)) {
            return &child;
        }
    }
    return nullptr;
}

void MoviePlayer::runButtonActions(DisplayObject &button, int condition)
{
    static const QString handlers[] = {QStringLiteral("onRollOver"), QStringLiteral("onRollOut"),
                                       QStringLiteral("onPress"), QStringLiteral("onRelease")};
    static constexpr uint32_t events[] = {ClipAction::RollOver, ClipAction::RollOut, ClipAction::Press,
                                          ClipAction::Release};
    const int index = condition == 0x0001 ? 0 : condition == 0x0002 ? 1 : condition == 0x0004 ? 2 : 3;
    // A clip acting as a button runs its own handlers; a button's actions
    // run on the timeline that holds it.
    if (!button.button()) {
        queueClipEvent(button, events[index], m_script.key(handlers[index]));
        return;
    }
    DisplayObject *owner = button.parent;
    if (owner)
        for (const ButtonAction &action : button.button()->actions)
            if (action.conditions & condition)
                m_queue.push_back({owner, owner->alive, action.actions});
    queueClipEvent(button, 0, m_script.key(handlers[index]));
}

void MoviePlayer::pointerMove(const QPointF &stage)
{
    if (!m_movie)
        return;
    m_pointer = stage;
    if (m_as3)
        m_as3->pointerMoved(stage);
    broadcastClipEvent(ClipAction::MouseMove, QStringLiteral("onMouseMove"), QStringLiteral("Mouse"));
    DisplayObject *under = buttonOnStage(stage);
    DisplayObject *hover = m_hover.get();
    if (under != hover) {
        if (hover) {
            setButtonState(*hover, 1);
            runButtonActions(*hover, 0x0002);
        }
        if (under) {
            setButtonState(*under, m_pressed.get() == under ? 4 : 2);
            runButtonActions(*under, 0x0001);
        }
        m_hover.set(under);
    }
    runQueue();
}

void MoviePlayer::pointerPress(const QPointF &stage)
{
    pointerMove(stage);
    if (!m_movie)
        return;
    if (m_as3)
        m_as3->pointerPressed(stage);
    broadcastClipEvent(ClipAction::MouseDown, QStringLiteral("onMouseDown"), QStringLiteral("Mouse"));
    focusFieldAt(stage);
    if (DisplayObject *hover = m_hover.get()) {
        m_pressed.set(hover);
        setButtonState(*hover, 4);
        runButtonActions(*hover, 0x0004);
    }
    runQueue();
}

void MoviePlayer::pointerRelease(const QPointF &stage)
{
    pointerMove(stage);
    if (!m_movie)
        return;
    if (m_as3)
        m_as3->pointerReleased(stage);
    broadcastClipEvent(ClipAction::MouseUp, QStringLiteral("onMouseUp"), QStringLiteral("Mouse"));
    DisplayObject *pressed = m_pressed.get();
    m_pressed.set(nullptr);
    if (pressed) {
        const bool inside = pressed == m_hover.get();
        setButtonState(*pressed, inside ? 2 : 1);
        if (inside)
            runButtonActions(*pressed, 0x0008);
        else if (!pressed->button())
            queueClipEvent(*pressed, ClipAction::ReleaseOutside, m_script.key(QStringLiteral("onReleaseOutside")));
    }
    runQueue();
}

void MoviePlayer::keyDown(int code, int pressCode, int ascii)
{
    if (!m_movie)
        return;
    m_keysDown.insert(code);
    m_lastKey = code;
    m_lastAscii = ascii;
    if (m_as3)
        m_as3->keyChanged(true, code, ascii);
    broadcastClipEvent(ClipAction::KeyDown, QStringLiteral("onKeyDown"), QStringLiteral("Key"));
    if (pressCode != 0) {
        // Key-press handlers of clips, and buttons whose conditions name the key
        // (its code sits in bits 9 to 15 of their condition).
        const std::function<void(DisplayObject &)> visit = [&](DisplayObject &object) {
            for (auto it = object.children.rbegin(); it != object.children.rend(); ++it)
                visit(*it->second);
            if (object.clipActions)
                for (const ClipAction &action : *object.clipActions)
                    if ((action.events & ClipAction::KeyPress) && action.keyCode == pressCode)
                        m_queue.push_back({&object, object.alive, action.actions});
            if (const ButtonDef *def = object.button(); def && object.parent)
                for (const ButtonAction &action : def->actions)
                    if (((action.conditions >> 9) & 0x7F) == pressCode)
                        m_queue.push_back({object.parent, object.parent->alive, action.actions});
        };
        visit(m_root);
        for (auto &[number, level] : m_levels)
            visit(*level);
    }
    runQueue();
}

void MoviePlayer::keyUp(int code)
{
    if (!m_movie)
        return;
    m_keysDown.erase(code);
    m_lastKey = code;
    if (m_as3)
        m_as3->keyChanged(false, code, 0);
    broadcastClipEvent(ClipAction::KeyUp, QStringLiteral("onKeyUp"), QStringLiteral("Key"));
    runQueue();
}

} // namespace swf
