#pragma once

#include "swf/ScriptEngine.h"

#include <QByteArray>

namespace swf {

class MoviePlayer;
struct DisplayObject;
struct ScriptObject;

// Runs one block of frame, button or clip-event actions on behalf of a clip:
// the ActionScript 1 and 2 stack machine (timeline control, variables and
// paths, operators, functions, objects, with, try), calling into the
// built-ins of the movie's ScriptEngine. A block that runs longer than
// MoviePlayer::MaxActionsPerBlock actions, or past the frame's allowance of
// work, is stopped.
void RunActions(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions);

// Calls a script function set on a clip as an event handler (onEnterFrame,
// onPress...), with the clip as `this`.
void RunHandler(MoviePlayer &player, DisplayObject &clip, ScriptObject *handler);

// Runs a due setInterval call, on behalf of the root.
void RunInterval(MoviePlayer &player, DisplayObject &root, const ScriptEngine::Interval &interval);

} // namespace swf
