#pragma once

// What the flash.geom classes share: the reference player writes most of
// them in ActionScript, so their objects keep plain members that the
// methods read and write as scripts do.
#include "BuiltinClass.h"

#include <initializer_list>

namespace swf {

// A value's text as `"..." + value` gives it: valueOf first, then toString.
QString AppendedText(NativeCall &call, const Value &value);
// "(x=1, y=2)": the members named, as the classes' toString lists them.
QString MemberList(NativeCall &call, const Value &object, std::initializer_list<const char *> names);
// A member of object read as a script reads it, as a number.
double NumberMember(NativeCall &call, const Value &object, const char *name);
// Sets members of object in order, as a script assigns them.
void SetMembers(NativeCall &call, const Value &object, std::initializer_list<const char *> names,
                std::initializer_list<Value> values);
// flash.geom.<name> as scripts see it now.
Value GeomClass(NativeCall &call, const char *name);
// `new flash.geom.<name>(args)`, looked up when called as the player's own
// scripts do; undefined when a movie has removed the class.
Value NewGeom(NativeCall &call, const char *name, const std::vector<Value> &args);

} // namespace swf
