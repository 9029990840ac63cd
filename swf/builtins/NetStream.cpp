// NetStream: a video stream over a NetConnection. This player decodes no
// streamed video, so every stream a movie plays is reported not found, as
// the reference player reports it: on a later frame, to onStatus.
#include "NetStatus.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int FirstVersion = 6;

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

Value play(NativeCall &call)
{
    ScriptEngine::Interval report;
    report.self = call.self;
    report.method = QStringLiteral("onStatus");
    report.args = {NetStatusInfo(call, "NetStream.Play.StreamNotFound", "error")};
    report.periodMs = ScriptEngine::MinIntervalMs;
    report.dueMs = call.player().frameStartMs();
    report.once = true;
    call.engine().addInterval(std::move(report));
    return Undefined{};
}

// Nothing plays, so there is nothing to pause, seek, buffer or publish.
Value notPlaying(NativeCall &) { return Undefined{}; }

} // namespace

const ClassDecl NetStreamClass{
    "NetStream",
    construct,
    {{"play", play, FirstVersion},
     {"pause", notPlaying, FirstVersion},
     {"seek", notPlaying, FirstVersion},
     {"close", notPlaying, FirstVersion},
     {"setBufferTime", notPlaying, FirstVersion},
     {"publish", notPlaying, FirstVersion},
     {"receiveAudio", notPlaying, FirstVersion},
     {"receiveVideo", notPlaying, FirstVersion}},
    {},
    {},
};

} // namespace swf
