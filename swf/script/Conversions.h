#pragma once

#include "swf/script/ScriptContext.h"

#include <optional>

namespace swf {

class ScriptEngine;

// A number as a 32-bit integer, as bitwise operators and integer arguments
// take it: cut to a whole number and wrapped; NaN and infinities are 0.
int32_t ToInt32(double d);

// Converts values as the movie's version does: to text, number, truth and
// plain values, and compares them. Objects convert through their own
// toString and valueOf, which calls reaches.
class Conversions {
public:
    // What a plain value is wanted for: a number (arithmetic, comparisons),
    // or an addition, which may turn out text or number.
    enum class Hint { Number, Addition };

    Conversions(ScriptEngine &engine, ScriptContext &calls);

    QString toString(const Value &v);
    double toNumber(const Value &v);
    bool toBool(const Value &v);
    // An object's valueOf, or its toString when valueOf answers an object
    // (undefined when it has no valueOf); for an addition, objects whose
    // payload adds as text ask toString first from version 6. Other values stay.
    Value toPrimitive(const Value &v, Hint hint = Hint::Number);
    bool equals(const Value &a, const Value &b);
    static bool strictlyEquals(const Value &a, const Value &b);
    // What typeof answers.
    static QString typeOf(const Value &v);
    // A truth value as the version pushes it: 1 and 0 before version 5.
    Value boolean(bool b) const;

    // The text of a value that is not an object, or nothing for objects;
    // bound text fields show variables this way.
    static std::optional<QString> plainText(const Value &v, int version);
    // A clip's path as a value's text: "_level0.a.b" from version 5 on, "/a/b" before.
    static QString clipText(const DisplayObject &clip, int version);

private:
    // Calls the object's method name without arguments; nothing when it has none.
    std::optional<Value> callMethod(const Value &object, const QString &name);

    ScriptEngine &m_engine;
    ScriptContext &m_calls;
    int m_version;
};

} // namespace swf
