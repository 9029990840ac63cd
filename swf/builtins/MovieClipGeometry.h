#pragma once

#include "swf/builtins/BuiltinClass.h"

#include <QTransform>

namespace swf {

// MovieClip's methods between coordinate spaces: points to and from the
// stage, bounds in another clip's space, and hit tests.
Value ClipLocalToGlobal(NativeCall &call);
Value ClipGlobalToLocal(NativeCall &call);
Value ClipGetBounds(NativeCall &call);
Value ClipHitTest(NativeCall &call);

// Whether the point, in stage twips, is in what the clip draws (its shapes,
// its drawing, its children's), the clip standing where toStage puts it.
bool ShapeContains(const DisplayObject &clip, const QPointF &stage, const QTransform &toStage);

} // namespace swf
