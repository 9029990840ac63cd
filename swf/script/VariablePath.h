#pragma once

#include <QString>
#include <QStringList>

namespace swf {

// A variable's name split into the clip path it goes through and the
// variable itself: "path:variable", "/path:variable", dotted
// "_root.clip.variable" from version 5 on, or a plain name with no path.
// The name splits at its last colon or dot, whichever comes later; viaPath
// tells a name that split from one that did not (":x" has an empty path
// that leads nowhere).
struct VariablePath {
    QString path;
    QString variable;
    bool viaPath = false;
};
VariablePath SplitVariablePath(const QString &name, int version);

// True when a name goes through a clip path rather than naming a variable
// of the current scope.
bool IsVariablePath(const QString &name, int version);

// A path read segment by segment, as the player walks it: ".." is the
// parent, and a segment is never empty (a separator that starts one belongs
// to its name).
struct TargetPath {
    bool fromRoot = false; // a leading slash
    bool valid = true;     // false: an empty dotted segment leads nowhere
    QStringList segments;
};
// name is the whole variable name the path came from. A slash in the path
// makes dots belong to names, except before the first slash of a relative
// path; otherwise a colon anywhere in the name makes lone dots separate and
// runs of them names; with neither, the path is dotted. A leading slash is
// the root; other leading separators are skipped.
// A target (setTarget, getProperty and the like) names a clip, never a
// variable, and runs of slashes and colons in it count as one.
enum class PathUse { Variable, Target };
TargetPath ParseTargetPath(const QString &path, const QString &name, int version, PathUse use);

} // namespace swf
