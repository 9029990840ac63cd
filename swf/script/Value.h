#pragma once

#include <QString>

#include <memory>
#include <variant>

namespace swf {

struct DisplayObject;
struct ScriptObject;

struct Undefined {};
struct Null {};

// The clip at a target path ("/a/b") of the movie whose scripts run now,
// or nullptr.
DisplayObject *ClipAtScriptPath(const QString &path);

// A movie clip as a script value. Once the clip is removed it stands for
// the clip at the path the clip had when first referred to, if any: a clip
// that takes the removed one's name takes its references too.
struct ClipRef {
    DisplayObject *clip = nullptr;
    std::weak_ptr<char> alive;
    std::shared_ptr<const QString> origin;

    DisplayObject *get() const
    {
        if (!alive.expired())
            return clip;
        return origin ? ClipAtScriptPath(*origin) : nullptr;
    }
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
