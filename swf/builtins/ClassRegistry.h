#pragma once

#include <QString>

namespace swf {

class ScriptContext;
class ScriptEngine;
struct DisplayObject;
struct ScriptObject;

// The classes Object.registerClass gave exported symbols: a clip of such a
// symbol, placed or attached after the registration, is an object of the
// class, its constructor run on it.

// The class registered for the symbol exported as exportName (any case), or nullptr.
ScriptObject *RegisteredClass(ScriptEngine &engine, const QString &exportName);
// Gives the clip the prototype of the class registered for exportName.
void AdoptRegisteredClass(ScriptEngine &engine, DisplayObject &clip, const QString &exportName);
// Runs that class's constructor on the clip.
void ConstructRegisteredClass(ScriptContext &cx, DisplayObject &clip, const QString &exportName);

} // namespace swf
