#pragma once

#include "swf/avm2/Function.h"

#include <QStringList>

namespace swf::avm2 {

class Runtime;

// How JSON.stringify was asked to write: a replacer function or a list of
// the property names to keep, and the indentation of each level.
struct JsonStyle {
    Value replacer; // a function, or undefined
    QStringList keep;
    bool keepOnly = false;
    QString gap;
};

// The text of value, or undefined when JSON has none for it (a function).
Value StringifyJson(Runtime &rt, const Value &value, const JsonStyle &style);

// Calls a reviver, replacer or toJSON function with the arguments it
// declares room for: the player passes a function taking none the key
// and value without complaint.
Value CallJsonFunction(Runtime &rt, const Value &function, const Value &self, Args args);

// A JSON string literal for text.
QString QuoteJson(const QString &text);

} // namespace swf::avm2
