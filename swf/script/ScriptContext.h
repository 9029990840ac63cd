#pragma once

#include "swf/script/Value.h"

#include <vector>

namespace swf {

class MoviePlayer;
class ScriptEngine;
struct DisplayObject;

// What the built-in functions need from the interpreter that calls them.
class ScriptContext {
public:
    virtual ~ScriptContext() = default;
    virtual QString toString(const Value &value) = 0;
    virtual double toNumber(const Value &value) = 0;
    virtual bool toBool(const Value &value) = 0;
    virtual Value call(const Value &function, const Value &self, const std::vector<Value> &args) = 0;
    // A member of an object or clip as a script reads it (getters run), and
    // an assignment to one as a script makes it (setters and watches run).
    virtual Value getMember(const Value &object, const QString &name) = 0;
    virtual void setMember(const Value &object, const QString &name, const Value &value) = 0;
    // Calls the method name of object with object as this; undefined when it has none.
    virtual Value callMethod(const Value &object, const QString &name, const std::vector<Value> &args) = 0;
    // What `new constructor(args)` gives, and the instanceof operator.
    virtual Value construct(const Value &constructor, const std::vector<Value> &args) = 0;
    virtual bool instanceOf(const Value &object, const Value &constructor) = 0;
    // Whether the script function running was called by `new` (ASnew).
    virtual bool constructing() const { return false; }
    // The clip the running actions act on (tellTarget's, or their own); null outside scripts.
    virtual DisplayObject *targetClip() { return nullptr; }
    virtual ScriptEngine &engine() = 0;
    virtual MoviePlayer &player() = 0;
};

} // namespace swf
