#pragma once

#include "swf/avm2/Function.h"

// The methods of Array beyond its constructor and length, in the files that
// hold them; builtins/Array.cpp lists them in the class's member table.
namespace swf::avm2::arraymethods {

// ArrayMethods.cpp: the methods that add, remove and find elements.
Value pop(Runtime &rt, const Value &self, Args args);
Value push(Runtime &rt, const Value &self, Args args);
Value shift(Runtime &rt, const Value &self, Args args);
Value unshift(Runtime &rt, const Value &self, Args args);
Value reverse(Runtime &rt, const Value &self, Args args);
Value concat(Runtime &rt, const Value &self, Args args);
Value slice(Runtime &rt, const Value &self, Args args);
Value splice(Runtime &rt, const Value &self, Args args);
Value insertAt(Runtime &rt, const Value &self, Args args);
Value removeAt(Runtime &rt, const Value &self, Args args);
Value indexOf(Runtime &rt, const Value &self, Args args);
Value lastIndexOf(Runtime &rt, const Value &self, Args args);

// ArrayIteration.cpp: the methods that call a function for each element.
Value every(Runtime &rt, const Value &self, Args args);
Value filter(Runtime &rt, const Value &self, Args args);
Value forEach(Runtime &rt, const Value &self, Args args);
Value map(Runtime &rt, const Value &self, Args args);
Value some(Runtime &rt, const Value &self, Args args);

// ArraySort.cpp.
Value sort(Runtime &rt, const Value &self, Args args);
Value sortOn(Runtime &rt, const Value &self, Args args);

} // namespace swf::avm2::arraymethods
