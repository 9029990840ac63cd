// NetStream: plays an FLV file beside the movie, read as every other load
// is (swf/MovieFiles.h: never over the network). Its pictures show in the
// Video objects it is attached to, its metadata goes to onMetaData and
// what happens to onStatus, on the frames after play. Its sound, decoded
// when it opens, plays through the movie's sound from the position. A stream that cannot be read is reported not found, as the
// reference player reports it.
#include "NetStatus.h"
#include "Amf0.h"
#include "Builtins.h"
#include "Video.h"

#include "swf/FlvFile.h"
#include "swf/MovieFiles.h"
#include "swf/MoviePlayer.h"
#include "swf/SoundDecoder.h"
#include "swf/SoundMixer.h"
#include "swf/script/ScriptEngine.h"

#include <algorithm>

namespace swf {

namespace {

constexpr int FirstVersion = 6;
constexpr double MsPerSecond = 1000;

// The file a stream plays and where in it the stream is, in the player's
// frame time.
class StreamState : public VideoSource {
public:
    std::optional<FlvFile> flv;
    std::unique_ptr<VideoDecoder> decoder;
    std::shared_ptr<const std::vector<int16_t>> sound; // 44.1 kHz stereo; empty when it has none
    qint64 bytes = 0;
    qint64 startMs = 0;                // the frame time at which position 0 played
    std::optional<qint64> pausedAt;    // the position, while paused
    qint64 nowMs = 0;
    bool started = false, stopped = false;
    int ticker = 0;

