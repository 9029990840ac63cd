#pragma once

// What a TextFormat object holds, for the classes that hand formats to
// scripts and take them back (TextField's getTextFormat, setTextFormat).
#include "swf/script/Value.h"

#include <QString>

#include <optional>
#include <vector>

namespace swf {

class ScriptContext;
struct ScriptObject;

// A TextFormat's properties as plain values; a missing one reads as null
// to scripts and, applied to text, leaves that property as it is. Numbers
// are pixels (size, margins, indents, leading, tab stops) or 0xRRGGBB.
struct TextFormatValues {
    std::optional<QString> font, url, target, align;
    std::optional<double> size, color, leftMargin, rightMargin, indent, leading, blockIndent, letterSpacing;
    std::optional<bool> bold, italic, underline, bullet, kerning;
    std::optional<std::vector<double>> tabStops;
    QString display = QStringLiteral("block");
};

// A new TextFormat object holding values, as `new TextFormat` makes them;
// nullptr once the heap is full.
ScriptObject *NewTextFormatObject(ScriptContext &cx, const TextFormatValues &values);

// The values a script object holds: a TextFormat's own, or, for any other
// object, its members of the same names converted as TextFormat's
// properties convert them. Nothing for values that are not objects.
std::optional<TextFormatValues> ReadTextFormatObject(ScriptContext &cx, const Value &value);

} // namespace swf
