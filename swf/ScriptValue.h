#pragma once

#include <QString>

#include <memory>
#include <variant>

namespace swf {

struct DisplayObject;
struct ScriptObject;

struct Undefined {};
struct Null {};

// A movie clip as a script value; it reads as gone once the clip is removed.
struct ClipRef {
    DisplayObject *clip = nullptr;
    std::weak_ptr<char> alive;

    DisplayObject *get() const { return alive.expired() ? nullptr : clip; }
};

// A script value. Objects live in the movie's script heap, which frees
// them when nothing reaches them any more or when the movie goes.
using Value = std::variant<Undefined, Null, double, QString, bool, ClipRef, ScriptObject *>;

// A variable's name split into the clip path it goes through and the
// variable itself: "path:variable", "/path:variable", dotted
// "_root.clip.variable" from version 5 on, or a plain name with no path.
struct VariablePath {
    QString path;
    QString variable;
};
VariablePath SplitVariablePath(const QString &name, int version);

// A number as scripts print it: up to 15 significant digits, in plain
// notation from 1e-6 up to 1e21 and in exponent notation beyond.
QString NumberToString(double d);

} // namespace swf
