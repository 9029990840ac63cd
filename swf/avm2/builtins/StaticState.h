#pragma once

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// State a built-in class keeps for the whole movie (Mouse.cursor, the
// current ApplicationDomain) in a private static slot of the class, so
// that it lives as long as the class and the collector sees it.

// Adds the slot, from a class's setup.
void AddStaticSlot(Runtime &rt, Class *cls, const QString &owner, const QString &name, const Value &initial);
// The slot the class added under owner's private namespace; a TypeError
// when cls is not a class that added one (a method called on another object).
Value &StaticSlot(Runtime &rt, const Value &cls, const QString &owner, const QString &name);

// The same for state each instance keeps (a URLLoader's data), in a
// private slot of the instances, over whatever native object the class's
// ancestors make.
void AddInstanceSlot(Runtime &rt, Class *cls, const QString &owner, const QString &name, const Value &initial);
Value &InstanceSlot(Runtime &rt, const Value &object, const QString &owner, const QString &name);

} // namespace swf::avm2