    qint64 positionMs() const
    {
        if (!flv || !started)
            return 0;
        return std::clamp(pausedAt ? *pausedAt : nowMs - startMs, qint64(0), flv->durationMs);
    }
    // The last picture due at the position; -1 before the first.
    int pictureIndex() const
    {
        if (!flv)
            return -1;
        const auto due = std::upper_bound(flv->times.begin(), flv->times.end(), positionMs());
        return int(due - flv->times.begin()) - 1;
    }
    QImage picture() override
    {
        const int index = pictureIndex();
        return index < 0 || !decoder ? QImage() : decoder->picture(flv->video, index);
    }
    qint64 revision() const override { return pictureIndex(); }
};

struct StreamPayload : NativePayload {
    std::shared_ptr<StreamState> state = std::make_shared<StreamState>();
};

StreamState *stateOf(const Value &value)
{
    const ScriptObject *object = objectOf(value);
    const auto *payload = object ? object->payloadAs<StreamPayload>() : nullptr;
    return payload ? payload->state.get() : nullptr;
}

Value construct(NativeCall &call)
{
    if (!call.construct)
        return Undefined{};
    if (ScriptObject *object = call.object())
        object->payload = std::make_unique<StreamPayload>();
    return call.self;
}

std::shared_ptr<const std::vector<int16_t>> decodeSound(const FlvFile &flv)
{
    auto samples = std::make_shared<std::vector<int16_t>>();
    if (!flv.audioFormat)
        return samples;
    SoundDecoder decoder(*flv.audioFormat);
    constexpr int Channels = 2;
    for (const QByteArray &piece : flv.audio) {
        const qint64 left = SoundMixer::MaxEventFrames - qint64(samples->size() / Channels);
        if (left <= 0)
            break;
        decoder.decode(piece.constData(), int(piece.size()), *samples, left);
    }
    return samples;
}

// The stream's sound from where the stream is now, in place of what it played.
void soundFromPosition(NativeCall &call, StreamState &state)
{
    if (!state.sound || state.sound->empty())
        return;
    SoundInfo from;
    from.inPoint = state.positionMs() * SoundMixer::Rate / qint64(MsPerSecond);
    call.player().startLoadedSound(&state, state.sound, from);
}

void silence(NativeCall &call, StreamState &state) { call.player().stopLoadedSound(&state); }

void reportStatus(NativeCall &call, const Value &stream, const char *code, const char *level)
{
    call.cx.callMethod(stream, QStringLiteral("onStatus"), {NetStatusInfo(call, code, level)});
}

void stopTicking(NativeCall &call, StreamState &state)
{
    if (state.ticker)
        call.engine().clearInterval(state.ticker);
    state.ticker = 0;
}

Value metaDataOf(NativeCall &call, const QByteArray &bytes)
{
    const Value dateClass = call.cx.getMember(call.engine().global(), QStringLiteral("Date"));
    const Amf0::DateMaker date = [&call, &dateClass](double ms) { return call.cx.construct(dateClass, {ms}); };
    return Amf0::decodeValue(call.engine(), bytes, date);
}

// Each frame while a file is open: the start and its metadata first, the stop at its end.
Value tick(NativeCall &call)
{
    const Value stream = call.arg(0);
    StreamState *state = stateOf(stream);
    if (!state || !state->flv)
        return Undefined{};
    state->nowMs = call.player().frameStartMs();
    if (!state->started) {
        state->started = true;
        state->startMs = state->nowMs;
        soundFromPosition(call, *state);
        reportStatus(call, stream, "NetStream.Play.Start", "status");
        if (!state->flv->metaData.isEmpty())
            call.cx.callMethod(stream, QStringLiteral("onMetaData"), {metaDataOf(call, state->flv->metaData)});
    } else if (!state->stopped && !state->pausedAt && state->positionMs() >= state->flv->durationMs) {
        state->stopped = true;
        reportStatus(call, stream, "NetStream.Play.Stop", "status");
    }
    return Undefined{};
}

void reportNotFound(NativeCall &call)
{
    ScriptEngine::Interval report;
    report.self = call.self;
    report.method = QStringLiteral("onStatus");
    report.args = {NetStatusInfo(call, "NetStream.Play.StreamNotFound", "error")};
    report.periodMs = ScriptEngine::MinIntervalMs;
    report.dueMs = call.player().frameStartMs();
    report.once = true;
    call.engine().addInterval(std::move(report));
}

void open(NativeCall &call, StreamState &state, FlvFile flv, qint64 bytes)
{
    state.decoder = std::make_unique<VideoDecoder>(flv.codec, flv.codecData);
    state.sound = decodeSound(flv);
    state.flv = std::move(flv);
    state.bytes = bytes;
    state.started = state.stopped = false;
    state.pausedAt.reset();
    ScriptObject *function = call.engine().newNative(tick);
    if (!function)
        return;
    ScriptEngine::Interval ticking;
    ticking.function = function;
    ticking.args = {call.self};
    ticking.periodMs = ScriptEngine::MinIntervalMs;
    ticking.dueMs = call.player().frameStartMs();
    state.ticker = call.engine().addInterval(std::move(ticking));
}

void close(NativeCall &call, StreamState &state)
{
    stopTicking(call, state);
    silence(call, state);
    state.flv.reset();
    state.decoder.reset();
    state.sound.reset();
    state.bytes = 0;
}

Value play(NativeCall &call)
{
    StreamState *state = stateOf(call.self);
    if (!state) {
        reportNotFound(call);
        return Undefined{};
    }
    close(call, *state);
    const MovieFile file = ReadMovieFile(call.player().folderOf(call.player().root()), call.string(0));
    std::optional<FlvFile> flv = file.ok() ? ReadFlv(file.bytes) : std::nullopt;
    if (flv)
        open(call, *state, std::move(*flv), file.bytes.size());
    else
        reportNotFound(call);
    return Undefined{};
}

Value closeStream(NativeCall &call)
{
    if (StreamState *state = stateOf(call.self))
        close(call, *state);
    return Undefined{};
}

// pause() toggles; pause(true) pauses and pause(false) plays on.
Value pause(NativeCall &call)
{
    StreamState *state = stateOf(call.self);
    if (!state || !state->flv)
        return Undefined{};
    state->nowMs = call.player().frameStartMs();
    const bool wanted = call.args.empty() ? !state->pausedAt : call.cx.toBool(call.arg(0));
    if (wanted && !state->pausedAt) {
        state->pausedAt = state->positionMs();
        silence(call, *state);
    } else if (!wanted && state->pausedAt) {
        state->startMs = state->nowMs - *state->pausedAt;
        state->pausedAt.reset();
        if (state->started)
            soundFromPosition(call, *state);
    }
    return Undefined{};
}

Value seek(NativeCall &call)
{
    StreamState *state = stateOf(call.self);
    const double seconds = call.number(0);
    if (!state || !state->flv || !std::isfinite(seconds))
        return Undefined{};
    state->nowMs = call.player().frameStartMs();
    const qint64 position = std::clamp(qint64(seconds * MsPerSecond), qint64(0), state->flv->durationMs);
    if (state->pausedAt) {
        state->pausedAt = position;
    } else {
        state->startMs = state->nowMs - position;
        if (state->started)
            soundFromPosition(call, *state);
    }
    state->stopped = false;
    return Undefined{};
}

// Nothing is buffered or published: a local file is read whole.
Value notStreamed(NativeCall &) { return Undefined{}; }

Value getTime(NativeCall &call)
{
    StreamState *state = stateOf(call.self);
    if (!state)
        return Undefined{};
    state->nowMs = call.player().frameStartMs();
    return state->positionMs() / MsPerSecond;
}

Value getBytes(NativeCall &call)
{
    const StreamState *state = stateOf(call.self);
    return state ? Value(double(state->bytes)) : Undefined{};
}

} // namespace

std::shared_ptr<VideoSource> NetStreamPictures(const Value &stream)
{
    const ScriptObject *object = objectOf(stream);
    const auto *payload = object ? object->payloadAs<StreamPayload>() : nullptr;
    return payload ? payload->state : nullptr;
}

const ClassDecl NetStreamClass{
    "NetStream",
    construct,
    {{"play", play, FirstVersion},
     {"pause", pause, FirstVersion},
     {"seek", seek, FirstVersion},
     {"close", closeStream, FirstVersion},
     {"setBufferTime", notStreamed, FirstVersion},
     {"publish", notStreamed, FirstVersion},
     {"receiveAudio", notStreamed, FirstVersion},
     {"receiveVideo", notStreamed, FirstVersion}},
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {{"time", getTime},
     {"bytesLoaded", getBytes},
     {"bytesTotal", getBytes}},
};

} // namespace swf
