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
    // What an object's valueOf answers, an object too (undefined when it
    // has none); for an addition, objects whose payload adds as text ask
    // toString instead from version 6. Other values stay.
    Value toPrimitive(const Value &v, Hint hint = Hint::Number);
    // Equals2, as the movie's version compares.
    bool equals(const Value &a, const Value &b);
    // Less2: whether a is less than b; nothing (undefined to scripts) when
    // either is NaN or a clip.
    std::optional<bool> less(const Value &a, const Value &b);
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
    bool equalsBefore6(const Value &a, const Value &b);
    bool equalsFrom6(const Value &a, const Value &b);

    ScriptEngine &m_engine;
    ScriptContext &m_calls;
    int m_version;
};

} // namespace swf
