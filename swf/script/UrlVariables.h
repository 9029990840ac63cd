#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace swf {

// Variables as a form sends them: name=value pairs joined by &, with
// %XX escapes (and + for a space).
using UrlVariables = std::vector<std::pair<QString, QString>>;

// The pairs the text holds, in order. A pair without a name is left out; a
// name without = has an empty value.
UrlVariables DecodeUrlVariables(const QString &text);

// The pairs as text, escaped as escape() does.
QString EncodeUrlVariables(const UrlVariables &variables);

} // namespace swf
