#pragma once

#include "swf/script/Value.h"

#include <QString>

#include <vector>

namespace swf {

struct DisplayObject;
class ScriptContext;

// The drawing API of movie clips as scripts call it: moveTo, lineTo,
// curveTo, lineStyle, lineGradientStyle, beginFill, beginGradientFill,
// beginBitmapFill, endFill and clear, in
// stage pixels, kept in the clip's Drawing. True when `method` (lower case)
// is one of them and was carried out.
bool CallDrawingMethod(ScriptContext &context, DisplayObject &clip, const QString &method,
                       const std::vector<Value> &args);

} // namespace swf
