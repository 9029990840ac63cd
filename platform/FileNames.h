#pragma once

#include <QString>

// The extension of a file name: the text from its last '.', the dot
// included, when that dot stands after the last path separator; otherwise
// empty. Letter case is kept.
QString FileExtension(const QString &fileName);

// ASCII letters A-Z to lower case, other characters unchanged.
QString AsciiLower(const QString &text);

// The name with every control character (line breaks, tabs, escape) shown
// as its visible symbol, so a message quoting it keeps its own shape.
QString PrintableName(const QString &name);
