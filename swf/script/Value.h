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

// The object a value holds, or nullptr.
inline ScriptObject *objectOf(const Value &v)
{
    const auto *object = std::get_if<ScriptObject *>(&v);
    return object ? *object : nullptr;
}

inline bool isNullish(const Value &v)
{
    return std::holds_alternative<Undefined>(v) || std::holds_alternative<Null>(v);
}

} // namespace swf
