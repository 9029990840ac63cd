#pragma once

#include <QString>

namespace swf {

// A variable's name split into the clip path it goes through and the
// variable itself: "path:variable", "/path:variable", dotted
// "_root.clip.variable" from version 5 on, or a plain name with no path.
struct VariablePath {
    QString path;
    QString variable;
};
VariablePath SplitVariablePath(const QString &name, int version);

// True when a name goes through a clip path rather than naming a variable
// of the current scope.
bool IsVariablePath(const QString &name, int version);

} // namespace swf
