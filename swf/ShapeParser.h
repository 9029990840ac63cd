#pragma once

#include "swf/Definitions.h"

namespace swf {

FillStyle ReadFillStyle(SwfReader &r, int shapeVersion);
std::vector<FillStyle> ReadFillStyles(SwfReader &r, int shapeVersion);
std::vector<LineStyle> ReadLineStyles(SwfReader &r, int shapeVersion);

// Shape records after the style arrays: edges with the styles in force. With
// withStyles false the records carry no style arrays (glyphs, morph end shapes).
std::vector<StyleGroup> ReadShapeRecords(SwfReader &r, int shapeVersion, bool withStyles);

std::shared_ptr<ShapeDef> ReadShape(SwfReader &r, int shapeVersion);
std::shared_ptr<MorphShapeDef> ReadMorphShape(SwfReader &r, int morphVersion);

// A glyph or other style-less outline as a filled path.
QPainterPath OutlineOf(const std::vector<StyleGroup> &groups);

// The morph's shape at ratio 0..65535.
std::vector<ShapeLayer> MorphAt(const MorphShapeDef &morph, int ratio, QPainterPath *outline);

} // namespace swf
