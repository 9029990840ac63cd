#pragma once

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// The class, function or variable a qualified name ("flash.display.Sprite",
// "flash.display::Sprite", "Object") names, running the script that defines
// it if need be: getDefinitionByName's and ApplicationDomain's lookup.
bool FindDefinition(Runtime &rt, const QString &name, Value &out);
// The same, throwing the player's TypeError #2007 for null and
// ReferenceError #1065 for a name nothing defines.
Value DefinitionNamed(Runtime &rt, const Value &name);

} // namespace swf::avm2
