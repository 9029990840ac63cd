#pragma once

// DisplayObject's methods between coordinate spaces (points, bounds, hit
// tests) and its transform, in their own file beside DisplayObject.cpp.
#include "swf/avm2/Runtime.h"

#include <QTransform>

namespace swf {
struct DisplayObject;
}

namespace swf::avm2 {

class DisplayObjectNative;

// From the object's space to the stage's, in twips; off the display list,
// to the space of the topmost object it is under.
QTransform ToStage(Runtime &rt, DisplayObjectNative &object);

Value DisplayLocalToGlobal(Runtime &rt, const Value &self, Args args);
Value DisplayGlobalToLocal(Runtime &rt, const Value &self, Args args);
Value DisplayGetBounds(Runtime &rt, const Value &self, Args args);
Value DisplayGetRect(Runtime &rt, const Value &self, Args args);
Value DisplayHitTestPoint(Runtime &rt, const Value &self, Args args);
Value DisplayHitTestObject(Runtime &rt, const Value &self, Args args);
Value DisplayGetScrollRect(Runtime &rt, const Value &self, Args args);
Value DisplaySetScrollRect(Runtime &rt, const Value &self, Args args);
Value DisplayGetTransform(Runtime &rt, const Value &self, Args args);
Value DisplaySetTransform(Runtime &rt, const Value &self, Args args);

// The bounds of what the object fills, strokes left out, in twips of its
// own space; a null rectangle when it fills nothing.
QRectF FillBounds(const swf::DisplayObject &node, int nesting = 0);

} // namespace swf::avm2
