// flash.media.Sound: an embedded sound a SymbolClass tag linked the class
// to, or an MP3 file beside the movie, played through sound channels.
#include "swf/avm2/builtins/SoundChannelObject.h"

#include "swf/Id3Tags.h"
#include "swf/MoviePlayer.h"
#include "swf/SoundDecoder.h"
#include "swf/SoundMixer.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/EventObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <optional>

namespace swf::avm2 {

namespace {

constexpr double MsPerSecond = 1000;
constexpr int NullParameterError = 2007;
constexpr int NoStreamError = 2029;
constexpr int StreamError = 2032;
constexpr int SequenceError = 2037;

// What a Sound holds: the library sound its class is linked to, or the
// file it loaded; and the load under way, counted so that a load given up
// is not heard from.
class SoundObject : public EventDispatcherObject {
public:
    using EventDispatcherObject::EventDispatcherObject;
    const SoundDef *linked = nullptr;
    std::shared_ptr<const std::vector<int16_t>> loaded;
    Value url = Value::null();
    Value id3 = Value::null();
    int loads = 0;
    bool loading = false;
    qint64 bytesLoaded = 0, bytesTotal = 0;

    void mark(const Marker &marker) const override
    {
        EventDispatcherObject::mark(marker);
        marker(url);
        marker(id3);
    }
};

SoundObject *soundOf(Runtime &rt, const Value &self) { return ThisAs<SoundObject>(rt, self, "flash.media.Sound"); }

void dispatch(Runtime &rt, SoundObject &sound, const char *type)
{
    DispatchEvent(rt, sound, NewEvent(rt, "flash.events::Event", QString::fromLatin1(type)));
}

void dispatchIoError(Runtime &rt, SoundObject &sound)
{
    const QString text = QStringLiteral("Error #%1: ").arg(StreamError) +
                         Runtime::errorText(StreamError).arg(rt.toString(sound.url));
    const Value args[] = {Value(QStringLiteral("ioError")), Value(false), Value(false), Value(text),
                          Value(StreamError)};
    Class *eventClass = rt.builtin("flash.events::IOErrorEvent");
    DispatchEvent(rt, sound, static_cast<EventObject *>(rt.constructClass(eventClass, Args{args, 5})));
}

// The file's samples, as long as an event sound may be; the ID3v2 tag
// ahead of the first frame is skipped.
std::shared_ptr<const std::vector<int16_t>> decodeFile(const QByteArray &bytes)
{
    const qsizetype skip = Id3v2Length(bytes);
    SoundDecoder decoder({SoundFormat::Mp3, double(SoundMixer::Rate), true, true});
    auto samples = std::make_shared<std::vector<int16_t>>();
    decoder.decode(bytes.constData() + skip, int(bytes.size() - skip), *samples, SoundMixer::MaxEventFrames);
    return samples;
}

// The names ID3Info gives the common frames, beside the frames' own.
const std::pair<const char *, const char *> FriendlyNames[] = {
    {"TIT2", "songName"}, {"TPE1", "artist"}, {"TALB", "album"},  {"TYER", "year"},
    {"COMM", "comment"},  {"TCON", "genre"},  {"TRCK", "track"}, {"songname", "songName"},
};

Value id3Of(Runtime &rt, const Id3Tags &tags)
{
    const Value info(rt.newObject());
    for (const auto &[name, text] : tags) {
        rt.set(info, name, Value(text));
        for (const auto &[frame, friendly] : FriendlyNames)
            if (name == QLatin1String(frame))
                rt.set(info, QString::fromLatin1(friendly), Value(text));
    }
    return info;
}

// The file is in (or could not be read): its samples, its tags, then complete.
void loaded(Runtime &rt, SoundObject &sound, int load, const MovieFile &file)
{
    if (sound.loads != load || !sound.loading)
        return;
    sound.loading = false;
    std::shared_ptr<const std::vector<int16_t>> samples = file.ok() ? decodeFile(file.bytes) : nullptr;
    if (!samples || samples->empty()) {
        dispatchIoError(rt, sound);
        return;
    }
    sound.loaded = std::move(samples);
    sound.bytesLoaded = sound.bytesTotal = qint64(file.bytes.size());
    if (const Id3Tags tags = ReadId3Tags(file.bytes); !tags.empty()) {
        sound.id3 = id3Of(rt, tags);
        dispatch(rt, sound, "id3");
    }
    dispatch(rt, sound, "complete");
}

Value loadRefused(Runtime &rt, const Value &self, Args args)
{
    loaded(rt, *soundOf(rt, self), rt.toInt(args[0]), MovieFile{});
    return Value();
}

// Asks the player for the file, beside the movie; false when it cannot even be asked for.
bool askForFile(Runtime &rt, SoundObject &sound, const QString &url, int load)
{
    MoviePlayer *player = rt.movie ? &rt.movie->player() : nullptr;
    if (!player)
        return false;
    const quint64 generation = player->generation();
    SoundObject *target = &sound;
    auto done = [player, generation, target, load](ScriptContext &, const MovieFile &file) {
        // The movie that asked may have given way to another meanwhile.
        if (player->generation() != generation || !player->as3())
            return;
        Runtime &later = player->as3()->runtime();
        later.runEntry([&] { loaded(later, *target, load, file); });
    };
    return player->loadFile(player->root(), url, std::move(done));
}

// Reads the file the request's url names, at a later frame.
void startLoad(Runtime &rt, SoundObject &sound, const Value &request)
{
    if (request.isNullish())
        rt.throwError(ErrorType::TypeError, NullParameterError, QStringList{QStringLiteral("stream")});
    if (sound.loading || sound.loaded || sound.linked)
        rt.throwError(ErrorType::Error, SequenceError);
    const QString url = rt.toString(rt.get(request, QStringLiteral("url")));
    sound.url = Value(url);
    sound.loading = true;
    sound.bytesLoaded = sound.bytesTotal = 0;
    const int load = ++sound.loads;
    if (askForFile(rt, sound, url, load))
        return;
    // A load that cannot be asked for fails as the next frame begins.
    const Value refused(static_cast<Object *>(rt.newNativeFunction(loadRefused, QStringLiteral("ioError"), 1)));
    rt.timers.add(refused, Value(static_cast<Object *>(&sound)), {Value(load)}, 0, false);
}

// Sound(stream = null, context = null)
Value construct(Runtime &rt, const Value &self, Args args)
{
    SoundObject *sound = soundOf(rt, self);
    if (rt.movie && sound->objectClass())
        sound->linked = rt.movie->linkedSound(*sound->objectClass());
    if (sound->linked)
        sound->bytesLoaded = sound->bytesTotal = sound->linked->data.size();
    if (!args[0].isNullish())
        startLoad(rt, *sound, args[0]);
    return Value();
}

Value load(Runtime &rt, const Value &self, Args args)
{
    startLoad(rt, *soundOf(rt, self), args[0]);
    return Value();
}

Value close(Runtime &rt, const Value &self, Args)
{
    SoundObject *sound = soundOf(rt, self);
    if (!sound->loading)
        rt.throwError(ErrorType::IOError, NoStreamError);
    sound->loading = false;
    ++sound->loads;
    return Value();
}

std::shared_ptr<const std::vector<int16_t>> samplesOf(Runtime &rt, const SoundObject &sound)
{
    if (sound.loaded)
        return sound.loaded;
    if (sound.linked && rt.movie)
        return rt.movie->decodedSound(*sound.linked);
    return nullptr;
}

// play(startTime = 0, loops = 0, sndTransform = null): null while there is nothing to play.
Value play(Runtime &rt, const Value &self, Args args)
{
    std::shared_ptr<const std::vector<int16_t>> samples = samplesOf(rt, *soundOf(rt, self));
    const SoundLevels *given = SoundLevelsOf(rt, args[2]);
    if (!samples || samples->empty())
        return Value::null();
    return PlayChannel(rt, std::move(samples), rt.toNumber(args[0]), rt.toInt(args[1]),
                       given ? *given : SoundLevels{});
}

// In milliseconds: of the file's samples, or as the library sound declares itself.
Value getLength(Runtime &rt, const Value &self, Args)
{
    const SoundObject *sound = soundOf(rt, self);
    if (sound->loaded)
        return Value::number(double(sound->loaded->size() / 2) * MsPerSecond / SoundMixer::Rate);
    const SoundDef *def = sound->linked;
    if (!def || def->format.rate <= 0)
        return Value::number(0);
    return Value::number(double(def->sampleCount) * MsPerSecond / def->format.rate);
}

Value getBytesLoaded(Runtime &rt, const Value &self, Args)
{
    return Value::number(double(soundOf(rt, self)->bytesLoaded));
}

Value getBytesTotal(Runtime &rt, const Value &self, Args)
{
    return Value::number(double(soundOf(rt, self)->bytesTotal));
}
Value getUrl(Runtime &rt, const Value &self, Args) { return soundOf(rt, self)->url; }

Value getId3(Runtime &rt, const Value &self, Args)
{
    SoundObject *sound = soundOf(rt, self);
    if (sound->id3.isNull())
        sound->id3 = Value(rt.newObject());
    return sound->id3;
}

} // namespace

extern const NativeClass SoundClass = {
    "flash.media", "Sound", "flash.events::EventDispatcher", 0, CreateNative<SoundObject>, construct, nullptr,
    {
        {"play", MemberKind::Method, play},
        {"load", MemberKind::Method, load, 1},
        {"close", MemberKind::Method, close},
        {"length", MemberKind::Getter, getLength},
        {"bytesLoaded", MemberKind::Getter, getBytesLoaded},
        {"bytesTotal", MemberKind::Getter, getBytesTotal},
        {"url", MemberKind::Getter, getUrl},
        {"id3", MemberKind::Getter, getId3},
    },
    {}, nullptr, {}, nullptr,
};

} // namespace swf::avm2
