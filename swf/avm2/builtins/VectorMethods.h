#pragma once

#include "swf/avm2/builtins/VectorObject.h"
#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// The pieces of Vector.<T> shared by its files (Vector.cpp holds the class
// declarations, VectorIteration.cpp the methods that call back).
VectorObject *ThisVector(Runtime &rt, const Value &self);
// An empty vector of the same class as like.
VectorObject *NewVectorLike(Runtime &rt, const VectorObject *like);

Value VectorEvery(Runtime &rt, const Value &self, Args args);
Value VectorSome(Runtime &rt, const Value &self, Args args);
Value VectorFilter(Runtime &rt, const Value &self, Args args);
Value VectorForEach(Runtime &rt, const Value &self, Args args);
Value VectorMap(Runtime &rt, const Value &self, Args args);
Value VectorSort(Runtime &rt, const Value &self, Args args);

} // namespace swf::avm2
