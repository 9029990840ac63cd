#pragma once

#include "swf/ScriptEngine.h"

#include <QByteArray>

namespace swf {

class MoviePlayer;
struct DisplayObject;
struct ScriptObject;

// Runs one block of frame or button actions on behalf of a clip: timeline
// control (play, stop, goto, labels, targets), GetURL and fscommand, trace,
// and the stack operations that build their arguments. A block that runs
// longer than MoviePlayer::MaxActionsPerBlock actions is stopped.
void RunActions(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions);

// Calls a script function set on a clip as an event handler (onEnterFrame,
// onPress...), with the clip as `this`.
void RunHandler(MoviePlayer &player, DisplayObject &clip, ScriptObject *handler);

// Runs a due setInterval call, on behalf of the root.
void RunInterval(MoviePlayer &player, DisplayObject &root, const ScriptEngine::Interval &interval);

} // namespace swf
